#include "shell/main_layout.h"

#include "monitor/gather_status.h"
#include "platform/color_palette.h"
#include "platform/text_format.h"
#include "shell/view_ids.h"

namespace bl {

using platform::Rect;

namespace {

Rect At(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }
int Frac(double f, int w) { return static_cast<int>(f * w); }

constexpr unsigned kSingleCentred =
    platform::text::kCenter | platform::text::kVCenter | platform::text::kSingleLine;
constexpr unsigned kSingleLeft =
    platform::text::kLeft | platform::text::kVCenter | platform::text::kSingleLine;
constexpr unsigned kSingleRight =
    platform::text::kRight | platform::text::kVCenter | platform::text::kSingleLine;

void PaintGraphArea(platform::Canvas& c, const MainLayout& l, const MainPaintState& s) {
  const int w = l.width, h = l.height;
  c.FillRect({0, l.graph.graphHeight + kToolbarHeight, w, h}, platform::kLightGrey);
  if (s.fullScreen) return;
  c.SetPen(platform::kBlack, 1);
  c.DrawLine({0, h - 135}, {w, h - 135});
  c.SetFont(platform::FontId::Arial);
  c.SetTextColor(platform::kBlack);
  c.SetTextBackground(platform::kLightGrey, true);
  const struct {
    const char* text;
    int left, right;
  } headings[] = {{"Data Series Title", 50, w - 250},
                  {"Color", w - 250, w - 200},
                  {"Line", w - 200, w - 150},
                  {"Mark", w - 150, w - 100},
                  {"Axis", w - 100, w}};
  for (const auto& heading : headings)
    c.DrawText(heading.text, {heading.left, h - 130, heading.right, h - 105}, kSingleCentred);
  for (int i = 1; i <= 4; ++i)
    c.DrawText(platform::Format("#%d:", i), {5, h - 105 + 25 * (i - 1), 45, h - 80 + 25 * (i - 1)},
               kSingleRight);
}

void PaintDataPanel(platform::Canvas& c, const MainLayout& l, const MainPaintState& s) {
  const int w = l.width, h = l.height;
  c.FillRect(l.data.greyStrip, platform::kLightGrey);
  c.SetFont(platform::FontId::Arial);
  c.SetTextColor(platform::kBlack);
  c.SetTextBackground(platform::kLightGrey, true);
  c.DrawText("Data Gathering Controls", {10, h - 124, w / 2 - 10, h - 101}, kSingleCentred);

  const int labelLeft = w / 2 + 10, labelRight = Frac(0.75, w);
  const char* labels[] = {
      "Gather Frequency:", "Start Address:", "Current Address:", "End Address:"};
  for (int i = 0; i < 4; ++i)
    c.DrawText(labels[i], {labelLeft, h - 99 + 25 * i, labelRight, h - 76 + 25 * i}, kSingleLeft);

  const int period = s.gather ? s.gather->period.load() : 0;
  const int start = s.gather ? s.gather->start.load() : 0;
  const int current = s.gather ? s.gather->current.load() : 0;
  const int end = s.gather ? s.gather->end.load() : 0;
  const std::string values[] = {GatherFrequencyText(period, s.servoPeriod),
                                platform::Format("$%5X", start), platform::Format("$%5X", current),
                                platform::Format("$%5X", end)};
  for (int i = 0; i < 4; ++i)
    c.DrawText(values[i], {labelRight, h - 99 + 25 * i, w - 10, h - 76 + 25 * i}, kSingleRight);

  const Rect bar{w / 2 + 10, h - 124, w - 10, h - 101};
  c.FillRect(bar, platform::kWhite);
  if (end > start && start <= current && current <= end) {
    // The addresses come from the controller's replies: their differences may not fit an int.
    const int percent = static_cast<int>((static_cast<double>(current) - start) * 100 /
                                         (static_cast<double>(end) - start));
    const int filled = static_cast<int>(percent * (w / 2 - 20) * 0.01);
    c.FillRect({bar.left, bar.top, bar.left + filled, bar.bottom}, platform::PaletteColor(13));
  }
}

void PaintCommandRow(platform::Canvas& c, const TerminalLayout& t) {
  c.SetPen(platform::kBlack, 1);
  c.SetBrush(platform::kLightGrey);
  c.DrawRectangle(t.commandRow);
  c.SetFont(platform::FontId::Fixed);
  c.SetTextColor(platform::kBlack);
  c.SetTextBackground(platform::kLightGrey, true);
  c.DrawText("Command:", t.commandLabel, kSingleLeft);
}

}  // namespace

MainLayout LayOutMainWindow(int w, int h, int graphType, bool fullScreen) {
  MainLayout l;
  l.width = w;
  l.height = h;
  l.toolbar = {0, 0, w, kToolbarHeight};

  GraphLayout& g = l.graph;
  g.graphHeight = fullScreen ? h - 85 : h - 225;
  const int gh = g.graphHeight;
  if (graphType == 2) {
    g.pane1 = At(0, 50, w, gh / 2);
    g.pane2 = At(0, 50 + gh / 2, w, gh / 2 + 1);
  } else {
    g.pane1 = At(0, 50, w, gh);
  }
  const double buttonX[] = {0.025, 0.275, 0.525, 0.785};
  for (int i = 0; i < 4; ++i)
    g.buttons[static_cast<std::size_t>(i)] = At(Frac(buttonX[i], w), gh + 55, Frac(0.2, w), 25);
  g.greyArea = {0, gh + 50, w, h};
  g.panelShown = !fullScreen;
  for (int i = 0; i < 4; ++i)
    g.seriesRows[static_cast<std::size_t>(i)] = At(0, h - 105 + 25 * i, w, 25);

  DataLayout& d = l.data;
  d.dataWindow = At(0, 50, w, h - 185);
  d.defineBuffer = At(10, h - 100, Frac(0.25, w) - 15, 23);
  d.bufferSettings = At(Frac(0.25, w) + 5, h - 100, Frac(0.25, w) - 15, 23);
  d.beginGathering = At(10, h - 75, Frac(0.5, w) - 20, 23);
  d.endGathering = At(10, h - 50, Frac(0.5, w) - 20, 23);
  d.uploadData = At(10, h - 25, Frac(0.5, w) - 20, 23);
  d.greyStrip = {0, h - 135, w, h};

  l.spreadsheet = At(0, 50, w, h - 50);

  TerminalLayout& t = l.terminal;
  t.view = {0, kToolbarHeight, w, h - 50};
  t.commandRow = {0, h - 51, w, h};
  t.commandLabel = {10, h - 38, 100, h - 13};
  t.commandLine = At(100, h - 38, w - 110, 25);

  l.editor = {0, 50, w, h};
  return l;
}

platform::Rect GatherPanelRepaintArea(int w, int h) { return {w / 2, h - 125, w, h}; }

std::string GatherFrequencyText(int gatherPeriod, double servoPeriod) {
  const double product = gatherPeriod * servoPeriod;
  return product > 0 ? platform::Format("%.2lf Hz", 1.0 / product) : std::string("0 Hz");
}

void PaintMainWindow(platform::Canvas& canvas, const MainLayout& layout,
                     const MainPaintState& state) {
  canvas.FillRect({0, 0, layout.width, layout.height}, platform::kLightGrey);
  if (IsGraphView(state.view))
    PaintGraphArea(canvas, layout, state);
  else if (state.view == kViewData)
    PaintDataPanel(canvas, layout, state);
  else if (state.view == kViewTerminal)
    PaintCommandRow(canvas, layout.terminal);
}

}  // namespace bl
