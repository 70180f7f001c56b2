#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QXmlStreamReader>

#include "commands/command_ids.h"
#include "graph/graph_print.h"
#include "graph/qt/graph_export_file.h"
#include "graph/qt/graph_properties_dialog.h"
#include "gui_support.h"
#include "offline_program.h"
#include "platform/qt/canvas_widget.h"
#include "platform/qt/qt_desktop.h"

namespace bl {
namespace {

using test::WhenModal;

class GraphCommandsTest : public ::testing::Test, protected test::OfflineProgram {
 protected:
  static void SetUpTestSuite() { test::EnsureApplication(); }

  void SetUp() override {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    folder = QStringLiteral(BL_TEST_OUTPUT_DIR) + "/graph_export";
    QDir().mkpath(folder);
  }
  // Types into an edit and leaves it, as the user does.
  static void Type(QLineEdit& edit, const QString& text) {
    edit.setText(text);
    Q_EMIT edit.editingFinished();
  }

  QString folder;
};

TEST_F(GraphCommandsTest, PropertiesMenuEditsTheTitleAndStoresAndRetrievesIt) {
  shell.SelectView(kViewGraphTime, true);
  QString storedLabel;
  QString retrievedTitle;
  WhenModal<graph::GraphPropertiesDialog>([&](graph::GraphPropertiesDialog& d) {
    Type(d.TitleEdit(graph::TitleField::Top), "Bench run");
    Type(d.LimitEdit(1, graph::LimitColumn::GridSpacing), "250");
    d.StoreButton(0).click();
    storedLabel = d.LibraryLabel(0).text();
    Type(d.TitleEdit(graph::TitleField::Top), "Something else");
    d.RetrieveButton(0).click();
    retrievedTitle = d.TitleEdit(graph::TitleField::Top).text();
    test::SaveScreenshot(d.grab().toImage(), "graph_properties_dialog");
    d.OkButton().click();
  });
  window.MenuAction(cmd::kGraphProperties)->trigger();
  EXPECT_EQ(storedLabel, "#1: Bench run");
  EXPECT_EQ(retrievedTitle, "Bench run");
  EXPECT_EQ(workbench.graph.settings.topTitle, "Bench run");
  EXPECT_EQ(workbench.graph.library[0].topTitle, "Bench run");
  EXPECT_EQ(workbench.graph.library[0].graphType, 0);
  EXPECT_EQ(workbench.graph.settings.axes[graph::kLeft].gridSpacing, 250.0);
  EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(GraphCommandsTest, PropertiesFromTheTerminalBringUpTheTimeGraphAndRetrieveSwitchesType) {
  shell.SelectView(kViewTerminal, true);
  graph::GraphSettings stored = workbench.graph.settings;
  stored.topTitle = "Spectrum";
  stored.graphType = 2;
  workbench.graph.library[4] = stored;
  int viewOnOpening = -1;
  WhenModal<graph::GraphPropertiesDialog>([&](graph::GraphPropertiesDialog& d) {
    viewOnOpening = shell.ViewId();
    d.RetrieveButton(4).click();
    d.OkButton().click();
  });
  window.MenuAction(cmd::kGraphProperties)->trigger();
  EXPECT_EQ(viewOnOpening, kViewGraphTime);
  EXPECT_EQ(shell.ViewId(), kViewGraphFrequency);
  EXPECT_TRUE(window.Client().GraphPane(1).isVisible());
  EXPECT_EQ(workbench.graph.settings.topTitle, "Spectrum");
}

TEST_F(GraphCommandsTest, PrintGraphNeedsAGraphViewThenPrintsOnePage) {
  shell.SelectView(kViewEditor, true);
  window.MenuAction(cmd::kPrintGraphMenu)->trigger();
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, "You must be viewing a graph in order to print it.");
  EXPECT_TRUE(desktop.printedPages.empty());

  shell.SelectView(kViewGraphTime, true);
  window.Client().Button(cmd::kPrintGraph).click();
  ASSERT_EQ(desktop.printedPages.size(), 1u);
  EXPECT_EQ(desktop.messages.back().text, "Graph Printing is Complete");
  EXPECT_NE(desktop.printedPages[0]->FindText("Top Title"), nullptr);
}

TEST_F(GraphCommandsTest, ExportWritesPngAndSvgOfTheChosenSize) {
  shell.SelectView(kViewGraphTime, true);
  workbench.graph.settings.topTitle = "Exported run";
  const QString png = folder + "/graph.png";
  const QString svg = folder + "/graph.svg";
  QFile::remove(png);
  QFile::remove(svg);

  desktop.saveFileAnswers = {png.toStdString()};
  int offeredWidth = 0;
  WhenModal<graph::ExportSizeDialog>([&](graph::ExportSizeDialog& d) {
    offeredWidth = d.WidthBox().value();
    d.WidthBox().setValue(640);
    d.HeightBox().setValue(400);
    d.accept();
  });
  window.MenuAction(cmd::kExportGraph)->trigger();
  EXPECT_EQ(offeredWidth, window.Client().GraphPane(0).width());
  QImage image(png);
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), QSize(640, 400));
  // The plot is black on screen and in the picture; the trace of series 1 is red.
  EXPECT_EQ(image.pixelColor(400, 150), QColor(Qt::black));
  EXPECT_TRUE(test::AnyPixelNear(image, QRect(80, 25, 560, 350), QColor(255, 0, 0)));

