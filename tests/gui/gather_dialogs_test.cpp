#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "commands/command_ids.h"
#include "graph/draw_pane.h"
#include "graph/qt/graph_export_file.h"
#include "graph/qt/graph_properties_dialog.h"
#include "controller/identify_controller.h"
#include "gui_support.h"
#include "virtual_program.h"
#include "link/builtin_library.h"
#include "link/virtual_time.h"
#include "offline_program.h"
#include "series/qt/edit_sources_dialog.h"
#include "series/qt/gather_preferences_dialog.h"
#include "series/qt/select_source_dialog.h"
#include "shell/qt/graph_pane.h"
#include "shell/qt/series_panel.h"

namespace bl {
namespace {

using test::WhenModal;

// A field typed into and left, as the user does it.
void TypeInto(QLineEdit& field, const QString& text) {
  field.setFocus();
  field.selectAll();
  QTest::keyClicks(&field, text);
  Q_EMIT field.editingFinished();
}

// The gather settings go to a folder of the test's own, never the user's.
void UseTestConfigFolder() { ::setenv("XDG_CONFIG_HOME", BL_TEST_OUTPUT_DIR "/config", 1); }

class GatherPreferencesGuiTest : public ::testing::Test, protected test::OfflineProgram {
 protected:
  static void SetUpTestSuite() {
    test::EnsureApplication();
    UseTestConfigFolder();
  }
};

TEST_F(GatherPreferencesGuiTest, MenuAndBufferSettingsButtonOpenThePreferences) {
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  bool shown = false;
  WhenModal<series::GatherPreferencesDialog>([&](series::GatherPreferencesDialog& d) {
    shown = true;
    EXPECT_EQ(d.windowTitle(), "Data Gathering Preferences");
    EXPECT_EQ(d.ServoFrequency().text(), "226.24");
    EXPECT_EQ(d.GatherFrequency().text(), "22.62");
    d.PeriodField().setFocus();
    d.PeriodField().selectAll();
    QTest::keyClicks(&d.PeriodField(), "5");
    EXPECT_EQ(d.GatherFrequency().text(), "45.25");
    d.WrapAround().click();
    test::SaveScreenshot(d.grab().toImage(), "gather_preferences_dialog");
    for (QPushButton* b : d.findChildren<QPushButton*>())
      if (b->text() == "OK") b->click();
  });
  window.MenuAction(cmd::kGatherBufferSettings)->trigger();
  ASSERT_TRUE(shown);
  EXPECT_EQ(workbench.gather.period, 5);
  EXPECT_EQ(workbench.gather.mode, 1);

  // The data view's button opens the same dialog once the gathering buttons are enabled.
  shell.SelectView(kViewData, true);
  shell.hooks.enableGatheringButtons(true);
  shown = false;
  WhenModal<series::GatherPreferencesDialog>([&](series::GatherPreferencesDialog& d) {
    shown = true;
    EXPECT_EQ(d.PeriodField().text(), "5");
    EXPECT_TRUE(d.WrapAround().isChecked());
    d.BufferSizeField().setFocus();
    d.BufferSizeField().selectAll();
    QTest::keyClicks(&d.BufferSizeField(), "5000");
    QTest::keyClick(&d, Qt::Key_Escape);  // Esc keeps the fields as OK does
  });
  window.Client().Button(cmd::kBufferSettings).click();
  ASSERT_TRUE(shown);
  EXPECT_EQ(workbench.gather.bufferSize, 5000);
}

// The sources dialogs over the built-in virtual controller, whose M-variable definitions are
// real words in its memory.
class EditSourcesGuiTest : public ::testing::Test, protected test::VirtualProgram {
 protected:
  static void SetUpTestSuite() {
    test::EnsureApplication();
    UseTestConfigFolder();
  }

  EditSourcesGuiTest() {
    window.resize(900, 600);
    window.show();
  }

  void ConnectAndIdentify() {
    test::VirtualProgram::ConnectAndIdentify();
    shell.hooks.enableGatheringButtons(true);
  }

