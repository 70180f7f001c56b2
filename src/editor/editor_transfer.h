#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "editor/editor_context.h"
#include "editor/names_for_variables.h"
#include "link/progress_meter.h"

namespace bl {
class PmacLink;
namespace platform {
class UiThread;
}
}  // namespace bl

namespace bl::editor {

// What DownloadProgram sends: the editor's text, a file the user picks, the test-move program.
enum DownloadMode : int { kDownloadEditor = 0, kDownloadFile = 1, kDownloadTestMoves = 2 };
// What UploadProgram lists.
enum UploadKind : int { kUploadPlc = 1, kUploadMotion = 2 };

inline constexpr std::string_view kEditorDownloadName = "EditorDownload.pmc";
inline constexpr std::string_view kDownloadCaption = "Downloading Program(s) to PMAC...";
// The reply buffer of a program listing.
inline constexpr int kUploadResponseSize = 499999;

// The file an editor download sends: every current definition as a "#DEFINE" line (user
// definitions in slot order, then P, Q, M and I names by number), then the text. LF stays LF
// here; the file is written with CR LF. includeFolder is the folder of the file the text came
// from: a relative #include name is made absolute against it, since the download file itself
// lies elsewhere. Empty leaves the #include lines as they are.
std::string EditorDownloadText(const DefinitionTable& table, std::string_view text,
                               std::string_view includeFolder);

// The editor text an upload gives: "OPEN PROG n" (or PLC), "CLEAR", an empty line, the listing
// with names restored line by line, an empty line and "CLOSE". The listing ends at the
// controller's acknowledge character; other control characters are dropped, CR ends a line.
std::string UploadedProgramText(std::string_view response, int number, int kind,
                                NameSwitches switches, const DefinitionTable& table);
// The listing command: "LIST PLC%d" or "LIST PROG%d".
std::string ListCommand(int number, int kind);

// The upload dialog's settings, kept for the run.
struct UploadSettings {
  int number = 1;
  int kind = kUploadPlc;
  NameSwitches switches;
};

// "Upload Motion Program or PLC Program from PMAC": its fields as texts and flags.
class UploadPresenter {
 public:
  explicit UploadPresenter(UploadSettings& settings);
  std::string numberText;
  bool plc = true;
  NameSwitches switches;
  // OK: reads the fields back into the settings ("%d", unreadable text keeps the number,
  // negative becomes 0).
  void Accept();

 private:
  UploadSettings& settings_;
};

// Moves programs between the editor and the controller.
class ProgramTransfer {
 public:
  ProgramTransfer(EditorContext& context, PmacLink& link, platform::UiThread& ui,
                  std::string startDirectory);

  // Shows the progress meter modally (set by the main window); without it the meter runs at
  // once on the calling thread.
  ProgressMeter::ModalHost meterHost;
  // Where the test-move program lies (shipped data); empty: in the start directory.
  std::function<std::string()> testMovesPath;

  UploadSettings upload;

  void DownloadProgram(int mode);
  void UploadProgram(int number, int kind, NameSwitches switches);

  // The full path of the editor's download file.
  std::string EditorDownloadPath() const;

 private:
  EditorContext& context_;
  PmacLink& link_;
  platform::UiThread& ui_;
  std::string startDirectory_;
};

}  // namespace bl::editor
