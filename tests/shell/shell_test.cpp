#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "commands/command_ids.h"
#include "fake_vendor_library.h"
#include "platform/clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/immediate_ui_thread.h"
#include "shell/shell.h"
#include "shell/view_ids.h"
#include "shell/workbench.h"

namespace bl {
namespace {

class ShellTest : public ::testing::Test {
 protected:
  ShellTest() {
    library->selection = 0;
    shell.hooks.showView = [this](int view) { shownViews.push_back(view); };
    shell.hooks.relayout = [this] { ++relayouts; };
    shell.hooks.destroyMainWindow = [this] { destroyed = true; };
    shell.hooks.enableGatheringButtons = [this](bool on) { gathering = on; };
  }

  std::shared_ptr<test::FakeVendorState> library = std::make_shared<test::FakeVendorState>();
  platform::FakeDesktop desktop;
  platform::ImmediateUiThread ui;
  platform::SystemClock clock;
  Workbench workbench{desktop, ui, clock, [this] {
                        return LibraryLoad{LibraryLoad::Status::Loaded,
                                           std::make_unique<test::FakeVendorLibrary>(library)};
                      }};
  Shell shell{workbench};
  std::vector<int> shownViews;
  int relayouts = 0;
  bool destroyed = false;
  std::optional<bool> gathering;
};

TEST_F(ShellTest, ToolbarCommandsSelectTheirViewAndPressOneButton) {
  const int expected[] = {30, 40, 10, 20, 21, 22, 0, 1, 2, 3};
  for (int i = 0; i < 10; ++i) {
    shell.RunCommand(71 + i);
    EXPECT_EQ(shell.ViewId(), expected[i]);
    EXPECT_EQ(shell.PressedButton(), i);
    EXPECT_EQ(shownViews.back(), expected[i]);
  }
  EXPECT_EQ(relayouts, 10);
  EXPECT_EQ(shell.GraphType(), 3);
  shell.RunCommand(cmd::kToolbarFirst + 8);
  EXPECT_EQ(shell.GraphType(), 2);
  // Leaving a graph view keeps its graph type for the next time.
  shell.SelectView(kViewTerminal, false);
  EXPECT_EQ(shell.GraphType(), 2);
  EXPECT_EQ(relayouts, 11);
}

TEST_F(ShellTest, StartUpAsksForTheConnectionBeforeShowingTheTerminal) {
  std::vector<std::string> steps;
  shell.hooks.runConnectionDialogs = [&] {
    steps.push_back("connect in view " + std::to_string(shell.ViewId()));
    EXPECT_EQ(workbench.terminal.Line(6).text, "Welcome to Quillon Controls's Brightlantern.");
  };
  shell.StartUp([&] { steps.push_back("shown"); });
  EXPECT_EQ(steps, (std::vector<std::string>{"shown", "connect in view 0"}));
  EXPECT_EQ(shell.ViewId(), kViewTerminal);
  EXPECT_EQ(shell.PressedButton(), 0);
  EXPECT_EQ(shownViews.back(), kViewTerminal);
}

TEST_F(ShellTest, SelectingAGraphReprocessesAndOtherViewsCloseFind) {
  int reprocessed = 0, findClosed = 0;
  shell.hooks.reprocessSeriesAndLimits = [&] { ++reprocessed; };
  shell.hooks.closeFindDialog = [&] { ++findClosed; };
  shell.SelectView(kViewEditor, true);
  EXPECT_EQ(findClosed, 0);
  shell.SelectView(kViewGraphTime, true);
  EXPECT_EQ(reprocessed, 1);
  EXPECT_EQ(findClosed, 1);
}

TEST_F(ShellTest, GraphViewsFindTheLimitsOfTheirGraphType) {
  graph::GraphView& graph = workbench.graph;
  graph.settings.bottom = {5, 1, 4, 2, 0, false};
  shell.SelectView(kViewGraphPoints, true);
  EXPECT_EQ(graph.settings.graphType, kViewGraphPoints);
  EXPECT_EQ(graph.settings.bottom.maximum, 4095);  // the start-up sine wave's last point
  EXPECT_EQ(graph.settings.bottom.visibleMinimum, 0);

  graph.settings.bottom.visibleMaximum = 100;
  int redraws = 0, panelRefills = 0;
  shell.hooks.reprocessSeriesAndLimits = [&] { ++redraws; };
  shell.hooks.refreshGraphPanel = [&] { ++panelRefills; };
  shell.RunCommand(cmd::kUpdateLimits);
  EXPECT_EQ(graph.settings.bottom.visibleMaximum, 4095);
  EXPECT_EQ(redraws, 1);
  EXPECT_EQ(panelRefills, 1);

  // The cursor button's text and both panes follow the mode.
  const int before = relayouts;
  shell.RunCommand(cmd::kCursors);
  EXPECT_EQ(graph.cursorMode, graph::kCursorLeft);
  EXPECT_EQ(relayouts, before + 1);
  EXPECT_EQ(panelRefills, 2);
  shell.SelectView(kViewGraphFrequency, false);
  EXPECT_EQ(panelRefills, 3);
}

TEST_F(ShellTest, UndoBelongsToTheEditor) {
  shell.SelectView(kViewTerminal, true);
  shell.RunCommand(cmd::kUndo);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, "The UNDO feature can only be used with the Program Editor.");
  EXPECT_EQ(desktop.messages[0].title, "Undo Error!");

