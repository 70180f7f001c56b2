// The test moves' parameters as a hand-edited or damaged test_moves.conf reaches them, and the
// same text typed into the page's ten fields: the file never brings in a value the moves would
// refuse, what is written back reads back the same, and a move the checks let through sends
// command lines of sensible length.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "tuning/test_move.h"

namespace {

using namespace bl::tuning;

constexpr TestMoveKind kKinds[] = {TestMoveKind::kStep, TestMoveKind::kTrapezoid,
                                   TestMoveKind::kSineSweep};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(bytes), size);
  TestMoveParameters p;
  ApplyTestMoveSettings(text, p);
  const auto within = [](auto v, auto low, auto high) { return v >= low && v <= high; };
  for (int v :
       {p.stepSize, p.stepDwell, p.trapezoidSize, p.trapezoidDwell, p.sweepSize, p.sweepTime})
    BL_FUZZ_CHECK(within(v, 1, 10000));
  BL_FUZZ_CHECK(within(p.lowFrequency, 0, 100) && within(p.highFrequency, 0, 100));
  BL_FUZZ_CHECK(within(p.velocity, 0.01f, 1000.0f) && within(p.acceleration, 0.01f, 100.0f));
  const std::string written = TestMoveSettingsText(p);
  TestMoveParameters reread;
  ApplyTestMoveSettings(written, reread);
  BL_FUZZ_CHECK(TestMoveSettingsText(reread) == written);

  // The text typed into every field, then each move checked and, when allowed, built.
  std::vector<std::string> fields(kTestMoveFieldCount, std::string(text.substr(0, 200)));
  ReadTestMoveFields(fields, p);
  for (TestMoveKind kind : kKinds) {
    if (TestMoveProblem(kind, p)) continue;
    if (kind == TestMoveKind::kTrapezoid)
      BL_FUZZ_CHECK(std::isfinite(p.velocity) && std::isfinite(p.acceleration));
    for (const std::string& line :
         TestMoveStartCommands(kind, p, 32, MotorRegistersFor(6, 32), TestMoveIx08(2048.0)))
      BL_FUZZ_CHECK(line.size() < 120);
  }
  return 0;
}
