#include "graph/graph_export.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fake/fake_desktop.h"

namespace bl::graph {
namespace {

TEST(GraphExportTest, FormatFollowsTheExtensionOfTheFileNameOnly) {
  EXPECT_EQ(ExportFormatForPath("/tmp/a.png"), ExportFormat::Png);
  EXPECT_EQ(ExportFormatForPath("/tmp/A.SVG"), ExportFormat::Svg);
  EXPECT_EQ(ExportFormatForPath("graph.Pdf"), ExportFormat::Pdf);
  EXPECT_EQ(ExportFormatForPath("/tmp/a.png.txt"), std::nullopt);
  EXPECT_EQ(ExportFormatForPath("/tmp/png"), std::nullopt);
  EXPECT_EQ(ExportFormatForPath("/tmp/dir.png/graph"), std::nullopt);
  EXPECT_EQ(ExportFormatForPath(""), std::nullopt);
}

class ExportFlowTest : public ::testing::Test {
 protected:
  GraphExportHooks Hooks() {
    GraphExportHooks h;
    h.chooseSize = [this](platform::Size initial) {
      offered = initial;
      return chosen ? chosen : std::optional<platform::Size>(initial);
    };
    h.write = [this](const std::string& path, ExportFormat format, platform::Size size,
                     std::string& error) {
      written = path;
      writtenFormat = format;
      writtenSize = size;
      error = writeError;
      return writeError.empty();
    };
    return h;
  }

  platform::FakeDesktop desktop;
  std::optional<platform::Size> chosen;
  platform::Size offered;
  std::string written;
  ExportFormat writtenFormat = ExportFormat::Png;
  platform::Size writtenSize;
  std::string writeError;
};

TEST_F(ExportFlowTest, AsksForFileAndSizeThenWritesQuietly) {
  desktop.saveFileAnswers = {std::string("/tmp/g.svg")};
  chosen = platform::Size{1600, 900};
  EXPECT_EQ(ExportGraph(desktop, true, {812, 40}, Hooks()), ExportOutcome::Written);
  ASSERT_EQ(desktop.fileRequests.size(), 1u);
  EXPECT_EQ(desktop.fileRequests[0].filters.size(), 3u);
  EXPECT_EQ(desktop.fileRequests[0].defaultExtension, "png");
  // The screen's size, raised to one that can be written.
  EXPECT_EQ(offered, (platform::Size{812, kSmallestExportSide}));
  EXPECT_EQ(written, "/tmp/g.svg");
  EXPECT_EQ(writtenFormat, ExportFormat::Svg);
  EXPECT_EQ(writtenSize, (platform::Size{1600, 900}));
  EXPECT_TRUE(desktop.messages.empty());
}

TEST_F(ExportFlowTest, EveryFailureIsReportedAndNothingWrittenBeforeIt) {
  EXPECT_EQ(ExportGraph(desktop, false, {800, 600}, Hooks()), ExportOutcome::NoGraphView);
  EXPECT_TRUE(desktop.fileRequests.empty());

  desktop.saveFileAnswers = {std::nullopt};
  EXPECT_EQ(ExportGraph(desktop, true, {800, 600}, Hooks()), ExportOutcome::Cancelled);
  EXPECT_EQ(desktop.messages.size(), 1u);  // cancelling says nothing

  desktop.saveFileAnswers = {std::string("/tmp/g.bmp")};
  EXPECT_EQ(ExportGraph(desktop, true, {800, 600}, Hooks()), ExportOutcome::BadName);

  desktop.saveFileAnswers = {std::string("/tmp/g.png")};
  chosen = platform::Size{800, 20000};
  EXPECT_EQ(ExportGraph(desktop, true, {800, 600}, Hooks()), ExportOutcome::BadSize);
  EXPECT_TRUE(written.empty());

  desktop.saveFileAnswers = {std::string("/nowhere/g.png")};
  chosen.reset();
  writeError = "No such file or directory";
  EXPECT_EQ(ExportGraph(desktop, true, {800, 600}, Hooks()), ExportOutcome::Failed);
  EXPECT_EQ(desktop.messages.back().text,
            "The graph could not be written to /nowhere/g.png: No such file or directory");
  EXPECT_EQ(desktop.messages.back().title, "Export Error");
  EXPECT_EQ(desktop.messages.size(), 4u);
}

}  // namespace
}  // namespace bl::graph
