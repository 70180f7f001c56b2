#include "tools/qt/compare_config_dialog.h"

#include <QAbstractTableModel>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColor>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <array>

#include "platform/qt/qt_fonts.h"

namespace bl::tools {

using platform::ToQt;

namespace {
constexpr int kTickMs = 250;
constexpr std::array<const char*, 5> kColumns = {"Section", "Item", "A", "B", "Name"};
}  // namespace

// The presenter's rows as a table: a model, so that tens of thousands of variables cost nothing
// until they are scrolled into view.
class DiffTableModel : public QAbstractTableModel {
 public:
  DiffTableModel(const CompareConfigPresenter& presenter, QObject* parent)
      : QAbstractTableModel(parent), presenter_(presenter) {}

  void Reset() {
    beginResetModel();
    endResetModel();
  }

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(presenter_.RowCount());
  }
  int columnCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : static_cast<int>(kColumns.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= rowCount({})) return {};
    const DiffEntry& e = presenter_.Row(static_cast<std::size_t>(index.row()));
    if (role == Qt::DisplayRole) {
      switch (index.column()) {
        case 0:
          return ToQt(e.section);
        case 1:
          return ToQt(e.item);
        case 2:
          return ToQt(e.a);
        case 3:
          return ToQt(e.b);
        default:
          return ToQt(e.name);
      }
    }
    if (role == Qt::BackgroundRole) {
      switch (e.kind) {
        case DiffKind::kChanged:
          return QColor(255, 244, 200);
        case DiffKind::kOnlyInA:
          return QColor(255, 220, 220);
        case DiffKind::kOnlyInB:
          return QColor(220, 245, 220);
        case DiffKind::kSame:
          break;
      }
    }
    return {};
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= static_cast<int>(kColumns.size()))
      return QAbstractTableModel::headerData(section, orientation, role);
    return QString(kColumns[static_cast<std::size_t>(section)]);
  }

 private:
  const CompareConfigPresenter& presenter_;
};

CompareConfigDialog::CompareConfigDialog(CompareConfigPresenter& presenter, QWidget* parent)
    : QDialog(parent), presenter_(presenter) {
  setWindowTitle("Compare Configuration");

  auto* groupA = new QGroupBox("A", this);
  a_ = MakeSide("A", presenter_.a, groupA);
  auto* groupB = new QGroupBox("B", this);
  b_ = MakeSide("B", presenter_.b, groupB);
  auto* sides = new QHBoxLayout;
  sides->addWidget(groupA);
  sides->addWidget(groupB);

  compare_ = new QPushButton("Compare", this);
  compare_->setDefault(true);
  connect(compare_, &QPushButton::clicked, this, [this] {
    presenter_.Compare();
    Refresh();
  });
  differencesOnly_ = new QCheckBox("Differences only", this);
  differencesOnly_->setChecked(presenter_.DifferencesOnly());
  connect(differencesOnly_, &QCheckBox::toggled, this, [this](bool on) {
    presenter_.SetDifferencesOnly(on);
    Refresh();
  });
  auto* close = new QPushButton("Close", this);
  close->setAutoDefault(false);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(compare_);
  buttons->addWidget(differencesOnly_);
  buttons->addStretch(1);
  buttons->addWidget(close);

  status_ = new QLabel(ToQt(presenter_.StatusText()), this);
  status_->setFrameStyle(QFrame::Panel | QFrame::Sunken);

  model_ = new DiffTableModel(presenter_, this);
  table_ = new QTableView(this);
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->verticalHeader()->setVisible(false);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setWordWrap(false);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(sides);
  layout->addLayout(buttons);
  layout->addWidget(status_);
  layout->addWidget(table_, 1);
  resize(820, 560);

  timer_ = new QTimer(this);
  timer_->setInterval(kTickMs);
  connect(timer_, &QTimer::timeout, this, [this] { Tick(); });
  timer_->start();
}

CompareConfigDialog::SideControls CompareConfigDialog::MakeSide(const char* title,
                                                                CompareConfigPresenter::Side& side,
                                                                QWidget* group) {
  SideControls c;
  c.controller = new QRadioButton("Connected controller", group);
  c.file = new QRadioButton("File:", group);
  c.path = new QLineEdit(group);
  c.path->setObjectName(QString("path") + title);
  c.browse = new QPushButton("Browse...", group);
  c.browse->setAutoDefault(false);
  auto* exclusive = new QButtonGroup(group);
  exclusive->addButton(c.controller);
  exclusive->addButton(c.file);
  ShowSide(c, side);
  connect(c.controller, &QRadioButton::toggled, this, [&side](bool on) { side.controller = on; });
  connect(c.path, &QLineEdit::textEdited, this, [&side, c](const QString& text) {
    side.path = text.toStdString();
    c.file->setChecked(true);
  });
  connect(c.browse, &QPushButton::clicked, this, [this, &side, c] {
    presenter_.Browse(side);
    ShowSide(c, side);
  });
  auto* fileRow = new QHBoxLayout;
  fileRow->addWidget(c.file);
  fileRow->addWidget(c.path, 1);
  fileRow->addWidget(c.browse);
  auto* layout = new QVBoxLayout(group);
  layout->addWidget(c.controller);
  layout->addLayout(fileRow);
  return c;
}

void CompareConfigDialog::ShowSide(const SideControls& controls,
                                   const CompareConfigPresenter::Side& side) {
  (side.controller ? controls.controller : controls.file)->setChecked(true);
  controls.path->setText(ToQt(side.path));
}

void CompareConfigDialog::Tick() {
  if (!presenter_.Reading()) return;
  status_->setText(ToQt(presenter_.StatusText()));
  // The status line shows before the section holds the thread.
  status_->repaint();
  presenter_.Tick();
  Refresh();
}

void CompareConfigDialog::Refresh() {
  const bool reading = presenter_.Reading();
  compare_->setEnabled(!reading);
  a_.controller->parentWidget()->setEnabled(!reading);
  b_.controller->parentWidget()->setEnabled(!reading);
  status_->setText(ToQt(presenter_.StatusText()));
  model_->Reset();
}

void RunCompareConfigDialog(QWidget* parent, CompareConfigPresenter& presenter) {
  CompareConfigDialog dialog(presenter, parent);
  dialog.exec();
}

}  // namespace bl::tools
