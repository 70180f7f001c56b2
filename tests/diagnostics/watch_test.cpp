// The watch window: its table and dialog, painting, mouse and keys, the monitor's polling against
// the virtual controller and the offline sweep, and the items kept per controller type.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "controller/identify_controller.h"
#include "diagnostics/watch_item_presenter.h"
#include "diagnostics/watch_paint.h"
#include "diagnostics/watch_settings.h"
#include "diagnostics/watch_window.h"
#include "integration/fake_clock_program.h"
#include "platform/color_palette.h"
#include "platform/fake/recording_canvas.h"

namespace bl::diagnostics {
namespace {

using namespace std::chrono_literals;
using platform::RecordingCanvas;

class WatchTest : public ::testing::Test, protected test::FakeClockProgram {
 protected:
  WatchTest() {
    window.onSaveFailed = [](const std::string& e) { ADD_FAILURE() << e; };
    workbench.monitor.SetWatchWindow(
        {.repaint = [this](bool) { ++repaints; },
         .poll = [this] { PollWatchTable(records.table, workbench.link); },
         .sweep = [this](int count) { records.table.Sweep(count); }});
  }
  ~WatchTest() override { workbench.monitor.SetWatchWindow({}); }

  void Connect() {
    ASSERT_EQ(workbench.link.LinkConnect(), 0);
    IdentifyController(workbench.controllerType, workbench.link, workbench.definitions,
                       workbench.terminal, {});
  }
  void Send(const char* command) {
    std::string reply;
    workbench.link.PmacCommand(reply, 255, command, false);
  }
  void Cycles(int n) {
    for (int i = 0; i < n; ++i) {
      clock.Advance(100ms);
      workbench.monitor.Cycle();
    }
  }
  // Types the item into the dialog and presses "Insert Watch Item".
  bool Insert(const std::string& item, WatchDisplay display = WatchDisplay::Value,
              const char* scale = "1", const char* max = "0", const char* min = "0",
              const char* precision = "3") {
    dialog.Open(window.SelectedRow());
    dialog.fields = {item, scale, max, min, precision, display};
    return dialog.Insert();
  }
  WatchItem Item(int row) { return records.table.Copy()[static_cast<std::size_t>(row)]; }
  std::string Settings() { return WatchSettingsPath(workbench.controllerType.shortName); }

