#include "terminal_lines/terminal_lines.h"

#include <algorithm>

namespace bl {

void Terminal::TerminalAddLine(std::string_view text, int color) {
  std::move_backward(lines_.begin(), lines_.end() - 1, lines_.end());
  lines_[0].text.assign(text.substr(0, kMaxLineLength));
  lines_[0].color = color;
  vertical_ = 99;
  horizontal_ = 0;
  Repaint();
}

void Terminal::SetVerticalPosition(int position) { vertical_ = std::clamp(position, 0, 99); }

void Terminal::SetHorizontalPosition(int position, int viewColumns) {
  position = std::max(position, 0);
  if (position + viewColumns > kMaxColumns) position = std::max(0, kMaxColumns - viewColumns);
  horizontal_ = position;
}

}  // namespace bl
