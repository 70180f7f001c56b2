#include "editor/editor_transfer.h"

#include <cstdio>
#include <filesystem>

#include "definitions/define_text.h"
#include "definitions/definition_table.h"
#include "editor/editor_scroll.h"
#include "editor/editor_text.h"
#include "editor/program_file.h"
#include "link/pmac_link.h"
#include "platform/desktop.h"
#include "platform/text_format.h"
#include "protocol/wire.h"
#include "terminal_lines/terminal_lines.h"

namespace bl::editor {

namespace {

constexpr int kBlue = 13;
constexpr int kRed = 5;
constexpr std::size_t kMaxCommandLine = 255;
constexpr std::string_view kTestMovesName = "BL_TestMoves.pmc";

// An #include line of the editor text with its relative name made absolute against folder;
// unchanged when it names no file, names an absolute one, or would grow past a command line.
std::string AnchoredInclude(std::string_view line, std::string_view folder) {
  const std::size_t first = line.find_first_not_of(" \t");
  if (first == std::string_view::npos || !platform::StartsWithNoCase(line.substr(first), "#include"))
    return std::string(line);
  const std::size_t open = line.find('"', first);
  if (open == std::string_view::npos) return std::string(line);
  const std::size_t close = line.find('"', open + 1);
  if (close == std::string_view::npos || close == open + 1) return std::string(line);
  std::string name(line.substr(open + 1, close - open - 1));
  for (char& c : name)
    if (c == '\\') c = '/';
  if (std::filesystem::path(name).is_absolute()) return std::string(line);
  const std::string anchored = (std::filesystem::path(folder) / name).lexically_normal().string();
  std::string out = std::string(line.substr(0, open + 1)) + anchored + std::string(line.substr(close));
  return out.size() <= kMaxCommandLine ? out : std::string(line);
}

}  // namespace

std::string EditorDownloadText(const DefinitionTable& table, std::string_view text,
                               std::string_view includeFolder) {
  std::string out;
  for (const std::string& line : UserDefinitionLines(table)) out += line;
  for (VariableKind kind : kVariableKinds)
    for (const std::string& line : VariableDefinitionLines(table, kind)) out += line;
  if (includeFolder.empty()) {
    out.append(text);
    return out;
  }
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    const bool last = end == std::string_view::npos;
    if (last) end = text.size();
    out += AnchoredInclude(text.substr(start, end - start), includeFolder);
    if (!last) out += '\n';
    start = end + 1;
  }
  return out;
}

std::string ListCommand(int number, int kind) {
  return platform::Format(kind == kUploadPlc ? "LIST PLC%d" : "LIST PROG%d", number);
}

std::string UploadedProgramText(std::string_view response, int number, int kind,
                                NameSwitches switches, const DefinitionTable& table) {
  // The reply ends at the acknowledge character; a reply line ends at CR. Other control
  // characters (the bell before an error number) have no place in program text.
  if (const std::size_t ack = response.find(protocol::kAck); ack != std::string_view::npos)
    response = response.substr(0, ack);
  std::string body;
  std::string line;
  const auto endLine = [&] {
    NamesForVariables(line, switches, table);
    body += line;
    body += '\n';
    line.clear();
  };
  for (std::size_t i = 0; i < response.size(); ++i) {
    const char c = response[i];
    if (c == '\r' || c == '\n')
      endLine();
    else if (c >= 32 && c <= 126)
      line += c;
  }
  if (!line.empty()) endLine();

  std::string text =
      platform::Format(kind == kUploadPlc ? "OPEN PLC %d\nCLEAR\n\n" : "OPEN PROG %d\nCLEAR\n\n",
                       number);
  constexpr std::string_view kClose = "\nCLOSE\n";
  // The whole must fit the text area with its terminator.
  const std::size_t room = kTextAreaSize - 1 - text.size() - kClose.size();
  if (body.size() > room) {
    body.resize(room);
    body.resize(body.rfind('\n') == std::string::npos ? 0 : body.rfind('\n') + 1);
  }
  text += body;
  text += kClose;
  return text;
}

UploadPresenter::UploadPresenter(UploadSettings& settings)
    : numberText(platform::Format("%d", settings.number)),
      plc(settings.kind == kUploadPlc),
      switches(settings.switches),
      settings_(settings) {}

void UploadPresenter::Accept() {
  int number = 0;
  if (platform::Scan(numberText, 100, "%d", &number) == 1) settings_.number = number < 0 ? 0 : number;
  settings_.kind = plc ? kUploadPlc : kUploadMotion;
  settings_.switches = switches;
}

ProgramTransfer::ProgramTransfer(EditorContext& context, PmacLink& link, platform::UiThread& ui,
                                 std::string startDirectory)
    : context_(context), link_(link), ui_(ui), startDirectory_(std::move(startDirectory)) {}

std::string ProgramTransfer::EditorDownloadPath() const {
  return (std::filesystem::path(startDirectory_) / kEditorDownloadName).string();
}

void ProgramTransfer::DownloadProgram(int mode) {
  EditorState& s = context_.state;
  Terminal& terminal = context_.terminal;
  if (link_.PmacDevice() == -1) {
    if (mode != kDownloadTestMoves)
      context_.desktop.ShowMessage("Not Connected to PMAC", "Download Error");
    return;
  }
  if (s.showTerminalView) s.showTerminalView();
  terminal.TerminalAddLine("", kBlue);
  terminal.TerminalAddLine("DOWNLOAD FILE", kBlue);

  std::string path;
  if (mode == kDownloadTestMoves) {
    path = testMovesPath ? testMovesPath()
                         : (std::filesystem::path(startDirectory_) / kTestMovesName).string();
  } else if (mode == kDownloadFile) {
    platform::FileDialogRequest request;
    request.title = "Download Program File";
    request.filters = {{"PMAC Files (*.pmc)", "*.pmc"}, {"All Files  (*.*)", "*.*"}};
    request.defaultExtension = "pmc";
    const auto chosen = context_.desktop.ChooseOpenFile(request);
    if (!chosen) return;
    path = *chosen;
  } else {
    path = EditorDownloadPath();
    const std::string folder =
        s.currentFile.empty() ? std::string()
                              : std::filesystem::path(s.currentFile).parent_path().string();
    std::string error;
    if (!WriteProgramText(path, EditorDownloadText(context_.definitions, s.editorText, folder),
                          error)) {
      // Nothing would be downloaded; say why rather than leave the user waiting for it.
      terminal.TerminalAddLine(error, kRed);
      return;
    }
  }

  ProgressMeter meter(link_, terminal, context_.desktop, ui_);
  meter.progressTask = ProgressTask::Download;
  meter.caption = std::string(kDownloadCaption);
  meter.fileName = path;
  meter.host = meterHost;
  meter.Run();
}

void ProgramTransfer::UploadProgram(int number, int kind, NameSwitches switches) {
  EditorState& s = context_.state;
  s.currentFile.clear();
  UndoLast(s, context_.desktop, 0, true);
  s.editorText.clear();
  std::string response;
  link_.PmacCommand(response, kUploadResponseSize, ListCommand(number, kind), false);
  s.editorText = UploadedProgramText(response, number, kind, switches, context_.definitions);
  if (s.showEditorView) s.showEditorView();
  s.caret = s.anchor = 0;
  if (s.focusEditor) s.focusEditor();
  EnsureCaretVisible(s);
  Repaint(s);
}

}  // namespace bl::editor
