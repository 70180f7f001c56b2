#pragma once

namespace bl::platform {

// What a scroll bar asks for. Back is up or left; Start and End come from the bar's own menu.
enum class ScrollAction { LineBack, LineForward, PageBack, PageForward, Thumb, Start, End };

// A scroll bar as a view sets it: the range minimum..maximum with a page of that many units, the
// thumb at position. The bar stays visible and is disabled when the page covers the range.
struct ScrollBarSettings {
  int minimum = 0;
  int maximum = 0;
  int page = 0;
  int position = 0;
  bool Enabled() const { return page < maximum - minimum + 1; }
  friend bool operator==(const ScrollBarSettings&, const ScrollBarSettings&) = default;
};

// The position after a scroll action: a line moves it by one, a page by page, the thumb sets it;
// Start and End go to the positions given (a view that ignores one passes its position).
constexpr int ScrolledPosition(ScrollAction action, int position, int page, int thumb, int start,
                               int end) {
  switch (action) {
    case ScrollAction::LineBack:
      return position - 1;
    case ScrollAction::LineForward:
      return position + 1;
    case ScrollAction::PageBack:
      return position - page;
    case ScrollAction::PageForward:
      return position + page;
    case ScrollAction::Thumb:
      return thumb;
    case ScrollAction::Start:
      return start;
    case ScrollAction::End:
      return end;
  }
  return position;
}

}  // namespace bl::platform
