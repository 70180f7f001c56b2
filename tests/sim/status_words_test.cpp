// The global, motor and coordinate-system status words as a diagnostic panel reads them: from
// memory with RHX:/RHY:, while a motor is jogged, stopped, aborted, killed, enabled again, runs
// a program and is killed by its following error.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "sim/controller.h"
#include "sim/model.h"

namespace sim {
namespace {

constexpr std::chrono::nanoseconds kCycle{500000};  // with I10=4194304

void Cycles(Controller& c, int n) { c.Advance(kCycle * n); }

struct Words {
  std::uint32_t x = 0, y = 0;
};

// "RHX:a RHY:a" answers two lines of six hexadecimal digits.
Words Read(Controller& c, std::uint32_t xAddress, std::uint32_t yAddress) {
  const std::string reply =
      c.Respond("RHX:" + std::to_string(xAddress) + " RHY:" + std::to_string(yAddress));
  EXPECT_EQ(reply.size(), 15u) << reply;
  if (reply.size() != 15) return {};
  return {static_cast<std::uint32_t>(std::stoul(reply.substr(0, 6), nullptr, 16)),
          static_cast<std::uint32_t>(std::stoul(reply.substr(7, 6), nullptr, 16))};
}

// Motor X bits.
constexpr std::uint32_t kActivated = 0x800000, kOpenLoop = 0x040000, kMoveTimer = 0x020000,
                        kDwell = 0x008000, kVelocityZero = 0x002000, kAbortDeceleration = 0x001000,
                        kX19 = 0x080000;
// Motor Y bits.
constexpr std::uint32_t kInPosition = 0x1, kWarningFe = 0x2, kFatalFe = 0x4,
                        kTurboForegroundInPosition = 0x2000, kPmacAmplifier = 0x4000;
// Coordinate system: word 1 X0 running; word 2 Y19 fatal, Y18 warning, Y17 in position.
constexpr std::uint32_t kRunning = 0x1, kSystemFatal = 0x80000, kSystemWarning = 0x40000,
                        kSystemInPosition = 0x20000;
// Global X: X20 servo error, X21 servo active (never seen between servo cycles).
constexpr std::uint32_t kServoErrorOrActive = 0x300000;

class StatusWordsInMemory : public testing::TestWithParam<int> {
 protected:
  StatusWordsInMemory() : model_(ModelFor(GetParam())), c_(GetParam()) {
    c_.Respond("I10=4194304 &1 #1->X");
  }
  Words Motor() { return Read(c_, model_.MotorStatusX(1), model_.MotorStatusY(1)); }
  // Word 1 (X) and word 2 (Y) of coordinate system 1.
  Words System() { return model_.turbo ? Read(c_, 0x2040, 0x203F) : Read(c_, 0x818, 0x817); }
  Words Global() { return Read(c_, model_.globalStatus, model_.globalStatus); }
  bool AmplifierEnabled() {
    const Words w = Motor();
    return model_.turbo ? (w.x & kX19) != 0 : (w.y & kPmacAmplifier) != 0;
  }
  // Memory says what the ? and ?? commands report.
  void ExpectSameAsQueries() {
    char text[32];
    const Words m = Motor();
    std::snprintf(text, sizeof text, "%06X%06X\r\x06", m.x, m.y);
    EXPECT_EQ(c_.Respond("#1?"), text);
    const Words s = System();
    std::snprintf(text, sizeof text, "%06X%06X", s.x, s.y);
    EXPECT_EQ(c_.Respond("&1??").substr(0, 12), text);
  }

