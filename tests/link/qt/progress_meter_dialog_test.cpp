#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <thread>

#include "link/fake_vendor_library.h"
#include "link/qt/progress_meter_dialog.h"
#include "platform/qt/qt_ui_thread.h"

namespace bl::test {
namespace {

using ::testing::ElementsAre;
using Line = std::pair<std::string, int>;

TEST(ProgressMeterDialog, DownloadRunsBesideTheWindowAndClosesOkWhenTheLibraryReturns) {
  // Off screen even when started by hand without a display.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "link_gui_test";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);

  LinkFixture f;
  f.state->downloadMessages = {"one", "two"};
  f.Connect();
  platform::QtUiThread ui;
  ProgressMeter meter(f.link, f.terminal, f.desktop, ui);
  meter.caption = "Downloading Program(s) to PMAC...";
  meter.fileName = "/tmp/x.pmc";
  meter.host = ProgressMeterDialogHost(ui, nullptr);
  // Message lines arrive on the user-interface thread while the meter is still open.
  QPixmap shot;
  f.terminal.repaint = [&] {
    if (QWidget* open = QApplication::activeModalWidget()) shot = open->grab();
  };

  EXPECT_EQ(meter.Run(), ProgressResult::Ok);
  EXPECT_NE(f.state->downloadThread, std::this_thread::get_id());
  // Every line posted by the download is in the terminal by the time the meter has closed.
  EXPECT_THAT(f.Last(2), ElementsAre(Line{"one", 0}, Line{"two", 0}));
  EXPECT_EQ(meter.progressPercent, 100);
  ASSERT_FALSE(shot.isNull());
#ifdef BL_TEST_OUTPUT_DIR
  shot.save(QDir(BL_TEST_OUTPUT_DIR).filePath("progress_meter.png"));
#endif
}

}  // namespace
}  // namespace bl::test
