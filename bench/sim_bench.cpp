// The virtual controller's servo loop: eight motors jogging while four registers of each are
// gathered every cycle (over a rigid load and over a resonant, rubbing, noisy one), the same with
// a motion program and a PLC running, and with the shipped test-move program making its sine
// sweep. Reports servo cycles per second and how many times faster than the controller's own
// clock (I10 = 3713707, about 2259 cycles a second) that is.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "link/builtin_download.h"
#include "sim/controller.h"

namespace {

constexpr double kServoHz = 8388608.0 / 3713707.0 * 1000;
constexpr int kCyclesPerStep = 2259;  // about a second of controller time
const auto kServoPeriod = std::chrono::nanoseconds(442708);  // the default, rounded down

// Sets the commanded and actual position (D) and the output (X) of motors 1..8 as the gather
// sources (40 words), and jogs motors firstJogged..8 either way. The buffer itself comes with
// kDefineGather, after any program: it takes all free memory.
void GatherEightMotors(sim::Controller& controller, int firstJogged) {
  for (int m = 1; m <= 8; ++m) {
    controller.Respond("I" + std::to_string(5000 + m) + "=" +
                       std::to_string(0x800000 + m * 128 + 8) + " I" + std::to_string(5008 + m) +
                       "=" + std::to_string(0x800000 + m * 128 + 11) + " I" +
                       std::to_string(5016 + m) + "=" + std::to_string(0x400000 + m * 128 + 63));
    if (m >= firstJogged) controller.Respond("#" + std::to_string(m) + (m % 2 ? "J+" : "J-"));
  }
}
constexpr char kDefineGather[] = "I5050=$FFFFFF I5049=1 I5000=1 DEF GAT";

// Runs the controller a second of its time per iteration and reports the rate.
void RunSeconds(benchmark::State& state, sim::Controller& controller) {
  for (auto _ : state) {
    controller.Advance(kServoPeriod * kCyclesPerStep);
  }
  const double cycles = static_cast<double>(state.iterations()) * kCyclesPerStep;
  state.counters["cycles_per_s"] = benchmark::Counter(cycles, benchmark::Counter::kIsRate);
  state.counters["x_real_time"] =
      benchmark::Counter(cycles / kServoHz, benchmark::Counter::kIsRate);
}

void BM_EightMotorsServoingAndGathering(benchmark::State& state) {
  sim::Controller controller(5);
  GatherEightMotors(controller, 1);
  controller.Respond(kDefineGather);
  controller.Respond("GAT");
  RunSeconds(state, controller);
}
BENCHMARK(BM_EightMotorsServoingAndGathering)->Unit(benchmark::kMillisecond);

// The same, with every motor driving a two-mass load with a 500 Hz resonance, Coulomb friction
// and a noisy encoder: what the plant costs beside the rigid load above.
void BM_EightMotorsOnAResonantRubbingNoisyPlant(benchmark::State& state) {
  sim::Controller controller(5);
  for (int m = 1; m <= 8; ++m) {
    controller.SetPlant(m, {.resonanceHz = 500,
                            .dampingRatio = 0.05,
                            .loadRatio = 1,
                            .coulombFriction = 100,
                            .noiseCounts = 0.5});
  }
  GatherEightMotors(controller, 1);
  controller.Respond(kDefineGather);
  controller.Respond("GAT");
  RunSeconds(state, controller);
}
BENCHMARK(BM_EightMotorsOnAResonantRubbingNoisyPlant)->Unit(benchmark::kMillisecond);

// The same eight motors and gather, with motor 1 driven by a motion program (an endless sine
// made of 1 ms moves) while PLC 1 computes and sends commands every background cycle.
void BM_ProgramAndPlcWhileServoingAndGathering(benchmark::State& state) {
  sim::Controller controller(5);
  GatherEightMotors(controller, 2);
  for (const char* line :
       {"OPEN PROG 1 CLEAR", "LINEAR ABS TM1 TA0 TS0", "WHILE(1=1)", "P1=P1+3.6", "X(1000*SIN(P1))",
        "ENDWHILE", "CLOSE", "OPEN PLC 1 CLEAR", "P2=P2+1", "IF(P2%100=0)", "CMD\"P3=P2\"", "ELSE",
        "P4=SQRT(P2)*COS(P2)+ATAN2(P2)", "ENDIF", "CLOSE"}) {
    controller.Respond(line);
  }
  controller.Respond(kDefineGather);
  controller.Respond("GAT");
  controller.Respond("I5=2 #1J/ &1 #1->X B1R");
  RunSeconds(state, controller);
  if (controller.Respond("P1").rfind("0\r", 0) == 0) state.SkipWithError("the program did not run");
}
BENCHMARK(BM_ProgramAndPlcWhileServoingAndGathering)->Unit(benchmark::kMillisecond);

// Motor 1 making the test moves' sine sweep up to 100 Hz (program 999 in &8, a move every
// millisecond) from the shipped BL_TestMoves.pmc, while motors 2..8 jog and all eight are
// gathered every cycle. Nine iterations stay inside the ten-second sweep.
void BM_TestMoveSweepWhileServoingAndGathering(benchmark::State& state) {
  sim::Controller controller(5);
  for (const bl::DownloadLine& line :
       bl::PrepareDownload(BL_SOURCE_DATA_DIR "/BL_TestMoves.pmc").lines) {
    controller.Respond(line.text);
  }
  controller.Respond("#1J/");
  GatherEightMotors(controller, 2);
  controller.Respond(kDefineGather);
  controller.Respond("P950=1 P951=3 P952=100 P953=10000 P956=1 P957=100");
  controller.Respond("&8 UNDEFINE ALL #1->X");
  controller.Respond("&8 B999R");
  RunSeconds(state, controller);
  if (controller.Respond("P950").find('2') == std::string::npos)
    state.SkipWithError("the sweep did not start");
}
BENCHMARK(BM_TestMoveSweepWhileServoingAndGathering)->Unit(benchmark::kMillisecond)->Iterations(9);

}  // namespace

BENCHMARK_MAIN();
