// The diagnostic painter on a recording canvas: the geometry and colours of each item kind in
// client pixels (page coordinates plus (4, 35)).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "diagnostics/diagnostic_paint.h"
#include "diagnostics/script_test_support.h"
#include "platform/color_palette.h"
#include "platform/fake/recording_canvas.h"

namespace bl::diagnostics::test {
namespace {

using platform::PaletteColor;
using platform::Point;
using platform::Rect;
using Canvas = platform::RecordingCanvas;
using Kind = Canvas::Kind;
using ::testing::ElementsAre;

// Copies, so that they outlive a canvas drawn for one expression.
std::vector<Canvas::Op> OfKind(const Canvas& canvas, Kind kind) {
  std::vector<Canvas::Op> out;
  for (const Canvas::Op& op : canvas.Ops())
    if (op.kind == kind) out.push_back(op);
  return out;
}

DiagnosticItem Item(int kind, int style, Rect box) {
  DiagnosticItem item;
  item.kind = kind;
  item.style = style;
  item.x1 = box.left;
  item.y1 = box.top;
  item.x2 = box.right;
  item.y2 = box.bottom;
  return item;
}

// One item drawn by itself.
Canvas Painted(const DiagnosticItem& item, double value = 0, bool pressed = false) {
  Canvas canvas({400, 300});
  PaintItem(canvas, item, value, pressed);
  return canvas;
}

TEST(DiagnosticPaint, PageFrameSizeCloseBoxLiveIndicatorAndClip) {
  const DiagnosticTables tables = Compiled(R"(
variable V type=internal value=7
page title="Jog" size=200,100 fill=white
value box=0,0,50,20 var=V precision=0
page title="Second" size=300,50
)");
  EXPECT_EQ(DiagnosticWindowSize(tables, 1), (platform::Size{210, 141}));
  EXPECT_EQ(DiagnosticWindowSize(tables, 2), (platform::Size{310, 91}));
  EXPECT_FALSE(DiagnosticWindowSize(tables, 3));

  Canvas canvas({210, 141});
  PaintDiagnosticPage(canvas, tables, 1, -1, 0);
  const auto fills = OfKind(canvas, Kind::FillRect);
  ASSERT_GE(fills.size(), 3u);
  EXPECT_EQ(fills[0].rect, (Rect{0, 0, 210, 141}));  // cleared to black
  EXPECT_EQ(fills[0].color, PaletteColor(0));
  // The close box from W - 24 to W - 3.
  EXPECT_TRUE(std::any_of(fills.begin(), fills.end(), [](const Canvas::Op& op) {
    return op.rect == Rect{176, 7, 197, 28} && op.color == PaletteColor(2);
  }));
  // The drawing area in the page's fill, the title white in the large font.
  const auto rects = OfKind(canvas, Kind::Rectangle);
  EXPECT_EQ(rects[0].rect, (Rect{4, 35, 205, 135}));
  EXPECT_EQ(rects[0].brush, PaletteColor(4));
  const Canvas::Op* title = canvas.FindText("Jog");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->color, PaletteColor(4));
  EXPECT_EQ(title->font, platform::FontId::Arial);
  // Live counter 0: the green bar at y = 12 + 0.32 * 50 = 28.
  EXPECT_TRUE(std::any_of(rects.begin(), rects.end(), [](const Canvas::Op& op) {
    return op.rect == Rect{11, 24, 27, 32} && op.brush == PaletteColor(9);
  }));
  // Items are clipped to the drawing area; the other page's record draws nothing.
  const Canvas::Op* value = canvas.FindText("7");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->clip, (Rect{4, 35, 204, 135}));
  EXPECT_EQ(value->rect, (Rect{7, 38, 51, 52}));
  EXPECT_EQ(canvas.FindText("Second"), nullptr);
}

