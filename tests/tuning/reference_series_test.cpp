#include "tuning/reference_series.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>

#include "series/series_table.h"
#include "tuning/reference_series_presenter.h"

namespace bl::tuning {
namespace {

using series::DataSeries;
using series::SeriesTable;

ReferenceSettings Wave(ReferenceType type, double period, double shift) {
  ReferenceSettings s;
  s.type = type;
  s.amplitude = 10.0;
  s.offset = 2.0;
  s.period = period;
  s.shift = shift;
  s.dataPeriod = 1.0;
  return s;
}

TEST(ReferenceValue, ShapesFollowThePhaseTruncatedTowardZero) {
  const ReferenceSettings square = Wave(ReferenceType::kSquare, 4.0, 0.0);
  // f = 0, 0.25, 0.5 stay at the offset; 0.75 is the high part; then it repeats.
  const double expected[] = {2, 2, 2, 12, 2, 2, 2, 12};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(ReferenceValue(square, i), expected[i]) << i;

  const ReferenceSettings forward = Wave(ReferenceType::kSawtoothForward, 4.0, 0.0);
  const ReferenceSettings reverse = Wave(ReferenceType::kSawtoothReverse, 4.0, 0.0);
  EXPECT_EQ(ReferenceValue(forward, 3), 0.75 * 10 + 2);
  EXPECT_EQ(ReferenceValue(forward, 4), 2.0);
  EXPECT_EQ(ReferenceValue(reverse, 0), 12.0);
  EXPECT_EQ(ReferenceValue(reverse, 1), 0.75 * 10 + 2);

  const ReferenceSettings sine = Wave(ReferenceType::kSine, 8.0, 0.0);
  EXPECT_NEAR(ReferenceValue(sine, 2), 12.0, 1e-9);
  EXPECT_NEAR(ReferenceValue(sine, 6), -8.0, 1e-9);

  // A negative shift: the first phases are negative, so the sawtooth starts below the offset and
  // the square wave stays at the offset there.
  const ReferenceSettings early = Wave(ReferenceType::kSawtoothForward, 4.0, -3.0);
  EXPECT_EQ(ReferenceValue(early, 0), -0.75 * 10 + 2);
  EXPECT_EQ(ReferenceValue(early, 3), 2.0);
  const ReferenceSettings earlySquare = Wave(ReferenceType::kSquare, 4.0, -3.0);
  EXPECT_EQ(ReferenceValue(earlySquare, 0), 2.0);
  EXPECT_EQ(ReferenceValue(earlySquare, 2), 2.0);

  // Impulse and zeros take neither amplitude nor offset.
  EXPECT_EQ(ReferenceValue(Wave(ReferenceType::kImpulse, 4, 0), 0), 1.0);
  EXPECT_EQ(ReferenceValue(Wave(ReferenceType::kImpulse, 4, 0), 1), 0.0);
  EXPECT_EQ(ReferenceValue(Wave(ReferenceType::kZeros, 4, 0), 0), 0.0);

  EXPECT_EQ(ReferenceTitle(ReferenceType::kSawtoothForward),
            ReferenceTitle(ReferenceType::kSawtoothReverse));
  EXPECT_EQ(ReferenceTitle(ReferenceType::kSquare), "Reference Series: Square Wave");
}

TEST(ReferenceValue, PeriodZeroGivesNoSignalRatherThanNotANumber) {
  for (ReferenceType type : {ReferenceType::kSine, ReferenceType::kSquare,
                             ReferenceType::kSawtoothForward, ReferenceType::kSawtoothReverse}) {
    const ReferenceSettings s = Wave(type, 0.0, 0.0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(ReferenceValue(s, i), 2.0);
  }
}

TEST(CreateReferenceSeries, WritesWordsThatDecodeToTheSignal) {
  SeriesTable table;
  DataSeries& s = table[5];
  s.scaleFactor = 3.0;
  s.offset = 7.0;
  s.integrationMode = series::IntegrationMode::kIntegrateOnce;
  s.sourceType = series::SourceType::kD;
  s.address = 0x88;
  s.rawDataAddress = 0x1234;
  ReferenceSettings settings = Wave(ReferenceType::kSine, 0.37, -0.05);
  settings.series = 5;
  settings.amplitude = -123.456;
  settings.dataPeriod = 0.001;
  settings.length = 777;
  ASSERT_TRUE(CreateReferenceSeries(table, settings));

  EXPECT_EQ(s.sampleCount, 777);
  EXPECT_EQ(s.title, "Reference Series: Sine Wave");
  EXPECT_EQ(s.rawDataPeriod, 0.001);
  EXPECT_EQ(s.sourceType, series::SourceType::kL);
  EXPECT_EQ(s.scaleFactor, 1.0);
  EXPECT_EQ(s.offset, 0.0);
  EXPECT_EQ(s.integrationMode, series::IntegrationMode::kNone);
  EXPECT_EQ(s.address, 0u);
  EXPECT_EQ(s.rawDataAddress, 0u);
  for (int i = 0; i < 777; ++i) {
    const double want = ReferenceValue(settings, i);
    const double tolerance = std::fabs(want) * std::ldexp(1.0, -32) + 1e-300;
    ASSERT_NEAR(series::DecodeL(s.xWords[i], s.yWords[i]), want, tolerance) << i;
    ASSERT_NEAR(s.values[i], want, tolerance) << i;
  }
  // Processing again changes nothing: the values are what the words say.
  const std::vector<double> before = s.values;
  table.ProcessSeries(5, series::SpectrumLayout::kMagnitudePhase);
  EXPECT_EQ(s.values, before);
}

TEST(CreateReferenceSeries, RefusesEmptyLengthsAndUnknownSeriesAndFollowsTheFrequencyGraph) {
  SeriesTable table;
  const std::vector<double> before = table[1].values;
  ReferenceSettings settings;
  settings.length = 0;
  EXPECT_FALSE(CreateReferenceSeries(table, settings));
  settings.length = 16;
  settings.series = 49;
  EXPECT_FALSE(CreateReferenceSeries(table, settings));
  EXPECT_EQ(table[1].values, before);
  EXPECT_EQ(table[1].title, "Sine Wave");

  // Under the frequency graph the new series is a spectrum like every other: an impulse has a
  // flat magnitude and no phase, over the length extended to a power of two.
  table.graphType = series::kFrequencyGraph;
  settings.series = 2;
  settings.type = ReferenceType::kImpulse;
  settings.length = 1000;
  ASSERT_TRUE(CreateReferenceSeries(table, settings));
  const DataSeries& s = table[2];
  ASSERT_EQ(s.sampleCount, 1024);
  for (int k = 0; k < 512; ++k) {
    ASSERT_NEAR(s.values[k], 1.0, 1e-9) << k;
    ASSERT_NEAR(s.values[512 + k], 0.0, 1e-6) << k;
  }
}

class ReferencePresenterTest : public ::testing::Test {
 protected:
  ReferencePresenterTest() {
    table.seriesCount = 24;
    table[3].Resize(300);
    table[3].rawDataPeriod = 0.002;
  }

  SeriesTable table;
  ReferenceSettings settings;
  int changes = 0;
  ReferenceSeriesPresenter presenter{settings, table, [this] { ++changes; }};
};

TEST_F(ReferencePresenterTest, OpeningAndChoosingTakeLengthAndPeriodFromTheSeries) {
  settings.series = 30;  // beyond the 24 series of a non-Turbo controller
  presenter.Open();
  EXPECT_EQ(settings.series, 1);
  EXPECT_EQ(presenter.FieldText(ReferenceField::kLength), "4096");
  EXPECT_EQ(presenter.FieldText(ReferenceField::kDataPeriod), "0.004420");
  EXPECT_EQ(presenter.FieldText(ReferenceField::kAmplitude), "100.000000");
  EXPECT_EQ(presenter.SeriesItems().size(), 24u);
  EXPECT_EQ(presenter.SeriesItems()[0], "#1: Sine Wave");

  presenter.ChooseSeries(2);
  EXPECT_EQ(presenter.SeriesIndex(), 2);
  EXPECT_EQ(presenter.FieldText(ReferenceField::kLength), "300");
  EXPECT_EQ(presenter.FieldText(ReferenceField::kDataPeriod), "0.002000");
  presenter.ChooseSeries(24);
  EXPECT_EQ(settings.series, 1);
}

TEST_F(ReferencePresenterTest, EditsKeepTheOldValueUnlessTheyHoldAFiniteNumber) {
  presenter.Open();
  presenter.EditField(ReferenceField::kPeriod, " 2.5e-1 s");
  EXPECT_EQ(settings.period, 0.25);
  for (const char* text : {"", "abc", "nan", "-inf", "1e999"}) {
    presenter.EditField(ReferenceField::kOffset, text);
    EXPECT_EQ(settings.offset, 0.0) << text;
  }
  presenter.EditField(ReferenceField::kLength, "12.9");
  EXPECT_EQ(settings.length, 12);
  presenter.EditField(ReferenceField::kLength, "x");
  EXPECT_EQ(settings.length, 12);
  // A length no series can hold is cut to the longest one, so no memory is asked for in vain.
  presenter.EditField(ReferenceField::kLength, "99999999999");
  EXPECT_EQ(presenter.FieldText(ReferenceField::kLength), "16777216");
  presenter.EditField(ReferenceField::kLength, "-5");
  EXPECT_EQ(settings.length, -5);
}

TEST_F(ReferencePresenterTest, CreateNowRefreshesEvenWhenItMakesNothing) {
  presenter.ChooseSeries(2);
  presenter.ChooseType(ReferenceType::kSquare);
  presenter.EditField(ReferenceField::kLength, "0");
  presenter.CreateNow();
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(table[3].title, "Empty");
  // The dialog starts again from the series as it is.
  EXPECT_EQ(settings.length, 300);

  presenter.EditField(ReferenceField::kLength, "64");
  presenter.EditField(ReferenceField::kDataPeriod, "0.5");
  presenter.CreateNow();
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(table[3].title, "Reference Series: Square Wave");
  EXPECT_EQ(table[3].sampleCount, 64);
  EXPECT_EQ(presenter.SeriesItems()[2], "#3: Reference Series: Square Wave");
  EXPECT_EQ(presenter.FieldText(ReferenceField::kLength), "64");
  EXPECT_EQ(presenter.FieldText(ReferenceField::kDataPeriod), "0.500000");
}

TEST(ReferenceSettingsFile, RoundTripsAndIgnoresWhatItCannotUse) {
  ReferenceSettings saved;
  saved.series = 7;
  saved.type = ReferenceType::kSawtoothReverse;
  saved.amplitude = 0.1;
  saved.offset = -1e-300;
  saved.period = 1.0 / 3.0;
  saved.shift = -2.5;
  std::string error;
  std::filesystem::remove(ReferenceSettingsPath());
  ASSERT_TRUE(SaveReferenceSettings(saved, error)) << error;
  ReferenceSettings read;
  ASSERT_TRUE(LoadReferenceSettings(read, error)) << error;
  EXPECT_EQ(read.series, 7);
  EXPECT_EQ(read.type, ReferenceType::kSawtoothReverse);
  EXPECT_EQ(read.amplitude, 0.1);
  EXPECT_EQ(read.offset, -1e-300);
  EXPECT_EQ(read.period, 1.0 / 3.0);
  EXPECT_EQ(read.shift, -2.5);

  ReferenceSettings hostile;
  ApplyReferenceSettings(
      "series=0\ntype=6\namplitude=nan\noffset=1e999\nperiod=\r\nshift=4x\nseries\n=3\n", hostile);
  EXPECT_EQ(ReferenceSettingsText(hostile), ReferenceSettingsText(ReferenceSettings{}));
}

}  // namespace
}  // namespace bl::tuning
