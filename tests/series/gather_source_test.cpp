#include "series/gather_source.h"

#include <gtest/gtest.h>

#include "controller/controller_type.h"
#include "series/series_csv.h"

namespace bl::series {
namespace {

TEST(GatherSource, NamesAddressesVariablesAndMotorRegisters) {
  ControllerType turbo, pmac;
  SetTypeFromTable(turbo, 5);
  SetTypeFromTable(pmac, 2);
  GatherSource s;
  std::string error;
  ASSERT_TRUE(ParseGatherSource("motor2.actual", turbo, s, error)) << error;
  EXPECT_EQ(s.sourceType, SourceType::kD);
  EXPECT_EQ(s.address, 0x10Bu);
  EXPECT_EQ(s.scaleVariable, 208);
  EXPECT_EQ(s.title, "motor2.actual");
  ASSERT_TRUE(ParseGatherSource("Motor3.Output=DAC 3", pmac, s, error)) << error;
  EXPECT_EQ(s.address, 0x45u + 2 * 0x3C);
  EXPECT_EQ(s.sourceType, SourceType::kX);
  EXPECT_EQ(s.startingBit, 8);
  EXPECT_EQ(s.wordLength, 16);
  EXPECT_EQ(s.scaleVariable, 0);
  EXPECT_EQ(s.title, "DAC 3");
  ASSERT_TRUE(ParseGatherSource("motor2.error", pmac, s, error));
  EXPECT_EQ(s.address, 0x840u + 0xC0);
  EXPECT_FALSE(ParseGatherSource("motor2.error", turbo, s, error));
  EXPECT_FALSE(ParseGatherSource("motor9.actual", pmac, s, error)) << "PMAC has 8 motors";

  ASSERT_TRUE(ParseGatherSource("Y:$12AB:8:8:u", turbo, s, error)) << error;
  EXPECT_EQ(s.sourceType, SourceType::kY);
  EXPECT_EQ(s.address, 0x12ABu);
  EXPECT_EQ(s.startingBit, 8);
  EXPECT_EQ(s.wordLength, 8);
  EXPECT_FALSE(s.signedData);
  ASSERT_TRUE(ParseGatherSource("x:0x85", turbo, s, error));
  EXPECT_EQ(s.wordLength, 24);
  ASSERT_TRUE(ParseGatherSource("L:256", turbo, s, error));
  EXPECT_EQ(s.address, 256u);
  ASSERT_TRUE(ParseGatherSource("P100", turbo, s, error));
  EXPECT_EQ(s.address, 0x6000u + 100);
  ASSERT_TRUE(ParseGatherSource("q5", pmac, s, error));
  EXPECT_EQ(s.address, static_cast<std::uint32_t>(pmac.qBase + 5));

  for (const char* bad : {"", "X:", "X:$80000", "X:$85:20:8", "X:$85:0:0", "D:$85:0:8", "P-1",
                          "P8192", "Z:$10", "motor.actual", "motor1.speed", "X:$85:1:2:q"}) {
    error.clear();
    EXPECT_FALSE(ParseGatherSource(bad, turbo, s, error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

TEST(SeriesCsv, HeaderTimeColumnAndRaggedSeries) {
  SeriesTable table;
  table[2].SetTitle("Speed, \"raw\"");
  table[2].rawDataPeriod = 0.5;
  table[2].Resize(3);
  table[2].values = {1.5, -2e-7, 1.0 / 3};
  table[3].SetTitle("Short");
  table[3].Resize(1);
  table[3].values = {42};
  EXPECT_EQ(SeriesCsv(table, {2, 3}),
            "Time (s),\"Speed, \"\"raw\"\"\",Short\n"
            "0,1.5,42\n"
            "0.5,-2e-07,\n"
            "1,0.333333333333333,\n");
}

}  // namespace
}  // namespace bl::series
