#pragma once

#include <array>
#include <string>

#include "platform/canvas.h"
#include "platform/geometry.h"

namespace bl {

struct GatherStatus;

inline constexpr int kToolbarHeight = 50;
inline constexpr int kMainMinWidth = 558;
inline constexpr int kMainMinHeight = 384;
inline constexpr int kMainDefaultWidth = 700;
inline constexpr int kMainDefaultHeight = 500;

struct TerminalLayout {
  platform::Rect view;
  platform::Rect commandRow;
  platform::Rect commandLabel;
  platform::Rect commandLine;
};

struct GraphLayout {
  int graphHeight = 0;  // G
  platform::Rect pane1;
  platform::Rect pane2;                      // empty unless the graph type is 2
  std::array<platform::Rect, 4> buttons;     // Update Limits, Cursors, FullScreen, Print Graph
  platform::Rect greyArea;                   // below the graph, filled by the main window
  bool panelShown = false;                   // the series panel (full screen off)
  std::array<platform::Rect, 4> seriesRows;  // x 0..W, one row of 25 pixels per slot
};

struct DataLayout {
  platform::Rect dataWindow;
  platform::Rect defineBuffer;
  platform::Rect bufferSettings;
  platform::Rect beginGathering;
  platform::Rect endGathering;
  platform::Rect uploadData;
  platform::Rect greyStrip;
};

// Where every piece of the main window lies in a client area of w x h pixels. All views are laid
// out at once; only the current one is shown.
struct MainLayout {
  int width = 0;
  int height = 0;
  platform::Rect toolbar;
  GraphLayout graph;
  DataLayout data;
  platform::Rect spreadsheet;
  TerminalLayout terminal;
  // The editor view: its file-name band, editor, raw pane, button bar and file list.
  platform::Rect editor;
};

MainLayout LayOutMainWindow(int w, int h, int graphType, bool fullScreen);

// What the main window draws itself, under the current view's child windows.
struct MainPaintState {
  int view = 30;
  bool fullScreen = false;
  double servoPeriod = 0;  // seconds
  const GatherStatus* gather = nullptr;
};

void PaintMainWindow(platform::Canvas& canvas, const MainLayout& layout,
                     const MainPaintState& state);

// The part of the main window the gather panel's live values are repainted in: the right half of
// the bottom 125 pixels.
platform::Rect GatherPanelRepaintArea(int w, int h);

// The gather frequency text of the data view's panel: "%.2lf Hz", or "0 Hz".
std::string GatherFrequencyText(int gatherPeriod, double servoPeriod);

}  // namespace bl
