#include "graph/graph_print.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "graph/trace_renderer.h"
#include "platform/color_palette.h"
#include "platform/desktop.h"
#include "platform/text_format.h"
#include "series/series_table.h"

namespace bl::graph {

namespace {

constexpr int kFrequencyGraph = 2;
constexpr std::array<std::string_view, 4> kOperationTexts = {" + ", " - ", " * ", " / "};

// A fraction of a page length in whole pixels.
int At(int length, double fraction) {
  return static_cast<int>(std::lround(static_cast<double>(length) * fraction));
}

void DrawLegend(platform::Canvas& canvas, const GraphSettings& settings,
                const series::SeriesTable& table, const GraphPicture& picture) {
  canvas.SetPen(platform::kBlack, 1);
  canvas.SetHollowBrush();
  canvas.DrawRectangle(picture.legendFrame);
  canvas.SetFontByHeight(picture.legendFontHeight, true);
  canvas.SetTextColor(platform::kBlack);
  canvas.SetTextBackground(platform::kWhite, false);
  for (int k = 0; k < kSlotCount; ++k) {
    const platform::Rect& row = picture.legendRows[std::size_t(k)];
    const platform::Rect sample = LegendSample(row);
    const int pad = std::max(1, picture.style.size);
    canvas.DrawText(LegendText(settings, table, k),
                    {row.left + pad, row.top, sample.left - pad, row.bottom},
                    platform::text::kLeft | platform::text::kVCenter | platform::text::kSingleLine);
    if (!SlotShown(settings, table, k)) continue;
    const Slot& slot = settings.slots[std::size_t(k)];
    const int thickness = std::clamp(slot.thickness, 0, 3);
    const int y = (sample.top + sample.bottom) / 2;
    const int x = (sample.left + sample.right) / 2;
    canvas.SetPen(platform::SlotColor(slot.color), std::max(thickness, 1));
    if (thickness != 0) canvas.DrawLine({sample.left, y}, {sample.right, y});
    // As large as the panes draw it, but never taller than the row.
    const int h = std::min(picture.style.size / 2 + std::max(thickness, 1), row.Height() / 2);
    DrawMarker(canvas, slot.marker, {x, y}, h);
  }
}

}  // namespace

GraphPicture LayOutPrintedGraph(int width, int height, int graphType) {
  GraphPicture p;
  const int left = At(width, 0.05);
  const int right = At(width, 0.95);
  if (graphType == kFrequencyGraph) {
    p.panes[0] = {left, At(height, 0.05), right, At(height, 0.40)};
    p.panes[1] = {left, At(height, 0.45), right, At(height, 0.80)};
    p.paneCount = 2;
  } else {
    p.panes[0] = {left, At(height, 0.05), right, At(height, 0.80)};
  }
  // Fonts of no height would fall back to the printer's default size.
  const int textHeight = std::max(1, At(height, 0.02));
  p.style.plotBackground = 4;
  p.style.text = {platform::FontId::Arial, textHeight};
  p.style.vertical = {platform::FontId::ArialRotated, textHeight};
  p.style.fixed = {platform::FontId::Fixed, std::max(1, At(height, 0.016))};
  p.style.margin = At(height, 0.02);
  p.style.size = At(height, 0.01);
  p.legend = true;
  p.legendFrame = {left, At(height, 0.85), right, At(height, 0.95)};
  for (int j = 0; j < kSlotCount; ++j)
    p.legendRows[std::size_t(j)] = {left, At(height, 0.85 + 0.025 * j), right,
                                    At(height, 0.875 + 0.025 * j)};
  p.legendFontHeight = p.style.fixed.heightPx;
  return p;
}

GraphPicture LayOutScreenGraph(platform::Size size, int graphType) {
  GraphPicture p;
  const int w = std::max(0, size.width);
  const int h = std::max(0, size.height);
  if (graphType == kFrequencyGraph) {
    p.panes[0] = {0, 0, w, h / 2};
    p.panes[1] = {0, h / 2, w, h};
    p.paneCount = 2;
  } else {
    p.panes[0] = {0, 0, w, h};
  }
  return p;
}

std::string LegendText(const GraphSettings& settings, const series::SeriesTable& table, int slot) {
  std::string text = platform::Format("#%d: ", slot + 1);
  if (!SlotShown(settings, table, slot)) return text + "No Series Selected";
  const Slot& s = settings.slots[std::size_t(slot)];
  text += table[s.series].title;
  if (s.secondSeries != 0) {
    text += kOperationTexts[std::size_t(std::clamp(s.operation, 0, 3))];
    text += table[s.secondSeries].title;
  }
  return text;
}

platform::Rect LegendSample(const platform::Rect& row) {
  const int w = row.Width();
  return {row.right - w * 14 / 100, row.top, row.right - w * 2 / 100, row.bottom};
}

void DrawGraphPicture(platform::Canvas& canvas, const GraphSettings& settings,
                      const series::SeriesTable& table, const GraphPicture& picture) {
  for (int pane = 0; pane < picture.paneCount; ++pane)
    DrawPane(canvas, settings, table, picture.panes[std::size_t(pane)], pane, picture.style);
  if (picture.legend) DrawLegend(canvas, settings, table, picture);
}

PrintGraphOutcome PrintGraph(platform::Desktop& desktop, const GraphSettings& settings,
                             const series::SeriesTable& table, bool graphViewShown) {
  auto error = [&desktop](std::string_view text) {
    desktop.ShowMessage(text, "Print Error", platform::MessageButtons::Ok,
                        platform::MessageIcon::Warning);
  };
  if (!graphViewShown) {
    error("You must be viewing a graph in order to print it.");
    return PrintGraphOutcome::NoGraphView;
  }
  std::unique_ptr<platform::PrintJob> job = desktop.BeginPrint(kGraphDocumentName);
  if (!job) {
    error("Printing will not continue.");
    return PrintGraphOutcome::Cancelled;
  }
  const platform::PageMetrics page = job->Page();
  if (page.widthPx < kSmallestGraphPage || page.heightPx < kSmallestGraphPage) {
    error("The page is too small to print the graph.");  // the job goes unprinted
    return PrintGraphOutcome::NoRoom;
  }
  const GraphPicture picture = LayOutPrintedGraph(page.widthPx, page.heightPx, table.graphType);
  DrawGraphPicture(job->BeginPage(), settings, table, picture);
  job->EndPage();
  if (!job->Finish()) {
    error("The printout could not be completed.");
    return PrintGraphOutcome::Failed;
  }
  desktop.ShowMessage("Graph Printing is Complete", "Print Message");
  return PrintGraphOutcome::Printed;
}

}  // namespace bl::graph
