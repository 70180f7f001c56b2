#include "graph/graph_export.h"

#include <algorithm>
#include <cctype>

#include "platform/desktop.h"

namespace bl::graph {

namespace {

constexpr std::string_view kErrorTitle = "Export Error";

void Report(platform::Desktop& desktop, std::string_view text) {
  desktop.ShowMessage(text, kErrorTitle, platform::MessageButtons::Ok,
                      platform::MessageIcon::Warning);
}

}  // namespace

std::optional<ExportFormat> ExportFormatForPath(std::string_view path) {
  const std::size_t dot = path.find_last_of('.');
  const std::size_t slash = path.find_last_of('/');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
    return std::nullopt;
  std::string ext(path.substr(dot + 1));
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (ext == "png") return ExportFormat::Png;
  if (ext == "svg") return ExportFormat::Svg;
  if (ext == "pdf") return ExportFormat::Pdf;
  return std::nullopt;
}

bool ExportSizeAllowed(platform::Size size) {
  auto fits = [](int side) { return side >= kSmallestExportSide && side <= kLargestExportSide; };
  return fits(size.width) && fits(size.height);
}

ExportOutcome ExportGraph(platform::Desktop& desktop, bool graphViewShown,
                          platform::Size screenSize, const GraphExportHooks& hooks) {
  if (!graphViewShown) {
    Report(desktop, "You must be viewing a graph in order to export it.");
    return ExportOutcome::NoGraphView;
  }
  platform::FileDialogRequest request;
  request.title = "Export Graph";
  request.filters = {{"PNG Image (*.png)", "*.png"},
                     {"SVG Drawing (*.svg)", "*.svg"},
                     {"PDF Document (*.pdf)", "*.pdf"}};
  request.defaultExtension = "png";
  const std::optional<std::string> path = desktop.ChooseSaveFile(request);
  if (!path) return ExportOutcome::Cancelled;
  const std::optional<ExportFormat> format = ExportFormatForPath(*path);
  if (!format) {
    Report(desktop, "A graph is exported as a .png, .svg or .pdf file: end the name with one.");
    return ExportOutcome::BadName;
  }
  // The screen's panes may be smaller (or hidden): start from a size that can be written.
  const platform::Size initial{
      std::clamp(screenSize.width, kSmallestExportSide, kLargestExportSide),
      std::clamp(screenSize.height, kSmallestExportSide, kLargestExportSide)};
  const std::optional<platform::Size> size = hooks.chooseSize ? hooks.chooseSize(initial) : initial;
  if (!size) return ExportOutcome::Cancelled;
  if (!ExportSizeAllowed(*size)) {
    Report(desktop, "The picture must be between 100 and 10000 pixels wide and high.");
    return ExportOutcome::BadSize;
  }
  std::string error;
  if (!hooks.write || !hooks.write(*path, *format, *size, error)) {
    std::string text = "The graph could not be written to " + *path;
    text += error.empty() ? "." : ": " + error;
    Report(desktop, text);
    return ExportOutcome::Failed;
  }
  return ExportOutcome::Written;
}

}  // namespace bl::graph
