// Gathering on the virtual controller and the upload of what it gathered, the way the graph
// view's buttons run them: define, begin, end, upload, process.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>

#include "controller/identify_controller.h"
#include "integration/fake_clock_program.h"
#include "series/gather.h"
#include "series/series_table.h"
#include "series/upload.h"
#include "sim/controller.h"
#include "sim/ethernet_server.h"

namespace bl {
namespace {

using namespace std::chrono_literals;
using series::DataSeries;
using series::SourceType;
using series::UploadOutcome;

constexpr double kCountsPerUnit = 1.0 / (32 * 96);  // D position registers at Ix08 = 96

// The program without windows on the fake clock, connected to device 0 (the in-process Turbo
// PMAC2) or to device 1, another virtual Turbo PMAC2 served over Ethernet with fault switches.
class GatherUploadTest : public ::testing::Test, protected test::FakeClockProgram {
 protected:
  GatherUploadTest() {
    std::string error;
    EXPECT_TRUE(server.Start(0, error)) << error;
    DeviceConfig ethernet;
    ethernet.kind = DeviceConfig::Kind::Ethernet;
    ethernet.host = "127.0.0.1";
    ethernet.port = server.Port();
    ethernet.timeoutMs = 300;
    UseDevice(1, ethernet);
  }
  void Connect(int device) {
    devices.chooseDevice = [device] { return device; };
    ASSERT_EQ(workbench.link.LinkConnect(), 0);
    IdentifyController(workbench.controllerType, workbench.link, workbench.definitions,
                       workbench.terminal, {});
    ASSERT_EQ(workbench.controllerType.typeCode, 5);
    for (int k = 1; k <= series::kMaxSeriesCount; ++k) table[k].active = false;
  }
  void Source(int k, SourceType type, std::uint32_t address, double scale = 1.0) {
    table[k].active = true;
    table[k].sourceType = type;
    table[k].address = address;
    table[k].scaleFactor = scale;
  }
  void Run(std::chrono::milliseconds span) {
    for (auto t = 0ms; t < span; t += 5ms) clock.Advance(5ms);
  }
  series::UploadReport Upload(const series::UploadView& view = {}) {
    return series::UploadGatheredData(
        {workbench.link, workbench.terminal, desktop, ui, workbench.controllerType, buffer, table},
        view);
  }

