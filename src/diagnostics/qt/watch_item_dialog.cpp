#include "diagnostics/qt/watch_item_dialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "definitions/qt/select_variable_dialog.h"
#include "platform/qt/qt_fonts.h"

namespace bl::diagnostics {

namespace {

constexpr WatchDisplay kDisplays[] = {WatchDisplay::Value, WatchDisplay::Lamp, WatchDisplay::Meter,
                                      WatchDisplay::Graph};
constexpr const char* kDisplayNames[] = {"Value", "Indicator Lamp", "Meter", "Graph"};

QLabel* Hint(const char* text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  return label;
}

}  // namespace

WatchItemDialog::WatchItemDialog(WatchItemPresenter& presenter, const DefinitionTable& definitions,
                                 SelectVariableMemory& selectVariable, QWidget* parent)
    : QDialog(parent), presenter_(presenter) {
  setWindowTitle("Insert/Modify Watch Item");
  auto* layout = new QVBoxLayout(this);

  item_ = new QLineEdit(this);
  item_->setMaxLength(255);
  auto* defines = new QPushButton("#Defines", this);
  auto* itemRow = new QHBoxLayout;
  itemRow->addWidget(new QLabel("Watch Item:", this));
  itemRow->addWidget(item_, 1);
  itemRow->addWidget(defines);
  layout->addLayout(itemRow);
  layout->addWidget(
      Hint("Watch items can be entered as variable numbers (ie. \"P100\") or using "
           "their defined names (ie. \"EStop_Active_P\").",
           this));
  connect(defines, &QPushButton::clicked, this, [this, &definitions, &selectVariable] {
    if (auto name = ChooseDefinedVariable(this, definitions, selectVariable, 1))
      item_->setText(platform::ToQt(*name));
  });

  auto* fields = new QGridLayout;
  auto field = [&](int row, const char* label) {
    auto* edit = new QLineEdit(this);
    edit->setMaxLength(255);
    fields->addWidget(new QLabel(label, this), row, 0);
    fields->addWidget(edit, row, 1);
    return edit;
  };
  scale_ = field(0, "Scaling Factor:");
  maximum_ = field(1, "Max. Range:");
  minimum_ = field(2, "Min. Range:");
  fields->addWidget(Hint("(Values outside this range will be shown in red.)", this), 3, 0, 1, 2);
  precision_ = field(4, "Precision:");
  fields->addWidget(Hint("(A negative \"Precision\" value can be used to display the variable in "
                         "hexadecimal notation.)",
                         this),
                    5, 0, 1, 2);
  layout->addLayout(fields);

  auto* group = new QGroupBox("Display Type", this);
  auto* groupLayout = new QHBoxLayout(group);
  auto* buttons = new QButtonGroup(this);
  for (int i = 0; i < 4; ++i) {
    displays_[static_cast<std::size_t>(i)] = new QRadioButton(kDisplayNames[i], group);
    buttons->addButton(displays_[static_cast<std::size_t>(i)], i);
    groupLayout->addWidget(displays_[static_cast<std::size_t>(i)]);
  }
  layout->addWidget(group);

  insert_ = new QPushButton("Insert Watch Item", this);
  insert_->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  auto* buttonRow = new QHBoxLayout;
  buttonRow->addStretch(1);
  buttonRow->addWidget(insert_);
  buttonRow->addWidget(cancel);
  layout->addLayout(buttonRow);
  connect(insert_, &QPushButton::clicked, this, [this] {
    Take();
    if (presenter_.Insert()) Fill();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  Fill();
}

void WatchItemDialog::Fill() {
  const WatchItemPresenter::Fields& f = presenter_.fields;
  item_->setText(platform::ToQt(f.item));
  scale_->setText(platform::ToQt(f.scale));
  maximum_->setText(platform::ToQt(f.maximum));
  minimum_->setText(platform::ToQt(f.minimum));
  precision_->setText(platform::ToQt(f.precision));
  for (std::size_t i = 0; i < displays_.size(); ++i)
    displays_[i]->setChecked(kDisplays[i] == f.display);
}

void WatchItemDialog::Take() {
  WatchItemPresenter::Fields& f = presenter_.fields;
  f.item = platform::FromQt(item_->text());
  f.scale = platform::FromQt(scale_->text());
  f.maximum = platform::FromQt(maximum_->text());
  f.minimum = platform::FromQt(minimum_->text());
  f.precision = platform::FromQt(precision_->text());
  f.display = WatchDisplay::Value;  // when none is checked
  for (std::size_t i = 0; i < displays_.size(); ++i)
    if (displays_[i]->isChecked()) f.display = kDisplays[i];
}

void WatchItemDialog::reject() {
  presenter_.Cancel();
  QDialog::reject();
}

}  // namespace bl::diagnostics
