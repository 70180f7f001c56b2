// What configuration tools read and write: the encoder conversion table between encoders and
// servo loops, compiled-PLC memory, coordinate-system definitions, MACRO node variables, and
// variables read out and written back.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "sim/controller.h"

namespace sim {
namespace {

const std::string kAckText = "\x06";
const std::string kErr3 = "\aERR003\r";
constexpr std::chrono::nanoseconds kCycle{500000};

void Cycles(Controller& c, int n) { c.Advance(kCycle * n); }

std::vector<std::string> Lines(const std::string& reply) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t cr = reply.find('\r'); cr != std::string::npos; cr = reply.find('\r', start)) {
    lines.push_back(reply.substr(start, cr - start));
    start = cr + 1;
  }
  return lines;
}

// A half-millisecond servo period, so that whole cycles are whole nanoseconds.
void HalfMs(Controller& c) { c.Respond("I10=4194304"); }

// Puts motor m's killed load at `counts` (a write to its actual position moves it there), and
// lets the table see it.
void PlaceLoad(Controller& c, int m, double counts) {
  c.Respond("#" + std::to_string(m) + "K");
  c.Respond("M99->D:$" + std::string(m == 1 ? "8B" : "10B") +
            " M99=" + std::to_string(counts * 32 * 96));
  Cycles(c, 1);
}

TEST(EncoderTable, ResultsFollowTheEncoderWithOrWithoutTheFraction) {
  Controller c(5);
  HalfMs(c);
  PlaceLoad(c, 1, 10.5);
  // Counter register and result word: 1/32 count, the 1/T fraction with method $0.
  EXPECT_EQ(c.Respond("RX:$78001 RX:$3501 #1P"), "10\r336\r10.5\r" + kAckText);
  // Method $C drops the fraction; the motor then reads half a count less.
  c.Respond("I8000=$C78000");
  Cycles(c, 1);
  EXPECT_EQ(c.Respond("RX:$3501 #1P"), "320\r10\r" + kAckText);
  // Another method keeps its result word as written, so the motor reads no change.
  c.Respond("I8000=$178000 WX:$3501,5000");
  Cycles(c, 3);
  EXPECT_EQ(c.Respond("RX:$3501"), "5000\r" + kAckText);
  // A zero word ends the table: the entries after it are not processed.
  c.Respond("I8000=0");
  PlaceLoad(c, 2, 7);
  EXPECT_EQ(c.Respond("RX:$3502"), "0\r" + kAckText);
}

// Motor 2 (killed, so its own load stays put) reads through `setup`, then motor 1 moves to
// `target`: the two report the same position (to the count motor 1 may tick while motor 2
// takes up its new feedback), near the target, and encoder 2 has not counted.
void ExpectMotor2ReadsMotor1(Controller& c, const std::string& setup, double target,
                             const std::string& encoder2) {
  SCOPED_TRACE(setup);
  c.Respond("#1J/ #2K " + setup + " #1J=" + std::to_string(static_cast<int>(target)));
  Cycles(c, 1500);
  const std::vector<std::string> p = Lines(c.Respond("#1P #2P RX:" + encoder2));
  ASSERT_EQ(p.size(), 3u);
  EXPECT_NEAR(std::stod(p[0]), target, 0.05);
  EXPECT_NEAR(std::stod(p[1]), std::stod(p[0]), 1.0 / 32);
  EXPECT_EQ(p[2], "0");
}

TEST(EncoderTable, MotorsReadWhatTheirEntryAndIx03PointAt) {
  Controller c(5);
  HalfMs(c);
  // Ix03 at the entry of encoder 1.
  ExpectMotor2ReadsMotor1(c, "I203=$3501", 1000, "$78009");
  // Motor 2's own entry pointed at encoder 1.
  ExpectMotor2ReadsMotor1(c, "I203=$3502 I8001=$078000", 0, "$78009");
  // Non-Turbo: the table is Y:$720.., encoder k at $C000+4(k-1) on a PMAC1.
  Controller pmac(1);
  HalfMs(pmac);
  EXPECT_EQ(pmac.Respond("RHY:$720,2 I103 I203"), "00C000 00C004\r$000720\r$000721\r" + kAckText);
  ExpectMotor2ReadsMotor1(pmac, "WY:$721,$C000", -200, "$C005");
}

TEST(EncoderTable, ServoClosesTheLoopOnTheConvertedPositionWithIx08) {
  Controller c(2);
  HalfMs(c);
  // Another position scale leaves positions in counts as they were; the register scales.
  c.Respond("I108=48 #1J/ #1J=-750");
  Cycles(c, 1500);
  const std::vector<std::string> p = Lines(c.Respond("#1P RX:$C001 M99->D:$2B M99"));
  ASSERT_EQ(p.size(), 3u);
  EXPECT_NEAR(std::stod(p[0]), -750, 0.05);
  EXPECT_NEAR(std::stod(p[1]), -750, 1);
  EXPECT_NEAR(std::stod(p[2]) / (32 * 48), std::stod(p[0]), 1.0 / 32);
}

