#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "gui_support.h"
#include "offline_program.h"
#include "platform/qt/canvas_widget.h"
#include "series/qt/edit_sources_dialog.h"
#include "series/qt/table_view.h"

namespace bl {
namespace {

class SeriesViewsTest : public ::testing::Test, protected test::OfflineProgram {
 protected:
  static void SetUpTestSuite() { test::EnsureApplication(); }

  void SetUp() override {
    window.resize(kMainDefaultWidth, kMainDefaultHeight);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
};

TEST_F(SeriesViewsTest, DataWindowListsSelectsCopiesAndOpensTheSourcesDialog) {
  workbench.series[2].sourceType = series::SourceType::kNone;
  workbench.series[2].SetTitle("Pasted by hand");
  shell.SelectView(kViewData, true);
  series::TableView& view = window.Client().DataWindow();
  platform::CanvasWidget& list = view.Client();
  EXPECT_TRUE(view.isVisible());
  EXPECT_EQ(view.geometry().top(), 50);

  // Series 3: a click in its box switches it on and selects it.
  QTest::mouseClick(&list, Qt::LeftButton, {}, QPoint(20, 25 + 2 * 15 + 7));
  EXPECT_EQ(workbench.series.currentSeries, 3);
  EXPECT_TRUE(workbench.series[3].active);
  QTest::keyClick(&list, Qt::Key_Down);
  EXPECT_EQ(workbench.series.currentSeries, 4);

  const QImage image = list.Render();
  test::SaveScreenshot(window.grab().toImage(), "view_data_list");
  EXPECT_EQ(image.pixelColor(5, 5), QColor(190, 190, 190));
  // The current row is inverted from x 40 on: its white background turned black.
  EXPECT_EQ(image.pixelColor(45, 25 + 3 * 15 + 2), QColor(0, 0, 0));
  EXPECT_EQ(image.pixelColor(45, 25 + 2 * 15 + 2), QColor(255, 255, 255));
  EXPECT_TRUE(test::AnyPixelNear(image, QRect(100, 25 + 15, 96, 15), Qt::black, 60));  // "----"

  QTest::keyClick(&list, Qt::Key_C, Qt::ControlModifier);
  EXPECT_TRUE(desktop.Clipboard().starts_with("Brightlantern\r\n"));
  EXPECT_NE(desktop.Clipboard().find("Data Series:      4\r\n"), std::string::npos);

  bool opened = false;
  test::WhenModal<series::EditSourcesDialog>([&opened](series::EditSourcesDialog& dialog) {
    opened = true;
    EXPECT_TRUE(dialog.SeriesLabel().text().contains("6"));
    dialog.reject();
  });
  QTest::mouseClick(&list, Qt::RightButton, {}, QPoint(200, 25 + 5 * 15 + 7));
  EXPECT_TRUE(opened);
  EXPECT_EQ(workbench.series.currentSeries, 6);
}

}  // namespace
}  // namespace bl
