#include "series/series_csv.h"

#include <gtest/gtest.h>

#include "series/series_table.h"

namespace bl::series {
namespace {

TEST(SeriesCsv, ExportedActiveSeriesReadBackAsLSeries) {
  SeriesTable table;
  table.seriesCount = 24;
  table[3].active = true;
  table[3].SetTitle("Vel, \"fast\"");
  table[3].rawDataPeriod = 0.001;
  table[3].sourceType = SourceType::kX;  // decoded from X words; read back as L
  table[3].Resize(3);
  table[3].values = {1.5, -2.25, 1e-7};
  const std::string csv = ActiveSeriesCsv(table);
  EXPECT_EQ(csv.substr(0, csv.find('\n')), "Time (s),Sine Wave,\"Vel, \"\"fast\"\"\"");

  SeriesTable back;
  back.seriesCount = 24;
  back[2].SetTitle("kept until read");
  std::string error;
  ASSERT_TRUE(ReadSeriesCsv(csv, back, error)) << error;
  EXPECT_EQ(back[2].title, "Vel, \"fast\"");
  EXPECT_EQ(back[2].sourceType, SourceType::kL);
  EXPECT_EQ(back[2].sampleCount, 3);
  EXPECT_DOUBLE_EQ(back[2].rawDataPeriod, 0.00442);  // the first column's times
  back.ProcessSeries(2, SpectrumLayout::kMagnitudePhase);
  EXPECT_NEAR(back[2].values[1], -2.25, 1e-9);
  EXPECT_NEAR(back[2].values[2], 1e-7, 1e-15);
  EXPECT_EQ(back[1].sampleCount, 4096);
  EXPECT_EQ(back[3].title, "Empty");  // beyond the file's columns
}

TEST(SeriesCsv, SemicolonFilesTakeDecimalCommasAndRaggedRows) {
  SeriesTable table;
  std::string error;
  ASSERT_TRUE(ReadSeriesCsv("t;a;b\r\n0;1,5;2\r\n0,25;;3\r\n \r\n0,5;4\r\n", table, error))
      << error;
  EXPECT_EQ(table[1].values, (std::vector<double>{1.5, 0, 4}));
  EXPECT_EQ(table[2].values, (std::vector<double>{2, 3}));
  EXPECT_DOUBLE_EQ(table[2].rawDataPeriod, 0.25);
  ASSERT_TRUE(ReadSeriesCsv("t,a\n\"0,5\",7\n", table, error)) << error;
  EXPECT_EQ(table[1].values, (std::vector<double>{7}));
  EXPECT_EQ(table[1].rawDataPeriod, 1.0);
}

TEST(SeriesCsv, AnyFaultLeavesTheWholeTableAsItWas) {
  SeriesTable table;
  table.seriesCount = 2;
  const std::vector<double> sine = table[1].values;
  std::string error;
  for (const char* text :
       {"", "t\n1\n", "t,a,b,c\n1,2,3,4\n", "t,a\n0,1\n1,x\n", "t,a\n0,1,2\n", "t,a\n0,1e5e\n"}) {
    error.clear();
    EXPECT_FALSE(ReadSeriesCsv(text, table, error)) << text;
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(table[1].values, sine);
    EXPECT_EQ(table[1].title, "Sine Wave");
  }
}

TEST(SeriesCsv, FrequencyGraphGivesFrequenciesAndMagnitudes) {
  SeriesTable table;
  for (int k = 2; k <= 48; ++k) table[k].active = false;
  table.graphType = kFrequencyGraph;
  table.ProcessAll();
  const std::string csv = ActiveSeriesCsv(table);
  EXPECT_EQ(csv.substr(0, csv.find('\n')), "Frequency (Hz),Sine Wave");
  // 4096 samples: 2048 magnitudes after the header.
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 2049);
}

}  // namespace
}  // namespace bl::series
