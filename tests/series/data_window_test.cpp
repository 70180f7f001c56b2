#include "series/data_window.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_desktop.h"
#include "platform/fake/recording_canvas.h"
#include "series/series_clipboard.h"
#include "series/series_table.h"

namespace bl::series {
namespace {

using platform::RecordingCanvas;
using Kind = RecordingCanvas::Kind;

class DataWindowTest : public ::testing::Test {
 protected:
  SeriesTable table;
  platform::FakeDesktop desktop;
  DataWindow window{table, desktop};
  int editRequests = 0;

  void SetUp() override {
    window.editSources = [this] { ++editRequests; };
    window.SetClientHeight(25 + 10 * 15);  // a page of ten rows
  }
  RecordingCanvas Paint(int w = 600, int h = 25 + 10 * 15) {
    RecordingCanvas canvas({w, h});
    window.Paint(canvas);
    return canvas;
  }
};

TEST_F(DataWindowTest, HeaderRowsAndCurrentRowMark) {
  table[2].sourceType = SourceType::kY;
  table[2].address = 0x8AB;
  table[2].rawDataPeriod = 0.0;
  table[3].sourceType = SourceType::kNone;
  table[3].rawDataPeriod = 0.000442;
  table[3].active = true;
  table[3].SetTitle("Velocity");
  table.currentSeries = 3;
  const RecordingCanvas canvas = Paint();

  const auto* fill = &canvas.Ops()[1];
  EXPECT_EQ(fill->kind, Kind::FillRect);
  EXPECT_EQ(fill->rect, (platform::Rect{0, 0, 600, 25}));
  EXPECT_EQ(fill->color, (platform::Rgb{190, 190, 190}));
  EXPECT_EQ(canvas.FindText("Series")->rect, (platform::Rect{40, 0, 96, 25}));
  EXPECT_EQ(canvas.FindText("Title")->rect.left, 420);
  EXPECT_EQ(canvas.FindText("2:")->rect.top, 40);
  EXPECT_EQ(canvas.FindText("Y:$8ab")->rect.left, 100);
  EXPECT_EQ(canvas.FindText("0.0000")->rect.left, 300);  // series 2: no period
  EXPECT_NE(canvas.FindText("----"), nullptr);           // series 3: no decoding
  EXPECT_NE(canvas.FindText("2262.4434"), nullptr);
  EXPECT_EQ(canvas.FindText("Velocity")->rect.top, 55);
  EXPECT_NE(canvas.FindText("4096"), nullptr);
  // Rows 1..10 only: the eleventh does not fit.
  EXPECT_NE(canvas.FindText("10:"), nullptr);
  EXPECT_EQ(canvas.FindText("11:"), nullptr);

  int inverts = 0, crosses = 0;
  for (const auto& op : canvas.Ops()) {
    if (op.kind == Kind::Invert) {
      ++inverts;
      EXPECT_EQ(op.rect, (platform::Rect{40, 55, 600, 70}));
    }
    if (op.kind == Kind::Line && op.points[0].x == 13 && op.points[0].y >= 55 &&
        op.points[0].y < 70)
      ++crosses;
  }
  EXPECT_EQ(inverts, 1);
  EXPECT_EQ(crosses, 2);  // the X in series 3's box
}

TEST_F(DataWindowTest, ScrollBarKeepsTheLastPageFull) {
  table.seriesCount = 24;
  EXPECT_EQ(window.VerticalBar(), (platform::ScrollBarSettings{1, 24, 10, 1}));
  window.Scroll(platform::ScrollAction::PageForward, 0);
  EXPECT_EQ(window.FirstRow(), 11);
  window.Scroll(platform::ScrollAction::PageForward, 0);
  EXPECT_EQ(window.FirstRow(), 15);
  window.Scroll(platform::ScrollAction::Thumb, 3);
  EXPECT_EQ(window.FirstRow(), 3);
  window.Scroll(platform::ScrollAction::LineBack, 0);
  window.Scroll(platform::ScrollAction::LineBack, 0);
  window.Scroll(platform::ScrollAction::LineBack, 0);
  EXPECT_EQ(window.FirstRow(), 1);
  // A taller window than the list needs shows it from row 1.
  window.Scroll(platform::ScrollAction::End, 0);
  window.SetClientHeight(1000);
  EXPECT_EQ(window.FirstRow(), 1);
}

TEST_F(DataWindowTest, MouseAndKeysSelectToggleAndOpenTheDialog) {
  table.seriesCount = 24;
  window.Scroll(platform::ScrollAction::Thumb, 5);
  window.LeftButton({200, 25 + 2 * 15 + 3});  // the third row shown: series 7
  EXPECT_EQ(table.currentSeries, 7);
  EXPECT_FALSE(table[7].active);
  window.LeftButton({20, 25 + 2 * 15 + 3});
  EXPECT_TRUE(table[7].active);
  window.RightButton({200, 25 + 4 * 15});
  EXPECT_EQ(table.currentSeries, 9);
  EXPECT_EQ(editRequests, 1);
  window.RightButton({200, 10});  // the header is no series
  EXPECT_EQ(editRequests, 1);

  window.Key(TableKey::Enter);
  EXPECT_EQ(editRequests, 2);
  window.Key(TableKey::Space);
  EXPECT_TRUE(table[9].active);
  for (int i = 0; i < 30; ++i) window.Key(TableKey::Down);
  EXPECT_EQ(table.currentSeries, 24);
  EXPECT_EQ(window.FirstRow(), 15);  // scrolled to keep it in view
  for (int i = 0; i < 30; ++i) window.Key(TableKey::Up);
  EXPECT_EQ(table.currentSeries, 1);
  EXPECT_EQ(window.FirstRow(), 1);
}

TEST_F(DataWindowTest, CutAndPasteMoveASeriesAndDeleteClearsIt) {
  table.currentSeries = 1;
  const auto words = table[1].xWords;
  window.Character(kCtrlX);
  EXPECT_EQ(table[1].sampleCount, 0);
  EXPECT_EQ(table[1].rawDataPeriod, 0.0);
  EXPECT_EQ(table[1].rawDataAddress, 0u);
  table.currentSeries = 4;
  window.Character(kCtrlV);
  EXPECT_EQ(table[4].xWords, words);
  EXPECT_TRUE(desktop.messages.empty());

  window.Key(TableKey::Delete);
  EXPECT_EQ(table[4].sampleCount, 0);
  EXPECT_TRUE(table[4].xWords.empty());
  RecordingCanvas canvas = Paint();
  EXPECT_NE(canvas.FindText("0"), nullptr);
}

}  // namespace
}  // namespace bl::series
