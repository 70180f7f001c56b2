// Program buffers: what is stored and listed, the errors and what they leave behind, and the
// directory, PLC table and gather registers in memory.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/command_interpreter.h"
#include "sim/controller.h"
#include "sim/machine.h"
#include "sim/model.h"

namespace sim {
namespace {

const std::string kAckText = "\x06";

std::string Err(int n) { return "\aERR00" + std::to_string(n) + "\r"; }

std::vector<std::string> SplitLines(const std::string& reply) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : reply) {
    if (c == '\r') {
      lines.push_back(line);
      line.clear();
    } else if (c != '\x06') {
      line += c;
    }
  }
  return lines;
}

// OPEN name CLEAR, the lines, CLOSE: the first error met (0 when none).
int Download(Controller& c, const std::string& name, const std::vector<std::string>& lines) {
  int first = c.Execute("OPEN " + name + " CLEAR").error;
  for (const std::string& line : lines) {
    int error = c.Execute(line).error;
    if (first == 0) first = error;
  }
  int close = c.Execute("CLOSE").error;
  return first != 0 ? first : close;
}

// The words the workbench reads: program directory (Y and X) and PLC table, word before
// included.
std::vector<std::uint32_t> TableWords(Controller& c, const Model& m) {
  std::vector<std::uint32_t> words;
  for (std::uint32_t k = 0; k < 256; ++k) {
    words.push_back(c.ReadY(m.programDirectory + k));
    words.push_back(c.ReadX(m.programDirectory + k));
  }
  for (std::uint32_t i = 0; i <= 32; ++i) words.push_back(c.ReadY(m.plcTable - 1 + i));
  return words;
}

TEST(ProgramListing, PlcStatementsListInOneFormThatReadsBackUnchanged) {
  Controller c;
  ASSERT_EQ(
      Download(c, "PLC 3",
               {"if (p1 > 0 and p2<$10) p2 = p2 + 1.50 ; a comment", "ELSE CMD\"#1j/\" cmd^k",
                "ENDI", "WHILE(M1 !< 3)AND(P5=1) ENA PLC 1..3,5 dis plc4 END WHILE", "342 -5",
                "P(P1+3) = SIN(P2)*ATAN2(P3)/2%3 I130=-(1e3)", "command \"P1=1 ; kept\" ENDIF"}),
      9);  // the last ENDIF has no IF
  const std::string listing = c.Respond("LIST PLC 3");
  EXPECT_EQ(listing,
            "IF(P1>0 AND P2<16)\rP2=P2+1.5\rELSE\rCMD\"#1j/\"\rCMD^K\rENDIF\r"
            "WHILE(M1!<3)AND(P5=1)\rENABLE PLC1..3,5\rDISABLE PLC4\rENDWHILE\r342\r-5\r"
            "P(P1+3)=SIN(P2)*ATAN2(P3)/2%3\rI130=-(1000)\rCMD\"P1=1 ; kept\"\r" +
                kAckText);

  const Model& m = ModelFor(5);
  const std::vector<std::uint32_t> tables = TableWords(c, m);
  ASSERT_EQ(Download(c, "PLC 3", SplitLines(listing)), 0);
  EXPECT_EQ(c.Respond("LIST PLC3"), listing);
  EXPECT_EQ(TableWords(c, m), tables);
  // Short and long spellings, with and without blanks.
  EXPECT_EQ(c.Respond("listplc3"), listing);
  EXPECT_EQ(c.Respond("LIST PROGRAM 3"), Err(3));
}

