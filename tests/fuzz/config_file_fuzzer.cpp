// A backup file's bytes as the configuration comparison reads them: whatever the file holds,
// damage is reported up to its limit and every item kept is one line's worth of printable text
// with its number in range; a file compared with itself has no differences, and two different
// files give counts that match their entries.
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "tools/config_diff.h"

namespace {

using bl::tools::ConfigModel;

bool OneLine(std::string_view text) {
  if (text.size() > bl::tools::kMaxConfigLine) return false;
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if ((u < 32 && c != '\t') || u == 127) return false;
  }
  return true;
}

void CheckModel(const ConfigModel& m) {
  BL_FUZZ_CHECK(m.problems.size() <= bl::tools::kMaxConfigProblems);
  for (const auto& values : m.values)
    for (const auto& [n, v] : values) BL_FUZZ_CHECK(n >= 0 && n < 8192 && !v.empty() && OneLine(v));
  for (const auto& [n, d] : m.mDefinitions) BL_FUZZ_CHECK(n >= 0 && n < 8192 && OneLine(d));
  for (const auto* programs : {&m.programs, &m.plcs})
    for (const auto& [n, p] : *programs)
      for (const std::string& line : p.lines) BL_FUZZ_CHECK(!line.empty() && OneLine(line));
  for (const auto& [n, p] : m.plcs) BL_FUZZ_CHECK(n >= 0 && n <= 31);
  for (const auto& [key, d] : m.axes)
    BL_FUZZ_CHECK(key.first >= 1 && key.first <= 16 && key.second >= 1 && key.second <= 32);
  for (const auto& [key, word] : m.memory) BL_FUZZ_CHECK(word.size() == 7 && word[0] == '$');
  for (const std::string& line : m.other) BL_FUZZ_CHECK(OneLine(line));
  BL_FUZZ_CHECK(m.variableCount == 0 || m.variableCount == 1024 || m.variableCount == 8192);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(bytes), size);
  const ConfigModel whole = bl::tools::ParseConfig(input, "fuzz.pmc");
  CheckModel(whole);

  const bl::tools::ConfigDiff self = bl::tools::CompareConfigs(whole, whole, nullptr, true);
  BL_FUZZ_CHECK(self.Differences() == 0);

  // The two halves as two files: every entry a difference is counted once.
  const ConfigModel a = bl::tools::ParseConfig(input.substr(0, size / 2), "a.pmc");
  const ConfigModel b = bl::tools::ParseConfig(input.substr(size / 2), "b.pmc");
  CheckModel(a);
  CheckModel(b);
  const bl::tools::ConfigDiff diff = bl::tools::CompareConfigs(a, b, nullptr, false);
  BL_FUZZ_CHECK(diff.entries.size() == diff.Differences());
  for (const auto& entry : diff.entries) {
    BL_FUZZ_CHECK(entry.kind != bl::tools::DiffKind::kSame);
    BL_FUZZ_CHECK(bl::tools::DiffLine(entry).find_first_of("\r\n") == std::string::npos);
  }
  return 0;
}
