#pragma once

#include "editor/editor_state.h"
#include "editor/find_presenter.h"
#include "editor/print_layout.h"

namespace bl {
class DefinitionTable;
class Terminal;
namespace platform {
class Desktop;
}
}  // namespace bl

namespace bl::editor {

// What the editor's tools beyond the text itself work with: its files, the #DEFINE tools, the
// transfers to and from the controller, find and printing. Owned by the workbench; the main
// window switches views through the state's hooks.
struct EditorContext {
  EditorState& state;
  DefinitionTable& definitions;
  Terminal& terminal;
  platform::Desktop& desktop;
  // Kept for the run: the find dialog's texts and switches, the print settings.
  FindState find{};
  PrintSettings print{};
};

}  // namespace bl::editor