  void GatherAJog(const std::function<void(QDialog&)>& duringUpload);


  // The virtual controller keeps time with the real clock: its motors move and it gathers.
};

TEST_F(EditSourcesGuiTest, EditTheCurrentSeriesAndTakeItsSourceFromAnMVariable) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ConnectAndIdentify();
  Ask("M1->X:$C000,8,16,S");
  workbench.series[1].rawDataPeriod = 0.001;
  shell.SelectView(kViewGraphTime, true);

  bool shown = false;
  WhenModal<series::EditSourcesDialog>([&](series::EditSourcesDialog& d) {
    shown = true;
    using series::FilterSet;
    EXPECT_EQ(d.SeriesLabel().text(), "Series: 1");
    TypeInto(d.TitleField(), "Commanded");
    EXPECT_EQ(workbench.series[1].title, "Commanded");

    // A Y field: the bit fields open up.
    d.SourceButtons().button(2)->click();
    EXPECT_TRUE(d.StartingBitField().isEnabled());
    TypeInto(d.AddressField(), "$7805");
    EXPECT_EQ(workbench.series[1].address, 0x7805u);

    // A low-pass pole moved a page along its slider.
    d.FilterKindButtons(FilterSet::kDenominator).button(1)->click();
    EXPECT_TRUE(d.Slider(FilterSet::kDenominator, 0).isVisible());
    EXPECT_FALSE(d.Slider(FilterSet::kDenominator, 1).isVisible());
    QTest::keyClick(&d.Slider(FilterSet::kDenominator, 0), Qt::Key_PageUp);
    EXPECT_EQ(d.Slider(FilterSet::kDenominator, 0).value(), 20);
    // The design's numbers are the presenter's tests; here they reach the labels.
    EXPECT_EQ(d.SliderValue(FilterSet::kDenominator, 0).text(), "10 Hz");
    EXPECT_EQ(d.Coefficient(FilterSet::kDenominator, 0).text(), "-0.939101");
    // A band-reject zero pair: a frequency row and a damping row.
    d.FilterKindButtons(FilterSet::kNumerator).button(3)->click();
    EXPECT_EQ(d.SliderCaption(FilterSet::kNumerator, 1).text(), "Damping Ratio:");
    EXPECT_TRUE(d.Slider(FilterSet::kNumerator, 1).isVisible());
    test::SaveScreenshot(d.grab().toImage(), "edit_data_sources_dialog");

    bool selected = false;
    WhenModal<series::SelectSourceDialog>([&](series::SelectSourceDialog& s) {
      selected = true;
      EXPECT_EQ(s.windowTitle(), "Select Data Source");
      for (QPushButton* b : s.findChildren<QPushButton*>())
        if (b->text() == "M-Variables") b->click();
      ASSERT_EQ(s.List().count(), workbench.controllerType.variableCount);
      s.List().setCurrentRow(1);
      test::SaveScreenshot(s.grab().toImage(), "select_data_source_dialog");
      s.accept();
    });
    d.ChooseSourceButton().click();
    EXPECT_TRUE(selected);
    EXPECT_EQ(d.TitleField().text(), "M1     ");
    EXPECT_TRUE(d.SourceButtons().button(1)->isChecked());
    EXPECT_EQ(d.AddressField().text(), "$C000");
    EXPECT_EQ(d.StartingBitField().text(), "8");
    EXPECT_EQ(d.LengthField().text(), "16");
    EXPECT_TRUE(d.SignedBox().isChecked());
    d.accept();
  });
  window.MenuAction(cmd::kGatherSources)->trigger();
  ASSERT_TRUE(shown);
  EXPECT_EQ(workbench.series[1].sourceType, series::SourceType::kX);
  EXPECT_TRUE(workbench.series[1].active);
  EXPECT_EQ(window.focusWidget(), &window.Client().GraphPane(0));
}

TEST_F(EditSourcesGuiTest, DefineBufferSendsTheGatherDefinition) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ConnectAndIdentify();
  ASSERT_GE(workbench.controllerType.typeCode.load(), 4);
  workbench.gather.mode = 1;
  shell.SelectView(kViewData, true);
  window.Client().Button(cmd::kDefineBuffer).click();
  EXPECT_EQ(Ask("I5000"), "1\r\x06");
}

