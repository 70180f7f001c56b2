// The what-if preview: identifying the plant of a test move (a step of the documented rigid
// load under the factory gains, 2 s at 2 kHz, and a 64k-sample run), and one prediction for an
// edited gain: the step in time, the closed loop's poles, and the open and closed loops at 300
// frequencies with their margins, as the preview makes it on every edit.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "tuning/plant_fit.h"
#include "tuning/what_if.h"

namespace {

constexpr double kPeriod = 0.0005;

struct Run {
  std::vector<double> commanded, actual, output;
};

bl::tuning::LoopSettings FactoryLoop() {
  bl::tuning::VariableValues v{{10, 4194304}, {108, 96}, {109, 96}, {130, 2000}, {131, 1280},
                               {132, 1280}};
  std::string error;
  return *bl::tuning::LoopSettingsFromVariables(v, 1, kPeriod, error);
}

// Steps of 500 counts out and back, repeated to fill the run.
Run StepRun(std::size_t samples) {
  std::vector<double> path;
  const bl::tuning::MoveShape step{.size = 500, .dwellMs = 300};
  while (path.size() < samples) {
    const std::vector<double> one = bl::tuning::CommandedPath(step, kPeriod);
    path.insert(path.end(), one.begin(), one.end());
  }
  path.resize(samples);
  bl::tuning::PlantModel load;
  load.a = {0.998};
  load.b = {1.5e-3};
  load.servoPeriod = kPeriod;
  const bl::tuning::Prediction p = bl::tuning::Predict(load, FactoryLoop(), 0, path, {1.0});
  return {p.commanded, p.actual, p.output};
}

void BM_IdentifyPlant(benchmark::State& state) {
  const Run run = StepRun(static_cast<std::size_t>(state.range(0)));
  std::string error;
  for (auto _ : state) {
    auto plant = bl::tuning::FitPlant(run.actual, run.output, kPeriod, {}, error);
    benchmark::DoNotOptimize(plant);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_IdentifyPlant)->Arg(4000)->Arg(65536)->Unit(benchmark::kMillisecond);

void BM_PredictOneEdit(benchmark::State& state) {
  const Run run = StepRun(4000);
  std::string error;
  const auto plant = bl::tuning::FitPlant(run.actual, run.output, kPeriod, {}, error);
  bl::tuning::LoopSettings loop = FactoryLoop();
  const std::vector<double> frequencies = bl::tuning::LogFrequencies(1, 999, 300);
  double kp = loop.law.kp;
  for (auto _ : state) {
    kp = kp == loop.law.kp ? loop.law.kp * 2 : loop.law.kp;
    bl::tuning::LoopSettings edited = loop;
    edited.law.kp = kp;
    auto p = bl::tuning::Predict(*plant, edited, 0, run.commanded, frequencies);
    benchmark::DoNotOptimize(p);
  }
}
BENCHMARK(BM_PredictOneEdit)->Unit(benchmark::kMillisecond);

void BM_SuggestSettings(benchmark::State& state) {
  const Run run = StepRun(4000);
  std::string error;
  const auto plant = bl::tuning::FitPlant(run.actual, run.output, kPeriod, {}, error);
  bl::tuning::VariableValues v{{10, 4194304}, {108, 96}, {109, 96}, {130, 2000}, {131, 1280},
                               {132, 1280}};
  for (auto _ : state) {
    auto s = bl::tuning::SuggestSettings(*plant, v, 1, 0, {}, error);
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(BM_SuggestSettings)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