  WatchRecords records;
  WatchWindow window{records, workbench.controllerType, WatchSettingsPath};
  WatchItemPresenter dialog{records.table,
                            records.defaults,
                            workbench.definitions,
                            workbench.controllerType.variableCount,
                            desktop,
                            [this](bool inserted) { window.AfterDialog(inserted); }};
  int repaints = 0;
};

TEST_F(WatchTest, TheDialogAddsReplacesAndRefusesItems) {
  std::filesystem::remove(Settings());
  ASSERT_TRUE(Insert("P100", WatchDisplay::Value, "1", "10", "0", "20"));
  EXPECT_EQ(Item(0).precision, 12);
  // The same variable again replaces it, with its new look.
  ASSERT_TRUE(Insert("p100", WatchDisplay::Meter, "2", "5", "1", "-20"));
  EXPECT_EQ(records.table.UsedCount(), 1);
  EXPECT_EQ(Item(0).Display(), WatchDisplay::Meter);
  EXPECT_EQ(Item(0).scale, 2);
  EXPECT_EQ(Item(0).precision, -12);
  // The dialog shows the last values used, with an empty item.
  EXPECT_EQ(dialog.fields.item, "");
  EXPECT_EQ(dialog.fields.scale, "2.000000");
  EXPECT_EQ(dialog.fields.display, WatchDisplay::Meter);

  // The P100 row selected and its text changed: P101 is added, P100 stays.
  ASSERT_EQ(window.Press({200, 70}), WatchWindow::Action::Repaint);
  window.Release();
  dialog.Open(window.SelectedRow());
  EXPECT_EQ(dialog.fields.item, "P100");
  EXPECT_EQ(dialog.fields.maximum, "5.000000");
  dialog.fields.item = "P101";
  ASSERT_TRUE(dialog.Insert());
  EXPECT_EQ(Item(1).number, 101);
  EXPECT_EQ(window.SelectedRow(), -1);

  // Defined names stand for their variables; fields that do not parse keep the last values.
  workbench.definitions.DefineLine("#define EStop_Active_P M7", 0, workbench.terminal);
  ASSERT_TRUE(Insert("EStop_Active_P", WatchDisplay::Lamp, "x", "nan", "", "?"));
  EXPECT_EQ(Item(2).variableType, 3);
  EXPECT_EQ(Item(2).number, 7);
  EXPECT_EQ(Item(2).scale, 2);
  EXPECT_EQ(Item(2).maximum, 5);
  EXPECT_EQ(Item(2).precision, -12);

  for (const char* bad : {"", "P", "X5", "P-1", "P8192", "Pabc"}) {
    EXPECT_FALSE(Insert(bad)) << bad;
    ASSERT_FALSE(desktop.messages.empty());
    EXPECT_EQ(desktop.messages.back().text, "Invalid Watch Item");
    EXPECT_EQ(desktop.messages.back().title, "Watch Insert/Modify Error");
  }
  for (int n = 3; n < kWatchFillable; ++n) ASSERT_TRUE(Insert("Q" + std::to_string(n)));
  EXPECT_FALSE(Insert("Q500"));
  EXPECT_EQ(desktop.messages.back().text, "The Watch Window is Full");
  EXPECT_TRUE(Insert("Q5", WatchDisplay::Graph));  // a replacement still fits
  EXPECT_EQ(records.table.UsedCount(), kWatchFillable);
}

TEST_F(WatchTest, RowsAreSelectedDraggedAndDeleted) {
  std::filesystem::remove(Settings());
  for (const char* v : {"P1", "P2", "P3"}) ASSERT_TRUE(Insert(v));
  auto order = [this] {
    std::string s;
    for (const WatchItem& i : records.table.Copy())
      if (i.Used()) s += WatchVariableName(i.variableType, i.number) + " ";
    return s;
  };
  // The title bar: close from x 451, the "Insert" button from 36 to 109, moving elsewhere.
  EXPECT_EQ(window.Press({460, 20}), WatchWindow::Action::Close);
  EXPECT_EQ(window.Press({50, 20}), WatchWindow::Action::OpenDialog);
  EXPECT_EQ(window.Press({200, 20}), WatchWindow::Action::StartMove);
  window.Release();
  // The header selects nothing; row 0 lies from y 60.
  window.Press({100, 50});
  EXPECT_EQ(window.SelectedRow(), -1);
  window.Release();

  window.Press({100, 62});  // P1
  EXPECT_EQ(window.DragMode(), 1);
  EXPECT_EQ(window.MoveTo({100, 115}), WatchWindow::Action::Repaint);  // onto row 2
  EXPECT_EQ(order(), "P2 P3 P1 ");
  EXPECT_EQ(window.SelectedRow(), 2);
  EXPECT_EQ(window.MoveTo({100, 200}), WatchWindow::Action::None);  // no item there
  window.Release();
  // Kept at once: a fresh table of this type reads the new order.
  WatchRecords again;
  WatchWindow other(again, workbench.controllerType, WatchSettingsPath);
  std::string error;
  other.LoadForType(error);
  EXPECT_EQ(again.table.Copy()[0].number, 2);

  EXPECT_EQ(window.KeyDown(WatchWindow::Key::Down), WatchWindow::Action::Repaint);
  EXPECT_EQ(window.SelectedRow(), 2);  // nothing below
  window.KeyDown(WatchWindow::Key::Up);
  EXPECT_EQ(window.SelectedRow(), 1);
  window.KeyDown(WatchWindow::Key::Delete);
  EXPECT_EQ(order(), "P2 P1 ");
  EXPECT_EQ(window.SelectedRow(), 1);
  window.KeyDown(WatchWindow::Key::Delete);
  EXPECT_EQ(window.SelectedRow(), 0);  // the row went empty: one up
  EXPECT_EQ(window.KeyDown(WatchWindow::Key::Enter), WatchWindow::Action::OpenDialog);
  EXPECT_EQ(window.WindowSize(), (platform::Size{488, 91}));
}

TEST_F(WatchTest, ConnectedCyclesReadEveryItemInOneQuery) {
  Connect();
  Send("P100=5 Q3=-2.5 I130=2000");
  ASSERT_TRUE(Insert("P100"));
  ASSERT_TRUE(Insert("Q3", WatchDisplay::Graph, "2"));
  ASSERT_TRUE(Insert("I130", WatchDisplay::Meter));
  Cycles(1);
  EXPECT_EQ(Item(0).raw, 5);
  EXPECT_EQ(Item(1).raw, -2.5);
  EXPECT_EQ(Item(1).Scaled(), -5);
  EXPECT_EQ(Item(1).history.back(), -2.5);
  EXPECT_EQ(Item(2).raw, 2000);
  EXPECT_EQ(workbench.monitor.watchLive.value, 5);
  EXPECT_EQ(repaints, 1);
  Send("Q3=7");
  Cycles(2);
  EXPECT_EQ(Item(1).history[kWatchHistory - 3], -2.5);
  EXPECT_EQ(Item(1).history[kWatchHistory - 1], 7);
  EXPECT_EQ(Item(0).history.back(), 0);  // only graphs keep a history

  // A reply with fewer values than items leaves the rest alone; a reply for a query whose item
  // has since moved still reaches it.
  const WatchTable::Query query = records.table.PollQuery();
  EXPECT_EQ(query.command, "P100 Q3 I130 ");
  records.table.Move(0, 2);
  records.table.StoreReply(query, "1\rjunk\r");
  EXPECT_EQ(Item(2).raw, 1);     // P100, now last
  EXPECT_EQ(Item(0).raw, 7);     // Q3 kept its value
  EXPECT_EQ(Item(1).raw, 2000);  // I130 got nothing
}

TEST_F(WatchTest, OfflineEachItemSweepsItsOwnRange) {
  ASSERT_TRUE(Insert("P1", WatchDisplay::Value, "1", "100", "0"));
  ASSERT_TRUE(Insert("P2", WatchDisplay::Graph, "4", "10", "-10"));
  std::vector<double> shown;
  for (int i = 0; i < 21; ++i) {
    Cycles(1);
    shown.push_back(Item(0).Scaled());
  }
  EXPECT_EQ(shown[0], 5);
  EXPECT_EQ(shown[18], 95);
  EXPECT_EQ(shown[19], 100);
  EXPECT_EQ(shown[20], 0);  // and round again
  // The shown value sweeps the range, whatever the scaling factor.
  EXPECT_DOUBLE_EQ(Item(1).Scaled(), -10);
  EXPECT_DOUBLE_EQ(Item(1).history[kWatchHistory - 2] * 4, 10);
  EXPECT_EQ(repaints, 21);
}

// The colour of the first text drawn with this content.
const RecordingCanvas::Op* TextOp(const RecordingCanvas& canvas, const std::string& s) {
  for (const auto& op : canvas.Ops())
    if (op.kind == RecordingCanvas::Kind::Text && op.text == s) return &op;
  return nullptr;
}

TEST_F(WatchTest, PaintingFollowsRangesAndPrecision) {
  workbench.definitions.DefineLine("#define Speed P2", 0, workbench.terminal);
  ASSERT_TRUE(Insert("P1", WatchDisplay::Value, "1", "0", "0", "-4"));
  ASSERT_TRUE(Insert("P2", WatchDisplay::Value, "2", "10", "0", "1"));
  ASSERT_TRUE(Insert("P3", WatchDisplay::Value, "1", "0", "0", "0"));
  WatchTable::Items items = records.table.Copy();
  items[0].raw = 255;
  items[1].raw = 6;   // scaled 12: above the range
  items[2].raw = -1;  // no range, below 0
  EXPECT_EQ(WatchWindowSize(3), (platform::Size{488, 141}));

  RecordingCanvas canvas({488, 141});
  PaintWatchWindow(canvas, items, workbench.definitions, 50, 1);
  const auto red = platform::PaletteColor(5);
  const auto black = platform::PaletteColor(0);
  const auto white = platform::PaletteColor(4);
  ASSERT_NE(TextOp(canvas, "$00FF"), nullptr);
  EXPECT_EQ(TextOp(canvas, "$00FF")->color, black);  // no range, not below 0: active
  ASSERT_NE(TextOp(canvas, "12.0"), nullptr);
  EXPECT_EQ(TextOp(canvas, "12.0")->color, red);  // out of range: normal state
  EXPECT_EQ(TextOp(canvas, "12.0")->rect, (platform::Rect{327, 92, 473, 104}));
  EXPECT_EQ(TextOp(canvas, "-1")->color, red);
  ASSERT_NE(TextOp(canvas, "Speed"), nullptr);
  EXPECT_EQ(TextOp(canvas, "Speed")->color, white);
  EXPECT_EQ(TextOp(canvas, "Speed")->textBackground, red);
  EXPECT_EQ(TextOp(canvas, "P1")->color, black);
  EXPECT_EQ(TextOp(canvas, "P1")->textBackground, white);
  EXPECT_NE(TextOp(canvas, "Variable Watch Window"), nullptr);
  EXPECT_NE(TextOp(canvas, "Insert"), nullptr);
  // The selected row's frame.
  const bool framed = std::any_of(canvas.Ops().begin(), canvas.Ops().end(), [&](const auto& op) {
    return op.kind == RecordingCanvas::Kind::Rectangle && op.pen == red && op.penWidth == 3 &&
           op.rect == platform::Rect{4, 87, 484, 109};
  });
  EXPECT_TRUE(framed);
}

TEST_F(WatchTest, ItemsAreKeptPerControllerTypeAndADamagedFileIsIgnored) {
  SetTypeFromTable(workbench.controllerType, 2);
  std::filesystem::remove(Settings());
  std::string error;
  window.LoadForType(error);
  ASSERT_TRUE(Insert("M33", WatchDisplay::Lamp, "0.5", "1", "-1", "-6"));
  ASSERT_TRUE(Insert("I10", WatchDisplay::Graph, "0.1", "3.25", "0", "2"));

  WatchRecords fresh;
  WatchWindow reader(fresh, workbench.controllerType, WatchSettingsPath);
  reader.LoadForType(error);
  const WatchTable::Items read = fresh.table.Copy();
  const WatchTable::Items written = records.table.Copy();
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(read[i].kind, written[i].kind);
    EXPECT_EQ(read[i].variableType, written[i].variableType);
    EXPECT_EQ(read[i].number, written[i].number);
    EXPECT_EQ(read[i].scale, written[i].scale);
    EXPECT_EQ(read[i].maximum, written[i].maximum);
    EXPECT_EQ(read[i].minimum, written[i].minimum);
    EXPECT_EQ(read[i].precision, written[i].precision);
  }
  EXPECT_EQ(fresh.table.UsedCount(), 2);