TEST(DiagnosticPaint, OutlineFieldsPickColourAndWidthFifteenIsNone) {
  DiagnosticItem line = Item(kKindLine, 0, {10, 10, 50, 10});
  line.outlineNormal = 37;  // colour 5, width 3
  EXPECT_EQ(OfKind(Painted(line), Kind::Line)[0].pen, PaletteColor(5));
  EXPECT_EQ(OfKind(Painted(line), Kind::Line)[0].penWidth, 3);
  EXPECT_THAT(OfKind(Painted(line), Kind::Line)[0].points,
              ElementsAre(Point{14, 45}, Point{54, 45}));
  line.outlineNormal = 47;  // colour 15: no outline
  EXPECT_FALSE(OfKind(Painted(line), Kind::Line)[0].pen);
  line.outlineNormal = 99;  // out of range: black, 1 pixel
  EXPECT_EQ(OfKind(Painted(line), Kind::Line)[0].pen, PaletteColor(0));
  EXPECT_EQ(OfKind(Painted(line), Kind::Line)[0].penWidth, 1);

  DiagnosticItem box = Item(kKindValueBox, 1, {0, 0, 40, 20});
  box.fillNormal = 15;
  EXPECT_FALSE(OfKind(Painted(box), Kind::Rectangle)[0].brush);
  box.fillNormal = 16;  // out of range: black
  EXPECT_EQ(OfKind(Painted(box), Kind::Rectangle)[0].brush, PaletteColor(0));
  // The active state takes the active colours and text 2.
  box.variableA = 0;
  box.maximum = 10;
  box.fillActive = 9;
  box.text2 = "on";
  const Canvas active = Painted(box, 5);
  EXPECT_EQ(OfKind(active, Kind::Rectangle)[0].brush, PaletteColor(9));
}

TEST(DiagnosticPaint, ShapesAreTurnedAboutTheirCentreExceptEllipsesAndRoundRects) {
  DiagnosticItem rect = Item(kKindShape, 1, {10, 10, 30, 20});
  rect.angle = 90;
  // Centre (24, 50): (-10, -5) turns to (5, -10).
  EXPECT_THAT(OfKind(Painted(rect), Kind::Polygon)[0].points,
              ElementsAre(Point{29, 40}, Point{29, 60}, Point{19, 60}, Point{19, 40}));
  DiagnosticItem triangle = Item(kKindShape, 3, {0, 0, 20, 10});
  EXPECT_THAT(OfKind(Painted(triangle), Kind::Polygon)[0].points,
              ElementsAre(Point{4, 45}, Point{14, 35}, Point{24, 45}));
  DiagnosticItem cross = Item(kKindShape, 7, {0, 0, 100, 100});
  cross.parameter1 = 20;  // arms 10 % thick
  const auto crossPoints = OfKind(Painted(cross), Kind::Polygon)[0].points;
  ASSERT_EQ(crossPoints.size(), 12u);
  EXPECT_EQ(crossPoints[0], (Point{14, 35}));
  EXPECT_EQ(crossPoints[1], (Point{54, 75}));
  EXPECT_EQ(OfKind(Painted(Item(kKindShape, 5, {0, 0, 100, 100})), Kind::Polygon)[0].points[0],
            (Point{33, 35}));

  DiagnosticItem ellipse = Item(kKindShape, 2, {10, 10, 30, 20});
  ellipse.angle = 45;
  EXPECT_EQ(OfKind(Painted(ellipse), Kind::Ellipse)[0].rect, (Rect{14, 45, 34, 55}));

  DiagnosticItem cylinder = Item(kKindShape, 8, {0, 0, 40, 100});
  cylinder.parameter1 = 20;  // caps 10 high
  const Canvas c = Painted(cylinder);
  const auto caps = OfKind(c, Kind::Ellipse);
  ASSERT_EQ(caps.size(), 2u);
  EXPECT_EQ(caps[0].rect, (Rect{4, 115, 44, 135}));
  EXPECT_EQ(caps[1].rect, (Rect{4, 35, 44, 55}));
  const auto body = OfKind(c, Kind::Rectangle);
  EXPECT_EQ(body[0].rect, (Rect{4, 45, 44, 125}));
  EXPECT_FALSE(body[0].pen);
  EXPECT_THAT(OfKind(c, Kind::Line)[1].points, ElementsAre(Point{43, 45}, Point{43, 125}));
}

