#include "tuning/frequency_response.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "platform/desktop.h"
#include "platform/text_format.h"
#include "series/real_fft.h"
#include "series/series_table.h"
#include "tuning/reference_series.h"

namespace bl::tuning {

namespace {

struct Bin {
  double re = 0.0;
  double im = 0.0;
};

// a / c, or 0 where c is 0. Both are first scaled by c's larger part, so that |c|² neither
// overflows (spectra of large values) nor underflows to 0 (tiny ones) on the way; a quotient
// that is still not a finite number (or an input that was not) counts as no response at that
// frequency, since one such bin would spread over the whole impulse response.
Bin Quotient(Bin a, Bin c) {
  const double scale = std::max(std::fabs(c.re), std::fabs(c.im));
  if (!(scale > 0.0) || !std::isfinite(scale)) return {};
  c.re /= scale;
  c.im /= scale;
  a.re /= scale;
  a.im /= scale;
  const double norm = c.re * c.re + c.im * c.im;
  const Bin h{(a.re * c.re + a.im * c.im) / norm, (a.im * c.re - a.re * c.im) / norm};
  if (!std::isfinite(h.re) || !std::isfinite(h.im)) return {};
  return h;
}

bool IsPowerOfTwo(int n) { return n >= 2 && std::has_single_bit(static_cast<unsigned>(n)); }

}  // namespace

FrequencyResponseOutcome CreateFrequencyResponse(series::SeriesTable& table,
                                                 const FrequencyResponseChoice& choice) {
  const int count = ChoosableSeriesCount(table);
  const int c = choice.commanded, a = choice.actual, r = choice.result;
  for (int k : {c, a, r})
    if (k < 1 || k > count) return FrequencyResponseOutcome::kNothing;
  if (c == a || c == r || a == r) return FrequencyResponseOutcome::kNotUnique;
  if (table[c].sampleCount != table[a].sampleCount ||
      table[c].rawDataPeriod != table[a].rawDataPeriod)
    return FrequencyResponseOutcome::kMismatch;

  // Both spectra as real and imaginary halves, whatever graph is shown.
  const int graphType = table.graphType;
  table.graphType = series::kFrequencyGraph;
  table.ProcessSeries(c, series::SpectrumLayout::kRealImaginary);
  table.ProcessSeries(a, series::SpectrumLayout::kRealImaginary);
  table.graphType = graphType;

  const int n = table[c].sampleCount;
  if (!IsPowerOfTwo(n) || table[a].sampleCount != n) {
    // Empty series have no spectrum; the inputs show their values again.
    table.ProcessSeries(c, series::SpectrumLayout::kMagnitudePhase);
    table.ProcessSeries(a, series::SpectrumLayout::kMagnitudePhase);
    return FrequencyResponseOutcome::kNothing;
  }

  table.ClearSeries(r);
  series::DataSeries& result = table[r];
  result.Resize(n);
  result.rawDataPeriod = table[c].rawDataPeriod;
  result.sourceType = series::SourceType::kL;
  // The response is shown as computed: processing left over from the series' former contents
  // (scaling, integration, a filter) would change it.
  result.rawDataAddress = 0;
  result.scaleFactor = 1.0;
  result.offset = 0.0;
  result.integrationMode = series::IntegrationMode::kNone;
  result.N1 = result.N2 = result.D1 = result.D2 = 0.0;
  result.normalizeFilterGain = false;

  const std::vector<double>& cv = table[c].values;
  const std::vector<double>& av = table[a].values;
  std::vector<double>& h = result.values;
  const std::size_t half = static_cast<std::size_t>(n) / 2;
  for (std::size_t k = 0; k < half; ++k) {
    const Bin q = Quotient({av[k], av[half + k]}, {cv[k], cv[half + k]});
    h[2 * k] = q.re;
    h[2 * k + 1] = q.im;
  }
  // Value 1 is the Nyquist term of the packed form: the imaginary part of the DC quotient,
  // which is 0 since both spectra had their Nyquist terms dropped.
  series::RealFft(h, n, series::FftDirection::kInverse);
  const double scale = static_cast<double>(n / 2);
  for (double& v : h) v /= scale;
  table.EncodeLWords(r);

  for (int k : {c, a, r}) table.ProcessSeries(k, series::SpectrumLayout::kMagnitudePhase);
  result.SetTitle(platform::Format("Frequency Response %d / %d", a, c));
  return FrequencyResponseOutcome::kDone;
}

FrequencyResponsePresenter::FrequencyResponsePresenter(FrequencyResponseChoice& choice,
                                                       series::SeriesTable& table,
                                                       platform::Desktop& desktop,
                                                       std::function<void()> seriesChanged)
    : choice_(choice), table_(table), desktop_(desktop), seriesChanged_(std::move(seriesChanged)) {}

void FrequencyResponsePresenter::Open() {
  const int count = ChoosableSeriesCount(table_);
  for (int* k : {&choice_.commanded, &choice_.actual, &choice_.result})
    if (*k < 1 || *k > count) *k = 1;
}

std::vector<std::string> FrequencyResponsePresenter::SeriesItems() const {
  return SeriesChoices(table_);
}

void FrequencyResponsePresenter::CreateNow(int commandedIndex, int actualIndex, int resultIndex) {
  choice_.commanded = commandedIndex + 1;
  choice_.actual = actualIndex + 1;
  choice_.result = resultIndex + 1;
  switch (CreateFrequencyResponse(table_, choice_)) {
    case FrequencyResponseOutcome::kNotUnique:
      desktop_.ShowMessage(kNotUniqueMessage, kFrequencyResponseErrorTitle);
      return;
    case FrequencyResponseOutcome::kMismatch:
      desktop_.ShowMessage(kMismatchMessage, kFrequencyResponseErrorTitle);
      return;
    case FrequencyResponseOutcome::kNothing:
      return;
    case FrequencyResponseOutcome::kDone:
      if (seriesChanged_) seriesChanged_();
      Open();
      return;
  }
}

}  // namespace bl::tuning
