#include "sim/controller.h"

#include "sim/machine.h"

namespace sim {

namespace {

// Far more than the workbench ever asks for (a second at the default period is 2259 cycles).
constexpr std::int64_t kMaxCyclesPerStep = 1 << 16;

}  // namespace

Controller::Controller(int typeCode) : machine_(std::make_unique<Machine>(typeCode)) {}

Controller::~Controller() = default;

int Controller::TypeCode() const { return machine_->model().typeCode; }

std::string Controller::Respond(std::string_view line) { return Execute(line).text; }

Reply Controller::Execute(std::string_view line) {
  std::lock_guard lock(mutex_);
  return CommandInterpreter(*machine_).ExecuteLine(line);
}

std::string Controller::RespondControl(char c) {
  std::lock_guard lock(mutex_);
  return CommandInterpreter(*machine_).ExecuteControl(c).text;
}

void Controller::Advance(std::chrono::nanoseconds elapsed) {
  if (elapsed.count() <= 0) return;
  std::lock_guard lock(mutex_);
  const std::int64_t i10 = machine_->IntegerI(10);
  if (i10 <= 0) return;  // servo clock stopped
  // One cycle lasts I10 / 8388608 ms = I10 * 10^6 units of 1/8388608 ns.
  const __int128 period = static_cast<__int128>(i10) * 1000000;
  const __int128 total = static_cast<__int128>(elapsed.count()) * 8388608 + pendingTime_;
  std::int64_t cycles = kMaxCyclesPerStep;
  if (total / period <= kMaxCyclesPerStep) {
    cycles = static_cast<std::int64_t>(total / period);
    pendingTime_ = static_cast<std::int64_t>(total % period);
  } else {
    // A period typed absurdly short (I10=1: millions of cycles a millisecond) must not hold
    // the controller for hours: the time beyond is dropped.
    pendingTime_ = 0;
  }
  for (std::int64_t i = 0; i < cycles; ++i) machine_->ServoCycle();
}

bool Controller::SetPlant(int motor, const PlantSettings& settings) {
  std::lock_guard lock(mutex_);
  if (motor < 1 || motor > machine_->model().motorCount) return false;
  if (!CheckPlantSettings(settings).empty()) return false;
  machine_->SetPlant(motor, settings);
  return true;
}

void Controller::SeedPlantNoise(std::uint64_t seed) {
  std::lock_guard lock(mutex_);
  machine_->SeedPlantNoise(seed);
}

bool Controller::InBootstrap() const {
  std::lock_guard lock(mutex_);
  return machine_->bootstrap;
}

void Controller::SetBootstrap(bool on) {
  std::lock_guard lock(mutex_);
  machine_->bootstrap = on;
}

std::uint32_t Controller::ReadX(std::uint32_t a) const {
  std::lock_guard lock(mutex_);
  return machine_->X(a);
}
std::uint32_t Controller::ReadY(std::uint32_t a) const {
  std::lock_guard lock(mutex_);
  return machine_->Y(a);
}
std::uint32_t Controller::ReadP(std::uint32_t a) const {
  std::lock_guard lock(mutex_);
  return machine_->P(a);
}
void Controller::WriteX(std::uint32_t a, std::uint32_t word) {
  std::lock_guard lock(mutex_);
  machine_->SetX(a, word);
}
void Controller::WriteY(std::uint32_t a, std::uint32_t word) {
  std::lock_guard lock(mutex_);
  machine_->SetY(a, word);
}
void Controller::WriteP(std::uint32_t a, std::uint32_t word) {
  std::lock_guard lock(mutex_);
  machine_->SetP(a, word);
}

}  // namespace sim
