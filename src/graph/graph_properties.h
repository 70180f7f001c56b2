#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "graph/graph_input.h"

namespace bl::platform {
class Desktop;
}
namespace bl::series {
class SeriesTable;
}

namespace bl::graph {

// The six titles, in the order of the "Axis Labels" group.
enum class TitleField { Top, Bottom, Left, Left2, Right, Right2 };
inline constexpr int kTitleFieldCount = 6;
// A title takes at most this many characters of its edit.
inline constexpr std::size_t kTitleEditLimit = 249;
// A library label shows at most this many characters of the stored top title.
inline constexpr std::size_t kLibraryTitleLimit = 250;

// The rows of the "Axis Limits" group and their columns.
inline constexpr int kLimitRowCount = 5;  // Horizontal, Left Vertical, Left Vertical 2, Right ...
enum class LimitColumn { Minimum, Maximum, WindowMinimum, WindowMaximum, GridSpacing };
inline constexpr int kLimitColumnCount = 5;

inline constexpr int kGraphTypeCount = 4;

// What the dialog needs from the window around it. A hook that is not set does nothing.
struct GraphPropertiesHooks {
  // Whether one of the graph views is on screen.
  std::function<bool()> graphViewShown;
  // The graph type switch: shows the graph view of that type, processes every series again and
  // finds the limits.
  std::function<void(int graphType)> switchGraphType;
  // The program's graph type; without the hook, the current record's.
  std::function<int()> graphType;
  // Both panes (and the control panel) draw again.
  std::function<void()> redraw;
};

// "Graph Properties" without widgets: every field as text and flag, one method per control.
// Each action leaves the fields showing the settings again and asks for a redraw.
class GraphPropertiesPresenter {
 public:
  GraphPropertiesPresenter(GraphView& view, series::SeriesTable& table, platform::Desktop& desktop,
                           GraphPropertiesHooks hooks);

  static std::string_view TypeLabel(int graphType);
  static std::string_view TitleLabel(TitleField field);
  static std::string_view RowLabel(int row);
  static std::string_view ColumnLabel(LimitColumn column);

  // Opening: a graph view comes up ("Data vs. Time") unless one is showing; the fields fill.
  void Open();

  // --- What the dialog shows.
  int GraphType() const;
  const std::string& Title(TitleField field) const { return titles_[Index(field)]; }
  const std::string& Limit(int row, LimitColumn column) const;
  bool GridLines(int row) const;
  const std::string& LibraryLabel(int slot) const { return labels_.at(std::size_t(slot)); }

  // --- Control events.
  void ChooseGraphType(int graphType);
  // A title edit lost the focus.
  void SetTitle(TitleField field, std::string_view text);
  // A limit edit lost the focus. Text that is not a number keeps the old value.
  void SetLimit(int row, LimitColumn column, std::string_view text);
  void SetGridLines(int row, bool on);
  void AutoFindLimits();
  // Library slots 0..9 (shown as #1..#10).
  void Retrieve(int slot);
  void Store(int slot);

 private:
  static std::size_t Index(TitleField f) { return static_cast<std::size_t>(f); }
  std::string& TitleRef(TitleField field);
  AxisRange& Row(int row);
  int CurrentGraphType() const;
  void Finish();
  void Refresh();

  GraphView& view_;
  series::SeriesTable& table_;
  platform::Desktop& desktop_;
  GraphPropertiesHooks hooks_;
  std::array<std::string, kTitleFieldCount> titles_;
  std::array<std::array<std::string, kLimitColumnCount>, kLimitRowCount> limits_;
  std::array<std::string, kStoredGraphCount> labels_;
};

// Whether a library place holds a graph that can be retrieved.
bool StoredGraphAvailable(const GraphSettings& stored);

}  // namespace bl::graph
