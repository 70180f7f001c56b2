#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <filesystem>

#include "commands/command_ids.h"
#include "gui_support.h"
#include "offline_program.h"
#include "shell/qt/series_panel.h"
#include "tuning/qt/frequency_response_dialog.h"
#include "tuning/qt/reference_series_dialog.h"

namespace bl {
namespace {

using test::WhenModal;
using tuning::ReferenceField;
using tuning::ReferenceType;

class TuningDialogsTest : public ::testing::Test, protected test::OfflineProgram {
 protected:
  static void SetUpTestSuite() { test::EnsureApplication(); }

  void SetUp() override {
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }

  // Types into a field and leaves it, as the user does.
  static void Type(QLineEdit& field, const QString& text) {
    field.setText(text);
    Q_EMIT field.editingFinished();
  }
  static void Choose(QComboBox& list, int index) {
    list.setCurrentIndex(index);
    Q_EMIT list.activated(index);
  }
};

TEST_F(TuningDialogsTest, ReferenceSeriesMenuWritesASquareWaveThatTheGraphShows) {
  shell.SelectView(kViewGraphTime, true);
  workbench.graph.settings.slots[0].series = 2;
  std::filesystem::remove(tuning::ReferenceSettingsPath());
  QString lengthShown, titleListed;
  WhenModal<tuning::ReferenceSeriesDialog>([&](tuning::ReferenceSeriesDialog& d) {
    Choose(d.SeriesList(), 1);
    lengthShown = d.Field(ReferenceField::kLength).text();
    d.TypeButton(ReferenceType::kSquare).click();
    Type(d.Field(ReferenceField::kPeriod), "0.2");
    Type(d.Field(ReferenceField::kDataPeriod), "0.01");
    Type(d.Field(ReferenceField::kLength), "500");
    d.CreateButton().click();
    titleListed = d.SeriesList().itemText(1);
    test::SaveScreenshot(d.grab().toImage(), "reference_series_dialog");
    d.DoneButton().click();
  });
  window.MenuAction(cmd::kReferenceSeries)->trigger();

  EXPECT_EQ(lengthShown, "10");
  EXPECT_EQ(titleListed, "#2: Reference Series: Square Wave");
  const series::DataSeries& s = workbench.series[2];
  ASSERT_EQ(s.sampleCount, 500);
  EXPECT_NEAR(s.values[15], 100.0, 1e-6);  // t = 0.15, f = 0.75
  // The graph lists the new title and is fitted to the wave.
  EXPECT_EQ(window.Client().Series().RowAt(0).series->currentText(),
            "#2: Reference Series: Square Wave");
  EXPECT_NEAR(workbench.graph.settings.axes[graph::kLeft].maximum, 102.5, 1e-6);
  EXPECT_NEAR(workbench.graph.settings.bottom.maximum, 4.99, 1e-9);
  EXPECT_EQ(window.focusWidget(), &window.Client().GraphPane(0));
  EXPECT_TRUE(std::filesystem::exists(tuning::ReferenceSettingsPath()));
}

TEST_F(TuningDialogsTest, FrequencyResponseMenuWarnsThenWritesTheResponse) {
  // An impulse against a decaying series of the same length: the response is that series.
  tuning::ReferenceSettings impulse;
  impulse.series = 2;
  impulse.type = ReferenceType::kImpulse;
  impulse.dataPeriod = 0.001;
  impulse.length = 1024;
  ASSERT_TRUE(tuning::CreateReferenceSeries(workbench.series, impulse));
  impulse.series = 3;
  ASSERT_TRUE(tuning::CreateReferenceSeries(workbench.series, impulse));
  workbench.series[3].D1 = -0.9;  // a first-order low-pass
  workbench.series.ProcessSeries(3, series::SpectrumLayout::kMagnitudePhase);
  window.resize(960, 680);  // room for both panes in the screenshot
  shell.SelectView(kViewGraphFrequency, true);
  workbench.graph.settings.slots[0].series = 4;

  QString resultListed;
  WhenModal<tuning::FrequencyResponseDialog>([&](tuning::FrequencyResponseDialog& d) {
    Choose(d.CommandedList(), 1);
    Choose(d.ActualList(), 2);
    Choose(d.ResultList(), 1);
    d.CreateButton().click();  // the result would overwrite the commanded series
    Choose(d.ResultList(), 3);
    d.CreateButton().click();
    resultListed = d.ResultList().currentText();
    test::SaveScreenshot(d.grab().toImage(), "frequency_response_dialog");
    d.DoneButton().click();
  });
  window.MenuAction(cmd::kFrequencyResponse)->trigger();

  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, "All three data series must be unique.");
  EXPECT_EQ(resultListed, "#4: Frequency Response 3 / 2");
  // In the frequency graph the result shows the low-pass: 1 / (1 - 0.9) = 10 at 0 Hz.
  const series::DataSeries& result = workbench.series[4];
  ASSERT_EQ(result.sampleCount, 1024);
  EXPECT_NEAR(result.values[0], 10.0, 1e-5);
  EXPECT_EQ(window.Client().Series().RowAt(0).series->currentText(),
            "#4: Frequency Response 3 / 2");
  graph::GraphSettings& titles = workbench.graph.settings;
  titles.topTitle = "Frequency Response 3 / 2";
  titles.bottomTitle = "Frequency (Hz)";
  titles.leftTitle = "Magnitude";
  titles.leftTitle2 = "Phase (deg)";
  window.Client().RefreshGraphPanel();
  test::SaveScreenshot(window.grab().toImage(), "frequency_response_graph");
}

}  // namespace
}  // namespace bl
