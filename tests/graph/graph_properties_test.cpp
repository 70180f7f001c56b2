#include "graph/graph_properties.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/fake/fake_desktop.h"
#include "series/series_table.h"

namespace bl::graph {
namespace {

using platform::MessageAnswer;

// The presenter over a fresh graph, with hooks that behave like the main window's: the graph
// type switch processes the series and finds the limits, as the shell does.
class GraphPropertiesTest : public ::testing::Test {
 protected:
  GraphPropertiesHooks Hooks() {
    GraphPropertiesHooks h;
    h.graphViewShown = [this] { return graphShown; };
    h.switchGraphType = [this](int type) {
      switches.push_back(type);
      graphShown = true;
      table.graphType = type;
      table.ProcessAll();
      view.settings.graphType = type;
      FindLimits(view.settings, table, view.bars);
    };
    h.graphType = [this] { return table.graphType; };
    h.redraw = [this] { ++redraws; };
    return h;
  }

  series::SeriesTable table;
  GraphView view;
  platform::FakeDesktop desktop;
  bool graphShown = true;
  std::vector<int> switches;
  int redraws = 0;
  GraphPropertiesPresenter presenter{view, table, desktop, Hooks()};
};

TEST_F(GraphPropertiesTest, OpeningSwitchesToTheTimeGraphOnlyWhenNoGraphIsShowing) {
  presenter.Open();
  EXPECT_TRUE(switches.empty());
  EXPECT_EQ(redraws, 1);

  graphShown = false;
  table.graphType = 1;
  presenter.Open();
  EXPECT_EQ(switches, std::vector<int>{0});
  EXPECT_EQ(presenter.GraphType(), 0);
}

TEST_F(GraphPropertiesTest, FieldsShowTheSettingsAndEditsGoBackIntoThem) {
  presenter.Open();
  EXPECT_EQ(presenter.Title(TitleField::Right2), "Right Title 2");
  EXPECT_EQ(presenter.Limit(0, LimitColumn::Maximum), "100.000000");
  EXPECT_EQ(presenter.Limit(4, LimitColumn::WindowMaximum), "1000.000000");

  // Titles are cut to 249 characters.
  presenter.SetTitle(TitleField::Left2, std::string(300, 'L'));
  EXPECT_EQ(view.settings.leftTitle2, std::string(249, 'L'));
  EXPECT_EQ(presenter.Title(TitleField::Left2).size(), 249u);

  // Rows map onto Horizontal, Left, Left 2, Right, Right 2; values are stored as typed.
  presenter.SetLimit(0, LimitColumn::GridSpacing, "12.5");
  presenter.SetLimit(2, LimitColumn::WindowMinimum, " -3e2xyz");
  presenter.SetLimit(3, LimitColumn::Minimum, "5000");  // above its maximum: no check here
  presenter.SetGridLines(4, true);
  EXPECT_EQ(view.settings.bottom.gridSpacing, 12.5);
  EXPECT_EQ(view.settings.axes[kLeft2].visibleMinimum, -300.0);
  EXPECT_EQ(view.settings.axes[kRight].minimum, 5000.0);
  EXPECT_TRUE(view.settings.axes[kRight2].gridLines);
  EXPECT_FALSE(view.settings.axes[kLeft].gridLines);
  EXPECT_TRUE(presenter.GridLines(4));
  EXPECT_EQ(presenter.Limit(2, LimitColumn::WindowMinimum), "-300.000000");
  EXPECT_EQ(redraws, 1 + 5);
}

TEST_F(GraphPropertiesTest, TextThatIsNotAFiniteNumberKeepsTheOldValue) {
  for (const char* text : {"", "abc", "  ", "nan", "inf", "-inf", "1e999"}) {
    presenter.SetLimit(1, LimitColumn::Maximum, text);
    EXPECT_EQ(view.settings.axes[kLeft].maximum, 1000.0) << text;
    EXPECT_EQ(presenter.Limit(1, LimitColumn::Maximum), "1000.000000") << text;
  }
  // Longer than any number field: only its first 255 characters are read.
  presenter.SetLimit(1, LimitColumn::Maximum, "7" + std::string(100000, '0'));
  EXPECT_DOUBLE_EQ(view.settings.axes[kLeft].maximum, 7e254);
}

TEST_F(GraphPropertiesTest, GraphTypeAndAutoFindGoThroughTheLimits) {
  view.settings.bottom.visibleMaximum = 0.5;
  presenter.AutoFindLimits();
  // Series 1 is the start-up sine: 4096 samples, 0.05 s apart.
  EXPECT_DOUBLE_EQ(view.settings.bottom.visibleMaximum, 4095 * table[1].rawDataPeriod);

  presenter.ChooseGraphType(1);
  EXPECT_EQ(switches, std::vector<int>{1});
  EXPECT_EQ(presenter.GraphType(), 1);
  EXPECT_EQ(presenter.Limit(0, LimitColumn::Maximum), "4095.000000");
  presenter.ChooseGraphType(7);  // no such radio button
  EXPECT_EQ(switches, std::vector<int>{1});
}

TEST_F(GraphPropertiesTest, LibraryLabelsShowStoredTitlesOrNotAvailable) {
  EXPECT_EQ(presenter.LibraryLabel(0), "#1: Not Available");
  EXPECT_EQ(presenter.LibraryLabel(9), "#10: Not Available");
  view.library[3] = view.settings;
  view.library[3].topTitle = std::string(300, 'T');
  view.library[3].graphType = 2;
  view.library[4] = view.settings;
  view.library[4].graphType = 9;  // damaged: not retrievable
  presenter.Open();
  EXPECT_EQ(presenter.LibraryLabel(3), "#4: " + std::string(250, 'T'));
  EXPECT_EQ(presenter.LibraryLabel(4), "#5: Not Available");

  presenter.Retrieve(4);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, "The indicated graph does not exist.");
  EXPECT_EQ(desktop.messages[0].title, "Graph Error");
  EXPECT_TRUE(switches.empty());
}

TEST_F(GraphPropertiesTest, StoringAsksOnlyBeforeOverwritingAndKeepsTheTypeShown) {
  table.graphType = 1;
  presenter.SetTitle(TitleField::Top, "First");
  presenter.Store(0);
  EXPECT_TRUE(desktop.messages.empty());
  EXPECT_EQ(view.library[0].topTitle, "First");
  EXPECT_EQ(view.library[0].graphType, 1);
  EXPECT_EQ(presenter.LibraryLabel(0), "#1: First");

  presenter.SetTitle(TitleField::Top, "Second");
  desktop.messageAnswers = {MessageAnswer::No};
  presenter.Store(0);
  ASSERT_EQ(desktop.messages.size(), 1u);
  EXPECT_EQ(desktop.messages[0].text, "Do you want to overwrite this graph?");
  EXPECT_EQ(desktop.messages[0].title, "Graph Warning");
  EXPECT_EQ(desktop.messages[0].buttons, platform::MessageButtons::YesNo);
  EXPECT_EQ(view.library[0].topTitle, "First");

  desktop.messageAnswers = {MessageAnswer::Yes};
  presenter.Store(0);
  EXPECT_EQ(view.library[0].topTitle, "Second");
  EXPECT_EQ(presenter.LibraryLabel(0), "#1: Second");
}

TEST_F(GraphPropertiesTest, RetrievingSwitchesToTheStoredTypeThenAppliesTheStoredWindows) {
  // A frequency graph with its own, zoomed, windows.
  GraphSettings stored = view.settings;
  stored.topTitle = "Spectrum";
  stored.bottom = {500.0, 0.0, 200.0, 100.0, 0.0, true};
  stored.axes[kLeft] = {10.0, -10.0, 5.0, -5.0, 0.0, false};
  stored.axes[kRight] = {100.0, 0.0, 0.0, 0.0, 0.0, false};
  stored.graphType = 2;
  view.library[6] = stored;

  presenter.Retrieve(6);
  EXPECT_EQ(switches, std::vector<int>{2});
  EXPECT_EQ(table.graphType, 2);
  EXPECT_EQ(view.settings.topTitle, "Spectrum");
  EXPECT_EQ(view.settings.graphType, 2);
  EXPECT_EQ(view.settings.bottom.visibleMinimum, 100.0);
  EXPECT_TRUE(view.settings.bottom.gridLines);
  // ClampWindows ran: the right axis follows the left one, the scroll bars are set.
  EXPECT_DOUBLE_EQ(view.settings.axes[kRight].visibleMaximum, 75.0);
  EXPECT_DOUBLE_EQ(view.settings.axes[kRight].visibleMinimum, 25.0);
  EXPECT_EQ(view.bars.horizontal.page, 2000);
  EXPECT_EQ(view.bars.horizontal.position, 2000);
  EXPECT_EQ(presenter.Title(TitleField::Top), "Spectrum");
  EXPECT_EQ(presenter.Limit(0, LimitColumn::WindowMaximum), "200.000000");
}

}  // namespace
}  // namespace bl::graph
