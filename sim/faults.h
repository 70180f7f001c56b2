#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

namespace sim {

// Switches for integration tests that need a misbehaving controller. Safe to flip from any
// thread while a server or transport is answering.
struct Faults {
  // Every answer waits this long first (a slow or, beyond the client's timeout, silent
  // controller).
  std::atomic<std::int64_t> replyDelayMs{0};
  // Replies are replaced by noise: bytes that are no valid reply, framed with CR and ACK.
  std::atomic<bool> garbageReplies{false};
  // The next request closes the connection instead of being answered (one shot).
  std::atomic<bool> dropConnection{false};
  // The next reply stops half way and the connection closes (one shot).
  std::atomic<bool> dropMidReply{false};
  // Requests are read and never answered; the connection stays up.
  std::atomic<bool> silent{false};
  // Answers go out a few bytes at a time with short pauses, so that a reply arrives in many
  // packets.
  std::atomic<bool> splitReplies{false};

  std::chrono::milliseconds ReplyDelay() const {
    return std::chrono::milliseconds(replyDelayMs.load());
  }
  // True once after dropConnection was set.
  bool TakeDrop() { return dropConnection.exchange(false); }
  bool TakeDropMidReply() { return dropMidReply.exchange(false); }
};

// A line of 8..40 noise bytes (printable text and stray control characters, never ACK or BEL,
// never beginning like a number) followed by CR and ACK; different for each seed.
std::string NoiseReply(std::uint32_t seed);

}  // namespace sim
