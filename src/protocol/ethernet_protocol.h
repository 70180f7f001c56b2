#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The controller's Ethernet protocol on TCP, shared by the server and the client: every request
// is an 8-byte header and up to 1492 data bytes; answers are raw bytes.
namespace protocol::eth {

inline constexpr std::uint8_t kDownload = 0x40;  // host to controller
inline constexpr std::uint8_t kUpload = 0xC0;    // controller to host

enum Request : std::uint8_t {
  kSendLine = 0xB0,      // a line to run; its reply waits for GETLINE (1 byte back)
  kGetLine = 0xB1,       // the next waiting reply line
  kFlush = 0xB3,         // discard waiting output (1 byte back)
  kSendCtrlChar = 0xB6,  // a control character in wValue, report kept waiting (1 byte back)
  kGetResponse = 0xBF,   // data: one command line; answer: its reply (first part)
  kReadReady = 0xC2,     // 2 bytes back, the first non-zero when more reply is waiting
  kCtrlResponse = 0xC4,  // a control character in wValue; answer: its report
  kGetBuffer = 0xC5,     // the next part of a long reply
  kWriteBuffer = 0xC6,   // NUL-separated lines; 4 bytes back
};

inline constexpr std::size_t kHeaderSize = 8;
inline constexpr std::size_t kMaxData = 1492;         // data bytes after a header
inline constexpr std::size_t kMaxAnswer = 1400;       // bytes per answer
inline constexpr std::size_t kMaxWriteBuffer = 1024;  // data of one WRITEBUFFER
inline constexpr std::uint16_t kDefaultPort = 1025;

struct Header {
  std::uint8_t requestType = kDownload;
  std::uint8_t request = kGetResponse;
  std::uint16_t value = 0;
  std::uint16_t index = 0;
  std::uint16_t length = 0;  // data bytes that follow (download), answer size (upload)
  bool operator==(const Header&) const = default;
};

// The 16-bit fields travel big-endian.
std::array<std::uint8_t, kHeaderSize> EncodeHeader(const Header& header);
Header DecodeHeader(const std::array<std::uint8_t, kHeaderSize>& bytes);
// Header and data as they go on the wire; the header's length is set to the data size, which
// the caller keeps within kMaxData.
std::string Packet(Header header, std::string_view data = {});

// The control character of a CTRL_RESPONSE or SENDCTRLCHAR: whichever byte of wValue is set.
char ControlCharFromValue(std::uint16_t value);


// The WRITEBUFFER answer: byte 3 = 0x80 on error, byte 2 the error number, bytes 0-1 the
// (0-based) number of the failing line, little-endian.
std::array<std::uint8_t, 4> WriteBufferAnswer(int error, std::size_t line);

}  // namespace protocol::eth
