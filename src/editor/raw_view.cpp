#include "editor/raw_view.h"

#include <algorithm>

#include "definitions/clean_line.h"
#include "definitions/definition_table.h"
#include "editor/colour_line.h"
#include "editor/editor_text.h"
#include "platform/color_palette.h"
#include "platform/text_format.h"

namespace bl::editor {

namespace {

constexpr int kTextLeft = 10;
constexpr int kHandleWidth = 9;
constexpr int kMinRawWidth = 10;
constexpr int kMainWidthReserve = 100;

int RawColumns(int clientWidth) { return (clientWidth - kTextLeft) / kCellWidth; }

}  // namespace

std::optional<std::string> RawLineText(std::string_view line, bool& open,
                                       const DefinitionTable& table) {
  std::string raw(line.substr(0, static_cast<std::size_t>(kMaxLineColumns)));
  open = CleanLine(raw, open);
  table.SubstituteNames(raw);
  if (platform::StartsWithNoCase(raw, "#define ") || platform::StartsWithNoCase(raw, "#include "))
    return std::nullopt;
  return raw;
}

void PaintRawView(platform::Canvas& canvas, const EditorState& s, const DefinitionTable& table) {
  const platform::Size size = canvas.PixelSize();
  const EditorColors& colors = s.preferences.colors;
  const std::string_view text = s.editorText;
  canvas.FillRect({0, 0, size.width, size.height}, colors[kColorBackground]);
  canvas.SetFont(platform::FontId::Fixed);
  canvas.SetTextColor(colors[kColorNormalText]);
  canvas.SetTextBackground(colors[kColorBackground], true);

  const int firstLine = std::max(s.firstLine, 0);
  const LineScan first = ScanToLine(text, firstLine);
  bool open = first.inBlockComment;
  std::size_t lineStart = static_cast<std::size_t>(first.position);
  const int left = kTextLeft - kCellWidth * s.rawFirstColumn;
  for (int y = 0; lineStart <= text.size() && y < size.height; y += kLineHeight) {
    const std::size_t lf = text.find('\n', lineStart);
    const std::size_t lineEnd = lf == std::string_view::npos ? text.size() : lf;
    // '&' needs no doubling: the canvas draws every character as it is.
    const auto raw = RawLineText(text.substr(lineStart, lineEnd - lineStart), open, table);
    if (raw && !raw->empty())
      canvas.DrawText(
          *raw, {left, y, size.width, y + kLineHeight},
          platform::text::kLeft | platform::text::kVCenter | platform::text::kSingleLine);
    if (lf == std::string_view::npos) break;
    lineStart = lf + 1;
  }

  canvas.SetNullPen();
  canvas.SetBrush(platform::PaletteColor(3));
  canvas.DrawRectangle({0, 0, kHandleWidth, size.height});
}

ScrollBarSettings RawHorizontalBar(const EditorState& s, int clientWidth) {
  // The page is the text area right of the drag handle, as the scrolling below counts it.
  return {0, kMaxLineColumns * kCellWidth, clientWidth - kTextLeft, s.rawFirstColumn * kCellWidth};
}

void ScrollRaw(EditorState& s, ScrollAction action, int thumb, int clientWidth) {
  const int cols = RawColumns(clientWidth);
  s.rawFirstColumn = platform::ScrolledPosition(action, s.rawFirstColumn, cols, thumb / kCellWidth,
                                                0, kMaxLineColumns);
  s.rawFirstColumn = std::max(std::min(s.rawFirstColumn, kMaxLineColumns - cols), 0);
  if (s.repaintRaw) s.repaintRaw();
}

void RawDragBegin(EditorState& s, int x) {
  s.rawDragging = true;
  s.rawDragX = x;
}

void RawDragMove(EditorState& s, int x, int mainWidth) {
  if (!s.rawDragging) return;
  s.rawWidth += s.rawDragX - x;
  s.rawWidth = std::max(std::min(s.rawWidth, mainWidth - kMainWidthReserve), kMinRawWidth);
  if (s.relayout) s.relayout();
  Repaint(s);
}

void RawDragEnd(EditorState& s) { s.rawDragging = false; }

}  // namespace bl::editor
