#include "series/edit_sources_presenter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace bl::series {
namespace {

class EditSourcesTest : public ::testing::Test {
 protected:
  EditSourcesPresenter& Open() {
    presenter_.emplace(table, [this] { ++redraws; });
    return *presenter_;
  }

  SeriesTable table;
  int redraws = 0;

 private:
  std::optional<EditSourcesPresenter> presenter_;
};

TEST_F(EditSourcesTest, ShowsTheSourceByItsType) {
  table.currentSeries = 2;
  DataSeries& s = table[2];
  s.sourceType = SourceType::kX;
  s.address = 0x85;
  s.startingBit = 8;
  s.wordLength = 16;
  s.signedData = false;
  EditSourcesPresenter& p = Open();
  // Starting bit and length, and the bit-field, signed and float boxes.
  const auto field = [&p] {
    const EditSourcesView& v = p.View();
    return std::tuple(v.startingBit, v.length, v.bitFieldsEnabled, v.signedChecked, v.floatChecked);
  };
  EXPECT_EQ(p.View().seriesLabel, "Series: 2");
  EXPECT_EQ(p.View().sourceRadio, 1);
  EXPECT_EQ(p.View().address, "$85");
  EXPECT_EQ(field(), std::tuple("8", "16", true, false, false));
  // D and L words are whole and signed; only L is a float.
  p.ChooseSource(3);
  EXPECT_EQ(field(), std::tuple("0", "48", false, true, false));
  p.ChooseSource(4);
  EXPECT_EQ(field(), std::tuple("0", "48", false, true, true));
  // The field the series had as an X source is still there when it becomes one again.
  p.ChooseSource(2);
  EXPECT_EQ(s.sourceType, SourceType::kY);
  EXPECT_EQ(field(), std::tuple("8", "16", true, false, false));
}

TEST_F(EditSourcesTest, ScaleAndOffsetSwitchToExponentsOutsideTheirUsualRange) {
  EXPECT_EQ(ScaleText(0.0), "0.00000000");
  EXPECT_EQ(ScaleText(0.01), "0.01000000");
  EXPECT_EQ(ScaleText(-1e8), "-100000000.00000000");
  EXPECT_EQ(ScaleText(0.001), "1.00000000e-03");
  EXPECT_EQ(ScaleText(-2.5e9), "-2.50000000e+09");

  EditSourcesPresenter& p = Open();
  p.EditScaleFactor("0.0000305");
  EXPECT_EQ(table[1].scaleFactor, 0.0000305);
  EXPECT_EQ(p.View().scaleFactor, "3.05000000e-05");
  p.EditOffset("-12.5");
  EXPECT_EQ(p.View().offset, "-12.50000000");
  p.EditOffset("abc");  // not a number: unchanged
  EXPECT_EQ(table[1].offset, -12.5);
}

TEST_F(EditSourcesTest, BitFieldsAreHeldWithinTheWord) {
  DataSeries& s = table[1];
  s.sourceType = SourceType::kX;
  s.startingBit = 0;
  s.wordLength = 24;
  EditSourcesPresenter& p = Open();
  p.EditStartingBit("30");
  EXPECT_EQ(s.startingBit, 0);
  p.EditLength("30");
  EXPECT_EQ(s.wordLength, 1);
  p.EditLength("8");
  p.EditStartingBit("20");  // 20 + 8 passes bit 23: the length gives way
  EXPECT_EQ(s.startingBit, 20);
  EXPECT_EQ(s.wordLength, 1);
  p.EditLength("4");
  EXPECT_EQ(s.wordLength, 4);
  p.EditLength("0");
  EXPECT_EQ(s.wordLength, 1);
  p.EditStartingBit("$10");  // decimal only: "$10" is no number
  EXPECT_EQ(s.startingBit, 20);
  p.SetSigned(false);
  EXPECT_FALSE(s.signedData);

  // A D source has no field to edit.
  p.ChooseSource(3);
  p.EditStartingBit("4");
  p.SetSigned(true);
  EXPECT_EQ(s.startingBit, 20);
  EXPECT_FALSE(s.signedData);

  // A P variable's 48-bit length does not survive a switch to an X field.
  s.sourceType = SourceType::kL;
  s.startingBit = 0;
  s.wordLength = 48;
  p.ChooseSource(1);
  EXPECT_EQ(s.startingBit, 0);
  EXPECT_EQ(s.wordLength, 24);
}

TEST_F(EditSourcesTest, AddressTakesHexAfterDollarOrDecimalAndIsClamped) {
  EditSourcesPresenter& p = Open();
  const std::pair<const char*, std::uint32_t> cases[] = {{"$1A", 0x1A},     {"100", 100},
                                                         {"-5", 0},         {"$FFFFFF", 0x7FFFF},
                                                         {"junk", 0x7FFFF}, {" $c000", 0xC000}};
  for (const auto& [text, address] : cases) {
    p.EditAddress(text);
    EXPECT_EQ(table[1].address, address) << text;
  }
  EXPECT_EQ(p.View().address, "$C000");
}

TEST_F(EditSourcesTest, PreviousAndNextWrapWithinTheControllersSeries) {
  table.seriesCount = 24;
  table.currentSeries = 30;  // left over from a Turbo controller
  EditSourcesPresenter& p = Open();
  EXPECT_EQ(p.CurrentSeries(), 1);
  p.Previous();
  EXPECT_EQ(p.CurrentSeries(), 24);
  EXPECT_EQ(p.View().seriesLabel, "Series: 24");
  p.Next();
  EXPECT_EQ(p.CurrentSeries(), 1);
  p.Next();
  EXPECT_EQ(table.currentSeries, 2);
  p.EditTitle(std::string(120, 'x'));
  EXPECT_EQ(table[2].title.size(), 99u);
  EXPECT_EQ(redraws, 4);
}

TEST_F(EditSourcesTest, ChangesAreProcessedAtOnce) {
  EditSourcesPresenter& p = Open();
  table.ProcessSeries(1, SpectrumLayout::kMagnitudePhase);
  const double before = table[1].values[5];
  p.EditScaleFactor("2");
  EXPECT_NEAR(table[1].values[5], 2 * before, 1e-9 * std::abs(before));
}

constexpr double kPi = std::numbers::pi;

TEST_F(EditSourcesTest, RadioButtonsAndSlidersDesignAndStoreTheSections) {
  DataSeries& s = table[1];
  s.rawDataPeriod = 0.001;  // Nyquist 500 Hz: position p is p/2 Hz
  EditSourcesPresenter& p = Open();
  const FilterSetView& den = p.View().filter[1];
  EXPECT_EQ(den.kind, FilterKind::kOff);
  EXPECT_FALSE(den.rows[0].visible);
  EXPECT_EQ(den.coefficients[0], "0.000000");

  p.ChooseFilterKind(FilterSet::kDenominator, FilterKind::kFirstOrder);
  EXPECT_EQ(s.D1, -1.0);  // a first-order section at position 0
  EXPECT_EQ(s.D2, 0.0);
  EXPECT_TRUE(den.rows[0].visible);
  EXPECT_FALSE(den.rows[1].visible);
  EXPECT_EQ(den.coefficients[0], "-1.000000");

  p.MoveSlider(FilterSet::kDenominator, 0, SliderStep::kPageUp);
  p.MoveSlider(FilterSet::kDenominator, 0, SliderStep::kLineUp);
  p.MoveSlider(FilterSet::kDenominator, 0, SliderStep::kLineUp);
  EXPECT_EQ(den.rows[0].position, 22);
  EXPECT_DOUBLE_EQ(s.D1, -std::exp(-kPi * 22 / 1000));
  EXPECT_EQ(den.rows[0].caption, "Natural Frequency #1:");
  EXPECT_EQ(den.rows[0].value, "11 Hz");
  p.MoveSlider(FilterSet::kDenominator, 0, SliderStep::kDrag, 1500);
  EXPECT_EQ(den.rows[0].position, 1000);
  p.MoveSlider(FilterSet::kDenominator, 0, SliderStep::kPageDown);
  EXPECT_EQ(den.rows[0].position, 980);
  EXPECT_EQ(den.rows[0].value, "490 Hz");

  // A band-reject numerator: a damping row, and both sections kept through a slider move.
  p.ChooseFilterKind(FilterSet::kNumerator, FilterKind::kComplexPair);
  const FilterSetView& num = p.View().filter[0];
  EXPECT_EQ(num.kind, FilterKind::kComplexPair);
  EXPECT_EQ(num.rows[0].position, 1);  // designed as 1, not 0
  EXPECT_EQ(num.rows[1].caption, "Damping Ratio:");
  p.MoveSlider(FilterSet::kNumerator, 0, SliderStep::kDrag, 400);
  p.MoveSlider(FilterSet::kNumerator, 1, SliderStep::kDrag, 500);
  EXPECT_EQ(num.rows[0].position, 400);
  EXPECT_EQ(num.rows[1].position, 500);
  EXPECT_EQ(num.rows[1].value, "0.500000");
  EXPECT_EQ(num.rows[0].value, "200 Hz");
  EXPECT_EQ(den.rows[0].position, 980);
  EXPECT_DOUBLE_EQ(s.N2, std::exp(-2 * 0.5 * 2 * kPi * 0.2));  // r² with ζ·ω·T = 0.5·2π·0.2

  // Another time base shows other hertz for the same sections.
  s.rawDataPeriod = 0.002;
  p.Refresh();
  EXPECT_EQ(num.rows[0].value, "100 Hz");
  EXPECT_EQ(num.rows[0].position, 400);

  p.ChooseFilterKind(FilterSet::kDenominator, FilterKind::kOff);
  EXPECT_EQ(s.D1, 0.0);
  EXPECT_FALSE(den.rows[0].visible);
}

TEST_F(EditSourcesTest, LineStepsClimbThroughEveryFirstOrderPosition) {
  // The analysis truncates first-order frequencies; the slider must still move one by one.
  EditSourcesPresenter& p = Open();
  p.ChooseFilterKind(FilterSet::kNumerator, FilterKind::kFirstOrder);
  p.ChooseFilterKind(FilterSet::kDenominator, FilterKind::kFirstOrder);
  p.MoveSlider(FilterSet::kDenominator, 0, SliderStep::kDrag, 700);
  const FilterSetView& num = p.View().filter[0];
  for (int expected = 1; expected <= 1000; ++expected) {
    p.MoveSlider(FilterSet::kNumerator, 0, SliderStep::kLineUp);
    ASSERT_EQ(num.rows[0].position, expected);
    ASSERT_EQ(p.View().filter[1].rows[0].position, 700);
  }
  p.MoveSlider(FilterSet::kNumerator, 0, SliderStep::kLineUp);
  EXPECT_EQ(num.rows[0].position, 1000);
}

}  // namespace
}  // namespace bl::series
