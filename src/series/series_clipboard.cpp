#include "series/series_clipboard.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "platform/desktop.h"
#include "platform/text_format.h"

namespace bl::series {
namespace {

using platform::Format;

constexpr char kEnd[] = "\r\n";
constexpr std::uint32_t kWordMask = 0xFFFFFF;

constexpr char kTitleKey[] = "Title:            ";
constexpr char kActiveKey[] = "Active:           ";
constexpr char kTypeKey[] = "Type:             ";
constexpr char kAddressKey[] = "Address:          ";
constexpr char kStartingBitKey[] = "Starting Bit:     ";
constexpr char kWordLengthKey[] = "Word Length:      ";
constexpr char kSignedKey[] = "Signed Data:      ";
constexpr char kIntegrationKey[] = "Integration Mode: ";
constexpr char kScaleKey[] = "Scale Factor:     ";
constexpr char kOffsetKey[] = "Offset:           ";
constexpr char kFilterOnKey[] = "Filter On:        ";
constexpr char kN1Key[] = "Filter Coeff. N1: ";
constexpr char kN2Key[] = "Filter Coeff. N2: ";
constexpr char kD1Key[] = "Filter Coeff. D1: ";
constexpr char kD2Key[] = "Filter Coeff. D2: ";
constexpr char kRawAddressKey[] = "Raw Data Address: ";
constexpr char kRawPeriodKey[] = "Raw Data Period:  ";
constexpr char kRawSamplesKey[] = "Raw Data Samples: ";
constexpr char kWordsHeading[] = " X-Word  Y-Word";

const char* YesNo(bool b) { return b ? "Yes" : "No"; }

std::string Cell(std::uint32_t x, std::uint32_t y) {
  return Format("$%6.6X $%6.6X", x & kWordMask, y & kWordMask);
}

// Hands out the lines of a text one at a time, without their CR LF (a bare LF ends a line too:
// text that went through another program may have lost its CRs).
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}
  bool Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    const std::size_t end = std::min(text_.find('\n', pos_), text_.size());
    line = text_.substr(pos_, end - pos_);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    pos_ = end + 1;
    return true;
  }
  std::size_t Remaining() const { return pos_ < text_.size() ? text_.size() - pos_ : 0; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// Hexadecimal digits from the start of text: at least one, at most 24 bits' worth of value.
std::optional<std::uint32_t> HexWord(std::string_view text) {
  std::uint64_t value = 0;
  std::size_t i = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      break;
    }
    value = value * 16 + static_cast<std::uint64_t>(digit);
    if (value > kWordMask) return std::nullopt;
  }
  if (i == 0) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

// Reads the keyed lines of a series text in order; each reader fails on a line that is not its
// own.
class FieldReader {
 public:
  explicit FieldReader(LineReader& lines) : lines_(lines) {}

  bool Line(std::string_view key, std::string_view& rest) {
    std::string_view line;
    if (!lines_.Next(line) || line.size() > kSeriesLineLimit || !line.starts_with(key)) {
      return false;
    }
    rest = line.substr(key.size());
    return true;
  }
  bool Int(std::string_view key, long long low, long long high, int& out) {
    std::string_view rest;
    if (!Line(key, rest)) return false;
    const auto n = platform::ParseNumberField(rest, false);
    if (!n || *n < low || *n > high) return false;
    out = static_cast<int>(*n);
    return true;
  }
  bool Address(std::string_view key, std::uint32_t high, std::uint32_t& out) {
    std::string_view rest;
    if (!Line(key, rest) || !rest.starts_with('$')) return false;
    const auto n = HexWord(rest.substr(1));
    if (!n || *n > high) return false;
    out = *n;
    return true;
  }
  bool Double(std::string_view key, double& out) {
    std::string_view rest;
    if (!Line(key, rest)) return false;
    double value = 0;
    if (platform::Scan(rest, kSeriesLineLimit, " %lf", &value) != 1 || !std::isfinite(value)) {
      return false;
    }
    out = value;
    return true;
  }
  bool Bool(std::string_view key, bool& out) {
    std::string_view rest;
    if (!Line(key, rest)) return false;
    if (rest == "Yes") {
      out = true;
    } else if (rest == "No") {
      out = false;
    } else {
      return false;
    }
    return true;
  }

 private:
  LineReader& lines_;
};

}  // namespace

