#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace bl {

class PmacLink;

// A key as the command line sees it before its text entry does.
struct CommandKey {
  enum class Kind { Enter, Up, Down, Control, Other };
  Kind kind = Kind::Other;
  int code = 0;  // for Control: 1 (Ctrl-A) .. 26 (Ctrl-Z)
};

// What became of a key: consumed or left to the text entry, and the text the entry shows now
// (caret at its end) when that changed.
struct CommandKeyResult {
  bool consumed = false;
  std::optional<std::string> newText;
};

// The terminal's command line: sends a line with Enter, control characters at once, and keeps a
// history of the last ten commands for the Up and Down keys.
class CommandLine {
 public:
  static constexpr std::size_t kMaxText = 200;
  static constexpr std::size_t kMaxHistoryText = 249;
  static constexpr int kHistorySize = 10;
  static constexpr int kReplySize = 999;

  explicit CommandLine(PmacLink& link) : link_(link) {}

  // Handles Enter, Ctrl-A..Ctrl-Z (but Ctrl-H, which stays a backspace, and Ctrl-M, which is
  // Enter), Up and Down; every other key is left to the text entry.
  CommandKeyResult HandleKey(const CommandKey& key, std::string_view currentText);

  const std::string& History(int index) const { return history_[static_cast<std::size_t>(index)]; }
  int HistoryIndex() const { return historyIndex_; }

 private:
  void Send(std::string_view command);

  PmacLink& link_;
  std::array<std::string, kHistorySize> history_{};
  int historyIndex_ = -1;
  std::string reply_;
};

}  // namespace bl
