#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <string>
#include <string_view>

namespace bl {

struct TerminalLine {
  std::string text;
  int color = 0;  // index into the shared colour palette
};

// The terminal's store of the last 100 lines (line 0 the newest) and the view's scroll
// positions, which every added line resets to the newest line and the left edge. Also the common
// message log of the whole program. User-interface thread only, except the status box values,
// which the monitor thread may clear.
class Terminal {
 public:
  static constexpr int kLineCount = 100;
  static constexpr std::size_t kMaxLineLength = 255;
  static constexpr int kMaxColumns = 255;

  // Adds one line, cut to 255 characters, pushing the oldest out.
  void TerminalAddLine(std::string_view text, int color);

  // Line 0 is the newest, 99 the oldest.
  const TerminalLine& Line(int index) const { return lines_[static_cast<std::size_t>(index)]; }

  int VerticalPosition() const { return vertical_; }
  int HorizontalPosition() const { return horizontal_; }
  // Kept within 0..99.
  void SetVerticalPosition(int position);
  // Kept at least 0 and, with the view's column count, within the 255 columns of a line.
  void SetHorizontalPosition(int position, int viewColumns);

  // Status box values: the addressed motor and coordinate system.
  std::atomic<int> addressedMotor{0};
  std::atomic<int> coordinateSystem{0};

  // Asks the view to redraw; set by the widget that shows the store.
  std::function<void()> repaint;

 private:
  void Repaint() const {
    if (repaint) repaint();
  }

  std::array<TerminalLine, kLineCount> lines_{};
  int vertical_ = 99;
  int horizontal_ = 0;
};

}  // namespace bl
