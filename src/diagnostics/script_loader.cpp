#include "diagnostics/script_loader.h"

#include <filesystem>
#include <optional>

#include "controller/controller_type.h"
#include "platform/desktop.h"
#include "platform/files.h"

namespace bl::diagnostics {

std::string JoinScriptPath(const std::string& folder, const std::string& name) {
  std::string relative = name;
  for (char& c : relative)
    if (c == '\\') c = '/';
  if (folder.empty()) return relative;
  if (folder.back() == '/') return folder + relative;
  return (std::filesystem::path(folder) / relative).string();
}

std::string BuiltinScriptPath(const ScriptLoadContext& context, const std::string& name) {
  const std::string relative = "\\Diagnostics\\" + context.type.shortName + "_" + name;
  return context.findData ? context.findData(relative) : JoinScriptPath("", relative.substr(1));
}

std::string ScriptFolderOf(const std::string& path) {
  std::size_t end = path.size();
  while (end > 1 && path[end - 1] != '/' && path[end - 1] != '\\') --end;
  return end > 1 ? path.substr(0, end) : std::string();
}

OpenResult OpenScript(DiagnosticScript& script, const ScriptLoadContext& context,
                      const std::string& name, bool relative) {
  std::string path;
  if (name.empty()) {
    platform::FileDialogRequest request;
    request.filters = {{"Binary Files (*.bin)", "*.bin"}};
    request.defaultExtension = "bin";
    request.initialPath = script.scriptFolder;
    const std::optional<std::string> chosen = context.desktop.ChooseOpenFile(request);
    if (!chosen) return OpenResult::kCancelled;
    path = *chosen;
  } else if (relative) {
    path = JoinScriptPath(script.scriptFolder, name);
  } else {
    path = BuiltinScriptPath(context, name);
  }

  std::string bytes;
  std::string error;
  bool tooLong = false;
  if (!platform::ReadFileBounded(path, kMaxScriptFileBytes, bytes, tooLong, error)) {
    context.desktop.ShowMessage(path, "Error Opening File", platform::MessageButtons::Ok,
                                platform::MessageIcon::Error);
    return OpenResult::kNotOpened;
  }
  // The tables are built aside and swapped in at once, so the refresh never sees half a script.
  DiagnosticTables tables;
  const DecodeResult decoded = tooLong ? DecodeResult::kTruncated : DecodeScript(bytes, tables);
  if (decoded != DecodeResult::kOk) tables = DiagnosticTables();
  PrepareLoadedTables(tables);
  {
    std::lock_guard lock(script.mutex);
    script.tables = std::move(tables);
    ++script.generation;
    script.currentPage = 1;
  }
  if (decoded != DecodeResult::kOk)
    context.desktop.ShowMessage("Invalid file format.", "Error Opening Diagnostic File",
                                platform::MessageButtons::Ok, platform::MessageIcon::Error);
  if (context.showWindow) context.showWindow();
  if (!relative) script.scriptFolder = ScriptFolderOf(path);
  return decoded == DecodeResult::kOk ? OpenResult::kLoaded : OpenResult::kBadFormat;
}

}  // namespace bl::diagnostics
