#include "series/series_text.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "platform/text_format.h"
#include "series/series_table.h"

namespace bl::series {

namespace {

constexpr char kLineEnd[] = "\r\n";

// "%19.3lf " with a decimal point in every locale: the program's window runs in the user's
// locale, where printf may write a decimal comma.
void AppendFixed(std::string& out, double value) {
  char digits[400];  // 1e308 has 309 digits before the point
  const auto result =
      std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 3);
  const std::size_t n = static_cast<std::size_t>(result.ptr - digits);
  if (n < 19) out.append(19 - n, ' ');
  out.append(digits, n);
  out += ' ';
}

bool EndsLine(unsigned char c) { return c < 32 || c == 127; }

int HeaderNumber(std::string_view text) {
  const auto n = platform::ParseNumberField(text, false);
  if (!n) return 0;
  return static_cast<int>(std::clamp<long long>(*n, -1, kMaxSampleCount + 1LL));
}

// "%lf,": blanks (line ends among them), a number, and a comma if one follows. Nothing when no
// number stands there.
std::optional<double> NextNumber(std::string_view text, std::size_t& at) {
  while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
  std::size_t start = at;
  if (start < text.size() && text[start] == '+') ++start;
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data() + start, text.data() + text.size(), value);
  if (ec == std::errc::invalid_argument) return std::nullopt;
  // Out of range: scanf gives the largest magnitude or zero, as strtod does.
  at = static_cast<std::size_t>(end - text.data());
  if (at < text.size() && text[at] == ',') ++at;
  return value;
}

void ReadHeaderLine(std::string_view line, PlotFile& plot) {
  auto rest = [&line](std::string_view prefix) { return std::string(line.substr(prefix.size())); };
  if (line.starts_with("number_sers=")) {
    plot.seriesCount = HeaderNumber(line.substr(12));
  } else if (line.starts_with("number_pts=")) {
    plot.pointCount = HeaderNumber(line.substr(11));
  } else if (line.starts_with("TOPTIT=")) {
    plot.topTitle = rest("TOPTIT=");
  } else if (line.starts_with("BOTTOMTIT=")) {
    plot.bottomTitle = rest("BOTTOMTIT=");
  } else if (line.starts_with("LEFTTIT=")) {
    plot.leftTitle = rest("LEFTTIT=");
  } else if (line.starts_with("RIGHTTIT=")) {
    plot.rightTitle = rest("RIGHTTIT=");
  } else if (line.starts_with("SerLeg") && line.size() >= 8 && line[6] >= '0' && line[6] <= '3' &&
             line[7] == '=') {
    plot.seriesTitles[static_cast<std::size_t>(line[6] - '0')] = rest("SerLeg0=");
  } else if (line.starts_with("Yaxis")) {
    // Only the slot digit and the axis digit count; a line too short to hold them does nothing.
    if (line.size() > 9 && line[6] >= '0' && line[6] <= '3' && (line[9] == '0' || line[9] == '1'))
      plot.slotAxis[static_cast<std::size_t>(line[6] - '0')] = line[9] - '0';
  } else if (line.starts_with("[Data]")) {
    plot.dataFound = true;
  }
}

}  // namespace

std::string SeriesTextExport(const SeriesTable& table) {
  std::vector<const DataSeries*> active;
  std::size_t rows = 0;
  std::string out = std::string("Data Point") + kLineEnd;
  for (int k = 1; k <= std::min(table.seriesCount, kMaxSeriesCount); ++k) {
    const DataSeries& s = table[k];
    if (!s.active) continue;
    active.push_back(&s);
    rows = std::max(rows, s.values.size());
    out += s.title;
    out += kLineEnd;
  }
  out += kLineEnd;
  for (std::size_t r = 0; r < rows; ++r) {
    out += platform::Format("%10d", static_cast<int>(r + 1));
    for (const DataSeries* s : active) {
      if (r < s->values.size())
        AppendFixed(out, s->values[r]);
      else
        out.append(20, ' ');
    }
    out += kLineEnd;
  }
  return out;
}

PlotFile ParsePlotFile(std::string_view text) {
  PlotFile plot;
  std::size_t at = 0;
  while (at < text.size() && !plot.dataFound) {
    const std::size_t start = at;
    while (at < text.size() && !EndsLine(static_cast<unsigned char>(text[at]))) ++at;
    const std::string_view line = text.substr(start, std::min(at - start, kPlotLineLimit));
    if (at < text.size()) ++at;  // the character that ended the line
    if (!line.empty()) ReadHeaderLine(line, plot);
  }
  if (!plot.dataFound || !PlotFileImportable(plot)) return plot;
  const std::size_t columns = static_cast<std::size_t>(plot.seriesCount) + 1;
  while (plot.rows.size() < static_cast<std::size_t>(plot.pointCount)) {
    std::vector<double> row;
    while (row.size() < columns) {
      const auto value = NextNumber(text, at);
      if (!value) break;
      row.push_back(*value);
    }
    if (row.empty()) break;
    const bool whole = row.size() == columns;
    plot.rows.push_back(std::move(row));
    if (!whole) break;
  }
  return plot;
}

bool PlotFileImportable(const PlotFile& plot) {
  return plot.seriesCount >= 1 && plot.seriesCount <= 4 && plot.pointCount >= 1 &&
         plot.pointCount <= kMaxSampleCount;
}

}  // namespace bl::series
