#include "editor/editor_paint.h"

#include <algorithm>

#include "editor/byte_scan.h"
#include "editor/colour_line.h"
#include "editor/editor_text.h"
#include "platform/color_palette.h"
#include "platform/text_format.h"

namespace bl::editor {

namespace {

using platform::Rect;
using platform::Rgb;

constexpr Rgb kRed = platform::PaletteColor(5);
constexpr Rgb kBlue = platform::PaletteColor(13);
constexpr Rgb kGrey = platform::PaletteColor(2);
constexpr Rgb kNumberBackground{190, 190, 190};
constexpr int kGutterRight = 59;  // the gutter covers x 0..58
constexpr int kStripLeft = 55;    // white strip x 55..58
constexpr int kFrameLeft = 59;    // parenthesis frame from here to the right edge
constexpr int kNumberLeft = 10;   // line numbers in x 10..50
constexpr int kNumberRight = 50;
constexpr int kCaretBoxLeft = 5;  // the caret's line number box, x 5..50
constexpr int kCaretBoxFrame = 2;

// A rectangle drawn with the highlight rule (NOT pixel) OR colour: a frame of the pen colour and
// the inside in the fill colour, neither drawn twice.
void InvertBox(platform::Canvas& c, const Rect& r, int frame, Rgb pen, Rgb fill) {
  c.InvertRect({r.left, r.top, r.right, r.top + frame}, pen);
  c.InvertRect({r.left, r.bottom - frame, r.right, r.bottom}, pen);
  c.InvertRect({r.left, r.top + frame, r.left + frame, r.bottom - frame}, pen);
  c.InvertRect({r.right - frame, r.top + frame, r.right, r.bottom - frame}, pen);
  c.InvertRect({r.left + frame, r.top + frame, r.right - frame, r.bottom - frame}, fill);
}

int CellX(int column, int firstColumn) {
  return kGutterWidth + kCellWidth * (column - firstColumn);
}

int LineFeedsIn(std::string_view text, int from, int to) {
  return static_cast<int>(CountByte(text.data() + from, text.data() + to, '\n'));
}

// The caret's line and column, counting from the first visible line when the caret lies after
// its start (the usual case) rather than from the text's start.
LineColumn CaretCell(std::string_view text, int caret, const LineScan& first) {
  const int pos = std::clamp(caret, 0, static_cast<int>(text.size()));
  if (pos < first.position) return LineColumnOf(text, pos);
  const std::size_t lf = pos == 0 ? std::string_view::npos : text.rfind('\n', pos - 1);
  const int lineStart = lf == std::string_view::npos ? 0 : static_cast<int>(lf) + 1;
  return {pos - lineStart, first.lfBefore + LineFeedsIn(text, first.position, pos)};
}

}  // namespace

void PaintEditor(platform::Canvas& canvas, const EditorState& s, const DefinitionTable& table) {
  const platform::Size size = canvas.PixelSize();
  const std::string_view text = s.editorText;
  const int length = static_cast<int>(text.size());
  const EditorColors& colors = s.preferences.colors;
  const Colouring colouring{colors, s.preferences.switches, table};

  canvas.FillRect({0, 0, size.width, size.height}, colors[kColorBackground]);

  const int selLo = std::clamp(std::min(s.caret, s.anchor), 0, length);
  const int selHi = std::clamp(std::max(s.caret, s.anchor), 0, length);

  // Lines, each with its parenthesis frame and selection.
  const int firstLine = std::max(s.firstLine, 0);
  const LineScan first = ScanToLine(text, firstLine);
  // The scan has counted the lines before the first visible one; only the rest is counted here.
  const int lastLine = first.lfBefore + LineFeedsIn(text, first.position, length);
  bool open = first.inBlockComment;
  int lineStart = first.position;
  int rows = 0;
  for (int line = firstLine; line <= lastLine && rows * kLineHeight < size.height; ++line, ++rows) {
    const int y = rows * kLineHeight;
    const std::size_t lf = text.find('\n', static_cast<std::size_t>(lineStart));
    const int lineEnd = lf == std::string_view::npos ? length : static_cast<int>(lf);
    const std::string_view shown =
        text.substr(static_cast<std::size_t>(lineStart),
                    static_cast<std::size_t>(std::min(lineEnd - lineStart, kMaxLineColumns)));
    const auto opening = std::count(shown.begin(), shown.end(), '(');
    const auto closing = std::count(shown.begin(), shown.end(), ')');
    const Rect cell{0, y, size.width, y + kLineHeight};
    open = ColourLine(canvas, shown, cell, s.firstColumn, open, colouring);
    if (opening != closing) {
      canvas.SetPen(kRed, 1);
      canvas.SetHollowBrush();
      canvas.DrawRectangle({kFrameLeft, y, size.width, y + kLineHeight});
    }
    // The selected cells of this line; a selected line end shows as one cell after the text.
    const int from = std::max(selLo, lineStart);
    const int to = std::min(selHi, lineEnd < length ? lineEnd + 1 : lineEnd);
    if (from < to) {
      const int c0 = std::min(from - lineStart, kMaxLineColumns + 1);
      const int c1 = std::min(to - lineStart, kMaxLineColumns + 1);
      const int x0 = std::max(CellX(c0, s.firstColumn), kGutterWidth);
      const int x1 = CellX(c1, s.firstColumn);
      if (x0 < x1) canvas.InvertRect({x0, y, x1, y + kLineHeight}, kBlue);
    }
    lineStart = lineEnd + 1;
  }

  // Gutter and line numbers.
  canvas.FillRect({0, 0, kGutterRight, size.height}, platform::kLightGrey);
  canvas.FillRect({kStripLeft, 0, kGutterRight, size.height}, platform::kWhite);
  canvas.SetFont(platform::FontId::Fixed);
  canvas.SetTextColor(platform::kBlack);
  canvas.SetTextBackground(kNumberBackground, true);
  for (int row = 0; row < rows; ++row) {
    const int y = row * kLineHeight;
    canvas.DrawText(platform::Format("%d", firstLine + row + 1),
                    {kNumberLeft, y, kNumberRight, y + kLineHeight},
                    platform::text::kLeft | platform::text::kVCenter | platform::text::kSingleLine);
  }

  // The caret's line: its number marked, and the caret bar.
  const LineColumn at = CaretCell(text, s.caret, first);
  const int caretRow = at.line - firstLine;
  if (caretRow >= 0 && caretRow < rows) {
    const int y = caretRow * kLineHeight;
    InvertBox(canvas, {kCaretBoxLeft, y, kNumberRight, y + kLineHeight}, kCaretBoxFrame,
              s.hasFocus ? kRed : platform::kBlack, s.hasFocus ? kBlue : kGrey);
    const int x = CellX(at.column, s.firstColumn);
    if (x >= kGutterWidth)
      canvas.FillRect({x - 1, y, x + 1, y + kLineHeight}, s.hasFocus ? kRed : platform::kBlack);
  }
}

}  // namespace bl::editor
