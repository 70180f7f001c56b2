#pragma once

#include <QDialog>
#include <array>

#include "graph/graph_properties.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace bl::graph {

// "Graph Properties": graph type, titles, the limits of the five axes and the graph library.
// Every control goes to the presenter; the fields are filled again after each.
class GraphPropertiesDialog : public QDialog {
 public:
  GraphPropertiesDialog(GraphPropertiesPresenter& presenter, QWidget* parent = nullptr);

  QRadioButton& TypeButton(int graphType) { return *types_.at(std::size_t(graphType)); }
  QLineEdit& TitleEdit(TitleField field) { return *titles_[std::size_t(field)]; }
  QLineEdit& LimitEdit(int row, LimitColumn column) {
    return *limits_.at(std::size_t(row))[std::size_t(column)];
  }
  QCheckBox& GridLinesBox(int row) { return *gridLines_.at(std::size_t(row)); }
  QPushButton& AutoFindButton() { return *autoFind_; }
  QPushButton& RetrieveButton(int slot) { return *retrieve_.at(std::size_t(slot)); }
  QPushButton& StoreButton(int slot) { return *store_.at(std::size_t(slot)); }
  QLabel& LibraryLabel(int slot) { return *labels_.at(std::size_t(slot)); }
  QPushButton& OkButton() { return *ok_; }

  // Shows every field from the settings.
  void Fill();

 private:
  QWidget* BuildTypeGroup();
  QWidget* BuildTitleGroup();
  QWidget* BuildLimitGroup();
  QWidget* BuildLibraryGroup();

  GraphPropertiesPresenter& presenter_;
  std::array<QRadioButton*, kGraphTypeCount> types_{};
  std::array<QLineEdit*, kTitleFieldCount> titles_{};
  std::array<std::array<QLineEdit*, kLimitColumnCount>, kLimitRowCount> limits_{};
  std::array<QCheckBox*, kLimitRowCount> gridLines_{};
  std::array<QPushButton*, kStoredGraphCount> retrieve_{};
  std::array<QPushButton*, kStoredGraphCount> store_{};
  std::array<QLabel*, kStoredGraphCount> labels_{};
  QPushButton* autoFind_ = nullptr;
  QPushButton* ok_ = nullptr;
};

// Opens the presenter, then the dialog, modally; returns when it is closed with OK or Esc.
void RunGraphPropertiesDialog(QWidget* parent, GraphPropertiesPresenter& presenter);

}  // namespace bl::graph
