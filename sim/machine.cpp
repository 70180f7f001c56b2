#include "sim/machine.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sim {

Machine::Machine(int typeCode) : model_(ModelFor(typeCode)) {
  plants_.resize(static_cast<std::size_t>(model_.motorCount + 1));
  SeedPlantNoise(1);
  FactoryReset();
}

void Machine::SetPlant(int m, const PlantSettings& settings) {
  Plant& plant = plants_[static_cast<std::size_t>(m)];
  MotorState& motor = Motor(m);
  // New mechanics under a moving motor: the encoder goes on from where it stood, and a spring
  // taken away leaves its deflection in the common position.
  const double before = plant.MotorShare() * motor.plant.deflection;
  plant.Configure(settings);
  if (settings.resonanceHz <= 0) motor.plant = {};
  motor.position += before - plant.MotorShare() * motor.plant.deflection;
}

const PlantSettings& Machine::PlantOf(int m) const {
  return plants_[static_cast<std::size_t>(m)].Settings();
}

void Machine::SeedPlantNoise(std::uint64_t seed) {
  for (std::size_t m = 0; m < plants_.size(); ++m) plants_[m].Seed(seed, static_cast<int>(m));
}

void Machine::Reset() {
  programs.Close(*this);
  // Every program stops; the PLCs start again at their tops.
  for (std::size_t cs = 1; cs < runner.systems.size(); ++cs) {
    CoordinateSystemRun& r = runner.systems[cs];
    r = CoordinateSystemRun{};
  }
  for (int m = 1; m <= model_.motorCount; ++m) {
    if (Motor(m).jog == JogMode::kProgram) Motor(m).jog = JogMode::kNone;
  }
  runner.plcPc.fill(0);
  ++runner.generation;
  int i46 = IntegerI(46);
  pBase_ = model_.PBase(i46);
  qBase_ = model_.QBase(i46);
  addressedMotor = 1;
  addressedCoordinateSystem = 1;
  motorGroup = 0;
}

std::uint32_t Machine::X(std::uint32_t a) const { return ValidAddress(a) ? x_[a] : 0; }
std::uint32_t Machine::Y(std::uint32_t a) const { return ValidAddress(a) ? y_[a] : 0; }
std::uint32_t Machine::P(std::uint32_t a) const { return ValidProgramAddress(a) ? p_[a] : 0; }

void Machine::SetX(std::uint32_t a, std::uint32_t word) {
  if (ValidAddress(a)) x_[a] = word & 0xFFFFFF;
}
void Machine::SetY(std::uint32_t a, std::uint32_t word) {
  if (ValidAddress(a)) y_[a] = word & 0xFFFFFF;
}
void Machine::SetP(std::uint32_t a, std::uint32_t word) {
  if (ValidProgramAddress(a)) p_[a] = word & 0xFFFFFF;
}
void Machine::SetPair(std::uint32_t a, WordPair words) {
  SetX(a, words.x);
  SetY(a, words.y);
}

namespace {
constexpr int kTurboEncoderTableI = 8000;  // I8000..I8191 are the encoder table's Y words
}

double Machine::I(int n) const {
  if (model_.turbo && n >= kTurboEncoderTableI) {
    return Y(model_.encoderTable + static_cast<std::uint32_t>(n - kTurboEncoderTableI));
  }
  return i_[static_cast<std::size_t>(n)];
}

int Machine::IntegerI(int n) const {
  const double value = std::trunc(I(n));
  if (std::isnan(value)) return 0;
  return static_cast<int>(std::clamp(value, static_cast<double>(std::numeric_limits<int>::min()),
                                     static_cast<double>(std::numeric_limits<int>::max())));
}

void Machine::SetI(int n, double value) {
  if (IsAddressI(n)) value = static_cast<double>(ToTwosComplement(value, 24));
  if (model_.turbo && n >= kTurboEncoderTableI) {
    SetY(model_.encoderTable + static_cast<std::uint32_t>(n - kTurboEncoderTableI),
         static_cast<std::uint32_t>(value));
    return;
  }
  i_[static_cast<std::size_t>(n)] = value;
}

