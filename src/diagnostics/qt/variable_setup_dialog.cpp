#include "diagnostics/qt/variable_setup_dialog.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/qt/qt_fonts.h"

namespace bl::diagnostics {

namespace {

constexpr int kTickMs = 50;
constexpr int kPageRows = 20;

}  // namespace

VariableSetupDialog::VariableSetupDialog(VariableSetupPresenter& presenter, QWidget* parent)
    : QDialog(parent), presenter_(presenter) {
  setWindowTitle("Set PMAC Variables");
  presenter_.Open();
  auto* layout = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Variable", this), 0, 0);
  grid->addWidget(new QLabel("Value", this), 0, 1);
  grid->addWidget(new QLabel("M-Variable Address", this), 0, 2);
  grid->addWidget(new QLabel("Variable Name", this), 0, 3);
  QFont small = font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  for (int r = 0; r < kSetupRows; ++r) {
    RowWidgets& w = rows_[static_cast<std::size_t>(r)];
    w.label = new QLabel(this);
    w.value = new QLineEdit(this);
    w.address = new QLineEdit(this);
    w.name = new QLabel(this);
    w.value->setMaxLength(static_cast<int>(kSetupBufferChars));
    w.address->setMaxLength(static_cast<int>(kSetupBufferChars));
    w.name->setFont(small);
    w.name->setMinimumWidth(200);
    grid->addWidget(w.label, r + 1, 0);
    grid->addWidget(w.value, r + 1, 1);
    grid->addWidget(w.address, r + 1, 2);
    grid->addWidget(w.name, r + 1, 3);
    connect(w.value, &QLineEdit::editingFinished, this, [this, r] {
      RowWidgets& row = rows_[static_cast<std::size_t>(r)];
      presenter_.ValueEdited(r, platform::FromQt(row.value->text()));
      Show(false);
    });
    connect(w.address, &QLineEdit::editingFinished, this, [this, r] {
      RowWidgets& row = rows_[static_cast<std::size_t>(r)];
      presenter_.AddressEdited(r, platform::FromQt(row.address->text()));
      Show(false);
    });
  }
  left->addLayout(grid);

  auto* kindRow = new QHBoxLayout;
  static constexpr const char* kKinds[] = {"P-Variables", "Q-Variables", "M-Variables",
                                           "I-Variables"};
  for (int k = 1; k <= 4; ++k) {
    auto* b = new QPushButton(kKinds[k - 1], this);
    b->setAutoDefault(false);
    kinds_[static_cast<std::size_t>(k - 1)] = b;
    kindRow->addWidget(b);
    connect(b, &QPushButton::clicked, this, [this, k] {
      presenter_.SetKind(k);
      Show(true);
    });
  }
  left->addLayout(kindRow);
  auto* bottom = new QHBoxLayout;
  decimal_ = new QRadioButton("Show Values in Decimal", this);
  hexadecimal_ = new QRadioButton("Show Values in Hexadecimal", this);
  (presenter_.Hexadecimal() ? hexadecimal_ : decimal_)->setChecked(true);
  connect(decimal_, &QRadioButton::toggled, this, [this](bool) {
    presenter_.SetHexadecimal(!decimal_->isChecked());
    Show(true);
  });
  auto* ok = new QPushButton("OK", this);
  ok->setAutoDefault(false);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  bottom->addWidget(decimal_);
  bottom->addWidget(hexadecimal_);
  bottom->addStretch(1);
  bottom->addWidget(ok);
  left->addLayout(bottom);
  layout->addLayout(left, 1);

  scroll_ = new QScrollBar(Qt::Vertical, this);
  scroll_->setRange(0, presenter_.ScrollMaximum());
  scroll_->setPageStep(VariableSetupPresenter::kScrollPage);
  scroll_->setSingleStep(1);
  scroll_->setValue(presenter_.Top());
  scroll_->setFocusPolicy(Qt::StrongFocus);
  connect(scroll_, &QScrollBar::actionTriggered, this, [this](int action) { Scroll(action); });
  layout->addWidget(scroll_);

  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, [this] {
    presenter_.Tick();
    Show(false);
  });
  timer_->start(kTickMs);
  Show(true);
}

void VariableSetupDialog::Scroll(int action) {
  // An edit in progress is committed before the rows move.
  QWidget* focus = QApplication::focusWidget();
  scroll_->setFocus();
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
      presenter_.ScrollBy(1);
      break;
    case QAbstractSlider::SliderSingleStepSub:
      presenter_.ScrollBy(-1);
      break;
    case QAbstractSlider::SliderPageStepAdd:
      presenter_.ScrollBy(kPageRows);
      break;
    case QAbstractSlider::SliderPageStepSub:
      presenter_.ScrollBy(-kPageRows);
      break;
    case QAbstractSlider::SliderMove:
    case QAbstractSlider::SliderToMinimum:
    case QAbstractSlider::SliderToMaximum:
      presenter_.ScrollTo(scroll_->sliderPosition());
      break;
    default:
      break;
  }
  scroll_->setSliderPosition(presenter_.Top());
  Show(false);
  if (focus && focus != scroll_) focus->setFocus();
}

void VariableSetupDialog::Show(bool all) {
  for (int r = 0; r < kSetupRows; ++r) {
    const VariableSetupPresenter::Row& row = presenter_.Rows()[static_cast<std::size_t>(r)];
    VariableSetupPresenter::Row& shown = shown_[static_cast<std::size_t>(r)];
    RowWidgets& w = rows_[static_cast<std::size_t>(r)];
    if (all || row.label != shown.label) w.label->setText(platform::ToQt(row.label));
    if (all || row.name != shown.name) w.name->setText(platform::ToQt(row.name));
    if (all || row.value != shown.value) w.value->setText(platform::ToQt(row.value));
    if (all || row.address != shown.address) w.address->setText(platform::ToQt(row.address));
    w.address->setEnabled(presenter_.AddressesEnabled());
    shown = row;
  }
}

}  // namespace bl::diagnostics
