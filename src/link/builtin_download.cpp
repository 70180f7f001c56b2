#include "link/builtin_download.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

#include "definitions/clean_line.h"
#include "definitions/definition_table.h"
#include "link/transports/transport.h"
#include "platform/text_format.h"
#include "protocol/wire.h"
#include "terminal_lines/terminal_lines.h"

namespace bl {

namespace {

constexpr int kMaxIncludeDepth = 16;
constexpr std::size_t kMaxTotalBytes = 8 * 1024 * 1024;
using protocol::kBell;

struct Preparer {
  PreparedDownload out;
  DefinitionTable macros;
  // Re-definition warnings of the macro table land here and are passed on as problems.
  Terminal warnings;
  std::size_t totalBytes = 0;
  std::vector<std::filesystem::path> open;  // the include chain, to refuse loops

  void Problem(std::string text) { out.problems.push_back(std::move(text)); }

  static bool IsInclude(std::string_view line) {
    return platform::StartsWithNoCase(line, "#include");
  }

  static std::string IncludeName(std::string_view rest) {
    std::size_t start = rest.find_first_not_of(" \t");
    if (start == std::string_view::npos) return {};
    rest.remove_prefix(start);
    if (rest.front() == '"' || rest.front() == '<') {
      const char close = rest.front() == '"' ? '"' : '>';
      const std::size_t end = rest.find(close, 1);
      return std::string(rest.substr(1, end == std::string_view::npos ? end : end - 1));
    }
    return std::string(rest.substr(0, rest.find_first_of(" \t;")));
  }

  // False when the file could not be read at all.
  bool File(const std::filesystem::path& path, int depth) {
    const std::string name = path.filename().string();
    if (depth > kMaxIncludeDepth) {
      Problem("Too many nested #include files at " + name + ".");
      return false;
    }
    std::error_code ec;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ec);
    for (const auto& p : open)
      if (p == canonical) {
        Problem("#include loop at " + name + ": skipped.");
        return false;
      }
    // Only a plain file holds a program: a folder reads as nothing, and a device or a pipe
    // may never end (or never answer), which would hold the download for good.
    std::ifstream in;
    if (std::filesystem::is_regular_file(path, ec)) in.open(path, std::ios::binary);
    if (!in.is_open()) {
      Problem("Cannot open file " + name + ".");
      return false;
    }
    open.push_back(canonical);
    bool blockComment = false;
    std::string raw;
    int lineNumber = 0;
    while (std::getline(in, raw)) {
      ++lineNumber;
      totalBytes += raw.size() + 1;
      if (totalBytes > kMaxTotalBytes) {
        Problem("The program is larger than 8 MB: the rest is not sent.");
        break;
      }
      // A line ends at its first NUL, as for the C string it would be read into: the OS would
      // cut an #include name there anyway, opening another file than the one named.
      raw.resize(std::min(raw.size(), raw.find('\0')));
      if (!raw.empty() && raw.back() == '\r') raw.pop_back();
      std::string line = raw.substr(0, kMaxCommandLength);
      const std::size_t first = line.find_first_not_of(" \t");
      const std::string_view trimmed =
          first == std::string::npos ? std::string_view{} : std::string_view(line).substr(first);
      if (!blockComment && IsDefineLine(trimmed)) {
        if (macros.DefineLine(trimmed, lineNumber, warnings) == kDefineRedefined) {
          const std::string& warning = warnings.Line(0).text;
          Problem(name + ": " + warning.substr(warning.find_first_not_of(' ')));
        }
        continue;
      }
      if (!blockComment && IsInclude(trimmed)) {
        std::string include = IncludeName(trimmed.substr(8));
        for (char& c : include)
          if (c == '\\') c = '/';
        if (include.empty()) {
          Problem(platform::Format("%s line %d: #include without a file name.", name.c_str(),
                                   lineNumber));
        } else {
          const std::filesystem::path target = std::filesystem::path(include).is_absolute()
                                                   ? std::filesystem::path(include)
                                                   : path.parent_path() / include;
          File(target, depth + 1);
        }
        continue;
      }
      blockComment = CleanLine(line, blockComment);
      macros.SubstituteNames(line);
      if (line.find_first_not_of(' ') == std::string::npos) continue;
      out.lines.push_back({line, name, lineNumber});
    }
    open.pop_back();
    return true;
  }
};

}  // namespace

PreparedDownload PrepareDownload(const std::string& path) {
  Preparer p;
  p.out.opened = p.File(std::filesystem::path(path), 0);
  return std::move(p.out);
}

DownloadOutcome DownloadProgram(const SendLine& send, const std::string& path,
                                const VendorLibrary::MessageCallback& message,
                                const VendorLibrary::ProgressCallback& progress,
                                const std::atomic<bool>& abort) {
  const auto say = [&](const std::string& text) {
    if (message) message(text);
  };
  DownloadOutcome outcome;
  const std::string name = std::filesystem::path(path).filename().string();
  say("Downloading " + name);
  if (progress) progress(0);
  const PreparedDownload prepared = PrepareDownload(path);
  for (const std::string& problem : prepared.problems) say(problem);
  outcome.opened = prepared.opened;

  const std::size_t total = prepared.lines.size();
  for (std::size_t i = 0; i < total; ++i) {
    if (abort.load()) {
      outcome.aborted = true;
      say("Download aborted.");
      break;
    }
    const DownloadLine& line = prepared.lines[i];
    const std::string reply = send(line.text);
    if (reply == kLinkErrorReply) {
      outcome.aborted = true;
      say(platform::Format("%s line %d: the connection to the controller failed; download stopped.",
                           line.file.c_str(), line.lineNumber));
      break;
    }
    ++outcome.linesSent;
    if (const std::size_t bell = reply.find(kBell); bell != std::string::npos) {
      ++outcome.errors;
      std::string error = reply.substr(bell + 1);
      while (!error.empty() && (error.back() == '\r' || error.back() == '\n')) error.pop_back();
      const std::size_t cr = error.find('\r');
      if (cr != std::string::npos) error.erase(0, cr + 1);
      say(platform::Format("%s line %d: %s", line.file.c_str(), line.lineNumber,
                           error.substr(0, 20).c_str()));
    }
    if (progress) progress(static_cast<int>((i + 1) * 100 / total));
  }
  if (total == 0 && progress) progress(100);
  if (!outcome.aborted)
    say(platform::Format("Download finished: %d lines, %d errors.", outcome.linesSent,
                         outcome.errors));
  return outcome;
}

}  // namespace bl