  desktop.saveFileAnswers = {svg.toStdString()};
  WhenModal<graph::ExportSizeDialog>([](graph::ExportSizeDialog& d) { d.accept(); });
  window.MenuAction(cmd::kExportGraph)->trigger();
  QFile file(svg);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray xml = file.readAll();
  QXmlStreamReader reader(xml);
  bool titleFound = false;
  while (!reader.atEnd()) {
    reader.readNext();
    if (reader.isCharacters() && reader.text().toString().contains("Exported run"))
      titleFound = true;
  }
  EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
  EXPECT_TRUE(titleFound);
  EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(GraphCommandsTest, ExportToAMissingFolderIsReportedAndPdfReplacesAnOldFile) {
  shell.SelectView(kViewGraphPoints, true);
  desktop.saveFileAnswers = {(folder + "/missing/graph.svg").toStdString()};
  WhenModal<graph::ExportSizeDialog>([](graph::ExportSizeDialog& d) { d.accept(); });
  window.MenuAction(cmd::kExportGraph)->trigger();
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].title, "Export Error");
  EXPECT_FALSE(QFile::exists(folder + "/missing/graph.svg"));

  const QString pdf = folder + "/replaced.pdf";
  {
    QFile old(pdf);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
  }
  std::string error;
  ASSERT_TRUE(graph::WriteGraphFile(
      pdf.toStdString(), graph::ExportFormat::Pdf, {300, 200}, [](platform::Canvas&) {}, error));
  QFile written(pdf);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_TRUE(written.readAll().startsWith("%PDF"));
}

// Through the system's print dialog to a PDF file, as on a machine without a printer: the
// dialog offers a file named after the document in the home folder, and accepting it prints.
TEST(GraphPrintPdfTest, PrintsTheGraphToAPdfFile) {
  test::EnsureApplication();
  if (!QPrinterInfo::availablePrinters().isEmpty())
    GTEST_SKIP() << "a printer is installed: the dialog would print on it";
  const QByteArray home = qgetenv("HOME");
  const QString folder = QStringLiteral(BL_TEST_OUTPUT_DIR) + "/graph_print_home";
  QDir().mkpath(folder);
  const QString pdf = folder + "/Brightlantern Graph.pdf";
  QFile::remove(pdf);
  qputenv("HOME", folder.toLocal8Bit());
  platform::QtDesktop desktop;
  QString message, offered;
  WhenModal<QPrintDialog>([&](QPrintDialog& d) {
    offered = d.printer()->outputFileName();
    WhenModal<QMessageBox>(
        [&](QMessageBox& box) {
          message = box.text();
          box.accept();
        },
        1000);
    d.accept();
  });
  series::SeriesTable table;
  graph::GraphSettings settings;
  const graph::PrintGraphOutcome outcome = graph::PrintGraph(desktop, settings, table, true);
  qputenv("HOME", home);
  EXPECT_EQ(outcome, graph::PrintGraphOutcome::Printed);
  EXPECT_EQ(offered, pdf);
  EXPECT_EQ(message, "Graph Printing is Complete");
  QFile file(pdf);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().startsWith("%PDF"));
}

// Loading from another view brings the time graph back with the saved settings. The saved
// values and the drawn pane coming back whole are checked in a fresh program by the gather test.
TEST_F(GraphCommandsTest, SavedSeriesComeBackThroughTheMenuAfterTheyWereCleared) {
  shell.SelectView(kViewGraphTime, true);
  workbench.graph.settings.topTitle = "Before the save";
  const std::vector<double> sine = workbench.series[1].values;
  const std::string file = (folder + "/all_series.bin").toStdString();
  QFile::remove(QString::fromStdString(file));
  desktop.saveFileAnswers = {file};
  window.MenuAction(cmd::kSaveAllSeries)->trigger();
  ASSERT_TRUE(QFile::exists(QString::fromStdString(file)));

  for (int k = 1; k <= workbench.series.seriesCount; ++k) workbench.series.ClearSeries(k);
  workbench.graph.settings.topTitle = "Cleared";
  shell.SelectView(kViewTerminal, true);

  desktop.openFileAnswers = {file};
  window.MenuAction(cmd::kLoadAllSeries)->trigger();
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(shell.ViewId(), kViewGraphTime);
  EXPECT_EQ(workbench.graph.settings.topTitle, "Before the save");
  EXPECT_EQ(workbench.series[1].values.size(), sine.size());
}

}  // namespace
}  // namespace bl
