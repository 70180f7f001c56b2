#pragma once

#include <QDialog>

#include "editor/editor_state.h"

class QListWidget;

namespace bl::editor {

// "Program List": the lines that open a program or PLC; OK or a double click on one moves the
// editor's caret to it.
class ProgramListDialog : public QDialog {
 public:
  ProgramListDialog(EditorState& state, QWidget* parent = nullptr);

  QListWidget& List() { return *list_; }

  void accept() override;

 private:
  EditorState& state_;
  QListWidget* list_;
};

// Opens the dialog modally; afterwards the editor has the focus.
void RunProgramListDialog(QWidget* parent, EditorState& state);

}  // namespace bl::editor
