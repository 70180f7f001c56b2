// The editor's byte searches (editor/byte_scan.h) side by side with the standard library's:
// std::count for counting line ends, std::find_if and memchr for finding the next special byte.
// Each on a 499,999-byte motion program, on a text of empty and very short lines, and on the
// short stretches between comments that ScanToLine works through when it paints.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "editor/byte_scan.h"

namespace {

using bl::editor::CountByte;
using bl::editor::FindAnyByte;

constexpr std::size_t kSize = 499999;

// A motion program: lines of 5..45 characters, a comment now and then.
const std::string& ProgramText() {
  static const std::string text = [] {
    std::mt19937 random(1);
    std::string t;
    while (t.size() < kSize) {
      const int length = 5 + static_cast<int>(random() % 41);
      for (int i = 0; i < length; ++i) t += static_cast<char>('A' + random() % 26);
      if (random() % 4 == 0) t += " ; note";
      t += '\n';
    }
    t.resize(kSize);
    return t;
  }();
  return text;
}

// Empty lines and lines of one or two characters.
const std::string& ShortLinesText() {
  static const std::string text = [] {
    std::mt19937 random(2);
    std::string t;
    while (t.size() < kSize) {
      t.append(random() % 3, 'x');
      t += '\n';
    }
    t.resize(kSize);
    return t;
  }();
  return text;
}

const std::string& Text(std::int64_t which) {
  return which == 0 ? ProgramText() : ShortLinesText();
}

std::size_t StdCount(const char* p, const char* end, char c) {
  return static_cast<std::size_t>(std::count(p, end, c));
}

const char* StdFindAny(const char* p, const char* end) {
  return std::find_if(p, end, [](char b) { return b == ';' || b == '/' || b == '"'; });
}

const char* Memchr(const char* p, const char* end, char c) {
  const void* at = std::memchr(p, static_cast<unsigned char>(c), static_cast<std::size_t>(end - p));
  return at ? static_cast<const char*>(at) : end;
}

// Counting the line ends of a whole text (the last line's index, the caret's line).

void BM_CountWhole_ByteScan(benchmark::State& st) {
  const std::string& t = Text(st.range(0));
  for (auto _ : st) benchmark::DoNotOptimize(CountByte(t.data(), t.data() + t.size(), '\n'));
  st.SetBytesProcessed(st.iterations() * static_cast<std::int64_t>(t.size()));
}
BENCHMARK(BM_CountWhole_ByteScan)->ArgName("shortLines")->Arg(0)->Arg(1);

void BM_CountWhole_StdCount(benchmark::State& st) {
  const std::string& t = Text(st.range(0));
  for (auto _ : st) benchmark::DoNotOptimize(StdCount(t.data(), t.data() + t.size(), '\n'));
  st.SetBytesProcessed(st.iterations() * static_cast<std::int64_t>(t.size()));
}
BENCHMARK(BM_CountWhole_StdCount)->ArgName("shortLines")->Arg(0)->Arg(1);

// Line by line through the program: find each line's end, count from the line start up to the
// next special byte, as ScanToLine does between comments.

template <typename Count, typename FindLineEnd>
void LineByLine(benchmark::State& st, Count count, FindLineEnd findLineEnd) {
  const std::string& t = ProgramText();
  const char* const end = t.data() + t.size();
  for (auto _ : st) {
    std::size_t total = 0;
    for (const char* p = t.data(); p < end;) {
      const char* lineEnd = findLineEnd(p, end);
      total += count(p, std::min(lineEnd + 1, end), '\n');
      p = lineEnd + 1;
    }
    benchmark::DoNotOptimize(total);
  }
  st.SetBytesProcessed(st.iterations() * static_cast<std::int64_t>(t.size()));
}

void BM_LineByLine_ByteScan(benchmark::State& st) {
  LineByLine(st, CountByte, [](const char* p, const char* e) { return FindAnyByte(p, e, '\n'); });
}
BENCHMARK(BM_LineByLine_ByteScan);

void BM_LineByLine_StdCountMemchr(benchmark::State& st) {
  LineByLine(st, StdCount, [](const char* p, const char* e) { return Memchr(p, e, '\n'); });
}
BENCHMARK(BM_LineByLine_StdCountMemchr);

// The next of ';', '/' and '"': over the whole program, stopping at each.

void BM_FindSpecial_ByteScan(benchmark::State& st) {
  const std::string& t = ProgramText();
  const char* const end = t.data() + t.size();
  for (auto _ : st) {
    std::size_t found = 0;
    for (const char* p = t.data(); (p = FindAnyByte(p, end, ';', '/', '"')) < end; ++p) ++found;
    benchmark::DoNotOptimize(found);
  }
  st.SetBytesProcessed(st.iterations() * static_cast<std::int64_t>(t.size()));
}
BENCHMARK(BM_FindSpecial_ByteScan);

void BM_FindSpecial_StdFindIf(benchmark::State& st) {
  const std::string& t = ProgramText();
  const char* const end = t.data() + t.size();
  for (auto _ : st) {
    std::size_t found = 0;
    for (const char* p = t.data(); (p = StdFindAny(p, end)) < end; ++p) ++found;
    benchmark::DoNotOptimize(found);
  }
  st.SetBytesProcessed(st.iterations() * static_cast<std::int64_t>(t.size()));
}
BENCHMARK(BM_FindSpecial_StdFindIf);

// Each line end of the program in turn. memchr wins here, on lines of 5..45 characters; on the
// editor_bench program, where ScanToLine searches the short rest of a comment for its line end,
// it made the repaint a few percent slower, so FindAnyByte does not use it.

void BM_FindLineEnds_ByteScan(benchmark::State& st) {
  const std::string& t = ProgramText();
  const char* const end = t.data() + t.size();
  for (auto _ : st) {
    std::size_t found = 0;
    for (const char* p = t.data(); (p = FindAnyByte(p, end, '\n')) < end; ++p) ++found;
    benchmark::DoNotOptimize(found);
  }
  st.SetBytesProcessed(st.iterations() * static_cast<std::int64_t>(t.size()));
}
BENCHMARK(BM_FindLineEnds_ByteScan);

void BM_FindLineEnds_Memchr(benchmark::State& st) {
  const std::string& t = ProgramText();
  const char* const end = t.data() + t.size();
  for (auto _ : st) {
    std::size_t found = 0;
    for (const char* p = t.data(); (p = Memchr(p, end, '\n')) < end; ++p) ++found;
    benchmark::DoNotOptimize(found);
  }
  st.SetBytesProcessed(st.iterations() * static_cast<std::int64_t>(t.size()));
}
BENCHMARK(BM_FindLineEnds_Memchr);

}  // namespace

BENCHMARK_MAIN();
