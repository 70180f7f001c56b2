#include "series/series_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>

namespace bl::series {
namespace {

// Writes native values at an offset: the test machine is little-endian, like the file.
template <typename T>
void Put(std::string& bytes, std::size_t at, T value) {
  std::memcpy(bytes.data() + at, &value, sizeof value);
}

TEST(SeriesFile, BytesLieWhereTheLayoutPutsThem) {
  SeriesTable table;
  table.seriesCount = 24;
  for (int k = 1; k <= 24; ++k) table[k].Resize(0);
  DataSeries& s = table[2];
  s.SetTitle("Position");
  s.sourceType = SourceType::kY;
  s.rawDataAddress = 0x1234;
  s.rawDataPeriod = 0.25;
  s.Resize(2);
  s.xWords = {0x800001, 0x7FFFFF};
  s.yWords = {0xABCDEF, 3};
  s.active = true;
  s.address = 0x7FFFF;
  s.startingBit = 5;
  s.wordLength = 7;
  s.signedData = false;
  s.integrationMode = IntegrationMode::kDifferentiateTwice;
  s.scaleFactor = -2.5;
  s.offset = 1e-3;
  s.normalizeFilterGain = true;
  s.N1 = 1;
  s.N2 = 2;
  s.D1 = 3;
  s.D2 = 4;
  const std::string graphs(kSeriesFileGraphBytes, '\x5A');

  std::string expected(256 + 4 + 24 * 216 + 16, '\0');
  std::memcpy(expected.data(), "Brightlantern Data File Version 1.00", 36);
  Put<std::int32_t>(expected, 256, 24);
  for (int k = 1; k <= 24; ++k) {
    const std::size_t r = 260 + 216 * static_cast<std::size_t>(k - 1);
    if (k == 2) continue;
    std::memcpy(expected.data() + r, "Empty", 5);
    Put<std::int32_t>(expected, r + 100, 4);
    Put<double>(expected, r + 112, 0.05);
    Put<std::int32_t>(expected, r + 148, 24);
    expected[r + 152] = 1;
    Put<std::int32_t>(expected, r + 156, 2);
    Put<double>(expected, r + 160, 1.0);
  }
  const std::size_t r = 260 + 216;
  std::memcpy(expected.data() + r, "Position", 8);
  Put<std::int32_t>(expected, r + 100, 2);
  Put<std::uint32_t>(expected, r + 104, 0x1234);
  Put<double>(expected, r + 112, 0.25);
  Put<std::int32_t>(expected, r + 120, 2);
  expected[r + 136] = 1;
  Put<std::uint32_t>(expected, r + 140, 0x7FFFF);
  Put<std::int32_t>(expected, r + 144, 5);
  Put<std::int32_t>(expected, r + 148, 7);
  Put<std::int32_t>(expected, r + 156, 4);
  Put<double>(expected, r + 160, -2.5);
  Put<double>(expected, r + 168, 1e-3);
  expected[r + 176] = 1;
  for (int c = 0; c < 4; ++c) Put<double>(expected, r + 184 + 8 * c, c + 1.0);
  const std::size_t words = 260 + 24 * 216;
  Put<std::uint32_t>(expected, words, 0x800001);
  Put<std::uint32_t>(expected, words + 4, 0xABCDEF);
  Put<std::uint32_t>(expected, words + 8, 0x7FFFFF);
  Put<std::uint32_t>(expected, words + 12, 3);
  // Series 1 of the start-up table is active; made like the others here.
  table[1].active = false;
  table[1].SetTitle("Empty");
  table[1].rawDataPeriod = 0.05;
  expected += graphs;
  EXPECT_EQ(EncodeSeriesFile(table, graphs), expected);

  SeriesFileContents contents;
  std::string error;
  ASSERT_TRUE(HasSeriesFileMagic(expected));
  ASSERT_TRUE(DecodeSeriesFile(expected, true, contents, error)) << error;
  ASSERT_EQ(contents.series.size(), 24u);
  EXPECT_EQ(contents.graphBytes, graphs);
  const DataSeries& back = contents.series[1];
  EXPECT_EQ(back.title, "Position");
  EXPECT_EQ(back.xWords, s.xWords);
  EXPECT_EQ(back.yWords, s.yWords);
  EXPECT_EQ(back.values, std::vector<double>(2, 0.0));
  EXPECT_EQ(back.integrationMode, IntegrationMode::kDifferentiateTwice);
  EXPECT_EQ(back.D2, 4.0);
}

TEST(SeriesFile, RandomSeriesOfEverySourceTypeComeBackAsWritten) {
  std::mt19937 random(7);
  SeriesTable table;
  for (int k = 1; k <= kMaxSeriesCount; ++k) {
    DataSeries& s = table[k];
    s.SetTitle("series " + std::to_string(random()));
    s.sourceType = static_cast<SourceType>(1 + k % 6);
    s.Resize(static_cast<int>(random() % 300));
    for (auto& w : s.xWords) w = random() & 0xFFFFFF;
    for (auto& w : s.yWords) w = random() & 0xFFFFFF;
    s.rawDataPeriod = std::ldexp(static_cast<double>(random()), -40);
    s.active = random() % 2;
    s.integrationMode = static_cast<IntegrationMode>(random() % 5);
    s.N1 = std::ldexp(static_cast<double>(random()), -31) - 1;
  }
  SeriesFileContents contents;
  std::string error;
  const std::string bytes = EncodeSeriesFile(table, "");
  ASSERT_TRUE(DecodeSeriesFile(bytes, true, contents, error)) << error;
  ASSERT_EQ(contents.series.size(), 48u);
  // Written again, byte for byte the same file: the layout test above pins where each field lies.
  SeriesTable back;
  for (int k = 1; k <= kMaxSeriesCount; ++k)
    back[k] = contents.series[static_cast<std::size_t>(k - 1)];
  EXPECT_EQ(EncodeSeriesFile(back, ""), bytes);
}

TEST(SeriesFile, FilesFromBeforeTheMagicReadTheirCountOrTwentyFourRecords) {
  SeriesTable table;
  table.seriesCount = 48;
  const std::string current = EncodeSeriesFile(table, "");
  // The count and records without the magic field and without graphs.
  const std::string counted = current.substr(256, current.size() - 256 - kSeriesFileGraphBytes);
  SeriesFileContents contents;
  std::string error;
  EXPECT_FALSE(HasSeriesFileMagic(counted));
  ASSERT_TRUE(DecodeSeriesFile(counted, false, contents, error)) << error;
  EXPECT_EQ(contents.series.size(), 48u);
  EXPECT_TRUE(contents.graphBytes.empty());
  EXPECT_EQ(contents.series[0].title, "Sine Wave");

  // Without a count the 24 records start at once (here: series 1..24 without any words).
  std::string bare;
  for (int k = 0; k < 24; ++k) {
    std::string record(216, '\0');
    record.replace(0, 3, "old");
    bare += record;
  }
  ASSERT_TRUE(DecodeSeriesFile(bare, false, contents, error)) << error;
  ASSERT_EQ(contents.series.size(), 24u);
  EXPECT_EQ(contents.series[23].title, "old");
}

TEST(SeriesFile, DamagedFilesAreRefusedWithAReason) {
  SeriesTable table;
  table.seriesCount = 24;
  const std::string good = EncodeSeriesFile(table, "");
  SeriesFileContents contents;
  std::string error;
  auto refused = [&](std::string bytes) {
    error.clear();
    return !DecodeSeriesFile(bytes, true, contents, error) && !error.empty();
  };
  std::string bad = good;
  Put<std::int32_t>(bad, 256, 49);
  EXPECT_TRUE(refused(bad));
  Put<std::int32_t>(bad, 256, 0);
  EXPECT_TRUE(refused(bad));
  bad = good;
  Put<std::int32_t>(bad, 260 + 120, -1);
  EXPECT_TRUE(refused(bad));
  Put<std::int32_t>(bad, 260 + 120, kMaxSampleCount + 1);
  EXPECT_TRUE(refused(bad));
  // More samples than the file has bytes for, though within the limit.
  Put<std::int32_t>(bad, 260 + 120, 1 << 20);
  EXPECT_TRUE(refused(bad));
  EXPECT_NE(error.find("ends early"), std::string::npos);
  bad = good;
  std::memset(bad.data() + 260 + 216, 'x', 100);
  EXPECT_TRUE(refused(bad));
  // Every cut of a whole file is refused.
  for (std::size_t size = 0; size < good.size(); size += size < 6000 ? 1 : 97)
    EXPECT_TRUE(refused(good.substr(0, size))) << size;
}

}  // namespace
}  // namespace bl::series
