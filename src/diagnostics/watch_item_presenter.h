#pragma once

#include <functional>
#include <string>

#include "diagnostics/watch_table.h"

namespace bl {
class DefinitionTable;
namespace platform {
class Desktop;
}
}  // namespace bl

namespace bl::diagnostics {

// "Insert/Modify Watch Item": the fields as texts, the display type, and Insert and Cancel. The
// dialog stays open after an insertion, ready for the next item.
class WatchItemPresenter {
 public:
  struct Fields {
    std::string item;
    std::string scale;
    std::string maximum;
    std::string minimum;
    std::string precision;
    WatchDisplay display = WatchDisplay::Value;
  };

  // changed: after an insertion (with the table changed) and after Cancel; the window then
  // deselects its row, repaints and keeps the table.
  WatchItemPresenter(WatchTable& table, WatchDialogDefaults& defaults,
                     const DefinitionTable& definitions, const int& variableCount,
                     platform::Desktop& desktop, std::function<void(bool inserted)> changed);

  // Fills the fields from the item in the selected row, or from the defaults.
  void Open(int selectedRow);
  Fields fields;

  // "Insert Watch Item": true when the item went into the table (the fields then show the
  // defaults again); false after a message, with the fields as typed.
  bool Insert();
  // "Cancel" or Escape.
  void Cancel();

 private:
  void ShowDefaults();

  WatchTable& table_;
  WatchDialogDefaults& defaults_;
  const DefinitionTable& definitions_;
  const int& variableCount_;  // the controller type's, which may change
  platform::Desktop& desktop_;
  std::function<void(bool)> changed_;
};

}  // namespace bl::diagnostics
