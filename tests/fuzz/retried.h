#pragma once

#include <cerrno>

// A blocking system call, repeated when a signal interrupted it: libFuzzer's timer (-timeout)
// sends SIGALRM every few seconds, and an interrupted poll or recv must not pass for a silent
// or closed peer.
template <typename Call>
auto Retried(Call call) {
  for (;;) {
    const auto result = call();
    if (result >= 0 || errno != EINTR) return result;
  }
}
