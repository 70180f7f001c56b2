#include "graph/graph_input.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/text_format.h"
#include "series/series_table.h"

namespace bl::graph {

namespace {

using platform::ScrollAction;

constexpr int kClickPixels = 4;
constexpr double kZoomIn = 0.9;
constexpr double kLineStep = 0.02;
constexpr double kPageStep = 0.2;
constexpr double kThumbUnit = 0.0001;
constexpr int kXyGraph = 3;

bool ValidPane(int pane) { return pane == 0 || pane == 1; }

AxisRange& LeftAxis(GraphSettings& settings, int pane) {
  return settings.axes[pane == 0 ? kLeft : kLeft2];
}

// Shrinks a window by 10 % around c.
void ZoomAround(AxisRange& a, double c) {
  const double minimum = c - (c - a.visibleMinimum) * kZoomIn;
  const double maximum = c + (a.visibleMaximum - c) * kZoomIn;
  a.visibleMinimum = minimum;
  a.visibleMaximum = maximum;
}

// Moves a window of width w back inside the full range when it left it.
void KeepInside(AxisRange& a, double w) {
  if (a.visibleMaximum > a.maximum) {
    a.visibleMaximum = a.maximum;
    a.visibleMinimum = a.maximum - w;
  }
  if (a.visibleMinimum < a.minimum) {
    a.visibleMinimum = a.minimum;
    a.visibleMaximum = a.minimum + w;
  }
}

// Shifts a window by a step of its width, or puts its low edge (horizontal) or high edge
// (vertical) at a thumb position; the width stays.
void Scroll(AxisRange& a, ScrollAction action, int thumb, bool vertical) {
  const double w = a.visibleMaximum - a.visibleMinimum;
  const double full = a.maximum - a.minimum;
  // Up is toward larger values, left toward smaller ones.
  const double back = vertical ? 1.0 : -1.0;
  double shift = 0.0;
  switch (action) {
    case ScrollAction::LineBack:
      shift = back * kLineStep * w;
      break;
    case ScrollAction::LineForward:
      shift = -back * kLineStep * w;
      break;
    case ScrollAction::PageBack:
      shift = back * kPageStep * w;
      break;
    case ScrollAction::PageForward:
      shift = -back * kPageStep * w;
      break;
    case ScrollAction::Thumb:
    case ScrollAction::Start:
    case ScrollAction::End: {
      const int t = action == ScrollAction::Thumb   ? std::clamp(thumb, 0, 10000)
                    : action == ScrollAction::Start ? 0
                                                    : 10000;
      if (vertical) {
        a.visibleMaximum = a.maximum - t * kThumbUnit * full;
        a.visibleMinimum = a.visibleMaximum - w;
      } else {
        a.visibleMinimum = a.minimum + t * kThumbUnit * full;
        a.visibleMaximum = a.visibleMinimum + w;
      }
      KeepInside(a, w);
      return;
    }
  }
  a.visibleMinimum += shift;
  a.visibleMaximum += shift;
  KeepInside(a, w);
}

int SeriesCount(const series::SeriesTable& table) {
  return std::clamp(table.seriesCount, 0, series::kMaxSeriesCount);
}

// The list entry for a value, or -1 (nothing selected) for one the list does not hold.
int Entry(int value, int count) { return value >= 0 && value < count ? value : -1; }

void Reprocess(GraphView& view, series::SeriesTable& table) {
  table.ProcessAll();
  FindLimits(view.settings, table, view.bars);
}

// The index of the point of an X-Y slot whose x value lies nearest the position.
int NearestX(const GraphSettings& settings, const series::SeriesTable& table, int slot, int n,
             double position) {
  int best = -1;
  double distance = 0.0;
  for (int i = 0; i < n; ++i) {
    const double d = std::fabs(XValue(settings, table, slot, i) - position);
    if (std::isfinite(d) && (best < 0 || d < distance)) {
      best = i;
      distance = d;
    }
  }
  return best;
}

}  // namespace

GraphView::GraphView() {
  for (GraphSettings& stored : library) stored.graphType = kEmptyGraph;
}

void LeftButtonDown(GraphView& view, int pane, platform::Point point) {
  if (!ValidPane(pane)) return;
  view.drag[static_cast<std::size_t>(pane)] = {true, point, point};
}

bool MouseMove(GraphView& view, int pane, platform::Point point, const PlotRect& graph1Plot) {
  if (!ValidPane(pane)) return false;
  bool redraw = false;
  DragState& drag = view.drag[static_cast<std::size_t>(pane)];
  if (drag.dragging) {
    drag.current = point;
    redraw = true;
  }
  if (view.cursorMode != kCursorOff) {
    const AxisRange& bottom = view.settings.bottom;
    view.cursorPosition = UnmapX(graph1Plot, point.x, bottom.visibleMinimum, bottom.visibleMaximum);
    redraw = true;
  }
  return redraw;
}

bool LeftButtonUp(GraphView& view, int pane, platform::Point point, const PlotRect& plot) {
  if (!ValidPane(pane)) return false;
  DragState& drag = view.drag[static_cast<std::size_t>(pane)];
  if (!drag.dragging) return false;
  drag.dragging = false;
  drag.current = point;
  const int left = std::min(drag.start.x, point.x);
  const int right = std::max(drag.start.x, point.x);
  const int top = std::min(drag.start.y, point.y);
  const int bottom = std::max(drag.start.y, point.y);
  AxisRange& x = view.settings.bottom;
  AxisRange& y = LeftAxis(view.settings, pane);
  if (right - left < kClickPixels || bottom - top < kClickPixels) {
    ZoomAround(x, UnmapX(plot, point.x, x.visibleMinimum, x.visibleMaximum));
    ZoomAround(y, UnmapY(plot, point.y, y.visibleMinimum, y.visibleMaximum));
  } else {
    const double xLow = UnmapX(plot, left, x.visibleMinimum, x.visibleMaximum);
    const double xHigh = UnmapX(plot, right, x.visibleMinimum, x.visibleMaximum);
    const double yLow = UnmapY(plot, bottom, y.visibleMinimum, y.visibleMaximum);
    const double yHigh = UnmapY(plot, top, y.visibleMinimum, y.visibleMaximum);
    x.visibleMinimum = xLow;
    x.visibleMaximum = xHigh;
    y.visibleMinimum = yLow;
    y.visibleMaximum = yHigh;
  }
  ClampWindows(view.settings, view.bars);
  return true;
}

bool RightButtonDown(GraphView& view) {
  auto reset = [](AxisRange& a) {
    a.visibleMaximum = a.maximum;
    a.visibleMinimum = a.minimum;
  };
  reset(view.settings.bottom);
  for (AxisRange& a : view.settings.axes) reset(a);
  ClampWindows(view.settings, view.bars);
  return true;
}

bool HorizontalScroll(GraphView& view, ScrollAction action, int thumb) {
  Scroll(view.settings.bottom, action, thumb, false);
  ClampWindows(view.settings, view.bars);
  return true;
}

bool VerticalScroll(GraphView& view, int pane, ScrollAction action, int thumb) {
  if (!ValidPane(pane)) return false;
  Scroll(LeftAxis(view.settings, pane), action, thumb, true);
  ClampWindows(view.settings, view.bars);
  return true;
}

bool KeyDown(GraphView& view, int pane, GraphKey key) {
  switch (key) {
    case GraphKey::Left:
      return HorizontalScroll(view, ScrollAction::LineBack, 0);
    case GraphKey::Right:
      return HorizontalScroll(view, ScrollAction::LineForward, 0);
    case GraphKey::Up:
      return VerticalScroll(view, pane, ScrollAction::LineBack, 0);
    case GraphKey::Down:
      return VerticalScroll(view, pane, ScrollAction::LineForward, 0);
    case GraphKey::Other:
      break;
  }
  return false;
}

void CycleCursorMode(GraphView& view) {
  view.cursorMode = view.cursorMode == kCursorOff    ? kCursorLeft
                    : view.cursorMode == kCursorLeft ? kCursorRight
                                                     : kCursorOff;
}

std::string_view CursorButtonText(int cursorMode) {
  switch (cursorMode) {
    case kCursorLeft:
      return "Cursors: Left";
    case kCursorRight:
      return "Cursors: Right";
    default:
      return "Cursors: Off";
  }
}

int CursorPointIndex(const GraphSettings& settings, const series::SeriesTable& table, int slot,
                     int pane, double position) {
  if (!ValidPane(pane) || !SlotShown(settings, table, slot)) return -1;
  const series::DataSeries& s = table[settings.slots[static_cast<std::size_t>(slot)].series];
  const int n = s.sampleCount;
  const double period = s.rawDataPeriod;
  double index = 0.0;
  double low = 0.0;
  double high = n;
  switch (table.graphType) {
    case 0:
      index = std::trunc(position / period);
      break;
    case 1:
      index = std::trunc(position);
      break;
    case series::kFrequencyGraph:
      index = std::trunc(position * period * n);
      if (pane == 0) {
        high = n / 2;
      } else {
        index += n / 2;
        low = n / 2;
      }
      break;
    case kXyGraph:
      return NearestX(settings, table, slot, n, position);
    default:
      return -1;
  }
  // Not a number fails both comparisons and has no point either.
  if (!(index >= low && index < high)) return -1;
  return static_cast<int>(index);
}

Readout CursorReadout(const GraphView& view, const series::SeriesTable& table, int pane) {
  const int type = table.graphType;
  Readout readout;
  static constexpr const char* kXHeadings[] = {"Time(s)", "Data Point", "Freq(Hz)", "X"};
  readout.headers[0] = "Series";
  readout.headers[1] = type >= 0 && type <= 3 ? kXHeadings[type] : "";
  readout.headers[2] = type == kXyGraph                  ? "Y"
                       : type != series::kFrequencyGraph ? "Value"
                       : pane == 0                       ? "Magnitude"
                                                         : "Phase(deg)";
  for (int k = 0; k < kSlotCount; ++k) {
    ReadoutRow& row = readout.rows[static_cast<std::size_t>(k)];
    row.label = platform::Format("#%d:", k + 1);
    row.color = view.settings.slots[static_cast<std::size_t>(k)].color;
    row.point = CursorPointIndex(view.settings, table, k, pane, view.cursorPosition);
    if (row.point < 0) {
      row.x = row.y = "---";
      continue;
    }
    const double x = XValue(view.settings, table, k, row.point);
    row.x = type == 1          ? platform::Format("%d", row.point)
            : type == kXyGraph ? FormatValue(x)
                               : platform::Format("%.4lf", x);
    row.y = FormatValue(YValue(view.settings, table, k, row.point));
  }
  return readout;
}

platform::Rect ReadoutBox(const platform::Rect& pane, int cursorMode) {
  platform::Rect box;
  box.left = cursorMode == kCursorRight ? pane.right - kReadoutEdge - kReadoutWidth
                                        : pane.left + kReadoutEdge;
  box.right = box.left + kReadoutWidth;
  box.top = pane.bottom - kReadoutTop;
  box.bottom = pane.bottom - kReadoutBottom;
  return box;
}

platform::Rect ReadoutRowRect(const platform::Rect& box, int row) {
  const int top = box.top + kReadoutRowTop + row * kReadoutRowStep;
  return {box.left, top, box.right, top + kReadoutRowStep};
}

GraphPanel RefreshGraphPanel(const GraphView& view, const series::SeriesTable& table) {
  GraphPanel panel;
  const int count = SeriesCount(table);
  panel.seriesItems.emplace_back();
  for (int k = 1; k <= count; ++k)
    panel.seriesItems.push_back(platform::Format("#%d: ", k) + table[k].title);
  const bool xy = table.graphType == kXyGraph;
  for (int i = 0; i < kSlotCount; ++i) {
    const Slot& slot = view.settings.slots[static_cast<std::size_t>(i)];
    SlotPanelRow& row = panel.rows[static_cast<std::size_t>(i)];
    row.axisText = slot.axis == 1 ? "Right Axis" : "Left Axis";
    row.operations =
        xy ? std::vector<std::string>{"VS"} : std::vector<std::string>{"+", "-", "*", "/"};
    row.operation = xy ? 0 : Entry(slot.operation, 4);
    row.series = Entry(slot.series, count + 1);
    row.secondSeries = Entry(slot.secondSeries, count + 1);
    row.marker = Entry(slot.marker, kMarkerChoices);
    row.color = Entry(slot.color, kColorChoices);
    row.thickness = Entry(slot.thickness, kThicknessChoices);
  }
  panel.cursorText = std::string(CursorButtonText(view.cursorMode));
  return panel;
}

bool ChooseInSlot(GraphView& view, series::SeriesTable& table, int slot, SlotField field,
                  int value) {
  if (slot < 0 || slot >= kSlotCount) return false;
  Slot& s = view.settings.slots[static_cast<std::size_t>(slot)];
  int* target = nullptr;
  int count = 0;
  switch (field) {
    case SlotField::Series:
      target = &s.series;
      count = SeriesCount(table) + 1;
      break;
    case SlotField::SecondSeries:
      target = &s.secondSeries;
      count = SeriesCount(table) + 1;
      break;
    case SlotField::Operation:
      // The X-Y graph's only entry "VS" is no operation.
      target = &s.operation;
      count = table.graphType == kXyGraph ? 0 : 4;
      break;
    case SlotField::Marker:
      target = &s.marker;
      count = kMarkerChoices;
      break;
    case SlotField::Color:
      target = &s.color;
      count = kColorChoices;
      break;
    case SlotField::Thickness:
      target = &s.thickness;
      count = kThicknessChoices;
      break;
  }
  if (Entry(value, count) < 0) return false;
  *target = value;
  Reprocess(view, table);
  return true;
}

bool ToggleSlotAxis(GraphView& view, series::SeriesTable& table, int slot) {
  if (slot < 0 || slot >= kSlotCount) return false;
  Slot& s = view.settings.slots[static_cast<std::size_t>(slot)];
  s.axis = s.axis == 0 ? 1 : 0;
  Reprocess(view, table);
  return true;
}

}  // namespace bl::graph
