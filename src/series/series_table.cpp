#include "series/series_table.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <span>

#include "series/real_fft.h"

namespace bl::series {

namespace {

constexpr double kLLimit = 1e300;
constexpr double kDegreesPerRadian = 57.29577951307855;
// L words: 36-bit two's complement mantissa (23 bits of X, 12 of Y) and a 12-bit exponent
// biased by 2047; the mantissa is a fraction of 2^35.
constexpr int kLBias = 2047 + 35;
constexpr std::int64_t kLMantissaSpan = std::int64_t{1} << 35;

inline double DecodeDWords(std::uint32_t x, std::uint32_t y) {
  const std::int64_t value =
      static_cast<std::int64_t>(y) + static_cast<std::int64_t>(x & 0x7FFFFF) * 16777216;
  return static_cast<double>((x & 0x800000) ? value - (std::int64_t{1} << 47) : value);
}

// The exponents (unbiased) for which mantissa·2^e is found by one multiply by a power built from
// its bits: the power is a normal double, and a 36-bit mantissa times it stays below the limit
// of 1e300 (2^995 < 1e300). Gathered values lie here; ldexp and the limit take the rest.
constexpr int kFastLowest = -1022;
constexpr int kFastHighest = 995 - 35;

inline double DecodeLWords(std::uint32_t x, std::uint32_t y) {
  // Without branches on the sign: gathered signs vary from sample to sample.
  const std::int64_t mantissa = static_cast<std::int64_t>(x & 0x7FFFFF) * 4096 +
                                ((y >> 12) & 0xFFF) -
                                (static_cast<std::int64_t>((x >> 23) & 1) << 35);
  const int exponent = static_cast<int>(y & 0xFFF) - kLBias;
  if (exponent >= kFastLowest && exponent <= kFastHighest)
    return static_cast<double>(mantissa) *
           std::bit_cast<double>(static_cast<std::uint64_t>(exponent + 1023) << 52);
  const double value = std::ldexp(static_cast<double>(mantissa), exponent);
  return std::clamp(value, -kLLimit, kLLimit);
}

void IntegrateOnce(std::span<double> v, double period) {
  for (std::size_t c = 1; c < v.size(); ++c) v[c] = v[c - 1] + v[c] * period;
}

void DifferentiateOnce(std::span<double> v, double period) {
  for (std::size_t a = v.size() - 1; a >= 1; --a) v[a] = (v[a] - v[a - 1]) / period;
  v[0] = 0.0;
}

// The second-order section, the gain normalised when asked, run over n inputs in(i) into out.
// The plain recursion y[i] = x[i] + N1·x[i-1] + N2·x[i-2] - D1·y[i-1] - D2·y[i-2] waits a multiply
// and an add on each previous output. Taking the samples in pairs, with the second output written
// in terms of the two before the pair, halves that wait: it is what bounds the whole chain on a
// long series. The results agree with the plain recursion to rounding.
class SectionFilter {
 public:
  explicit SectionFilter(const DataSeries& s)
      : gain_(s.normalizeFilterGain ? (1.0 + s.D1 + s.D2) / (1.0 + s.N1 + s.N2) : 1.0),
        n1_(s.N1),
        n2_(s.N2),
        d1_(s.D1),
        d2_(s.D2) {}

  // in(i) is read before out[i] is written, so out may be the input itself.
  template <typename Input>
  void Run(double* out, std::size_t n, Input in) const {
    // Local copies: the stores to out could otherwise be taken to change the members.
    const double gain = gain_, n1 = n1_, n2 = n2_, d1 = d1_, d2 = d2_;
    const double c1 = d1 * d1 - d2, c2 = d1 * d2;
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
    std::size_t i = 0;
    for (; i + 1 < n; i += 2) {
      const double xa = in(i)*gain;
      const double xb = in(i + 1) * gain;
      const double aa = xa + n1 * x1 + n2 * x2;
      const double ab = xb + n1 * xa + n2 * x1;
      const double ya = aa - d1 * y1 - d2 * y2;
      const double yb = (ab - d1 * aa) + c1 * y1 + c2 * y2;
      out[i] = ya;
      out[i + 1] = yb;
      x2 = xa;
      x1 = xb;
      y2 = ya;
      y1 = yb;
    }
    if (i < n) {
      const double x = in(i)*gain;
      out[i] = x + n1 * x1 + n2 * x2 - d1 * y1 - d2 * y2;
    }
  }

