#include "sim/ethernet_protocol.h"

#include <gtest/gtest.h>

namespace sim::eth {
namespace {

using Kind = ReplyEnd::Kind;

TEST(EthernetHeader, SixteenBitFieldsTravelBigEndian) {
  Header h{kUpload, kCtrlResponse, 0x1234, 0x5678, 0x9ABC};
  auto bytes = EncodeHeader(h);
  const std::array<std::uint8_t, 8> expected = {0xC0, 0xC4, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(DecodeHeader(bytes), h);
  std::string packet = Packet({kDownload, kGetResponse, 0, 0, 0}, "TYPE");
  EXPECT_EQ(packet, std::string("\x40\xBF\0\0\0\0\0\x04TYPE", 12));
}

TEST(EthernetHeader, ControlCharacterInEitherByte) {
  EXPECT_EQ(ControlCharFromValue(0x0010), 16);
  EXPECT_EQ(ControlCharFromValue(0x1000), 16);
  EXPECT_EQ(ControlCharFromValue(0), 0);
}

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

TEST(WriteBufferAnswer, ErrorFlagNumberAndLittleEndianLine) {
  EXPECT_EQ(WriteBufferAnswer(0, 7), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
  EXPECT_EQ(WriteBufferAnswer(3, 0x102), (std::array<std::uint8_t, 4>{0x02, 0x01, 3, 0x80}));
}

}  // namespace
}  // namespace sim::eth