TEST(ProgramListing, MotionStatementsAndOneClosingReturn) {
  Controller c(2);
  ASSERT_EQ(Download(c, "PROG 5",
                     {"ABS LIN TA100 TS(P1) F50", "X1000 y(p1) z-5.5 a+2",
                      "DWELL 100 DELAY(P2) N10 O20 GOTO10 GOSUB 20 CALL7.5 M5",
                      "inc(x, y) rapid TM1E3 X$FF"}),
            0);
  const std::string listing = c.Respond("LIST PROG 5");
  EXPECT_EQ(listing,
            "ABS\rLINEAR\rTA100\rTS(P1)\rF50\rX1000 Y(P1)Z-5.5 A2\rDWELL100\rDELAY(P2)\rN10\rO20\r"
            "GOTO10\rGOSUB20\rCALL7.5\rM5\rINC(X,Y)\rRAPID\rTM1000\rX255\rRETURN\r" +
                kAckText);
  // The listing downloaded again: no second RETURN, the same directory.
  const std::vector<std::uint32_t> tables = TableWords(c, ModelFor(2));
  ASSERT_EQ(Download(c, "PROGRAM5", SplitLines(listing)), 0);
  EXPECT_EQ(c.Respond("LIST PROG5"), listing);
  EXPECT_EQ(TableWords(c, ModelFor(2)), tables);
  // Opening without CLEAR adds after what is there; CLOSE ends it with a RETURN again.
  c.Respond("OPEN PROG 5 X1 CLOSE");
  EXPECT_EQ(SplitLines(c.Respond("LIST PROG 5")).size(), 21u);
  EXPECT_EQ(SplitLines(c.Respond("LIST PROG 5")).back(), "RETURN");
  // An empty motion program is a RETURN; an emptied PLC is gone.
  EXPECT_EQ(c.Respond("OPEN PROG 6 CLOSE LIST PROG 6"), "RETURN\r" + kAckText);
  EXPECT_EQ(c.Respond("OPEN PLC 0 P1=1 CLOSE OPEN PLC 0 CLEAR CLOSE LIST PLC 0"), Err(3));
}

TEST(ProgramListing, ConstantsAreStoredAsTheirListedText) {
  Controller c;
  ASSERT_EQ(Download(c, "PLC 1",
                     {"P1=1234567890123.5", "P2=$FFFFFF", "P3=1e20", "P4=.5", "P5=0.333333333333",
                      "P6=1E-5"}),
            0);
  const std::string listing = c.Respond("LIST PLC 1");
  EXPECT_EQ(
      listing,
      "P1=1234567890000\rP2=16777215\rP3=1E+20\rP4=0.5\rP5=0.3333333333\rP6=1E-05\r" + kAckText);
  ASSERT_EQ(Download(c, "PLC 1", SplitLines(listing)), 0);
  EXPECT_EQ(c.Respond("LIST PLC 1"), listing);
  // A constant whose ten-digit text would not read back is refused.
  EXPECT_EQ(c.Respond("OPEN PLC 1 P1=1.7976931348623157e308"), Err(3));
  // A statement listing longer than a listing line may be is refused.
  std::string longLine = "P1=1E14";
  while (longLine.size() < 240) longLine += "+1E14";
  EXPECT_EQ(c.Respond(longLine), Err(3));
  EXPECT_EQ(c.Respond("CLOSE LIST PLC 1"), listing);
}

TEST(ProgramBuffersOnline, ReportsAndAddressingAnswerAtOnceWhileABufferIsOpen) {
  Controller c;
  c.Respond("P1=7");
  EXPECT_EQ(c.Respond("OPEN PLC 2 CLEAR P1 I130 #3 # P1..2 M1-> RY:$3100 P2=P1"),
            "7\r2000\r3\r7\r0\r*\r40960\r" + kAckText);
  EXPECT_EQ(c.Respond("\x10").back(), '\x06');  // a control character answers its report
  EXPECT_EQ(c.Respond("LIST PLC 2"), "P2=P1\r" + kAckText);
  // Storing does not run anything: P2 is still 0.
  EXPECT_EQ(c.Respond("CLOSE P2"), "0\r" + kAckText);
  // In a motion buffer a lone M{n} is an M-code call; in a PLC it is a value report.
  EXPECT_EQ(c.Respond("OPEN PROG 1 CLEAR M5 CLOSE OPEN PLC 4 CLEAR M5 CLOSE"), "0\r" + kAckText);
  EXPECT_EQ(c.Respond("LIST PROG 1"), "M5\rRETURN\r" + kAckText);
  // Without a buffer, assignments and ENABLE / DISABLE PLC act at once.
  EXPECT_EQ(c.Respond("P3=4 P3 DIS PLC 2 ENA PLC2"), "4\r" + kAckText);
}