  // Another type has its own items.
  SetTypeFromTable(workbench.controllerType, 5);
  std::filesystem::remove(Settings());
  reader.LoadForType(error);
  EXPECT_EQ(fresh.table.UsedCount(), 0);

  // Damaged lines are skipped, the good ones kept; numbers beyond the type's count, unknown
  // displays, precisions out of range and duplicates go.
  {
    std::ofstream out(Settings(), std::ios::binary);
    out << "item=P1 5 1 0 0 3\nitem=P1 2 1 0 0 3\nitem=Z1 5 1 0 0 3\nitem=P8192 5 1 0 0 3\n"
           "item=P2 7 1 0 0 3\nitem=P3 5 inf 0 0 3\nitem=P4 5 1 0 0 13\nitem=P5 5 1 0 0\n"
           "\x01\xff garbage\nitem=Q9 10 1e300 -1 1 -12 extra\nitem=Q10 10 2 1 0 -12\n";
  }
  fresh.loadedFor.clear();
  reader.LoadForType(error);
  const WatchTable::Items damaged = fresh.table.Copy();
  EXPECT_EQ(fresh.table.UsedCount(), 2);
  EXPECT_EQ(damaged[0].number, 1);
  EXPECT_EQ(damaged[0].kind, 5);
  EXPECT_EQ(damaged[1].number, 10);
  EXPECT_EQ(damaged[1].variableType, 2);
}

}  // namespace
}  // namespace bl::diagnostics

