#include "series/series_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>

namespace bl::series {
namespace {

// The L decode written out with ldexp alone, to hold the fast power-of-two path against.
double PlainDecodeL(std::uint32_t x, std::uint32_t y) {
  double mantissa = static_cast<double>(x & 0x7FFFFF) * 4096 + ((y >> 12) & 0xFFF);
  if (x & 0x800000) mantissa -= std::ldexp(1.0, 35);
  const double value = std::ldexp(mantissa, static_cast<int>(y & 0xFFF) - 2047 - 35);
  return std::clamp(value, -1e300, 1e300);
}

DataSeries& Fill(SeriesTable& table, int k, std::vector<double> values) {
  DataSeries& s = table[k];
  s.Resize(static_cast<int>(values.size()));
  s.values = std::move(values);
  s.sourceType = SourceType::kNone;
  return s;
}

TEST(SeriesDecode, BitFieldsDAndLWords) {
  EXPECT_EQ(DecodeField(0x800000, 0, 24, true), -8388608.0);
  EXPECT_EQ(DecodeField(0x7FFFFF, 0, 24, true), 8388607.0);
  EXPECT_EQ(DecodeField(0x12AB34, 8, 8, false), 171.0);
  // Bits 8..15 of $12AB34 as two's complement: $AB is -85.
  EXPECT_EQ(DecodeField(0x12AB34, 8, 8, true), -85.0);
  EXPECT_EQ(DecodeField(0x000010, 4, 1, true), -1.0);
  EXPECT_EQ(DecodeField(0x000000, 4, 1, true), 0.0);
  // Fields from outside the dialogs stay within the arithmetic.
  EXPECT_EQ(DecodeField(0xFFFFFF, 0, 48, true), 16777215.0);
  EXPECT_TRUE(std::isfinite(DecodeField(0xFFFFFFFF, 70, -3, true)));

  EXPECT_EQ(DecodeD(0x800000, 0), -std::ldexp(1.0, 47));
  EXPECT_EQ(DecodeD(0x7FFFFF, 0xFFFFFF), std::ldexp(1.0, 47) - 1);
  EXPECT_EQ(DecodeD(0xFFFFFF, 0xFFFFFF), -1.0);

  EXPECT_EQ(DecodeL(0, 0), 0.0);
  EXPECT_EQ(DecodeL(0x3FFFFF, 0xFFFFFF), 1e300);
  EXPECT_EQ(DecodeL(0xC00000, 0x000FFF), -1e300);
}

TEST(SeriesDecode, FastLDecodeMatchesThePlainOne) {
  std::mt19937 random(7);
  for (int i = 0; i < 200000; ++i) {
    const std::uint32_t x = random() & 0xFFFFFF;
    const std::uint32_t y = random() & 0xFFFFFF;
    ASSERT_EQ(DecodeL(x, y), PlainDecodeL(x, y)) << std::hex << x << " " << y;
  }
}

TEST(SeriesEncode, LWordsRoundTripAcrossMagnitudes) {
  std::uint32_t x = 0, y = 0;
  EncodeL(1.0, x, y);
  EXPECT_EQ(x, 0x3FFFFFu);
  EXPECT_EQ(y, 0xFFF800u);
  EncodeL(-1.0, x, y);
  EXPECT_EQ(x, 0xC00000u);
  EXPECT_EQ(y, 0x001800u);

  for (double magnitude : {1e-300, 3.7e-200, 1e-9, 0.3, 0.75, 1.0, 2.0, 12345.678, 1e20, 1e300}) {
    for (double v : {magnitude, -magnitude, magnitude * 0.999, -magnitude * 1.001}) {
      EncodeL(v, x, y);
      EXPECT_LE(x, 0xFFFFFFu);
      EXPECT_LE(y, 0xFFFFFFu);
      const double expected = std::clamp(v, -1e300, 1e300);
      EXPECT_NEAR(DecodeL(x, y), expected, std::fabs(expected) * std::ldexp(1.0, -32)) << v;
    }
  }
  for (double v : {0.0, -0.0, std::numeric_limits<double>::quiet_NaN()}) {
    EncodeL(v, x, y);
    EXPECT_EQ(DecodeL(x, y), 0.0);
  }
  EncodeL(std::numeric_limits<double>::infinity(), x, y);
  EXPECT_NEAR(DecodeL(x, y), 1e300, 1e300 * 1e-9);
  EncodeL(-std::numeric_limits<double>::infinity(), x, y);
  EXPECT_NEAR(DecodeL(x, y), -1e300, 1e300 * 1e-9);
}

TEST(SeriesTable, StartsWithTheSineWave) {
  SeriesTable table;
  EXPECT_EQ(table[0].title, kScratchTitle);
  EXPECT_EQ(table[0].sampleCount, 0);
  const DataSeries& sine = table[1];
  EXPECT_EQ(sine.title, "Sine Wave");
  EXPECT_TRUE(sine.active);
  ASSERT_EQ(sine.sampleCount, 4096);
  for (int i : {0, 1, 100, 4095}) {
    const double expected = 50.0 * std::cos(0.1570796326795 * i) / (1.0 + 0.005 * i) +
                            50.0 * std::sin(0.00628318530718 * i);
    EXPECT_NEAR(sine.values[i], expected, 1e-7) << i;
    EXPECT_EQ(DecodeL(sine.xWords[i], sine.yWords[i]), sine.values[i]);
  }
}

TEST(SeriesProcess, ScaleIntegrateAndDifferentiate) {
  SeriesTable table;
  DataSeries& s = Fill(table, 2, {0, 1, 3, 6});
  s.rawDataPeriod = 1.0;
  s.integrationMode = IntegrationMode::kDifferentiateOnce;
  table.ProcessSeries(2, SpectrumLayout::kMagnitudePhase);
  EXPECT_EQ(s.values, (std::vector<double>{0, 1, 2, 3}));

  Fill(table, 2, {0, 1, 3, 6});
  s.integrationMode = IntegrationMode::kDifferentiateTwice;
  table.ProcessSeries(2, SpectrumLayout::kMagnitudePhase);
  EXPECT_EQ(s.values, (std::vector<double>{0, 0, 1, 1}));

  // A constant 2 integrated twice over T = 0.5: the ramp then the parabola, from v[0].
  Fill(table, 2, {2, 2, 2, 2});
  s.rawDataPeriod = 0.5;
  s.integrationMode = IntegrationMode::kIntegrateTwice;
  table.ProcessSeries(2, SpectrumLayout::kMagnitudePhase);
  EXPECT_EQ(s.values, (std::vector<double>{2, 3.5, 5.5, 8}));

  Fill(table, 2, {5});
  s.integrationMode = IntegrationMode::kDifferentiateTwice;
  table.ProcessSeries(2, SpectrumLayout::kMagnitudePhase);
  EXPECT_EQ(s.values, (std::vector<double>{5}));

  // Without raw decoding each pass scales the values as they stand again.
  Fill(table, 2, {1, 2});
  s.integrationMode = IntegrationMode::kNone;
  s.scaleFactor = 2.0;
  s.offset = 1.0;
  table.ProcessSeries(2, SpectrumLayout::kMagnitudePhase);
  table.ProcessSeries(2, SpectrumLayout::kMagnitudePhase);
  EXPECT_EQ(s.values, (std::vector<double>{7, 11}));

  // Gathered words are decoded afresh, so scaling applies once: counts of a D position.
  DataSeries& d = table[3];
  d.Resize(2);
  d.sourceType = SourceType::kD;
  d.xWords = {0, 0xFFFFFF};
  d.yWords = {3072, 0xFFF400};  // 1 count and -1 count at Ix08 = 96
  d.scaleFactor = 1.0 / 3072;
  table.ProcessSeries(3, SpectrumLayout::kMagnitudePhase);
  table.ProcessSeries(3, SpectrumLayout::kMagnitudePhase);
  EXPECT_EQ(d.values, (std::vector<double>{1, -1}));
}

TEST(SeriesProcess, SecondOrderFilter) {
  SeriesTable table;
  DataSeries& s = Fill(table, 4, std::vector<double>(400, 1.0));
  s.normalizeFilterGain = true;
  table.ProcessSeries(4, SpectrumLayout::kMagnitudePhase);
  EXPECT_EQ(s.values, std::vector<double>(400, 1.0)) << "no coefficients, no filter";

  // A low-pass pole pair with its gain normalised: a unit step settles at 1.
  s.D1 = -1.6;
  s.D2 = 0.68;
  table.ProcessSeries(4, SpectrumLayout::kMagnitudePhase);
  EXPECT_NEAR(s.values.back(), 1.0, 1e-9);
  EXPECT_NEAR(s.values[0], (1 - 1.6 + 0.68), 1e-12);
}

TEST(SeriesProcess, PairedFilterAgreesWithThePlainRecursion) {
  std::mt19937 random(11);
  std::normal_distribution<double> noise(0.0, 1000.0);
  // Low-pass poles close to z = 1, a band-pass pair, high-pass zeros over a first-order pole;
  // odd and even lengths, so the last unpaired sample is covered too.
  const double sections[][4] = {
      {0, 0, -1.98, 0.9802}, {0.5, -0.2, -1.2, 0.72}, {-2, 1, -0.5, 0}, {-1, 0, 0, 0}};
  for (const auto& c : sections) {
    for (int n : {1, 2, 999, 1000}) {
      SeriesTable table;
      std::vector<double> input(static_cast<std::size_t>(n));
      for (double& v : input) v = noise(random);
      DataSeries& s = Fill(table, 2, input);
      s.N1 = c[0], s.N2 = c[1], s.D1 = c[2], s.D2 = c[3];
      table.ProcessSeries(2, SpectrumLayout::kMagnitudePhase);
      double x1 = 0, x2 = 0, y1 = 0, y2 = 0, largest = 1.0;
      for (int i = 0; i < n; ++i) {
        const double y = input[i] + c[0] * x1 + c[1] * x2 - c[2] * y1 - c[3] * y2;
        x2 = x1, x1 = input[i], y2 = y1, y1 = y;
        largest = std::max(largest, std::fabs(y));
        ASSERT_NEAR(s.values[i], y, largest * 1e-12) << "sample " << i << " of " << n;
      }
    }
  }
}

TEST(SeriesProcess, SpectrumExtendsAndTransforms) {
  SeriesTable table;
  table.graphType = kFrequencyGraph;
  DataSeries& s = table[5];
  s.Resize(1000);
  for (int i = 0; i < 1000; ++i) s.values[i] = 3.0 * std::cos(2 * std::numbers::pi * 8 * i / 1024);
  s.sourceType = SourceType::kL;
  table.EncodeLWords(5);
  table.ProcessSeries(5, SpectrumLayout::kMagnitudePhase);
  ASSERT_EQ(s.sampleCount, 1024);
  for (int i = 1000; i < 1024; ++i) EXPECT_EQ(s.xWords[i] | s.yWords[i], 0u);
  EXPECT_EQ(table[0].sampleCount, 1024) << "series 0 holds the packed transform";
  // The peak sits at bin 8 with magnitude near 3·n/2 less the 24 missing samples.
  const auto peak = std::max_element(s.values.begin(), s.values.begin() + 512);
  EXPECT_EQ(peak - s.values.begin(), 8);
  EXPECT_NEAR(*peak, 3.0 * 1000 / 2, 30.0);

  // A sine at bin 4 over a whole power of two: F(4) = n/2·i with the positive exponent, so the
  // phase shows -90 degrees and the imaginary part +n/2.
  DataSeries& sine = Fill(table, 6, {});
  sine.Resize(64);
  for (int i = 0; i < 64; ++i) sine.values[i] = std::sin(2 * std::numbers::pi * 4 * i / 64);
  table.ProcessSeries(6, SpectrumLayout::kMagnitudePhase);
  EXPECT_NEAR(sine.values[4], 32.0, 1e-9);
  EXPECT_NEAR(sine.values[32 + 4], -90.0, 1e-9);
  for (int i = 0; i < 64; ++i) sine.values[i] = std::sin(2 * std::numbers::pi * 4 * i / 64);
  table.ProcessSeries(6, SpectrumLayout::kRealImaginary);
  EXPECT_NEAR(sine.values[4], 0.0, 1e-9);
  EXPECT_NEAR(sine.values[32 + 4], 32.0, 1e-9);

  // A series without raw words keeps its values when it is extended.
  DataSeries& bare = Fill(table, 7, {1, 1, 1});
  table.ProcessSeries(7, SpectrumLayout::kRealImaginary);
  ASSERT_EQ(bare.sampleCount, 4);
  EXPECT_EQ(bare.values[0], 3.0);
}

TEST(SeriesTable, DeleteCopyAndClear) {
  SeriesTable table;
  Fill(table, 2, {0, 1, 2, 3, 4});
  Fill(table, 3, {10, 11, 12});
  Fill(table, 4, {});
  table.CopyToScratch(4);
  EXPECT_EQ(table[0].sampleCount, 0) << "an empty series copies nothing";

  table.DeletePoints(3, 9, 2, 1);  // points 1..9 of series 2..3, given backwards
  EXPECT_EQ(table[2].values, (std::vector<double>{0}));
  EXPECT_EQ(table[3].values, (std::vector<double>{10}));
  EXPECT_EQ(table[2].xWords.size(), 1u);
  EXPECT_EQ(table[0].values, (std::vector<double>{10, 11, 12})) << "deleted via series 0";

  Fill(table, 2, {0, 1, 2});
  table.DeletePoints(2, 5, 2, 7);    // starts after the end
  table.DeletePoints(2, -5, 2, -1);  // ends before the start
  EXPECT_EQ(table[2].sampleCount, 3);
  table.DeletePoints(2, -5, 2, 0);
  EXPECT_EQ(table[2].values, (std::vector<double>{1, 2}));

  table.seriesCount = 24;
  Fill(table, 30, {1, 2});
  table.DeletePoints(30, 0, 30, 1);
  EXPECT_EQ(table[30].sampleCount, 2) << "series above the controller's count are skipped";

  table.ClearSeries(2);
  EXPECT_EQ(table[2].sampleCount, 0);
  EXPECT_TRUE(table[2].xWords.empty() && table[2].yWords.empty() && table[2].values.empty());
  table.ProcessSeries(2, SpectrumLayout::kMagnitudePhase);  // empty: nothing to do
  EXPECT_EQ(table[2].sampleCount, 0);
}

}  // namespace
}  // namespace bl::series
