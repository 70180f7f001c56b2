#include <gtest/gtest.h>

#include <map>

#include "controller/controller_type.h"
#include "controller/identify_controller.h"
#include "fake_vendor_library.h"

namespace bl {
namespace {

class IdentifyTest : public ::testing::Test, public test::LinkFixture {
 protected:
  void Identify() {
    IdentifyHooks hooks;
    hooks.setTitle = [this](const std::string& t) { title = t; };
    hooks.closePositionWindow = [this] { ++positionClosed; };
    hooks.limitCurrentSeries = [this](int count) { seriesLimit = count; };
    IdentifyController(type, link, definitions, terminal, hooks);
  }
  // A controller that answers the identification commands from a table.
  void Answer(std::map<std::string, std::string> replies) {
    state->responder = [replies](const std::string& command) {
      const auto it = replies.find(command);
      return it == replies.end() ? std::string(
                                       "\x07"
                                       "ERR003\r")
                                 : it->second;
    };
    Connect(2);
  }
  std::string Info(int fromNewest) const { return terminal.Line(fromNewest).text; }

  ControllerType type;
  std::string title;
  int positionClosed = 0;
  int seriesLimit = 0;
};

TEST_F(IdentifyTest, OfflineTurboPmac2) {
  type.typeCode = 5;
  definitions.DefineLine("#define gain I130", 0, terminal);
  Identify();
  EXPECT_EQ(title, "Brightlantern: Turbo PMAC2 (Offline)");
  EXPECT_EQ(type.motorCount, 32);
  EXPECT_EQ(type.seriesCount, 48);
  EXPECT_EQ(type.variableCount, 8192);
  EXPECT_EQ(type.shortName, "TURBO2");
  EXPECT_TRUE(definitions.NameOf(VariableKind::I, 130).empty());
  EXPECT_EQ(positionClosed, 1);
  EXPECT_EQ(seriesLimit, 48);
  const std::vector<std::pair<std::string, int>> expected = {
      {" ", 13},
      {"Turbo PMAC2", 13},
      {"  Communications Device Number:     Offline", 13},
      {"  Number of Motors:                 32", 13},
      {"  Number of Data Gathering Sources: 48", 13},
      {"  Number of M, P, Q, I-Variables:   8192", 13},
      {"  M-Variable Base Address:          $004000", 13},
      {"  P-Variable Base Address:          $006000", 13},
      {"  Q-Variable Base Address:          $008000", 13},
      {"  BootStrap Jumper Status:          OFF", 13},
      {"  Re-Initialize Jumper Status:      OFF", 13},
      {"  Servo Update Rate:                0.00 Hz", 13},
      {"  End of User Memory:               $010800", 13},
  };
  EXPECT_EQ(Last(13), expected);
  EXPECT_TRUE(state->Commands().empty());
}

TEST_F(IdentifyTest, OfflinePmac2AndTheFallbackToPmac1) {
  type.typeCode = 2;
  Identify();
  EXPECT_EQ(title, "Brightlantern: PMAC2 (Offline)");
  EXPECT_EQ(type.variableCount, 1024);
  EXPECT_EQ(definitions.SlotCount(), 1024);
  EXPECT_EQ(type.mBase, 0xBC00);
  EXPECT_EQ(type.pBase, 0x1000);
  EXPECT_EQ(type.qBase, 0x1400);
  EXPECT_EQ(type.endOfUserMemory, 0xA000);
  EXPECT_EQ(seriesLimit, 24);

  type.typeCode = 0;  // no type chosen yet
  Identify();
  EXPECT_EQ(type.typeCode, 1);
  EXPECT_EQ(title, "Brightlantern: PMAC1 (Offline)");
}

TEST_F(IdentifyTest, ConnectedTurboReadsItsRegisters) {
  state->bootstrap = true;
  Answer({{"I9=2 TYPE", "TURBO2, X4, CPU, 80MHZ\r\x06"},
          {"I10", "4194304\r\x06"},
          {"I46", "1\r\x06"},
          {"RY:62", "67584\r\x06"},  // $10800
          {"RY:460801", "0\r\x06"}});
  Identify();
  EXPECT_EQ(type.typeCode, 5);
  EXPECT_DOUBLE_EQ(type.servoPeriod, 0.0005);
  EXPECT_EQ(title, "Brightlantern: Turbo PMAC2");
  EXPECT_EQ(type.pBase, 0x50000);
  EXPECT_EQ(type.qBase, 0x6000);
  EXPECT_EQ(Info(10), "  Communications Device Number:     2");
  EXPECT_EQ(terminal.Line(3).text, "  BootStrap Jumper Status:          ON");
  EXPECT_EQ(terminal.Line(3).color, 5);
  EXPECT_EQ(terminal.Line(2).text, "  Re-Initialize Jumper Status:      ON");
  EXPECT_EQ(terminal.Line(2).color, 5);
  EXPECT_EQ(Info(1), "  Servo Update Rate:                2000.00 Hz");
  EXPECT_EQ(Info(0), "  End of User Memory:               $010800");
}

TEST_F(IdentifyTest, JumperAddressesByType) {
  const std::map<int, std::pair<std::string, int>> jumpers = {{1, {"RY:65472", 0x100000}},
                                                              {2, {"RY:59393", 0x8}},
                                                              {3, {"RY:59393", 0x8}},
                                                              {4, {"RY:493568", 0x100000}},
                                                              {6, {"RY:460801", 0x8}}};
  const char* prefixes[] = {"", "PMAC1", "PMAC2", "PMACUL", "TURBO1", "TURBO2", "TURBOU"};
  for (const auto& [code, jumper] : jumpers) {
    Answer({{"I9=2 TYPE", std::string(prefixes[code]) + "\r\x06"},
            {"I10", "3713707\r\x06"},
            {"I46", "0\r\x06"},
            {"RY:62", "67584\r\x06"},
            {jumper.first, std::to_string(jumper.second) + "\r\x06"}});
    Identify();
    EXPECT_EQ(type.typeCode, code);
    EXPECT_FALSE(type.reinitializeOn) << code;  // the bit is set: no jumper
  }
}

TEST_F(IdentifyTest, UnknownOrSilentControllersAreHandledSoundly) {
  // Nothing answers: an unknown type is a PMAC1 with the jumper shown ON, and the servo rate of
  // a failed I10 read is 0.
  Answer({});
  Identify();
  EXPECT_EQ(type.typeCode, 1);
  EXPECT_TRUE(type.reinitializeOn);
  EXPECT_EQ(type.endOfUserMemory, 0xA000);
  EXPECT_EQ(Info(1), "  Servo Update Rate:                0.00 Hz");

  // A Turbo whose I46 and end-of-memory reads fail gets what offline would give.
  Answer({{"I9=2 TYPE", "TURBO1\r\x06"}, {"I10", "3713707\r\x06"}});
  Identify();
  EXPECT_EQ(type.typeCode, 4);
  EXPECT_EQ(type.pBase, 0x6000);
  EXPECT_EQ(type.endOfUserMemory, 0x10800);
  EXPECT_EQ(Info(1), "  Servo Update Rate:                2258.82 Hz");
}

TEST(ControllerTypeTest, TypeRepliesAndI46Bases) {
  EXPECT_EQ(TypeCodeFromReply("PMAC1"), 1);
  EXPECT_EQ(TypeCodeFromReply("PMAC2 ULTRALITE"), 2);  // five characters decide first
  EXPECT_EQ(TypeCodeFromReply("PMACUL"), 3);
  EXPECT_EQ(TypeCodeFromReply("TURBOU"), 6);
  EXPECT_EQ(TypeCodeFromReply("TURB"), 0);
  EXPECT_EQ(TypeCodeFromReply(""), 0);
  int p = 7, q = 9;
  EXPECT_FALSE(PAndQBasesForI46(4, p, q));
  EXPECT_EQ(p, 7);
  EXPECT_TRUE(PAndQBasesForI46(2, p, q));
  EXPECT_EQ(p, 0x6000);
  EXPECT_EQ(q, 0x52000);
}

}  // namespace
}  // namespace bl
