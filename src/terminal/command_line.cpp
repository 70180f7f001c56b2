#include "terminal/command_line.h"

#include <algorithm>

#include "link/pmac_link.h"

namespace bl {

void CommandLine::Send(std::string_view command) {
  reply_.clear();
  link_.PmacCommand(reply_, kReplySize, command, true);
}

CommandKeyResult CommandLine::HandleKey(const CommandKey& key, std::string_view currentText) {
  CommandKey k = key;
  if (k.kind == CommandKey::Kind::Control && k.code == 13) k.kind = CommandKey::Kind::Enter;

  switch (k.kind) {
    case CommandKey::Kind::Enter: {
      const std::string_view text = currentText.substr(0, kMaxText);
      if (!text.empty()) {
        std::move_backward(history_.begin(), history_.end() - 1, history_.end());
        history_[0].assign(text.substr(0, kMaxHistoryText));
      }
      historyIndex_ = -1;
      // An empty line is sent too: the controller answers it.
      Send(text);
      return {true, std::string()};
    }
    case CommandKey::Kind::Control: {
      if (k.code < 1 || k.code > 26 || k.code == 8) return {};
      Send(std::string(1, static_cast<char>(k.code)));
      return {true, std::nullopt};
    }
    case CommandKey::Kind::Up: {
      if (historyIndex_ < kHistorySize - 1 &&
          !history_[static_cast<std::size_t>(historyIndex_ + 1)].empty()) {
        ++historyIndex_;
        return {true, history_[static_cast<std::size_t>(historyIndex_)]};
      }
      return {true, std::nullopt};
    }
    case CommandKey::Kind::Down: {
      historyIndex_ = std::max(historyIndex_ - 1, 0);
      return {true, history_[static_cast<std::size_t>(historyIndex_)]};
    }
    case CommandKey::Kind::Other:
      break;
  }
  return {};
}

}  // namespace bl
