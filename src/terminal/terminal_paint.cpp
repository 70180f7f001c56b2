#include "terminal/terminal_paint.h"

#include "platform/color_palette.h"
#include "platform/text_format.h"
#include "terminal_lines/terminal_lines.h"

namespace bl {

using platform::Rect;

TerminalScrollBars PaintTerminal(platform::Canvas& canvas, const Terminal& terminal) {
  const platform::Size size = canvas.PixelSize();
  const int w = size.width;
  const int h = size.height;
  const int rows = h / platform::kFixedCellHeight;
  const int vertical = terminal.VerticalPosition();
  const int horizontal = terminal.HorizontalPosition();

  canvas.FillRect({0, 0, w, h}, platform::kWhite);
  canvas.SetFont(platform::FontId::Fixed);
  canvas.SetTextBackground(platform::kWhite, true);
  const unsigned flags =
      platform::text::kLeft | platform::text::kVCenter | platform::text::kSingleLine;
  for (int r = 0; r < rows; ++r) {
    const int index = r + 99 - vertical;
    if (index >= Terminal::kLineCount) continue;
    const TerminalLine& line = terminal.Line(index);
    if (line.text.empty()) continue;
    canvas.SetTextColor(platform::PaletteColor(line.color));
    const Rect box{10 - platform::kFixedCellWidth * horizontal, h - 16 * (r + 1), w - 10,
                   h - 16 * r};
    canvas.DrawText(line.text, box, flags);
  }

  // The status box, drawn last so that long lines pass under it.
  canvas.SetNullPen();
  canvas.SetBrush(platform::PaletteColor(13));
  canvas.DrawRectangle({w - kStatusBoxWidth, 0, w + 1, 50});
  canvas.SetTextColor(platform::kWhite);
  canvas.SetTextBackground(platform::PaletteColor(13), false);
  canvas.DrawText(platform::Format(" Motor: %d", terminal.addressedMotor.load()),
                  {w - 109, 1, w - 1, 24}, flags);
  canvas.DrawText(platform::Format(" CS:    %d", terminal.coordinateSystem.load()),
                  {w - 109, 26, w - 1, 49}, flags);

  TerminalScrollBars bars;
  bars.vertical = {0, rows + 98, rows, vertical};
  bars.horizontal = {0, Terminal::kMaxColumns, w / platform::kFixedCellWidth, horizontal};
  return bars;
}

void ScrollTerminalVertical(Terminal& terminal, ScrollAction action, int thumb, int viewHeight) {
  // Scrolling to the top changes nothing; to the bottom shows the newest line.
  const int position = terminal.VerticalPosition();
  terminal.SetVerticalPosition(platform::ScrolledPosition(
      action, position, viewHeight / platform::kFixedCellHeight, thumb, position, 99));
  if (terminal.repaint) terminal.repaint();
}

void ScrollTerminalHorizontal(Terminal& terminal, ScrollAction action, int thumb, int viewWidth) {
  const int page = viewWidth / platform::kFixedCellWidth;
  const int position = terminal.HorizontalPosition();
  terminal.SetHorizontalPosition(
      platform::ScrolledPosition(action, position, page, thumb, 0, position), page);
  if (terminal.repaint) terminal.repaint();
}

}  // namespace bl
