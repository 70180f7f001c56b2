// Finding the end of a long reply that arrives in 1400-byte answers: scanning the whole text
// again after each answer (what a reader without a resume point does) against resuming where
// the last scan stopped.
#include <benchmark/benchmark.h>

#include <string>

#include "protocol/wire.h"

namespace {

constexpr std::size_t kAnswer = 1400;

// A listing of numbered lines, `bytes` long, ended by ACK.
std::string Listing(std::size_t bytes) {
  std::string text;
  for (int i = 0; text.size() < bytes; ++i) text += std::to_string(i * 7919 % 100000) + "\r";
  text += '\x06';
  return text;
}

void ScanFromStartEachAnswer(benchmark::State& state) {
  const std::string text = Listing(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    protocol::ReplyEnd end;
    for (std::size_t have = kAnswer; end.kind != protocol::ReplyEnd::Kind::kComplete;
         have += kAnswer) {
      end = protocol::FindReplyEnd(std::string_view(text).substr(0, have));
    }
    benchmark::DoNotOptimize(end);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void ScanResumingEachAnswer(benchmark::State& state) {
  const std::string text = Listing(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    protocol::ReplyEnd end;
    std::size_t from = 0;
    for (std::size_t have = kAnswer; end.kind != protocol::ReplyEnd::Kind::kComplete;
         have += kAnswer) {
      end = protocol::FindReplyEnd(std::string_view(text).substr(0, have), from);
      from = end.resume;
    }
    benchmark::DoNotOptimize(end);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

BENCHMARK(ScanFromStartEachAnswer)->Arg(64 << 10)->Arg(1 << 20);
BENCHMARK(ScanResumingEachAnswer)->Arg(64 << 10)->Arg(1 << 20);

}  // namespace

BENCHMARK_MAIN();
