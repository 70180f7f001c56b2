// The reply-end scan every link reads controller replies with. Replies arrive in pieces: the
// scan resumed where it stopped must find what a scan of the whole text finds, and an end once
// found must not move when more bytes arrive.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "protocol/wire.h"

namespace {

using protocol::FindReplyEnd;
using protocol::ReplyEnd;
using Kind = ReplyEnd::Kind;

bool Same(const ReplyEnd& a, const ReplyEnd& b) {
  return a.kind == b.kind && (a.kind == Kind::kNotYet || a.length == b.length);
}

// What every scan result must satisfy on its own.
void CheckResult(std::string_view text, std::size_t from, const ReplyEnd& end) {
  const std::size_t stop = std::min(from, text.size());
  switch (end.kind) {
    case Kind::kComplete: {
      BL_FUZZ_CHECK(end.length > stop && end.length <= text.size());
      // The reply ends at the first ACK or BEL at or after `from`: nothing before it ends it.
      const std::size_t first = text.find_first_of(std::string_view("\x06\x07", 2), stop);
      BL_FUZZ_CHECK(first != std::string_view::npos && first < end.length);
      if (text[first] == protocol::kAck) BL_FUZZ_CHECK(end.length == first + 1);
      break;
    }
    case Kind::kBareBel:
      BL_FUZZ_CHECK(end.length == text.size() && text.back() == protocol::kBell);
      BL_FUZZ_CHECK(end.resume < text.size() && text[end.resume] == protocol::kBell);
      break;
    case Kind::kNotYet:
      BL_FUZZ_CHECK(end.resume >= stop && end.resume <= std::max(from, text.size()));
      // Everything before the resume point was read and holds no ACK.
      BL_FUZZ_CHECK(
          text.substr(stop, end.resume - std::min(end.resume, stop)).find(protocol::kAck) ==
          std::string_view::npos);
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider data(bytes, size);
  // Where the pieces of the reply end, as a reader's reads would cut it.
  std::vector<std::size_t> cuts;
  const int pieces = data.ConsumeIntegralInRange(0, 16);
  for (int i = 0; i < pieces; ++i)
    cuts.push_back(data.ConsumeIntegralInRange<std::size_t>(0, 4096));
  const std::string text = data.ConsumeRemainingBytesAsString();
  cuts.push_back(text.size());
  for (std::size_t& c : cuts) c = std::min(c, text.size());
  std::sort(cuts.begin(), cuts.end());

  const ReplyEnd whole = FindReplyEnd(text);
  CheckResult(text, 0, whole);

  // The way a reader scans: each time more arrived, from where the last scan left off.
  std::size_t from = 0;
  for (std::size_t cut : cuts) {
    const std::string_view part = std::string_view(text).substr(0, cut);
    const ReplyEnd resumed = FindReplyEnd(part, from);
    CheckResult(part, from, resumed);
    const ReplyEnd fresh = FindReplyEnd(part);
    BL_FUZZ_CHECK(Same(resumed, fresh));
    if (resumed.kind == Kind::kComplete) {
      // Found once, the end stays where it is however much more arrives.
      BL_FUZZ_CHECK(Same(resumed, whole));
      break;
    }
    from = resumed.resume;
  }
  return 0;
}
