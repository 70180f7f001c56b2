// The upload of gathered data under the real progress meter dialog, off screen: the dialog shows
// the upload's caption while the blocks come in and closes when every series is processed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPixmap>

#include "controller/controller_type.h"
#include "link/fake_vendor_library.h"
#include "link/qt/progress_meter_dialog.h"
#include "platform/qt/qt_ui_thread.h"
#include "platform/text_format.h"
#include "series/gather.h"
#include "series/series_table.h"
#include "series/upload.h"

namespace bl::series {
namespace {

TEST(UploadGui, TheProgressMeterShowsTheUploadAndClosesWhenDone) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "series_gui_test";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);

  test::LinkFixture f;
  f.Connect();
  // A Turbo controller that gathered series 1 (Y) from $4000 up to $4100, word = address.
  f.state->responder = [](const std::string& command) -> std::string {
    int address = 0, count = 0;
    if (command == "RHX:$3120") return "004000\r\x06";
    if (command == "RHY:$3120") return "004100\r\x06";
    if (command == "I5050") return "1\r\x06";
    if (command == "I5001") return "$000100\r\x06";
    if (platform::Scan(command, 99, "RH%*c:%d,%d", &address, &count) == 2) {
      std::string reply;
      for (int j = 0; j < count; ++j) reply += platform::Format("%06X ", address + j);
      return reply + "\r\x06";
    }
    return "0\r\x06";
  };
  ControllerType type;
  type.typeCode = 5;
  GatherBuffer buffer;
  SeriesTable table;
  for (int k = 1; k <= kMaxSeriesCount; ++k) table[k].active = false;
  platform::QtUiThread ui;

  QString title;
  QStringList labels;
  QPixmap shot;
  const auto look = [&](int) {
    QWidget* open = QApplication::activeModalWidget();
    if (!open || !shot.isNull()) return;
    title = open->windowTitle();
    for (const QLabel* label : open->findChildren<QLabel*>()) labels << label->text();
    shot = open->grab();
  };
  int redraws = 0;
  const UploadReport report =
      UploadGatheredData({f.link, f.terminal, f.desktop, ui, type, buffer, table},
                         {ProgressMeterDialogHost(ui, nullptr), look, [&] { ++redraws; }});

  EXPECT_EQ(report.outcome, UploadOutcome::kDone);
  EXPECT_EQ(redraws, 1);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(title.toStdString(), kProgressMeterTitle);
  EXPECT_TRUE(labels.contains(
      QString::fromLatin1(kUploadCaption.data(), static_cast<int>(kUploadCaption.size()))))
      << labels.join("|").toStdString();
  ASSERT_EQ(table[1].sampleCount, 256);  // one address a sample, its X word the filler
  EXPECT_EQ(table[1].yWords[0], 0x4000u);
  EXPECT_EQ(table[1].values[255], static_cast<double>(0x40FF));
  ASSERT_FALSE(shot.isNull());
#ifdef BL_TEST_OUTPUT_DIR
  shot.save(QDir(BL_TEST_OUTPUT_DIR).filePath("upload_progress_meter.png"));
#endif
}

}  // namespace
}  // namespace bl::series