// Motor 1's commanded and actual position and its servo output gathered at the servo rate over a
// jog of 1000 counts and brought in with "Upload Data", as the user does it.
void EditSourcesGuiTest::GatherAJog(const std::function<void(QDialog&)>& duringUpload) {
  ConnectAndIdentify();
  series::SeriesTable& table = workbench.series;
  for (int k = 1; k <= series::kMaxSeriesCount; ++k) table[k].active = false;
  const series::SourceType types[] = {series::SourceType::kD, series::SourceType::kD,
                                      series::SourceType::kX};
  const std::uint32_t addresses[] = {0x88, 0x8B, 0xBF};  // motor 1: commanded, actual, output
  for (int k = 1; k <= 3; ++k) {
    table[k].active = true;
    table[k].sourceType = types[k - 1];
    table[k].address = addresses[k - 1];
    table[k].scaleFactor = k < 3 ? 1.0 / (32 * 96) : 1.0;
  }
  table[3].startingBit = 8;
  table[3].wordLength = 16;
  workbench.gather.period = 1;
  workbench.gather.bufferSize = 8000;
  Ask("#1J/");
  shell.SelectView(kViewData, true);
  window.Client().Button(cmd::kDefineBuffer).click();
  window.Client().Button(cmd::kBeginGathering).click();
  Ask("#1J^1000");
  QTest::qWait(700);
  window.Client().Button(cmd::kEndGathering).click();
  WhenModal<QDialog>(duringUpload);
  window.Client().Button(cmd::kUploadData).click();
}

TEST_F(EditSourcesGuiTest, AJogGatheredAndBroughtInWithUploadData) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  bool metered = false;
  GatherAJog([&](QDialog& d) {
    metered = d.windowTitle() == "Progress Meter (Press ESC to Abort)";
    bool captioned = false;
    for (const QLabel* label : d.findChildren<QLabel*>())
      captioned = captioned || label->text() == "Uploading Data From PMAC...";
    EXPECT_TRUE(captioned);
    test::SaveScreenshot(d.grab().toImage(), "upload_progress_meter");
  });
  EXPECT_TRUE(metered);
  const series::SeriesTable& table = workbench.series;
  const int n = table[1].sampleCount;
  ASSERT_GT(n, 1000);
  EXPECT_EQ(table[2].sampleCount, n);
  EXPECT_NEAR(table[1].values[n - 1], 1000.0, 1e-6);
  EXPECT_NEAR(table[2].values[n - 1], 1000.0, 5.0);
  EXPECT_LT(table[2].values[n / 4], table[1].values[n / 4]) << "the actual position follows";
  EXPECT_NE(*std::max_element(table[3].values.begin(), table[3].values.end()), 0.0);
  EXPECT_NEAR(table[1].rawDataPeriod, workbench.controllerType.servoPeriod, 1e-12);
  test::SaveScreenshot(window.grab().toImage(), "data_view_after_upload");
}

