// "Backup PMAC Configuration" through the real menu, against the built-in virtual controller.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "commands/command_ids.h"
#include "controller/identify_controller.h"
#include "gui_support.h"
#include "link/builtin_library.h"
#include "platform/clock.h"
#include "platform/fake/fake_desktop.h"
#include "platform/qt/qt_ui_thread.h"
#include "shell/qt/main_window.h"
#include "shell/shell.h"
#include "shell/workbench.h"
#include "tools/qt/backup_dialog.h"

namespace bl {
namespace {

using test::WhenModal;
using tools::BackupDialog;

class BackupDialogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::EnsureApplication(); }

  BackupDialogTest() {
    devices.chooseDevice = [] { return 0; };
    window.show();
  }
  ~BackupDialogTest() override { std::filesystem::remove_all(folder_); }

  std::filesystem::path folder_ =
      std::filesystem::temp_directory_path() / ("bl-backup-gui-" + std::to_string(::getpid()));
  BuiltinDevices devices{""};
  platform::FakeDesktop desktop;
  platform::QtUiThread ui;
  platform::SystemClock clock;
  Workbench workbench{desktop, ui, clock, BuiltinLibraryLoader(devices)};
  Shell shell{workbench};
  MainWindow window{workbench, shell};
};

TEST_F(BackupDialogTest, TheMenuBacksUpTheControllerStepByStep) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

  // Without a controller, OK says so and the dialog stays; Escape then closes it.
  bool stayed = false;
  WhenModal<BackupDialog>([&](BackupDialog& d) {
    d.OkButton().click();
    stayed = d.isVisible();
    QTest::keyClick(&d, Qt::Key_Escape);
  });
  window.MenuAction(cmd::kBackup)->trigger();
  EXPECT_TRUE(stayed);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, "Not Connected to a PMAC Device.");
  EXPECT_EQ(desktop.messages[0].title, "Error");

  ASSERT_EQ(workbench.link.LinkConnect(), 0);
  IdentifyController(workbench.controllerType, workbench.link, workbench.definitions,
                     workbench.terminal, {});
  std::string reply;
  workbench.link.PmacCommand(reply, 255, "P7=42 OPEN PROG 9 CLEAR X5 CLOSE", false);
  std::filesystem::create_directories(folder_);
  const std::string path = (folder_ / "controller.pmc").string();
  desktop.saveFileAnswers.push_back(path);

  QStringList labels;
  bool servoEnabled = true;
  QString statusWhileRunning;
  WhenModal<BackupDialog>([&](BackupDialog& d) {
    for (auto* box : d.findChildren<QCheckBox*>()) labels << box->text();
    servoEnabled = d.Box(tools::kBackupServoRoutines).isEnabled();
    d.Box(tools::kBackupQ).setChecked(false);
    d.Box(tools::kBackupI).setChecked(false);
    test::SaveScreenshot(d.grab().toImage(), "backup_dialog");
    d.OkButton().click();
    // A few ticks on: the status line names the step under way.
    QTimer::singleShot(1100, &d, [&d, &statusWhileRunning] {
      statusWhileRunning = d.StatusLine().text();
      test::SaveScreenshot(d.grab().toImage(), "backup_dialog_running");
    });
  });
  window.MenuAction(cmd::kBackup)->trigger();

  EXPECT_EQ(labels.size(), 13);
  EXPECT_TRUE(labels.contains("Backup Encoder Conversion Table Memory (For Non-Turbo PMACs)"));
  EXPECT_FALSE(servoEnabled);
  EXPECT_TRUE(statusWhileRunning.startsWith("Backing up")) << statusWhileRunning.toStdString();
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("\r\nP7=42\r\n"), std::string::npos);
  EXPECT_NE(text.str().find("\r\nOPEN PROG 9\r\nCLEAR\r\nX5\r\n"), std::string::npos);
  EXPECT_EQ(text.str().find("\r\nQ1="), std::string::npos);
  EXPECT_EQ(text.str().find("\r\nI1="), std::string::npos);
  EXPECT_EQ(desktop.messages.size(), 2u);  // the connection's greeting only
}

}  // namespace
}  // namespace bl
