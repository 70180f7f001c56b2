// The motor tuning sheet's pages against a hostile controller: every reply (the addressed motor,
// I-variable read-backs, the stiffness read-back) comes from the input, cut, garbled, overlong or
// far beyond an int, between typed field texts, button presses and slider moves. Whatever
// arrives, the motor stays within 1 to 32 and the sliders within 0 to 1000.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "link/fake_vendor_library.h"
#include "tuning/filter_page_presenter.h"
#include "tuning/gain_pages.h"

using namespace bl;
using namespace bl::tuning;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider in(bytes, size);
  test::LinkFixture fixture;
  fixture.Connect();
  fixture.state->recordCommands = false;
  fixture.state->responder = [&in](const std::string&) {
    return in.ConsumeRandomLengthString(300);
  };
  int motorCount = in.ConsumeBool() ? 8 : 32;
  PositionLoopValues values;
  std::atomic<int>& motor = fixture.terminal.addressedMotor;
  GainPagePresenter gains(fixture.link, motor, motorCount, values.gains);
  ModifiersPagePresenter modifiers(fixture.link, motor, motorCount, values.modifiers);
  FilterPagePresenter filter(fixture.link, motor, motorCount, values);

  for (int step = 0; step < 48 && in.remaining_bytes() > 0; ++step) {
    const auto set =
        in.ConsumeBool() ? series::FilterSet::kDenominator : series::FilterSet::kNumerator;
    switch (in.ConsumeIntegralInRange(0, 9)) {
      case 0:
        gains.Activate();
        break;
      case 1:
        gains.Edit(static_cast<Gain>(in.ConsumeIntegralInRange(0, 5)),
                   in.ConsumeRandomLengthString(64));
        break;
      case 2:
        gains.Press(static_cast<Gain>(in.ConsumeIntegralInRange(0, 5)), in.ConsumeBool());
        break;
      case 3:
        modifiers.Activate();
        modifiers.Edit(in.ConsumeIntegralInRange<std::size_t>(0, 11),
                       in.ConsumeRandomLengthString(64));
        break;
      case 4:
        filter.Activate();
        break;
      case 5:
        filter.EditCoefficient(in.ConsumeIntegralInRange<std::size_t>(0, 3),
                               in.ConsumeRandomLengthString(64));
        break;
      case 6:
        if (in.ConsumeBool())
          filter.Apply();
        else
          filter.Delete();
        break;
      case 7:
        filter.EditFilter();
        break;
      case 8:
        filter.ChooseKind(set, static_cast<series::FilterKind>(in.ConsumeIntegralInRange(0, 3)));
        break;
      default:
        filter.MoveSlider(set, in.ConsumeIntegralInRange(0, 1),
                          static_cast<series::SliderStep>(in.ConsumeIntegralInRange(0, 4)),
                          in.ConsumeIntegral<int>());
        break;
    }
    BL_FUZZ_CHECK(gains.Selection().Motor() >= 1 && gains.Selection().Motor() <= 32);
    for (auto s : {series::FilterSet::kNumerator, series::FilterSet::kDenominator})
      for (const series::FilterRowView& r : filter.Designer().Rows(s))
        BL_FUZZ_CHECK(r.position >= 0 && r.position <= 1000);
  }
  (void)ParseGainReadBack(in.ConsumeRemainingBytesAsString());
  return 0;
}