// The gathered jog on the graph: series 1 and 2 on the left axis and the servo output on the
// right, and the cursor's readout over the three. Zoom, graph types, the library, printing and
// export are worked through the same widgets by the graph pane and graph command tests.
TEST_F(EditSourcesGuiTest, AGatheredJogOnTheGraphWithARightAxisAndTheCursor) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  GatherAJog([](QDialog&) {});
  ASSERT_GT(workbench.series[1].sampleCount, 1000);
  MainClientArea& c = window.Client();
  shell.SelectView(kViewGraphTime, true);
  SeriesPanel& panel = c.Series();
  panel.RowAt(1).series->setCurrentIndex(2);
  panel.RowAt(2).series->setCurrentIndex(3);
  panel.RowAt(2).axis->click();
  const graph::GraphSettings& g = workbench.graph.settings;
  ASSERT_EQ(g.slots[1].series, 2);
  ASSERT_EQ(g.slots[2].series, 3);
  ASSERT_EQ(g.slots[2].axis, 1);
  EXPECT_EQ(panel.RowAt(2).axis->text(), "Right Axis");
  EXPECT_EQ(panel.RowAt(0).series->currentText().toStdString().rfind("#1: ", 0), 0u);

  GraphPaneWidget& pane = c.GraphPane(0);
  QTest::qWait(20);
  const QImage plotted = pane.Render();
  const graph::PlotRect p = pane.Plot();
  const QRect plot(p.left, p.top, p.right - p.left, p.bottom - p.top);
  EXPECT_TRUE(test::AnyPixelNear(plotted, plot, QColor(255, 0, 0), 0)) << "commanded";
  EXPECT_TRUE(test::AnyPixelNear(plotted, plot, QColor(0, 255, 0), 0)) << "servo output";
  EXPECT_GT(p.left, 20);
  EXPECT_LT(p.right, pane.PaneRect().right - 20) << "room for the right axis";
  test::SaveScreenshot(window.grab().toImage(), "graph_gathered_jog");

  // The cursor reads the samples under the mouse.
  c.Button(cmd::kCursors).click();
  EXPECT_EQ(c.Button(cmd::kCursors).text(), "Cursors: Left");
  QTest::mouseMove(&pane, QPoint((p.left + p.right) / 2, (p.top + p.bottom) / 2));
  const graph::Readout readout = graph::CursorReadout(workbench.graph, workbench.series, 0);
  EXPECT_EQ(readout.headers[1], "Time(s)");
  for (int slot = 0; slot < 3; ++slot) EXPECT_NE(readout.rows[static_cast<std::size_t>(slot)].y, "---");
  EXPECT_EQ(readout.rows[3].y, "---");
  test::SaveScreenshot(window.grab().toImage(), "graph_gathered_jog_cursor");
}

// The monitor's cycles show the gathering live in the data view's panel: the current address
// moves on and the bar fills, repainted in the panel's area.
TEST_F(EditSourcesGuiTest, TheDataViewShowsTheGatherAsItRuns) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  ConnectAndIdentify();
  series::SeriesTable& table = workbench.series;
  for (int k = 1; k <= series::kMaxSeriesCount; ++k) table[k].active = false;
  table[1].active = true;
  table[1].sourceType = series::SourceType::kY;
  table[1].address = 0x3120;
  workbench.gather.period = 1;
  workbench.gather.bufferSize = 6000;
  shell.SelectView(kViewData, true);
  window.Client().Button(cmd::kDefineBuffer).click();
  window.Client().Button(cmd::kBeginGathering).click();

  MainClientArea& c = window.Client();
  const int w = c.width(), h = c.height();
  const QRect currentText(w * 3 / 4, h - 49, w / 4 - 10, 23);
  workbench.monitor.Cycle();
  QTest::qWait(50);
  const QImage before = c.grab().toImage();
  const int start = workbench.gatherStatus.start;
  EXPECT_EQ(workbench.gatherStatus.end, workbench.controllerType.endOfUserMemory);
  QTest::qWait(800);
  workbench.monitor.Cycle();
  QTest::qWait(50);
  const QImage after = c.grab().toImage();
  test::SaveScreenshot(window.grab().toImage(), "data_view_gathering");
  window.Client().Button(cmd::kEndGathering).click();

  EXPECT_EQ(workbench.gatherStatus.start, start);
  EXPECT_GT(workbench.gatherStatus.current, start + 1000);
  EXPECT_NE(before.copy(currentText), after.copy(currentText)) << "the current address moved on";
  // About a third of the buffer: the bar is blue at its start and white at its end.
  EXPECT_EQ(after.pixelColor(w / 2 + 12, h - 112), QColor(0, 0, 255));
  EXPECT_EQ(after.pixelColor(w - 14, h - 112), QColor(255, 255, 255));
}

}  // namespace
}  // namespace bl

