#pragma once

#include <functional>
#include <string>

#include "diagnostics/watch_table.h"
#include "platform/geometry.h"

namespace bl {
class PmacLink;
struct ControllerType;
}  // namespace bl

namespace bl::diagnostics {

// The watch records that outlive the window: the table, the dialog's last values and the
// controller type whose saved items the table holds.
struct WatchRecords {
  WatchTable table;
  WatchDialogDefaults defaults;
  std::string loadedFor;  // short name of the type whose settings file was read; empty: none
};

// The watch window's behaviour without its widget: selection, row dragging, keys, and the
// monitor thread's polling and sweep. Every change of the table is kept in the settings file of
// the controller type.
class WatchWindow {
 public:
  // settingsPath: the file for a controller type's short name; empty keeps nothing.
  WatchWindow(WatchRecords& records, const ControllerType& type,
              std::function<std::string(const std::string&)> settingsPath);

  // What the host does after an event.
  enum class Action { None, Repaint, Close, OpenDialog, StartMove };
  enum class Key { Enter, Up, Down, Delete };

  // Reads the controller type's saved items unless the table already holds them. error: why a
  // file that exists could not be read (the table is then left empty).
  void LoadForType(std::string& error);
  // Keeps the table in the settings file; false with a sentence in error when it cannot.
  bool Save(std::string& error) const;
  // Called after each change that should be kept; gets the error of a failed save.
  std::function<void(const std::string& error)> onSaveFailed;

  int SelectedRow() const { return selected_; }
  // After the dialog inserted an item (kept in the settings file) or was cancelled: no row is
  // selected.
  void AfterDialog(bool inserted);
  int DragMode() const { return dragMode_; }
  platform::Size WindowSize() const;

  Action Press(platform::Point client);
  Action MoveTo(platform::Point client);
  Action Release();
  Action KeyDown(Key key);

 private:
  void Changed();

  WatchRecords& records_;
  const ControllerType& type_;
  std::function<std::string(const std::string&)> settingsPath_;
  int selected_ = -1;
  int dragMode_ = 0;  // 1 dragging a row, 2 moving the window
  bool moved_ = false;
};

// The monitor thread's part while connected: one combined query of the table's items through
// the link. Without a controller the monitor sweeps the table instead (WatchTable::Sweep).
void PollWatchTable(WatchTable& table, PmacLink& link);

}  // namespace bl::diagnostics
