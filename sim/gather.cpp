// Gathering into user memory: the enabled sources, in series order, copied every gather period
// into the buffer that DEFINE GATHER reserved (see MOTION.md for the word layout).
#include <algorithm>

#include "sim/errors.h"
#include "sim/machine.h"

namespace sim {

namespace {

constexpr std::uint32_t kGatheringBit = 0x80000;    // global status X19
constexpr std::uint32_t kGatherWrapBit = 0x400000;  // bit 22 of the gather start register
constexpr std::uint32_t kBufferAddressBits = 0xFFFFF;
constexpr std::uint32_t kSourceAddressBits = 0x7FFFF;

}  // namespace

bool Machine::Gathering() const { return (X(model_.globalStatus) & kGatheringBit) != 0; }

int Machine::StartGather() {
  const std::uint32_t start = X(model_.gatherRegisters) & kBufferAddressBits;
  if (start >= model_.endOfUserMemory) return kErrUnrecognized;  // no buffer defined

  // The sources as they stand now; later changes act at the next GATHER.
  const int maxSources = model_.turbo ? 48 : 24;
  const auto firstMask = static_cast<std::uint32_t>(IntegerI(model_.turbo ? 5050 : 20));
  const auto secondMask = model_.turbo ? static_cast<std::uint32_t>(IntegerI(5051)) : 0u;
  gatherSourceCount_ = 0;
  std::uint32_t words = 0;
  for (int k = 0; k < maxSources; ++k) {
    const std::uint32_t mask = k < 24 ? firstMask : secondMask;
    if (((mask >> (k % 24)) & 1) == 0) continue;
    const auto word = static_cast<std::uint32_t>(IntegerI(model_.turbo ? 5001 + k : 21 + k));
    GatherSource& source = gatherSources_[static_cast<std::size_t>(gatherSourceCount_++)];
    source.address = word & kSourceAddressBits;
    switch (word & 0xC00000) {
      case 0x400000:
        source.kind = GatherSource::Kind::kX;
        ++words;
        break;
      case 0x800000:
      case 0xC00000:
        source.kind = GatherSource::Kind::kPair;
        words += 2;
        break;
      default:
        source.kind = GatherSource::Kind::kY;
        ++words;
        break;
    }
  }
  gatherAddresses_ = (words + 1) / 2;
  const int period = IntegerI(model_.turbo ? 5049 : 19);
  if (gatherAddresses_ == 0) return 0;  // nothing to gather
  if (period <= 0) {
    GatherSample();  // one sample for each GATHER
    return 0;
  }
  gatherPeriod_ = period;
  gatherCountdown_ = 1;  // the first sample at the next servo cycle
  SetX(model_.globalStatus, X(model_.globalStatus) | kGatheringBit);
  return 0;
}

void Machine::StopGather() { SetX(model_.globalStatus, X(model_.globalStatus) & ~kGatheringBit); }

// Without wrap the buffer fills to the end of user memory. With wrap a sample starts only where
// a sample of the most words a controller gathers (48 on Turbo, 24 on PMAC) would still end
// within the memory, that is at most K = 47 / 23 addresses before its end: the rounding the
// workbench's upload expects of a wrapped buffer.
bool Machine::SampleFits(std::uint32_t pointer, std::uint32_t end, bool wrap) const {
  if (!wrap) return end - pointer >= gatherAddresses_;
  const std::uint32_t reserve = model_.turbo ? 47 : 23;
  return pointer + reserve <= end && end - pointer >= gatherAddresses_;
}

void Machine::GatherSample() {
  const std::uint32_t startWord = X(model_.gatherRegisters);
  const std::uint32_t start = startWord & kBufferAddressBits;
  const std::uint32_t end = model_.endOfUserMemory;
  std::uint32_t pointer = Y(model_.gatherRegisters) & kBufferAddressBits;
  const bool wrap = (startWord & kGatherWrapBit) != 0;
  if (pointer < start || pointer > end) pointer = start;
  if (!SampleFits(pointer, end, wrap)) {
    if (!wrap || !SampleFits(start, end, wrap)) {
      StopGather();
      return;
    }
    pointer = start;
  }
  // Words fill each address Y first, then X; a 48-bit source gives its low (Y) word first.
  std::uint32_t k = 0;
  auto put = [&](std::uint32_t word) {
    const std::uint32_t address = pointer + k / 2;
    if (k % 2 == 0) {
      SetY(address, word);
    } else {
      SetX(address, word);
    }
    ++k;
  };
  for (int i = 0; i < gatherSourceCount_; ++i) {
    const GatherSource& source = gatherSources_[static_cast<std::size_t>(i)];
    switch (source.kind) {
      case GatherSource::Kind::kY:
        put(Y(source.address));
        break;
      case GatherSource::Kind::kX:
        put(X(source.address));
        break;
      case GatherSource::Kind::kPair:
        put(Y(source.address));
        put(X(source.address));
        break;
    }
  }
  if (k % 2 != 0) put(0);
  pointer += gatherAddresses_;
  // A full buffer: without wrap gathering ends here, with wrap the next sample goes to the start.
  if (!SampleFits(pointer, end, wrap)) {
    if (wrap) {
      pointer = start;
    } else {
      StopGather();
    }
  }
  SetY(model_.gatherRegisters, pointer);
}

}  // namespace sim