TEST(ProgramBufferErrors, NoBufferOpen) {
  Controller c;
  const std::vector<std::uint32_t> tables = TableWords(c, ModelFor(5));
  for (const char* line : {"CLEAR", "X1000", "IF(P1>0)", "ENDIF", "CMD\"#1J+\"", "DWELL10", "TA5",
                           "F100", "N10", "RETURN", "LINEAR", "WHILE(P1<1)"}) {
    EXPECT_EQ(c.Respond(line), Err(5)) << line;
  }
  // The rest of the line is not run.
  EXPECT_EQ(c.Respond("P1=1 X10 P1=2"), Err(5));
  EXPECT_EQ(c.Respond("P1 F"), "1\r0\r" + kAckText);  // F alone is the following error report
  EXPECT_EQ(c.Respond("CLOSE"), kAckText);            // closing nothing is no error
  EXPECT_EQ(TableWords(c, ModelFor(5)), tables);
}

TEST(ProgramBufferErrors, OpenWhileOpenKeepsTheFirstBuffer) {
  Controller c;
  EXPECT_EQ(c.Respond("OPEN PLC 1 CLEAR OPEN PROG 2 P1=1"), Err(7));
  EXPECT_EQ(c.Respond("OPEN PLC 1"), Err(7));  // the same buffer again
  EXPECT_EQ(c.Respond("P2=2 CLOSE LIST PLC 1"), "P2=2\r" + kAckText);
  EXPECT_EQ(c.Respond("LIST PROG 2"), Err(3));
}

TEST(ProgramBufferErrors, UnknownWordsAndNumbersAndWhatRanBeforeThem) {
  Controller c;
  for (const char* bad :
       {"OPEN PROG 0", "OPEN PROG 32768", "OPEN PLC 32", "OPEN ROTARY", "OPEN PLC", "LIST PLC 1",
        "LIST PROG 1", "LIST", "LIST PLCC 1", "ENA PLC 32", "DIS PLC 1..0", "ENA PLC"}) {
    EXPECT_EQ(c.Respond(bad), Err(3)) << bad;
  }
  ASSERT_EQ(c.Respond("OPEN PLC 6 CLEAR"), kAckText);
  for (const char* bad : {"FOO", "X1000", "TA10", "RETURN", "M5..7=1", "P1=", "P1=(2", "P1=2)",
                          "IF P1>0", "IF(P1)", "CMD\"open", "CMD^1", "P1=SINX(2)", "P8192=1"}) {
    EXPECT_EQ(c.Respond(bad), Err(3)) << bad;
  }
  // Statements before the failing one stay stored; those after it are not.
  EXPECT_EQ(c.Respond("P1=1 FOO P2=2"), Err(3));
  EXPECT_EQ(c.Respond("CLOSE LIST PLC 6"), "P1=1\r" + kAckText);
}

