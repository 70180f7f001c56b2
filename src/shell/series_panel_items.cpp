#include "shell/series_panel_items.h"

#include "platform/color_palette.h"

namespace bl {

void PaintSeriesListItem(platform::Canvas& c, SeriesListKind kind, int item,
                         const platform::Rect& box, bool selected, int slotColor) {
  c.FillRect(box, platform::PaletteColor(1));
  if (selected) {
    c.SetPen(platform::PaletteColor(12), 2);
    c.SetHollowBrush();
    c.DrawRectangle({box.left + 1, box.top + 1, box.right - 1, box.bottom - 1});
  }
  const int cx = (box.left + box.right) / 2;
  const int cy = (box.top + box.bottom) / 2;
  const platform::Rgb color = platform::SlotColor(slotColor);
  switch (kind) {
    case SeriesListKind::Marker:
      c.SetPen(color, 2);
      c.SetHollowBrush();
      if (item == 1) {
        c.DrawLine({cx - 6, cy - 6}, {cx + 6, cy + 6});
        c.DrawLine({cx - 6, cy + 6}, {cx + 6, cy - 6});
      } else if (item == 2) {
        c.DrawEllipse({cx - 6, cy - 6, cx + 6, cy + 6});
      } else if (item == 3) {
        c.DrawRectangle({cx - 6, cy - 6, cx + 6, cy + 6});
      } else if (item == 4) {
        const platform::Point triangle[] = {{cx - 6, cy + 6}, {cx, cy - 6}, {cx + 6, cy + 6}};
        c.DrawPolygon(triangle);
      }
      break;
    case SeriesListKind::Color:
      if (item >= 0 && item < platform::kSlotColorCount)
        c.FillRect({box.left + 5, box.top + 4, box.right - 5, box.bottom - 3},
                   platform::SlotColor(item));
      break;
    case SeriesListKind::Thickness:
      if (item >= 1 && item <= 3) {
        c.SetPen(color, item);
        c.DrawLine({box.left + 5, cy}, {box.right - 5, cy});
      }
      break;
  }
}

}  // namespace bl
