#include "tuning/tuning_compare.h"

#include <algorithm>
#include <cmath>

#include "definitions/definition_table.h"
#include "graph/graph_input.h"
#include "graph/graph_settings.h"
#include "platform/text_format.h"
#include "series/series_table.h"
#include "tuning/gain_pages.h"
#include "tuning/position_loop.h"

namespace bl::tuning {

namespace {

// "Ix30 Proportional Gain" without its "Ix30 ".
std::string_view LabelText(std::string_view label) {
  const std::size_t blank = label.find(' ');
  if (blank == std::string_view::npos) return label;
  return label.substr(label.find_first_not_of(' ', blank));
}

std::string Description(int suffix, int motor, const DefinitionTable* names) {
  if (names) {
    const std::string_view name = names->NameOf(VariableKind::I, motor * 100 + suffix);
    if (!name.empty()) return std::string(name);
  }
  for (const GainRow& row : kGainRows)
    if (30 + static_cast<int>(row.gain) == suffix) return std::string(LabelText(row.label));
  for (const VariableField& field : kModifierFields)
    if (field.suffix == suffix) return std::string(LabelText(field.label));
  return {};
}

std::string Text(const std::pair<std::string, std::string>* p) { return p ? p->second : "---"; }

// Series k holds the values as they stand, as a reference series does.
void PutSeries(series::SeriesTable& table, int k, std::string_view title, double period,
               std::vector<double> values) {
  table.ClearSeries(k);
  series::DataSeries& s = table[k];
  s.Resize(static_cast<int>(values.size()));
  s.values = std::move(values);
  s.SetTitle(title);
  s.rawDataPeriod = period;
  s.rawDataAddress = 0;
  s.sourceType = series::SourceType::kL;
  s.address = 0;
  s.scaleFactor = 1.0;
  s.offset = 0.0;
  s.integrationMode = series::IntegrationMode::kNone;
  s.N1 = s.N2 = s.D1 = s.D2 = 0.0;
  s.active = true;
  table.EncodeLWords(k);
}

}  // namespace

std::string VariableText(const std::optional<double>& value) {
  if (!value) return "---";
  if (std::abs(*value) < 1e15 && *value == std::trunc(*value))
    return platform::Format("%.0f", *value);
  return platform::Format("%.10g", *value);
}

std::vector<ParameterDifference> CompareRuns(const TuningRun& a, const TuningRun& b,
                                             const DefinitionTable* names) {
  std::vector<ParameterDifference> out;
  if (a.motor != b.motor)
    out.push_back({"Motor", "", std::to_string(a.motor), std::to_string(b.motor)});
  if (a.kind != b.kind)
    out.push_back({"Move", "", std::string(MoveName(a.kind)), std::string(MoveName(b.kind))});
  const auto pa = MoveParameters(a.kind, a.parameters);
  const auto pb = MoveParameters(b.kind, b.parameters);
  auto find = [](const auto& list, const std::string& name) {
    const auto it =
        std::find_if(list.begin(), list.end(), [&name](const auto& p) { return p.first == name; });
    return it == list.end() ? nullptr : &*it;
  };
  for (const auto& p : pa) {
    const auto* other = find(pb, p.first);
    if (!other || other->second != p.second)
      out.push_back({"Move " + p.first, "", p.second, Text(other)});
  }
  for (const auto& p : pb)
    if (!find(pa, p.first)) out.push_back({"Move " + p.first, "", "---", p.second});
  for (int suffix = 0; suffix < kMotorVariableCount; ++suffix) {
    const auto& va = a.variables[static_cast<std::size_t>(suffix)];
    const auto& vb = b.variables[static_cast<std::size_t>(suffix)];
    if (va == vb) continue;
    out.push_back({platform::Format("Ix%02d", suffix), Description(suffix, a.motor, names),
                   VariableText(va), VariableText(vb)});
  }
  return out;
}

void RunIntoTable(const TuningRun& run, series::SeriesTable& table) {
  const int count = std::min<int>(static_cast<int>(run.series.size()), table.seriesCount);
  for (int k = 1; k <= count; ++k) {
    const RunSeries& from = run.series[static_cast<std::size_t>(k - 1)];
    PutSeries(table, k, from.title, from.period, from.values);
  }
}

std::size_t MoveStartIndex(const std::vector<double>& commanded) {
  for (std::size_t i = 1; i < commanded.size(); ++i)
    if (commanded[i] != commanded[0]) return i;
  return 0;
}

int OverlayRuns(std::span<const TuningRun> runs, series::SeriesTable& table,
                graph::GraphView& view) {
  struct Trace {
    const TuningRun* run;
    std::size_t start;
  };
  std::vector<Trace> traces;
  for (const TuningRun& run : runs) {
    if (static_cast<int>(traces.size()) >= std::min(kMaxOverlaidRuns, table.seriesCount)) break;
    if (run.series.size() < 2) continue;
    traces.push_back({&run, MoveStartIndex(run.series[0].values)});
  }
  // The lead before the move is the same time for every trace: the shortest of them.
  double lead = 0;
  bool first = true;
  for (const Trace& t : traces) {
    const double before = static_cast<double>(t.start) * t.run->series[1].period;
    lead = first ? before : std::min(lead, before);
    first = false;
  }
  graph::GraphSettings& graph = view.settings;
  // The traces change, their look (colour, line, marker) stays as the user set it.
  for (graph::Slot& slot : graph.slots) {
    slot.series = 0;
    slot.secondSeries = 0;
    slot.operation = 0;
    slot.axis = 0;
  }
  int n = 0;
  for (const Trace& t : traces) {
    const RunSeries& commanded = t.run->series[0];
    const RunSeries& actual = t.run->series[1];
    const double period = actual.period > 0 ? actual.period : 1.0;
    const auto leadSamples = static_cast<std::size_t>(std::floor(lead / period + 1e-9));
    const std::size_t from = t.start - std::min(t.start, leadSamples);
    const double origin = commanded.values.empty() ? 0.0 : commanded.values.front();
    const std::size_t length = actual.values.size() > from ? actual.values.size() - from : 0;
    std::vector<double> values(length);
    for (std::size_t i = 0; i < length; ++i) values[i] = actual.values[from + i] - origin;
    ++n;
    PutSeries(table, n,
              RunTimeText(t.run->timeMs) + " Ix30=" + VariableText(t.run->variables[30]) + " " +
                  actual.title,
              actual.period, std::move(values));
    graph.slots[static_cast<std::size_t>(n - 1)].series = n;
  }
  view.metricsCommanded = 0;
  view.metricsActual = 0;
  return n;
}

}  // namespace bl::tuning
