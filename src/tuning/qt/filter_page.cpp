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
#include "series/qt/filter_set_controls.h"
#include "tuning/qt/leave_field.h"
#include "tuning/qt/motor_selection_group.h"

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
      group_(MotorSelectionGroup::ForPage(presenter_.Selection(), this)) {
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
  designers_[s] = std::make_unique<series::FilterSetControls>(
      frame, labels, 1,
      [this, set](FilterKind kind) {
        presenter_.ChooseKind(set, kind);
        RenderDesign();
      },
      [this, set](int row, series::SliderStep step, int position) {
        presenter_.MoveSlider(set, row, step, position);
        RenderDesign();
      });
  auto* layout = new QVBoxLayout(frame);
  layout->addLayout(designers_[s]->RadioLayout());
  layout->addLayout(designers_[s]->RowLayout());
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
  for (FilterSet set : {FilterSet::kNumerator, FilterSet::kDenominator})
    designers_[Index(set)]->Show(designer.Kind(set), designer.Rows(set));
}

}  // namespace bl::tuning
