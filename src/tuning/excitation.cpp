#include "tuning/excitation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "platform/text_format.h"

namespace bl::tuning {

namespace {

using platform::Format;

// The phase ms milliseconds in, in turns: the integral of f(t) dt with t in ms.
double Turns(const ChirpParameters& p, double ms) {
  if (p.highHz == p.lowHz) return p.lowHz * ms / 1000.0;
  const double rate = std::log(p.highHz / p.lowHz) / p.durationMs;
  return p.lowHz / rate / 1000.0 * std::expm1(rate * ms);
}

}  // namespace

std::optional<std::string> ChirpProblem(const ChirpParameters& p) {
  if (!(p.amplitude > 0.0) || p.amplitude > kChirpMaxAmplitude)
    return Format("The amplitude must be above 0 and at most %.0f counts.", kChirpMaxAmplitude);
  if (!(p.lowHz > 0.0) || !(p.highHz >= p.lowHz) || p.highHz > kChirpMaxHz)
    return Format("The frequencies must rise from above 0 to at most %.0f Hz.", kChirpMaxHz);
  if (!(p.durationMs >= kChirpMinMs) || p.durationMs > kChirpMaxMs)
    return Format("The duration must be from %.0f to %.0f ms.", kChirpMinMs, kChirpMaxMs);
  return std::nullopt;
}

double ChirpPosition(const ChirpParameters& p, double ms) {
  ms = std::clamp(ms, 0.0, p.durationMs);
  const double turns = Turns(p, ms);
  // Only the fraction of a turn matters, as in the program.
  return p.amplitude * std::sin(2.0 * std::numbers::pi * (turns - std::floor(turns)));
}

double ChirpSegmentMs(const ChirpParameters& p) {
  const double segment = std::clamp(1000.0 / (16.0 * p.highHz), 1.0, 10.0);
  const double count = std::max(1.0, std::round(p.durationMs / segment));
  return p.durationMs / count;
}

std::vector<std::string> ChirpProgramLines(const ChirpParameters& p, int program, bool gather) {
  const double segment = ChirpSegmentMs(p);
  const double count = std::round(p.durationMs / segment);
  // The phase after segment i as the program computes it, equal to Turns(p, i · segment).
  std::string phase;
  if (p.highHz == p.lowHz) {
    phase = Format("P978=P976*%.17g", p.lowHz * segment / 1000.0);
  } else {
    const double rate = std::log(p.highHz / p.lowHz) / p.durationMs;
    phase = Format("P978=%.17g*(EXP(P976*%.17g)-1)", p.lowHz / rate / 1000.0, rate * segment);
  }
  std::vector<std::string> lines = {
      Format("OPEN PROG %d CLEAR", program),
      "LINEAR",
      "INC",
      "TA0",
      "TS0",
      Format("TM%.17g", segment),
      // SIN works in degrees with I15=0 and radians with I15=1.
      "P975=360",
      "IF(I15=1)",
      "P975=6.283185307179586",
      "ENDIF",
      "P976=0",
      "P977=0",
  };
  if (gather) lines.push_back("CMD\"GAT\"");
  lines.insert(lines.end(), {
                                Format("WHILE(P976<%.0f)", count),
                                "P976=P976+1",
                                phase,
                                "P978=P978-INT(P978)",
                                Format("P979=%.17g*SIN(P978*P975)", p.amplitude),
                                "X(P979-P977)",
                                "P977=P979",
                                "ENDWHILE",
                                // Waits for the last segment, so gathering ends with the chirp.
                                "DWELL0",
                            });
  if (gather) lines.push_back("CMD\"ENDG\"");
  lines.insert(lines.end(), {"TA100", "TM200", "X(-P977)", "CLOSE"});
  return lines;
}

}  // namespace bl::tuning