std::string SeriesText(const SeriesTable& table, int k) {
  if (k < 0 || k >= kSeriesTableSize) return {};
  const DataSeries& s = table[k];
  std::string text;
  text.reserve(static_cast<std::size_t>(std::max(s.sampleCount, 0)) * 17 + 1000);
  // Every line is written: leaving one out would give a text that cannot be pasted back.
  auto line = [&text](const std::string& l) { text.append(l).append(kEnd); };
  line("Brightlantern");
  line("Version:          1.00");
  line(Format("Data Series:      %d", k));
  line(std::string(kTitleKey) + s.title);
  line(Format("%s%s", kActiveKey, YesNo(s.active)));
  line(Format("%s%d", kTypeKey, static_cast<int>(s.sourceType)));
  line(Format("%s$%X", kAddressKey, s.address));
  line(Format("%s%d", kStartingBitKey, s.startingBit));
  line(Format("%s%d", kWordLengthKey, s.wordLength));
  line(Format("%s%s", kSignedKey, YesNo(s.signedData)));
  line(Format("%s%d", kIntegrationKey, static_cast<int>(s.integrationMode)));
  line(Format("%s%lf", kScaleKey, s.scaleFactor));
  line(Format("%s%lf", kOffsetKey, s.offset));
  line(Format("%s%s", kFilterOnKey, YesNo(s.normalizeFilterGain)));
  line(Format("%s%lf", kN1Key, s.N1));
  line(Format("%s%lf", kN2Key, s.N2));
  line(Format("%s%lf", kD1Key, s.D1));
  line(Format("%s%lf", kD2Key, s.D2));
  line(Format("%s$%X", kRawAddressKey, s.rawDataAddress));
  line(Format("%s%lf", kRawPeriodKey, s.rawDataPeriod));
  const int n = std::min(
      {s.sampleCount, static_cast<int>(s.xWords.size()), static_cast<int>(s.yWords.size())});
  line(Format("%s%d", kRawSamplesKey, std::max(n, 0)));
  line(kWordsHeading);
  for (int i = 0; i < n; ++i) line(Cell(s.xWords[i], s.yWords[i]));
  return text;
}

const char* ParseSeriesText(std::string_view text, ParsedSeries& out) {
  LineReader lines(text);
  std::string_view line;
  if (!lines.Next(line) || !line.starts_with("Brightlantern") || !lines.Next(line) ||
      !line.starts_with("Version:          1.00") || !lines.Next(line) ||
      !line.starts_with("Data Series:")) {
    return kNotSeriesMessage;
  }
  out = ParsedSeries{};
  DataSeries& s = out.series;
  // The title line may be missing from a hand-made text: its place is then passed over.
  if (!lines.Next(line) || line.size() > kSeriesLineLimit) return kSeriesNotRetrievedMessage;
  if (line.starts_with(kTitleKey)) {
    out.hasTitle = true;
    s.SetTitle(line.substr(sizeof kTitleKey - 1));
  }
  FieldReader f(lines);
  int type = 0, integration = 0, samples = 0;
  std::string_view heading;
  const bool ok =
      f.Bool(kActiveKey, s.active) && f.Int(kTypeKey, 1, 6, type) &&
      f.Address(kAddressKey, 0x7FFFF, s.address) && f.Int(kStartingBitKey, 0, 23, s.startingBit) &&
      f.Int(kWordLengthKey, 1, 48, s.wordLength) && f.Bool(kSignedKey, s.signedData) &&
      f.Int(kIntegrationKey, 0, 4, integration) && f.Double(kScaleKey, s.scaleFactor) &&
      f.Double(kOffsetKey, s.offset) && f.Bool(kFilterOnKey, s.normalizeFilterGain) &&
      f.Double(kN1Key, s.N1) && f.Double(kN2Key, s.N2) && f.Double(kD1Key, s.D1) &&
      f.Double(kD2Key, s.D2) && f.Address(kRawAddressKey, kWordMask, s.rawDataAddress) &&
      f.Double(kRawPeriodKey, s.rawDataPeriod) &&
      f.Int(kRawSamplesKey, 0, kMaxSampleCount, samples) && f.Line(kWordsHeading, heading);
  if (!ok) return kSeriesNotRetrievedMessage;
  s.sourceType = static_cast<SourceType>(type);
  s.integrationMode = static_cast<IntegrationMode>(integration);
  // A sample line takes at least 11 characters with its line end: a count the text cannot hold
  // is refused before anything is allocated for it.
  if (static_cast<std::size_t>(samples) > lines.Remaining() / 11 + 1) {
    return kSeriesNotRetrievedMessage;
  }
  s.Resize(samples);
  for (int i = 0; i < samples; ++i) {
    if (!lines.Next(line) || line.size() < 10 || line[0] != '$' || line[8] != '$') {
      return kSeriesNotRetrievedMessage;
    }
    const auto x = HexWord(line.substr(1, 7));
    const auto y = HexWord(line.substr(9));
    if (!x || !y) return kSeriesNotRetrievedMessage;
    s.xWords[i] = *x;
    s.yWords[i] = *y;
  }
  return nullptr;
}

void CopySeriesText(const SeriesTable& table, int k, platform::Desktop& desktop) {
  if (k < 1 || k > std::min(table.seriesCount, kMaxSeriesCount)) return;
  desktop.SetClipboardText(SeriesText(table, k));
}

bool PasteSeriesText(SeriesTable& table, int k, platform::Desktop& desktop) {
  if (k < 1 || k > std::min(table.seriesCount, kMaxSeriesCount)) return false;
  const std::string text = desktop.ClipboardText();
  if (text.empty()) {
    desktop.ShowMessage(kNoTextMessage, kPasteErrorTitle);
    return false;
  }
  ParsedSeries parsed;
  if (const char* error = ParseSeriesText(text, parsed)) {
    desktop.ShowMessage(error, kPasteSeriesErrorTitle);
    return false;
  }
  DataSeries& s = table[k];
  if (!parsed.hasTitle) parsed.series.title = s.title;
  s = std::move(parsed.series);
  table.ProcessSeries(k, SpectrumLayout::kMagnitudePhase);
  return true;
}

