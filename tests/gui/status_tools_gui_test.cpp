// The PMAC menu's status listings and the encoder conversion table editor through the real
// main window and menu, against the virtual controller.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "commands/command_ids.h"
#include "gui_support.h"
#include "link/builtin_library.h"
#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/immediate_ui_thread.h"
#include "platform/qt/qt_fonts.h"
#include "platform/text_format.h"
#include "shell/qt/main_window.h"
#include "shell/shell.h"
#include "shell/view_ids.h"
#include "shell/workbench.h"
#include "tools/qt/encoder_table_dialog.h"

namespace bl {
namespace {

using test::WhenModal;
using tools::EctField;
using tools::EncoderTableDialog;

class StatusToolsGuiTest : public ::testing::TestWithParam<int> {
 protected:
  static void SetUpTestSuite() { test::EnsureApplication(); }

  StatusToolsGuiTest() {
    DeviceTable table = devices.Table();
    table[0].kind = DeviceConfig::Kind::Virtual;
    table[0].virtualType = GetParam();
    std::string error;
    devices.SetTable(table, error);
    devices.chooseDevice = [] { return 0; };
    window.resize(900, 600);
    window.show();
  }

  bool Turbo() const { return GetParam() >= 4; }
  void Connect() {
    ASSERT_EQ(workbench.link.LinkConnect(), 0);
    workbench.controllerType.typeCode = GetParam();
    desktop.messages.clear();
  }
  std::string Command(const std::string& command) {
    std::string reply;
    workbench.link.PmacCommand(reply, kValueReplySize, command, false);
    return reply;
  }
  int Word(int address) {
    int word = 0;
    platform::Scan(Command(platform::Format("RY:%d", address)), kValueReplySize, "%d", &word);
    return word & 0xFFFFFF;
  }
  int First() const { return Turbo() ? tools::kEctAddressTurbo : tools::kEctAddressNonTurbo; }

  platform::FakeClock clock;
  BuiltinDevices devices{""};
  platform::FakeDesktop desktop;
  platform::ImmediateUiThread ui;
  Workbench workbench{desktop, ui, clock, BuiltinLibraryLoader(devices)};
  Shell shell{workbench};
  MainWindow window{workbench, shell};
};

TEST_P(StatusToolsGuiTest, ListingFromTheMenuShowsTheTerminal) {
  ASSERT_NO_FATAL_FAILURE(Connect());
  Command("OPEN PROG 4 CLEAR X10 CLOSE");
  shell.SelectView(kViewEditor, true);
  window.MenuAction(cmd::kListMotionPrograms)->trigger();
  EXPECT_EQ(shell.ViewId(), kViewTerminal);
  EXPECT_EQ(workbench.terminal.Line(0).text, "Finished");
  EXPECT_EQ(workbench.terminal.Line(1).text,
            Turbo() ? "PROG    4   $0A000       4" : "PROG    4   $01800       4");
  window.MenuAction(cmd::kListAxisDefinitions)->trigger();
  EXPECT_EQ(workbench.terminal.Line(0).text, "Finished");
  test::SaveScreenshot(window.grab().toImage(),
                       Turbo() ? "status_listings_turbo" : "status_listings_pmac");
}

TEST_P(StatusToolsGuiTest, EditorFromTheMenuEditsAndWritesTheTable) {
  ASSERT_NO_FATAL_FAILURE(Connect());
  // An encoder, a filtered parallel entry and (Turbo) a sum of two entries.
  const int first = First();
  Command(platform::Format("WY:%d,%d,%d,%d,%d,%d", first, Turbo() ? 0x078000 : 0x00C000,
                           Turbo() ? 0x378100 : 0x38C010, Turbo() ? 0x010004 : 0xFFF000, 500,
                           Turbo() ? 0xE60100 : 0x00C00C));
  bool shown = false;
  WhenModal<EncoderTableDialog>([&](EncoderTableDialog& d) {
    shown = true;
    EXPECT_EQ(d.windowTitle(), "PMAC Encoder Conversion Table Editor");
    ASSERT_EQ(d.List().count(), Turbo() ? 192 : 32);
    EXPECT_EQ(d.List().currentRow(), 0);
    EXPECT_EQ(d.List().font(), platform::MakeQtFont(platform::FontId::Fixed));
    EXPECT_EQ(d.TypeBox().font(), platform::MakeQtFont(platform::FontId::Fixed));
    for (const char* heading : {"Setup Variable", "Description", "Result Address"}) {
      bool found = false;
      for (QLabel* label : d.findChildren<QLabel*>()) found |= label->text() == heading;
      EXPECT_TRUE(found) << heading;
    }
    // The filtered parallel entry: its three lines and its fields.
    d.List().setCurrentRow(2);
    EXPECT_EQ(d.TypeBox().currentIndex(), 3);
    EXPECT_TRUE(d.Field(tools::kEctThirdLine).isVisibleTo(&d));
    EXPECT_EQ(d.Field(tools::kEctThirdLine).text(), "500");
    EXPECT_EQ(d.Box(0).text(), Turbo() ? "Unshifted Data" : "Sum with Previous Entry");
    EXPECT_EQ(d.FieldLabel(tools::kEctOffset).isVisibleTo(&d), Turbo());
    test::SaveScreenshot(d.grab().toImage(), Turbo() ? "ect_editor_turbo" : "ect_editor_pmac");

    // A new third word, typed and entered; the list shows it at once.
    QLineEdit& third = d.Field(tools::kEctThirdLine);
    third.setFocus();
    third.selectAll();
    QTest::keyClicks(&third, "$20");
    QTest::keyClick(&third, Qt::Key_Return);
    EXPECT_TRUE(d.List().item(3)->text().contains(Turbo() ? "Maximum Change       32"
                                                          : "Filter Gain Word 32"))
        << d.List().item(3)->text().toStdString();

    // The first entry becomes a two-line time base: a zero line goes in after it.
    d.List().setCurrentRow(0);
    d.TypeBox().setCurrentIndex(4);
    Q_EMIT d.TypeBox().activated(4);
    EXPECT_TRUE(d.Field(tools::kEctSecondLine).isVisibleTo(&d));
    EXPECT_EQ(d.FieldLabel(tools::kEctSecondLine).text(), "Time Base Scale Factor:");
    EXPECT_FALSE(d.Box(1).isVisibleTo(&d));
    d.OkButton().click();
  });
  window.MenuAction(cmd::kEncoderTable)->trigger();
  ASSERT_TRUE(shown);
  EXPECT_EQ(Word(first), Turbo() ? 0x478000 : 0x40C000);
  EXPECT_EQ(Word(first + 1), 0);
  EXPECT_EQ(Word(first + 2), Turbo() ? 0x378100 : 0x38C010);
  EXPECT_EQ(Word(first + 4), 32);

  // Cancel leaves the controller's table alone.
  WhenModal<EncoderTableDialog>([&](EncoderTableDialog& d) {
    d.DeleteButton().click();  // the time base goes, the parallel entry moves up
    EXPECT_TRUE(d.List().item(0)->text().contains("Filtered Parallel Y-word Data"));
    d.reject();
  });
  window.MenuAction(cmd::kEncoderTable)->trigger();
  EXPECT_EQ(Word(first), Turbo() ? 0x478000 : 0x40C000);
  EXPECT_TRUE(desktop.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Types, StatusToolsGuiTest, testing::Values(2, 5));

}  // namespace
}  // namespace bl
