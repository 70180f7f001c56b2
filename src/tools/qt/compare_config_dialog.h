#pragma once

#include <QDialog>

#include "tools/compare_config_presenter.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QTimer;

namespace bl::tools {

class DiffTableModel;

// "Compare Configuration": A and B each the connected controller or a file, "Compare", the
// status line, and the table of items (section, item, A, B, name) with "Differences only".
// A 250 ms timer reads a controller one section per tick.
class CompareConfigDialog : public QDialog {
 public:
  CompareConfigDialog(CompareConfigPresenter& presenter, QWidget* parent = nullptr);

  struct SideControls {
    QRadioButton* controller = nullptr;
    QRadioButton* file = nullptr;
    QLineEdit* path = nullptr;
    QPushButton* browse = nullptr;
  };
  SideControls& SideA() { return a_; }
  SideControls& SideB() { return b_; }
  QPushButton& CompareButton() { return *compare_; }
  QCheckBox& DifferencesOnlyBox() { return *differencesOnly_; }
  QLabel& StatusLine() { return *status_; }
  QTableView& Table() { return *table_; }

 private:
  SideControls MakeSide(const char* title, CompareConfigPresenter::Side& side, QWidget* group);
  void ShowSide(const SideControls& controls, const CompareConfigPresenter::Side& side);
  void Tick();
  void Refresh();

  CompareConfigPresenter& presenter_;
  SideControls a_;
  SideControls b_;
  QPushButton* compare_ = nullptr;
  QCheckBox* differencesOnly_ = nullptr;
  QLabel* status_ = nullptr;
  QTableView* table_ = nullptr;
  DiffTableModel* model_ = nullptr;
  QTimer* timer_ = nullptr;
};

// Opens the dialog modally; returns when it closes.
void RunCompareConfigDialog(QWidget* parent, CompareConfigPresenter& presenter);

}  // namespace bl::tools
