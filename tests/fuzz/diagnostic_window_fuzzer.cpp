// The diagnostic window over a script file as a damaged or hostile disk holds it: what the loader
// keeps is painted page by page within a bounded number of drawing calls and short texts, the
// window's size stays bounded, and clicks and drags anywhere find items and slider values safely.
#include <cmath>
#include <cstdint>
#include <string_view>

#include "diagnostics/diagnostic_paint.h"
#include "diagnostics/diagnostic_script.h"
#include "diagnostics/diagnostic_window.h"
#include "diagnostics/value_edit.h"
#include "fuzz/fuzz_check.h"
#include "platform/fake/recording_canvas.h"

using namespace bl::diagnostics;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view data(reinterpret_cast<const char*>(bytes), size);
  DiagnosticTables tables;
  (void)DecodeScript(data, tables);
  PrepareLoadedTables(tables);

  const int pages = PageCount(tables);
  for (int page = 1; page <= pages && page <= 3; ++page) {
    const auto window = DiagnosticWindowSize(tables, page);
    BL_FUZZ_CHECK(window);
    BL_FUZZ_CHECK(window->width <= kMaxPageSize + 10 && window->height <= kMaxPageSize + 41);
    bl::platform::RecordingCanvas canvas(*window);
    PaintDiagnosticPage(canvas, tables, page, 1, 50);
    // Every item draws a handful of figures, ticks or lamps: at most some hundreds.
    BL_FUZZ_CHECK(canvas.Ops().size() < 2000u * kDiagnosticTableSize);
    for (const auto* text : canvas.Texts()) BL_FUZZ_CHECK(text->text.size() <= 400);
    // Clicks across the page, on a grid from the input's first bytes.
    const int step = size > 0 ? 7 + bytes[0] % 50 : 17;
    for (int y = 0; y < window->height; y += step)
      for (int x = 0; x < window->width; x += step) {
        const int hit = HitItem(tables, page, {x, y});
        if (hit < 0) continue;
        const DiagnosticItem& item = tables.items[hit];
        BL_FUZZ_CHECK(item.kind == kKindButton || item.kind == kKindSlider ||
                      item.kind == kKindValueBox);
        if (item.kind != kKindSlider) continue;
        const double v = SliderValue(item, {x, y});
        if (!std::isnan(item.minimum) && !std::isnan(item.maximum))
          BL_FUZZ_CHECK(v >= std::fmin(item.minimum, item.maximum) &&
                        v <= std::fmax(item.minimum, item.maximum));
        BL_FUZZ_CHECK(SliderValueText(v, item.precision).size() <= 400);
      }
  }
  for (int i = 0; i < kDiagnosticTableSize; ++i) {
    const DiagnosticItem moved = MovedShape(tables, i);
    BL_FUZZ_CHECK(moved.kind != kKindShape || (moved.angle > -360 && moved.angle < 360));
    BL_FUZZ_CHECK(DescriptionText(tables.items[i].text2).size() <= tables.items[i].text2.size());
  }
  return 0;
}
