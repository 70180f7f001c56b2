#include "tuning/frequency_response.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "platform/fake/fake_desktop.h"
#include "series/filter_design.h"
#include "series/series_table.h"

namespace bl::tuning {
namespace {

using series::DataSeries;
using series::SeriesTable;

// Series k holding the values as L words, processed as the program keeps every series.
DataSeries& Set(SeriesTable& table, int k, const std::vector<double>& values, double period) {
  DataSeries& s = table[k];
  s.Resize(static_cast<int>(values.size()));
  s.values = values;
  s.rawDataPeriod = period;
  s.sourceType = series::SourceType::kL;
  table.EncodeLWords(k);
  table.ProcessSeries(k, series::SpectrumLayout::kMagnitudePhase);
  return s;
}

std::vector<double> Noise(int n) {
  std::vector<double> v(static_cast<std::size_t>(n));
  unsigned state = 12345;  // a linear congruential sequence: no bin of its spectrum is 0
  for (double& x : v)
    x = static_cast<double>(((state = state * 1103515245u + 12345u) >> 8) & 0xFFFF);
  return v;
}

TEST(FrequencyResponse, SameSignalGivesAUnitResponseWithoutTheNyquistTerm) {
  SeriesTable table;
  const std::vector<double> signal = Noise(1000);
  Set(table, 2, signal, 0.001);
  Set(table, 3, signal, 0.001);
  DataSeries& result = table[4];
  result.scaleFactor = 5.0;
  result.integrationMode = series::IntegrationMode::kDifferentiateOnce;
  result.D1 = -0.9;
  ASSERT_EQ(CreateFrequencyResponse(table, {2, 3, 4}), FrequencyResponseOutcome::kDone);

  // Both inputs were extended to a power of two, and the result has their length and period.
  EXPECT_EQ(table[3].sampleCount, 1024);
  ASSERT_EQ(result.sampleCount, 1024);
  EXPECT_EQ(result.title, "Frequency Response 3 / 2");
  EXPECT_EQ(result.rawDataPeriod, 0.001);
  EXPECT_EQ(table.graphType, 0);
  // The response is shown as computed, not through what the series was set to do before.
  EXPECT_EQ(result.scaleFactor, 1.0);
  EXPECT_EQ(result.integrationMode, series::IntegrationMode::kNone);
  EXPECT_FALSE(result.HasFilter());
  EXPECT_NEAR(result.values[0], 1.0 - 1.0 / 1024, 1e-9);
  for (int j = 1; j < 1024; ++j)
    ASSERT_NEAR(result.values[j], (j % 2 ? 1.0 : -1.0) / 1024, 1e-9) << j;
  // The inputs show their own values again.
  for (int j = 0; j < 1000; ++j) ASSERT_NEAR(table[2].values[j], signal[j], 1e-4) << j;
}

// A chirp through a second-order section, both series on the same words: the response shown
// in the frequency graph is the section's own at every frequency looked at.
TEST(FrequencyResponse, ChirpThroughASectionGivesTheSectionsResponse) {
  SeriesTable table;
  const int n = 4096;
  const double period = 0.001;
  std::vector<double> chirp(n, 0.0);
  // Sweeps 0 to 0.45 of the sample rate and ends well before the record does, so the section's
  // ringing dies out inside it.
  const int sweep = 3000;
  for (int i = 0; i < sweep; ++i)
    chirp[i] = 1000.0 * std::sin(std::numbers::pi * 0.45 * i * i / sweep);
  Set(table, 1, chirp, period);
  DataSeries& actual = table[2];
  const series::FilterSection poles =
      series::DesignFilterSection(series::FilterKind::kComplexPair, period, 200, 300);
  const series::FilterSection zeros =
      series::DesignFilterSection(series::FilterKind::kFirstOrder, period, 50, 0);
  actual.N1 = zeros.c1;
  actual.N2 = zeros.c2;
  actual.D1 = poles.c1;
  actual.D2 = poles.c2;
  Set(table, 2, chirp, period);

  ASSERT_EQ(CreateFrequencyResponse(table, {1, 2, 3}), FrequencyResponseOutcome::kDone);
  table.graphType = series::kFrequencyGraph;
  table.ProcessSeries(3, series::SpectrumLayout::kMagnitudePhase);
  const DataSeries& shown = table[3];
  ASSERT_EQ(shown.sampleCount, n);
  for (int k : {41, 205, 410, 819, 1500}) {  // about 10, 50, 100, 200 and 366 Hz
    const std::complex<double> z = std::polar(1.0, -2.0 * std::numbers::pi * k / n);
    const std::complex<double> h =
        (1.0 + zeros.c1 * z + zeros.c2 * z * z) / (1.0 + poles.c1 * z + poles.c2 * z * z);
    EXPECT_NEAR(shown.values[k], std::abs(h), 1e-6 * std::abs(h)) << k;
    EXPECT_NEAR(shown.values[n / 2 + k], std::arg(h) * 180.0 / std::numbers::pi, 1e-4) << k;
  }
}

TEST(FrequencyResponse, ZeroAndHugeCommandedBinsGiveFiniteResults) {
  SeriesTable table;
  // A commanded series of zeros has no spectrum to divide by: no response at all.
  Set(table, 1, std::vector<double>(64, 0.0), 0.01);
  Set(table, 2, Noise(64), 0.01);
  ASSERT_EQ(CreateFrequencyResponse(table, {1, 2, 3}), FrequencyResponseOutcome::kDone);
  for (double v : table[3].values) ASSERT_EQ(v, 0.0);

  // Spectra whose squares overflow still divide: twice the signal is a response of 2.
  std::vector<double> big = Noise(64), twice(64);
  for (int i = 0; i < 64; ++i) twice[i] = 2.0 * (big[i] *= 1e150);
  Set(table, 1, big, 0.01);
  Set(table, 2, twice, 0.01);
  ASSERT_EQ(CreateFrequencyResponse(table, {1, 2, 3}), FrequencyResponseOutcome::kDone);
  EXPECT_NEAR(table[3].values[0], 2.0 * (1.0 - 1.0 / 64), 1e-6);
  EXPECT_NEAR(table[3].values[1], 2.0 / 64, 1e-6);
}

class FrequencyResponsePresenterTest : public ::testing::Test {
 protected:
  FrequencyResponsePresenterTest() {
    Set(table, 1, Noise(1000), 0.001);
    Set(table, 2, Noise(1024), 0.001);
    Set(table, 3, Noise(1000), 0.002);
    Set(table, 4, Noise(1000), 0.001);
  }

