// brightlantern-sim's plant options: small colon-separated fields, each checked whole.
#include "sim/plant_options.h"

#include <array>
#include <charconv>
#include <cstddef>

namespace sim {

namespace {

// Far longer than any sensible value; a longer one is refused before it is looked at.
constexpr std::size_t kMaxValueLength = 200;

// Splits text at ':' into exactly `count` fields; false for any other number of fields.
template <std::size_t N>
bool Fields(std::string_view text, std::array<std::string_view, N>& fields) {
  std::size_t n = 0;
  for (;;) {
    const std::size_t colon = text.find(':');
    if (n == N) return false;
    fields[n++] = text.substr(0, colon);
    if (colon == std::string_view::npos) break;
    text.remove_prefix(colon + 1);
  }
  return n == N;
}

bool Number(std::string_view text, double& value) {
  if (text.empty()) return false;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

template <typename Integer>
bool Whole(std::string_view text, Integer& value) {
  if (text.empty()) return false;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

}  // namespace

bool IsPlantOption(std::string_view option) {
  return option == "--resonance" || option == "--friction" || option == "--noise" ||
         option == "--seed";
}

std::string ParsePlantOption(std::string_view option, std::string_view value, int maxMotor,
                             PlantOptions& options) {
  if (value.size() > kMaxValueLength) return "value too long";
  if (option == "--seed") {
    std::uint64_t seed = 0;
    if (!Whole(value, seed)) return "expected a whole number 0..18446744073709551615";
    options.seed = seed;
    return {};
  }
  const bool resonance = option == "--resonance";
  if (!resonance && option != "--friction" && option != "--noise") return "unknown option";

  std::array<std::string_view, 4> four{};
  std::array<std::string_view, 2> two{};
  const bool split = resonance ? Fields(value, four) : Fields(value, two);
  if (!split) return resonance ? "expected M:HZ:ZETA:RATIO" : "expected M:VALUE";
  const std::string_view motorText = resonance ? four[0] : two[0];
  int motor = 0;
  if (!Whole(motorText, motor) || motor < 1 || motor > maxMotor) {
    return "motor number not in 1.." + std::to_string(maxMotor);
  }

  auto found = options.motors.find(motor);
  PlantSettings settings = found != options.motors.end() ? found->second : PlantSettings{};
  if (resonance) {
    if (!Number(four[1], settings.resonanceHz) || !Number(four[2], settings.dampingRatio) ||
        !Number(four[3], settings.loadRatio)) {
      return "expected numbers in M:HZ:ZETA:RATIO";
    }
    if (settings.resonanceHz <= 0) return "resonance frequency must be above 0 Hz";
  } else if (option == "--friction") {
    if (!Number(two[1], settings.coulombFriction)) return "expected a number of DAC bits";
  } else if (!Number(two[1], settings.noiseCounts)) {
    return "expected a number of counts";
  }
  if (std::string why = CheckPlantSettings(settings); !why.empty()) return why;
  options.motors[motor] = settings;
  return {};
}

}  // namespace sim
