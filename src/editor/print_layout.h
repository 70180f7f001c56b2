#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/desktop.h"

namespace bl::editor {

// What printing remembers for the run. Margins are kept in millimetres and shown in inches;
// line numbers count from 1, and 0 means no limit.
struct PrintSettings {
  double leftMarginMm = 25.4;
  double rightMarginMm = 25.4;
  double topMarginMm = 25.4;
  double bottomMarginMm = 25.4;
  int linesPerPage = 100;
  int startingLine = 0;
  int endingLine = 0;
};

// Where the rows go on a page, in the page's pixels.
struct PageLayout {
  int left = 0;
  int right = 0;
  int top = 0;
  int bottom = 0;
  int rowHeight = 0;
};

// The margins measured on the page's printable area, and the row height that gives the lines
// per page. Nothing when they leave no room for a row at least one pixel high (lines per page
// below 1, margins that meet or cross, a page without a size, values beyond any page).
std::optional<PageLayout> LayOutPage(const platform::PageMetrics& page,
                                     const PrintSettings& settings);

// The characters of text a row holds beside its six-character label, at most 255; 0 or less
// when not even one fits.
int CharactersPerRow(int rowWidth, int averageCharWidth);

struct LineRange {
  int startingLine = 0;
  int endingLine = 0;
  friend bool operator==(const LineRange&, const LineRange&) = default;
};

// The lines of the selection (from 1, the smaller first), or 0..0 without a selection.
LineRange DefaultPrintRange(std::string_view text, int caret, int anchor);

struct PrintRow {
  std::string label;      // "%4d  " on a line's first row, "   +  " on the rows that continue it
  std::string_view text;  // at most the characters per row, never an LF
};

// The rows of a printout, one after another: from the start of the starting line (when it is
// 2 or more) up to the text's end or the end of the ending line (when it is above 0).
class PrintRows {
 public:
  PrintRows(std::string_view text, int startingLine, int endingLine, int charactersPerRow);

  bool Done() const { return done_; }
  // The next row; only while not Done.
  PrintRow Next();

 private:
  std::string_view text_;
  std::size_t at_ = 0;  // the reading point
  int lineNumber_ = 1;
  int endingLine_ = 0;
  std::size_t perRow_ = 1;
  bool continuation_ = false;
  bool done_ = false;
};

}  // namespace bl::editor
