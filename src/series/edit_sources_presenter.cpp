#include "series/edit_sources_presenter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "platform/text_format.h"

namespace bl::series {

namespace {

constexpr std::uint32_t kMaxAddress = 0x7FFFF;
constexpr int kFieldBits = 24;
constexpr std::size_t kFieldChars = 255;

bool IsBitField(SourceType type) { return type == SourceType::kX || type == SourceType::kY; }

std::optional<double> ScanDouble(std::string_view text) {
  double value = 0.0;
  if (platform::Scan(text, kFieldChars, "%lf", &value) != 1) return std::nullopt;
  return value;
}

}  // namespace

std::string ScaleText(double value) {
  const double magnitude = std::fabs(value);
  if (value == 0.0 || (magnitude >= 0.01 && magnitude <= 1e8))
    return platform::Format("%.8lf", value);
  return platform::Format("%.8le", value);
}

EditSourcesPresenter::EditSourcesPresenter(SeriesTable& table, std::function<void()> redraw)
    : table_(table), redraw_(std::move(redraw)) {
  if (table_.currentSeries < 1 || table_.currentSeries > table_.seriesCount)
    table_.currentSeries = 1;
  Show();
}

void EditSourcesPresenter::Changed() {
  Show();
  table_.ProcessSeries(table_.currentSeries, SpectrumLayout::kMagnitudePhase);
  if (redraw_) redraw_();
}

void EditSourcesPresenter::Show() {
  const DataSeries& s = Current();
  EditSourcesView& v = view_;
  v.title = s.title;
  v.seriesLabel = platform::Format("Series: %d", table_.currentSeries);
  const int type = static_cast<int>(s.sourceType);
  v.sourceRadio = type >= 1 && type <= 4 ? type : 0;
  v.address = platform::Format("$%X", s.address);
  v.bitFieldsEnabled = IsBitField(s.sourceType);
  if (v.bitFieldsEnabled) {
    v.startingBit = platform::Format("%d", s.startingBit);
    v.length = platform::Format("%d", s.wordLength);
    v.signedChecked = s.signedData;
    v.floatChecked = false;
  } else {
    // The 48-bit words have no field to choose: always whole and signed.
    v.startingBit = "0";
    v.length = "48";
    v.signedChecked = true;
    v.floatChecked = s.sourceType == SourceType::kL || s.sourceType == SourceType::kLDecoded;
  }
  v.scaleFactor = ScaleText(s.scaleFactor);
  v.offset = ScaleText(s.offset);
  v.integrationMode = static_cast<int>(s.integrationMode);
  v.removeDcOffset = s.normalizeFilterGain;

  designer_.Show({FilterSection{s.N1, s.N2}, FilterSection{s.D1, s.D2}}, s.rawDataPeriod,
                 table_.currentSeries);
  const std::array<std::array<double, 2>, 2> coefficients = {{{s.N1, s.N2}, {s.D1, s.D2}}};
  for (FilterSet set : {FilterSet::kNumerator, FilterSet::kDenominator}) {
    const std::size_t i = static_cast<std::size_t>(set);
    FilterSetView& f = v.filter[i];
    f.kind = designer_.Kind(set);
    f.rows = designer_.Rows(set);
    f.coefficients = {platform::Format("%lf", coefficients[i][0]),
                      platform::Format("%lf", coefficients[i][1])};
  }
}

void EditSourcesPresenter::Previous() {
  table_.currentSeries = table_.currentSeries <= 1 ? table_.seriesCount : table_.currentSeries - 1;
  Changed();
}

void EditSourcesPresenter::Next() {
  table_.currentSeries = table_.currentSeries >= table_.seriesCount ? 1 : table_.currentSeries + 1;
  Changed();
}

void EditSourcesPresenter::EditTitle(std::string_view text) {
  Current().SetTitle(text);
  Changed();
}

void EditSourcesPresenter::ChooseSource(int sourceType) {
  if (sourceType < 1 || sourceType > 4) return;
  DataSeries& s = Current();
  s.sourceType = static_cast<SourceType>(sourceType);
  // A source taken from a P or Q variable leaves the 48-bit length behind; as an X or Y field
  // it would reach past the word, so such a field becomes the whole word.
  if (IsBitField(s.sourceType) && (s.startingBit < 0 || s.startingBit >= kFieldBits ||
                                   s.wordLength < 1 || s.startingBit + s.wordLength > kFieldBits)) {
    s.startingBit = 0;
    s.wordLength = kFieldBits;
  }
  Changed();
}

void EditSourcesPresenter::EditAddress(std::string_view text) {
  if (const std::optional<long long> n = platform::ParseNumberField(text, true))
    Current().address = static_cast<std::uint32_t>(std::clamp<long long>(*n, 0, kMaxAddress));
  Changed();
}

void EditSourcesPresenter::EditStartingBit(std::string_view text) {
  DataSeries& s = Current();
  if (IsBitField(s.sourceType)) {
    if (const std::optional<long long> n = platform::ParseNumberField(text, false)) {
      s.startingBit = *n >= 0 && *n < kFieldBits ? static_cast<int>(*n) : 0;
      if (s.startingBit + s.wordLength > kFieldBits) s.wordLength = 1;
    }
  }
  Changed();
}

void EditSourcesPresenter::EditLength(std::string_view text) {
  DataSeries& s = Current();
  if (IsBitField(s.sourceType)) {
    if (const std::optional<long long> n = platform::ParseNumberField(text, false)) {
      s.wordLength = *n < 1 || s.startingBit + *n > kFieldBits ? 1 : static_cast<int>(*n);
    }
  }
  Changed();
}

void EditSourcesPresenter::SetSigned(bool on) {
  DataSeries& s = Current();
  if (IsBitField(s.sourceType)) s.signedData = on;
  Changed();
}

void EditSourcesPresenter::EditScaleFactor(std::string_view text) {
  if (const std::optional<double> value = ScanDouble(text)) Current().scaleFactor = *value;
  Changed();
}

void EditSourcesPresenter::EditOffset(std::string_view text) {
  if (const std::optional<double> value = ScanDouble(text)) Current().offset = *value;
  Changed();
}

void EditSourcesPresenter::ChooseIntegration(int mode) {
  if (mode < 0 || mode > 4) return;
  Current().integrationMode = static_cast<IntegrationMode>(mode);
  Changed();
}

void EditSourcesPresenter::SetRemoveDcOffset(bool on) {
  Current().normalizeFilterGain = on;
  Changed();
}

void EditSourcesPresenter::Store(FilterSet set, FilterSection section) {
  DataSeries& s = Current();
  if (set == FilterSet::kNumerator) {
    s.N1 = section.c1;
    s.N2 = section.c2;
  } else {
    s.D1 = section.c1;
    s.D2 = section.c2;
  }
}

void EditSourcesPresenter::ChooseFilterKind(FilterSet set, FilterKind kind) {
  Store(set, designer_.ChooseKind(set, kind, Current().rawDataPeriod, table_.currentSeries));
  Changed();
}

void EditSourcesPresenter::MoveSlider(FilterSet set, int row, SliderStep step, int dragged) {
  std::array<FilterSection, 2> sections;
  if (!designer_.MoveSlider(set, row, step, dragged, Current().rawDataPeriod, sections,
                            table_.currentSeries))
    return;
  Store(FilterSet::kNumerator, sections[0]);
  Store(FilterSet::kDenominator, sections[1]);
  Changed();
}

}  // namespace bl::series
