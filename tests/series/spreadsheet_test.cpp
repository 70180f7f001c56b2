#include "series/spreadsheet.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_desktop.h"
#include "platform/fake/recording_canvas.h"
#include "series/series_clipboard.h"
#include "series/series_table.h"

namespace bl::series {
namespace {

using platform::RecordingCanvas;
using Kind = RecordingCanvas::Kind;

class SpreadsheetTest : public ::testing::Test {
 protected:
  SeriesTable table;
  platform::FakeDesktop desktop;
  Spreadsheet sheet{table, desktop};
  int changes = 0;

  void SetUp() override {
    table.seriesCount = 24;
    sheet.seriesChanged = [this] { ++changes; };
    sheet.SetClientSize({1000, 76 + 20 * 15});  // twenty rows
  }
  RecordingCanvas Paint() {
    RecordingCanvas canvas({1000, 76 + 20 * 15});
    sheet.Paint(canvas);
    return canvas;
  }
};

TEST(SpreadsheetGeometry, RowNumberColumnGrowsWithTheDigitsOfTheLargestCount) {
  EXPECT_EQ(SheetRowNumberWidth(0), 19);
  EXPECT_EQ(SheetRowNumberWidth(9), 19);
  EXPECT_EQ(SheetRowNumberWidth(10), 28);
  EXPECT_EQ(SheetRowNumberWidth(4096), 46);
  EXPECT_EQ(SheetRowNumberWidth(16777216), 82);
}

TEST_F(SpreadsheetTest, ColumnsHeadingsCellsAndDashesBeyondTheEnd) {
  // Series 1 has 4096 samples, the others 10: four digits of point numbers.
  table[2].xWords[3] = 0xABCDEF;
  table[2].SetTitle("Torque");
  RecordingCanvas canvas = Paint();
  EXPECT_EQ(canvas.Ops()[1].color, (platform::Rgb{192, 192, 192}));
  EXPECT_EQ(canvas.Ops()[1].rect, (platform::Rect{0, 0, 1000, 75}));
  EXPECT_EQ(canvas.Ops()[2].rect, (platform::Rect{0, 0, 46, 376}));
  EXPECT_EQ(canvas.FindText("Series #1")->rect, (platform::Rect{46, 1, 346, 25}));
  EXPECT_EQ(canvas.FindText("Series #2")->rect.left, 346);
  EXPECT_EQ(canvas.FindText("Torque")->rect.top, 26);
  EXPECT_EQ(canvas.FindText("X-Word")->rect.top, 51);
  EXPECT_NE(canvas.FindText("Scaled"), nullptr);
  EXPECT_EQ(canvas.FindText("1")->rect.top, 76);
  EXPECT_EQ(canvas.FindText("$ABCDEF")->rect.top, 76 + 3 * 15);
  EXPECT_EQ(canvas.FindText("---")->rect.top, 76 + 10 * 15);  // series 2 past its ten points
  EXPECT_EQ(canvas.FindText("Series #5"), nullptr);           // the fourth is cut at the edge

  sheet.SetLayout(SheetLayout::kValues);
  canvas = Paint();
  EXPECT_EQ(canvas.FindText("Series #2")->rect.left, 46 + 140);
  EXPECT_EQ(canvas.FindText("X-Word"), nullptr);
  sheet.SetLayout(SheetLayout::kWords);
  canvas = Paint();
  EXPECT_EQ(canvas.FindText("Series #2")->rect.left, 46 + 165);
  EXPECT_EQ(canvas.FindText("Scaled"), nullptr);
  EXPECT_EQ(sheet.HorizontalBar(), (platform::ScrollBarSettings{1, 24, 5, 1}));
  EXPECT_EQ(sheet.VerticalBar(), (platform::ScrollBarSettings{0, 4095, 20, 0}));
}

TEST_F(SpreadsheetTest, KeysAndMouseMoveTheActiveCellAndExtendWithShift) {
  sheet.SetLayout(SheetLayout::kWords);
  sheet.Key(TableKey::Right, false, false);
  sheet.Key(TableKey::Down, false, false);
  EXPECT_EQ(sheet.Active(), (SheetCell{2, 1}));
  EXPECT_EQ(sheet.Anchor(), (SheetCell{2, 1}));
  sheet.Key(TableKey::Right, true, false);
  sheet.Key(TableKey::PageDown, true, false);
  EXPECT_EQ(sheet.Active(), (SheetCell{3, 21}));
  EXPECT_EQ(sheet.Anchor(), (SheetCell{2, 1}));
  EXPECT_EQ(sheet.FirstPoint(), 2);  // scrolled to keep the active cell in view
  for (int i = 0; i < 40; ++i) sheet.Key(TableKey::Right, false, false);
  EXPECT_EQ(sheet.Active().series, 24);
  EXPECT_EQ(sheet.FirstSeries(), 20);
  for (int i = 0; i < 400; ++i) sheet.Key(TableKey::PageDown, false, false);
  EXPECT_EQ(sheet.Active().point, 4095);

  sheet.Scroll(true, platform::ScrollAction::Thumb, 0);
  sheet.Scroll(false, platform::ScrollAction::Thumb, 1);
  sheet.Press({46 + 165 + 5, 76 + 2 * 15 + 1}, false);
  EXPECT_EQ(sheet.Active(), (SheetCell{2, 2}));
  EXPECT_EQ(sheet.Anchor(), (SheetCell{2, 2}));
  sheet.Drag({46 + 3 * 165 + 5, 76 + 5 * 15 + 1});
  EXPECT_EQ(sheet.Active(), (SheetCell{4, 5}));
  EXPECT_EQ(sheet.Anchor(), (SheetCell{2, 2}));
  sheet.Press({46 + 5, 76 + 1}, true);
  EXPECT_EQ(sheet.Active(), (SheetCell{1, 0}));
  EXPECT_EQ(sheet.Anchor(), (SheetCell{2, 2}));
}

TEST_F(SpreadsheetTest, AllSeriesEmptyLeavesNoRowsAndPointZero) {
  for (int k = 1; k <= 24; ++k) table[k].Resize(0);
  sheet.Key(TableKey::Down, false, false);
  sheet.Key(TableKey::PageDown, true, false);
  EXPECT_EQ(sheet.Active().point, 0);
  const RecordingCanvas canvas = Paint();
  EXPECT_EQ(canvas.FindText("1"), nullptr);
  for (const auto& op : canvas.Ops()) EXPECT_NE(op.kind, Kind::Invert);
}

TEST_F(SpreadsheetTest, DeleteShortensExactlyTheSelectedSeriesAndCollapses) {
  sheet.Press({46 + 5, 80}, false);
  sheet.Scroll(false, platform::ScrollAction::Thumb, 3);
  sheet.SetLayout(SheetLayout::kValues);
  // Points 2..4 (the third to fifth) of series 3..5.
  for (int k = 1; k <= 24; ++k) ASSERT_EQ(table[k].sampleCount, k == 1 ? 4096 : 10);
  const auto tail = table[4].xWords[5];
  sheet.Press({46 + 140 * 2 + 5, 76 + 4 * 15 + 1}, false);  // series 5, point 4
  sheet.Press({46 + 5, 76 + 2 * 15 + 1}, true);             // to series 3, point 2
  ASSERT_EQ(sheet.Active(), (SheetCell{3, 2}));
  ASSERT_EQ(sheet.Anchor(), (SheetCell{5, 4}));
  sheet.Key(TableKey::Delete, false, false);
  for (int k = 1; k <= 24; ++k) {
    EXPECT_EQ(table[k].sampleCount, k == 1 ? 4096 : (k >= 3 && k <= 5 ? 7 : 10)) << k;
  }
  EXPECT_EQ(table[4].xWords[2], tail);
  EXPECT_EQ(sheet.Active(), (SheetCell{3, 2}));
  EXPECT_EQ(sheet.Anchor(), (SheetCell{3, 2}));
  EXPECT_EQ(changes, 1);
}

TEST_F(SpreadsheetTest, CopyPasteSelectsThePastedBlockAndCutRemovesIt) {
  sheet.Key(TableKey::Right, false, false);
  sheet.Key(TableKey::Right, true, false);
  sheet.Key(TableKey::Down, true, false);  // series 2..3, points 0..1
  sheet.Key(TableKey::Insert, false, true);
  EXPECT_EQ(desktop.Clipboard().size(), 2u * 35u);

  // Paste at series 23, point 9: series 24 takes the second column, both grow to point 10.
  sheet.Press({46 + 5, 76 + 1}, false);
  for (int i = 0; i < 22; ++i) sheet.Key(TableKey::Right, false, false);
  for (int i = 0; i < 9; ++i) sheet.Key(TableKey::Down, false, false);
  sheet.Key(TableKey::Insert, true, false);
  EXPECT_EQ(sheet.Active(), (SheetCell{23, 9}));
  EXPECT_EQ(sheet.Anchor(), (SheetCell{24, 10}));
  EXPECT_EQ(table[24].sampleCount, 11);
  EXPECT_EQ(table[24].xWords[10], table[3].xWords[1]);

  const std::string copied = desktop.Clipboard();
  sheet.Character(kCtrlX);
  EXPECT_EQ(desktop.Clipboard(), copied);  // the same block went out again
  EXPECT_EQ(table[23].sampleCount, 9);
  EXPECT_EQ(table[24].sampleCount, 9);
  EXPECT_EQ(sheet.Active(), (SheetCell{23, 9}));  // limited to what remains somewhere
  EXPECT_TRUE(desktop.messages.empty());
}

}  // namespace
}  // namespace bl::series
