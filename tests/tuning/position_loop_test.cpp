#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sstream>

#include "link/fake_vendor_library.h"
#include "platform/text_format.h"
#include "series/edit_sources_presenter.h"
#include "tuning/filter_page_presenter.h"
#include "tuning/gain_pages.h"

namespace bl::tuning {
namespace {

using series::FilterKind;
using series::FilterSet;
using series::SliderStep;
using ::testing::ElementsAre;

// A controller that keeps I-variables, answers "#" with its addressed motor and takes several
// commands on one line, as a real one does.
class PositionLoopTest : public ::testing::Test, public test::LinkFixture {
 protected:
  void SetUp() override {
    Connect();
    state->responder = [this](const std::string& line) {
      std::istringstream words(line);
      std::string word, reply;
      while (words >> word) {
        if (word == "#") {
          reply += std::to_string(motor) + "\r";
        } else if (word.size() > 1 && word[0] == 'I') {
          const int n = std::atoi(word.c_str() + 1);
          const std::size_t equals = word.find('=');
          if (equals != std::string::npos)
            ivars[n] = std::atof(word.c_str() + equals + 1);
          else
            reply += platform::Format("%.17g\r", ivars[n]);
        }
      }
      return reply + "\x06";
    };
    state->recordCommands = true;
  }

  std::vector<std::string> Sent() {
    std::vector<std::string> sent = state->Commands();
    state->commands.clear();
    return sent;
  }

