#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/geometry.h"

namespace bl::platform {
class Desktop;
}

namespace bl::graph {

// The files the graph view can be exported to, told apart by the name's extension.
enum class ExportFormat { Png, Svg, Pdf };
std::optional<ExportFormat> ExportFormatForPath(std::string_view path);

// The sizes a picture may have, in pixels either way: enough for the panes' margins, and not so
// large that the image cannot be held in memory.
inline constexpr int kSmallestExportSide = 100;
inline constexpr int kLargestExportSide = 10000;
bool ExportSizeAllowed(platform::Size size);

struct GraphExportHooks {
  // The size of the picture, starting from the screen's; nothing when the user cancelled.
  std::function<std::optional<platform::Size>(platform::Size initial)> chooseSize;
  // Writes the graph view at that size; false with a sentence in error when it could not.
  std::function<bool(const std::string& path, ExportFormat format, platform::Size size,
                     std::string& error)>
      write;
};

enum class ExportOutcome { Written, NoGraphView, Cancelled, BadName, BadSize, Failed };

// "Export Graph": asks for a PNG, SVG or PDF file and a size, then writes the graph view there.
// Every failure is reported; a file is written beside the old one and renamed over it, so a
// failed export leaves an existing file as it was.
ExportOutcome ExportGraph(platform::Desktop& desktop, bool graphViewShown,
                          platform::Size screenSize, const GraphExportHooks& hooks);

}  // namespace bl::graph
