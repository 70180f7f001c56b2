// The encoder conversion table between the servo ICs and the servo loops (see MOTION.md): each
// motor's load turns its channel's encoder, the table converts the counters into result words,
// and each motor's loop reads the result word its Ix03 names.
#include <cmath>
#include <limits>

#include "sim/machine.h"

namespace sim {

namespace {

constexpr std::uint32_t kWordMask = 0xFFFFFF;
constexpr double kNotInterpolated = std::numeric_limits<double>::quiet_NaN();

// Lines taken by an entry of each method (first hex digit of its setup word).
constexpr std::array<std::uint32_t, 16> kPmacLines = {1, 1, 2, 3, 2, 2, 2, 3,
                                                      1, 2, 2, 2, 1, 1, 1, 1};
constexpr std::array<std::uint32_t, 16> kTurboLines = {1, 1, 2, 3, 2, 2, 2, 3,
                                                       1, 2, 2, 2, 1, 3, 1, 3};

}  // namespace

std::uint32_t EncoderEntryLines(std::uint32_t setup, bool turbo) {
  const std::uint32_t method = (setup >> 20) & 0xF;
  return turbo ? kTurboLines[method] : kPmacLines[method];
}

void Machine::WriteEncoderCounters() {
  // Motor m's load drives the encoder of its channel: the whole counts in the counter register
  // X:base+1, and the 1/T timer, reduced to the 1/32-count fraction it yields, in X:base. The
  // encoder's edges sit half a sub-count before the load's whole counts, so that the reading is
  // the load's position to the nearest 1/32 count (a load resting a hair short of its target
  // reads the target).
  channelPositions_.clear();
  for (int m = 1; m <= model_.motorCount; ++m) {
    const double position = Motor(m).sensed;
    const double edge = position + 1.0 / 64;
    const double whole = std::floor(edge);
    if (!std::isfinite(whole)) continue;
    const std::uint32_t base = model_.ChannelBase(m);
    const auto fraction = static_cast<std::uint32_t>(std::floor((edge - whole) * 32)) & 31;
    SetX(base, fraction);
    SetX(base + 1, static_cast<std::uint32_t>(ToTwosComplement(std::fmod(whole, 16777216.0), 24)));
    channelPositions_.push_back({base, position});
  }
}

void Machine::ProcessEncoderTable() {
  const std::uint32_t first = model_.encoderTable;
  const std::uint32_t end = first + model_.encoderTableWords;
  const std::uint32_t sourceMask = model_.turbo ? 0x7FFFF : 0xFFFF;
  interpolated_.assign(model_.encoderTableWords, kNotInterpolated);
  for (std::uint32_t line = first; line < end;) {
    const std::uint32_t setup = Y(line);
    if (setup == 0) break;  // the end of the table
    const std::uint32_t lines = EncoderEntryLines(setup, model_.turbo);
    const std::uint32_t last = line + lines - 1;
    const std::uint32_t method = setup >> 20;
    const std::uint32_t source = setup & sourceMask;
    // $0 and $8 extend the count by the 1/T fraction; $C does not, unless a Turbo entry's mode
    // bit asks for the hardware 1/T of a PMAC2-style IC. Other methods keep their result word.
    const bool withFraction =
        method == 0x0 || method == 0x8 || (method == 0xC && model_.turbo && (setup & 0x80000));
    if ((method == 0x0 || method == 0x8 || method == 0xC) && last < end) {
      std::uint32_t result = (X(source + 1) << 5) & kWordMask;
      if (withFraction) {
        result |= X(source) & 31;
        // The 1/T estimate is finer than the word's 1/32 count; a servo reading this word takes
        // its change at that finer resolution (see ReadFeedback).
        for (const auto& [base, position] : channelPositions_) {
          if (base == source) {
            interpolated_[last - first] = 32 * position;
            break;
          }
        }
      }
      SetX(last, result);
    }
    line += lines;
  }
}

double Machine::InterpolatedAt(std::uint32_t address) const {
  const std::uint32_t first = model_.encoderTable;
  if (address < first || address - first >= interpolated_.size()) return kNotInterpolated;
  return interpolated_[address - first];
}

void Machine::ReadFeedback(int m) {
  // The change of the result word since the last reading, signed 24-bit, in 1/32 count, moves
  // the actual position by change·Ix08. A word an encoder entry wrote from a 1/T-extended
  // channel this cycle gives its change at the estimate's full resolution, so that a motor at
  // rest does not dither between two 1/32-count readings. A new Ix03 starts its readings
  // afresh.
  MotorState& motor = Motor(m);
  const auto address = static_cast<std::uint32_t>(ToTwosComplement(I(100 * m + 3), 24));
  const std::uint32_t reading = X(address);
  const double interpolated = InterpolatedAt(address);
  double change = 0;
  if (address == motor.feedbackAddress && !motor.loadMoved) {
    if (!std::isnan(interpolated) && !std::isnan(motor.feedbackInterpolated)) {
      change = interpolated - motor.feedbackInterpolated;
    } else {
      change = static_cast<double>(SignExtend((reading - motor.feedbackReading) & kWordMask, 24));
    }
  }
  motor.feedbackAddress = address;
  motor.feedbackReading = reading;
  motor.feedbackInterpolated = interpolated;
  motor.loadMoved = false;
  motor.actualUnits += change * Scale08(m);
  if (!std::isfinite(motor.actualUnits)) motor.actualUnits = 0;
  motor.actualRegister = DecodeD(EncodeD(motor.actualUnits));
  motor.measuredVelocity = change / 32;
}

void Machine::SkipFeedback(int m) {
  MotorState& motor = Motor(m);
  motor.feedbackAddress = static_cast<std::uint32_t>(ToTwosComplement(I(100 * m + 3), 24));
  motor.feedbackReading = X(motor.feedbackAddress);
  motor.feedbackInterpolated = InterpolatedAt(motor.feedbackAddress);
}

}  // namespace sim