TEST(DiagnosticPaint, ButtonsAreRaisedOrSunkenAndActiveOnesAlwaysSunken) {
  DiagnosticItem round = Item(kKindButton, 2, {0, 0, 40, 20});
  round.outlineNormal = 13;
  round.text1 = "Go";
  const Canvas raised = Painted(round);
  const auto layers = OfKind(raised, Kind::Ellipse);
  ASSERT_EQ(layers.size(), 3u);
  EXPECT_EQ(layers[0].rect, (Rect{6, 37, 46, 57}));
  EXPECT_EQ(layers[0].pen, PaletteColor(0));
  EXPECT_EQ(layers[0].penWidth, 2);
  EXPECT_EQ(layers[1].rect, (Rect{5, 36, 45, 56}));
  EXPECT_EQ(layers[1].pen, PaletteColor(2));
  EXPECT_EQ(layers[2].rect, (Rect{4, 35, 44, 55}));
  EXPECT_EQ(layers[2].pen, PaletteColor(13));
  EXPECT_EQ(raised.FindText("Go")->rect, (Rect{7, 38, 41, 52}));
  const Canvas pressed = Painted(round, 0, true);
  ASSERT_EQ(OfKind(pressed, Kind::Ellipse).size(), 1u);
  EXPECT_EQ(OfKind(pressed, Kind::Ellipse)[0].rect, (Rect{6, 37, 46, 57}));
  EXPECT_EQ(pressed.FindText("Go")->rect, (Rect{8, 39, 42, 53}));  // text 1 pixel down-right
  round.variableA = 0;  // active (0..0 and the value not below): drawn pressed
  EXPECT_EQ(OfKind(Painted(round, 1), Kind::Ellipse).size(), 1u);

  // A rectangle: filled without outline, then inner lines, then outer lines. Top and left are
  // lit: white over light grey when raised; right and bottom black over grey.
  const DiagnosticItem box = Item(kKindButton, 1, {0, 0, 40, 20});
  const Canvas bevel = Painted(box);
  EXPECT_FALSE(OfKind(bevel, Kind::Polygon)[0].pen);
  const auto lines = OfKind(bevel, Kind::Line);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_THAT(lines[0].points, ElementsAre(Point{4, 36}, Point{44, 36}));  // top, inside
  EXPECT_EQ(lines[0].pen, PaletteColor(3));
  EXPECT_THAT(lines[1].points, ElementsAre(Point{43, 35}, Point{43, 55}));  // right, inside
  EXPECT_EQ(lines[1].pen, PaletteColor(2));
  EXPECT_THAT(lines[4].points, ElementsAre(Point{4, 35}, Point{44, 35}));  // top, outer
  EXPECT_EQ(lines[4].pen, PaletteColor(4));
  EXPECT_EQ(lines[5].pen, PaletteColor(0));  // right
  EXPECT_EQ(lines[6].pen, PaletteColor(0));  // bottom
  EXPECT_EQ(lines[7].pen, PaletteColor(4));  // left
  const auto sunken = OfKind(Painted(box, 0, true), Kind::Line);
  EXPECT_EQ(sunken[4].pen, PaletteColor(0));
  EXPECT_EQ(sunken[5].pen, PaletteColor(4));
  EXPECT_EQ(sunken[0].pen, PaletteColor(2));
}

TEST(DiagnosticPaint, GaugesShowTheFractionOfTheirRange) {
  DiagnosticItem bar = Item(kKindGauge, 0, {0, 0, 20, 100});
  bar.maximum = 100;
  bar.parameter1 = 9;  // (9 - 1) div 4 + 1 = 3 ticks
  bar.fillActive = 9;
  const Canvas barCanvas = Painted(bar, 25);
  const auto quads = OfKind(barCanvas, Kind::Polygon);
  ASSERT_EQ(quads.size(), 2u);
  EXPECT_EQ(quads[1].points[0], (Point{4, 110}));  // the top of the lower quarter
  EXPECT_EQ(quads[1].brush, PaletteColor(9));
  EXPECT_EQ(OfKind(barCanvas, Kind::Line).size(), 6u);
  bar.minimum = bar.maximum = 5;  // no range: f = 0
  EXPECT_EQ(OfKind(Painted(bar, 25), Kind::Polygon)[1].points[0], (Point{4, 135}));

  DiagnosticItem dial = Item(kKindGauge, 1, {0, 0, 100, 100});
  dial.maximum = 100;
  dial.outlineActive = 5;
  const auto dialLines = OfKind(Painted(dial, 25), Kind::Line);
  ASSERT_EQ(dialLines.size(), 4u);  // start line, needle, two barbs
  EXPECT_THAT(dialLines[0].points, ElementsAre(Point{54, 85}, Point{104, 85}));
  // A quarter turn clockwise: straight down.
  EXPECT_THAT(dialLines[1].points, ElementsAre(Point{54, 85}, Point{54, 133}));
  EXPECT_EQ(dialLines[1].pen, PaletteColor(5));

  DiagnosticItem half = Item(kKindGauge, 2, {0, 0, 100, 50});
  half.maximum = 100;
  const Canvas halfCanvas = Painted(half, 50);
  const auto chord = OfKind(halfCanvas, Kind::Chord);
  ASSERT_EQ(chord.size(), 1u);
  EXPECT_EQ(chord[0].rect, (Rect{4, 35, 104, 135}));
  EXPECT_THAT(chord[0].points, ElementsAre(Point{104, 85}, Point{4, 85}));
  // Half way: the needle points straight up to 0.9 of the height.
  EXPECT_THAT(OfKind(halfCanvas, Kind::Line)[0].points, ElementsAre(Point{54, 85}, Point{54, 40}));
  EXPECT_TRUE(OfKind(Painted(Item(kKindGauge, 3, {0, 0, 10, 10})), Kind::Polygon).empty());
}

