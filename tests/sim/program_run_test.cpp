// Programs the virtual controller runs: PLC scans, expressions, CMD, motion programs and their
// moves, the status bits they set and the errors of B, R, Q and A.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "sim/controller.h"
#include "sim/model.h"

namespace sim {
namespace {

constexpr std::chrono::nanoseconds kCycle{500000};  // I10=4194304: half a millisecond
constexpr double kUnitsPerCount = 32 * 96;

void Cycles(Controller& c, int n) { c.Advance(kCycle * n); }

Controller& Ready(Controller& c) {
  EXPECT_EQ(c.Respond("I10=4194304 I5=2"), "\x06");
  return c;
}

void Download(Controller& c, const std::string& open, std::initializer_list<const char*> lines) {
  ASSERT_EQ(c.Execute(open + " CLEAR").error, 0);
  for (const char* line : lines) ASSERT_EQ(c.Execute(line).error, 0) << line;
  ASSERT_EQ(c.Execute("CLOSE").error, 0);
}

double Value(Controller& c, const std::string& query) {
  const std::string reply = c.Respond(query);
  return std::stod(reply.substr(0, reply.find('\r')));
}

double Commanded(const Controller& c, int motor) {
  const std::uint32_t a = ModelFor(c.TypeCode()).CommandedPosition(motor);
  std::int64_t raw = (static_cast<std::int64_t>(c.ReadX(a)) << 24) | c.ReadY(a);
  if (raw >= (std::int64_t{1} << 47)) raw -= std::int64_t{1} << 48;
  return static_cast<double>(raw) / kUnitsPerCount;
}

std::uint32_t Word(const std::string& status, int index) {
  return static_cast<std::uint32_t>(std::stoul(status.substr(6 * index, 6), nullptr, 16));
}

constexpr std::uint32_t kMoveTimer = 0x020000, kDwell = 0x008000, kOpenLoop = 0x040000;
constexpr std::uint32_t kInPosition = 1;
constexpr std::uint32_t kSystemRunning = 0x1, kSystemInPosition = 0x20000;
constexpr std::uint32_t kRunTimeError = 0x400000, kGathering = 0x80000;

TEST(ProgramExpressions, OperatorsFunctionsAndVariables) {
  Controller c(5);
  Ready(c);
  Download(
      c, "OPEN PLC 1",
      {"P1=2+3*4", "P2=(2+3)*4", "P3=-2*-3-1", "P4=10%3", "P5=1/0+7", "P6=SIN(30)", "P7=ATAN2(1)",
       "P8=SQRT(-4)+LN(0)", "P9=INT(-2.5)", "P10=3 P(P10*10)=ABS(-9)", "P11=EXP(LN(5))",
       "Q1=COS(P6*0+60) M100->* M100=P1+1", "I15=1 P12=SIN(3.14159265358979/2) I15=0", "DIS PLC1"});
  c.Respond("Q0=1");
  Cycles(c, 2);
  EXPECT_EQ(Value(c, "P1"), 14);
  EXPECT_EQ(Value(c, "P2"), 20);
  EXPECT_EQ(Value(c, "P3"), 5);
  EXPECT_EQ(Value(c, "P4"), 1);
  EXPECT_EQ(Value(c, "P5"), 7);  // a division by zero gives 0, not a fault
  EXPECT_NEAR(Value(c, "P6"), 0.5, 1e-9);
  EXPECT_NEAR(Value(c, "P7"), 45, 1e-9);  // ATAN2 takes its cosine side from Q0, in degrees
  EXPECT_EQ(Value(c, "P8"), 0);           // no NaN or infinity reaches a variable
  EXPECT_EQ(Value(c, "P9"), -3);
  EXPECT_EQ(Value(c, "P30"), 9);
  EXPECT_NEAR(Value(c, "P11"), 5, 1e-9);
  EXPECT_NEAR(Value(c, "Q1"), 0.5, 1e-9);
  EXPECT_EQ(Value(c, "M100"), 15);
  EXPECT_NEAR(Value(c, "P12"), 1, 1e-9);  // radians with I15=1
  EXPECT_NE(c.Respond("LIST PLC 1").find("P(P10*10)=ABS(-9)"), std::string::npos);
}

TEST(ProgramExpressions, MVariableOnTheCommandedPositionMovesTheMotor) {
  Controller c(5);
  Ready(c);
  c.Respond("#1J/ M950->D:$88 P958=96");
  Download(c, "OPEN PLC 2", {"IF(P1=1)", "M950=M950+500*32*P958", "P1=2", "ENDIF"});
  c.Respond("P1=1");
  Cycles(c, 400);
  EXPECT_EQ(Value(c, "P1"), 2);
  EXPECT_NEAR(Commanded(c, 1), 500, 1e-6);
  EXPECT_NEAR(Value(c, "#1P"), 500, 2);
}

TEST(PlcScan, OnePassPerBackgroundCycleAndWhileEndsThePass) {
  Controller c(5);
  Ready(c);
  // Each pass goes round the WHILE once: P1 counts cycles until 5, then the rest runs.
  Download(c, "OPEN PLC 3",
           {"WHILE(P1<5)", "P1=P1+1", "ENDWHILE", "IF(P1=5 AND P2<1)", "P2=P2+1", "ELSE", "P3=P3+1",
            "ENDIF"});
  Cycles(c, 1);
  EXPECT_EQ(Value(c, "P1"), 1);
  Cycles(c, 3);
  EXPECT_EQ(Value(c, "P1"), 4);
  EXPECT_EQ(Value(c, "P2"), 0);
  Cycles(c, 2);  // the pass that makes P1 5 still ends at ENDWHILE; the next one goes through
  EXPECT_EQ(Value(c, "P2"), 1);
  Cycles(c, 3);
  EXPECT_EQ(Value(c, "P2"), 1);
  EXPECT_EQ(Value(c, "P3"), 3);

  // I5 gates the background PLCs; DIS stops one, ENA starts it again from the top.
  c.Respond("I5=0 P3=0");
  Cycles(c, 5);
  EXPECT_EQ(Value(c, "P3"), 0);
  c.Respond("I5=1");  // foreground only: PLC 0
  Cycles(c, 5);
  EXPECT_EQ(Value(c, "P3"), 0);
  c.Respond("I5=3 DIS PLC 3");
  Cycles(c, 5);
  EXPECT_EQ(Value(c, "P3"), 0);
  c.Respond("P1=0 ENAPLC3");
  Cycles(c, 1);
  EXPECT_EQ(Value(c, "P1"), 1);
  // PLC 0 runs in the foreground every I8+1 cycles when I5 is 1 or 3.
  Download(c, "OPEN PLC 0", {"P20=P20+1"});
  c.Respond("I8=4 P20=0");
  Cycles(c, 50);
  EXPECT_NEAR(Value(c, "P20"), 10, 1);
  // An open PLC does not run.
  c.Respond("OPEN PLC 0");
  const double counted = Value(c, "P20");
  Cycles(c, 50);
  EXPECT_EQ(Value(c, "P20"), counted);
  c.Respond("CLOSE");
}

TEST(PlcScan, EndlessLoopsAndHugeNumbersNeverHoldTheController) {
  Controller c(5);
  Ready(c);
  Download(c, "OPEN PLC 1", {"WHILE(1=1)", "P1=P1*1E300+1E300", "ENDWHILE"});
  Download(c, "OPEN PROG 1", {"WHILE(1=1)", "P2=P2+1", "ENDWHILE"});
  c.Respond("#1J/ &1 #1->X B1R");
  Cycles(c, 1000);
  EXPECT_TRUE(std::isfinite(Value(c, "P1")));  // an overflow gives 0 rather than infinity
  EXPECT_GT(Value(c, "P2"), 1000);
  EXPECT_EQ(c.Respond("P3=1"), "\x06");  // still answering
}

TEST(ProgramCommand, RunsOnTheControllersOwnInterpreterAndItsReplyGoesNowhere) {
  Controller c(5);
  Ready(c);
  c.Respond("#2J/");
  Download(c, "OPEN PLC 4",
           {"CMD\"P100=5 P100 NONSENSE P101=1\"", "CMD\"#2J=100\"", "CMD\"J=50\"", "DIS PLC4"});
  c.Respond("#3");
  Cycles(c, 1);
  EXPECT_EQ(Value(c, "P100"), 5);
  EXPECT_EQ(Value(c, "P101"), 0);  // the failing command ended that line, as typed
  // The host's addressing is its own; the program's #2 and its default #1 stayed inside.
  EXPECT_EQ(c.Respond("#"), "3\r\x06");
  EXPECT_EQ(c.Respond("P1=1"), "\x06");  // no leftover reply or error in the host's stream
  Cycles(c, 800);
  EXPECT_NEAR(Commanded(c, 2), 100, 1e-6);
  EXPECT_NEAR(Commanded(c, 1), 50, 1e-6);

  // While the host downloads, a program's CMD does not write into the host's buffer.
  Download(c, "OPEN PLC 5", {"CMD\"P102=7\""});
  c.Respond("OPEN PROG 7 CLEAR X10");
  Cycles(c, 3);
  c.Respond("CLOSE DIS PLC 5");
  EXPECT_EQ(c.Respond("LIST PROG 7"), "X10\rRETURN\r\x06");
  EXPECT_EQ(Value(c, "P102"), 7);

  // CMD^K kills every motor.
  Download(c, "OPEN PLC 6", {"CMD^K", "DIS PLC6"});
  Cycles(c, 2);
  EXPECT_NE(Word(c.Respond("#2?"), 0) & kOpenLoop, 0u);
}

TEST(MotionProgram, MoveTimingOnTheServoClockAndDwellWaits) {
  Controller c(5);
  Ready(c);
  c.Respond("#1J/ &1 #1->1000X");
  EXPECT_EQ(c.Respond("#1->"), "1000X\r\x06");
  Download(c, "OPEN PROG 1", {"LINEAR ABS TA100 TS0 TM500", "X1", "DWELL 200", "X0"});
  ASSERT_EQ(c.Execute("B1R").error, 0);
  // A move of TM 500 ms from rest with TA 100 lasts TM + TA: 600 ms, its middle at 300 ms.
  Cycles(c, 600);
  EXPECT_NEAR(Commanded(c, 1), 500, 2);
  EXPECT_NE(Word(c.Respond("#1?"), 0) & kMoveTimer, 0u);
  EXPECT_NE(Word(c.Respond("??"), 0) & kSystemRunning, 0u);
  Cycles(c, 590);
  EXPECT_LT(Commanded(c, 1), 1000);
  EXPECT_GT(Commanded(c, 1), 999);
  Cycles(c, 11);
  EXPECT_EQ(Commanded(c, 1), 1000);
  // DWELL holds 200 ms from there, with the dwell bit.
  Cycles(c, 380);
  EXPECT_EQ(Commanded(c, 1), 1000);
  EXPECT_NE(Word(c.Respond("#1?"), 0) & kDwell, 0u);
  Cycles(c, 30);
  EXPECT_LT(Commanded(c, 1), 1000);
  EXPECT_EQ(Word(c.Respond("#1?"), 0) & kDwell, 0u);
  // The program ends when the last move has: the running bits clear, the motor settles.
  Cycles(c, 1400);
  EXPECT_EQ(Commanded(c, 1), 0);
  EXPECT_EQ(Word(c.Respond("#1?"), 0) & kMoveTimer, 0u);
  EXPECT_EQ(Word(c.Respond("??"), 0) & kSystemRunning, 0u);
  EXPECT_NE(Word(c.Respond("#1?"), 1) & kInPosition, 0u);
  EXPECT_NE(Word(c.Respond("??"), 1) & kSystemInPosition, 0u);
  // Reading the defaults gives the last TA and TM run.
  EXPECT_EQ(Value(c, "I5187"), 100);
  EXPECT_EQ(Value(c, "I5189"), 500);
}

TEST(MotionProgram, FeedrateIncrementalSubroutinesAndShortMovesInARow) {
  Controller c(2);  // a PMAC: Ix87..Ix90 of the system
  Ready(c);
  c.Respond("#1J/ #2J/ &2 #1->X #2->Y");
  // F 10 units per second over a 3-4-5 move: 500 ms; TA and TS from I287 / I288.
  Download(c, "OPEN PROG 3",
           {"INC F10", "X3 Y4", "GOSUB 100", "RETURN", "N100 TM1 TA0 TS0", "P1=0", "WHILE(P1<100)",
            "X(SIN(P1*3.6)) P1=P1+1", "ENDWHILE", "RETURN"});
  EXPECT_EQ(Value(c, "I288"), 50);
  c.Respond("I288=0 I287=20");
  ASSERT_EQ(c.Execute("&2B3R").error, 0);
  Cycles(c, 1000);
  EXPECT_NEAR(Commanded(c, 1), 3, 0.1);  // within the last acceleration
  EXPECT_NEAR(Commanded(c, 2), 4, 0.1);
  // Then 100 moves of 1 ms each adding up a sine period: the path goes through them without a
  // jump, also while the window shrinks from TA 20 to the shortest.
  double largestStep = 0, previous = Commanded(c, 1), high = 0;
  for (int i = 0; i < 300; ++i) {
    Cycles(c, 1);
    largestStep = std::max(largestStep, std::fabs(Commanded(c, 1) - previous));
    previous = Commanded(c, 1);
    high = std::max(high, previous - 3);
  }
  EXPECT_EQ(Value(c, "P1"), 100);
  EXPECT_LT(largestStep, 0.75);  // a 1 ms move of at most 1 is two cycles
  EXPECT_GT(high, 25);           // the sum of half a sine period of steps: about 31.8
  EXPECT_NEAR(Commanded(c, 1), 3, 1e-6);
  EXPECT_NEAR(Commanded(c, 2), 4, 1e-6);
  EXPECT_EQ(Word(c.Respond("&2??"), 0) & kSystemRunning, 0u);
}

TEST(MotionProgram, BRQAndAErrorsAndStops) {
  Controller c(5);
  Ready(c);
  Download(c, "OPEN PROG 2", {"TM200 TA10 TS0", "X100", "X200", "X300"});
  EXPECT_EQ(c.Execute("&1R").error, 15);          // not pointed
  EXPECT_EQ(c.Execute("B9R").error, 15);          // no such program
  EXPECT_EQ(c.Execute("B2R").error, 14);          // no motors
  EXPECT_EQ(c.Execute("#1->X #1K R").error, 12);  // a killed motor
  EXPECT_EQ(c.Execute("&0").error, 3);
  EXPECT_EQ(c.Respond("&"), "1\r\x06");
  c.Respond("#1J/ OPEN PROG 2");
  EXPECT_EQ(c.Execute("R").error, 15);  // a motion buffer is open
  c.Respond("CLOSE");
  EXPECT_EQ(c.Execute("R").error, 15);  // opening a program needs B again
  ASSERT_EQ(c.Execute("B2R").error, 0);
  Cycles(c, 2);
  EXPECT_EQ(c.Execute("R").error, 1);
  EXPECT_EQ(c.Execute("B2").error, 1);
  EXPECT_EQ(c.Execute("OPEN PROG 3").error, 1);
  EXPECT_EQ(c.Execute("UNDEFINE ALL").error, 1);
  EXPECT_EQ(c.Execute("#2->Y").error, 1);
  EXPECT_EQ(c.Execute("#1J+").error, 1);
  // Q: the move under way ends, the program stops there; R goes on with the next one.
  c.Respond("Q");
  Cycles(c, 1000);
  EXPECT_NEAR(Commanded(c, 1), 100, 1e-6);
  EXPECT_EQ(Word(c.Respond("??"), 0) & kSystemRunning, 0u);
  ASSERT_EQ(c.Execute("R").error, 0);
  Cycles(c, 300);
  EXPECT_GT(Commanded(c, 1), 150);
  // A: stops at once, decelerating at Ix15; the loop stays closed.
  c.Respond("A");
  const double atAbort = Commanded(c, 1);
  Cycles(c, 400);
  EXPECT_EQ(Word(c.Respond("??"), 0) & kSystemRunning, 0u);
  EXPECT_LT(Commanded(c, 1), 300);
  EXPECT_GE(Commanded(c, 1), atAbort);
  EXPECT_EQ(Word(c.Respond("#1?"), 0) & kOpenLoop, 0u);
  // A killed motor stops the program of its system; ^A closes its loop.
  ASSERT_EQ(c.Execute("B2R").error, 0);
  Cycles(c, 10);
  c.Respond("#1K");
  Cycles(c, 2);
  EXPECT_EQ(Word(c.Respond("??"), 0) & kSystemRunning, 0u);
  c.RespondControl(1);
  EXPECT_EQ(Word(c.Respond("#1?"), 0) & kOpenLoop, 0u);
  // A missing label is a run-time error in the system status.
  Download(c, "OPEN PROG 4", {"GOTO 7"});
  ASSERT_EQ(c.Execute("B4R").error, 0);
  Cycles(c, 2);
  EXPECT_NE(Word(c.Respond("??"), 1) & kRunTimeError, 0u);
  c.Respond("UNDEFINE");
  EXPECT_EQ(c.Respond("#1->"), "0\r\x06");
}

TEST(ProgramCommand, AResetFromAProgramEndsItsWorkThere) {
  Controller c(5);
  Ready(c);
  c.Respond("#1J/ &1 #1->X");
  Download(c, "OPEN PROG 1", {"TM10", "X10", "CMD\"$$$***\"", "P1=1", "X20"});
  Download(c, "OPEN PLC 1", {"P3=1"});
  ASSERT_EQ(c.Execute("DIS PLC 1 B1R").error, 0);
  Cycles(c, 1000);
  // The program reset the controller: factory defaults, no programs, nothing left running.
  EXPECT_EQ(Value(c, "P1"), 0);
  EXPECT_EQ(Value(c, "P3"), 0);
  EXPECT_EQ(Value(c, "I10"), 3713707);
  EXPECT_EQ(c.Execute("LIST PLC 1").error, 3);
  EXPECT_EQ(Word(c.Respond("??"), 0) & kSystemRunning, 0u);
  // A plain reset from a PLC stops the motion programs and sends the PLC back to its top.
  Ready(c);
  c.Respond("#1J/ &1 #1->X P2=0");
  Download(c, "OPEN PROG 2", {"TM1000", "X1000"});
  Download(c, "OPEN PLC 1", {"P2=P2+1", "IF(P2>3)", "CMD\"$$$\"", "P3=1", "ENDIF"});
  ASSERT_EQ(c.Execute("B2R").error, 0);
  Cycles(c, 10);
  EXPECT_EQ(Value(c, "P3"), 0);
  EXPECT_EQ(Word(c.Respond("??"), 0) & kSystemRunning, 0u);
  EXPECT_EQ(c.Respond("ENA PLC 1 DIS PLC 1 P2"), "10\r\x06");
}

// What the workbench's test moves need: PLC 31 starts gathering before it answers P950=2 and
// steps the motor through M950; program 999 in &8 moves, answers, and ends gathering after.
TEST(TestMoveHandshake, GatheringRunsFromTheAnswerToTheEndOfTheMove) {
  Controller c(5);
  Ready(c);
  Download(c, "OPEN PROG 999",
           {"IF(P950=1)", "CMD\"GAT\"", "P950=2", "INC TA(P954/P955) TS0 F(P954)", "X(P952)",
            "DWELL(P953)", "CMD\"ENDGAT\"", "ENDIF"});
  Download(c, "OPEN PLC 31",
           {"IF(P950=1)", "CMD\"GAT\"", "P950=2", "P960=M951", "M950=M950+P952*32*P958", "ENDIF",
            "IF(P950=2 AND M951-P960>P953*2)", "CMD\"ENDGAT\"", "P950=3", "DIS PLC31", "ENDIF"});
  c.Respond("DIS PLC31 #1J/ I5001=$800088 I5050=1 I5049=1 DEF GAT");
  c.Respond("P950=1 P951=1 P952=500 P953=100 P958=96 M950->D:$88 M951->X:$0,24");
  c.Respond("ENA PLC31");
  for (int i = 0; i < 10 && Value(c, "P950") != 2; ++i) Cycles(c, 1);
  ASSERT_EQ(Value(c, "P950"), 2);
  EXPECT_NE(c.ReadX(6) & kGathering, 0u);  // on before the answer could be read
  Cycles(c, 100);
  EXPECT_NE(c.ReadX(6) & kGathering, 0u);
  Cycles(c, 120);
  EXPECT_EQ(c.ReadX(6) & kGathering, 0u);
  EXPECT_EQ(Value(c, "P950"), 3);
  EXPECT_NEAR(Commanded(c, 1), 500, 1e-6);

  // Program 999 in &8: a constant-velocity move gathered from start to end.
  c.Respond("DEF GAT");  // storing starts again at the start
  c.Respond("P950=1 P952=1000 P953=50 P954=10 P955=1 I5890=1");  // counts per ms
  ASSERT_EQ(c.Execute("&8 UNDEFINE ALL #1->X &8 B999R").error, 0);
  Cycles(c, 2);
  EXPECT_EQ(Value(c, "P950"), 2);
  EXPECT_NE(c.ReadX(6) & kGathering, 0u);
  EXPECT_NE(Word(c.Respond("&8??"), 0) & kSystemRunning, 0u);
  // 1000 counts at 10 counts/ms: 100 ms plus 10 ms of acceleration, then the 50 ms dwell.
  Cycles(c, 2 * 150);
  EXPECT_NE(c.ReadX(6) & kGathering, 0u);
  Cycles(c, 2 * 20);
  EXPECT_EQ(c.ReadX(6) & kGathering, 0u);
  EXPECT_NEAR(Commanded(c, 1), 1500, 1e-6);
  // The last sample holds the end of the move.
  const std::uint32_t pointer = c.ReadY(0x3120);
  std::int64_t last =
      (static_cast<std::int64_t>(c.ReadX(pointer - 1)) << 24) | c.ReadY(pointer - 1);
  EXPECT_EQ(static_cast<double>(last) / kUnitsPerCount, 1500);
}

}  // namespace
}  // namespace sim
