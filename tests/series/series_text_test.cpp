#include "series/series_text.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/text_format.h"
#include "series/series_table.h"

namespace bl::series {
namespace {

TEST(SeriesText, ShorterSeriesLeaveBlanksAndOnlyActiveSeriesAppear) {
  SeriesTable table;
  table.seriesCount = 24;
  for (int k = 1; k <= 48; ++k) table[k].active = false;
  table[2].active = true;
  table[2].SetTitle("Short");
  table[2].Resize(3);
  table[2].values = {1, -2.5, 1234567.8916};
  table[5].active = true;
  table[5].SetTitle("Long");
  table[5].Resize(5);
  table[5].values = {0, 1, 2, 3, 4};
  table[30].active = true;  // beyond the controller's series
  const std::string text = SeriesTextExport(table);
  const std::string blanks(20, ' ');
  EXPECT_EQ(text,
            "Data Point\r\nShort\r\nLong\r\n\r\n"
            "         1              1.000               0.000 \r\n"
            "         2             -2.500               1.000 \r\n"
            "         3        1234567.892               2.000 \r\n"
            "         4" +
                blanks +
                "              3.000 \r\n"
                "         5" +
                blanks + "              4.000 \r\n");
  // As printf writes them in the C locale, whatever the extremes.
  table[5].values = {-0.0004, 1e300, -1e15, std::numeric_limits<double>::infinity(), 0.0005};
  const std::string extremes = SeriesTextExport(table);
  for (double v : table[5].values)
    EXPECT_NE(extremes.find(platform::Format("%19.3lf \r\n", v)), std::string::npos) << v;
  for (int k = 1; k <= 48; ++k) table[k].active = false;
  EXPECT_EQ(SeriesTextExport(table), "Data Point\r\n\r\n");
}

TEST(PlotFile, HeaderLinesAndRowsAreReadAsTheToolWritesThem) {
  const PlotFile plot = ParsePlotFile(
      "TOPTIT=Step\r\n\r\nnumber_sers=2\nnumber_pts=3\x01SerLeg1=Velocity\n"
      "Yaxis[1]=1\nYaxis[7]=1\nLEFTTIT=" +
      std::string(300, 'L') +
      "\n[Data]\n"
      "0.5, 1, 2,\n0.75 3\n4 1.0,5e0");
  EXPECT_EQ(plot.topTitle, "Step");
  EXPECT_EQ(plot.leftTitle, std::string(249 - 8, 'L'));
  EXPECT_FALSE(plot.bottomTitle);
  EXPECT_EQ(plot.seriesTitles[1], "Velocity");
  EXPECT_EQ(plot.slotAxis[1], 1);
  EXPECT_FALSE(plot.slotAxis[3]);
  ASSERT_TRUE(plot.dataFound);
  ASSERT_EQ(plot.rows.size(), 3u);
  EXPECT_EQ(plot.rows[1], (std::vector<double>{0.75, 3, 4}));
  EXPECT_EQ(plot.rows[2], (std::vector<double>{1.0, 5.0}));

  // Text that is no number ends the rows.
  const PlotFile bad = ParsePlotFile("number_sers=1\nnumber_pts=9\n[Data]\n1 2\nx 3\n");
  EXPECT_EQ(bad.rows.size(), 1u);
  EXPECT_FALSE(PlotFileImportable(ParsePlotFile("number_sers=5\nnumber_pts=9\n[Data]\n")));
  EXPECT_FALSE(PlotFileImportable(ParsePlotFile("number_sers=1\nnumber_pts=0\n[Data]\n")));
}

}  // namespace
}  // namespace bl::series
