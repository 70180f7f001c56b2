#include "editor/program_file.h"

#include <gtest/gtest.h>

#include <string>

#include "editor/files_test_support.h"

namespace bl::editor {
namespace {

using test::FilesTest;

TEST(ProgramFileTest, LineEndsTabsDroppedBytesAndALastLineWithoutEnd) {
  const std::string bytes = std::string("\tA\r\nB\x01\x7f\xff") + "C\n\n" + "a\rb\n" + "last";
  const ProgramFileText t = ReadProgramText(bytes);
  EXPECT_EQ(t.text, " A\nBC\n\nab\nlast\n");
  EXPECT_TRUE(t.warnings.empty());
  EXPECT_EQ(t.droppedBytes, 3u);  // CR is part of a line end, not counted
  EXPECT_EQ(ReadProgramText("").text, "");
  EXPECT_EQ(ReadProgramText("\r\n").text, "\n");
  // A last line of dropped bytes only is no line.
  EXPECT_EQ(ReadProgramText("x\n\x02\x03").text, "x\n");
}

TEST(ProgramFileTest, A255CharacterLineLoadsWholeAndA256thIsCutWithAWarning) {
  const std::string exact(255, 'a');
  const std::string over = std::string(255, 'b') + "\tcut";
  const ProgramFileText t = ReadProgramText(exact + "\r\n" + over + "\r\nnext\n" + over);
  EXPECT_EQ(t.text,
            exact + "\n" + std::string(255, 'b') + "\nnext\n" + std::string(255, 'b') + "\n");
  ASSERT_EQ(t.warnings.size(), 2u);
  EXPECT_EQ(t.warnings[0], "  Warning: Line 2 was truncated to 255 characters.");
  EXPECT_EQ(t.warnings[1], "  Warning: Line 4 was truncated to 255 characters.");
  // Dropped bytes do not count towards the 255.
  const ProgramFileText d = ReadProgramText(std::string(255, 'c') + "\x01\r\n");
  EXPECT_TRUE(d.warnings.empty());
}

TEST(ProgramFileTest, IncludeLinesAreSeenWithTheirNumbersAsKept) {
  const ProgramFileText t = ReadProgramText(
      "#INCLUDE\t\"b.pmc\"\r\n#includes \"no\"\n#include\n#Include \"c\x01.pmc\" ;");
  ASSERT_EQ(t.includes.size(), 2u);
  EXPECT_EQ(t.includes[0].lineNumber, 1);
  EXPECT_EQ(t.includes[0].line, "#INCLUDE \"b.pmc\"");  // the tab became the blank
  EXPECT_EQ(t.includes[1].lineNumber, 4);
  EXPECT_EQ(t.includes[1].line, "#Include \"c.pmc\" ;");
}

TEST(ProgramFileTest, TheTextEndsAt499999CharactersAndTheFileIsReadOn) {
  std::string bytes;
  const std::string line = std::string(98, 'x') + "\r\n";  // 99 characters in the text
  for (int i = 0; i < 6000; ++i) bytes += line;
  bytes += "#include \"late.pmc\"\n" + std::string(300, 'y') + "\n";
  const ProgramFileText t = ReadProgramText(bytes);
  ASSERT_EQ(t.text.size(), kMaxProgramText);
  EXPECT_EQ(t.text.substr(0, 99), std::string(98, 'x') + "\n");
  EXPECT_EQ(t.text.back(), 'x');  // cut inside line 5051
  ASSERT_EQ(t.warnings.size(), 2u);
  EXPECT_EQ(t.warnings[0],
            "  Warning: The editor holds 499,999 characters; the file is cut at line 5051.");
  EXPECT_EQ(t.warnings[1], "  Warning: Line 6002 was truncated to 255 characters.");
  ASSERT_EQ(t.includes.size(), 1u);
  EXPECT_EQ(t.includes[0].lineNumber, 6001);
  // A text of exactly 499,999 characters loads whole without a word.
  const std::string fits = std::string(kMaxProgramText - 2, '\n');
  const ProgramFileText f = ReadProgramText(fits + "z");
  EXPECT_EQ(f.text.size(), kMaxProgramText);
  EXPECT_TRUE(f.warnings.empty());
}

TEST(ProgramFileTest, AFileThatLooksBinaryIsSaidOnceAndStrayBytesAreNot) {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 37) & 0xFF);
  const ProgramFileText b = ReadProgramText(binary);
  ASSERT_FALSE(b.warnings.empty());
  EXPECT_NE(b.warnings.back().find("bytes that are not text were dropped"), std::string::npos);
  for (char c : b.text) EXPECT_TRUE(c == '\n' || (c >= 32 && c <= 126));

  const ProgramFileText stray = ReadProgramText("P1=1\x01\nP2=2\xe9\n" + std::string(100, 'x'));
  EXPECT_TRUE(stray.warnings.empty());
}

class ProgramFileDiskTest : public FilesTest {};

TEST_F(ProgramFileDiskTest, RoundTripOnDiskAndATenMegabyteFileIsBounded) {
  const std::string path = Path("main.pmc");
  std::string error;
  ASSERT_TRUE(WriteProgramText(path, "OPEN PLC 1\nP1=1\nCLOSE", error)) << error;
  EXPECT_EQ(Contents(path), "OPEN PLC 1\r\nP1=1\r\nCLOSE");
  ProgramFileText t;
  ASSERT_TRUE(LoadProgramFile(path, t, error)) << error;
  // The last line comes back with its line end, and is saved with CR LF from then on.
  EXPECT_EQ(t.text, "OPEN PLC 1\nP1=1\nCLOSE\n");
  ASSERT_TRUE(WriteProgramText(path, t.text, error));
  EXPECT_EQ(Contents(path), "OPEN PLC 1\r\nP1=1\r\nCLOSE\r\n");

  const std::string big = Path("big.pmc");
  std::string bytes;
  bytes.reserve(10'000'000);
  while (bytes.size() < 10'000'000) bytes += "P1=P1+1 ; counting\r\n";
  Write(big, bytes);
  ASSERT_TRUE(LoadProgramFile(big, t, error)) << error;
  EXPECT_EQ(t.text.size(), kMaxProgramText);
  ASSERT_FALSE(t.warnings.empty());
  EXPECT_EQ(t.warnings.back(), "  Warning: Only the first 8388608 bytes of the file were read.");

  // What cannot be read leaves the result alone.
  t.text = "kept";
  EXPECT_FALSE(LoadProgramFile(Path("missing.pmc"), t, error));
  EXPECT_FALSE(LoadProgramFile(folder.string(), t, error));
  EXPECT_EQ(t.text, "kept");
}

}  // namespace
}  // namespace bl::editor