namespace bl::diagnostics {
namespace {

// The monitor thread stores values while the user reorders and deletes items: every item keeps
// values of its own variable only.
TEST(WatchTableThreads, TheMonitorAndTheUserShareTheTable) {
  WatchTable table;
  for (int n = 0; n < kWatchFillable; ++n) {
    WatchItem item;
    item.kind = static_cast<int>(n % 2 ? WatchDisplay::Graph : WatchDisplay::Value);
    item.variableType = 1;
    item.number = n;
    table.Insert(item);
  }
  std::atomic<bool> done{false};
  std::thread monitor([&] {
    for (int cycle = 0; !done; ++cycle) {
      const WatchTable::Query query = table.PollQuery();
      std::string reply;
      for (const WatchItem& asked : query.asked) reply += std::to_string(asked.number) + "\r";
      table.StoreReply(query, reply);
      if (cycle % 3 == 0) (void)table.Copy();
    }
  });
  for (int i = 0; i < 2000; ++i) {
    table.Move(i % kWatchFillable, (i * 7) % kWatchFillable);
    if (i % 100 == 99) table.Delete(0);
  }
  done = true;
  monitor.join();
  for (const WatchItem& item : table.Copy()) {
    if (item.Used() && item.raw != 0) {
      EXPECT_EQ(item.raw, item.number);
    }
  }
}

}  // namespace
}  // namespace bl::diagnostics