 private:
  double gain_, n1_, n2_, d1_, d2_;
};

// Calls use(input) with input(i) the decoded, scaled and offset value of sample i.
template <typename Use>
void WithScaledInput(const DataSeries& s, Use use) {
  const std::uint32_t* x = s.xWords.data();
  const std::uint32_t* y = s.yWords.data();
  const double* v = s.values.data();
  const double scale = s.scaleFactor, offset = s.offset;
  switch (s.sourceType) {
    case SourceType::kX:
    case SourceType::kY: {
      const std::uint32_t* words = s.sourceType == SourceType::kX ? x : y;
      const int bit = s.startingBit, length = s.wordLength;
      const bool isSigned = s.signedData;
      use([=](std::size_t i) {
        return DecodeField(words[i], bit, length, isSigned) * scale + offset;
      });
      return;
    }
    case SourceType::kD:
      use([=](std::size_t i) { return DecodeDWords(x[i], y[i]) * scale + offset; });
      return;
    case SourceType::kL:
    case SourceType::kLDecoded:
      use([=](std::size_t i) { return DecodeLWords(x[i], y[i]) * scale + offset; });
      return;
    default:
      // No decoding: the values as they stand are scaled again.
      use([=](std::size_t i) { return v[i] * scale + offset; });
      return;
  }
}

// The smallest power of two at least n and at least 2, or 0 beyond the series limit.
int SpectrumLength(int n) {
  if (n > kMaxSampleCount) return 0;
  return static_cast<int>(std::bit_ceil(static_cast<unsigned>(std::max(n, 2))));
}

}  // namespace

void DataSeries::Resize(int n) {
  const std::size_t count = n > 0 ? static_cast<std::size_t>(n) : 0;
  // Fresh arrays, not resized ones: the old contents go and the memory with them.
  xWords = std::vector<std::uint32_t>(count);
  yWords = std::vector<std::uint32_t>(count);
  values = std::vector<double>(count);
  sampleCount = static_cast<int>(count);
}

void DataSeries::SetTitle(std::string_view text) { title.assign(text.substr(0, kTitleLimit)); }

double DecodeField(std::uint32_t word, int startingBit, int wordLength, bool signedData) {
  // The dialogs keep fields within 24 bits; a field read from elsewhere is kept within the
  // 64 bits the arithmetic has.
  const int s = std::clamp(startingBit, 0, 63);
  const int length = std::clamp(wordLength, 1, 64 - s);
  const double unit = std::ldexp(1.0, -s);
  const std::uint64_t w = word;
  const auto bits = [&](int count) {  // bits s .. s+count-1
    const std::uint64_t ones = count >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1;
    return w & (ones << s);
  };
  if (!signedData) return static_cast<double>(bits(length)) * unit;
  const std::uint64_t field = bits(length - 1);
  const bool negative = ((w >> (s + length - 1)) & 1) != 0;
  if (!negative) return static_cast<double>(field) * unit;
  return -(std::ldexp(1.0, s + length - 1) - static_cast<double>(field)) * unit;
}

double DecodeD(std::uint32_t x, std::uint32_t y) { return DecodeDWords(x, y); }

double DecodeL(std::uint32_t x, std::uint32_t y) { return DecodeLWords(x, y); }

void EncodeL(double value, std::uint32_t& x, std::uint32_t& y) {
  // Not-a-number has no L form; it becomes 0. Magnitudes are kept to what decoding gives back.
  if (std::isnan(value) || value == 0.0) {
    x = 0;
    y = 0;
    return;
  }
  const bool negative = value < 0.0;
  const double v = std::min(std::fabs(value), kLLimit);
  const int e = static_cast<int>(std::trunc(std::log2(v) + 1.0));
  const double m = v / std::ldexp(1.0, e) * static_cast<double>(kLMantissaSpan - 1);
  const auto whole = static_cast<std::int64_t>(m);
  std::int64_t high = static_cast<std::int64_t>(m / 4096.0);
  std::int64_t low = (whole - high * 4096) & 0xFFF;
  if (negative) {
    if (low == 0) {
      high = 0x1000000 - high;
    } else {
      high = 0xFFFFFF - high;
      low = 4096 - low;
    }
  }
  x = static_cast<std::uint32_t>(high & 0xFFFFFF);
  y = static_cast<std::uint32_t>((low << 12) + ((e + 0x7FF) & 0xFFF));
}

SeriesTable::SeriesTable() {
  series_[0].title = kScratchTitle;
  for (int k = 1; k < kSeriesTableSize; ++k) {
    DataSeries& s = series_[k];
    s.Resize(10);
  }
  DataSeries& sine = series_[1];
  sine.title = "Sine Wave";
  sine.active = true;
  sine.rawDataPeriod = 0.00442;
  sine.Resize(4096);
  for (int i = 0; i < 4096; ++i)
    sine.values[i] = 50.0 * std::cos(0.1570796326795 * i) / (1.0 + 0.005 * i) +
                     50.0 * std::sin(0.00628318530718 * i);
  for (int k = 1; k < kSeriesTableSize; ++k) {
    EncodeLWords(k);
    ProcessSeries(k, SpectrumLayout::kMagnitudePhase);
  }
}

void SeriesTable::ProcessSeries(int k, SpectrumLayout layout) {
  if (k < 0 || k >= kSeriesTableSize) return;
  DataSeries& s = series_[k];
  if (s.sampleCount <= 0) return;
  const bool spectrum = graphType == kFrequencyGraph;

  if (spectrum) {
    const int m = SpectrumLength(s.sampleCount);
    if (m != 0 && m != s.sampleCount) {
      // The raw words go through series 0 on the way, as every reshaping of a series does.
      std::vector<std::uint32_t> x = s.xWords, y = s.yWords;
      std::vector<double> v = s.values;
      CopyToScratch(k);
      s.Resize(m);
      std::copy(x.begin(), x.end(), s.xWords.begin());
      std::copy(y.begin(), y.end(), s.yWords.begin());
      // The values come back too: a series without raw decoding has nothing else.
      std::copy(v.begin(), v.end(), s.values.begin());
    }
  }

  const double period = s.rawDataPeriod;
  std::span<double> v(s.values);
  const IntegrationMode mode = s.integrationMode;
  const bool integrates =
      v.size() > 1 &&
      (mode == IntegrationMode::kIntegrateTwice || mode == IntegrationMode::kIntegrateOnce ||
       mode == IntegrationMode::kDifferentiateOnce || mode == IntegrationMode::kDifferentiateTwice);
  double* out = s.values.data();
  const std::size_t n = s.values.size();
  if (s.HasFilter() && !integrates) {
    // Nothing comes between decoding and the filter: one pass does both.
    WithScaledInput(s, [&](auto input) { SectionFilter(s).Run(out, n, input); });
  } else {
    WithScaledInput(s, [&](auto input) {
      for (std::size_t i = 0; i < n; ++i) out[i] = input(i);
    });
    switch (integrates ? mode : IntegrationMode::kNone) {
      case IntegrationMode::kIntegrateTwice:
        IntegrateOnce(v, period);
        IntegrateOnce(v, period);
        break;
      case IntegrationMode::kIntegrateOnce:
        IntegrateOnce(v, period);
        break;
      case IntegrationMode::kDifferentiateOnce:
        DifferentiateOnce(v, period);
        break;
      case IntegrationMode::kDifferentiateTwice:
        DifferentiateOnce(v, period);
        DifferentiateOnce(v, period);
        v[1] = 0.0;
        break;
      default:
        break;
    }
    if (s.HasFilter()) SectionFilter(s).Run(out, n, [out](std::size_t i) { return out[i]; });
  }

  if (spectrum) {
    const long long n = static_cast<long long>(v.size());
    if (RealFft(v, n, FftDirection::kForward) != 0) return;
    v[1] = 0.0;
    std::vector<double> packed;
    if (k != 0) {
      series_[0].Resize(static_cast<int>(n));
      std::copy(v.begin(), v.end(), series_[0].values.begin());
    } else {
      packed.assign(v.begin(), v.end());
    }
    const std::vector<double>& p = k != 0 ? series_[0].values : packed;
    const std::size_t half = v.size() / 2;
    for (std::size_t i = 0; i < half; ++i) {
      const double re = p[2 * i];
      const double im = p[2 * i + 1];
      if (layout == SpectrumLayout::kRealImaginary) {
        v[i] = re;
        v[half + i] = im;
      } else {
        v[i] = std::sqrt(re * re + im * im);
        v[half + i] = std::atan2(-im, re) * kDegreesPerRadian;
      }
    }
  }
}

void SeriesTable::ProcessAll() {
  for (int k = 1; k <= std::min(seriesCount, kMaxSeriesCount); ++k)
    ProcessSeries(k, SpectrumLayout::kMagnitudePhase);
}

void SeriesTable::EncodeLWords(int k) {
  if (k < 0 || k >= kSeriesTableSize) return;
  DataSeries& s = series_[k];
  for (std::size_t i = 0; i < s.values.size(); ++i) EncodeL(s.values[i], s.xWords[i], s.yWords[i]);
}

void SeriesTable::CopyToScratch(int k) {
  if (k <= 0 || k >= kSeriesTableSize) return;
  const DataSeries& s = series_[k];
  if (s.sampleCount < 1) return;
  DataSeries& scratch = series_[0];
  scratch.xWords = s.xWords;
  scratch.yWords = s.yWords;
  scratch.values = s.values;
  scratch.sampleCount = s.sampleCount;
}

void SeriesTable::DeletePoints(int s1, int p1, int s2, int p2) {
  const long long first = std::min(p1, p2);
  const long long last = std::max(p1, p2);
  // A range wholly before the first point deletes nothing (clipping it would delete point 0).
  if (last < 0) return;
  const int count = std::min(seriesCount, kMaxSeriesCount);
  for (int k = std::max(std::min(s1, s2), 0); k <= std::min(std::max(s1, s2), count); ++k) {
    DataSeries& s = series_[k];
    const long long n = s.sampleCount;
    if (n <= 0 || first >= n) continue;
    const long long lo = std::max(first, 0LL);
    const long long hi = std::min(last, n - 1);
    CopyToScratch(k);
    const DataSeries& source = series_[0];
    const auto remaining = static_cast<int>(n - (hi - lo + 1));
    std::vector<std::uint32_t> x, y;
    std::vector<double> v;
    x.reserve(remaining);
    y.reserve(remaining);
    v.reserve(remaining);
    for (long long i = 0; i < n; ++i) {
      if (i >= lo && i <= hi) continue;
      x.push_back(source.xWords[i]);
      y.push_back(source.yWords[i]);
      v.push_back(source.values[i]);
    }
    s.xWords = std::move(x);
    s.yWords = std::move(y);
    s.values = std::move(v);
    s.sampleCount = remaining;
  }
}

void SeriesTable::ClearSeries(int k) {
  if (k < 0 || k >= kSeriesTableSize) return;
  DeletePoints(k, 0, k, series_[k].sampleCount);
}

void SeriesTable::GrowSeries(int k, int n) {
  if (k < 0 || k >= kSeriesTableSize) return;
  DataSeries& s = series_[k];
  n = std::min(n, kMaxSampleCount);
  if (n <= s.sampleCount) return;
  const auto count = static_cast<std::size_t>(n);
  s.xWords.resize(count, 0);
  s.yWords.resize(count, 0);
  s.values.resize(count, 0.0);
  s.sampleCount = n;
}

}  // namespace bl::series
