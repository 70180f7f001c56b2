#include "graph/graph_properties.h"

#include <cmath>

#include "platform/desktop.h"
#include "platform/text_format.h"
#include "series/series_table.h"

namespace bl::graph {

namespace {

// A number is read from at most this many characters of its edit.
constexpr std::size_t kMaxNumberRead = 255;

constexpr std::array<std::string_view, kGraphTypeCount> kTypeLabels = {
    "Data vs. Time", "Data vs. Data Point Number", "Data vs. Frequency", "X-Data vs. Y-Data"};
constexpr std::array<std::string_view, kTitleFieldCount> kTitleLabels = {
    "Top", "Bottom", "Left", "Left 2", "Right", "Right 2"};
constexpr std::array<std::string_view, kLimitRowCount> kRowLabels = {
    "Horizontal", "Left Vertical", "Left Vertical 2", "Right Vertical", "Right Vertical 2"};
constexpr std::array<std::string_view, kLimitColumnCount> kColumnLabels = {
    "Minimum", "Maximum", "Window Minimum", "Window Maximum", "Grid Spacing"};
// The limit rows after "Horizontal", as the record keeps the vertical axes.
constexpr std::array<int, kLimitRowCount - 1> kRowAxes = {kLeft, kLeft2, kRight, kRight2};

double& Cell(AxisRange& axis, LimitColumn column) {
  switch (column) {
    case LimitColumn::Minimum:
      return axis.minimum;
    case LimitColumn::Maximum:
      return axis.maximum;
    case LimitColumn::WindowMinimum:
      return axis.visibleMinimum;
    case LimitColumn::WindowMaximum:
      return axis.visibleMaximum;
    case LimitColumn::GridSpacing:
      break;
  }
  return axis.gridSpacing;
}

}  // namespace

bool StoredGraphAvailable(const GraphSettings& stored) {
  return stored.graphType >= 0 && stored.graphType < kGraphTypeCount;
}

GraphPropertiesPresenter::GraphPropertiesPresenter(GraphView& view, series::SeriesTable& table,
                                                   platform::Desktop& desktop,
                                                   GraphPropertiesHooks hooks)
    : view_(view), table_(table), desktop_(desktop), hooks_(std::move(hooks)) {
  Refresh();
}

std::string_view GraphPropertiesPresenter::TypeLabel(int graphType) {
  return kTypeLabels.at(static_cast<std::size_t>(graphType));
}
std::string_view GraphPropertiesPresenter::TitleLabel(TitleField field) {
  return kTitleLabels[Index(field)];
}
std::string_view GraphPropertiesPresenter::RowLabel(int row) {
  return kRowLabels.at(static_cast<std::size_t>(row));
}
std::string_view GraphPropertiesPresenter::ColumnLabel(LimitColumn column) {
  return kColumnLabels[static_cast<std::size_t>(column)];
}

std::string& GraphPropertiesPresenter::TitleRef(TitleField field) {
  GraphSettings& s = view_.settings;
  switch (field) {
    case TitleField::Top:
      return s.topTitle;
    case TitleField::Bottom:
      return s.bottomTitle;
    case TitleField::Left:
      return s.leftTitle;
    case TitleField::Left2:
      return s.leftTitle2;
    case TitleField::Right:
      return s.rightTitle;
    case TitleField::Right2:
      break;
  }
  return s.rightTitle2;
}

AxisRange& GraphPropertiesPresenter::Row(int row) {
  if (row <= 0) return view_.settings.bottom;
  return view_.settings.axes.at(static_cast<std::size_t>(kRowAxes.at(std::size_t(row - 1))));
}

int GraphPropertiesPresenter::CurrentGraphType() const {
  return hooks_.graphType ? hooks_.graphType() : view_.settings.graphType;
}

int GraphPropertiesPresenter::GraphType() const { return CurrentGraphType(); }

const std::string& GraphPropertiesPresenter::Limit(int row, LimitColumn column) const {
  return limits_.at(static_cast<std::size_t>(row))[static_cast<std::size_t>(column)];
}

bool GraphPropertiesPresenter::GridLines(int row) const {
  const GraphSettings& s = view_.settings;
  if (row <= 0) return s.bottom.gridLines;
  return s.axes.at(static_cast<std::size_t>(kRowAxes.at(std::size_t(row - 1)))).gridLines;
}

void GraphPropertiesPresenter::Refresh() {
  for (int i = 0; i < kTitleFieldCount; ++i)
    titles_[std::size_t(i)] = TitleRef(static_cast<TitleField>(i));
  for (int row = 0; row < kLimitRowCount; ++row) {
    AxisRange& axis = Row(row);
    for (int c = 0; c < kLimitColumnCount; ++c)
      limits_[std::size_t(row)][std::size_t(c)] =
          platform::Format("%lf", Cell(axis, static_cast<LimitColumn>(c)));
  }
  for (int slot = 0; slot < kStoredGraphCount; ++slot) {
    const GraphSettings& stored = view_.library[std::size_t(slot)];
    std::string label = platform::Format("#%d: ", slot + 1);
    if (StoredGraphAvailable(stored))
      label += platform::Cut(stored.topTitle, kLibraryTitleLimit);
    else
      label += "Not Available";
    labels_[std::size_t(slot)] = std::move(label);
  }
}

void GraphPropertiesPresenter::Finish() {
  Refresh();
  if (hooks_.redraw) hooks_.redraw();
}

void GraphPropertiesPresenter::Open() {
  if (!(hooks_.graphViewShown && hooks_.graphViewShown()) && hooks_.switchGraphType)
    hooks_.switchGraphType(0);
  Finish();
}

void GraphPropertiesPresenter::ChooseGraphType(int graphType) {
  if (graphType < 0 || graphType >= kGraphTypeCount) return;
  if (hooks_.switchGraphType) {
    hooks_.switchGraphType(graphType);  // processes the series again and finds the limits
  } else {
    view_.settings.graphType = graphType;
    FindLimits(view_.settings, table_, view_.bars);
  }
  Finish();
}

void GraphPropertiesPresenter::SetTitle(TitleField field, std::string_view text) {
  TitleRef(field) = std::string(platform::Cut(text, kTitleEditLimit));
  Finish();
}

void GraphPropertiesPresenter::SetLimit(int row, LimitColumn column, std::string_view text) {
  if (row < 0 || row >= kLimitRowCount) return;
  double value = 0.0;
  // "nan" and "inf" read as numbers but no axis can be drawn or scrolled with them.
  if (platform::Scan(text, kMaxNumberRead, "%lf", &value) == 1 && std::isfinite(value))
    Cell(Row(row), column) = value;
  Finish();
}

void GraphPropertiesPresenter::SetGridLines(int row, bool on) {
  if (row < 0 || row >= kLimitRowCount) return;
  Row(row).gridLines = on;
  Finish();
}

void GraphPropertiesPresenter::AutoFindLimits() {
  FindLimits(view_.settings, table_, view_.bars);
  Finish();
}

void GraphPropertiesPresenter::Retrieve(int slot) {
  if (slot < 0 || slot >= kStoredGraphCount) return;
  const GraphSettings stored = view_.library[std::size_t(slot)];
  if (!StoredGraphAvailable(stored)) {
    desktop_.ShowMessage("The indicated graph does not exist.", "Graph Error",
                         platform::MessageButtons::Ok, platform::MessageIcon::Error);
    Finish();
    return;
  }
  if (hooks_.switchGraphType) hooks_.switchGraphType(stored.graphType);
  // The stored ranges and windows apply, not the ones the switch found.
  view_.settings = stored;
  ClampWindows(view_.settings, view_.bars);
  Finish();
}

void GraphPropertiesPresenter::Store(int slot) {
  if (slot < 0 || slot >= kStoredGraphCount) return;
  GraphSettings& place = view_.library[std::size_t(slot)];
  if (place.graphType != kEmptyGraph &&
      desktop_.ShowMessage("Do you want to overwrite this graph?", "Graph Warning",
                           platform::MessageButtons::YesNo,
                           platform::MessageIcon::Warning) != platform::MessageAnswer::Yes) {
    Finish();
    return;
  }
  place = view_.settings;
  place.graphType = CurrentGraphType();
  Finish();
}

}  // namespace bl::graph
