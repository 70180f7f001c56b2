#include <gtest/gtest.h>

#include "platform/color_palette.h"
#include "platform/fake/recording_canvas.h"
#include "monitor/gather_status.h"
#include "shell/main_layout.h"
#include "shell/view_ids.h"

namespace bl {
namespace {

using platform::RecordingCanvas;
using platform::Rect;

TEST(MainLayoutTest, GraphPanesAndButtons) {
  const MainLayout one = LayOutMainWindow(700, 480, 0, false);
  EXPECT_EQ(one.graph.graphHeight, 255);
  EXPECT_EQ(one.graph.pane1, (Rect{0, 50, 700, 305}));
  EXPECT_TRUE(one.graph.pane2.Empty());
  EXPECT_EQ(one.graph.buttons[0], (Rect{17, 310, 157, 335}));
  EXPECT_EQ(one.graph.buttons[3], (Rect{549, 310, 689, 335}));

  // Type 2: two panes of half height, the lower one a pixel taller.
  const MainLayout two = LayOutMainWindow(700, 481, 2, false);
  EXPECT_EQ(two.graph.pane1, (Rect{0, 50, 700, 178}));
  EXPECT_EQ(two.graph.pane2, (Rect{0, 178, 700, 307}));

  const MainLayout full = LayOutMainWindow(700, 480, 0, true);
  EXPECT_EQ(full.graph.graphHeight, 395);
  EXPECT_FALSE(full.graph.panelShown);
}

TEST(MainLayoutTest, DataTerminalAndEditorViews) {
  const MainLayout l = LayOutMainWindow(600, 400, 0, false);
  EXPECT_EQ(l.data.dataWindow, (Rect{0, 50, 600, 265}));
  EXPECT_EQ(l.data.defineBuffer, (Rect{10, 300, 145, 323}));
  EXPECT_EQ(l.data.bufferSettings, (Rect{155, 300, 290, 323}));
  EXPECT_EQ(l.data.uploadData, (Rect{10, 375, 290, 398}));
  EXPECT_EQ(l.terminal.view, (Rect{0, 50, 600, 350}));
  EXPECT_EQ(l.terminal.commandLine, (Rect{100, 362, 590, 387}));
  EXPECT_EQ(l.spreadsheet, (Rect{0, 50, 600, 400}));
  EXPECT_EQ(l.editor, (Rect{0, 50, 600, 400}));
}

TEST(MainLayoutTest, GatherPanelShowsStatusAndProgress) {
  GatherStatus gather;
  gather.period = 2;
  gather.start = 0x10000;
  gather.current = 0x10400;
  gather.end = 0x10800;
  MainPaintState state;
  state.view = kViewData;
  state.servoPeriod = 0.0005;
  state.gather = &gather;
  RecordingCanvas c({700, 480});
  PaintMainWindow(c, LayOutMainWindow(700, 480, 0, false), state);

  EXPECT_NE(c.FindText("Data Gathering Controls"), nullptr);
  ASSERT_NE(c.FindText("1000.00 Hz"), nullptr);
  EXPECT_EQ(c.FindText("1000.00 Hz")->rect, (Rect{525, 381, 690, 404}));
  EXPECT_NE(c.FindText("$10000"), nullptr);
  EXPECT_NE(c.FindText("$10400"), nullptr);
  // Half way: p = 50, w = 50 * (350 - 20) * 0.01 = 165.
  bool bar = false;
  for (const auto& op : c.Ops())
    if (op.kind == RecordingCanvas::Kind::FillRect && op.color == platform::PaletteColor(13))
      bar = op.rect == Rect{360, 356, 525, 379};
  EXPECT_TRUE(bar);

  gather.current = 0x20000;  // outside the buffer: no bar
  RecordingCanvas outside({700, 480});
  PaintMainWindow(outside, LayOutMainWindow(700, 480, 0, false), state);
  for (const auto& op : outside.Ops())
    EXPECT_FALSE(op.kind == RecordingCanvas::Kind::FillRect &&
                 op.color == platform::PaletteColor(13));

  EXPECT_EQ(GatherFrequencyText(0, 0.0005), "0 Hz");
  EXPECT_EQ(GatherFrequencyText(3, 0), "0 Hz");
  gather.start = 0xA;
  RecordingCanvas narrow({700, 480});
  PaintMainWindow(narrow, LayOutMainWindow(700, 480, 0, false), state);
  EXPECT_NE(narrow.FindText("$    A"), nullptr);
}

TEST(MainLayoutTest, GraphPanelHeadingsAndRowLabels) {
  MainPaintState state;
  state.view = kViewGraphTime;
  RecordingCanvas c({700, 480});
  PaintMainWindow(c, LayOutMainWindow(700, 480, 0, false), state);
  EXPECT_EQ(c.FindText("Data Series Title")->rect, (Rect{50, 350, 450, 375}));
  EXPECT_EQ(c.FindText("Axis")->rect, (Rect{600, 350, 700, 375}));
  EXPECT_EQ(c.FindText("#1:")->rect, (Rect{5, 375, 45, 400}));
  EXPECT_EQ(c.FindText("#4:")->rect, (Rect{5, 450, 45, 475}));

  state.fullScreen = true;
  RecordingCanvas full({700, 480});
  PaintMainWindow(full, LayOutMainWindow(700, 480, 0, true), state);
  EXPECT_EQ(full.FindText("#1:"), nullptr);
}

}  // namespace
}  // namespace bl
