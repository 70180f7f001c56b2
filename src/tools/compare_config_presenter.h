#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tools/config_diff.h"

namespace bl {
class DefinitionTable;
class PmacLink;
struct ControllerType;
namespace platform {
class Desktop;
}
}  // namespace bl

namespace bl::tools {

// The dialog "Compare Configuration": A and B are each the connected controller or a backup
// file. A controller is read as a backup reads it, one section per timer tick so that the
// dialog stays responsive; then the table shows every item of both, or the differences only.
class CompareConfigPresenter {
 public:
  struct Side {
    bool controller = false;
    std::string path;
  };

  CompareConfigPresenter(PmacLink& link, platform::Desktop& desktop, const ControllerType& type,
                         const DefinitionTable& names);

  Side a{true, {}};
  Side b{false, {}};

  // "Browse...": a backup file for the side; choosing one makes the side a file.
  void Browse(Side& side);
  // "Compare": reads the files, then the controller tick by tick when a side is the controller.
  // Refused with a message when a file is missing or damaged, or the controller not connected.
  void Compare();
  // One timer tick: the next section of the controller. True when the table has just changed.
  bool Tick();
  bool Reading() const { return step_ != 0; }

  // The step under way while reading, then the count of differences.
  std::string StatusText() const;

  // "Differences only": the rows shown.
  bool DifferencesOnly() const { return differencesOnly_; }
  void SetDifferencesOnly(bool on);
  std::size_t RowCount() const { return rows_.size(); }
  const DiffEntry& Row(std::size_t row) const { return result_.entries[rows_[row]]; }

 private:
  bool ReadFile(const Side& side, const char* which, ConfigModel& model);
  void Finish();
  void Filter();

  PmacLink& link_;
  platform::Desktop& desktop_;
  const ControllerType& type_;
  const DefinitionTable& names_;
  ConfigModel fileA_;
  ConfigModel fileB_;
  BackupSwitches switches_;
  std::string text_;
  bool gatherDeleted_ = false;
  int step_ = 0;  // the controller's next backup step, 2..14; 0 idle
  bool compared_ = false;
  ConfigDiff result_;
  bool differencesOnly_ = true;
  std::vector<std::size_t> rows_;
};

}  // namespace bl::tools
