// The virtual controller's online command language: random command lines, control characters
// and servo time, on any of the six controller types. Every reply must be framed the way the
// workbench's reply scanner (FindReplyEnd) reads it: CR-ended lines and one ACK at the end, or
// the error form I6 chooses with no ACK; nothing in between that the scanner would take for an
// end.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "fuzz/controller_pool.h"
#include "fuzz/fuzz_check.h"
#include "protocol/wire.h"
#include "sim/controller.h"
#include "sim/text.h"

namespace {

using protocol::FindReplyEnd;
using protocol::ReplyEnd;

// Longer than any listing a controller can give: the Ethernet client's own limit.
constexpr std::size_t kMaxReply = 8u << 20;

// The reply lines before the ending: CR-ended, with no ACK or BEL among them.
void CheckBody(std::string_view body) {
  BL_FUZZ_CHECK(body.find_first_of(std::string_view("\x06\x07", 2)) == std::string_view::npos);
  BL_FUZZ_CHECK(body.empty() || body.back() == sim::kCr);
}

void CheckSuccess(std::string_view text) {
  BL_FUZZ_CHECK(!text.empty() && text.back() == sim::kAck);
  CheckBody(text.substr(0, text.size() - 1));
  const ReplyEnd end = FindReplyEnd(text);
  BL_FUZZ_CHECK(end.kind == ReplyEnd::Kind::kComplete && end.length == text.size());
}

void CheckError(std::string_view text, int error) {
  // The errors of the command language, of the program buffers and of running programs.
  BL_FUZZ_CHECK(error == sim::kErrUnrecognized || error == sim::kErrNoBufferOpen ||
                error == sim::kErrBufferFull || error == sim::kErrBufferInUse ||
                error == sim::kErrStructure || error == sim::kErrProgramRunning ||
                (error >= sim::kErrOpenLoop && error <= sim::kErrNoProgram));
  char code[16];
  std::snprintf(code, sizeof code, "ERR%03d\r", error);
  std::size_t ending = 0;
  for (const std::string& form :
       {"\a" + std::string(code), "\a\r" + std::string(code), std::string("\a")}) {
    if (text.size() >= form.size() && text.substr(text.size() - form.size()) == form) {
      ending = form.size();
      break;
    }
  }
  BL_FUZZ_CHECK(ending != 0);
  CheckBody(text.substr(0, text.size() - ending));
  const ReplyEnd end = FindReplyEnd(text);
  if (ending == 1) {
    // A bare BEL (I6 = 0 or 2): the scanner waits a moment for more, then takes it as the end.
    BL_FUZZ_CHECK(end.kind == ReplyEnd::Kind::kBareBel && end.length == text.size());
  } else {
    BL_FUZZ_CHECK(end.kind == ReplyEnd::Kind::kComplete && end.length == text.size());
  }
}

std::string CommandLine(FuzzedDataProvider& data) {
  std::string line = data.ConsumeRandomLengthString(300);
  // Often a line that ends in a number the next part of the input follows, to reach long ranges
  // and addresses without guessing their digits.
  if (data.ConsumeIntegralInRange(0, 3) == 0) {
    line += std::to_string(data.ConsumeIntegralInRange<std::int64_t>(-20000000, 20000000));
    line += data.ConsumeRandomLengthString(20);
  }
  return line;
}

using bl::fuzz::ControllerOfType;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  sim::Controller& controller = ControllerOfType(data.ConsumeIntegralInRange(1, 6));
  BL_FUZZ_CHECK(controller.Respond("$$$***") == "\x06");
  for (int step = 0; step < 32 && data.remaining_bytes() > 0; ++step) {
    switch (data.ConsumeIntegralInRange(0, 5)) {
      case 0: {
        // A control character on its own, as CTRL_RESPONSE sends it.
        const char c = data.ConsumeIntegral<char>();
        const std::string reply = controller.RespondControl(c);
        const bool known = (c >= 1 && c <= 26) || c == '\t' || c == '\n' || c == '\r';
        if (known) {
          CheckSuccess(reply);
        } else {
          CheckError(reply, sim::kErrUnrecognized);
        }
        break;
      }
      case 1: {
        // A servo period typed absurdly short makes every step run the most cycles the
        // controller allows (a unit test covers that cap); under the sanitizers that is seconds
        // per step, which would only slow the search down.
        double period = 0;
        if (std::sscanf(controller.Execute("I10").text.c_str(), "%lf", &period) != 1 ||
            period < 100000)
          break;
        controller.Advance(std::chrono::microseconds(data.ConsumeIntegralInRange(0, 2000)));
        break;
      }
      default: {
        const std::string line = CommandLine(data);
        const sim::Reply reply = controller.Execute(line);
        BL_FUZZ_CHECK(reply.text.size() <= kMaxReply);
        if (reply.error == 0) {
          BL_FUZZ_CHECK(line.size() <= sim::kMaxLineLength);
          CheckSuccess(reply.text);
        } else {
          CheckError(reply.text, reply.error);
        }
        break;
      }
    }
  }
  return 0;
}
