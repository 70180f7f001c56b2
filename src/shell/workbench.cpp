#include "shell/workbench.h"

#include <filesystem>
#include <system_error>

namespace bl {

namespace {

constexpr std::size_t kMaxStartDirectory = 259;
constexpr int kBannerColor = 13;
constexpr int kWarningColor = 5;

std::string CurrentDirectory() {
  std::error_code error;
  std::string dir = std::filesystem::current_path(error).string();
  if (error) return ".";
  // A longer path would be cut into a different folder; fall back to the relative one instead.
  return dir.size() <= kMaxStartDirectory ? dir : std::string(".");
}

}  // namespace

Workbench::Workbench(platform::Desktop& desktopIn, platform::UiThread& uiThreadIn,
                     platform::Clock& clockIn, VendorLibraryLoader loader,
                     std::vector<std::string> dataFolders)
    : desktop(desktopIn),
      uiThread(uiThreadIn),
      clock(clockIn),
      link(terminal, definitions, desktopIn, std::move(loader)),
      commandLine(link),
      startDirectory(CurrentDirectory()),
      dataFiles(startDirectory, std::move(dataFolders)),
      transfer(editorContext, link, uiThread, startDirectory),
      monitor({link, controllerType, terminal, gatherStatus, testMovePending, position}, uiThreadIn,
              clockIn) {
  link.PostNoticesThrough(&uiThread);
  transfer.testMovesPath = [this] { return dataFiles.Find("\\BL_TestMoves.pmc"); };
}

tuning::TestMoveContext TestMoveContextOf(Workbench& w) {
  return {w.link,   w.desktop,        w.clock,           w.controllerType, w.series,
          w.gather, w.graph.settings, w.testMovePending, &w.graph,         &w.tuningHistory};
}

void KeepTestMoveRun(Workbench& w) {
  std::string error;
  if (w.tuningHistory.Pending() && !w.tuningHistory.Finish(w.series, tuning::NowMs(), error))
    w.terminal.TerminalAddLine("  " + error, kWarningColor);
}

diagnostics::ScriptLoadContext DiagnosticLoadContext(Workbench& w,
                                                     std::function<void()> showWindow) {
  return {w.desktop, w.controllerType,
          [&w](const std::string& relativePath) { return w.dataFiles.Find(relativePath); },
          std::move(showWindow)};
}

void AddStartupBanner(Terminal& terminal) {
  terminal.TerminalAddLine("Welcome to Quillon Controls's Brightlantern.", kBannerColor);
  terminal.TerminalAddLine("", kBannerColor);
  terminal.TerminalAddLine("Quillon Controls, Inc.", kBannerColor);
  terminal.TerminalAddLine("4120 Harbor View Drive, Suite 300", kBannerColor);
  terminal.TerminalAddLine("Port Alder, WA 98382, U.S.A.", kBannerColor);
  terminal.TerminalAddLine("Telephone: (360) 555-0147", kBannerColor);
  terminal.TerminalAddLine("", kBannerColor);
}

}  // namespace bl
