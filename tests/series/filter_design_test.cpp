#include "series/filter_design.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <numbers>

namespace bl::series {
namespace {

using Complex = std::complex<double>;
constexpr double kPi = std::numbers::pi;

// 1 + c1·z⁻¹ + c2·z⁻² at z.
Complex Response(FilterSection s, Complex z) { return 1.0 + s.c1 / z + s.c2 / (z * z); }

// The z-plane root e^(sT) of a real s-plane root at -2π·f hertz.
double RealRoot(double hertz, double period) { return std::exp(-2.0 * kPi * hertz * period); }

// The upper root of a damped pair at natural frequency f hertz and damping ratio zeta.
Complex PairRoot(double hertz, double zeta, double period) {
  const double omega = 2.0 * kPi * hertz;
  return std::exp(Complex(-zeta * omega, omega * std::sqrt(1.0 - zeta * zeta)) * period);
}

// Slider position p is p thousandths of the Nyquist frequency.
double SliderHertz(int position, double period) { return position * 0.0005 / period; }

TEST(FilterDesignTest, SectionsFollowTheirRootsAtEveryFrequency) {
  for (double period : {0.001, 0.00442}) {
    SCOPED_TRACE(period);
    const double a = RealRoot(SliderHertz(150, period), period);
    const double b = RealRoot(SliderHertz(600, period), period);
    const Complex p = PairRoot(SliderHertz(250, period), 0.3, period);
    const auto first = DesignFilterSection(FilterKind::kFirstOrder, period, 150, 777);
    const auto pair = DesignFilterSection(FilterKind::kRealPair, period, 150, 600);
    const auto complex = DesignFilterSection(FilterKind::kComplexPair, period, 250, 300);
    EXPECT_EQ(first.c2, 0.0);
    for (double hertz : {0.0, 3.0, SliderHertz(250, period), 0.5 / period}) {
      const Complex z = std::polar(1.0, 2.0 * kPi * hertz * period);
      EXPECT_NEAR(std::abs(Response(first, z) - (1.0 - a / z)), 0.0, 1e-12);
      EXPECT_NEAR(std::abs(Response(pair, z) - (1.0 - a / z) * (1.0 - b / z)), 0.0, 1e-12);
      EXPECT_NEAR(std::abs(Response(complex, z) - (1.0 - p / z) * (1.0 - std::conj(p) / z)), 0.0,
                  1e-12);
    }
  }
  // A lightly damped pair as zeros is a notch: deep at its frequency, plain away from it.
  const auto notch = DesignFilterSection(FilterKind::kComplexPair, 0.001, 200, 5);
  EXPECT_LT(std::abs(Response(notch, std::polar(1.0, 2.0 * kPi * 100 * 0.001))), 0.01);
  EXPECT_GT(std::abs(Response(notch, 1.0)), 0.3);
  EXPECT_GT(std::abs(Response(notch, -1.0)), 3.0);
}

TEST(FilterDesignTest, PositionsAreHeldToTheSliderRange) {
  EXPECT_DOUBLE_EQ(DesignFilterSection(FilterKind::kFirstOrder, 0.01, 0, 0).c1, -1.0);
  EXPECT_NEAR(DesignFilterSection(FilterKind::kFirstOrder, 0.01, 1000, 0).c1, -0.0432139, 1e-7);
  const auto limited = DesignFilterSection(FilterKind::kComplexPair, 0.01, 0, 1000);
  const auto inner = DesignFilterSection(FilterKind::kComplexPair, 0.01, 1, 999);
  EXPECT_EQ(limited.c1, inner.c1);
  EXPECT_EQ(limited.c2, inner.c2);
  const auto wide = DesignFilterSection(FilterKind::kRealPair, 0.01, -50, 5000);
  const auto edge = DesignFilterSection(FilterKind::kRealPair, 0.01, 0, 1000);
  EXPECT_EQ(wide.c1, edge.c1);
  EXPECT_EQ(wide.c2, edge.c2);
  for (int kind : {0, -1, 4, 99}) {
    const auto off = DesignFilterSection(static_cast<FilterKind>(kind), 0.01, 300, 300);
    EXPECT_EQ(off.c1, 0.0);
    EXPECT_EQ(off.c2, 0.0);
  }
}

TEST(FilterDesignTest, DesignedSectionsAnalyseBackToTheirSliders) {
  const double period = 0.00442;
  for (int p1 = 0; p1 <= 1000; p1 += 37) {
    for (int p2 = 0; p2 <= 1000; p2 += 53) {
      SCOPED_TRACE(testing::Message() << p1 << ", " << p2);
      auto s = DesignFilterSection(FilterKind::kFirstOrder, period, p1, p2);
      auto a = AnalyzeFilterSection(period, s.c1, s.c2);
      EXPECT_EQ(a.kind, FilterKind::kFirstOrder);
      EXPECT_NEAR(a.position1, p1 - 0.5, 0.5);  // truncated, so one lower at worst
      EXPECT_NEAR(a.value1, SliderHertz(p1, period), 1e-9);

      s = DesignFilterSection(FilterKind::kRealPair, period, p1, p2);
      a = AnalyzeFilterSection(period, s.c1, s.c2);
      EXPECT_EQ(a.kind, FilterKind::kRealPair);
      if (p1 == p2) continue;  // the roots coincide, and rounding may make them a complex pair
      // The larger root comes first, which is the lower frequency.
      EXPECT_EQ(a.position1, std::min(p1, p2));
      EXPECT_EQ(a.position2, std::max(p1, p2));
      EXPECT_NEAR(a.value2, SliderHertz(std::max(p1, p2), period), 1e-6);

      if (p1 == 0 || p2 == 0 || p2 == 1000) continue;
      s = DesignFilterSection(FilterKind::kComplexPair, period, p1, p2);
      a = AnalyzeFilterSection(period, s.c1, s.c2);
      EXPECT_EQ(a.kind, FilterKind::kComplexPair);
      EXPECT_EQ(a.position1, p1);
      EXPECT_EQ(a.position2, p2);
      EXPECT_NEAR(a.value1, SliderHertz(p1, period), 1e-6);
      EXPECT_NEAR(a.value2, p2 * 0.001, 1e-9);
    }
  }
}

TEST(FilterDesignTest, AnalysisOfChosenSections) {
  const auto off = AnalyzeFilterSection(0.01, 0.0, 0.0);
  EXPECT_EQ(off.kind, FilterKind::kOff);
  EXPECT_EQ(off.position1, 0);
  EXPECT_EQ(off.value1, 0.0);

  // Roots 1 and 0.5.
  const auto pair = AnalyzeFilterSection(0.01, -1.5, 0.5);
  EXPECT_EQ(pair.kind, FilterKind::kRealPair);
  EXPECT_NEAR(pair.value1, 0.0, 1e-12);
  EXPECT_NEAR(pair.value2, std::log(2.0) / (2.0 * kPi * 0.01), 1e-12);
  EXPECT_EQ(pair.position2, 221);  // ln 2 / π · 1000 = 220.6

  // Past -1 a lone root lies beyond z = 1, which only the two-root kind describes.
  EXPECT_EQ(AnalyzeFilterSection(0.01, -1.2, 0.0).kind, FilterKind::kRealPair);

  // Another period changes the hertz of the same section, not its slider.
  const auto slow = AnalyzeFilterSection(0.01, -0.5, 0.0);
  const auto fast = AnalyzeFilterSection(0.001, -0.5, 0.0);
  EXPECT_EQ(slow.kind, FilterKind::kFirstOrder);
  EXPECT_EQ(slow.position1, fast.position1);
  EXPECT_NEAR(fast.value1, 10.0 * slow.value1, 1e-9);
}

TEST(FilterDesignTest, NoTimeBaseAndSectionsNoKindProducesStaySafe) {
  // A cleared series has no period: the same finite sections, and no hertz to show.
  for (FilterKind kind :
       {FilterKind::kFirstOrder, FilterKind::kRealPair, FilterKind::kComplexPair}) {
    const auto atZero = DesignFilterSection(kind, 0.0, 300, 400);
    const auto atPeriod = DesignFilterSection(kind, 0.002, 300, 400);
    EXPECT_EQ(atZero.c1, atPeriod.c1);
    EXPECT_EQ(atZero.c2, atPeriod.c2);
    const auto analysed = AnalyzeFilterSection(0.0, atZero.c1, atZero.c2);
    EXPECT_EQ(analysed.kind, kind);
    EXPECT_NEAR(analysed.position1, 300, 1);
    EXPECT_EQ(analysed.value1, 0.0);
  }

  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double cases[][2] = {{0.5, 0.0},     {2.0, 0.0},   {0.0, 1e300}, {1e300, -1e300},
                             {-3.0, 4.0},    {0.0, -0.25}, {nan, 0.0},   {inf, -inf},
                             {-1e-300, 0.0}, {0.0, 1e-300}};
  for (double period : {0.01, 0.0, -0.01}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << period << ": " << c[0] << ", " << c[1]);
      const auto a = AnalyzeFilterSection(period, c[0], c[1]);
      EXPECT_TRUE(a.position1 >= 0 && a.position1 <= 1000);
      EXPECT_TRUE(a.position2 >= 0 && a.position2 <= 1000);
    }
  }
}

}  // namespace
}  // namespace bl::series
