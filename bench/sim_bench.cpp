// The virtual controller's servo loop: eight motors jogging while four registers of each are
// gathered every cycle. Reports servo cycles per second and how many times faster than the
// controller's own clock (I10 = 3713707, about 2259 cycles a second) that is.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "sim/controller.h"

namespace {

constexpr double kServoHz = 8388608.0 / 3713707.0 * 1000;
constexpr int kCyclesPerStep = 2259;  // about a second of controller time

void BM_EightMotorsServoingAndGathering(benchmark::State& state) {
  sim::Controller controller(5);
  // Commanded and actual position (D) of motors 1..8 and the output of 1..8 (X): 40 words.
  std::string setup;
  for (int m = 1; m <= 8; ++m) {
    setup = "I" + std::to_string(5000 + m) + "=" + std::to_string(0x800000 + m * 128 + 8) + " I" +
            std::to_string(5008 + m) + "=" + std::to_string(0x800000 + m * 128 + 11) + " I" +
            std::to_string(5016 + m) + "=" + std::to_string(0x400000 + m * 128 + 63);
    controller.Respond(setup);
    controller.Respond("#" + std::to_string(m) + (m % 2 ? "J+" : "J-"));
  }
  controller.Respond("I5050=$FFFFFF I5049=1 I5000=1 DEF GAT GAT");
  const auto period = std::chrono::nanoseconds(442708);  // one default servo cycle, rounded down
  for (auto _ : state) {
    controller.Advance(period * kCyclesPerStep);
  }
  const double cycles = static_cast<double>(state.iterations()) * kCyclesPerStep;
  state.counters["cycles_per_s"] = benchmark::Counter(cycles, benchmark::Counter::kIsRate);
  state.counters["x_real_time"] =
      benchmark::Counter(cycles / kServoHz, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_EightMotorsServoingAndGathering)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
