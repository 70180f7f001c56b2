#include "graph/graph_settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <limits>

#include "series/series_table.h"

namespace bl::graph {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Puts the values into series k as they stand, without processing.
void SetValues(series::SeriesTable& table, int k, std::initializer_list<double> values,
               double period = 1.0) {
  series::DataSeries& s = table[k];
  s.Resize(static_cast<int>(values.size()));
  std::copy(values.begin(), values.end(), s.values.begin());
  s.rawDataPeriod = period;
}

TEST(TickSpacing, StepsOfOneTwoAndFiveWithTheirDecimals) {
  struct Case {
    double range, spacing;
    int decimals;
  };
  for (const Case& c : {Case{3, 0.5, 1}, Case{7, 1, 0}, Case{1.5, 0.2, 1}, Case{0.15, 0.02, 2},
                        Case{100, 20, 0}, Case{0.015, 0.002, 3}}) {
    const Ticks t = TickSpacing(10 + c.range, 10, 0.0);
    EXPECT_NEAR(t.spacing, c.spacing, c.spacing * 1e-12) << c.range;
    EXPECT_EQ(t.decimals, c.decimals) << c.range;
    EXPECT_FALSE(t.exponent);
  }
  // A stored spacing is taken as it is.
  const Ticks stored = TickSpacing(1000, 0, 2.5);
  EXPECT_EQ(stored.spacing, 2.5);
  EXPECT_EQ(stored.decimals, 1);
  EXPECT_TRUE(TickSpacing(1e10, 0, 0).exponent);
  EXPECT_TRUE(TickSpacing(1e-9, 0, 0).exponent);
}

TEST(TickSpacing, AwkwardWindowsGiveAUsableSpacingAndBoundedTicks) {
  const double max = std::numeric_limits<double>::max();
  const double windows[][2] = {{0, 0},        {-1, 1},         {kNaN, 0},
                               {kInf, -kInf}, {1e300, -1e300}, {max, -max},
                               {5e-324, 0},   {1e-300, 0},     {1e300, 1e300 - 1e285}};
  for (const auto& w : windows) {
    const Ticks t = TickSpacing(w[0], w[1], 0.0);
    EXPECT_TRUE(std::isfinite(t.spacing) && t.spacing > 0) << w[0] << " " << w[1];
    EXPECT_LE(TickValues(w[0], w[1], t.spacing).size(), static_cast<std::size_t>(kMaxTicks));
  }
  // A tiny typed spacing does not ask for a billion ticks.
  EXPECT_EQ(TickValues(1000, 0, 1e-9).size(), static_cast<std::size_t>(kMaxTicks));
  // The first multiple below a positive window is left out.
  EXPECT_EQ(TickValues(3.1, 2.3, 0.5), (std::vector<double>{2.5, 3.0}));
  // A window without width maps onto the plot's edge rather than to not-a-number.
  EXPECT_EQ(MapX(PlotRect{10, 20, 110, 220}, 5, 3, 3), 10);
}

TEST(FormatValue, IntegersDecimalsAndLargeValues) {
  EXPECT_EQ(FormatValue(0.5), "0.500");
  EXPECT_EQ(FormatValue(-42), "-42");
  EXPECT_EQ(FormatValue(100000), "100000");
  EXPECT_EQ(FormatValue(250000.5), "2.500e+05");
  EXPECT_EQ(FormatValue(250000), "2.500e+05");
  EXPECT_EQ(FormatValue(kNaN), "nan");
}

class LimitsTest : public ::testing::Test {
 protected:
  LimitsTest() {
    SetValues(table, 2, {1, -3, 2, 0});
    SetValues(table, 3, {10, 20, 30, 40});
    settings.slots[0].series = 2;
  }
  series::SeriesTable table;
  GraphSettings settings;
  GraphScrollBars bars;
};

TEST_F(LimitsTest, SlotShownNeedsALookAndMatchingSeries) {
  EXPECT_TRUE(SlotShown(settings, table, 0));
  settings.slots[0].thickness = 0;
  EXPECT_FALSE(SlotShown(settings, table, 0));
  settings.slots[0].marker = 2;
  EXPECT_TRUE(SlotShown(settings, table, 0));
  settings.slots[0].secondSeries = 1;  // 4096 samples against 4
  EXPECT_FALSE(SlotShown(settings, table, 0));
  settings.slots[0].secondSeries = 3;
  EXPECT_TRUE(SlotShown(settings, table, 0));
  table[3].rawDataPeriod = 2.0;
  EXPECT_FALSE(SlotShown(settings, table, 0));
  settings.slots[1] = {0, 3, 0, 0, 0, 1, 1};  // a second series alone
  EXPECT_FALSE(SlotShown(settings, table, 1));
  table.seriesCount = 24;
  settings.slots[2].series = 30;
  EXPECT_FALSE(SlotShown(settings, table, 2));
}

TEST_F(LimitsTest, OperationsAndDivisionByZero) {
  SetValues(table, 3, {2, 0, 4, 8});
  settings.slots[0].secondSeries = 3;
  settings.slots[0].operation = 1;
  EXPECT_EQ(YValue(settings, table, 0, 2), -2);
  settings.slots[0].operation = 3;
  EXPECT_EQ(YValue(settings, table, 0, 0), 0.5);
  EXPECT_EQ(YValue(settings, table, 0, 1), 0.0);
  EXPECT_TRUE(std::isnan(YValue(settings, table, 0, 4)));
}

TEST_F(LimitsTest, DataPointLimitsWidenOnlyTheVerticalAxes) {
  table.graphType = 1;
  settings.slots[1] = {3, 0, 0, 1, 0, 3, 1};  // on the right axis
  settings.slots[2] = {3, 1, 0, 0, 0, 5, 1};  // different length: left out
  FindLimits(settings, table, bars);
  EXPECT_EQ(settings.bottom.minimum, 0);
  EXPECT_EQ(settings.bottom.maximum, 3);
  const AxisRange& left = settings.axes[kLeft];
  EXPECT_DOUBLE_EQ(left.minimum, -3 - 0.125);
  EXPECT_DOUBLE_EQ(left.maximum, 2 + 0.125);
  EXPECT_DOUBLE_EQ(settings.axes[kRight].minimum, 10 - 0.75);
  EXPECT_DOUBLE_EQ(settings.axes[kRight].maximum, 40 + 0.75);
  EXPECT_EQ(left.visibleMaximum, left.maximum);
}

TEST_F(LimitsTest, NothingShownGivesZeroToOne) {
  for (Slot& s : settings.slots) s.series = 0;
  FindLimits(settings, table, bars);
  EXPECT_EQ(settings.bottom.minimum, 0);
  EXPECT_EQ(settings.bottom.maximum, 1);
  for (const AxisRange& a : settings.axes) {
    EXPECT_DOUBLE_EQ(a.minimum, -0.025);
    EXPECT_DOUBLE_EQ(a.maximum, 1.025);
  }
  // A flat series widens by the smallest margin.
  SetValues(table, 2, {5, 5});
  settings.slots[0].series = 2;
  FindLimits(settings, table, bars);
  EXPECT_DOUBLE_EQ(settings.axes[kLeft].maximum, 5 + 0.001 * 0.025);
}

TEST_F(LimitsTest, NonFiniteValuesAreSkippedAndHugeOnesStayFinite) {
  SetValues(table, 2, {kNaN, 4, kInf, -2, -kInf});
  FindLimits(settings, table, bars);
  EXPECT_DOUBLE_EQ(settings.axes[kLeft].minimum, -2 - 0.15);
  EXPECT_DOUBLE_EQ(settings.axes[kLeft].maximum, 4 + 0.15);

  SetValues(table, 2, {-1.7e308, 1.7e308});
  FindLimits(settings, table, bars);
  for (const AxisRange& a : {settings.bottom, settings.axes[kLeft], settings.axes[kRight]}) {
    EXPECT_TRUE(std::isfinite(a.minimum) && std::isfinite(a.maximum));
    EXPECT_TRUE(std::isfinite(a.visibleMinimum) && std::isfinite(a.visibleMaximum));
  }
  EXPECT_EQ(bars.vertical[0].page, 10000);
}

TEST_F(LimitsTest, FrequencyGraphSplitsTheHalvesBetweenThePanes) {
  table.graphType = 2;
  series::DataSeries& s = table[2];
  s.Resize(1024);
  s.rawDataPeriod = 0.001;
  for (int i = 0; i < 1024; ++i) s.values[static_cast<std::size_t>(i)] = i < 512 ? i : -90;
  EXPECT_NEAR(XValue(settings, table, 0, 600), 85.9375, 1e-9);
  EXPECT_EQ(XValue(settings, table, 0, 600), XValue(settings, table, 0, 88));
  FindLimits(settings, table, bars);
  EXPECT_DOUBLE_EQ(settings.bottom.maximum, 511 / 1.024);
  EXPECT_DOUBLE_EQ(settings.axes[kLeft].maximum, 511 + 511 * 0.025);
  EXPECT_DOUBLE_EQ(settings.axes[kLeft2].maximum, -90 + 0.001 * 0.025);
}

TEST_F(LimitsTest, XyGraphNeedsBothSeriesAndWidensTheBottomAxis) {
  table.graphType = 3;
  EXPECT_FALSE(SlotShown(settings, table, 0));
  settings.slots[0].secondSeries = 3;
  FindLimits(settings, table, bars);
  EXPECT_EQ(XValue(settings, table, 0, 1), -3);
  EXPECT_EQ(YValue(settings, table, 0, 1), 20);
  EXPECT_DOUBLE_EQ(settings.bottom.minimum, -3 - 0.125);
  EXPECT_DOUBLE_EQ(settings.axes[kLeft].maximum, 40 + 0.75);
}

TEST(ClampWindows, WindowsStayInsideAndBarsFollow) {
  GraphSettings settings;
  GraphScrollBars bars;
  settings.bottom = {100, 0, 75, 25, 0, false};
  settings.axes[kLeft] = {10, 0, 8, 4, 0, false};
  settings.axes[kRight] = {200, 100, 0, 0, 0, false};
  ClampWindows(settings, bars);
  EXPECT_EQ(bars.horizontal.page, 5000);
  EXPECT_EQ(bars.horizontal.position, 2500);
  EXPECT_EQ(bars.vertical[0].page, 4000);
  EXPECT_EQ(bars.vertical[0].position, 2000);  // from the top
  EXPECT_DOUBLE_EQ(settings.axes[kRight].visibleMaximum, 180);
  EXPECT_DOUBLE_EQ(settings.axes[kRight].visibleMinimum, 140);

  // Windows beyond the range, reversed, not a number, or a range without width.
  const AxisRange odd[] = {{10, 0, 50, -50, 0, false},
                           {10, 0, -5, 20, 0, false},
                           {10, 0, kNaN, kNaN, 0, false},
                           {3, 3, 7, 1, 0, false},
                           {1e300, -1e300, kInf, -kInf, 0, false}};
  for (const AxisRange& a : odd) {
    settings.bottom = a;
    settings.axes[kLeft2] = a;
    ClampWindows(settings, bars);
    for (const AxisRange& c : {settings.bottom, settings.axes[kLeft2]}) {
      EXPECT_LE(c.visibleMaximum, std::max(c.maximum, c.minimum + 1e-10));
      EXPECT_GE(c.visibleMinimum, std::min(c.minimum, c.maximum - 1e-10));
    }
    for (const ScrollBar& b : {bars.horizontal, bars.vertical[1]}) {
      EXPECT_TRUE(b.page >= 0 && b.page <= 10000);
      EXPECT_TRUE(b.position >= 0 && b.position <= 10000);
    }
    EXPECT_FALSE(std::isnan(settings.axes[kRight2].visibleMaximum));
  }
}

}  // namespace
}  // namespace bl::graph