  int motor = 2;
  std::map<int, double> ivars;
  int motorCount = 8;
  PositionLoopValues values;
};

TEST_F(PositionLoopTest, GainButtonsScaleByElevenTenthsAndRoundHalfUp) {
  GainPagePresenter page(link, terminal.addressedMotor, motorCount, values.gains);
  ivars = {{230, 1000}, {231, 5000}, {232, -10}, {233, 7}, {234, 1}, {235, 1234}};
  page.Activate();
  EXPECT_EQ(page.Text(Gain::kProportional), "1000");
  EXPECT_EQ(page.Text(Gain::kIntegrationMode), "1");
  Sent();

  page.Press(Gain::kProportional, true);
  EXPECT_THAT(Sent(), ElementsAre("I230=1100 I231=4545 I232=-8 I233=6 I235=1122",
                                  "I230 I231 I232 I233 I235"));
  EXPECT_EQ(page.Text(Gain::kProportional), "1100");
  EXPECT_EQ(page.Text(Gain::kDerivative), "4545");
  EXPECT_EQ(page.Text(Gain::kVelocityFeedForward), "-8");

  page.Edit(Gain::kVelocityFeedForward, "-10");
  page.Press(Gain::kVelocityFeedForward, true);
  EXPECT_EQ(page.Text(Gain::kVelocityFeedForward), "-10");  // -10 × 1.1 + 0.5 = -10.5
  Sent();

  ivars[231] = 1234;
  page.Edit(Gain::kDerivative, "1234");
  page.Press(Gain::kDerivative, true);
  EXPECT_EQ(page.Text(Gain::kDerivative), "1357");
  page.Press(Gain::kDerivative, false);
  EXPECT_EQ(page.Text(Gain::kDerivative), "1234");
  EXPECT_THAT(Sent(), ElementsAre("I231=1234.000000", "I231", "I231=1357.000000", "I231",
                                  "I231=1234.000000", "I231"));

  page.Press(Gain::kAccelerationFeedForward, false);
  page.Press(Gain::kIntegral, true);
  page.Press(Gain::kIntegrationMode, false);
  EXPECT_EQ(ivars[235], 1020);  // 1122 / 1.1 + 0.5
  EXPECT_EQ(ivars[233], 7);     // 6 × 1.1 + 0.5
  EXPECT_EQ(page.Text(Gain::kIntegrationMode), "0");
  page.Press(Gain::kIntegrationMode, true);
  EXPECT_EQ(ivars[234], 1);
}

TEST_F(PositionLoopTest, ReadBacksThatFailShowZero) {
  GainPagePresenter page(link, terminal.addressedMotor, motorCount, values.gains);
  ivars = {{230, 1000}, {231, 5000}, {233, 20}};
  page.Activate();
  // Fewer than five numbers come back: all five gains show 0, Ix34 is untouched.
  values.gains[4] = 1;
  state->replies = {"\x06", "1100\r4545\r0\r\x06"};
  page.Press(Gain::kProportional, true);
  EXPECT_EQ(values.gains, (std::array<int, 6>{0, 0, 0, 0, 1, 0}));

  // A field that does not parse writes the stored value again; a read-back that fails is 0.
  ivars[230] = 300;
  page.Activate();
  Sent();
  page.Edit(Gain::kProportional, "abc");
  EXPECT_THAT(Sent(), ElementsAre("I230=300.000000", "I230"));
  state->replies = {"\x06", "ERR003\r"};
  page.Edit(Gain::kProportional, "450.9");
  EXPECT_EQ(page.Text(Gain::kProportional), "0");

  // Far beyond an int: held at its limit, not undefined.
  ivars[231] = 1e30;
  page.Activate();
  EXPECT_EQ(page.Text(Gain::kDerivative), "2147483647");
  page.Press(Gain::kDerivative, true);
  EXPECT_EQ(values.gains[1], 2147483647);

  // No controller: every value reads 0 and the motor stays.
  link.LinkDisconnect();
  page.Activate();
  EXPECT_EQ(values.gains, (std::array<int, 6>{}));
  EXPECT_EQ(page.Selection().Motor(), 2);
}

TEST_F(PositionLoopTest, ModifiersFollowTheTableAndKeepAMotorBeyondTheList) {
  ModifiersPagePresenter page(link, terminal.addressedMotor, motorCount, values.modifiers);
  motor = 12;
  ivars = {{1229, -5}, {1286, 77.9}};
  page.Activate();
  std::vector<std::string> expected = {"#"};
  for (const VariableField& f : kModifierFields)
    expected.push_back("I12" + std::to_string(f.suffix));
  EXPECT_EQ(Sent(), expected);
  EXPECT_EQ(page.Text(0), "-5");
  EXPECT_EQ(page.Text(11), "77");
  EXPECT_EQ(page.Selection().SelectedIndex(), -1);
  page.Edit(6, "250");
  EXPECT_EQ(ivars[1267], 250);
  EXPECT_EQ(kModifierFields[6].label, "Ix67  Linear Position Error Limit");
}

TEST_F(PositionLoopTest, FilterCoefficientsApplyEditAndDelete) {
  FilterPagePresenter page(link, terminal.addressedMotor, motorCount, values);
  ivars = {{236, -0.5}, {237, 0.0}, {238, -1.2}, {239, 0.35}};
  page.Activate();
  EXPECT_EQ(page.CoefficientText(0), "-0.500000");
  // Nothing designed yet: both designers are off with no rows.
  for (FilterSet set : {FilterSet::kNumerator, FilterSet::kDenominator}) {
    EXPECT_EQ(page.Designer().Kind(set), FilterKind::kOff);
    EXPECT_FALSE(page.Designer().Rows(set)[0].visible);
  }
  EXPECT_EQ(page.DesignText(3), "0.000000");

  page.EditFilter();
  EXPECT_EQ(page.DesignText(2), "-1.200000");
  EXPECT_EQ(page.Designer().Kind(FilterSet::kDenominator), FilterKind::kRealPair);
  EXPECT_EQ(page.Designer().Rows(FilterSet::kDenominator)[1].caption, "Natural Frequency #2:");
  EXPECT_EQ(page.Designer().Kind(FilterSet::kNumerator), FilterKind::kFirstOrder);

  page.ChooseKind(FilterSet::kNumerator, FilterKind::kOff);
  page.ChooseKind(FilterSet::kDenominator, FilterKind::kComplexPair);
  Sent();
  page.Apply();
  std::vector<std::string> sent = Sent();
  ASSERT_EQ(sent.size(), 8u);
  EXPECT_EQ(sent[0], "I236=0.000000");
  EXPECT_EQ(sent[4], "I238=" + page.DesignText(2));
  EXPECT_EQ(page.CoefficientText(2), page.DesignText(2));

  page.EditCoefficient(1, "0.125");
  EXPECT_EQ(ivars[237], 0.125);
  page.Delete();
  EXPECT_EQ(ivars[238], 0.0);
  EXPECT_EQ(page.CoefficientText(2), "0.000000");
  EXPECT_NE(page.DesignText(2), "0.000000");  // the design stays
}

TEST_F(PositionLoopTest, TheFilterDesignOutlivesThePage) {
  FilterPagePresenter page(link, terminal.addressedMotor, motorCount, values);
  page.Activate();
  page.ChooseKind(FilterSet::kDenominator, FilterKind::kRealPair);
  page.MoveSlider(FilterSet::kDenominator, 1, SliderStep::kDrag, 700);
  const auto& rows = page.Designer().Rows(FilterSet::kDenominator);

  // A new page over the same values shows it again.
  FilterPagePresenter again(link, terminal.addressedMotor, motorCount, values);
  again.Activate();
  EXPECT_EQ(again.Designer().Kind(FilterSet::kDenominator), FilterKind::kRealPair);
  EXPECT_EQ(again.DesignText(2), page.DesignText(2));
  EXPECT_EQ(again.Designer().Rows(FilterSet::kDenominator)[1].position, rows[1].position);
}

TEST_F(PositionLoopTest, FilterPageDesignsAsTheDataSourcesDialogDoes) {
  // The same steps in both designers, the series at the page's sample time, give the same rows.
  series::SeriesTable table;
  table[1].rawDataPeriod = kFilterSampleTime;
  series::EditSourcesPresenter sources(table, nullptr);
  FilterPagePresenter page(link, terminal.addressedMotor, motorCount, values);
  page.Activate();
  const auto same = [&] {
    for (FilterSet set : {FilterSet::kNumerator, FilterSet::kDenominator}) {
      const auto& view = sources.View().filter[static_cast<std::size_t>(set)];
      const auto& rows = page.Designer().Rows(set);
      ASSERT_EQ(view.kind, page.Designer().Kind(set));
      for (std::size_t r = 0; r < 2; ++r) {
        ASSERT_EQ(view.rows[r].position, rows[r].position);
        ASSERT_EQ(view.rows[r].value, rows[r].value);
        ASSERT_EQ(view.rows[r].visible, rows[r].visible);
      }
    }
  };
  const auto choose = [&](FilterSet set, FilterKind kind) {
    sources.ChooseFilterKind(set, kind);
    page.ChooseKind(set, kind);
    same();
  };
  const auto move = [&](FilterSet set, int row, SliderStep step, int position = 0) {
    sources.MoveSlider(set, row, step, position);
    page.MoveSlider(set, row, step, position);
    same();
  };
  choose(FilterSet::kNumerator, FilterKind::kFirstOrder);
  // Line steps climb through every first-order position in both.
  for (int i = 0; i < 40; ++i) move(FilterSet::kNumerator, 0, SliderStep::kLineUp);
  EXPECT_EQ(page.Designer().Rows(FilterSet::kNumerator)[0].position, 40);
  choose(FilterSet::kDenominator, FilterKind::kComplexPair);
  move(FilterSet::kDenominator, 1, SliderStep::kDrag, 300);
  move(FilterSet::kDenominator, 0, SliderStep::kPageDown);
}

}  // namespace
}  // namespace bl::tuning
