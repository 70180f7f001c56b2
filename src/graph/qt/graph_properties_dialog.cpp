#include "graph/qt/graph_properties_dialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "platform/qt/qt_fonts.h"

namespace bl::graph {

using platform::FromQt;
using platform::ToQt;

namespace {

// Buttons inside the groups must not take Return from the edits: that closes the dialog.
QPushButton* PlainButton(const QString& text, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

GraphPropertiesDialog::GraphPropertiesDialog(GraphPropertiesPresenter& presenter, QWidget* parent)
    : QDialog(parent), presenter_(presenter) {
  setWindowTitle("Graph Properties");

  auto* left = new QVBoxLayout;
  left->addWidget(BuildTypeGroup());
  left->addWidget(BuildTitleGroup());
  left->addWidget(BuildLimitGroup());
  auto* bottomRow = new QHBoxLayout;
  autoFind_ = PlainButton("Auto-Find Axis Limits", this);
  ok_ = new QPushButton("OK", this);
  ok_->setDefault(true);
  bottomRow->addWidget(autoFind_);
  bottomRow->addStretch();
  bottomRow->addWidget(ok_);
  left->addLayout(bottomRow);

  auto* top = new QHBoxLayout(this);
  top->addLayout(left);
  top->addWidget(BuildLibraryGroup());

  connect(autoFind_, &QPushButton::clicked, this, [this] {
    presenter_.AutoFindLimits();
    Fill();
  });
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  Fill();
}

QWidget* GraphPropertiesDialog::BuildTypeGroup() {
  auto* group = new QGroupBox("Graph Type", this);
  auto* layout = new QGridLayout(group);
  for (int t = 0; t < kGraphTypeCount; ++t) {
    auto* button = new QRadioButton(ToQt(GraphPropertiesPresenter::TypeLabel(t)), group);
    types_[std::size_t(t)] = button;
    layout->addWidget(button, t / 2, t % 2);
    connect(button, &QRadioButton::clicked, this, [this, t] {
      presenter_.ChooseGraphType(t);
      Fill();
    });
  }
  return group;
}

QWidget* GraphPropertiesDialog::BuildTitleGroup() {
  auto* group = new QGroupBox("Axis Labels", this);
  auto* layout = new QGridLayout(group);
  for (int i = 0; i < kTitleFieldCount; ++i) {
    const auto field = static_cast<TitleField>(i);
    auto* edit = new QLineEdit(group);
    edit->setMaxLength(static_cast<int>(kTitleEditLimit));
    titles_[std::size_t(i)] = edit;
    // Top and Bottom first, then the vertical axes in pairs.
    layout->addWidget(new QLabel(ToQt(GraphPropertiesPresenter::TitleLabel(field)), group), i / 2,
                      (i % 2) * 2);
    layout->addWidget(edit, i / 2, (i % 2) * 2 + 1);
    connect(edit, &QLineEdit::editingFinished, this, [this, field, edit] {
      presenter_.SetTitle(field, FromQt(edit->text()));
      Fill();
    });
  }
  return group;
}

QWidget* GraphPropertiesDialog::BuildLimitGroup() {
  auto* group = new QGroupBox("Axis Limits", this);
  auto* layout = new QGridLayout(group);
  for (int c = 0; c < kLimitColumnCount; ++c)
    layout->addWidget(
        new QLabel(ToQt(GraphPropertiesPresenter::ColumnLabel(static_cast<LimitColumn>(c))), group),
        0, c + 1);
  layout->addWidget(new QLabel("Grid Lines", group), 0, kLimitColumnCount + 1);
  for (int row = 0; row < kLimitRowCount; ++row) {
    layout->addWidget(new QLabel(ToQt(GraphPropertiesPresenter::RowLabel(row)), group), row + 1, 0);
    for (int c = 0; c < kLimitColumnCount; ++c) {
      const auto column = static_cast<LimitColumn>(c);
      auto* edit = new QLineEdit(group);
      edit->setMinimumWidth(90);
      limits_[std::size_t(row)][std::size_t(c)] = edit;
      layout->addWidget(edit, row + 1, c + 1);
      connect(edit, &QLineEdit::editingFinished, this, [this, row, column, edit] {
        presenter_.SetLimit(row, column, FromQt(edit->text()));
        Fill();
      });
    }
    auto* box = new QCheckBox(group);
    gridLines_[std::size_t(row)] = box;
    layout->addWidget(box, row + 1, kLimitColumnCount + 1, Qt::AlignCenter);
    connect(box, &QCheckBox::toggled, this, [this, row](bool on) {
      presenter_.SetGridLines(row, on);
      Fill();
    });
  }
  return group;
}

QWidget* GraphPropertiesDialog::BuildLibraryGroup() {
  auto* group = new QGroupBox("Graph Library", this);
  auto* layout = new QGridLayout(group);
  for (int slot = 0; slot < kStoredGraphCount; ++slot) {
    auto* retrieve = PlainButton("Retrieve", group);
    auto* store = PlainButton("Store", group);
    auto* label = new QLabel(group);
    label->setMinimumWidth(200);
    label->setMaximumWidth(320);
    retrieve_[std::size_t(slot)] = retrieve;
    store_[std::size_t(slot)] = store;
    labels_[std::size_t(slot)] = label;
    layout->addWidget(retrieve, slot, 0);
    layout->addWidget(store, slot, 1);
    layout->addWidget(label, slot, 2);
    connect(retrieve, &QPushButton::clicked, this, [this, slot] {
      presenter_.Retrieve(slot);
      Fill();
    });
    connect(store, &QPushButton::clicked, this, [this, slot] {
      presenter_.Store(slot);
      Fill();
    });
  }
  return group;
}

void GraphPropertiesDialog::Fill() {
  const int type = presenter_.GraphType();
  for (int t = 0; t < kGraphTypeCount; ++t) {
    const QSignalBlocker block(types_[std::size_t(t)]);
    types_[std::size_t(t)]->setChecked(t == type);
  }
  for (int i = 0; i < kTitleFieldCount; ++i)
    titles_[std::size_t(i)]->setText(ToQt(presenter_.Title(static_cast<TitleField>(i))));
  for (int row = 0; row < kLimitRowCount; ++row) {
    for (int c = 0; c < kLimitColumnCount; ++c)
      limits_[std::size_t(row)][std::size_t(c)]->setText(
          ToQt(presenter_.Limit(row, static_cast<LimitColumn>(c))));
    const QSignalBlocker block(gridLines_[std::size_t(row)]);
    gridLines_[std::size_t(row)]->setChecked(presenter_.GridLines(row));
  }
  for (int slot = 0; slot < kStoredGraphCount; ++slot)
    labels_[std::size_t(slot)]->setText(ToQt(presenter_.LibraryLabel(slot)));
}

void RunGraphPropertiesDialog(QWidget* parent, GraphPropertiesPresenter& presenter) {
  presenter.Open();
  GraphPropertiesDialog dialog(presenter, parent);
  dialog.exec();
}

}  // namespace bl::graph
