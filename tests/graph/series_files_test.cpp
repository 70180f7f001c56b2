#include "graph/series_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "graph/graph_record.h"
#include "platform/fake/fake_desktop.h"
#include "series/series_file.h"

namespace bl::graph {
namespace {

using platform::MessageAnswer;

class SeriesFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        std::filesystem::temp_directory_path() / ("bl_series_files_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::string Path(const char* name) const { return (folder_ / name).string(); }
  static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  platform::FakeDesktop desktop_;
  std::filesystem::path folder_;
};

// Every graph field and series parameter away from its default.
void Disturb(series::SeriesTable& table, GraphView& view) {
  table.seriesCount = 24;
  table[3].SetTitle("Following error");
  table[3].sourceType = series::SourceType::kD;
  table[3].Resize(5);
  for (int i = 0; i < 5; ++i) table[3].yWords[static_cast<std::size_t>(i)] = 100u * i;
  table[3].active = true;
  table[3].scaleFactor = 0.5;
  view.settings.topTitle = "Saved";
  view.settings.slots[2] = {3, 1, 2, 1, 4, 9, 3};
  view.settings.axes[kRight2].gridLines = true;
  view.library[4].topTitle = "Stored five";
  view.library[4].graphType = 3;
}

TEST_F(SeriesFiles, SavedStateLoadsBackWithGraphsAndProcessedValues) {
  series::SeriesTable table;
  GraphView view;
  Disturb(table, view);
  desktop_.saveFileAnswers.push_back(Path("all.bin"));
  SaveSeriesFile(desktop_, table, view);
  ASSERT_TRUE(std::filesystem::exists(Path("all.bin")));
  EXPECT_EQ(desktop_.fileRequests.back().filters[0].description, "Binary Files (*.bin)");

  series::SeriesTable loaded;
  GraphView loadedView;
  int switchedTo = -1;
  desktop_.openFileAnswers.push_back(Path("all.bin"));
  ASSERT_TRUE(LoadSeriesFile(desktop_, loaded, loadedView, [&](int type) { switchedTo = type; }));
  EXPECT_TRUE(desktop_.messages.empty());
  EXPECT_EQ(switchedTo, 0);
  EXPECT_EQ(loaded[3].title, "Following error");
  EXPECT_EQ(loaded[3].yWords, table[3].yWords);
  EXPECT_EQ(loadedView.settings.topTitle, "Saved");
  EXPECT_EQ(loadedView.settings.slots[2].marker, 4);
  EXPECT_TRUE(loadedView.settings.axes[kRight2].gridLines);
  EXPECT_EQ(loadedView.library[4].topTitle, "Stored five");
  EXPECT_EQ(loadedView.library[3].graphType, kEmptyGraph);
  // 24 series were saved: a Turbo table keeps its own 25..48.
  loaded[30].SetTitle("mine");
  desktop_.openFileAnswers.push_back(Path("all.bin"));
  ASSERT_TRUE(LoadSeriesFile(desktop_, loaded, loadedView, nullptr));
  EXPECT_EQ(loaded[30].title, "mine");
  // Without a switch the values are rebuilt from the words here: D words 0, 100, ... halved.
  EXPECT_EQ(loaded[3].values[2], 100.0);

  // An existing file is kept unless the answer is Yes.
  desktop_.saveFileAnswers.push_back(Path("all.bin"));
  desktop_.messageAnswers.push_back(MessageAnswer::No);
  const auto before = std::filesystem::file_size(Path("all.bin"));
  table.seriesCount = 48;
  SaveSeriesFile(desktop_, table, view);
  EXPECT_EQ(desktop_.messages.back().text,
            "This data file already exists.  Do you want to overwrite?");
  EXPECT_EQ(std::filesystem::file_size(Path("all.bin")), before);
}

TEST_F(SeriesFiles, ARefusedFileLeavesSeriesAndGraphsUntouched) {
  series::SeriesTable table;
  GraphView view;
  Disturb(table, view);
  const std::string whole = EncodeDataFile(table, view);
  series::SeriesTable fresh;
  GraphView freshView;
  const std::string freshBytes = EncodeDataFile(fresh, freshView);
  // Cuts everywhere, the graph part included; one table serves, as a refusal changes nothing.
  series::SeriesTable target;
  GraphView targetView;
  std::string error;
  for (std::size_t size = 0; size < whole.size(); size += 113)
    EXPECT_FALSE(
        ReadDataFile(std::string_view(whole).substr(0, size), true, target, targetView, error))
        << size;
  EXPECT_EQ(EncodeDataFile(target, targetView), freshBytes);
  // A graph title without its end.
  std::string bad = whole;
  bad.replace(bad.size() - kGraphRecordSize, 256, std::string(256, 'T'));
  Write(Path("bad.bin"), bad);
  desktop_.openFileAnswers.push_back(Path("bad.bin"));
  EXPECT_FALSE(LoadSeriesFile(desktop_, fresh, freshView, nullptr));
  ASSERT_EQ(desktop_.messages.size(), 1u);
  EXPECT_EQ(desktop_.messages[0].title, "Invalid file format.");
  EXPECT_EQ(EncodeDataFile(fresh, freshView), freshBytes);

  // No magic: asked first, and No reads nothing.
  Write(Path("old.bin"), whole.substr(256));
  desktop_.openFileAnswers.push_back(Path("old.bin"));
  desktop_.messageAnswers.push_back(MessageAnswer::No);
  EXPECT_FALSE(LoadSeriesFile(desktop_, fresh, freshView, nullptr));
  EXPECT_EQ(desktop_.messages.back().text,
            "This does not appear to be a valid data file.  Load file anyway?");
  EXPECT_EQ(EncodeDataFile(fresh, freshView), freshBytes);
  // Yes reads the 24 records, and the graphs stay.
  desktop_.openFileAnswers.push_back(Path("old.bin"));
  desktop_.messageAnswers.push_back(MessageAnswer::Yes);
  EXPECT_TRUE(LoadSeriesFile(desktop_, fresh, freshView, nullptr));
  EXPECT_EQ(fresh[3].title, "Following error");
  EXPECT_EQ(freshView.settings.topTitle, "Top Title");
}

TEST_F(SeriesFiles, PlotFileFillsSeriesOneToSAndTheirSlots) {
  series::SeriesTable table;
  GraphSettings settings;
  settings.slots[0].thickness = 0;
  settings.slots[3] = {7, 8, 0, 1, 2, 3, 1};
  ASSERT_TRUE(
      ApplyPlotFile("number_sers=2\nnumber_pts=4\nTOPTIT=Step\nYaxis[1]=1\n[Data]\n"
                    "0 1 -1\n0.01 2 -2\n0.02 3 -3\n",
                    table, settings));
  EXPECT_EQ(settings.topTitle, "Step");
  EXPECT_EQ(settings.leftTitle, "Left Title");
  EXPECT_EQ(settings.slots[0].series, 1);
  EXPECT_EQ(settings.slots[0].thickness, 1);
  EXPECT_EQ(settings.slots[1].axis, 1);
  EXPECT_EQ(settings.slots[3].series, 0);
  EXPECT_EQ(settings.slots[3].axis, 0);
  EXPECT_EQ(table[2].sampleCount, 4);
  EXPECT_EQ(table[2].values, (std::vector<double>{-1, -2, -3, 0}));
  EXPECT_DOUBLE_EQ(table[1].rawDataPeriod, 0.01);
  table.ProcessSeries(2, series::SpectrumLayout::kMagnitudePhase);
  EXPECT_NEAR(table[2].values[1], -2.0, 1e-9);

  // Five series: nothing imported, the titles named still change.
  const auto before = table[1].values;
  settings.slots[0].series = 9;
  EXPECT_FALSE(
      ApplyPlotFile("TOPTIT=Five\nSerLeg0=Renamed\nnumber_sers=5\nnumber_pts=2\n[Data]\n1 "
                    "2 3 4 5 6\n",
                    table, settings));
  EXPECT_EQ(settings.topTitle, "Five");
  EXPECT_EQ(table[1].title, "Renamed");
  EXPECT_EQ(table[1].values, before);
  EXPECT_EQ(settings.slots[0].series, 9);
}

TEST_F(SeriesFiles, TextExportAndPlotImportTakeCsvByItsExtension) {
  series::SeriesTable table;
  GraphView view;
  desktop_.saveFileAnswers = {Path("out.txt"), Path("out.csv")};
  ExportSeriesText(desktop_, table);
  ExportSeriesText(desktop_, table);
  ASSERT_EQ(desktop_.fileRequests.back().filters.size(), 2u);
  EXPECT_EQ(desktop_.fileRequests.back().filters[0].description, "Text Files (*.txt)");
  std::ifstream txt(Path("out.txt")), csv(Path("out.csv"));
  std::string first;
  std::getline(txt, first);
  EXPECT_EQ(first, "Data Point\r");
  std::getline(csv, first);
  EXPECT_EQ(first, "Time (s),Sine Wave");

  Write(Path("in.csv"), "t,Imported\n0,2\n0.5,4\n");
  Write(Path("bad.csv"), "t,Imported\n0,two\n");
  desktop_.openFileAnswers = {Path("bad.csv"), Path("in.csv")};
  EXPECT_FALSE(ImportPlotFile(desktop_, table, view));
  ASSERT_EQ(desktop_.messages.size(), 1u);
  EXPECT_EQ(table[1].title, "Sine Wave");
  EXPECT_TRUE(ImportPlotFile(desktop_, table, view));
  EXPECT_EQ(desktop_.fileRequests.back().filters[0].description, "PMAC Plot Files (*.ppl)");
  EXPECT_EQ(table[1].title, "Imported");
  EXPECT_EQ(table[1].values, (std::vector<double>{2, 4}));
  EXPECT_DOUBLE_EQ(table[1].rawDataPeriod, 0.5);
}

}  // namespace
}  // namespace bl::graph