  int undone = 0, focused = 0;
  shell.editor.undo = [&] { ++undone; };
  shell.editor.focus = [&] { ++focused; };
  shell.SelectView(kViewEditor, true);
  shell.RunCommand(cmd::kUndo);
  EXPECT_EQ(undone, 1);
  EXPECT_EQ(focused, 1);
  EXPECT_EQ(desktop.messages.size(), 1u);
}

TEST_F(ShellTest, ExitAndTheCloseBoxBothAskAboutUnsavedChanges) {
  int asked = 0;
  shell.hooks.confirmUnsaved = [&] {
    ++asked;
    return false;  // the user cancels
  };
  EXPECT_FALSE(shell.ConfirmClose());
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(asked, 1);
  // A cancelled Exit leaves the window and the unsaved text alone.
  shell.RunCommand(cmd::kExit);
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(asked, 2);

  // On proceed the close box lets the window close itself: the shell does not destroy it a
  // second way. Exit destroys it.
  shell.hooks.confirmUnsaved = [&] {
    ++asked;
    return true;
  };
  EXPECT_TRUE(shell.ConfirmClose());
  EXPECT_EQ(asked, 3);
  EXPECT_FALSE(destroyed);
  shell.RunCommand(cmd::kExit);
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(asked, 4);
  shell.hooks.confirmUnsaved = nullptr;
  EXPECT_TRUE(shell.ConfirmClose());  // nothing to ask about
  destroyed = false;
  shell.RunCommand(cmd::kExit);
  EXPECT_TRUE(destroyed);
}

TEST_F(ShellTest, GatheringButtonsFollowTheConnection) {
  shell.hooks.runConnectionDialogs = [this] { workbench.link.LinkConnect(); };
  shell.RunCommand(cmd::kConnect);
  EXPECT_EQ(gathering, true);
  EXPECT_TRUE(shell.GatheringButtonsEnabled());

  shell.hooks.runConnectionDialogs = [this] {
    workbench.link.LinkDisconnect();
    workbench.link.ForgetDevice();
  };
  shell.RunCommand(cmd::kConnect);
  EXPECT_EQ(gathering, false);
}

TEST_F(ShellTest, GatherButtonsSendTheirCommandsWithEcho) {
  workbench.link.LinkConnect();
  shell.RunCommand(cmd::kBeginGathering);
  shell.RunCommand(cmd::kEndGathering);
  EXPECT_EQ(library->Commands(), (std::vector<std::string>{"GAT", "END GAT"}));
  EXPECT_EQ(workbench.terminal.Line(1).text, "Command:  END GAT");
}

TEST_F(ShellTest, EditCommandsGoByView) {
  std::vector<std::pair<int, int>> keys;
  std::vector<int> lineEdits, editorEdits;
  shell.hooks.sendKeyToView = [&](int view, int key) { keys.emplace_back(view, key); };
  shell.hooks.commandLineEdit = [&](int command) { lineEdits.push_back(command); };
  shell.editor.edit = [&](int command) { editorEdits.push_back(command); };

  shell.SelectView(kViewData, true);
  shell.RunCommand(cmd::kCut);
  shell.SelectView(kViewSpreadsheetValues, true);
  shell.RunCommand(cmd::kCopy);
  shell.RunCommand(cmd::kPaste);
  shell.RunCommand(cmd::kDelete);
  EXPECT_EQ(keys, (std::vector<std::pair<int, int>>{{10, 24}, {22, 3}, {22, 22}, {22, 127}}));

  shell.SelectView(kViewTerminal, true);
  shell.RunCommand(cmd::kPaste);
  shell.SelectView(kViewEditor, true);
  shell.RunCommand(cmd::kCut);
  shell.SelectView(kViewGraphTime, true);
  shell.RunCommand(cmd::kCopy);  // no target in a graph view
  EXPECT_EQ(lineEdits, std::vector<int>{cmd::kPaste});
  EXPECT_EQ(editorEdits, std::vector<int>{cmd::kCut});
}

TEST_F(ShellTest, InsertCommandsWorkOnlyInTheTerminalAndEditor) {
  std::vector<int> asked;
  std::string inserted;
  shell.hooks.chooseVariable = [&](int kind) -> std::optional<std::string> {
    asked.push_back(kind);
    return std::string("speed");
  };
  shell.hooks.insertIntoCommandLine = [&](std::string_view text) { inserted = text; };
  shell.SelectView(kViewData, true);
  shell.RunCommand(cmd::kInsertP);
  EXPECT_TRUE(asked.empty());
  shell.SelectView(kViewTerminal, true);
  shell.RunCommand(cmd::kInsertM);
  EXPECT_EQ(asked, std::vector<int>{3});
  EXPECT_EQ(inserted, "speed");
}

TEST_F(ShellTest, ManualPagesAndWebSiteReportFailures) {
  desktop.openExternalSucceeds = false;
  shell.RunCommand(cmd::kManualTuning);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].title, "Unable to Load Brightlantern Manual");
  const std::string expected =
      (std::filesystem::path(workbench.startDirectory) / "Manual/Tuning/Tuning.htm").string();
  EXPECT_EQ(desktop.messages[0].text, expected);

  shell.RunCommand(cmd::kWebSite);
  EXPECT_EQ(desktop.messages[1].title, "Unable to Load Web Browser");
  EXPECT_EQ(desktop.messages[1].text, desktop.openedExternally.back());
}

