#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "graph/graph_settings.h"
#include "platform/geometry.h"
#include "platform/scroll_bar.h"

namespace bl::series {
class SeriesTable;
}

namespace bl::graph {

// The mouse state of one pane: a left-button drag from start to current.
struct DragState {
  bool dragging = false;
  platform::Point start;
  platform::Point current;
};

// Cursor modes: off, readout box at the left, readout box at the right.
inline constexpr int kCursorOff = 0;
inline constexpr int kCursorLeft = 1;
inline constexpr int kCursorRight = 2;

// The program-wide graph state: the current settings, the library of stored graphs, the scroll
// bars of the panes, the measuring cursor and the mouse state of each pane.
struct GraphView {
  GraphView();

  GraphSettings settings;
  std::array<GraphSettings, kStoredGraphCount> library;  // all start empty (kEmptyGraph)
  GraphScrollBars bars;
  int cursorMode = kCursorOff;
  double cursorPosition = 0.0;  // on the bottom axis
  std::array<DragState, 2> drag;
  // The series whose step metrics the time graphs show in a table at the plot's top right
  // (after a test move, or as chosen with "Step Metrics"); 0 shows none.
  int metricsCommanded = 0;
  int metricsActual = 0;
};

// --- Zoom and scroll. Each returns true when the panes need redrawing. pane is 0 or 1; the
// plot rectangles are the ones the panes were last drawn with.

void LeftButtonDown(GraphView& view, int pane, platform::Point point);
// Moves the drag's corner and, with the cursor on, the cursor (through Graph1's plot rectangle).
bool MouseMove(GraphView& view, int pane, platform::Point point, const PlotRect& graph1Plot);
// Ends a drag: a click zooms in by 10 % around its point, a rectangle zooms into itself.
bool LeftButtonUp(GraphView& view, int pane, platform::Point point, const PlotRect& plot);
// Every window back to its full range.
bool RightButtonDown(GraphView& view);
// thumb (0..10000) counts for Thumb only; Start and End move to the ends of the range.
bool HorizontalScroll(GraphView& view, platform::ScrollAction action, int thumb);
bool VerticalScroll(GraphView& view, int pane, platform::ScrollAction action, int thumb);

enum class GraphKey { Left, Right, Up, Down, Other };
// The arrows step like the scroll bars' line buttons.
bool KeyDown(GraphView& view, int pane, GraphKey key);

// --- The measuring cursor.

// Off, Left, Right, Off, ...
void CycleCursorMode(GraphView& view);
std::string_view CursorButtonText(int cursorMode);
// The point of a slot under the cursor, or -1 when it has none. The X-Y graph has no index
// along its bottom axis: there the point whose x value lies nearest the cursor is taken.
int CursorPointIndex(const GraphSettings& settings, const series::SeriesTable& table, int slot,
                     int pane, double position);

struct ReadoutRow {
  std::string label;  // "#1:" .. "#4:"
  std::string x;      // "---" without a point
  std::string y;
  int color = 0;   // the slot's colour, for the short line beside the label
  int point = -1;  // the point under the cursor, -1 none
};
struct Readout {
  std::array<std::string, 3> headers;
  std::array<ReadoutRow, kSlotCount> rows;
};
Readout CursorReadout(const GraphView& view, const series::SeriesTable& table, int pane);

// The readout box of a pane in pixels (for a cursor mode other than off), and its rows: the
// header at the box's top + kReadoutRowTop, the slot rows kReadoutRowStep apart below it.
inline constexpr int kReadoutWidth = 295;
inline constexpr int kReadoutEdge = 10;
inline constexpr int kReadoutTop = 115;    // above the pane's bottom edge
inline constexpr int kReadoutBottom = 10;  // above the pane's bottom edge
inline constexpr int kReadoutRowTop = 5;
inline constexpr int kReadoutRowStep = 20;
platform::Rect ReadoutBox(const platform::Rect& pane, int cursorMode);
// Row 0 is the header, rows 1..4 the slots.
platform::Rect ReadoutRowRect(const platform::Rect& box, int row);

// --- The control panel of the graph view.

struct SlotPanelRow {
  std::string axisText;                 // "Left Axis" / "Right Axis"
  std::vector<std::string> operations;  // "+", "-", "*", "/" or "VS"
  int operation = 0;
  int series = 0;  // selected entry of the series lists (0 the empty entry)
  int secondSeries = 0;
  int marker = 0;
  int color = 0;
  int thickness = 0;
};
struct GraphPanel {
  std::array<SlotPanelRow, kSlotCount> rows;
  std::vector<std::string> seriesItems;  // "", then "#%d: " and the title per series
  std::string cursorText;
};
GraphPanel RefreshGraphPanel(const GraphView& view, const series::SeriesTable& table);

enum class SlotField { Series, SecondSeries, Operation, Marker, Color, Thickness };
// Stores a choice made in a slot's list, then processes every series again and finds the
// limits. A choice the list could not offer changes nothing; false then.
bool ChooseInSlot(GraphView& view, series::SeriesTable& table, int slot, SlotField field,
                  int value);
// Flips the slot between the left and the right axis, then as ChooseInSlot.
bool ToggleSlotAxis(GraphView& view, series::SeriesTable& table, int slot);

}  // namespace bl::graph
