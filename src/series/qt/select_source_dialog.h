#pragma once

#include <QDialog>

#include "series/select_source_presenter.h"

class QListWidget;

namespace bl::series {

// "Select Data Source": the P, Q or M variables with the user's names; OK or a double click
// takes the selected one as the current series' source.
class SelectSourceDialog : public QDialog {
 public:
  explicit SelectSourceDialog(SelectSourcePresenter& presenter, QWidget* parent = nullptr);

  QListWidget& List() { return *list_; }
  // True once a line has been taken.
  bool Taken() const { return taken_; }

  void accept() override;

 private:
  void Refill();

  SelectSourcePresenter& presenter_;
  QListWidget* list_;
  bool taken_ = false;
};

// Opens the dialog modally; true when the current series took a new source.
bool RunSelectSourceDialog(QWidget* parent, SelectSourcePresenter& presenter);

}  // namespace bl::series
