#include "diagnostics/qt/position_units_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/qt_fonts.h"

namespace bl::diagnostics {

PositionUnitsDialog::PositionUnitsDialog(PositionUnitsPresenter& presenter, QWidget* parent)
    : QDialog(parent), presenter_(presenter) {
  setWindowTitle("Position Window Units");
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Unit Name", this), 0, 1);
  grid->addWidget(new QLabel("Counts per Unit", this), 0, 2);
  grid->addWidget(new QLabel("Display Precision", this), 0, 3);
  for (int r = 0; r < kMotorsPerPage; ++r) {
    const PositionUnitsPresenter::Row& row = presenter_.rows[static_cast<std::size_t>(r)];
    grid->addWidget(new QLabel(platform::ToQt(row.label), this), r + 1, 0);
    const std::string* texts[] = {&row.unitName, &row.countsPerUnit, &row.precision};
    for (int c = 0; c < 3; ++c) {
      auto* edit = new QLineEdit(platform::ToQt(*texts[c]), this);
      edit->setMaxLength(c == 0 ? static_cast<int>(kUnitNameChars) : 64);
      fields_[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)] = edit;
      grid->addWidget(edit, r + 1, c + 1);
    }
  }
  layout->addLayout(grid);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText("OK");
  buttons->button(QDialogButtonBox::Cancel)->setText("Cancel");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

void PositionUnitsDialog::accept() {
  for (int r = 0; r < kMotorsPerPage; ++r) {
    PositionUnitsPresenter::Row& row = presenter_.rows[static_cast<std::size_t>(r)];
    row.unitName = platform::FromQt(Field(r, 0).text());
    row.countsPerUnit = platform::FromQt(Field(r, 1).text());
    row.precision = platform::FromQt(Field(r, 2).text());
  }
  presenter_.Ok();
  QDialog::accept();
}

}  // namespace bl::diagnostics