TEST(ProgramBufferErrors, StructureIsCheckedPerLineAndAtClose) {
  Controller c;
  const Model& m = ModelFor(5);
  ASSERT_EQ(c.Respond("OPEN PLC 7 CLEAR"), kAckText);
  for (const char* bad : {"ENDIF", "ELSE", "ENDWHILE", "WHILE(P1<1) ENDIF", "IF(P1>0) ELSE ELSE",
                          "ENDWHILE ENDIF P5=5"}) {
    EXPECT_EQ(c.Respond(bad), Err(9)) << bad;
  }
  // What stood before the error on its line was stored; the WHILE and the IF are still open.
  EXPECT_EQ(c.Respond("LIST PLC 7"), "WHILE(P1<1)\rIF(P1>0)\rELSE\r" + kAckText);
  // CLOSE with blocks still open: an error, but the buffer is closed and the PLC disabled.
  EXPECT_EQ(c.Respond("CLOSE"), Err(9));
  EXPECT_EQ(c.Respond("OPEN PLC 8 CLOSE"), kAckText);
  EXPECT_NE(c.ReadY(m.plcTable + 7) & 0x400000, 0u);
  EXPECT_EQ(c.ReadY(m.plcTable + 8) & 0x400000, 0u);
  // Closing the blocks later makes it whole again.
  EXPECT_EQ(c.Respond("OPEN PLC 7 ENDIF ENDWHILE CLOSE"), kAckText);
  EXPECT_EQ(c.ReadY(m.plcTable + 7) & 0x400000, 0u);
  // A motion program left open gets its RETURN inside the block, and reads back the same way.
  EXPECT_EQ(c.Execute("OPEN PROG 3 CLEAR IF(P1>0) X10 CLOSE").error, 9);
  const std::string listing = c.Respond("LIST PROG 3");
  EXPECT_EQ(listing, "IF(P1>0)\rX10\rRETURN\r" + kAckText);
  EXPECT_EQ(Download(c, "PROG 3", SplitLines(listing)), 9);
  EXPECT_EQ(c.Respond("LIST PROG 3"), listing);
}

TEST(ProgramBufferErrors, FullMemoryAndGatherBufferRefuseNewText) {
  Controller c;
  const Model& m = ModelFor(5);
  const std::string text = "CMD\"" + std::string(240, 'x') + "\"";  // 1 + 1 + 242 / 3 words
  ASSERT_EQ(c.Respond("OPEN PROG 1 CLEAR"), kAckText);
  int stored = 0;
  Reply reply;
  while (stored < 1000 && (reply = c.Execute(text)).error == 0) ++stored;
  EXPECT_EQ(reply.text, Err(6));
  EXPECT_EQ(stored, static_cast<int>((m.endOfUserMemory - m.programBufferStart) / 82));
  // Smaller statements still fit until the last word.
  while (stored < 2000 && c.Execute("P1=1").error == 0) ++stored;
  const std::uint32_t end = c.ReadY(m.programDirectory);
  EXPECT_LE(end, m.endOfUserMemory);
  EXPECT_GT(end + 4, m.endOfUserMemory);  // P1=1 takes four words
  const std::vector<std::uint32_t> tables = TableWords(c, m);
  EXPECT_EQ(c.Respond("P1=1"), Err(6));
  EXPECT_EQ(TableWords(c, m), tables);
  EXPECT_EQ(SplitLines(c.Respond("LIST PROG 1")).size(), static_cast<std::size_t>(stored));
  // No room for RETURN: the buffer still closes.
  EXPECT_EQ(c.Respond("CLOSE"), kAckText);
  EXPECT_EQ(SplitLines(c.Respond("LIST PROG 1")).back(), "P1=1");

  // With a gather buffer defined nothing is added, however much room is left, until DEL GAT.
  EXPECT_EQ(c.Respond("OPEN PROG 1 CLEAR CLOSE DEF GAT 100 OPEN PLC 1 CLEAR"), kAckText);
  EXPECT_EQ(c.Respond("P1=1"), Err(6));
  EXPECT_EQ(c.Respond("DEL GAT P1=1 CLOSE LIST PLC 1"), "P1=1\r" + kAckText);
}