TEST_F(ShellTest, DiagnosticsMenuOpensScriptsByTypeOrAsksForOne) {
  int shown = 0;
  shell.hooks.showDiagnosticWindow = [&shown] { ++shown; };
  EXPECT_EQ(DiagnosticScriptName(cmd::kDiagMotorJog), "MotorJog.bin");
  EXPECT_EQ(DiagnosticScriptName(cmd::kDiagMotorVelocities), "MotorVelocities.bin");
  EXPECT_EQ(DiagnosticScriptName(cmd::kWatchWindow), "");

  // A built-in script the data folders lack: its path in the message, nothing opened.
  shell.RunCommand(cmd::kDiagCsStatus);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].title, "Error Opening File");
  EXPECT_EQ(desktop.messages[0].text,
            (std::filesystem::path(workbench.startDirectory) / "Diagnostics" /
             (workbench.controllerType.shortName + "_CS_Status.bin"))
                .string());
  EXPECT_EQ(shown, 0);

  // A custom script from the file dialog.
  const auto path = std::filesystem::temp_directory_path() /
                    ("bl_shell_custom_" + std::to_string(::getpid()) + ".bin");
  diagnostics::DiagnosticTables tables;
  tables.items[0].kind = diagnostics::kKindPage;
  tables.items[0].text1 = "Custom";
  tables.itemCount = 1;
  std::ofstream(path, std::ios::binary) << diagnostics::EncodeScript(tables);
  desktop.openFileAnswers.push_back(path.string());
  shell.RunCommand(cmd::kLoadCustomDiagnostic);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(workbench.diagnosticScript.tables.items[0].text1, "Custom");
  EXPECT_EQ(desktop.messages.size(), 1u);
  std::filesystem::remove(path);
}

TEST(DataFilesTest, StartDirectoryComesFirstThenTheOtherFolders) {
  const auto root =
      std::filesystem::temp_directory_path() / ("bl_data_files_test." + std::to_string(::getpid()));
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root / "start");
  std::filesystem::create_directories(root / "installed/Manual");
  std::ofstream(root / "installed/Manual/Manual.htm") << "x";
  DataFiles files((root / "start").string(), {(root / "installed").string()});
  EXPECT_EQ(files.Find("\\Manual\\Manual.htm"), (root / "installed/Manual/Manual.htm").string());
  std::filesystem::create_directories(root / "start/Manual");
  std::ofstream(root / "start/Manual/Manual.htm") << "y";
  EXPECT_EQ(files.Find("\\Manual\\Manual.htm"), (root / "start/Manual/Manual.htm").string());
  EXPECT_EQ(files.Find("\\Missing.htm"), (root / "start/Missing.htm").string());
  std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace bl
