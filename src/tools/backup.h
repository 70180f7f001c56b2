#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace bl {
class PmacLink;
}

// The configuration backup: the controller's set-up written as one program file that restores
// it when downloaded again. The file is built section by section, one step at a time, so that a
// dialog stays responsive and can cancel between steps.
namespace bl::tools {

// The thirteen section switches, in the dialog's order.
enum BackupSwitch : int {
  kBackupP,
  kBackupQ,
  kBackupM,
  kBackupI,
  kBackupMotion,
  kBackupPlc,
  kBackupPlcc,
  kBackupServoRoutines,
  kBackupCoordinateSystems,
  kBackupCompensation,
  kBackupEncoderTable,
  kBackupMacro,
  kBackupOption16,
  kBackupSwitchCount
};

// The check-box labels.
extern const std::array<std::string_view, kBackupSwitchCount> kBackupSwitchLabels;

// Kept for the run.
struct BackupSwitches {
  std::array<bool, kBackupSwitchCount> on{true,  true, true,  true, true,  true, true,
                                          false, true, false, true, false, false};
};

// Steps 0 (idle) to 15; 1 opens the file, 2..14 write the sections, 15 closes it.
inline constexpr int kBackupOpenStep = 1;
inline constexpr int kBackupCloseStep = 15;
// The status-line text of a step (" " for idle and anything out of range).
std::string_view BackupStepText(int step);
// The switch that decides step 2..14.
BackupSwitch SwitchOfStep(int step);

// What a backup needs of the connected controller.
struct BackupTarget {
  int typeCode = 0;       // 1..3 non-Turbo, 4..6 Turbo
  int variableCount = 0;  // N
};

// The text of one section, step 2..14, with LF line ends; empty when it writes nothing.
// `gatherDeleted` is set once a section that stores programs has put "DELETE GATHER" before
// them (a gather buffer in the restored controller would refuse the program text).
std::string BackupSectionText(PmacLink& link, const BackupTarget& target, int step,
                              bool& gatherDeleted);

// LF line ends become CR LF.
std::string WithCrLf(std::string_view text);

// One backup file from opening to closing: written beside the chosen name and put in its place
// only when closed, so that an older file survives a write that fails.
class BackupJob {
 public:
  BackupJob(PmacLink& link, BackupTarget target, BackupSwitches switches);

  // Creates the file's copy beside path; false with the reason in error.
  bool Open(const std::string& path, std::string& error);
  // Runs step 2..14 (nothing when its switch is off) and writes its section. False with the
  // reason in error when the write fails or the controller is gone: the copy is then dropped
  // and the job is over.
  bool RunStep(int step, std::string& error);
  // Puts the file in place. False with the reason when that fails.
  bool Close(std::string& error);
  // Drops the copy; an older file stays as it was.
  void Abandon() { file_.Discard(); }
  bool IsOpen() const { return file_.IsOpen(); }

 private:
  PmacLink& link_;
  BackupTarget target_;
  BackupSwitches switches_;
  platform::AtomicFileWriter file_;
  bool gatherDeleted_ = false;
};

// Runs a whole backup to path at once (steps 1 to 15), for scripts. progress is told each step
// that runs, before it runs. False with the reason in error.
bool RunBackup(PmacLink& link, const BackupTarget& target, const BackupSwitches& switches,
               const std::string& path, const std::function<void(int step)>& progress,
               std::string& error);

}  // namespace bl::tools
