#pragma once

#include <QDialog>

#include "editor/editor_context.h"
#include "editor/find_presenter.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace bl::editor {

// "Find and Replace": modeless, one at a time, gone when closed. Its fields and check boxes
// start from the find state and write every change back to it at once.
class FindReplaceDialog : public QDialog {
 public:
  FindReplaceDialog(EditorContext& context, QWidget* parent);

  QLineEdit& FindField() { return *find_; }
  QLineEdit& ReplaceField() { return *replace_; }
  QCheckBox& SearchUpwards() { return *upwards_; }
  QCheckBox& CaseSensitive() { return *caseSensitive_; }
  QPushButton& FindNextButton() { return *findNext_; }
  QPushButton& ReplaceButton() { return *replaceOne_; }
  QPushButton& ReplaceAllButton() { return *replaceAll_; }
  QPushButton& CancelButton() { return *cancel_; }

 private:
  FindPresenter presenter_;
  QLineEdit* find_;
  QLineEdit* replace_;
  QCheckBox* upwards_;
  QCheckBox* caseSensitive_;
  QPushButton* findNext_;
  QPushButton* replaceOne_;
  QPushButton* replaceAll_;
  QPushButton* cancel_;
};

// Opens the dialog over owner unless one is open already, in which case nothing happens. The
// main window comes to the editor view first. Returns the open dialog.
FindReplaceDialog* OpenFindReplaceDialog(QWidget* owner, EditorContext& context);
// Closes the open dialog, if any (the main window has selected another view).
void CloseFindReplaceDialog(QWidget* owner);

}  // namespace bl::editor
