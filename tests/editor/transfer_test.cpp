#include <gtest/gtest.h>

#include <string>

#include "definitions/definition_table.h"
#include "editor/editor_transfer.h"
#include "editor/names_for_variables.h"
#include "terminal_lines/terminal_lines.h"

namespace bl::editor {
namespace {

class TransferTextTest : public ::testing::Test {
 protected:
  void Define(const std::string& line) { table.DefineLine(line, 0, terminal); }
  std::string Names(std::string line, NameSwitches on = {}) {
    NamesForVariables(line, on, table);
    return line;
  }
  Terminal terminal;
  DefinitionTable table;
};

TEST_F(TransferTextTest, NamesReplaceWholeVariableWordsOfTheChosenKindsOnly) {
  Define("#define Speed P1");
  Define("#define Gain I130");
  Define("#define Flag M5");
  Define("#define Zero P0");
  Define("#define Big P1234");
  EXPECT_EQ(Names("P1=P1+1 ; count P1"), "Speed=Speed+1 ; count P1");
  EXPECT_EQ(Names("p1=i130 // P1"), "Speed=Gain // P1");
  // Words that only look like variables, and variable 0, stay.
  EXPECT_EQ(Names("P12345=P1A+P0+P01+P1234"), "P12345=P1A+P0+Speed+Big");
  EXPECT_EQ(Names("IF(P1>0)ENABLE PLC1"), "IF(Speed>0)ENABLE PLC1");
  NameSwitches onlyM;
  onlyM.p = onlyM.q = onlyM.i = false;
  EXPECT_EQ(Names("P5=M5", onlyM), "P5=Flag");
  // A line longer than a command line is left as it is.
  const std::string longLine = "P1=" + std::string(253, '1');
  EXPECT_EQ(Names(longLine), longLine);
}

TEST_F(TransferTextTest, NamesStayOutOfCommandTextsSoTheListingDownloadsAgain) {
  Define("#define Speed P1");
  // What stands between quotes goes to the controller unreplaced on the next download.
  EXPECT_EQ(Names("CMD\"P1=0\" P1=1"), "CMD\"P1=0\" Speed=1");
  EXPECT_EQ(Names("CMD\"P1=0 P1=1"), "CMD\"P1=0 P1=1");
}

TEST_F(TransferTextTest, EditorDownloadFileStartsWithEveryDefinitionInOrder) {
  Define("#define Ten 10");
  Define("#define Speed P10");
  Define("#define Alpha P2");
  Define("#define Gain I130");
  const std::string text = EditorDownloadText(table, "OPEN PLC 1\nCLEAR\n", "");
  EXPECT_EQ(text,
            "#DEFINE Ten                              10                              \n"
            "#DEFINE Alpha                            P2\n"
            "#DEFINE Speed                            P10\n"
            "#DEFINE Gain                             I130\n"
            "OPEN PLC 1\nCLEAR\n");
}

TEST_F(TransferTextTest, EditorDownloadAnchorsRelativeIncludesAtTheEditorFilesFolder) {
  const std::string text = EditorDownloadText(
      table, "#include \"defs.pmc\"\n  #INCLUDE \"sub\\axis.pmc\" ; x\n#include \"/abs.pmc\"\nP1=1",
      "/home/eng/project");
  EXPECT_EQ(text,
            "#include \"/home/eng/project/defs.pmc\"\n"
            "  #INCLUDE \"/home/eng/project/sub/axis.pmc\" ; x\n"
            "#include \"/abs.pmc\"\nP1=1");
  // A name that would make the line too long for the controller stays as written.
  const std::string deep(250, 'd');
  EXPECT_EQ(EditorDownloadText(table, "#include \"a.pmc\"", "/" + deep), "#include \"a.pmc\"");
}

TEST_F(TransferTextTest, UploadFramesTheListingAndRestoresNames) {
  Define("#define Speed P1");
  EXPECT_EQ(UploadedProgramText("P1=P1+1\rENDWHILE\r\x06", 3, kUploadPlc, {}, table),
            "OPEN PLC 3\nCLEAR\n\nSpeed=Speed+1\nENDWHILE\n\nCLOSE\n");
  EXPECT_EQ(UploadedProgramText("\x06", 12, kUploadMotion, {}, table),
            "OPEN PROG 12\nCLEAR\n\n\nCLOSE\n");
  // An error reply stands as text between OPEN and CLOSE, without its bell.
  EXPECT_EQ(UploadedProgramText("\aERR003\r", 7, kUploadMotion, {}, table),
            "OPEN PROG 7\nCLEAR\n\nERR003\n\nCLOSE\n");
  EXPECT_EQ(ListCommand(3, kUploadPlc), "LIST PLC3");
  EXPECT_EQ(ListCommand(10, kUploadMotion), "LIST PROG10");
}

TEST_F(TransferTextTest, AHugeListingIsCutAtALineSoTheTextStillFitsWithItsClose) {
  std::string response;
  while (response.size() < 600000) response += "P1=P1+1\r";
  const std::string text = UploadedProgramText(response, 1, kUploadMotion, {}, table);
  EXPECT_LT(text.size(), static_cast<std::size_t>(kTextAreaSize));
  EXPECT_EQ(text.substr(text.size() - 16), "\nP1=P1+1\n\nCLOSE\n");
}

TEST(UploadPresenter, ReadsTheNumberLikeScanfAndKeepsTheSettings) {
  UploadSettings settings;
  {
    UploadPresenter p(settings);
    EXPECT_EQ(p.numberText, "1");
    EXPECT_TRUE(p.plc);
    p.numberText = "-5";
    p.plc = false;
    p.switches.q = false;
    p.Accept();
  }
  EXPECT_EQ(settings.number, 0);
  EXPECT_EQ(settings.kind, kUploadMotion);
  EXPECT_FALSE(settings.switches.q);
  UploadPresenter again(settings);
  EXPECT_FALSE(again.plc);
  again.numberText = "12abc";
  again.Accept();
  EXPECT_EQ(settings.number, 12);
  again.numberText = "none";
  again.Accept();
  EXPECT_EQ(settings.number, 12);
}

}  // namespace
}  // namespace bl::editor
