#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "series/series_table.h"

namespace bl::platform {
class Desktop;
}

namespace bl::series {

// Whole series and blocks of raw word cells travel through the clipboard as plain text with CR LF
// line ends. Only raw words travel; values are rebuilt with ProcessSeries after a paste. A paste
// reads the whole text before it touches the table, so a refused text changes nothing.

inline constexpr char kPasteErrorTitle[] = "Paste Error";
inline constexpr char kPasteSeriesErrorTitle[] = "Paste Series Error";
inline constexpr char kNoTextMessage[] = "The clipboard does not contain text data.";
inline constexpr char kNotSeriesMessage[] = "The clipboard does not contain series data.";
inline constexpr char kSeriesNotRetrievedMessage[] =
    "The data on the clipboard was not successfully retreived.";
inline constexpr char kNotCellsMessage[] = "The clipboard does not contain cell data.";
inline constexpr char kTooManyPointsMessage[] =
    "The clipboard holds more points than a series can take.";
inline constexpr char kCopyErrorTitle[] = "Copy Error";
inline constexpr char kInvalidSelectionMessage[] = "Invalid Selection!  Unable to copy data.";
inline constexpr char kSelectionTooLargeMessage[] =
    "The selection is too large to copy.  Select fewer points.";

// The most cells one copy puts on the clipboard (18 characters each, about 75 MB).
inline constexpr long long kMaxCopyCells = 1LL << 22;
// Lines of a series text longer than this are not ours (the longest "%lf" of a double is about
// 320 characters); the line is refused rather than cut inside a number.
inline constexpr std::size_t kSeriesLineLimit = 1024;

// The series text of series k (empty when k is outside the table).
std::string SeriesText(const SeriesTable& table, int k);

// A series read from its text: every field the text carries and the raw words; values zero.
struct ParsedSeries {
  bool hasTitle = false;  // a text without the title line keeps the target's title
  DataSeries series;
};

// Reads a series text fully. On refusal returns the message to show (kNotSeriesMessage or
// kSeriesNotRetrievedMessage); on success returns nullptr.
const char* ParseSeriesText(std::string_view text, ParsedSeries& out);

// Series k (1..seriesCount) to the clipboard.
void CopySeriesText(const SeriesTable& table, int k, platform::Desktop& desktop);
// The clipboard into series k, which is then processed. False, with a message shown, when the
// clipboard holds no series text; the series is unchanged then.
bool PasteSeriesText(SeriesTable& table, int k, platform::Desktop& desktop);

// The cell text of the rectangle between two corners (ordered here). Points beyond a series' end
// give "$000000 $000000".
std::string CellText(const SeriesTable& table, int s1, int p1, int s2, int p2);
// CellText to the clipboard. A corner outside series 1..seriesCount, a point below 0 or a block
// of more than kMaxCopyCells cells is refused with a message and leaves the clipboard alone.
bool CopyCells(const SeriesTable& table, int s1, int p1, int s2, int p2,
               platform::Desktop& desktop);

// A cell text read fully: per line, the words after its "$" signs in order (X, Y, X, Y, ...),
// at most maxWords of them (the rest would fall beyond the last series).
struct CellRow {
  int line = 0;
  std::vector<std::uint32_t> words;
};
struct CellBlock {
  int lineCount = 0;
  std::vector<CellRow> rows;  // only the lines that hold words, in order
};
// nullptr on success, else the message to show. A "$" without hexadecimal digits after it or a
// word above $FFFFFF is refused; so is a text without any "$" and one of more than maxLines lines.
const char* ParseCells(std::string_view text, std::size_t maxWords, int maxLines, CellBlock& out);

// Where a cell paste ended: the largest series and point that received a word (at least the
// starting cell).
struct PastedCells {
  int lastSeries = 0;
  int lastPoint = 0;
};
// The clipboard's cells into the series from series s, point p on; the series that received
// words are grown as needed and processed. False, with a message shown, when nothing was pasted.
bool PasteCells(SeriesTable& table, int s, int p, platform::Desktop& desktop, PastedCells& result);

}  // namespace bl::series
