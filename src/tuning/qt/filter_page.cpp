#include "tuning/qt/filter_page.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "platform/qt/qt_fonts.h"
#include "series/qt/filter_slider.h"
#include "tuning/qt/leave_field.h"
#include "tuning/qt/motor_selection_group.h"
#include "tuning/qt/wait_cursor.h"

namespace bl::tuning {

namespace {

using platform::FromQt;
using platform::ToQt;
using series::FilterKind;
using series::FilterSet;

constexpr int kCoefficientWidth = 100;

constexpr std::array<const char*, 4> kCoefficientLabels = {"N1 (Ix36)", "N2 (Ix37)", "D1 (Ix38)",
                                                           "D2 (Ix39)"};

}  // namespace

FilterPage::FilterPage(PmacLink& link, std::atomic<int>& addressedMotor, const int& motorCount,
                       PositionLoopValues& values, QWidget* parent)
    : TuningPage(parent),
      presenter_(link, addressedMotor, motorCount, values),
      group_(new MotorSelectionGroup(
          presenter_.Selection(),
          [this] {
            WaitCursor wait;
            Activate();
          },
          this)) {
  auto* columns = new QHBoxLayout(this);
  columns->addWidget(BuildCoefficients());
  columns->addWidget(BuildDesigners(), 1);
  columns->addWidget(group_);
}

QWidget* FilterPage::BuildCoefficients() {
  auto* group = new QGroupBox("Filter Coefficients", this);
  auto* grid = new QGridLayout;
  for (std::size_t i = 0; i < kCoefficientLabels.size(); ++i) {
    coefficients_[i] = new LeaveField(
        [this, i](const QString& text) {
          presenter_.EditCoefficient(i, FromQt(text));
          RenderCoefficients();
        },
        group);
    design_[i] = new QLineEdit("0.000000", group);
    design_[i]->setReadOnly(true);
    coefficients_[i]->setMinimumWidth(kCoefficientWidth);
    design_[i]->setMinimumWidth(kCoefficientWidth);
    design_[i]->setFocusPolicy(Qt::NoFocus);
    const int line = static_cast<int>(i);
    grid->addWidget(new QLabel(kCoefficientLabels[i], group), line, 0);
    grid->addWidget(coefficients_[i], line, 1);
    grid->addWidget(design_[i], line, 2);
  }
  apply_ = new QPushButton("<-- Apply Filter", group);
  edit_ = new QPushButton("Edit Filter -->", group);
  delete_ = new QPushButton("Delete Filter", group);
  connect(apply_, &QPushButton::clicked, this, [this] {
    presenter_.Apply();
    RenderCoefficients();
  });
  connect(edit_, &QPushButton::clicked, this, [this] {
    presenter_.EditFilter();
    RenderDesign();
  });
  connect(delete_, &QPushButton::clicked, this, [this] {
    presenter_.Delete();
    RenderCoefficients();
  });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(apply_);
  buttons->addWidget(edit_);
  auto* layout = new QVBoxLayout(group);
  layout->addLayout(grid);
  layout->addLayout(buttons);
  layout->addWidget(delete_);
  layout->addStretch();
  return group;
}

QWidget* FilterPage::BuildDesigners() {
  auto* group = new QGroupBox("Filter Coefficients", this);
  auto* layout = new QVBoxLayout(group);
  layout->addWidget(BuildDesigner(FilterSet::kNumerator));
  layout->addWidget(BuildDesigner(FilterSet::kDenominator));
  layout->addStretch();
  return group;
}

QWidget* FilterPage::BuildDesigner(FilterSet set) {
  auto* frame = new QGroupBox(this);
  const std::size_t s = Index(set);
  const auto& labels = set == FilterSet::kNumerator ? kZeroKindLabels : kPoleKindLabels;
  kinds_[s] = new QButtonGroup(frame);
  auto* radios = new QHBoxLayout;
  for (std::size_t kind = 0; kind < labels.size(); ++kind) {
    auto* radio = new QRadioButton(ToQt(labels[kind]), frame);
    kinds_[s]->addButton(radio, static_cast<int>(kind));
    radios->addWidget(radio);
  }
  radios->addStretch();
  connect(kinds_[s], &QButtonGroup::idClicked, this, [this, set](int kind) {
    presenter_.ChooseKind(set, static_cast<FilterKind>(kind));
    RenderDesign();
  });

  auto* sliders = new QGridLayout;
  for (int row = 0; row < 2; ++row) {
    SliderRow& r = rows_[s][Row(row)];
    // The longest captions, so the rows have room for them before the first refresh.
    r.caption = new QLabel(row == 0 ? "Natural Frequency #1:" : "Natural Frequency #2:", frame);
    r.slider = series::NewFilterSlider(frame);
    r.value = new QLabel(frame);
    r.value->setMinimumWidth(80);
    r.value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Hidden rows keep their room, so the designer does not jump as the kinds change.
    for (QWidget* w : {static_cast<QWidget*>(r.caption), static_cast<QWidget*>(r.slider),
                       static_cast<QWidget*>(r.value)}) {
      QSizePolicy policy = w->sizePolicy();
      policy.setRetainSizeWhenHidden(true);
      w->setSizePolicy(policy);
    }
    sliders->addWidget(r.caption, row, 0);
    sliders->addWidget(r.slider, row, 1);
    sliders->addWidget(r.value, row, 2);
    sliders->setColumnStretch(1, 1);
    connect(r.slider, &QAbstractSlider::actionTriggered, this, [this, set, row](int action) {
      const std::optional<series::SliderStep> step = series::FilterSliderStep(action);
      if (!step) return;
      presenter_.MoveSlider(set, row, *step, rows_[Index(set)][Row(row)].slider->sliderPosition());
      RenderDesign();
    });
  }
  auto* layout = new QVBoxLayout(frame);
  layout->addLayout(radios);
  layout->addLayout(sliders);
  return frame;
}

void FilterPage::Activate() {
  presenter_.Activate();
  group_->Fill();
  RenderCoefficients();
  RenderDesign();
}

void FilterPage::RenderCoefficients() {
  for (std::size_t i = 0; i < coefficients_.size(); ++i)
    coefficients_[i]->setText(ToQt(presenter_.CoefficientText(i)));
}

void FilterPage::RenderDesign() {
  for (std::size_t i = 0; i < design_.size(); ++i)
    design_[i]->setText(ToQt(presenter_.DesignText(i)));
  const series::FilterDesigner& designer = presenter_.Designer();
  for (FilterSet set : {FilterSet::kNumerator, FilterSet::kDenominator}) {
    const std::size_t s = Index(set);
    if (QAbstractButton* button = kinds_[s]->button(static_cast<int>(designer.Kind(set)))) {
      const QSignalBlocker quiet(kinds_[s]);
      button->setChecked(true);
    }
    for (std::size_t row = 0; row < 2; ++row) {
      const series::FilterRowView& view = designer.Rows(set)[row];
      SliderRow& r = rows_[s][row];
      r.caption->setText(ToQt(view.caption));
      r.value->setText(ToQt(view.value));
      series::PlaceFilterSlider(*r.slider, view.position);
      for (QWidget* w : {static_cast<QWidget*>(r.caption), static_cast<QWidget*>(r.slider),
                         static_cast<QWidget*>(r.value)})
        w->setVisible(view.visible);
    }
  }
}

}  // namespace bl::tuning