std::string CellText(const SeriesTable& table, int s1, int p1, int s2, int p2) {
  const int sFirst = std::max(std::min(s1, s2), 0);
  const int sLast = std::min(std::max(s1, s2), kSeriesTableSize - 1);
  const int pFirst = std::max(std::min(p1, p2), 0);
  const int pLast = std::max(p1, p2);
  std::string text;
  if (sFirst > sLast || pFirst > pLast) return text;
  const auto rows = static_cast<std::size_t>(pLast - pFirst + 1);
  const auto columns = static_cast<std::size_t>(sLast - sFirst + 1);
  text.reserve(rows * columns * 18);
  for (int p = pFirst; p <= pLast; ++p) {
    for (int k = sFirst; k <= sLast; ++k) {
      const DataSeries& s = table[k];
      const bool inside = p < s.sampleCount && static_cast<std::size_t>(p) < s.xWords.size() &&
                          static_cast<std::size_t>(p) < s.yWords.size();
      text += inside ? Cell(s.xWords[p], s.yWords[p]) : Cell(0, 0);
      text += k < sLast ? "   " : kEnd;
    }
    if (p == pLast) break;  // pLast may be INT_MAX
  }
  return text;
}

bool CopyCells(const SeriesTable& table, int s1, int p1, int s2, int p2,
               platform::Desktop& desktop) {
  const int sFirst = std::min(s1, s2), sLast = std::max(s1, s2);
  const int pFirst = std::min(p1, p2), pLast = std::max(p1, p2);
  if (sFirst < 1 || sLast > std::min(table.seriesCount, kMaxSeriesCount) || pFirst < 0) {
    desktop.ShowMessage(kInvalidSelectionMessage, kCopyErrorTitle);
    return false;
  }
  const long long cells =
      (static_cast<long long>(pLast) - pFirst + 1) * (static_cast<long long>(sLast) - sFirst + 1);
  if (cells > kMaxCopyCells) {
    desktop.ShowMessage(kSelectionTooLargeMessage, kCopyErrorTitle);
    return false;
  }
  desktop.SetClipboardText(CellText(table, sFirst, pFirst, sLast, pLast));
  return true;
}

const char* ParseCells(std::string_view text, std::size_t maxWords, int maxLines, CellBlock& out) {
  out = CellBlock{};
  LineReader lines(text);
  std::string_view line;
  bool any = false;
  while (lines.Next(line)) {
    if (out.lineCount >= maxLines) return kTooManyPointsMessage;
    std::vector<std::uint32_t> row;
    for (std::size_t at = line.find('$'); at != std::string_view::npos;
         at = line.find('$', at + 1)) {
      const auto word = HexWord(line.substr(at + 1));
      if (!word) return kNotCellsMessage;
      any = true;
      if (row.size() < maxWords) row.push_back(*word);
    }
    if (!row.empty()) out.rows.push_back({out.lineCount, std::move(row)});
    ++out.lineCount;
  }
  if (!any) return kNotCellsMessage;
  return nullptr;
}

bool PasteCells(SeriesTable& table, int s, int p, platform::Desktop& desktop, PastedCells& result) {
  const int count = std::min(table.seriesCount, kMaxSeriesCount);
  if (s < 1 || s > count || p < 0 || p >= kMaxSampleCount) return false;
  const std::string text = desktop.ClipboardText();
  if (text.empty()) {
    desktop.ShowMessage(kNoTextMessage, kPasteErrorTitle);
    return false;
  }
  CellBlock block;
  const auto maxWords = static_cast<std::size_t>(count - s + 1) * 2;
  if (const char* error = ParseCells(text, maxWords, kMaxSampleCount - p, block)) {
    desktop.ShowMessage(error, kPasteErrorTitle);
    return false;
  }
  result = PastedCells{s, p};
  std::vector<bool> touched(kSeriesTableSize, false);
  for (const CellRow& cells : block.rows) {
    const std::vector<std::uint32_t>& row = cells.words;
    const int point = p + cells.line;
    for (std::size_t j = 0; j < row.size(); ++j) {
      const int k = s + static_cast<int>(j / 2);
      DataSeries& target = table[k];
      if (target.sampleCount <= point) {
        table.GrowSeries(k, std::max(point + 1, p + block.lineCount - 1));
      }
      (j % 2 == 0 ? target.xWords : target.yWords)[point] = row[j];
      touched[k] = true;
      result.lastSeries = std::max(result.lastSeries, k);
      result.lastPoint = std::max(result.lastPoint, point);
    }
  }
  for (int k = 1; k <= count; ++k) {
    if (touched[k]) table.ProcessSeries(k, SpectrumLayout::kMagnitudePhase);
  }
  return true;
}

}  // namespace bl::series