bool Machine::IsAddressI(int n) const {
  if (model_.turbo) {
    if (n >= kTurboEncoderTableI || (n >= 5001 && n <= 5048)) return true;
  } else if (n >= 21 && n <= 44) {  // gather sources
    return true;
  }
  if (n >= 100 && n < 100 * (model_.motorCount + 1)) {
    switch (n % 100) {
      case 2:
      case 3:
      case 4:
      case 5:
      case 10:
      case 24:
      case 25:
      case 42:
      case 43:
      case 81:
      case 83:
        return true;
      default:
        break;
    }
  }
  return false;
}

MDefinition Machine::MDef(int n) const {
  return DecodeMDefinition(Pair(model_.mDefinitionBase + static_cast<std::uint32_t>(n)),
                           model_.mFormatInX);
}

void Machine::SetMDef(int n, const MDefinition& definition) {
  SetPair(model_.mDefinitionBase + static_cast<std::uint32_t>(n),
          EncodeMDefinition(definition, model_.mFormatInX));
}

double Machine::Mvar(int n) const {
  MDefinition d = MDef(n);
  switch (d.kind) {
    case MDefinition::Kind::kSelf:
      return selfM_[static_cast<std::size_t>(n)];
    case MDefinition::Kind::kX:
      return static_cast<double>(ReadField(X(d.address), d.offset, d.width, d.isSigned));
    case MDefinition::Kind::kY:
      return static_cast<double>(ReadField(Y(d.address), d.offset, d.width, d.isSigned));
    case MDefinition::Kind::kD:
      return static_cast<double>(DecodeD(Pair(d.address)));
    case MDefinition::Kind::kL:
      return DecodeL(Pair(d.address));
  }
  return 0;
}

void Machine::SetMvar(int n, double value) {
  MDefinition d = MDef(n);
  switch (d.kind) {
    case MDefinition::Kind::kSelf:
      selfM_[static_cast<std::size_t>(n)] = value;
      break;
    case MDefinition::Kind::kX:
      SetX(d.address, WriteField(X(d.address), d.offset, d.width, value));
      break;
    case MDefinition::Kind::kY:
      SetY(d.address, WriteField(Y(d.address), d.offset, d.width, value));
      break;
    case MDefinition::Kind::kD:
      SetPair(d.address, EncodeD(value));
      break;
    case MDefinition::Kind::kL:
      SetPair(d.address, EncodeL(value));
      break;
  }
}

double Machine::Scale08(int m) const {
  double ix08 = I(100 * m + 8);
  return ix08 > 0 ? ix08 : 1;
}

double Machine::ActualPositionCounts(int m) const {
  auto raw = static_cast<double>(DecodeD(Pair(model_.ActualPosition(m))));
  return std::round(raw / Scale08(m)) / 32;  // reported to 1/32 count
}

double Machine::FollowingErrorCounts(int m) const {
  auto commanded = static_cast<double>(DecodeD(Pair(model_.CommandedPosition(m))));
  auto actual = static_cast<double>(DecodeD(Pair(model_.ActualPosition(m))));
  return std::round((commanded - actual) / Scale08(m)) / 32;
}

double Machine::VelocityCountsPerCycle(int m) const {
  double ix09 = I(100 * m + 9);
  return Motor(m).filteredVelocity / (32 * (ix09 > 0 ? ix09 : 1));
}

std::string Machine::MotorStatus(int m) const {
  const WordPair words = MotorStatusWords(m);
  return FormatHex(words.x) + FormatHex(words.y);
}

std::string Machine::CoordinateSystemStatus(int cs) const {
  const auto words = CoordinateSystemStatusWords(cs);
  std::string text = FormatHex(words[0]) + FormatHex(words[1]);
  if (model_.turbo) text += FormatHex(words[2]);
  return text;
}

std::string Machine::GlobalStatus() const {
  return FormatHex(X(model_.globalStatus)) + FormatHex(Y(model_.globalStatus));
}

}  // namespace sim
