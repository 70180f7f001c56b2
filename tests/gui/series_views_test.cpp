#include <gtest/gtest.h>

#include <QLabel>
#include <QTest>

#include "gui_support.h"
#include "offline_program.h"
#include "platform/qt/canvas_widget.h"
#include "series/qt/edit_sources_dialog.h"
#include "series/qt/table_view.h"
#include "series/spreadsheet.h"

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

TEST_F(SeriesViewsTest, SpreadsheetSelectsPastesAndDeletesCells) {
  workbench.series[2].xWords[1] = 0xABCDEF;
  workbench.series[3].yWords[3] = 0x123456;
  shell.SelectView(kViewSpreadsheetWords, true);
  series::TableView& view = window.Client().Spreadsheet();
  platform::CanvasWidget& sheet = view.Client();
  EXPECT_TRUE(view.isVisible());
  const int numbers = series::SheetRowNumberWidth(4096);
  const auto cell = [numbers](int column, int row) {
    return QPoint(numbers + column * 165 + 20, 76 + row * 15 + 7);
  };

  // Drag from series 2, point 1 to series 3, point 3, then copy.
  QTest::mousePress(&sheet, Qt::LeftButton, {}, cell(1, 1));
  QTest::mouseMove(&sheet, cell(2, 3));
  QTest::mouseRelease(&sheet, Qt::LeftButton, {}, cell(2, 3));
  EXPECT_EQ(window.Client().Sheet().Anchor(), (series::SheetCell{2, 1}));
  EXPECT_EQ(window.Client().Sheet().Active(), (series::SheetCell{3, 3}));
  QTest::keyClick(&sheet, Qt::Key_Insert, Qt::ControlModifier);
  EXPECT_EQ(desktop.Clipboard().size(), 3u * 35u);

  // Paste at series 4, point 8: the block is selected, series 4 and 5 grow to eleven points.
  QTest::mouseClick(&sheet, Qt::LeftButton, {}, cell(3, 8));
  QTest::keyClick(&sheet, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(window.Client().Sheet().Anchor(), (series::SheetCell{5, 10}));
  EXPECT_EQ(workbench.series[5].sampleCount, 11);
  EXPECT_EQ(workbench.series[4].xWords[8], 0xABCDEFu);
  EXPECT_EQ(workbench.series[5].yWords[10], 0x123456u);
  // Series 4 is kept in view: the columns scrolled by one.
  const int column = 4 - window.Client().Sheet().FirstSeries();

  const QImage image = sheet.Render();
  test::SaveScreenshot(window.grab().toImage(), "view_spreadsheet");
  EXPECT_EQ(image.pixelColor(3, 3), QColor(192, 192, 192));
  EXPECT_EQ(image.pixelColor(3, 200), QColor(192, 192, 192));
  // The selected block is inverted; a cell outside it stays white.
  EXPECT_EQ(image.pixelColor(cell(column, 9).x() - 17, cell(column, 9).y()), QColor(0, 0, 0));
  EXPECT_EQ(image.pixelColor(cell(column, 5).x() - 17, cell(column, 5).y()), QColor(255, 255, 255));

  QTest::keyClick(&sheet, Qt::Key_Delete);
  EXPECT_EQ(workbench.series[4].sampleCount, 8);
  EXPECT_EQ(workbench.series[5].sampleCount, 8);
  EXPECT_EQ(window.Client().Sheet().Anchor(), (series::SheetCell{4, 8}));
  EXPECT_TRUE(desktop.messages.empty());
}

}  // namespace
}  // namespace bl
