#pragma once

#include <QDialog>
#include <array>

#include "diagnostics/watch_item_presenter.h"

class QLineEdit;
class QRadioButton;
class QPushButton;

namespace bl {
class DefinitionTable;
struct SelectVariableMemory;
}  // namespace bl

namespace bl::diagnostics {

// "Insert/Modify Watch Item": stays open after each insertion; Cancel or Escape closes it.
class WatchItemDialog : public QDialog {
 public:
  WatchItemDialog(WatchItemPresenter& presenter, const DefinitionTable& definitions,
                  SelectVariableMemory& selectVariable, QWidget* parent = nullptr);

  QLineEdit& ItemField() { return *item_; }
  QLineEdit& ScaleField() { return *scale_; }
  QLineEdit& MaximumField() { return *maximum_; }
  QLineEdit& MinimumField() { return *minimum_; }
  QLineEdit& PrecisionField() { return *precision_; }
  // "Value", "Indicator Lamp", "Meter", "Graph".
  QRadioButton& DisplayButton(int index) { return *displays_[static_cast<std::size_t>(index)]; }
  QPushButton& InsertButton() { return *insert_; }

  void reject() override;

 private:
  void Fill();
  void Take();

  WatchItemPresenter& presenter_;
  QLineEdit* item_;
  QLineEdit* scale_;
  QLineEdit* maximum_;
  QLineEdit* minimum_;
  QLineEdit* precision_;
  std::array<QRadioButton*, 4> displays_{};
  QPushButton* insert_;
};

}  // namespace bl::diagnostics
