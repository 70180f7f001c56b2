// The encoder conversion table as the editor decodes and edits it, for both variants.
#include "tools/encoder_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bl::tools {
namespace {

struct Decoded {
  std::vector<std::int32_t> words;  // from line 0
  std::vector<std::string> lines;   // the list lines of those words
};

EctTable TableOf(bool turbo, const std::vector<std::int32_t>& words) {
  EctTable table(turbo);
  for (std::size_t i = 0; i < words.size(); ++i) table.SetWord(static_cast<int>(i), words[i]);
  return table;
}

void ExpectDecoded(bool turbo, const std::vector<Decoded>& rows) {
  for (const Decoded& row : rows) {
    const EctTable table = TableOf(turbo, row.words);
    for (std::size_t i = 0; i < row.lines.size(); ++i)
      EXPECT_EQ(table.LineText(static_cast<int>(i)), row.lines[i]) << "line " << i;
    // The entry's lines all belong to it; the next line starts a new entry.
    const int count = EctEntryLines(table.TypeOf(0), turbo);
    EXPECT_EQ(table.EntryStart(count - 1), 0);
    EXPECT_EQ(table.EntryStart(count), count);
  }
}

TEST(EncoderTableTest, NonTurboLinesDecodeEveryType) {
  ExpectDecoded(
      false,
      {
          {{0}, {"Y:$720=$000000 No Entry"}},
          {{0x00C000}, {"Y:$720=$00C000 Incremental Encoder with 1/T Extension    $C000"}},
          {{0x01C000}, {"Y:$720=$01C000 Incremental Encoder with 1/T Extension    $C000 SUMMED"}},
          {{0x10C008}, {"Y:$720=$10C008 Analog to Digital Converter               $C008"}},
          {{0x21C010, 0xFFF000},
           {"Y:$720=$21C010 Unfiltered Parallel Y-word Data           $C010 SUMMED",
            "Y:$721=$FFF000     Filter Mask $FFF000"}},
          {{0x38C010, 0x00FFFF, 100},
           {"Y:$720=$38C010 Filtered Parallel Y-word Data             $C010        UNSHIFTED",
            "Y:$721=$00FFFF     Filter Mask $00FFFF", "Y:$722=$000064     Filter Gain Word 100"}},
          {{0x40C000, 256},
           {"Y:$720=$40C000 Time Base Scaled Digital Differenciation  $C000",
            "Y:$721=$000100     Time Base Scale Factor 256"}},
          {{0x51C000, 5},
           {"Y:$720=$51C000 Integrated Analog to Digital Converter    $C000",
            "Y:$721=$000005     Bias Balue 5"}},
          {{0x60C000, 0},
           {"Y:$720=$60C000 Unfiltered Parallel X-word Data           $C000       ",
            "Y:$721=$000000     Filter Mask $000000"}},
          {{0x79C000, 1, 2},
           {"Y:$720=$79C000 Filtered Parallel Y/X-word Data           $C000 SUMMED UNSHIFTED",
            "Y:$721=$000001     Filter Mask $000001", "Y:$722=$000002     Filter Gain Word 2"}},
          {{0x81C004}, {"Y:$720=$81C004 Parallel Extension of Incremental Encoder $C004 SUMMED"}},
          {{0x90C000, 3},
           {"Y:$720=$90C000 Triggered Time Base - Frozen              $C000",
            "Y:$721=$000003     Time Base Scale Factor 3"}},
          {{0xA0C000, 3},
           {"Y:$720=$A0C000 Triggered Time Base - Running             $C000",
            "Y:$721=$000003     Time Base Scale Factor 3"}},
          {{0xB0C000, 3},
           {"Y:$720=$B0C000 Triggered Time Base - Armed               $C000",
            "Y:$721=$000003     Time Base Scale Factor 3"}},
          {{0xC1C000}, {"Y:$720=$C1C000 Incremental Encoder without Extension     $C000 SUMMED"}},
          {{0xD0C000, 7, 9},
           {"Y:$720=$D0C000 Exponential Filter of Parallel Data       $C000",
            "Y:$721=$000007     Maximum Change 7", "Y:$722=$000009     Filter Gain Word 9"}},
          {{0xE00000}, {"Y:$720=$E00000 INVALID ENTRY!"}},
          {{0xF12345}, {"Y:$720=$F12345 INVALID ENTRY!"}},
      });
  // The address follows the line; a word read back negative is the word with bit 23 set.
  EctTable table(false);
  table.SetWord(31, -8339456);
  EXPECT_EQ(table.LineText(31), "Y:$73F=$80C000 Parallel Extension of Incremental Encoder $C000");
}

TEST(EncoderTableTest, TurboLinesDecodeEveryTypeAndModeFlag) {
  ExpectDecoded(
      true,
      {
          {{0}, {"I8000=$000000 No Entry"}},
          {{0x078000},
           {"I8000=$078000 Incremental Encoder with 1/T Extension    $78000                   "
            "$3501"}},
          {{0x1FA000},
           {"I8000=$1FA000 ACC28 Analog to Digital Converter         $7A000 (ACC28B-Unsigned) "
            "$3501"}},
          {{0x178000},
           {"I8000=$178000 ACC28 Analog to Digital Converter         $78000 (ACC28A-Signed)   "
            "$3501"}},
          {{0x278000, 0x018004},
           {"I8000=$278000 Unfiltered Parallel Y-word Data           $78000 (Normal Shift)     "
            "     ",
            "I8001=$018004     Width   24, Offset    4                                        "
            "$3502"}},
          {{0x3F8000, 0x010000, 1000},
           {"I8000=$3F8000 Filtered Parallel Y-word Data             $78000 (Unshifted)        "
            "     ",
            "I8001=$010000     Width   16, Offset    0",
            "I8002=$0003E8     Maximum Change     1000                                        "
            "$3503"}},
          {{0x478000, 0x4000},
           {"I8000=$478000 Time Base Scaled Digital Differenciation  $78000                    "
            "     ",
            "I8001=$004000     Time Base Scale Factor    16384                                "
            "$3502"}},
          {{0x5FA000, 12},
           {"I8000=$5FA000 Integrated Analog to Digital Converter    $7A000 (ACC28B-Unsigned)  "
            "     ",
            "I8001=$00000C     Bias Value       12                                            "
            "$3502"}},
          {{0x678000, 0x018000},
           {"I8000=$678000 Unfiltered Parallel Y/X-word data         $78000 (Shifted)          "
            "     ",
            "I8001=$018000     Width   24, Offset    0                                        "
            "$3502"}},
          {{0x7F8000, 0, 5},
           {"I8000=$7F8000 Filtered Parallel Y/X-word data           $78000 (Unshifted)        "
            "     ",
            "I8001=$000000     Width    0, Offset    0",
            "I8002=$000005     Maximum Change        5                                        "
            "$3503"}},
          {{0x8F8000},
           {"I8000=$8F8000 Parallel Extension of Incremental Encoder $78000 (PMAC2 ICs)       "
            "$3501"}},
          {{0x978000, 1},
           {"I8000=$978000 Triggered Time Base - Frozen              $78000 (PMAC1 ICs)        "
            "     ",
            "I8001=$000001     Time Base Scale Factor        1                                "
            "$3502"}},
          {{0xAF8000},
           {"I8000=$AF8000 Triggered Time Base - Running             $78000 (PMAC2 ICs)        "
            "     "}},
          {{0xB78000},
           {"I8000=$B78000 Triggered Time Base - Armed               $78000 (PMAC1 ICs)        "
            "     "}},
          {{0xC78000},
           {"I8000=$C78000 Incremental Encoder without Extension     $78000                   "
            "$3501"}},
          {{0xD78000, 100, 200},
           {"I8000=$D78000 Exponential Filter of Parallel Data       $78000                    "
            "     ",
            "I8001=$000064     Filter Gain Word 100",
            "I8002=$0000C8     Maximum Change      200                                        "
            "$3503"}},
          {{0xE10100},
           {"I8000=$E10100 Sum or Difference of ECT Entries -ECT  0 +ECT  1                   "
            "$3501"}},
          {{0xEC0002},
           {"I8000=$EC0002 Sum or Difference of ECT Entries +ECT  2         (integrated)      "
            "$3501"}},
          {{0xE20305},
           {"I8000=$E20305 Sum or Difference of ECT Entries +ECT  5 -ECT  3                   "
            "$3501"}},
          {{0xFF8000, 0x78F00, 7},
           {"I8000=$FF8000 High Resolution Interpolator              $78000                    "
            "     ",
            "I8001=$078F00     A/D Address $78F00",
            "I8002=$000007     A/D Bias         7                                             "
            "$3503"}},
          {{0xF78000, 0, 0},
           {"I8000=$F78000 High Resolution Interpolator              $78000                    "
            " "}},
      });
  EctTable table(true);
  EXPECT_EQ(table.LineText(191), "I8191=$000000 No Entry");
  EXPECT_EQ(table.Address(191), 13760);
}

TEST(EncoderTableTest, EntriesAreWalkedFromTheFirstLine) {
  // A 3-line entry, a 1-line entry, a 2-line entry, then empty lines.
  const EctTable table = TableOf(false, {0x30C000, 1, 2, 0x00C004, 0x40C000, 5});
  const std::vector<int> starts = {0, 0, 0, 3, 4, 4, 6, 7};
  for (std::size_t line = 0; line < starts.size(); ++line)
    EXPECT_EQ(table.EntryStart(static_cast<int>(line)), starts[line]) << line;
  EXPECT_EQ(table.EntryStart(-5), 0);
  EXPECT_EQ(table.EntryStart(500), 31);
  // An entry that would run past the end still starts within the table.
  EctTable tail(false);
  tail.SetWord(31, 0x30C000);
  EXPECT_EQ(tail.EntryStart(31), 31);
  EXPECT_EQ(tail.LineText(31).substr(0, 14), "Y:$73F=$30C000");
}

TEST(EncoderTableTest, FieldPanelsShowTheEntrysControls) {
  const EctPanel plain = TableOf(false, {0x01C000}).Panel(0);
  EXPECT_EQ(plain.labels[kEctFirstField], "Base Address:");
  EXPECT_EQ(plain.texts[kEctFirstField], "$C000");
  EXPECT_EQ(plain.boxLabels[0], "Sum with Previous Entry");
  EXPECT_TRUE(plain.boxChecked[0]);
  EXPECT_FALSE(plain.secondLine);

  const EctPanel filtered = TableOf(false, {0x38C010, 0xFF, 100}).Panel(0);
  EXPECT_EQ(filtered.labels[kEctSecondLine], "Mask:");
  EXPECT_EQ(filtered.texts[kEctSecondLine], "$0000FF");
  EXPECT_EQ(filtered.labels[kEctThirdLine], "Filter:");
  EXPECT_EQ(filtered.texts[kEctThirdLine], "100");
  EXPECT_EQ(filtered.boxLabels[2], "Unshifted Data");
  EXPECT_TRUE(filtered.boxChecked[2]);
  EXPECT_TRUE(filtered.thirdLine);

  const EctPanel parallel = TableOf(true, {0x2F8000, 0x018004}).Panel(0);
  EXPECT_EQ(parallel.texts[kEctFirstField], "$078000");
  EXPECT_EQ(parallel.labels[kEctSecondLine], "Width:");
  EXPECT_EQ(parallel.texts[kEctSecondLine], "24");
  EXPECT_EQ(parallel.labels[kEctOffset], "Offset:");
  EXPECT_EQ(parallel.texts[kEctOffset], "4");
  EXPECT_EQ(parallel.boxLabels[0], "Unshifted Data");
  EXPECT_TRUE(parallel.boxChecked[0]);
  EXPECT_TRUE(parallel.boxLabels[1].empty());

  const EctPanel sum = TableOf(true, {0xE60305}).Panel(0);
  EXPECT_EQ(sum.labels[kEctFirstField], "First ECT Entry:");
  EXPECT_EQ(sum.texts[kEctFirstField], "5");
  EXPECT_EQ(sum.texts[kEctSecondEntry], "3");
  EXPECT_EQ((std::array<bool, 4>{false, true, true, false}), sum.boxChecked);
  EXPECT_EQ(sum.boxLabels[3], "Negate First ECT Entry");

  const EctPanel interpolator = TableOf(true, {0xF78000, 0x78F00, 9}).Panel(0);
  EXPECT_EQ(interpolator.labels[kEctSecondLine], "A/D Address:");
  EXPECT_EQ(interpolator.texts[kEctSecondLine], "$078F00");
  EXPECT_EQ(interpolator.labels[kEctThirdLine], "A/D Bias:");
  EXPECT_EQ(interpolator.boxLabels[0], "PMAC2 IC");
}

TEST(EncoderTableTest, FieldEditsKeepTheirRangesAndOtherBits) {
  EctTable table = TableOf(false, {0x01C000, 0x10C000, 5});
  table.EditField(0, kEctFirstField, "$C008");
  EXPECT_EQ(table.Word(0), 0x01C008);
  // Out of range (or not a number) clears the field alone: bit 16 and the type stay.
  for (const char* text : {"$1FFFF", "65536", "-1", "abc"}) {
    table.SetWord(0, 0x01C000);
    table.EditField(0, kEctFirstField, text);
    EXPECT_EQ(table.Word(0), 0x010000) << text;
  }
  table.EditField(0, kEctFirstField, "49152");
  EXPECT_EQ(table.Word(0), 0x01C000);

  // A 2-line entry's second word takes any 24-bit value; the next entry is untouched.
  table.SetWord(0, 0x40C000);
  table.EditField(0, kEctSecondLine, "$FFFFFF");
  EXPECT_EQ(table.Word(1), 0xFFFFFF);
  table.EditField(0, kEctSecondLine, "16777216");
  EXPECT_EQ(table.Word(1), 0);
  EXPECT_EQ(table.Word(2), 5);

  EctTable turbo = TableOf(true, {0x278000, 0x018004, 0xE00000});
  turbo.EditField(0, kEctFirstField, "$7FFFF");
  EXPECT_EQ(turbo.Word(0), 0x27FFFF);
  turbo.EditField(0, kEctFirstField, "$80000");
  EXPECT_EQ(turbo.Word(0), 0x200000);
  turbo.EditField(0, kEctSecondLine, "4095");
  turbo.EditField(0, kEctOffset, "4096");
  EXPECT_EQ(turbo.Word(1), 0xFFF000);
  turbo.EditField(0, kEctOffset, "$12");
  EXPECT_EQ(turbo.Word(1), 0xFFF012);

  // A sum entry's numbers stay below 192 and in their own byte.
  turbo.EditField(2, kEctFirstField, "191");
  turbo.EditField(2, kEctSecondEntry, "7");
  EXPECT_EQ(turbo.Word(2), 0xE007BF);
  turbo.EditField(2, kEctSecondEntry, "192");
  EXPECT_EQ(turbo.Word(2), 0xE000BF);
  // Other Turbo second words stop at $7FFFF.
  turbo.SetWord(0, 0x478000);
  turbo.EditField(0, kEctSecondLine, "$80000");
  EXPECT_EQ(turbo.Word(1), 0);
}

TEST(EncoderTableTest, CheckBoxesSetTheirBits) {
  EctTable table = TableOf(false, {0x20C000});
  table.SetBox(0, 0, true);
  table.SetBox(0, 2, true);
  EXPECT_EQ(table.Word(0), 0x29C000);
  table.SetBox(0, 1, true);  // no second box on this variant
  table.SetBox(0, 0, false);
  EXPECT_EQ(table.Word(0), 0x28C000);

  EctTable turbo = TableOf(true, {0xE00000});
  for (int box = 0; box < kEctBoxCount; ++box) turbo.SetBox(0, box, true);
  EXPECT_EQ(turbo.Word(0), 0xEF0000);
  turbo.SetBox(0, 1, false);
  EXPECT_EQ(turbo.Word(0), 0xEB0000);
}

TEST(EncoderTableTest, TypeChangesInsertAndRemoveLines) {
  EctTable table = TableOf(false, {0x01C000, 0x00C004, 0x00C008});
  table.SetWord(31, 0x00C07C);
  table.ChangeType(0, 3);
  EXPECT_EQ(table.Word(0), 0x31C000);  // other bits kept
  EXPECT_EQ(table.Word(1), 0);
  EXPECT_EQ(table.Word(2), 0);
  EXPECT_EQ(table.Word(3), 0x00C004);
  EXPECT_EQ(table.Word(31), 0);  // pushed past the end
  table.ChangeType(0, 0);
  EXPECT_EQ(table.Word(0), 0x01C000);
  EXPECT_EQ(table.Word(1), 0x00C004);
  EXPECT_EQ(table.Word(2), 0x00C008);
  EXPECT_EQ(table.Word(30), 0);
  EXPECT_EQ(table.Word(31), 0);
  table.ChangeType(0, 16);  // not a type
  EXPECT_EQ(table.Word(0), 0x01C000);

  // The last line can take a longer type: what does not fit is dropped.
  table.SetWord(31, 0x00C07C);
  table.ChangeType(31, 7);
  EXPECT_EQ(table.Word(31), 0x70C07C);
  EXPECT_EQ(table.LineCount(), 32);
}

TEST(EncoderTableTest, InsertAndDeleteMoveTheFollowingLines) {
  EctTable table = TableOf(true, {0x078000, 0x378100, 1, 2, 0x078200});
  table.SetWord(191, 0x0781FF);
  table.InsertLine(1);
  EXPECT_EQ(table.Word(1), 0);
  EXPECT_EQ(table.Word(2), 0x378100);
  EXPECT_EQ(table.Word(5), 0x078200);
  EXPECT_EQ(table.Word(191), 0);  // the last word is lost

  table.DeleteEntry(2);  // the 3-line entry
  EXPECT_EQ(table.Word(2), 0x078200);
  EXPECT_EQ(table.Word(3), 0);
  EXPECT_EQ(table.LineCount(), 192);

  EctTable single = TableOf(false, {0x00C000});
  single.DeleteEntry(0);
  for (int i = 0; i < single.LineCount(); ++i)
    EXPECT_TRUE(single.LineText(i).ends_with("=$000000 No Entry")) << i;
  EXPECT_EQ(single.LineText(0), "Y:$720=$000000 No Entry");
  EXPECT_EQ(single.LineText(31), "Y:$73F=$000000 No Entry");
}

}  // namespace
}  // namespace bl::tools
