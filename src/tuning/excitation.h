#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bl::tuning {

// A logarithmic chirp: a sine of the given amplitude about the start whose frequency rises
// exponentially from lowHz to highHz over the duration, f(t) = low · (high / low)^(t / T), so
// every decade gets the same time and the same number of averaged segments' worth of power.
// It excites a frequency-response estimate better than a linear sweep, which spends most of its
// time at the high end.
struct ChirpParameters {
  double amplitude = 100.0;  // counts
  double lowHz = 1.0;
  double highHz = 100.0;
  double durationMs = 2000.0;
};

// Limits the controller program keeps to: segments of at least 1 ms, 16 to the shortest period.
inline constexpr double kChirpMaxHz = 100.0;
inline constexpr double kChirpMinMs = 100.0;
inline constexpr double kChirpMaxMs = 60000.0;
inline constexpr double kChirpMaxAmplitude = 1e6;

// The first parameter out of range, as a sentence; nothing when the chirp may run.
std::optional<std::string> ChirpProblem(const ChirpParameters& p);

// The commanded position ms milliseconds after the start, in counts from the start (0 before
// the start and the position at the end after it).
double ChirpPosition(const ChirpParameters& p, double ms);

// The motion program, numbered program, that runs the chirp on axis X of the coordinate system
// it is started in (one count per unit, as the test moves define it: "&8 UNDEFINE ALL #m->X"):
// straight TM segments whose ends lie on ChirpPosition, from the current position and back to
// it afterwards. With gather set it turns gathering on as it starts and off where the chirp
// ends. It works in P975..P979 only, beside the test-move program's P950..P974, and reads I15
// for the unit of SIN. Lines to download, from OPEN to CLOSE. The parameters must be valid.
std::vector<std::string> ChirpProgramLines(const ChirpParameters& p, int program, bool gather);

// The length of one of the program's segments, ms: 1/16 of the shortest period, within 1..10 ms,
// and a whole number of them in the duration.
double ChirpSegmentMs(const ChirpParameters& p);

}  // namespace bl::tuning
