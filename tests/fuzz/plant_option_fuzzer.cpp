// brightlantern-sim's plant options on any text: a value is either taken whole, leaving only
// settings a plant can use for motors in range, or refused with a reason and nothing changed.
// The input: the option (first byte), the motor count (second), then values separated by NUL.
#include <array>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "sim/plant_options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size < 2) return 0;
  constexpr std::array<std::string_view, 5> kOptions = {"--resonance", "--friction", "--noise",
                                                        "--seed", "--other"};
  const std::string_view option = kOptions[bytes[0] % kOptions.size()];
  const int maxMotor = 1 + bytes[1] % 32;
  std::string_view rest(reinterpret_cast<const char*>(bytes) + 2, size - 2);
  sim::PlantOptions options;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\0');
    const std::string_view value = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    const sim::PlantOptions before = options;
    const std::string why = sim::ParsePlantOption(option, value, maxMotor, options);
    if (!why.empty()) {
      BL_FUZZ_CHECK(options.motors == before.motors && options.seed == before.seed);
      BL_FUZZ_CHECK(why.size() < 100);
    }
    for (const auto& [motor, settings] : options.motors) {
      BL_FUZZ_CHECK(motor >= 1 && motor <= maxMotor);
      BL_FUZZ_CHECK(sim::CheckPlantSettings(settings).empty());
    }
  }
  return 0;
}