  sim::Controller served{5};
  sim::EthernetServer server{served};
  series::SeriesTable& table = workbench.series;
  series::GatherBuffer& buffer = workbench.gather;
};

// Motor 1's commanded and actual position and its servo output while it jogs 1000 counts.
TEST_F(GatherUploadTest, AJogIsGatheredUploadedAndScaledToCounts) {
  Connect(0);
  Source(1, SourceType::kD, 0x88, kCountsPerUnit);
  Source(2, SourceType::kD, 0x8B, kCountsPerUnit);
  Source(3, SourceType::kX, 0xBF);
  table[3].startingBit = 8;
  table[3].wordLength = 16;
  table[3].signedData = true;
  buffer.period = 2;
  series::DefineGather(workbench.link, workbench.controllerType, buffer, table);
  Ask("I119=1");  // counts/ms²: the move takes about 110 ms
  Ask("#1J/");
  Run(20ms);

  series::BeginGather(workbench.link);
  Run(10ms);
  Ask("#1J^1000");
  Run(300ms);
  series::EndGather(workbench.link);

  // Settings read back from the controller replace what the table says.
  table[1].sourceType = SourceType::kL;
  buffer.period = 9;
  const series::UploadReport report = Upload();
  ASSERT_EQ(report.outcome, UploadOutcome::kDone) << report.message;
  EXPECT_EQ(buffer.period, 2);
  EXPECT_EQ(table[1].sourceType, SourceType::kD);
  const DataSeries& commanded = table[1];
  const DataSeries& actual = table[2];
  const DataSeries& output = table[3];
  // 310 ms of 0.442 ms cycles, one sample every second cycle.
  EXPECT_GT(commanded.sampleCount, 330);
  EXPECT_LT(commanded.sampleCount, 370);
  EXPECT_EQ(actual.sampleCount, commanded.sampleCount);
  EXPECT_DOUBLE_EQ(commanded.rawDataPeriod, 2 * workbench.controllerType.servoPeriod);

  const auto& c = commanded.values;
  const auto& a = actual.values;
  EXPECT_NEAR(c.front(), 0.0, 1e-9);
  EXPECT_NEAR(c.back(), 1000.0, 1e-6);
  EXPECT_NEAR(a.back(), 1000.0, 2.0);
  EXPECT_TRUE(std::is_sorted(c.begin(), c.end()));
  // The load follows the commanded path with a lag while it speeds up, pushed by the servo
  // output, which then brakes it.
  const auto rising = std::find_if(c.begin(), c.end(), [](double v) { return v >= 10; });
  ASSERT_NE(rising, c.end());
  const auto i = static_cast<std::size_t>(rising - c.begin());
  EXPECT_LT(a[i], c[i] - 1.0);
  EXPECT_GT(*std::max_element(output.values.begin(), output.values.end()), 20.0);
  EXPECT_LT(*std::min_element(output.values.begin(), output.values.end()), -20.0);
  EXPECT_EQ(output.values.back(), 0.0);
}

// A wrapped buffer is uploaded oldest sample first: a motor jogging at constant speed gives a
// commanded position that rises by the same step from the first sample to the last. Twenty-four
// 48-bit sources make a sample of 24 addresses; the buffer size is one where the workbench's
// wrapped end (the last address with room for the largest sample, K = 47) and the virtual
// controller's wrap point (the last whole sample of the buffer) agree.
TEST_F(GatherUploadTest, AWrappedBufferComesBackOldestFirst) {
  Connect(0);
  Ask("I122=1");  // one count a millisecond
  Ask("#1J+");
  Run(100ms);
  // Samples of 24 addresses in a buffer that turns exactly after 40 of them, and samples of 3
  // addresses in a buffer of no particular size: the controller and the upload agree on where
  // the buffer turns either way.
  for (const auto& [sources, size] : {std::pair{24, 24 * 40 + 23}, std::pair{3, 1000}}) {
    for (int k = 1; k <= 48; ++k) table[k].active = false;
    for (int k = 1; k <= sources; ++k) Source(k, SourceType::kD, 0x88, kCountsPerUnit);
    buffer.period = 1;
    buffer.mode = 1;
    buffer.bufferSize = size;
    series::DefineGather(workbench.link, workbench.controllerType, buffer, table);
    series::BeginGather(workbench.link);
    Run(300ms);  // about 680 samples: wrapped at least twice
    series::EndGather(workbench.link);

    const series::UploadReport report = Upload();
    ASSERT_EQ(report.outcome, UploadOutcome::kDone) << report.message;
    const DataSeries& s = table[1];
    ASSERT_GE(s.sampleCount, 38);
    const double step = s.values[1] - s.values[0];
    EXPECT_NEAR(step, 0.442, 1e-3);  // counts per servo cycle
    for (int i = 1; i < s.sampleCount; ++i)
      ASSERT_NEAR(s.values[static_cast<std::size_t>(i)] - s.values[static_cast<std::size_t>(i - 1)],
                  step, 1e-6)
          << i << " of " << s.sampleCount << " with " << sources << " sources";
    EXPECT_EQ(table[sources].values, s.values);
  }
}

// The connection breaks after three blocks: the words read so far stay, the terminal says where
// the upload stopped, and the outcome is a failure.
TEST_F(GatherUploadTest, ALinkFaultMidUploadIsReportedNotPassedOffAsData) {
  Connect(1);
  Source(1, SourceType::kY, 0x3120);  // the gather pointer: never 0 while gathering
  buffer.period = 1;
  series::DefineGather(workbench.link, workbench.controllerType, buffer, table);
  Ask("GAT");
  served.Advance(200ms);  // about 450 samples, one address each
  Ask("END GAT");

  int blocks = 0;
  const series::UploadReport report = Upload({nullptr,
                                              [&](int) {
                                                if (++blocks == 3)
                                                  server.faults().dropConnection = true;
                                              },
                                              nullptr});
  EXPECT_EQ(report.outcome, UploadOutcome::kFailed);
  EXPECT_EQ(blocks, 4);
  EXPECT_EQ(report.samplesRead, 3 * 32);
  EXPECT_TRUE(report.message.starts_with("Upload of gathered data stopped at $")) << report.message;
  EXPECT_NE(report.message.find("(96 of "), std::string::npos) << report.message;
  EXPECT_EQ(workbench.terminal.Line(0).text, report.message);
  EXPECT_EQ(workbench.terminal.Line(0).color, 5);
  const DataSeries& s = table[1];
  for (int i = 0; i < 3 * 32; ++i) ASSERT_NE(s.yWords[static_cast<std::size_t>(i)], 0u) << i;
  EXPECT_EQ(s.yWords.back(), 0u);
}

}  // namespace
}  // namespace bl
