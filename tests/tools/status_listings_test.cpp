// The status reports' lines from tables and replies given by the test.
#include "tools/status_listings.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace bl::tools {
namespace {

// Replies by command; anything not in the map answers what `otherwise` says.
struct Replies {
  std::map<std::string, std::string> byCommand;
  std::string otherwise = "\x06";
  std::vector<std::string> sent;
  ListingExchange Exchange() {
    return [this](const std::string& command) {
      sent.push_back(command);
      const auto it = byCommand.find(command);
      return it == byCommand.end() ? otherwise : it->second;
    };
  }
};

std::vector<std::string> Texts(const std::vector<TerminalLine>& lines) {
  std::vector<std::string> texts;
  for (const TerminalLine& line : lines) texts.push_back(line.text);
  return texts;
}

TEST(StatusListingsTest, ProgramDirectoryEndsWhereAnEndRepeats) {
  Replies replies;
  replies.byCommand = {{"RY:3584", "6148\r\x06"},
                       {"RX:3584", "7\r\x06"},
                       {"RY:3585", "6157\r\x06"},
                       {"RX:3585", "-16776217\r\x06"},
                       {"RY:3586", "6157\r\x06"}};
  const auto lines = ProgramStatusLines(2, replies.Exchange());
  ASSERT_TRUE(lines);
  EXPECT_EQ(Texts(*lines),
            (std::vector<std::string>{"", "Current Motion Program Status",
                                      "Number     Address  Length", "PROG    7   $01800       4",
                                      "PROG  999   $01804       9", "Finished"}));
  EXPECT_EQ(replies.sent.size(), 5u);
  EXPECT_FALSE(ProgramStatusLines(0, replies.Exchange()));
  EXPECT_FALSE(ProgramStatusLines(7, replies.Exchange()));
}

TEST(StatusListingsTest, ProgramDirectorySurvivesRepliesThatDoNotParse) {
  // A number that fails keeps the previous one: an end that fails closes the directory...
  Replies garbage;
  garbage.otherwise = "\x07ERR003\r";
  auto lines = ProgramStatusLines(5, garbage.Exchange());
  ASSERT_TRUE(lines);
  EXPECT_EQ(lines->size(), 4u);  // headings and "Finished" only
  EXPECT_EQ(garbage.sent, std::vector<std::string>{"RY:12288"});

  // ...and a number that fails keeps the last program number.
  Replies partly;
  partly.byCommand = {{"RY:12288", "40970\r\x06"},
                      {"RX:12288", "3\r\x06"},
                      {"RY:12289", "40980\r\x06"},
                      {"RX:12289", "junk"},
                      {"RY:12290", "40980\r\x06"}};
  lines = ProgramStatusLines(5, partly.Exchange());
  ASSERT_TRUE(lines);
  EXPECT_EQ((*lines)[3].text, "PROG    3   $0A000      10");
  EXPECT_EQ((*lines)[4].text, "PROG    3   $0A00A      10");

  // A directory that never repeats stops after 256 entries.
  int next = 0;
  const ListingExchange endless = [&next](const std::string& command) {
    return command.starts_with("RY") ? std::to_string(7000 + ++next) : std::string("1");
  };
  lines = ProgramStatusLines(1, endless);
  ASSERT_TRUE(lines);
  EXPECT_EQ(lines->size(), 3u + 256u + 1u);
}

TEST(StatusListingsTest, AxisLinesTakeTheReplyUpToItsEnd) {
  Replies replies;
  replies.byCommand = {{"&0 #1->", "1000X\r\x06"},
                       {"&0 #2->", "0\r\x06"},
                       {"&0 #3->", std::string("1000Y\0tail", 10)},
                       {"&0 #4->",
                        "\x07"
                        "ERR003\r"},
                       {"&0 #5->", std::string(300, 'Z')}};
  const auto lines = AxisDefinitionLines(3, 0, replies.Exchange());
  ASSERT_TRUE(lines);
  ASSERT_EQ(lines->size(), 2u + 8u + 1u);
  EXPECT_EQ((*lines)[1].text, "Axis Definitions for Coordinate System 0");
  EXPECT_EQ((*lines)[1].color, 5);
  EXPECT_EQ((*lines)[2].text, "#1->1000X");
  EXPECT_EQ((*lines)[3].text, "#2->0");
  EXPECT_EQ((*lines)[4].text, "#3->1000Y");
  EXPECT_EQ((*lines)[5].text, "#4->\aERR003");
  EXPECT_EQ((*lines)[6].text, "#5->" + std::string(245, 'Z'));
  EXPECT_EQ((*lines)[7].text, "#6->");  // only the acknowledgement
  EXPECT_EQ(lines->back().text, "Finished");

  Replies turbo;
  const auto sixteen = AxisDefinitionLines(6, 2, turbo.Exchange());
  ASSERT_TRUE(sixteen);
  EXPECT_EQ(turbo.sent.size(), 16u);
  EXPECT_EQ(turbo.sent.back(), "&2 #16->");
  EXPECT_FALSE(AxisDefinitionLines(0, 0, turbo.Exchange()));
}

}  // namespace
}  // namespace bl::tools
