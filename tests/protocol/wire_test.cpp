#include "protocol/wire.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace protocol {
namespace {

using Kind = ReplyEnd::Kind;

TEST(ReplyEnd, AckOrAWholeErrorEndsTheReply) {
  EXPECT_EQ(FindReplyEnd("1\r2\r\x06").kind, Kind::kComplete);
  EXPECT_EQ(FindReplyEnd("1\r2\r\x06junk").length, 5u);
  EXPECT_EQ(FindReplyEnd("1\r\aERR003\r").length, 10u);
  EXPECT_EQ(FindReplyEnd("\a\rERR003\r").length, 9u);  // I6 = 3
  EXPECT_EQ(FindReplyEnd("1\r2\r").kind, Kind::kNotYet);
  EXPECT_EQ(FindReplyEnd("\aER").kind, Kind::kNotYet);
  EXPECT_EQ(FindReplyEnd("\aERR00").kind, Kind::kNotYet);
  EXPECT_EQ(FindReplyEnd("\a\r").kind, Kind::kNotYet);
  EXPECT_EQ(FindReplyEnd("1\r\a").kind, Kind::kBareBel);  // I6 = 0 or 2, or more to come
  EXPECT_EQ(FindReplyEnd("\aX").length, 1u);
  EXPECT_EQ(FindReplyEnd("\x06\r\x06", 1).length, 3u);
}

// A reply read in pieces and scanned from `resume` each time ends where a scan of the whole text
// ends, wherever the pieces split an error report.
TEST(ReplyEnd, ScanningInPiecesFindsTheSameEnd) {
  const std::string samples[] = {"12\r34\r\x06", "1\r\aERR003\r", "\a\rERR0031\r", "x\aY\r\x06",
                                 "\a\rERR12", "abc\r\a", "\aERR\aERR001\r"};
  std::mt19937 random(7);
  const std::string alphabet = "\x06\a\rER0123x";
  std::vector<std::string> texts(std::begin(samples), std::end(samples));
  for (int i = 0; i < 2000; ++i) {
    std::string text(random() % 24, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    texts.push_back(text);
  }
  for (const std::string& text : texts) {
    const ReplyEnd whole = FindReplyEnd(text);
    for (int split = 0; split < 8; ++split) {
      ReplyEnd end;
      std::size_t from = 0;
      std::size_t have = 0;
      while (true) {
        have = std::min(text.size(), have + 1 + random() % 4);
        end = FindReplyEnd(std::string_view(text).substr(0, have), from);
        if (end.kind == Kind::kComplete || have == text.size()) break;
        from = end.resume;
      }
      ASSERT_EQ(end.kind, whole.kind) << testing::PrintToString(text);
      if (whole.kind == Kind::kComplete) {
        ASSERT_EQ(end.length, whole.length);
      }
    }
  }
}

}  // namespace
}  // namespace protocol
