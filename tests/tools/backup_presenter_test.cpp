// The backup dialog's steps, one per tick: the save dialog, Cancel, a write that fails and a
// controller that is not there.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <fstream>

#include "tools/backup_fixture.h"
#include "tools/backup_presenter.h"

namespace bl::tools {
namespace {

class BackupPresenterTest : public ::testing::Test {
 protected:
  BackupPresenterTest() { EXPECT_EQ(c.Command("P1=12.5 OPEN PROG 7 CLEAR X1000 CLOSE"), "\x06"); }
  BackupPresenter Presenter() {
    return BackupPresenter(c.workbench.link, c.desktop, c.workbench.controllerType, kept);
  }
  // Ticks until the dialog ends or nothing runs any more; the number of ticks.
  static int RunOut(BackupPresenter& p, bool& ended) {
    int ticks = 0;
    ended = false;
    while (p.Step() != 0 && !ended && ticks < 100) {
      ended = p.Tick();
      ++ticks;
    }
    return ticks;
  }

  VirtualBench c{2};
  BackupSwitches kept;
  ScratchFolder folder;
};

TEST_F(BackupPresenterTest, StepsRunOnePerTickAndTheFileAppearsOnlyWhenClosed) {
  BackupPresenter p = Presenter();
  EXPECT_EQ(p.StatusText(), " ");
  p.checks[kBackupQ] = false;
  EXPECT_TRUE(p.Tick() == false && p.Step() == 0);  // idle: a tick does nothing
  const std::string path = folder.File("b.pmc");
  c.desktop.saveFileAnswers.push_back(path);
  p.Ok();
  EXPECT_FALSE(kept.on[kBackupQ]);  // the switches are kept for the next opening
  EXPECT_EQ(p.StatusText(), "Opening Backup File");
  p.Tick();
  ASSERT_EQ(c.desktop.fileRequests.size(), 1u);
  const platform::FileDialogRequest& request = c.desktop.fileRequests[0];
  EXPECT_EQ(request.defaultExtension, "cfg");
  ASSERT_EQ(request.filters.size(), 2u);
  EXPECT_EQ(request.filters[0].description, "PMAC Configuration Files (*.pmc)");
  EXPECT_EQ(request.filters[1].description, "All Files  (*.*)");
  EXPECT_EQ(p.StatusText(), "Backing up P-Variables");
  p.Ok();  // ignored while running
  EXPECT_EQ(p.Step(), 2);
  for (int step = 2; step < 15; ++step) {
    EXPECT_FALSE(std::filesystem::exists(path)) << step;
    EXPECT_FALSE(p.Tick());
  }
  EXPECT_EQ(p.StatusText(), "Closing Backup File");
  EXPECT_TRUE(p.Tick());
  const std::string text = Contents(path);
  EXPECT_EQ(text.rfind("P0=0\r\nP1=12.5\r\n", 0), 0u);
  EXPECT_EQ(text.find("\r\nQ"), std::string::npos);
  EXPECT_NE(text.find("OPEN PROG 7"), std::string::npos);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path), {}), 1);

  // Opened again: idle; a save dialog cancelled leaves it idle and quiet.
  BackupPresenter again = Presenter();
  EXPECT_FALSE(again.checks[kBackupQ]);
  again.Ok();
  again.Tick();
  EXPECT_EQ(again.Step(), 0);
  EXPECT_TRUE(c.desktop.messages.empty());
  EXPECT_TRUE(again.Cancel());  // idle: the dialog closes
}

TEST_F(BackupPresenterTest, CancelFinishesTheStepAndKeepsTheSectionsWritten) {
  BackupPresenter p = Presenter();
  const std::string path = folder.File("c.pmc");
  c.desktop.saveFileAnswers.push_back(path);
  p.Ok();
  while (p.Step() != 6) p.Tick();
  p.Tick();  // motion programs
  EXPECT_FALSE(p.Cancel());
  EXPECT_EQ(p.StatusText(), "Closing Backup File");
  EXPECT_TRUE(p.Tick());
  const std::string text = Contents(path);
  EXPECT_NE(text.find("\r\nCLOSE\r\n"), std::string::npos);
  EXPECT_EQ(text.find("PLC"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 7), "CLOSE\r\n");
}

TEST_F(BackupPresenterTest, AWriteThatFailsStopsTheBackupAndSparesTheOlderFile) {
  const std::string path = folder.File("old.pmc");
  std::ofstream(path) << "older backup";
  BackupPresenter p = Presenter();
  c.desktop.saveFileAnswers.push_back(path);
  p.Ok();
  p.Tick();
  // The disk fills up while the P-variables are written.
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 100;
  ::setrlimit(RLIMIT_FSIZE, &small);
  const bool ended = p.Tick();
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(ended);
  EXPECT_EQ(p.Step(), 0);
  ASSERT_EQ(c.desktop.messages.size(), 1u);
  EXPECT_EQ(c.desktop.messages[0].title, "Backup Error");
  EXPECT_NE(c.desktop.messages[0].text.find("The backup has stopped: cannot write"),
            std::string::npos)
      << c.desktop.messages[0].text;
  EXPECT_EQ(Contents(path), "older backup");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path), {}), 1);
  // Later ticks do nothing.
  EXPECT_FALSE(p.Tick());
}

TEST_F(BackupPresenterTest, AControllerLostMidwayStopsTheBackupAndCancelAtOnceEnds) {
  BackupPresenter p = Presenter();
  const std::string path = folder.File("lost.pmc");
  c.desktop.saveFileAnswers.push_back(path);
  p.Ok();
  p.Tick();
  p.Tick();  // P-variables
  c.workbench.link.LinkDisconnect();
  EXPECT_FALSE(p.Tick());
  EXPECT_EQ(p.Step(), 0);
  ASSERT_EQ(c.desktop.messages.size(), 1u);
  EXPECT_NE(c.desktop.messages[0].text.find("not connected"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path), {}), 0);

  // Cancel before the first tick: nothing was opened, the next tick ends the dialog.
  ASSERT_EQ(c.workbench.link.LinkConnect(), 0);
  BackupPresenter q = Presenter();
  q.Ok();
  EXPECT_FALSE(q.Cancel());
  EXPECT_TRUE(q.Tick());
  EXPECT_EQ(c.desktop.fileRequests.size(), 1u);  // only the first backup's
}

TEST_F(BackupPresenterTest, NotConnectedSaysSoAndStaysIdle) {
  c.workbench.link.LinkDisconnect();
  BackupPresenter p = Presenter();
  p.Ok();
  ASSERT_EQ(c.desktop.messages.size(), 1u);
  EXPECT_EQ(c.desktop.messages[0].text, "Not Connected to a PMAC Device.");
  EXPECT_EQ(c.desktop.messages[0].title, "Error");
  EXPECT_EQ(p.Step(), 0);
  EXPECT_TRUE(c.desktop.fileRequests.empty());
}

}  // namespace
}  // namespace bl::tools
