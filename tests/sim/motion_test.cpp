// Motors that servo, jog and are killed, and gathering of what they do, through the controller's
// own commands and memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/controller.h"
#include "sim/model.h"

namespace sim {
namespace {

// Half a millisecond exactly, so that whole cycles are whole nanoseconds.
constexpr const char* kHalfMillisecondServo = "I10=4194304";
constexpr std::chrono::nanoseconds kCycle{500000};
constexpr double kUnitsPerCount = 32 * 96;  // D registers at the default Ix08

void Cycles(Controller& c, int n) { c.Advance(kCycle * n); }

std::int64_t ReadD(const Controller& c, std::uint32_t address) {
  std::int64_t raw = (static_cast<std::int64_t>(c.ReadX(address)) << 24) | c.ReadY(address);
  return raw >= (std::int64_t{1} << 47) ? raw - (std::int64_t{1} << 48) : raw;
}

double Counts(const Controller& c, std::uint32_t address) {
  return static_cast<double>(ReadD(c, address)) / kUnitsPerCount;
}

int Dac(const Controller& c, std::uint32_t address) {
  auto dac = static_cast<int>((c.ReadX(address) >> 8) & 0xFFFF);
  return dac >= 0x8000 ? dac - 0x10000 : dac;
}

// Motor status words as ? answers them: X word, then Y word.
std::uint32_t StatusX(Controller& c, int motor) {
  std::string reply = c.Respond("#" + std::to_string(motor) + "?");
  return static_cast<std::uint32_t>(std::stoul(reply.substr(0, 6), nullptr, 16));
}
std::uint32_t StatusY(Controller& c, int motor) {
  std::string reply = c.Respond("#" + std::to_string(motor) + "?");
  return static_cast<std::uint32_t>(std::stoul(reply.substr(6, 6), nullptr, 16));
}

constexpr std::uint32_t kOpenLoop = 0x040000, kAmplifierTurbo = 0x080000, kMoveTimer = 0x020000,
                        kVelocityZero = 0x002000;
constexpr std::uint32_t kInPosition = 1, kWarning = 2, kFatal = 4;

class ServoTypes : public testing::TestWithParam<int> {};

TEST_P(ServoTypes, StepWithFactoryGainsOvershootsALittleAndSettles) {
  const Model& m = ModelFor(GetParam());
  Controller c(GetParam());
  c.Respond(kHalfMillisecondServo);
  ASSERT_EQ(c.Respond("#1J/"), "\x06");
  Cycles(c, 10);
  // A write to the commanded position is a step of 1000 counts.
  c.Respond("WY:" + std::to_string(m.CommandedPosition(1)) + ",3072000");
  Cycles(c, 1);
  EXPECT_GT(Dac(c, m.ServoOutput(1)), 0);
  if (!m.turbo && !m.pmac1) {
    EXPECT_EQ(c.ReadX(m.ServoOutput(1)), c.ReadX(60 + 9));
  }
  double peak = 0;
  for (int i = 0; i < 400; ++i) {
    Cycles(c, 1);
    peak = std::max(peak, Counts(c, m.ActualPosition(1)));
  }
  EXPECT_GT(peak, 1005);
  EXPECT_LT(peak, 1150);
  EXPECT_NEAR(Counts(c, m.ActualPosition(1)), 1000, 1);
  EXPECT_NEAR(std::stod(c.Respond("#1P")), 1000, 1);
  EXPECT_NEAR(std::stod(c.Respond("#1F")), 0, 1);
  EXPECT_EQ(StatusY(c, 1) & kInPosition, kInPosition);
  // Other motors stay where they were.
  EXPECT_EQ(Counts(c, m.ActualPosition(2)), 0);
}

TEST_P(ServoTypes, KillStopsTheOutputAndJogSlashTakesTheMotorBack) {
  const Model& m = ModelFor(GetParam());
  Controller c(GetParam());
  c.Respond(kHalfMillisecondServo);
  c.Respond("#1J+ #2J-");
  Cycles(c, 400);
  EXPECT_GT(Counts(c, m.ActualPosition(1)), 10);
  EXPECT_LT(Counts(c, m.ActualPosition(2)), -10);
  EXPECT_GT(std::stod(c.Respond("#1V")), 0);
  c.Respond("#1K");
  Cycles(c, 1);
  EXPECT_EQ(c.ReadX(m.ServoOutput(1)), 0u);
  EXPECT_NE(StatusX(c, 1) & kOpenLoop, 0u);
  EXPECT_NE(Dac(c, m.ServoOutput(2)), 0);  // the other motor still jogs
  // The load coasts to rest with the commanded position following it.
  Cycles(c, 4000);
  const double resting = Counts(c, m.ActualPosition(1));
  Cycles(c, 10);
  EXPECT_NEAR(Counts(c, m.ActualPosition(1)), resting, 0.01);
  EXPECT_EQ(ReadD(c, m.CommandedPosition(1)), ReadD(c, m.ActualPosition(1)));
  // ^K kills every motor; J/ closes the loop where the motor stands.
  c.RespondControl(11);
  Cycles(c, 1);
  EXPECT_EQ(c.ReadX(m.ServoOutput(2)), 0u);
  c.Respond("#1J/");
  Cycles(c, 50);
  EXPECT_EQ(StatusX(c, 1) & kOpenLoop, 0u);
  EXPECT_NEAR(Counts(c, m.ActualPosition(1)), resting, 1);
  // A closes the killed loops of the addressed system only; ^A every one.
  c.Respond("&1 #1->X #1K &2 A");
  EXPECT_NE(StatusX(c, 1) & kOpenLoop, 0u);
  c.Respond("&1 A");
  EXPECT_EQ(StatusX(c, 1) & kOpenLoop, 0u);
  c.RespondControl(1);
  EXPECT_EQ(StatusX(c, 2) & kOpenLoop, 0u);
}

INSTANTIATE_TEST_SUITE_P(Types, ServoTypes, testing::Values(2, 5));

TEST(FollowingError, ABlockedMotorWarnsThenIsKilledWithItsSystem) {
  Controller c(5);
  c.Respond(kHalfMillisecondServo);
  c.Respond("&1 #1->X #2->Y #3J/ #2J/ #1J/");
  c.Respond("I169=0");  // no output reaches the load: it cannot follow
  c.Respond("#1J+");
  int warningAt = -1, fatalAt = -1;
  for (int i = 0; i < 4000 && fatalAt < 0; ++i) {
    Cycles(c, 1);
    std::uint32_t y = StatusY(c, 1);
    if (warningAt < 0 && (y & kWarning)) warningAt = i;
    if (y & kFatal) fatalAt = i;
  }
  ASSERT_GE(warningAt, 0);
  ASSERT_GT(fatalAt, warningAt);
  EXPECT_NEAR(std::fabs(std::stod(c.Respond("#1F"))), 2000, 50);
  const std::uint32_t x = StatusX(c, 1);
  EXPECT_NE(x & kOpenLoop, 0u);
  EXPECT_EQ(x & kAmplifierTurbo, 0u);
  EXPECT_EQ(StatusY(c, 1) & (kWarning | kFatal), kWarning | kFatal);
  // The other motor of its system is killed too; a motor outside it is not.
  EXPECT_NE(StatusX(c, 2) & kOpenLoop, 0u);
  EXPECT_EQ(StatusX(c, 3) & kOpenLoop, 0u);
  // The status words sit in memory too; re-enabling clears the fatal bits.
  Cycles(c, 1);
  EXPECT_EQ(c.ReadY(0xC0) & kFatal, kFatal);
  c.Respond("#1J/");
  Cycles(c, 1);
  EXPECT_EQ(StatusY(c, 1) & (kWarning | kFatal), 0u);
  EXPECT_EQ(c.ReadY(0xC0) & kFatal, 0u);
  // The warning alone, with the fatal check off.
  c.Respond("I111=0 #1J+");
  Cycles(c, 3000);
  EXPECT_EQ(StatusY(c, 1) & (kWarning | kFatal), kWarning);
}

TEST(FollowingError, OnPmacAFatalErrorKillsEveryMotorByDefault) {
  Controller c(1);
  c.Respond(kHalfMillisecondServo);
  c.Respond("#3J/ #1J/ I169=0 #1J+");
  Cycles(c, 4000);
  EXPECT_EQ(StatusY(c, 1) & kFatal, kFatal);
  EXPECT_NE(StatusX(c, 3) & kOpenLoop, 0u);
  EXPECT_EQ(StatusY(c, 3) & kFatal, 0u);
  // PMAC places a motor's system in Y23 and Y20..22, and its amplifier in Y14.
  c.Respond("&2 #3->X #3J/");
  EXPECT_EQ(StatusY(c, 3) & 0xF04000, 0x904000u);
}

TEST(Jog, ToPositionRelativeAndBackToThePreJogPlace) {
  const Model& m = ModelFor(5);
  Controller c(5);
  c.Respond(kHalfMillisecondServo);
  ASSERT_EQ(c.Respond("#1J=5000"), "\x06");
  Cycles(c, 20);
  EXPECT_NE(StatusX(c, 1) & kMoveTimer, 0u);
  EXPECT_EQ(StatusX(c, 1) & kVelocityZero, 0u);
  double last = 0;
  bool monotonic = true;
  for (int i = 0; i < 4000; ++i) {
    Cycles(c, 1);
    double now = Counts(c, m.CommandedPosition(1));
    monotonic = monotonic && now >= last;
    last = now;
  }
  EXPECT_TRUE(monotonic);
  EXPECT_EQ(ReadD(c, m.CommandedPosition(1)), 5000 * 32 * 96);
  EXPECT_NEAR(Counts(c, m.ActualPosition(1)), 5000, 1);
  EXPECT_EQ(StatusX(c, 1) & (kMoveTimer | kVelocityZero), kVelocityZero);
  EXPECT_EQ(StatusY(c, 1) & kInPosition, kInPosition);

  c.Respond("#1J:-1000");  // from the commanded place
  Cycles(c, 4000);
  EXPECT_EQ(ReadD(c, m.CommandedPosition(1)), 4000 * 32 * 96);
  c.Respond("#1J=");  // back to where that jog began
  Cycles(c, 4000);
  EXPECT_EQ(ReadD(c, m.CommandedPosition(1)), 5000 * 32 * 96);
  // The variable-jog register holds the distance of J^*.
  c.Respond("M100->L:$D7 M100=-250 #1J^*");
  Cycles(c, 4000);
  EXPECT_NEAR(Counts(c, m.CommandedPosition(1)), 4750, 1);
  // J+ then J/ comes to rest.
  c.Respond("#1J+");
  Cycles(c, 200);
  c.Respond("#1J/");
  Cycles(c, 2000);
  EXPECT_NE(StatusX(c, 1) & kVelocityZero, 0u);
  EXPECT_EQ(c.Respond("#1J=x"), "\aERR003\r");
  EXPECT_EQ(c.Respond("#1J^"), "\aERR003\r");
}

// Turbo gather registers and status; the buffer read back in the workbench's order: word k of
// the buffer is the Y (k even) or X (k odd) word of address start + k/2.
struct Gathered {
  std::vector<std::uint32_t> words;
  std::uint32_t start = 0, pointer = 0;
};

Gathered ReadBuffer(Controller& c, const Model& m, std::uint32_t end) {
  Gathered g;
  g.start = c.ReadX(m.gatherRegisters) & 0xFFFFF;
  g.pointer = c.ReadY(m.gatherRegisters);
  for (std::uint32_t a = g.start; a < end; ++a) {
    g.words.push_back(c.ReadY(a));
    g.words.push_back(c.ReadX(a));
  }
  return g;
}

bool GatherBit(const Controller& c, const Model& m) {
  return (c.ReadX(m.globalStatus) & 0x80000) != 0;
}

TEST(Gather, AJogGathersCommandedAndActualPositionsAndOutput) {
  const Model& m = ModelFor(5);
  Controller c(5);
  c.Respond(kHalfMillisecondServo);
  // Commanded (D), actual (D), servo output (X): five words, padded to three addresses.
  ASSERT_EQ(c.Respond("I5001=$800088 I5002=$80008B I5003=$4000BF I5050=7 I5049=2"), "\x06");
  ASSERT_EQ(c.Respond("DEF GAT 300"), "\x06");
  c.Respond("#1J/ I122=64 I119=1 #1J=2000 GAT");
  EXPECT_TRUE(GatherBit(c, m));
  Cycles(c, 150);
  ASSERT_EQ(c.Respond("ENDG"), "\x06");
  EXPECT_FALSE(GatherBit(c, m));
  Gathered g = ReadBuffer(c, m, m.endOfUserMemory);
  ASSERT_EQ(g.pointer, g.start + 75 * 3);
  auto d = [&](std::size_t k) {
    std::int64_t raw = (static_cast<std::int64_t>(g.words[k + 1]) << 24) | g.words[k];
    return static_cast<double>(raw >= (std::int64_t{1} << 47) ? raw - (std::int64_t{1} << 48)
                                                              : raw) /
           kUnitsPerCount;
  };
  double lastCommanded = -1;
  for (std::size_t s = 0; s < 75; ++s) {
    const double commanded = d(s * 6), actual = d(s * 6 + 2);
    EXPECT_GE(commanded, lastCommanded) << s;
    EXPECT_NEAR(actual, commanded, 40) << s;  // the lag of a loop without acceleration feed-forward
    EXPECT_EQ(g.words[s * 6 + 5], 0u);        // padding
    lastCommanded = commanded;
  }
  EXPECT_GT(lastCommanded, 100);
  // The last sample is the state two cycles ago at most: positions match the registers.
  EXPECT_NEAR(d(74 * 6), Counts(c, m.CommandedPosition(1)), 2 * 64 * 0.5 + 1);
  // GAT goes on where the pointer stands.
  c.Respond("GATHER");
  Cycles(c, 2);
  c.Respond("END GAT");
  EXPECT_EQ(c.ReadY(m.gatherRegisters), g.start + 76 * 3);
}

TEST(Gather, StopsAtTheEndOrWrapsToTheStart) {
  for (int type : {2, 5}) {
    const Model& m = ModelFor(type);
    Controller c(type);
    c.Respond(kHalfMillisecondServo);
    const std::string setup = m.turbo ? "I5001=$8B I5050=1 I5049=1" : "I21=$2B I20=1 I19=1";
    c.Respond(setup + " DEF GAT 10 GAT");
    const std::uint32_t end = m.endOfUserMemory;
    EXPECT_EQ(c.ReadX(m.gatherRegisters), end - 10);
    Cycles(c, 9);
    EXPECT_TRUE(GatherBit(c, m)) << type;
    Cycles(c, 1);
    EXPECT_FALSE(GatherBit(c, m)) << type;
    EXPECT_EQ(c.ReadY(m.gatherRegisters), end);
    Cycles(c, 5);
    EXPECT_EQ(c.ReadY(m.gatherRegisters), end);

    // With wrap the last sample starts K addresses before the end (room for the largest
    // sample): a buffer of K + 10 addresses holds 11 one-address samples, then turns.
    const std::uint32_t reserve = m.turbo ? 47 : 23;
    const std::uint32_t start = end - reserve - 10;
    c.Respond(m.turbo ? "I5000=1" : "I45=1");
    c.Respond("DEF GAT " + std::to_string(reserve + 10) + " GAT");
    EXPECT_EQ(c.ReadX(m.gatherRegisters), start | 0x400000);
    Cycles(c, 10);
    EXPECT_EQ(c.ReadY(m.gatherRegisters), start + 10);
    Cycles(c, 1);
    EXPECT_EQ(c.ReadY(m.gatherRegisters), start);
    Cycles(c, 2);
    EXPECT_TRUE(GatherBit(c, m)) << type;
    EXPECT_EQ(c.ReadY(m.gatherRegisters), start + 2);
    c.Respond("ENDGATHER");
    // A wrapped buffer too small for the largest sample takes none.
    c.Respond("DEF GAT 10 GAT");
    Cycles(c, 1);
    EXPECT_FALSE(GatherBit(c, m)) << type;
  }
}

TEST(Gather, RefusesWhatCannotBeDone) {
  const Model& m = ModelFor(5);
  Controller c(5);
  const std::string err = "\aERR003\r";
  EXPECT_EQ(c.Respond("GAT"), err);  // no buffer
  c.Respond("I5001=$8B I5050=1 DEF GAT 100");
  EXPECT_EQ(c.Respond("GAT TRIG"), err);
  EXPECT_FALSE(GatherBit(c, m));
  ASSERT_EQ(c.Respond("GAT"), "\x06");
  EXPECT_EQ(c.Respond("DEF GAT 50"), err);
  EXPECT_EQ(c.Respond("DEL GAT"), err);
  c.Respond("ENDG");
  EXPECT_EQ(c.Respond("DEL GAT"), "\x06");
  c.Respond("I5000=2");
  EXPECT_EQ(c.Respond("DEF GAT"), err);
  EXPECT_FALSE(GatherBit(c, m));
  // A period of 0: one sample for each GATHER, and the bit stays clear.
  c.Respond("I5000=0 I5049=0 DEF GAT 100");
  const std::uint32_t start = c.ReadY(m.gatherRegisters);
  c.Respond("GAT GAT");
  EXPECT_FALSE(GatherBit(c, m));
  EXPECT_EQ(c.ReadY(m.gatherRegisters), start + 2);
}

}  // namespace
}  // namespace sim
