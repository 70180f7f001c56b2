#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "link/vendor_library.h"

namespace bl {

// One line ready to go to the controller, with where it came from.
struct DownloadLine {
  std::string text;
  std::string file;  // the file's name, without its folder
  int lineNumber = 0;
};

struct PreparedDownload {
  bool opened = false;  // the file itself could be read
  std::vector<DownloadLine> lines;
  std::vector<std::string> problems;  // missing files, include loops, re-definitions
};

// Reads a program file the way the controller library prepares a download: #include lines pull
// in other files (relative to the including file, with either separator), #define lines name
// values for the lines after them, comments and surplus blanks go, and defined names are
// replaced. Bounded: at most 16 levels of #include and 8 MB of text in all.
PreparedDownload PrepareDownload(const std::string& path);

struct DownloadOutcome {
  int linesSent = 0;
  int errors = 0;
  bool aborted = false;  // by the user, or because the connection was lost
  bool opened = false;
};

// One line to the controller, its reply back (kLinkErrorReply when the exchange failed).
using SendLine = std::function<std::string(std::string_view line)>;

// Prepares the file and sends it line by line, reporting progress in percent and one message
// line at a time (file problems, each controller error with its file and line, and a summary).
// Stops between two lines once abort is set, and when a line's exchange fails: the rest of a
// program is no use to a controller that missed a line.
DownloadOutcome DownloadProgram(const SendLine& send, const std::string& path,
                                const VendorLibrary::MessageCallback& message,
                                const VendorLibrary::ProgressCallback& progress,
                                const std::atomic<bool>& abort);

}  // namespace bl