TEST(CompiledPlcs, TableWordsAreKeptAsWritten) {
  for (int type : {2, 5}) {
    SCOPED_TRACE(type);
    Controller c(type);
    const std::string base = type == 5 ? "$50000" : "$8000";
    const std::string start = type == 5 ? "$F50062" : "$F08062";
    c.Respond("WP:" + base + "," + start + ",0,0");
    const std::string end = type == 5 ? "327777" : "32865";  // word 97: the area's end
    const std::string before = c.Respond("RHP:" + base + ",8 RHP:" + end);
    // Program entry uses other memory: the compiled table is untouched by downloads.
    c.Respond("OPEN PLC 1 CLEAR P1=P1+1 CLOSE OPEN PROG 5 CLEAR X1000 CLOSE");
    c.Respond("OPEN PLC 1 CLEAR CLOSE");
    Cycles(c, 20);
    EXPECT_EQ(c.Respond("RHP:" + base + ",3"), start.substr(1) + " 000000 000000\r" + kAckText);
    EXPECT_EQ(c.Respond("RP:" + base),
              (type == 5 ? "-720798" : "-1015710") + std::string("\r") + kAckText);
    EXPECT_EQ(c.Respond("RHP:" + base + ",8 RHP:" + end), before);
  }
  EXPECT_EQ(Controller(5).Respond("DELETE PLCC 1"), kErr3);
}

TEST(CoordinateSystems, TheBackupsCountAndTheListingsSystemZero) {
  Controller c;
  EXPECT_EQ(c.Respond("I68 &3 #1->1000X &3 #1-> #2->"), "15\r1000X\r0\r" + kAckText);
  // There is no coordinate system 0: the rest of the line is not run.
  EXPECT_EQ(c.Respond("&0 #1->"), kErr3);
  EXPECT_EQ(c.Respond("&"), "3\r" + kAckText);
}

TEST(Macro, NodeVariablesAnswerTwelveHexDigitsAndKeepWhatIsWritten) {
  Controller c;
  EXPECT_EQ(c.Respond("MS0,MI2"), "$000000000000\r" + kAckText);
  c.Respond("MS0,MI2=$ABCD MS15,MI999=-1 MS1,MI910=$123456789ABC");
  EXPECT_EQ(c.Respond("MS0,MI2 ms15,mi999 MS1,MI910 MS1,MI2"),
            "$00000000ABCD\r$FFFFFFFFFFFF\r$123456789ABC\r$000000000000\r" + kAckText);
  // A backup line downloads again as it was written.
  c.Respond("MS4,MI911=$00000000ABCD");
  EXPECT_EQ(c.Respond("MS4,MI911"), "$00000000ABCD\r" + kAckText);
  for (const char* bad : {"MS16,MI2", "MS0,MI1000", "MS0,MX2", "MS0", "MS0,MI2=1.5",
                          "MS0,MI2=$1000000000000", "MS0,MI2=$", "MSR0,MI2"}) {
    EXPECT_EQ(c.Respond(bad), kErr3) << bad;
  }
  c.Respond("$$$***");
  EXPECT_EQ(c.Respond("MS0,MI2"), "$000000000000\r" + kAckText);
}

TEST(Variables, EveryRangeAnswersOneLineEach) {
  Controller c;
  for (const char* range : {"Q0..8191", "M0..8191", "M0..8191->"}) {
    EXPECT_EQ(Lines(c.Respond(range)).size(), 8192u) << range;
  }
  Controller pmac(1);
  EXPECT_EQ(Lines(pmac.Respond("M0..1023->")).size(), 1024u);
}

// Every I-variable written back as it was read gives the same reading, on every type.
TEST(Variables, IVariablesReadOutWriteBackUnchanged) {
  for (int type = 1; type <= 6; ++type) {
    SCOPED_TRACE(type);
    Controller c(type);
    c.Respond("I130=1234.5 I8005=$C78100 I9=2");
    const int last = type <= 3 ? 1023 : 8191;
    const std::vector<std::string> before = Lines(c.Respond("I0.." + std::to_string(last)));
    ASSERT_EQ(before.size(), static_cast<std::size_t>(last + 1));
    for (int n = 0; n <= last; ++n) {
      const std::string line = "I" + std::to_string(n) + "=" + before[static_cast<std::size_t>(n)];
      ASSERT_EQ(c.Respond(line), kAckText) << line;
    }
    EXPECT_EQ(Lines(c.Respond("I0.." + std::to_string(last))), before);
  }
}

}  // namespace
}  // namespace sim
