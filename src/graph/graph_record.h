#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "graph/graph_settings.h"

namespace bl::graph {

struct GraphView;

// The graph record of the series file and of the graph library: little-endian, 1864 bytes.
inline constexpr std::size_t kGraphRecordSize = 1864;
// A title field holds 255 characters and its NUL.
inline constexpr std::size_t kRecordTitleLimit = 255;

// Exactly kGraphRecordSize bytes; titles longer than kRecordTitleLimit are cut.
std::string EncodeGraphRecord(const GraphSettings& settings);
// Reads the first kGraphRecordSize bytes; false (settings untouched) when there are fewer. A
// title runs to its first NUL within its field.
bool DecodeGraphRecord(std::string_view bytes, GraphSettings& settings);

// The graph library file: the ten stored graphs, then the current one, as at the end of a
// series file.
inline constexpr std::size_t kGraphLibraryBytes = (kStoredGraphCount + 1) * kGraphRecordSize;
std::string EncodeGraphLibrary(const GraphView& view);
// All or nothing: false with a sentence in error, and the view untouched, unless bytes is
// exactly one library.
bool DecodeGraphLibrary(std::string_view bytes, GraphView& view, std::string& error);

// "graphs.bin" in the user's config folder.
std::string GraphLibraryPath();
// A missing file leaves the view as it is and succeeds.
bool LoadGraphLibrary(const std::string& path, GraphView& view, std::string& error);
// Written beside the old file and renamed over it, so a failed save keeps the old library.
bool SaveGraphLibrary(const std::string& path, const GraphView& view, std::string& error);

}  // namespace bl::graph
