#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "graph/graph_input.h"
#include "graph/series_files.h"
#include "series/series_table.h"

namespace bl::cli {
namespace {

namespace fs = std::filesystem;

class SeriesConvert : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("bl-series-cli-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string Path(const std::string& name) const { return (folder_ / name).string(); }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  int Run(std::vector<std::string> args) {
    std::ostringstream out, errStream;
    const int status = RunCli(args, out, errStream);
    err = errStream.str();
    return status;
  }
  fs::path folder_;
  std::string err;
};

TEST_F(SeriesConvert, DataFileBecomesCsvAndTextAndCsvBecomesADataFileAgain) {
  series::SeriesTable table;
  graph::GraphView view;
  table[2].active = true;
  table[2].SetTitle("Second");
  table[2].Resize(2);
  table[2].values = {1.0, -1.0};
  table.EncodeLWords(2);
  view.settings.topTitle = "Kept";
  std::ofstream(Path("in.bin"), std::ios::binary) << graph::EncodeDataFile(table, view);

  // No controller option and no controller: series commands do not connect.
  ASSERT_EQ(Run({"series", "convert", Path("in.bin"), Path("out.csv")}), kExitOk) << err;
  EXPECT_NE(err.find("2 active series"), std::string::npos);
  const std::string csv = Read(Path("out.csv"));
  EXPECT_EQ(csv.substr(0, csv.find('\n')), "Time (s),Sine Wave,Second");
  ASSERT_EQ(Run({"series", "convert", Path("in.bin"), Path("out.txt")}), kExitOk) << err;
  EXPECT_TRUE(Read(Path("out.txt")).starts_with("Data Point\r\nSine Wave\r\nSecond\r\n\r\n"));

  ASSERT_EQ(Run({"series", "convert", Path("out.csv"), Path("again")}), kExitOk) << err;
  series::SeriesTable back;
  graph::GraphView backView;
  std::string error;
  ASSERT_TRUE(graph::ReadDataFile(Read(Path("again.bin")), true, back, backView, error)) << error;
  EXPECT_EQ(back[2].title, "Second");
  back.ProcessSeries(2, series::SpectrumLayout::kMagnitudePhase);
  ASSERT_EQ(back[2].sampleCount, 2);
  EXPECT_NEAR(back[2].values[1], -1.0, 1e-9);
  EXPECT_EQ(back[3].sampleCount, 0);
}

TEST_F(SeriesConvert, RefusedFilesAndWrongDirectionsFailWithAMessage) {
  std::ofstream(Path("bad.bin"), std::ios::binary) << "not a data file";
  std::ofstream(Path("bad.csv")) << "t,a\n0,x\n";
  std::ofstream(Path("five.ppl")) << "number_sers=5\nnumber_pts=1\n[Data]\n1 2 3 4 5 6\n";
  for (const auto& [in, out] :
       std::vector<std::pair<std::string, std::string>>{{"bad.bin", "x.csv"},
                                                        {"bad.csv", "x.bin"},
                                                        {"five.ppl", "x.csv"},
                                                        {"bad.csv", "x.txt"},
                                                        {"missing.bin", "x.csv"},
                                                        {"x.txt", "y.bin"}}) {
    EXPECT_EQ(Run({"series", "convert", Path(in), Path(out)}), kExitFailed) << in;
    EXPECT_NE(err.find("brightlantern-cli: "), std::string::npos) << in;
    EXPECT_FALSE(fs::exists(Path(out))) << in;
  }
  std::ofstream(Path("two.ppl")) << "number_sers=1\nnumber_pts=2\n[Data]\n0 5\n1 6\n";
  EXPECT_EQ(Run({"series", "convert", Path("two.ppl"), Path("back.ppl")}), kExitFailed);
  EXPECT_EQ(Run({"series", "convert", Path("two.ppl")}), kExitUsage);
  EXPECT_EQ(Run({"series", "join"}), kExitUsage);
}

}  // namespace
}  // namespace bl::cli