TEST(ProgramTables, DirectoryAndPlcTableFollowEveryChange) {
  for (int type : {2, 5}) {
    const Model& m = ModelFor(type);
    Controller c(type);
    ASSERT_EQ(Download(c, "PROG 10", {"X1"}), 0);      // X 1, number 2, RETURN: 4 words
    ASSERT_EQ(Download(c, "PROG 3", {"P1=P1+1"}), 0);  // 1+1+1+1+2, RETURN: 7 words
    ASSERT_EQ(Download(c, "PLC 5", {"P1=2"}), 0);      // 4 words
    ASSERT_EQ(Download(c, "PLC 0", {"RX:0"}), 0);      // online only: PLC 0 stays empty
    const std::uint32_t s = m.programBufferStart;
    EXPECT_EQ(c.ReadY(m.programDirectory), s + 4);
    EXPECT_EQ(c.ReadX(m.programDirectory), 10u);
    EXPECT_EQ(c.ReadY(m.programDirectory + 1), s + 11);
    EXPECT_EQ(c.ReadX(m.programDirectory + 1), 3u);
    EXPECT_EQ(c.ReadY(m.programDirectory + 2), s + 11);  // ends the directory
    EXPECT_EQ(c.ReadY(m.plcTable - 1), s + 11);          // the start of PLC 0
    for (std::uint32_t i = 0; i < 32; ++i) {
      EXPECT_EQ(c.ReadY(m.plcTable + i), i < 5 ? s + 11 : s + 15) << "PLC " << i;
    }
    // Growing an earlier program moves everything after it.
    c.Respond("OPEN PROG 10 X2 CLOSE");
    EXPECT_EQ(c.ReadY(m.programDirectory), s + 8);
    EXPECT_EQ(c.ReadY(m.plcTable + 5), s + 19);
    // Enabling and disabling keep bit 22 in step; ^D disables every PLC.
    c.Respond("DIS PLC 5,0..1");
    EXPECT_EQ(c.ReadY(m.plcTable + 5), s + 19 + 0x400000);
    EXPECT_EQ(c.ReadY(m.plcTable + 1), s + 15 + 0x400000);
    EXPECT_EQ(c.ReadY(m.plcTable + 2), s + 15);
    c.Respond("ENABLE PLC 5");
    EXPECT_EQ(c.ReadY(m.plcTable + 5), s + 19);
    c.RespondControl(4);
    for (std::uint32_t i = 0; i < 32; ++i) EXPECT_NE(c.ReadY(m.plcTable + i) & 0x400000, 0u);
    c.Respond("ENA PLC 0..31");
    // While a buffer is open its kind shows in the global status word; an open PLC is disabled.
    std::uint32_t statusWord = m.globalStatus;
    c.Respond("OPEN PLC 5");
    EXPECT_EQ(c.ReadY(statusWord) & 0xA0000, 0x20000u);
    EXPECT_NE(c.ReadY(m.plcTable + 5) & 0x400000, 0u);
    c.Respond("CLOSE OPEN PROG 3");
    EXPECT_EQ(c.ReadY(statusWord) & 0xA0000, 0x80000u);
    c.Respond("CLOSE");
    EXPECT_EQ(c.ReadY(statusWord) & 0xA0000, 0u);
    EXPECT_EQ(c.ReadY(m.plcTable + 5) & 0x400000, 0u);
    // A reset keeps the programs and closes the buffer; factory defaults clear everything.
    c.Respond("OPEN PLC 9 P1=1 $$$");
    EXPECT_EQ(c.Respond("P1=5 LIST PLC 9"), "P1=1\r" + kAckText);
    c.Respond("$$$***");
    EXPECT_EQ(c.ReadY(m.programDirectory), s);
    EXPECT_EQ(c.ReadY(m.plcTable + 31), s);
  }
}

TEST(ProgramTables, TheDirectoryHoldsAtMost256Programs) {
  Controller c;
  const Model& m = ModelFor(5);
  for (int n = 1; n <= 256; ++n) {
    ASSERT_EQ(c.Respond("OPEN PROG " + std::to_string(n) + " CLOSE"), kAckText) << n;
  }
  EXPECT_EQ(c.ReadX(m.programDirectory + 255), 256u);
  EXPECT_EQ(c.ReadY(m.plcTable - 1), m.programBufferStart + 256);
  // A 257th program cannot be stored; opening it is allowed and it vanishes at CLOSE.
  EXPECT_EQ(c.Respond("OPEN PROG 300 P1=1"), Err(6));
  EXPECT_EQ(c.Respond("CLOSE LIST PROG 300"), Err(3));
  EXPECT_EQ(c.ReadX(m.programDirectory + 255), 256u);
}

