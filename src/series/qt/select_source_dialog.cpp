#include "series/qt/select_source_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/qt_fonts.h"

namespace bl::series {

SelectSourceDialog::SelectSourceDialog(SelectSourcePresenter& presenter, QWidget* parent)
    : QDialog(parent), presenter_(presenter), list_(new QListWidget(this)) {
  setWindowTitle("Select Data Source");
  list_->setFont(platform::MakeQtFont(platform::FontId::Fixed));
  list_->setUniformItemSizes(true);
  list_->setMinimumSize(320, 300);

  auto* lists = new QHBoxLayout;
  const std::pair<SourceList, const char*> buttons[] = {{SourceList::kP, "P-Variables"},
                                                        {SourceList::kQ, "Q-Variables"},
                                                        {SourceList::kM, "M-Variables"}};
  for (const auto& [list, text] : buttons) {
    auto* button = new QPushButton(text, this);
    button->setAutoDefault(false);
    lists->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, l = list] {
      presenter_.ShowList(l);
      Refill();
    });
  }
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(list_, &QListWidget::currentRowChanged, this,
          [this](int row) { presenter_.SelectLine(row); });
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] { accept(); });

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(lists);
  layout->addWidget(list_);
  layout->addWidget(box);
  Refill();
}

void SelectSourceDialog::Refill() {
  const QSignalBlocker quiet(list_);
  list_->clear();
  QStringList lines;
  lines.reserve(static_cast<qsizetype>(presenter_.Lines().size()));
  for (const std::string& line : presenter_.Lines()) lines.append(platform::ToQt(line));
  list_->addItems(lines);
  list_->setCurrentRow(presenter_.Selected());
}

void SelectSourceDialog::accept() {
  taken_ = presenter_.Accept();
  QDialog::accept();
}

bool RunSelectSourceDialog(QWidget* parent, SelectSourcePresenter& presenter) {
  SelectSourceDialog dialog(presenter, parent);
  dialog.exec();
  return dialog.Taken();
}

}  // namespace bl::series