namespace bl {
namespace {

// A day's measurement kept and brought back: a gathered jog is saved with two graphs stored in
// the library, a program started afresh loads the file, and everything the user had comes back
// identical; the same series exported as CSV have one column per series after the time.
TEST_F(EditSourcesGuiTest, AGatheredJogSavedWithStoredGraphsComesBackInAFreshProgram) {
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  GatherAJog([](QDialog&) {});
  const int n = workbench.series[1].sampleCount;
  ASSERT_GT(n, 1000);
  shell.SelectView(kViewGraphTime, true);
  window.Client().Series().RowAt(1).series->setCurrentIndex(2);
  WhenModal<graph::GraphPropertiesDialog>([](graph::GraphPropertiesDialog& d) {
    d.TitleEdit(graph::TitleField::Top).setText("Jog of motor 1");
    Q_EMIT d.TitleEdit(graph::TitleField::Top).editingFinished();
    d.StoreButton(2).click();
    d.TitleEdit(graph::TitleField::Top).setText("Commanded and actual");
    Q_EMIT d.TitleEdit(graph::TitleField::Top).editingFinished();
    d.StoreButton(7).click();
    d.OkButton().click();
  });
  window.MenuAction(cmd::kGraphProperties)->trigger();
  const QString folder = BL_TEST_OUTPUT_DIR "/day_of_measurements";
  QDir().mkpath(folder);
  const std::string bin = (folder + "/jog.bin").toStdString();
  const std::string csv = (folder + "/jog.csv").toStdString();
  QFile::remove(QString::fromStdString(bin));
  desktop.messages.clear();
  desktop.saveFileAnswers = {bin};
  window.MenuAction(cmd::kSaveAllSeries)->trigger();
  desktop.saveFileAnswers = {csv};
  window.MenuAction(cmd::kExportSeriesText)->trigger();
  ASSERT_TRUE(desktop.messages.empty()) << desktop.messages.front().text;
  const QImage saved = window.Client().GraphPane(0).Render();

  test::OfflineProgram fresh;
  fresh.window.resize(window.size());
  fresh.window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&fresh.window));
  fresh.desktop.openFileAnswers = {bin};
  fresh.window.MenuAction(cmd::kLoadAllSeries)->trigger();
  ASSERT_TRUE(fresh.desktop.messages.empty()) << fresh.desktop.messages.front().text;
  for (int k = 1; k <= 3; ++k) {
    const series::DataSeries& a = workbench.series[k];
    const series::DataSeries& b = fresh.workbench.series[k];
    EXPECT_EQ(b.title, a.title) << k;
    EXPECT_EQ(b.xWords, a.xWords) << k;
    EXPECT_EQ(b.yWords, a.yWords) << k;
    EXPECT_EQ(b.values, a.values) << k;
    EXPECT_EQ(b.rawDataPeriod, a.rawDataPeriod) << k;
  }
  const graph::GraphView& g = fresh.workbench.graph;
  EXPECT_EQ(g.library[2].topTitle, "Jog of motor 1");
  EXPECT_EQ(g.library[7].topTitle, "Commanded and actual");
  EXPECT_EQ(g.library[2].slots[1].series, 2);
  EXPECT_EQ(g.settings.topTitle, workbench.graph.settings.topTitle);
  QCoreApplication::processEvents();
  const QImage loaded = fresh.window.Client().GraphPane(0).Render();
  test::SaveScreenshot(loaded, "jog_loaded_in_a_fresh_program");
  EXPECT_EQ(loaded, saved);

  QFile file(QString::fromStdString(csv));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
  const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), n + 1);
  EXPECT_EQ(lines[0].count(','), 3) << lines[0].toStdString();
  EXPECT_TRUE(lines[0].startsWith("Time")) << lines[0].toStdString();
  EXPECT_EQ(lines[n].section(',', 1, 1).toDouble(), workbench.series[1].values[n - 1]);
}

}  // namespace
}  // namespace bl