TEST(DiagnosticPaint, SliderTrackTicksAndThumb) {
  DiagnosticItem slider = Item(kKindSlider, 0, {10, 10, 30, 110});
  slider.maximum = 100;
  slider.parameter1 = 21;  // 3 ticks
  slider.fillActive = 3;
  slider.fillNormal = 13;
  const Canvas canvas = Painted(slider, 50);
  const auto rects = OfKind(canvas, Kind::Rectangle);
  ASSERT_EQ(rects.size(), 4u);
  EXPECT_EQ(rects[0].rect, (Rect{16, 45, 32, 145}));  // the track
  EXPECT_EQ(rects[0].brush, PaletteColor(3));
  // The thumb at c = 45 + 50: the last rectangle on top.
  EXPECT_EQ(rects[1].rect, (Rect{15, 91, 35, 101}));
  EXPECT_EQ(rects[2].rect, (Rect{14, 90, 34, 100}));
  EXPECT_EQ(rects[3].rect, (Rect{13, 89, 33, 99}));
  EXPECT_EQ(rects[3].brush, PaletteColor(13));
  const auto ticks = OfKind(canvas, Kind::Line);
  ASSERT_EQ(ticks.size(), 6u);
  EXPECT_THAT(ticks[0].points, ElementsAre(Point{16, 45}, Point{18, 45}));
  EXPECT_EQ(ticks[2].points[0].y, 45 + 33);

  slider.style = 1;
  EXPECT_EQ(OfKind(Painted(slider, 100), Kind::Rectangle)[2].rect, (Rect{29, 45, 39, 145}));
}

TEST(DiagnosticPaint, BitDisplayShowsAtMostTwentyFourLamps) {
  DiagnosticItem bits = Item(kKindBitDisplay, 0, {0, 0, 10, 240});
  bits.bitCountA = 30;
  bits.fillNormal = 2;
  bits.fillActive = 5;
  const auto lamps = OfKind(Painted(bits, 5), Kind::Ellipse);
  ASSERT_EQ(lamps.size(), 24u);
  EXPECT_EQ(lamps[0].rect, (Rect{4, 35, 14, 45}));
  EXPECT_EQ(lamps[0].brush, PaletteColor(5));
  EXPECT_EQ(lamps[1].brush, PaletteColor(2));
  EXPECT_EQ(lamps[2].brush, PaletteColor(5));
  // Turned a quarter (91 degrees counts as 90): the lamps run right to left.
  bits.style = 1;
  bits.bitCountA = 2;
  bits.angle = 91;
  bits.x2 = 20;
  bits.y2 = 20;
  const auto turned = OfKind(Painted(bits, 1), Kind::Rectangle);
  ASSERT_EQ(turned.size(), 2u);
  EXPECT_EQ(turned[0].rect, (Rect{14, 35, 24, 55}));
  EXPECT_EQ(turned[1].rect, (Rect{4, 35, 14, 55}));
}

