#pragma once

#include <string>
#include <string_view>

namespace bl {

// What a transport answers when the exchange itself failed (not open, dropped, silent, a reply
// that cannot be read): an error reply that every reply parser rejects, with a number no
// controller uses, so it is never mistaken for a value.
inline constexpr std::string_view kLinkErrorReply = "\aERR255\r";

// One controller connection.
class Transport {
 public:
  virtual ~Transport() = default;
  virtual bool Open(std::string& error) = 0;  // error: a short human text
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;
  // One command line; the controller's reply text as it arrives (CR-ended lines, ACK; or BEL
  // ERRnnn CR). A dropped or silent connection gives an error reply within the timeout, never
  // a hang.
  virtual std::string GetResponse(std::string_view command) = 0;
  // A control character (1..26) and its report.
  virtual std::string ControlResponse(char c) = 0;
  virtual bool InBootstrap() = 0;
};

}  // namespace bl
