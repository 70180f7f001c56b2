#pragma once

#include "graph/graph_settings.h"
#include "platform/canvas.h"

namespace bl {

// The owner-drawn lists of the graph view's series panel.
enum class SeriesListKind { Marker, Color, Thickness };

inline constexpr int kMarkerItems = graph::kMarkerChoices;
inline constexpr int kThicknessItems = graph::kThicknessChoices;

// Draws one list item in its box: the item background, the selection frame, then the marker,
// colour swatch or line. slotColor is the row's colour choice (0..11).
void PaintSeriesListItem(platform::Canvas& canvas, SeriesListKind kind, int item,
                         const platform::Rect& box, bool selected, int slotColor);

}  // namespace bl
