#include "tuning/gain_pages.h"

#include "link/pmac_link.h"
#include "platform/text_format.h"

namespace bl::tuning {

namespace {

constexpr std::array<int, 6> kGainSuffixes = {30, 31, 32, 33, 34, 35};

constexpr std::array<int, 12> kModifierSuffixes = [] {
  std::array<int, 12> suffixes{};
  for (std::size_t i = 0; i < suffixes.size(); ++i) suffixes[i] = kModifierFields[i].suffix;
  return suffixes;
}();

// Up and down are exact inverses, so a step up and back down returns to the gain.
constexpr double kUp = 1.1;
constexpr double kDown = 1.0 / 1.1;

constexpr int kReplySize = 250;

}  // namespace

GainPagePresenter::GainPagePresenter(PmacLink& link, std::atomic<int>& addressedMotor,
                                     const int& motorCount, std::array<int, 6>& gains)
    : link_(link),
      motorCount_(motorCount),
      selection_(link, addressedMotor, motorCount),
      gains_(gains),
      fields_(link, selection_, kGainSuffixes, gains) {}

void GainPagePresenter::Activate() {
  // The controller may report a motor this type does not have: the gains go to the last.
  selection_.Refresh(motorCount_);
  fields_.Read();
}

void GainPagePresenter::Press(Gain gain, bool up) {
  switch (gain) {
    case Gain::kProportional:
      Stiffness(up);
      return;
    case Gain::kIntegrationMode:
      fields_.Write(Index(gain), up ? 1 : 0);
      return;
    default:
      fields_.Write(Index(gain), ScaleGain(gains_[Index(gain)], up ? kUp : kDown));
      return;
  }
}

void GainPagePresenter::Stiffness(bool up) {
  const double stiff = up ? kUp : kDown;
  const double other = up ? kDown : kUp;
  const int m = selection_.Motor();
  // Ix30, Ix31, Ix32, Ix33 and Ix35, in the order the command names them.
  constexpr std::array<Gain, 5> kOrder = {Gain::kProportional, Gain::kDerivative,
                                          Gain::kVelocityFeedForward, Gain::kIntegral,
                                          Gain::kAccelerationFeedForward};
  std::array<int, 5> v{};
  for (std::size_t i = 0; i < kOrder.size(); ++i)
    v[i] = ScaleGain(gains_[Index(kOrder[i])], i == 0 ? stiff : other);
  std::string reply;
  link_.PmacCommand(reply, kReplySize,
                    platform::Format("I%d30=%d I%d31=%d I%d32=%d I%d33=%d I%d35=%d", m, v[0], m,
                                     v[1], m, v[2], m, v[3], m, v[4]),
                    false);
  link_.PmacCommand(reply, kReplySize,
                    platform::Format("I%d30 I%d31 I%d32 I%d33 I%d35", m, m, m, m, m), false);
  const std::array<int, 5> read = ParseGainReadBack(reply).value_or(std::array<int, 5>{});
  for (std::size_t i = 0; i < kOrder.size(); ++i) gains_[Index(kOrder[i])] = read[i];
}

ModifiersPagePresenter::ModifiersPagePresenter(PmacLink& link, std::atomic<int>& addressedMotor,
                                               const int& motorCount, std::array<int, 12>& values)
    : selection_(link, addressedMotor, motorCount),
      fields_(link, selection_, kModifierSuffixes, values) {}

void ModifiersPagePresenter::Activate() {
  selection_.Refresh(kMaxMotor);
  fields_.Read();
}

}  // namespace bl::tuning
