// The binary script file byte for byte, and what a damaged or hostile file becomes.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>

#include "diagnostics/diagnostic_script.h"
#include "platform/little_endian.h"

namespace bl::diagnostics {
namespace {

void PutInt(std::string& bytes, std::size_t at, int v) {
  platform::StoreLittleEndian(bytes.data() + at, static_cast<std::uint32_t>(v), 4);
}
void PutDouble(std::string& bytes, std::size_t at, double v) {
  platform::StoreLittleEndian(bytes.data() + at, std::bit_cast<std::uint64_t>(v), 8);
}

std::string Header() {
  std::string bytes(256, '\0');
  std::memcpy(bytes.data(), kDiagnosticMagic, sizeof kDiagnosticMagic);
  bytes[200] = 'x';  // after the NUL: ignored
  return bytes;
}

// One item whose every integer field holds 1000 + its offset, and one variable.
std::string HandBuiltFile() {
  std::string bytes = Header();
  bytes.resize(256 + 4 + 1168 + 4 + 64);
  PutInt(bytes, 256, 0);
  const std::size_t item = 260;
  for (std::size_t at = 0; at <= 96; at += 4) PutInt(bytes, item + at, 1000 + int(at));
  PutDouble(bytes, item + 104, 0.5);
  PutDouble(bytes, item + 112, -2.25);
  PutInt(bytes, item + 120, 4);
  PutDouble(bytes, item + 128, 100.0);
  PutDouble(bytes, item + 136, -100.0);
  std::memcpy(bytes.data() + item + 144, "Normal", 6);
  std::memcpy(bytes.data() + item + 400, "Active", 6);
  std::memcpy(bytes.data() + item + 656, "#1J+", 4);
  const std::size_t variable = item + 1168 + 4;
  PutInt(bytes, variable - 4, 0);
  PutInt(bytes, variable, 1);
  PutInt(bytes, variable + 4, 100);
  PutInt(bytes, variable + 8, -1);
  PutInt(bytes, variable + 12, 7);
  PutDouble(bytes, variable + 16, 12.5);
  std::memcpy(bytes.data() + variable + 28, "Speed", 5);
  return bytes;
}

TEST(ScriptFormat, EveryFieldAtItsOffsetAndBackToTheSameBytes) {
  std::string bytes = HandBuiltFile();
  DiagnosticTables t;
  ASSERT_EQ(DecodeScript(bytes, t), DecodeResult::kOk);
  EXPECT_EQ(t.itemCount, 1);
  EXPECT_EQ(t.variableCount, 1);
  const DiagnosticItem& i = t.items[0];
  // clang-format off
  const int ints[] = {i.kind, i.style, i.x1, i.y1, i.x2, i.y2, i.angle, i.mode, i.parameter1,
                      i.parameter2, i.outlineNormal, i.outlineActive, i.fillNormal, i.fillActive,
                      i.font, i.alignment, i.precision, i.argument, i.motionStart, i.variableA,
                      i.variableB, i.startBitA, i.bitCountA, i.startBitB, i.bitCountB};
  // clang-format on
  for (std::size_t k = 0; k < std::size(ints); ++k) EXPECT_EQ(ints[k], 1000 + 4 * int(k)) << k;
  EXPECT_EQ(i.scaleA, 0.5);
  EXPECT_EQ(i.scaleB, -2.25);
  EXPECT_EQ(i.operation, 4);
  EXPECT_EQ(i.maximum, 100.0);
  EXPECT_EQ(i.minimum, -100.0);
  EXPECT_EQ(i.text1, "Normal");
  EXPECT_EQ(i.text2, "Active");
  EXPECT_EQ(i.command, "#1J+");
  const DiagnosticVariable& v = t.variables[0];
  EXPECT_EQ(v.type, 1);
  EXPECT_EQ(v.number, 100);
  EXPECT_EQ(v.indexVariable, -1);
  EXPECT_EQ(v.multiplier, 7);
  EXPECT_EQ(v.value, 12.5);
  EXPECT_EQ(v.name, "Speed");
  // The writer leaves the header's tail empty; otherwise the file comes back unchanged.
  bytes[200] = '\0';
  EXPECT_EQ(EncodeScript(t), bytes);
}

TEST(ScriptFormat, CountsNegativeHugeOrBeyondTheFile) {
  // Negative counts: no records of that table.
  std::string none = Header() + std::string(8, '\0');
  PutInt(none, 256, -5);
  PutInt(none, 260, -1);
  DiagnosticTables t;
  ASSERT_EQ(DecodeScript(none, t), DecodeResult::kOk);
  EXPECT_EQ(t.itemCount, 0);
  EXPECT_EQ(t.variableCount, 0);

  // 1002 items: the first 1000 are kept, the rest skipped, and the variables still found.
  std::string many = Header() + std::string(4 + 1002 * 1168 + 4 + 64, '\0');
  PutInt(many, 256, 1001);
  PutInt(many, 260 + 999 * 1168, 6);
  PutInt(many, 260 + 1000 * 1168, 7);
  PutInt(many, 260 + 1002 * 1168, 0);
  PutInt(many, 264 + 1002 * 1168, 100);
  ASSERT_EQ(DecodeScript(many, t), DecodeResult::kOk);
  EXPECT_EQ(t.itemCount, 1000);
  EXPECT_EQ(t.items.size(), 1000u);
  EXPECT_EQ(t.items[999].kind, 6);
  EXPECT_EQ(t.variables[0].type, 100);

  // Counts that promise more than the file holds leave the tables cleared.
  for (int count : {1, 0x7FFFFFFF}) {
    std::string short_ = HandBuiltFile();
    PutInt(short_, 256, count);
    t.items[0].kind = 5;
    EXPECT_EQ(DecodeScript(short_, t), DecodeResult::kTruncated) << count;
    EXPECT_EQ(t.items[0].kind, 0);
    EXPECT_EQ(t.itemCount, 0);
  }
  EXPECT_EQ(DecodeScript(HandBuiltFile().substr(0, 300), t), DecodeResult::kTruncated);
  EXPECT_EQ(DecodeScript(Header(), t), DecodeResult::kTruncated);

  // The header's text is the magic alone: not "...1.012", not "...1.00".
  std::string longer = HandBuiltFile();
  longer[sizeof kDiagnosticMagic - 1] = '2';
  EXPECT_EQ(DecodeScript(longer, t), DecodeResult::kBadHeader);
  std::string older = HandBuiltFile();
  older[sizeof kDiagnosticMagic - 2] = '0';
  EXPECT_EQ(DecodeScript(older, t), DecodeResult::kBadHeader);
  EXPECT_EQ(DecodeScript("", t), DecodeResult::kBadHeader);
}

TEST(ScriptFormat, TextsWithoutTheirNulEndAtTheirField) {
  std::string bytes = HandBuiltFile();
  std::memset(bytes.data() + 260 + 144, 'a', 256);
  std::memset(bytes.data() + 260 + 656, 'c', 256);
  std::memset(bytes.data() + 260 + 1168 + 4 + 28, 'n', 36);
  DiagnosticTables t;
  ASSERT_EQ(DecodeScript(bytes, t), DecodeResult::kOk);
  EXPECT_EQ(t.items[0].text1, std::string(255, 'a'));
  EXPECT_EQ(t.items[0].command, std::string(255, 'c'));
  EXPECT_EQ(t.variables[0].name, std::string(35, 'n'));
}

}  // namespace
}  // namespace bl::diagnostics