  std::string OnlyMessage() {
    EXPECT_EQ(desktop.messages.size(), 1u);
    if (desktop.messages.empty()) return {};
    EXPECT_EQ(desktop.messages[0].title, "Frequency Response Error");
    const std::string text = desktop.messages[0].text;
    desktop.messages.clear();
    return text;
  }

  SeriesTable table;
  platform::FakeDesktop desktop;
  FrequencyResponseChoice choice;
  int changes = 0;
  FrequencyResponsePresenter presenter{choice, table, desktop, [this] { ++changes; }};
};

TEST_F(FrequencyResponsePresenterTest, BadChoicesAreRefusedWithTheirMessagesAndChangeNothing) {
  const std::string mismatch =
      "The Commanded and Actual Data series must have the same length and sampling frequency.";
  const std::vector<double> before = table[5].values;
  presenter.CreateNow(0, 3, 0);
  EXPECT_EQ(OnlyMessage(), "All three data series must be unique.");
  presenter.CreateNow(0, 1, 4);  // 1000 against 1024 points
  EXPECT_EQ(OnlyMessage(), mismatch);
  presenter.CreateNow(0, 2, 4);  // same length, another period
  EXPECT_EQ(OnlyMessage(), mismatch);
  // Two empty series match but have nothing to divide.
  table[6].Resize(0);
  table[7].Resize(0);
  presenter.CreateNow(5, 6, 4);
  EXPECT_EQ(table[5].values, before);
  EXPECT_EQ(changes, 0);
  presenter.CreateNow(-1, 3, 4);  // a list without a selection
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(table[5].values, before);
  EXPECT_EQ(table[1].sampleCount, 1000);
  EXPECT_EQ(changes, 0);

  presenter.Open();  // a choice that names no series becomes series 1
  EXPECT_EQ(presenter.CommandedIndex(), 0);
  presenter.CreateNow(0, 3, 9);
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(presenter.SeriesItems()[9], "#10: Frequency Response 4 / 1");
  EXPECT_EQ(presenter.ResultIndex(), 9);
}

}  // namespace
}  // namespace bl::tuning
