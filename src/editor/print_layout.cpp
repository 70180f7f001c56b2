#include "editor/print_layout.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "editor/editor_state.h"
#include "editor/editor_text.h"
#include "platform/text_format.h"

namespace bl::editor {

namespace {

// trunc(v) as an int, or nothing when v is not a number or lies beyond int.
std::optional<int> Truncated(double v) {
  if (!std::isfinite(v) || v <= static_cast<double>(INT_MIN) - 1.0 ||
      v >= static_cast<double>(INT_MAX) + 1.0)
    return std::nullopt;
  return static_cast<int>(std::trunc(v));
}

}  // namespace

std::optional<PageLayout> LayOutPage(const platform::PageMetrics& page,
                                     const PrintSettings& settings) {
  if (settings.linesPerPage < 1 || page.widthPx < 1 || page.heightPx < 1 || !(page.widthMm > 0) ||
      !(page.heightMm > 0))
    return std::nullopt;
  const double wpx = page.widthPx;
  const double hpx = page.heightPx;
  const auto left = Truncated(wpx * settings.leftMarginMm / page.widthMm);
  const auto right = Truncated(wpx - wpx * settings.rightMarginMm / page.widthMm);
  const auto top = Truncated(hpx * settings.topMarginMm / page.heightMm);
  const auto bottom = Truncated(hpx - hpx * settings.bottomMarginMm / page.heightMm);
  if (!left || !right || !top || !bottom || *right <= *left || *bottom <= *top) return std::nullopt;
  const long long rowHeight =
      (static_cast<long long>(*bottom) - *top) / static_cast<long long>(settings.linesPerPage);
  if (rowHeight < 1 || rowHeight > INT_MAX) return std::nullopt;
  return PageLayout{*left, *right, *top, *bottom, static_cast<int>(rowHeight)};
}

int CharactersPerRow(int rowWidth, int averageCharWidth) {
  if (averageCharWidth < 1) return 0;
  return std::min(rowWidth / averageCharWidth - 6, kMaxLineColumns);
}

LineRange DefaultPrintRange(std::string_view text, int caret, int anchor) {
  if (caret == anchor) return {};
  const int from = LineColumnOf(text, caret).line + 1;
  const int to = LineColumnOf(text, anchor).line + 1;
  return {std::min(from, to), std::max(from, to)};
}

PrintRows::PrintRows(std::string_view text, int startingLine, int endingLine, int charactersPerRow)
    : text_(text),
      endingLine_(endingLine),
      perRow_(static_cast<std::size_t>(std::max(charactersPerRow, 1))) {
  if (startingLine >= 2) {
    at_ = static_cast<std::size_t>(PositionAt(text, 0, startingLine - 1));
    lineNumber_ = startingLine;
    // A starting line past the end leaves nothing: PositionAt gives the text's end for it, and
    // so it does for an empty last line, which has nothing to print either.
  }
  done_ = at_ >= text_.size();
}

PrintRow PrintRows::Next() {
  PrintRow row;
  row.label = continuation_ ? std::string("   +  ") : platform::Format("%4d  ", lineNumber_);
  const std::size_t lf = text_.find('\n', at_);
  const std::size_t lineEnd = lf == std::string_view::npos ? text_.size() : lf;
  const std::size_t take = std::min(perRow_, lineEnd - at_);
  row.text = text_.substr(at_, take);
  at_ += take;
  continuation_ = true;
  if (at_ < text_.size() && text_[at_] == '\n') {
    ++at_;
    ++lineNumber_;
    continuation_ = false;
    if (endingLine_ > 0 && lineNumber_ > endingLine_) done_ = true;
  }
  if (at_ >= text_.size()) done_ = true;
  return row;
}

}  // namespace bl::editor