TEST(DiagnosticPaint, ValueTextFormatsAlignmentsAndBackgrounds) {
  DiagnosticItem value = Item(kKindValueText, 0, {0, 0, 100, 20});
  value.precision = -4;
  value.fillNormal = 15;
  const Canvas hex = Painted(value, 255);
  ASSERT_NE(hex.FindText("$00FF"), nullptr);
  EXPECT_FALSE(hex.FindText("$00FF")->textBackground);  // no background for 15
  EXPECT_EQ(hex.FindText("$00FF")->font, platform::FontId::Narrow);
  value.precision = 3;
  value.fillNormal = 7;
  value.font = 1;
  value.alignment = 10;
  const Canvas decimal = Painted(value, 1.5);
  const Canvas::Op* text = decimal.FindText("1.500");
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->textBackground, PaletteColor(7));
  EXPECT_EQ(text->font, platform::FontId::Arial);
  EXPECT_EQ(text->flags, platform::text::kCenter | platform::text::kWordBreak);
  value.alignment = 5;
  EXPECT_EQ(Painted(value, 1.5).FindText("1.500")->flags,
            platform::text::kRight | platform::text::kVCenter | platform::text::kSingleLine);
  value.alignment = 12;
  EXPECT_TRUE(Painted(value, 1.5).Texts().empty());
  // Other styles show the value only when the state has a text; other kinds only their text.
  value.alignment = 0;
  value.style = 1;
  EXPECT_TRUE(Painted(value, 1.5).Texts().empty());
  value.text1 = "x";
  EXPECT_NE(Painted(value, 1.5).FindText("1.500"), nullptr);
  EXPECT_TRUE(Painted(Item(kKindLine, 0, {0, 0, 5, 5})).Texts().empty());
  // A damaged precision stays a short text.
  value.precision = 1 << 30;
  EXPECT_LT(Painted(value, 1).Texts()[0]->text.size(), 100u);
}

TEST(DiagnosticPaint, StripChartDrawsItsHistoryOldestFirst) {
  DiagnosticItem chart = Item(kKindStripChart, 0, {0, 0, 100, 50});
  chart.maximum = 10;
  chart.minimum = -10;
  chart.parameter1 = 5;  // 2 columns: one vertical line
  chart.parameter2 = 9;  // 3 rows: two horizontal lines
  chart.history.back() = 10;
  chart.history.front() = -20;
  const Canvas canvas = Painted(chart);
  EXPECT_EQ(OfKind(canvas, Kind::Line).size(), 3u);
  const auto line = OfKind(canvas, Kind::Polyline);
  ASSERT_EQ(line.size(), 1u);
  ASSERT_EQ(line[0].points.size(), 50u);
  EXPECT_EQ(line[0].points[0], (Point{4, 85}));     // below the minimum: the bottom
  EXPECT_EQ(line[0].points[1], (Point{6, 60}));     // 0: the middle
  EXPECT_EQ(line[0].points[49], (Point{102, 35}));  // the maximum at the top, 49/50 across
  EXPECT_EQ(OfKind(canvas, Kind::Ellipse)[0].rect, (Rect{99, 32, 105, 38}));
}

TEST(DiagnosticPaint, ShapesMoveWithTheirValueAndTheirParents) {
  const DiagnosticTables tables = Compiled(R"(
variable X type=internal value=50
variable Turn type=internal value=90
page
shape Base box=0,0,20,20 shape=rectangle var=X min=0 max=100 motion=x motion-start=0 motion-end=40
shape Arm box=100,0,120,20 shape=rectangle parent=Base
shape Hub box=40,40,60,60 shape=rectangle var=Turn min=0 max=90 motion=rotate motion-start=0 motion-end=90
shape Spoke box=80,40,100,60 shape=rectangle parent=Hub
)");
  EXPECT_EQ(MovedShape(tables, 1).x1, 20);  // half way to 40
  const DiagnosticItem arm = MovedShape(tables, 2);
  EXPECT_EQ(arm.x1, 120);  // carried by its parent
  EXPECT_EQ(arm.y1, 0);
  // The spoke's centre (90, 50) turned a quarter about the hub's (50, 50): (50, 90).
  const DiagnosticItem spoke = MovedShape(tables, 4);
  EXPECT_EQ(spoke.x1, 40);
  EXPECT_EQ(spoke.y1, 80);
  EXPECT_EQ(spoke.angle, 90);

  // Parents that lead back round end; a motion beyond its range stops at its end.
  DiagnosticTables loop = tables;
  loop.items[1].precision = 2;
  loop.items[2].precision = 1;
  loop.variables[0].value = 500;
  EXPECT_EQ(MovedShape(loop, 1).x1, 40);
  EXPECT_EQ(MovedShape(loop, 2).x1, 140);
}

}  // namespace
}  // namespace bl::diagnostics::test
