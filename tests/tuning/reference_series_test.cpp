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
  // f = 0, 0.25, 0.5 stay at the offset; 0.75 is the high part; then it repeats.
  const ReferenceSettings square = Wave(ReferenceType::kSquare, 4.0, 0.0);
  const double expected[] = {2, 2, 2, 12, 2, 2, 2, 12};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(ReferenceValue(square, i), expected[i]) << i;
  EXPECT_EQ(ReferenceValue(Wave(ReferenceType::kSawtoothForward, 4.0, 0.0), 3), 9.5);
  EXPECT_EQ(ReferenceValue(Wave(ReferenceType::kSawtoothReverse, 4.0, 0.0), 1), 9.5);
  EXPECT_NEAR(ReferenceValue(Wave(ReferenceType::kSine, 8.0, 0.0), 6), -8.0, 1e-9);
  // A negative shift makes the first phases negative: the sawtooth starts below the offset and
  // the square wave stays at the offset there.
  EXPECT_EQ(ReferenceValue(Wave(ReferenceType::kSawtoothForward, 4.0, -3.0), 0), -5.5);
  EXPECT_EQ(ReferenceValue(Wave(ReferenceType::kSquare, 4.0, -3.0), 0), 2.0);
  // Impulse and zeros take neither amplitude nor offset.
  EXPECT_EQ(ReferenceValue(Wave(ReferenceType::kImpulse, 4, 0), 0), 1.0);
  EXPECT_EQ(ReferenceValue(Wave(ReferenceType::kImpulse, 4, 0), 1), 0.0);
  EXPECT_EQ(ReferenceTitle(ReferenceType::kSawtoothForward),
            ReferenceTitle(ReferenceType::kSawtoothReverse));
  // A period of 0 is no signal, not a series of not-a-numbers.
  for (ReferenceType type : {ReferenceType::kSine, ReferenceType::kSquare,
                             ReferenceType::kSawtoothForward, ReferenceType::kSawtoothReverse})
    EXPECT_EQ(ReferenceValue(Wave(type, 0.0, 0.0), 1), 2.0);
}

TEST(CreateReferenceSeries, WritesWordsThatDecodeToTheSignal) {
  SeriesTable table;
  DataSeries& s = table[5];
  s.scaleFactor = 3.0;
  s.integrationMode = series::IntegrationMode::kIntegrateOnce;
  s.sourceType = series::SourceType::kD;
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
  EXPECT_EQ(s.integrationMode, series::IntegrationMode::kNone);
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
  ReferenceSettings settings;
  settings.length = 0;
  EXPECT_FALSE(CreateReferenceSeries(table, settings));
  settings.length = 16;
  settings.series = 49;
  EXPECT_FALSE(CreateReferenceSeries(table, settings));
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

TEST_F(ReferencePresenterTest, FieldsFollowTheChosenSeriesAndKeepValuesThatDoNotParse) {
  settings.series = 30;  // beyond the 24 series of a non-Turbo controller
  presenter.Open();
  EXPECT_EQ(settings.series, 1);
  EXPECT_EQ(presenter.FieldText(ReferenceField::kLength), "4096");
  EXPECT_EQ(presenter.FieldText(ReferenceField::kDataPeriod), "0.004420");
  EXPECT_EQ(presenter.SeriesItems().size(), 24u);
  presenter.ChooseSeries(2);
  EXPECT_EQ(presenter.FieldText(ReferenceField::kLength), "300");
  EXPECT_EQ(presenter.FieldText(ReferenceField::kDataPeriod), "0.002000");

  presenter.EditField(ReferenceField::kPeriod, " 2.5e-1 s");
  EXPECT_EQ(settings.period, 0.25);
  for (const char* text : {"", "abc", "nan", "-inf", "1e999"}) {
    presenter.EditField(ReferenceField::kOffset, text);
    EXPECT_EQ(presenter.FieldText(ReferenceField::kOffset), "0.000000") << text;
  }
  presenter.EditField(ReferenceField::kLength, "12.9");
  EXPECT_EQ(settings.length, 12);
  // A length no series can hold is cut to the longest one, so no memory is asked for in vain.
  presenter.EditField(ReferenceField::kLength, "99999999999");
  EXPECT_EQ(presenter.FieldText(ReferenceField::kLength), "16777216");
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
  EXPECT_EQ(ReferenceSettingsText(read), ReferenceSettingsText(saved));
  EXPECT_EQ(read.period, 1.0 / 3.0);

  ReferenceSettings hostile;
  ApplyReferenceSettings(
      "series=0\ntype=6\namplitude=nan\noffset=1e999\nperiod=\r\nshift=4x\nseries\n=3\n", hostile);
  EXPECT_EQ(ReferenceSettingsText(hostile), ReferenceSettingsText(ReferenceSettings{}));
}

}  // namespace
}  // namespace bl::tuning
