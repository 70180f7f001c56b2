#include "protocol/wire.h"

#include <gtest/gtest.h>

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
// ends, wherever the pieces split an error report (the fuzz target tries arbitrary texts).
TEST(ReplyEnd, ScanningInPiecesFindsTheSameEnd) {
  for (const std::string text : {"12\r34\r\x06", "1\r\aERR003\r", "\a\rERR0031\r", "x\aY\r\x06",
                                 "\a\rERR12", "abc\r\a", "\aERR\aERR001\r"}) {
    const ReplyEnd whole = FindReplyEnd(text);
    for (std::size_t piece = 1; piece <= 3; ++piece) {
      SCOPED_TRACE(testing::Message() << testing::PrintToString(text) << " in pieces of " << piece);
      ReplyEnd end;
      std::size_t from = 0, have = 0;
      do {
        have = std::min(text.size(), have + piece);
        end = FindReplyEnd(std::string_view(text).substr(0, have), from);
        from = end.resume;
      } while (end.kind != Kind::kComplete && have < text.size());
      EXPECT_EQ(end.kind, whole.kind);
      if (whole.kind == Kind::kComplete) {
        EXPECT_EQ(end.length, whole.length);
      }
    }
  }
}

}  // namespace
}  // namespace protocol
