#include "platform/qt/qt_canvas.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <string>

#include "gui/gui_support.h"

namespace bl::platform {
namespace {

// The fixed font's text as the views draw it, once as glyph runs and once character by character:
// the pictures must be the same pixel for pixel, clipped, aligned, on a background or not.
QImage Draw(bool glyphRuns) {
  QImage image(640, 200, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  QtCanvas canvas(painter, {640, 200});
  canvas.SetGlyphRuns(glyphRuns);
  canvas.SetFont(FontId::Fixed);
  canvas.SetTextColor({0, 0, 128});
  canvas.SetTextBackground({255, 255, 255}, false);
  const std::string lines[] = {"Series #12", "$00C000   -1234.567891", "P1=(P2+3)*4/5 ; {ok} ~!@",
                               "Sine Wave", "       1000.000000"};
  int top = 0;
  for (const std::string& text : lines) {
    canvas.DrawText(text, {4, top, 300, top + 16}, text::kLeft);
    canvas.DrawText(text, {320, top, 620, top + 16}, text::kRight);
    top += 18;
  }
  // Cut by its box on both sides, and on an opaque background.
  canvas.DrawText("0123456789ABCDEF", {4, top, 60, top + 16}, text::kCenter);
  canvas.SetTextBackground({255, 255, 0}, true);
  canvas.DrawText("highlighted", {100, top, 300, top + 16}, text::kLeft);
  // A character outside ASCII takes the plain road in both.
  canvas.DrawText("caf\xe9 50\xb0", {320, top, 620, top + 16}, text::kLeft);
  return image;
}

TEST(QtCanvasTest, GlyphRunsDrawTheFixedFontAsCharacterByCharacterDoes) {
  test::EnsureApplication();
  const QImage runs = Draw(true);
  const QImage plain = Draw(false);
  test::SaveScreenshot(runs, "fixed_font_glyph_runs");
  EXPECT_EQ(runs, plain);
  EXPECT_NE(runs, QImage(runs.size(), runs.format())) << "something was drawn";
}

}  // namespace
}  // namespace bl::platform
