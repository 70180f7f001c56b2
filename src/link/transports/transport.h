#pragma once

#include <string>
#include <string_view>

namespace bl {

// What a transport answers when the exchange itself failed (not open, dropped, silent, a reply
// that cannot be read): an error reply that every reply parser rejects, with a number no
// controller uses, so it is never mistaken for a value.
inline constexpr std::string_view kLinkErrorReply = "\aERR255\r";

// One controller connection. Safe to use from several threads: exchanges are serialised, and
// Close may come from another thread while an exchange waits.
class Transport {
 public:
  virtual ~Transport() = default;
  // error: a short human text ("cannot connect to 10.1.2.3:1025: Connection refused").
  virtual bool Open(std::string& error) = 0;
  virtual void Close() = 0;
  // False once the connection is gone (closed, or dropped by a failed exchange): the owner may
  // Open it again.
  virtual bool IsOpen() const = 0;
  // One command line; the controller's reply text as it arrives (CR-ended lines, ACK; or BEL
  // ERRnnn CR). A dropped or silent connection gives kLinkErrorReply within the timeout, never
  // a hang, and LastError() says why.
  virtual std::string GetResponse(std::string_view command) = 0;
  // A control character (1..26) and its report.
  virtual std::string ControlResponse(char c) = 0;
  virtual bool InBootstrap() = 0;
  // Where the connection goes, for messages: "10.1.2.3:1025", "/dev/ttyUSB0".
  virtual std::string Where() const = 0;
  // Why the last exchange gave kLinkErrorReply, in a few lower-case words ("no answer within
  // 5000 ms").
  virtual std::string LastError() const = 0;
};

}  // namespace bl
