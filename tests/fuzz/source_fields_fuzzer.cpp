// What the Edit Data Sources dialog takes in: typed field texts, radio choices, slider steps, and
// the M-variable definition words a controller answers. Whatever arrives, the series keeps an
// address within the controller's range, an X or Y field within its 24-bit word, and sliders
// within 0 to 1000.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <optional>
#include <string>

#include "fuzz/fuzz_check.h"
#include "series/edit_sources_presenter.h"
#include "series/select_source_presenter.h"

using namespace bl::series;

namespace {

void CheckSeries(const SeriesTable& table, const EditSourcesPresenter& p) {
  BL_FUZZ_CHECK(table.currentSeries >= 1 && table.currentSeries <= table.seriesCount);
  const DataSeries& s = table[table.currentSeries];
  BL_FUZZ_CHECK(s.address <= 0x7FFFF);
  if (s.sourceType == SourceType::kX || s.sourceType == SourceType::kY) {
    BL_FUZZ_CHECK(s.startingBit >= 0 && s.startingBit <= 23);
    BL_FUZZ_CHECK(s.wordLength >= 1 && s.startingBit + s.wordLength <= 24);
  }
  for (const FilterSetView& f : p.View().filter)
    for (const FilterRowView& r : f.rows) BL_FUZZ_CHECK(r.position >= 0 && r.position <= 1000);
  BL_FUZZ_CHECK(p.View().title.size() <= kTitleLimit);
}

void CheckDecoded(FuzzedDataProvider& in) {
  const int typeCode = in.ConsumeIntegralInRange(1, 6);
  const int number = in.ConsumeIntegralInRange(0, 8191);
  std::optional<std::uint32_t> y, x;
  if (in.ConsumeBool()) y = in.ConsumeIntegral<std::uint32_t>() & 0xFFFFFF;
  if (in.ConsumeBool()) x = in.ConsumeIntegral<std::uint32_t>() & 0xFFFFFF;
  const int base = typeCode >= 3 ? 0x4000 : 0xBC00;
  const MVariableSource s = DecodeMVariableSource(typeCode, number, base, y, x);
  if (s.sourceType == SourceType::kX || s.sourceType == SourceType::kY) {
    BL_FUZZ_CHECK(s.supported);
    BL_FUZZ_CHECK(s.startingBit >= 0 && s.wordLength >= 4 && s.startingBit + s.wordLength <= 24);
  } else {
    BL_FUZZ_CHECK(s.sourceType == SourceType::kD || s.sourceType == SourceType::kL);
    BL_FUZZ_CHECK(s.startingBit == 0 && s.wordLength == 48);
  }
  if (!s.supported) BL_FUZZ_CHECK(s.address == static_cast<std::uint32_t>(base + number));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  FuzzedDataProvider in(bytes, size);
  SeriesTable table;
  table.seriesCount = in.ConsumeBool() ? 24 : 48;
  EditSourcesPresenter p(table, nullptr);
  for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) {
    const int op = in.ConsumeIntegralInRange(0, 10);
    const FilterSet set = in.ConsumeBool() ? FilterSet::kDenominator : FilterSet::kNumerator;
    switch (op) {
      case 0:
        p.EditAddress(in.ConsumeRandomLengthString(64));
        break;
      case 1:
        p.EditStartingBit(in.ConsumeRandomLengthString(64));
        break;
      case 2:
        p.EditLength(in.ConsumeRandomLengthString(64));
        break;
      case 3:
        p.EditScaleFactor(in.ConsumeRandomLengthString(64));
        break;
      case 4:
        p.EditTitle(in.ConsumeRandomLengthString(200));
        break;
      case 5:
        p.ChooseSource(in.ConsumeIntegralInRange(0, 5));
        break;
      case 6:
        p.ChooseFilterKind(set, static_cast<FilterKind>(in.ConsumeIntegralInRange(0, 3)));
        break;
      case 7: {
        const int row = in.ConsumeIntegralInRange(0, 1);
        const auto kind = static_cast<SliderStep>(in.ConsumeIntegralInRange(0, 4));
        p.MoveSlider(set, row, kind, in.ConsumeIntegral<int>());
        break;
      }
      case 8:
        table[table.currentSeries].rawDataPeriod = in.ConsumeFloatingPoint<double>();
        p.Refresh();
        break;
      case 9:
        if (in.ConsumeBool())
          p.Next();
        else
          p.Previous();
        break;
      default:
        CheckDecoded(in);
        break;
    }
    CheckSeries(table, p);
  }
  return 0;
}
