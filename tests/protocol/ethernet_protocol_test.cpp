#include "protocol/ethernet_protocol.h"

#include <gtest/gtest.h>

namespace protocol::eth {
namespace {

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

TEST(WriteBufferAnswer, ErrorFlagNumberAndLittleEndianLine) {
  EXPECT_EQ(WriteBufferAnswer(0, 7), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
  EXPECT_EQ(WriteBufferAnswer(3, 0x102), (std::array<std::uint8_t, 4>{0x02, 0x01, 3, 0x80}));
}

}  // namespace
}  // namespace protocol::eth
