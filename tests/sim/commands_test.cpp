// The online command language, family by family, through the controller's public interface.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "sim/controller.h"
#include "sim/l_format.h"

namespace sim {
namespace {

const std::string kAckText = "\x06";
const std::string kErr3 = "\aERR003\r";

std::size_t Lines(const std::string& reply) { return std::count(reply.begin(), reply.end(), '\r'); }

TEST(Variables, AssignmentsQueriesAndRanges) {
  Controller c;
  EXPECT_EQ(c.Respond("P1=0.5 P1"), "0.5\r" + kAckText);
  EXPECT_EQ(c.Respond("P10..12=7 P9..13"), "0\r7\r7\r7\r0\r" + kAckText);
  EXPECT_EQ(c.Respond("Q3=-2.25 Q3 Q4"), "-2.25\r0\r" + kAckText);
  EXPECT_EQ(c.Respond("P1 = 3 P1"), "3\r" + kAckText);  // blanks around '='
  EXPECT_EQ(c.Respond("P2=$10 P2"), "16\r" + kAckText);
  EXPECT_EQ(c.Respond("342 P0"), "342\r" + kAckText);  // a bare constant goes to P0
  EXPECT_EQ(c.Respond("I9=2TYPE"), "TURBO2, X4\r" + kAckText);
  EXPECT_EQ(Lines(c.Respond("P0..8191")), 8192u);
  EXPECT_EQ(Lines(c.Respond("I0..8191")), 8192u);
  EXPECT_EQ(c.Respond("P0..8192"), kErr3);
  EXPECT_EQ(c.Respond("P5..4"), kErr3);
  Controller pmac2(2);
  EXPECT_EQ(Lines(pmac2.Respond("M0..1023")), 1024u);
  EXPECT_EQ(pmac2.Respond("Q1024"), kErr3);
}

TEST(Variables, NumbersPrintAsTheControllerPrintsThem) {
  Controller c;
  EXPECT_EQ(c.Respond("P1=0.333333333333 P1"), "0.3333333333\r" + kAckText);
  EXPECT_EQ(c.Respond("P1=123456.75 P1"), "123456.75\r" + kAckText);
  EXPECT_EQ(c.Respond("P1=-0.000000 P1"), "0\r" + kAckText);
  EXPECT_EQ(c.Respond("P1=100000000000000000000.000000 P1"), "1e+20\r" + kAckText);
  EXPECT_EQ(c.Respond("P1=1e-5 P1"), "1e-05\r" + kAckText);
  EXPECT_EQ(c.Respond("I130"), "2000\r" + kAckText);
}

TEST(Variables, PAndQLiveAsLWordsAtTheirBases) {
  Controller c;
  c.Respond("P1=1 Q2=-1");
  EXPECT_EQ(c.ReadX(0x6001), 0x400000u);
  EXPECT_EQ(c.ReadY(0x6001), 0x000800u);
  EXPECT_EQ(c.Respond("RHX:$8002 RHY:$8002"), "800000\r0007FF\r" + kAckText);
  // I46 moves both to the battery-backed area once the controller resets.
  c.Respond("I46=3 $$$ P7=2.5 Q7=4");
  EXPECT_EQ(DecodeL({c.ReadX(0x50007), c.ReadY(0x50007)}), 2.5);
  EXPECT_EQ(DecodeL({c.ReadX(0x52007), c.ReadY(0x52007)}), 4);
  Controller pmac1(1);
  pmac1.Respond("P3=5 Q3=6");
  EXPECT_EQ(DecodeL({pmac1.ReadX(0x1003), pmac1.ReadY(0x1003)}), 5);
  EXPECT_EQ(DecodeL({pmac1.ReadX(0x1403), pmac1.ReadY(0x1403)}), 6);
}

TEST(Variables, AddressIVariablesAnswerInHexadecimalByI9) {
  Controller c;
  EXPECT_EQ(c.Respond("I102 I5001 I8000"), "$078002\r$000000\r$078000\r" + kAckText);
  EXPECT_EQ(c.Respond("I5001=$800088 I5001"), "$800088\r" + kAckText);
  EXPECT_EQ(c.Respond("I5002=-1 I5002"), "$FFFFFF\r" + kAckText);
  EXPECT_EQ(c.Respond("I9=0 I102 I10"), "491522\r3713707\r" + kAckText);
  EXPECT_EQ(c.Respond("I9=3 I102 I130"), "I102=$078002\rI130=2000\r" + kAckText);
  // The Turbo encoder table I-variables are its memory words.
  c.Respond("I8001=$123456");
  EXPECT_EQ(c.ReadY(0x3502), 0x123456u);
  Controller pmac1(1);
  EXPECT_EQ(pmac1.Respond("I21 I102"), "$000000\r$00C003\r" + kAckText);
}

TEST(MemoryWords, ReadsAndWritesWithCounts) {
  Controller c;
  EXPECT_EQ(c.Respond("WX:$100,1,-1,$ABCDEF RX:$100,3"), "1 -1 -5517841\r" + kAckText);
  EXPECT_EQ(c.Respond("RHX:$100,3"), "000001 FFFFFF ABCDEF\r" + kAckText);
  EXPECT_EQ(c.Respond("RHX:256 RHY:$100"), "000001\r000000\r" + kAckText);
  EXPECT_EQ(c.Respond("WY:257,$7FFFFF RY:$101"), "8388607\r" + kAckText);
  EXPECT_EQ(c.Respond("WP:$50000,$123 RHP:$50000 RP:$50000"), "000123\r291\r" + kAckText);
  // Word j of a counted reply starts at character 7j.
  std::string words = c.Respond("RHY:$0,33");
  EXPECT_EQ(words.size(), 33u * 7 + 1);
  EXPECT_EQ(words[7 * 32 - 1], ' ');
}

TEST(MemoryWords, CountsAreCappedAndAddressesChecked) {
  Controller c;
  EXPECT_EQ(Lines(c.Respond("RHX:$0,4294967295")), 1u);
  EXPECT_EQ(c.Respond("RHX:$0,4294967295").size(), kMaxReadCount * 7 + 1);
  EXPECT_EQ(c.Respond("RHX:$7FFFE,5"), "000000 000000\r" + kAckText);  // stops at the end
  EXPECT_EQ(c.Respond("RX:$80000"), kErr3);
  EXPECT_EQ(Controller(2).Respond("RX:$10000"), kErr3);
  EXPECT_EQ(c.Respond("RX:$0,0"), kErr3);
  // A write that does not fit is refused whole.
  EXPECT_EQ(c.Respond("WY:$7FFFF,1,2"), kErr3);
  EXPECT_EQ(c.ReadY(0x7FFFF), 0u);
  for (const char* bad : {"WX:$0,16777216", "WX:$0,1.5", "WX:$0", "WX:$0,", "RX:", "RX:$G"}) {
    EXPECT_EQ(c.Respond(bad), kErr3) << bad;
  }
}

TEST(MVariables, FieldsThroughTheirDefinitions) {
  Controller c;
  c.WriteY(0x10, 0xFFFF80);
  EXPECT_EQ(c.Respond("M1->Y:$10,4,8,S M1"), "-8\r" + kAckText);
  c.Respond("M1=5");
  EXPECT_EQ(c.ReadY(0x10), 0xFFF050u);  // only the field changed
  c.WriteX(0x10, 0xFFFFFF);
  EXPECT_EQ(c.Respond("M2->X:$10,24 M2 M2->X:$10,0,24,S M2"), "16777215\r-1\r" + kAckText);
  EXPECT_EQ(c.Respond("M3->Y:$20,3 M3=3 M3"), "1\r" + kAckText);
  EXPECT_EQ(c.ReadY(0x20), 0x8u);
  // D: 48-bit integer, X word high; L: the floating format of P and Q.
  EXPECT_EQ(c.Respond("M5->D:$88 M5=-1000 M5"), "-1000\r" + kAckText);
  EXPECT_EQ(c.ReadX(0x88), 0xFFFFFFu);
  EXPECT_EQ(c.ReadY(0x88), 0xFFFC18u);
  EXPECT_EQ(c.Respond("M6->L:$6001 M6=2.5 P1"), "2.5\r" + kAckText);
  EXPECT_EQ(c.Respond("M7->* M7=12.5 M7"), "12.5\r" + kAckText);
  // A second M-variable pointed at the first one's definition word re-points it.
  EXPECT_EQ(c.Respond("M40->L:$6000 M41->Y:$4028,0,16 M41=$6005 M40=9 P5"), "9\r" + kAckText);
}

TEST(MVariables, DefinitionsAnswerAndSitAtTheMBase) {
  Controller c;
  EXPECT_EQ(c.Respond("M7->X:$C000,0,24,S M7-> M8->Y:$78805,20,1 M8->"),
            "X:$C000,0,24,S\rY:$78805,20,1\r" + kAckText);
  EXPECT_EQ(c.Respond("M950->D:$88 M951->X:$0,24 M950->"), "D:$88\r" + kAckText);
  EXPECT_EQ(c.Respond("M10..12->D:$8B M9..12->"), "*\rD:$8B\rD:$8B\rD:$8B\r" + kAckText);
  EXPECT_EQ(Lines(c.Respond("M0..9->")), 10u);
  // Turbo: address in the Y word, format byte in bits 16..23 of the X word.
  EXPECT_EQ(c.ReadY(0x4007), 0xC000u);
  EXPECT_EQ(c.ReadX(0x4007) >> 16, 0xE9u);
  EXPECT_EQ(c.ReadX(0x4000 + 950) >> 16, 0xEDu);
  // PMAC2: both in the Y word at $BC00 + n.
  Controller pmac2(2);
  pmac2.Respond("M7->X:$C003,0,24,S");
  EXPECT_EQ(pmac2.ReadY(0xBC07), 0xE9C003u);
  for (const char* bad : {"M1->X:$80000,0,24", "M1->X:$0,22,4", "M1->Z:$0", "M1->TWB:0,0,1",
                          "M1->X:$0,0,24,Q", "M1->X:$0,0,24S"}) {
    EXPECT_EQ(c.Respond(bad), kErr3) << bad;
  }
  EXPECT_EQ(pmac2.Respond("M1->X:$10000,0,24"), kErr3);
}

TEST(Addressing, MotorsCoordinateSystemsAndAxisDefinitions) {
  Controller c;
  EXPECT_EQ(c.Respond("# #3 # & &16 &"), "1\r3\r1\r16\r" + kAckText);
  EXPECT_EQ(c.Respond("&1 #1-> #1->1000X #1-> #2->X #2->"), "0\r1000X\r1X\r" + kAckText);
  EXPECT_EQ(c.Respond("#3->-29.1X+100000Y #3-> #4->3333.333Z-666.667 #4-> #5->I #5->"),
            "-29.1X+100000Y\r3333.333Z-666.667\rI\r" + kAckText);
  // A motor belongs to one coordinate system at a time.
  EXPECT_EQ(c.Respond("&2 #1->Y"), kErr3);
  EXPECT_EQ(c.Respond("&2 #1->"), "0\r" + kAckText);
  EXPECT_EQ(c.Respond("&1 #1->0 &2 #1->Y #1->"), "1Y\r" + kAckText);
  EXPECT_EQ(c.Respond("&1 UNDEFINE #2-> &2 #1->"), "0\r1Y\r" + kAckText);
  EXPECT_EQ(c.Respond("UNDEFINE ALL &2 #1->"), "0\r" + kAckText);
  EXPECT_EQ(c.Respond("&8 UNDEFINE ALL #1->X &8 #1->"), "1X\r" + kAckText);
  for (const char* bad : {"#33", "#0", "&17", "&0", "#6->XU", "#6->X+U", "#6->X+X", "#6->A+B",
                          "#6->+5", "#6->X+5Y+1+2"}) {
    EXPECT_EQ(c.Respond(bad), kErr3) << bad;
  }
  EXPECT_EQ(Controller(1).Respond("#9"), kErr3);
}

TEST(Addressing, MotorGroupsOnTurboOnly) {
  Controller c;
  EXPECT_EQ(c.Respond("## ##3 ##"), "0\r3\r" + kAckText);
  EXPECT_EQ(c.Respond("##4"), kErr3);
  EXPECT_EQ(c.Respond("$$$ ##"), "0\r" + kAckText);  // a reset returns to group 0
  EXPECT_EQ(Controller(2).Respond("##"), kErr3);
}

TEST(ControlCharacters, MotorGroupReports) {
  Controller c;
  // Actual position of motor 2 (D at $10B) = 1000.5 counts in 1/(32·96) count.
  c.Respond("WX:$10B,0 WY:$10B,3073536 WY:$48B,3072");
  EXPECT_EQ(c.RespondControl(16), "0 1000.5 0 0 0 0 0 0\r" + kAckText);
  EXPECT_EQ(c.RespondControl(6), "0 -1000.5 0 0 0 0 0 0\r" + kAckText);
  EXPECT_EQ(c.RespondControl(22), "0 0 0 0 0 0 0 0\r" + kAckText);
  // The group chosen with ##n picks the motors, also inside a command line.
  EXPECT_EQ(c.Respond("##1 \x10"), "1 0 0 0 0 0 0 0\r" + kAckText);
  EXPECT_EQ(c.RespondControl(16), "1 0 0 0 0 0 0 0\r" + kAckText);
  // A killed motor's commanded position follows the actual one: no following error.
  c.Advance(std::chrono::milliseconds(1));
  EXPECT_EQ(c.Respond("##0 \x06"), "0 0 0 0 0 0 0 0\r" + kAckText);
  Controller pmac2(2);
  pmac2.Respond("WY:103,6144");  // motor 2 actual position at 2·60 - 17
  EXPECT_EQ(pmac2.RespondControl(16), "0 2 0 0 0 0 0 0\r" + kAckText);
}

TEST(ControlCharacters, StatusWordsAndActions) {
  Controller c;
  c.Respond("&1 #1->X");
  // Killed (open loop, so no desired velocity zero), integration mode; motor 1 is an XYZ axis
  // (Y16..19 = 7) of &1.
  EXPECT_EQ(c.RespondControl(2),
            "850000078000 850000000000 850000000000 850000000000 850000000000 850000000000 "
            "850000000000 850000000000\r" +
                kAckText);
  EXPECT_EQ(c.Respond("#1 ? ##3"), "850000078000\r" + kAckText);
  EXPECT_EQ(c.RespondControl(2).substr(0, 13), "040000000000 ");  // motors 25..32: not active
  c.WriteX(6, 0x80000);
  EXPECT_EQ(c.RespondControl(7), "080000000000\r" + kAckText);
  EXPECT_EQ(c.Respond("???"), "080000000000\r" + kAckText);
  std::string cs = c.RespondControl(3);
  EXPECT_EQ(cs.size(), 16u * 19 + 1);
  for (char ctrl : {1, 11, 4, 18}) EXPECT_EQ(c.RespondControl(ctrl), kAckText) << int(ctrl);
  EXPECT_EQ(c.RespondControl(0), kErr3);
  EXPECT_EQ(c.RespondControl(27), kErr3);
  // ^X drops what the line has answered so far and the rest of the line.
  EXPECT_EQ(c.Respond("P1 \x18 P1=5"), kAckText);
  EXPECT_EQ(c.Respond("P1"), "0\r" + kAckText);
}

TEST(Errors, AFailingCommandEndsTheLine) {
  Controller c;
  EXPECT_EQ(c.Respond("P1=1 FOO P1=2"), kErr3);
  EXPECT_EQ(c.Respond("P1 FOO P2"), "1\r" + kErr3);  // no ACK after an error
  Reply reply = c.Execute("P1 BAR");
  EXPECT_EQ(reply.error, 3);
  EXPECT_EQ(c.Respond("P1 ; P1=9 comment"), "1\r" + kAckText);
  // I6 chooses the form of the error.
  EXPECT_EQ(c.Respond("I6=3 FOO"), "\a\rERR003\r");
  EXPECT_EQ(c.Respond("I6=0 FOO"), "\a");
  EXPECT_EQ(c.Respond("I6=1"), kAckText);
  // A line longer than the command buffer is refused before anything runs.
  EXPECT_EQ(c.Respond("P1=7" + std::string(300, ' ')), kErr3);
  EXPECT_EQ(c.Respond("P1"), "1\r" + kAckText);
  EXPECT_EQ(c.Respond(""), kAckText);
}

TEST(Errors, GarbageNeverCrashesAndAlwaysEndsInAckOrError) {
  for (const char* bad :
       {"P", "PX", "P1.5", "TYPEX", "$$", "?????", "@", "\x1b", "I99999999999", "P1=", "P1=abc",
        "P1==2", "I1..0", "RHX:$0,$", "\x7f", "\xc3\xa9", "M1->", "#1->X+", "P1=1.2.3"}) {
    Controller c;
    std::string reply = c.Respond(bad);
    EXPECT_TRUE(reply == kErr3 || reply.back() == '\x06') << bad;
  }
  // Random text built from the language's own characters, so that much of it nearly parses.
  const std::string alphabet = "PQMI#&$?.,:;=->0123456789ABCDEFXYRHWLSU *\x10\x02\x18\r\x01";
  std::mt19937 random(20240601);
  Controller c;
  for (int i = 0; i < 20000; ++i) {
    std::string line(random() % 40, ' ');
    for (char& ch : line) {
      ch = random() % 8 == 0 ? static_cast<char>(random() % 256)
                             : alphabet[random() % alphabet.size()];
    }
    // Either answered and acknowledged once at the end, or ended by an error without ACK.
    std::string reply = c.Respond(line);
    bool acknowledged = std::count(reply.begin(), reply.end(), '\x06') == 1 &&
                        reply.back() == '\x06' && reply.find('\a') == std::string::npos;
    bool failed = reply.find('\x06') == std::string::npos && reply.find('\a') != std::string::npos;
    ASSERT_TRUE(acknowledged || failed) << line;
    c.Respond("I6=1");
  }
  EXPECT_EQ(c.Respond("I9=2 TYPE").substr(0, 6), "TURBO2");
}

}  // namespace
}  // namespace sim
