// A kept chirp run's frequency response from Tuning History > Bode...: closed and open loop,
// coherence and the margins the loop has, by either estimate.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <algorithm>

#include "commands/command_ids.h"
#include "gui_support.h"
#include "offline_program.h"
#include "tuning/excitation.h"
#include "tuning/position_loop.h"
#include "tuning/qt/curve_plot.h"
#include "tuning/qt/run_bode_dialog.h"
#include "tuning/qt/tuning_history_dialog.h"
#include "tuning/what_if.h"

namespace bl {
namespace {

constexpr double kPeriod = 0.0005;

// A chirp out and back on the documented load of the virtual controller, with the gains and
// low-pass whose margins are known: crossover 28.2 Hz, 42.6 deg, 8.8 dB.
tuning::TuningRun ChirpRun() {
  const tuning::VariableValues ivars{{108, 96},   {109, 96},     {130, 20}, {131, 2560},
                                     {132, 2560}, {138, -1.75}, {139, 0.8}};
  std::string error;
  const auto loop = tuning::LoopSettingsFromVariables(ivars, 1, kPeriod, error);
  EXPECT_TRUE(loop) << error;
  tuning::PlantModel load;
  load.a = {0.998};
  load.b = {1.5e-3};
  load.servoPeriod = kPeriod;
  const tuning::ChirpParameters chirp{.amplitude = 200, .lowHz = 1, .highHz = 100,
                                      .durationMs = 2000};
  std::vector<double> path;
  for (int k = 0; k < 4800; ++k) path.push_back(tuning::ChirpPosition(chirp, k * 0.5));
  const tuning::Prediction p = tuning::Predict(load, *loop, 0, path, {1.0});
  EXPECT_TRUE(p.stable);

  tuning::TuningRun run;
  run.timeMs = 1796617358000;
  run.typeCode = 5;
  run.typeName = "Turbo PMAC2";
  run.motor = 1;
  run.kind = tuning::TestMoveKind::kSineSweep;
  run.gatherPeriod = 1;
  for (const auto& [number, value] : ivars) run.variables[static_cast<std::size_t>(number % 100)] = value;
  run.series = {{"Motor #1 Commanded Position (cts*Ix08)", kPeriod, p.commanded},
                {"Motor #1 Actual Position (cts*Ix08)", kPeriod, p.actual},
                {"Motor #1 DAC Output (Bits)", kPeriod, p.output}};
  return run;
}

class RunBodeGuiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::EnsureApplication(); }
  test::OfflineProgram p;
};

TEST_F(RunBodeGuiTest, TuningHistoryShowsAChirpRunsResponseAndMargins) {
  tuning::TuningRun run = ChirpRun();
  // Kept under the controller type the program works with offline.
  run.typeCode = std::clamp(p.workbench.controllerType.typeCode.load(), 1, 6);
  std::string error;
  ASSERT_TRUE(p.workbench.tuningHistory.History().Save(run, error)) << error;
  p.window.resize(900, 600);
  p.window.show();

  bool shown = false;
  test::WhenModal<tuning::TuningHistoryDialog>([&](tuning::TuningHistoryDialog& history) {
    ASSERT_EQ(history.RunList().rowCount(), 1);
    test::WhenModal<tuning::RunBodeDialog>([&](tuning::RunBodeDialog& bode) {
      shown = true;
      const QString whole = bode.Results().text();
      EXPECT_TRUE(whole.contains("The whole run")) << whole.toStdString();
      EXPECT_TRUE(whole.contains("Phase margin: 42.6 deg")) << whole.toStdString();
      EXPECT_TRUE(whole.contains("Crossover frequency: 28.")) << whole.toStdString();
      EXPECT_TRUE(whole.contains("Gain margin: 8.")) << whole.toStdString();
      EXPECT_EQ(bode.MagnitudePlot().Curves().size(), 2u);  // closed and open loop
      EXPECT_EQ(bode.CoherencePlot().Curves().size(), 1u);
      test::SaveScreenshot(bode.grab().toImage(), "run_bode_dialog");
      bode.Method().setCurrentIndex(1);
      EXPECT_TRUE(bode.Results().text().contains("segments of")) << bode.Results().text().toStdString();
      bode.accept();
    });
    history.RunList().selectRow(0);
    history.BodeButton().click();
    history.accept();
  });
  p.window.MenuAction(cmd::kTuningHistory)->trigger();
  EXPECT_TRUE(shown);
  EXPECT_TRUE(p.desktop.messages.empty()) << p.desktop.messages.front().text;
}

}  // namespace
}  // namespace bl