TEST(GatherMemory, DefineGatherReservesTheEndOfUserMemory) {
  for (int type : {2, 5}) {
    const Model& m = ModelFor(type);
    Controller c(type);
    const std::uint32_t end = m.endOfUserMemory;
    const std::uint32_t reg = m.gatherRegisters;
    ASSERT_EQ(Download(c, "PLC 1", {"P1=1"}), 0);  // 4 words
    EXPECT_EQ(c.Respond("DEF GAT 1000"), kAckText);
    EXPECT_EQ(c.ReadX(reg), end - 1000);
    EXPECT_EQ(c.ReadY(reg), end - 1000);
    EXPECT_EQ(c.Respond("DELETE GATHER"), kAckText);
    EXPECT_EQ(c.ReadX(reg), end);
    EXPECT_EQ(c.ReadY(reg), end);
    // Without a size: all free memory. With wrap-around set, bit 22 of the start register.
    c.Respond(type >= 4 ? "I5000=1" : "I45=1");
    EXPECT_EQ(c.Respond("DEFINEGATHER"), kAckText);
    EXPECT_EQ(c.ReadX(reg), m.programBufferStart + 4 + 0x400000);
    EXPECT_EQ(c.ReadY(reg), m.programBufferStart + 4);
    // More than the free memory, a size of 0, dual-ported RAM modes, and a gathering in
    // progress are refused and leave the registers alone.
    EXPECT_EQ(c.Respond("DEF GAT " + std::to_string(end - m.programBufferStart - 3)), Err(6));
    EXPECT_EQ(c.Respond("DEF GAT 0"), Err(3));
    c.Respond(type >= 4 ? "I5000=2" : "I45=3");
    EXPECT_EQ(c.Respond("DEF GAT 10"), Err(3));
    c.Respond(type >= 4 ? "I5000=0" : "I45=0");
    c.WriteX(m.globalStatus, 0x80000);
    EXPECT_EQ(c.Respond("DEF GAT 10"), Err(3));
    EXPECT_EQ(c.Respond("DEL GAT"), Err(3));
    EXPECT_EQ(c.ReadY(reg), m.programBufferStart + 4);
  }
}

TEST(ProgramStructure, BlocksAreTiedToTheirPartnersForTheInterpreter) {
  Machine machine(5);
  CommandInterpreter interpreter(machine);
  ASSERT_EQ(interpreter.ExecuteLine("OPEN PLC 1 CLEAR WHILE(P1<3) IF(P2=1) P3=1 ELSE").error, 0);
  ASSERT_EQ(interpreter.ExecuteLine("CLOSE").error, 9);
  // Reopened, the blocks still open are found again and closed by what follows.
  ASSERT_EQ(interpreter.ExecuteLine("OPEN PLC 1 P3=2 ENDIF IF(P4=0) ENDIF ENDWHILE CLOSE").error,
            0);
  const ProgramBuffers::Program* plc = machine.programs.Find(BufferKind::kPlc, 1);
  ASSERT_NE(plc, nullptr);
  std::vector<int> matches;
  for (const Statement& s : plc->statements) matches.push_back(s.match);
  // 0 WHILE, 1 IF, 2 P3=1, 3 ELSE, 4 P3=2, 5 ENDIF, 6 IF, 7 ENDIF, 8 ENDWHILE
  EXPECT_EQ(matches, (std::vector<int>{8, 3, -1, 5, -1, 1, 7, 6, 0}));
  EXPECT_EQ(plc->statements[8].kind, StatementKind::kEndWhile);
  EXPECT_EQ(plc->words, machine.programs.ProgramsEnd(machine.model()) - 0xA000);
}

}  // namespace
}  // namespace sim
