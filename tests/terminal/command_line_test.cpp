#include <gtest/gtest.h>

#include "definitions/definition_table.h"
#include "link/pmac_link.h"
#include "platform/fake/fake_desktop.h"
#include "terminal/command_line.h"
#include "terminal_lines/terminal_lines.h"

namespace bl {
namespace {

// The command line against a link with no controller: every command is answered with the
// not-connected reply, which the echo shows in the terminal.
class CommandLineTest : public ::testing::Test {
 protected:
  CommandKeyResult Enter(std::string_view text) {
    return line.HandleKey({CommandKey::Kind::Enter, 13}, text);
  }
  CommandKeyResult Up() { return line.HandleKey({CommandKey::Kind::Up, 0}, ""); }
  CommandKeyResult Down() { return line.HandleKey({CommandKey::Kind::Down, 0}, ""); }

  Terminal terminal;
  DefinitionTable definitions;
  platform::FakeDesktop desktop;
  PmacLink link{terminal, definitions, desktop, [] { return LibraryLoad{}; }};
  CommandLine line{link};
};

TEST_F(CommandLineTest, EnterSendsTheLineWithEchoAndClearsIt) {
  const CommandKeyResult r = Enter("P1");
  EXPECT_TRUE(r.consumed);
  EXPECT_EQ(r.newText, "");
  EXPECT_EQ(terminal.Line(2).text, "");
  EXPECT_EQ(terminal.Line(2).color, 6);
  EXPECT_EQ(terminal.Line(1).text, "Command:  P1");
  EXPECT_EQ(terminal.Line(1).color, 13);
  EXPECT_EQ(terminal.Line(0).text, "Line  1:  Not Connected to a PMAC Device.");
  EXPECT_EQ(terminal.Line(0).color, 0);
  EXPECT_EQ(line.History(0), "P1");
}

TEST_F(CommandLineTest, UpAndDownWalkTheHistory) {
  // Down with an empty history shows the empty newest entry.
  EXPECT_EQ(Down().newText, "");
  Enter("first");
  Enter("second");
  Enter("third");
  EXPECT_EQ(Up().newText, "third");
  EXPECT_EQ(Up().newText, "second");
  EXPECT_EQ(Up().newText, "first");
  EXPECT_EQ(Up().newText, std::nullopt);  // nothing older
  EXPECT_EQ(line.HistoryIndex(), 2);
  EXPECT_EQ(Down().newText, "second");
  EXPECT_EQ(Down().newText, "third");
  EXPECT_EQ(Down().newText, "third");  // stays at the newest
  Enter("fourth");
  EXPECT_EQ(line.HistoryIndex(), -1);
  EXPECT_EQ(Up().newText, "fourth");
}

// Enter on an empty line sends it, but it is not remembered: Up still finds every older command.
TEST_F(CommandLineTest, AnEmptyEnterLeavesTheHistoryToRecall) {
  Enter("first");
  Enter("second");
  Enter("");
  EXPECT_EQ(terminal.Line(1).text, "Command:  ");
  EXPECT_EQ(terminal.Line(0).text, "Line  1:  Not Connected to a PMAC Device.");
  EXPECT_EQ(line.History(0), "second");
  EXPECT_EQ(line.History(1), "first");
  EXPECT_EQ(Up().newText, "second");
  EXPECT_EQ(Up().newText, "first");
  EXPECT_EQ(Up().newText, std::nullopt);

  // While walking the history, too: the walk starts again from the newest command.
  Enter("");
  Enter("");
  EXPECT_EQ(line.HistoryIndex(), -1);
  EXPECT_EQ(Up().newText, "second");
  EXPECT_EQ(Down().newText, "second");
  EXPECT_EQ(Up().newText, "first");

  // A full history keeps all ten commands across empty lines.
  for (int i = 0; i < 10; ++i) {
    Enter("cmd" + std::to_string(i));
    Enter("");
  }
  Enter("");
  for (int i = 9; i >= 0; --i) EXPECT_EQ(Up().newText, "cmd" + std::to_string(i));
  EXPECT_EQ(Up().newText, std::nullopt);
}

TEST_F(CommandLineTest, HistoryKeepsTenCommands) {
  Enter("oldest");
  for (int i = 0; i < 10; ++i) Enter("cmd" + std::to_string(i));
  EXPECT_EQ(line.History(0), "cmd9");
  EXPECT_EQ(line.History(9), "cmd0");
  for (int i = 0; i < 10; ++i) Up();
  EXPECT_EQ(Up().newText, std::nullopt);
  EXPECT_EQ(line.HistoryIndex(), 9);
}

TEST_F(CommandLineTest, ControlCharactersGoOutAtOnceAndLeaveTheText) {
  const CommandKeyResult r = line.HandleKey({CommandKey::Kind::Control, 1}, "P1 P2");
  EXPECT_TRUE(r.consumed);
  EXPECT_EQ(r.newText, std::nullopt);  // the typed text stays
  EXPECT_EQ(terminal.Line(1).text, "Command:  Control-A (Abort all programs and moves.)");
  EXPECT_TRUE(line.History(0).empty());

  for (int code : {3, 22, 24, 26})
    EXPECT_TRUE(line.HandleKey({CommandKey::Kind::Control, code}, "").consumed);
  EXPECT_EQ(terminal.Line(1).text,
            "Command:  Control-Z (Set PMAC in serial port communications mode.)");

  // Ctrl-H is the text entry's backspace; Ctrl-M is Enter.
  EXPECT_FALSE(line.HandleKey({CommandKey::Kind::Control, 8}, "abc").consumed);
  const CommandKeyResult m = line.HandleKey({CommandKey::Kind::Control, 13}, "P5");
  EXPECT_EQ(m.newText, "");
  EXPECT_EQ(line.History(0), "P5");
}

TEST_F(CommandLineTest, DefineLinesFillTheTableAndAreNotSent) {
  Enter("#define speed P10");
  EXPECT_EQ(definitions.NameOf(VariableKind::P, 10), "speed");
  EXPECT_EQ(terminal.Line(0).text, "Command:  #define speed P10");
  Enter("speed=100 ; set it");
  EXPECT_EQ(terminal.Line(2).text, "Command:  speed=100 ; set it");
  EXPECT_EQ(terminal.Line(1).text, "Command:  P10=100 ");
}

TEST_F(CommandLineTest, OverlongTextIsCut) {
  Enter(std::string(300, 'x'));
  EXPECT_EQ(line.History(0).size(), CommandLine::kMaxText);
}

}  // namespace
}  // namespace bl