  const Model& model_;
  Controller c_;
};

TEST_P(StatusWordsInMemory, FollowJogStopKillEnableAProgramAndAFollowingErrorFault) {
  Cycles(c_, 2);
  Words m = Motor();
  EXPECT_EQ(m.x & (kActivated | kOpenLoop | kVelocityZero), kActivated | kOpenLoop);
  EXPECT_FALSE(AmplifierEnabled());
  EXPECT_EQ(Global().x & kServoErrorOrActive, 0u);
  EXPECT_EQ(System().y & kSystemInPosition, 0u);  // a killed motor is not in position
  ExpectSameAsQueries();

  // Enabled and holding: loop closed, amplifier on, desired velocity zero, then in position.
  c_.Respond("#1J/");
  Cycles(c_, 20);
  m = Motor();
  EXPECT_EQ(m.x & (kOpenLoop | kVelocityZero), kVelocityZero);
  EXPECT_TRUE(AmplifierEnabled());
  EXPECT_NE(m.y & kInPosition, 0u);
  if (model_.turbo) {
    EXPECT_NE(m.y & kTurboForegroundInPosition, 0u);
  }
  EXPECT_NE(System().y & kSystemInPosition, 0u);

  // Jogging: moving, so neither velocity zero nor in position, for the motor or its system.
  c_.Respond("#1J+");
  Cycles(c_, 50);
  m = Motor();
  EXPECT_EQ(m.x & (kVelocityZero | kAbortDeceleration | kMoveTimer), 0u);
  EXPECT_EQ(m.y & kInPosition, 0u);
  EXPECT_EQ(System().y & kSystemInPosition, 0u);
  ExpectSameAsQueries();
  // J/ stops it (not an abort), and it comes to rest in position.
  c_.Respond("#1J/");
  Cycles(c_, 1);
  EXPECT_EQ(Motor().x & (kVelocityZero | kAbortDeceleration), 0u);
  Cycles(c_, 3000);
  EXPECT_NE(Motor().x & kVelocityZero, 0u);
  EXPECT_NE(Motor().y & kInPosition, 0u);

  // An abort decelerates with X12 set, which clears once the motor stands.
  c_.Respond("#1J-");
  Cycles(c_, 50);
  c_.Respond("I115=0.001 &1A");  // a gentle stop: it lasts many cycles
  Cycles(c_, 1);
  EXPECT_NE(Motor().x & kAbortDeceleration, 0u);
  Cycles(c_, 3000);
  m = Motor();
  EXPECT_EQ(m.x & (kAbortDeceleration | kVelocityZero), kVelocityZero);

  // A jog to a position runs the move timer.
  c_.Respond("#1J=");
  Cycles(c_, 5);
  EXPECT_NE(Motor().x & kMoveTimer, 0u);
  Cycles(c_, 3000);
  EXPECT_EQ(Motor().x & kMoveTimer, 0u);

  // Killed: loop open, amplifier off, not in position; J/ enables it again.
  c_.Respond("#1K");
  Cycles(c_, 1);
  m = Motor();
  EXPECT_EQ(m.x & (kOpenLoop | kVelocityZero), kOpenLoop);
  EXPECT_EQ(m.y & kInPosition, 0u);
  EXPECT_FALSE(AmplifierEnabled());
  EXPECT_EQ(System().y & kSystemInPosition, 0u);
  ExpectSameAsQueries();
  c_.RespondControl(11);  // ^K
  c_.Respond("#1J/");
  Cycles(c_, 20);
  EXPECT_EQ(Motor().x & kOpenLoop, 0u);
  EXPECT_TRUE(AmplifierEnabled());
  EXPECT_NE(System().y & kSystemInPosition, 0u);

  // A program: running in the system word, the move timer and the dwell in the motor's; at its
  // end both clear and the system is in position again.
  for (const char* line :
       {"OPEN PROG 1 CLEAR", "LINEAR INC TA10 TS0 TM100", "X100", "DWELL 50", "X-100", "CLOSE"}) {
    ASSERT_EQ(c_.Respond(line), "\x06") << line;
  }
  ASSERT_EQ(c_.Respond("&1B1R"), "\x06");
  Cycles(c_, 20);
  EXPECT_NE(System().x & kRunning, 0u);
  EXPECT_NE(Motor().x & kMoveTimer, 0u);
  EXPECT_EQ(System().y & kSystemInPosition, 0u);
  ExpectSameAsQueries();
  Cycles(c_, 240);
  EXPECT_NE(Motor().x & kDwell, 0u);
  Cycles(c_, 1000);
  EXPECT_EQ(System().x & kRunning, 0u);
  EXPECT_EQ(Motor().x & (kMoveTimer | kDwell), 0u);
  EXPECT_NE(System().y & kSystemInPosition, 0u);

  // A following-error fault stops the program it interrupts: killed, fatal and warning in the
  // motor's word and ORed into the system's; J/ clears them.
  for (const char* line :
       {"OPEN PROG 2 CLEAR", "LINEAR INC TA10 TS0 TM10000", "X100000", "CLOSE"}) {
    ASSERT_EQ(c_.Respond(line), "\x06") << line;
  }
  c_.Respond("I169=0 &1B2R");  // no output reaches the load: it cannot follow
  Cycles(c_, 1000);
  m = Motor();
  EXPECT_EQ(m.y & (kWarningFe | kFatalFe), kWarningFe | kFatalFe);
  EXPECT_NE(m.x & kOpenLoop, 0u);
  EXPECT_FALSE(AmplifierEnabled());
  Words s = System();
  EXPECT_EQ(s.x & kRunning, 0u);
  EXPECT_EQ(s.y & (kSystemFatal | kSystemWarning), kSystemFatal | kSystemWarning);
  ExpectSameAsQueries();
  c_.Respond("I169=20480 #1J/");
  Cycles(c_, 20);
  EXPECT_EQ(Motor().y & (kWarningFe | kFatalFe), 0u);
  EXPECT_EQ(System().y & (kSystemFatal | kSystemWarning), 0u);
  EXPECT_EQ(Global().x & kServoErrorOrActive, 0u);

  // X19: Turbo's amplifier-enabled bit; PMAC's phased-motor bit follows Ix01.
  c_.Respond("I101=1");
  Cycles(c_, 1);
  EXPECT_NE(Motor().x & kX19, 0u);
  if (!model_.turbo) {
    c_.Respond("I101=0");
    Cycles(c_, 1);
    EXPECT_EQ(Motor().x & kX19, 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(NonTurbo, StatusWordsInMemory, testing::Values(1, 2, 3));
INSTANTIATE_TEST_SUITE_P(Turbo, StatusWordsInMemory, testing::Values(4, 5, 6));

}  // namespace
}  // namespace sim
