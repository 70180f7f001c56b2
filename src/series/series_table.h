#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bl::series {

// How a series' raw words become values.
enum class SourceType : int {
  kX = 1,          // a bit field of the X word
  kY = 2,          // a bit field of the Y word
  kD = 3,          // 48-bit fixed point, X word high
  kL = 4,          // 48-bit floating point
  kNone = 5,       // no decoding: the chain works on the values as they stand
  kLDecoded = 6,   // decoded like L
};

enum class IntegrationMode : int {
  kIntegrateTwice = 0,
  kIntegrateOnce = 1,
  kNone = 2,
  kDifferentiateOnce = 3,
  kDifferentiateTwice = 4,
};

// What the spectrum step leaves in a series: magnitude and phase in degrees, or the real and
// imaginary parts.
enum class SpectrumLayout : int { kMagnitudePhase = 0, kRealImaginary = 1 };

// The graph type under which the spectrum step runs (and series are extended to a power of two).
inline constexpr int kFrequencyGraph = 2;

inline constexpr int kSeriesTableSize = 49;  // series 0 (scratch) and 1..48
inline constexpr int kMaxSeriesCount = 48;
inline constexpr std::size_t kTitleLimit = 99;
inline constexpr char kScratchTitle[] = "No Series Selected";
// The most samples a series takes from outside data (files, pastes, uploads): 16 Mi samples,
// 256 MiB with the words. The gather buffer of the largest controller is far smaller.
inline constexpr int kMaxSampleCount = 1 << 24;

// One series: the raw 24-bit controller words as gathered and the values processed from them.
// xWords, yWords and values always have sampleCount elements; Resize replaces all three.
struct DataSeries {
  std::string title = "Empty";  // at most kTitleLimit characters
  SourceType sourceType = SourceType::kL;
  std::uint32_t rawDataAddress = 0;
  double rawDataPeriod = 0.05;  // seconds between samples
  int sampleCount = 0;
  std::vector<std::uint32_t> xWords;  // D and L: the high word
  std::vector<std::uint32_t> yWords;  // D and L: the low word
  std::vector<double> values;
  bool active = false;
  std::uint32_t address = 0;  // 0..$7FFFF
  int startingBit = 0;        // 0..23
  int wordLength = 24;        // 1..24; 48 for D and L
  bool signedData = true;
  IntegrationMode integrationMode = IntegrationMode::kNone;
  double scaleFactor = 1.0;
  double offset = 0.0;
  bool normalizeFilterGain = false;  // "Remove D.C. Offset"
  double N1 = 0.0;
  double N2 = 0.0;
  double D1 = 0.0;
  double D2 = 0.0;

  // Replaces the three arrays by n zero-filled elements (n below 0 counts as 0).
  void Resize(int n);
  // Sets the title, cut to kTitleLimit characters.
  void SetTitle(std::string_view text);
  bool HasFilter() const { return N1 != 0.0 || N2 != 0.0 || D1 != 0.0 || D2 != 0.0; }
};

// The 49 series of the program: 0 is the scratch series, 1..seriesCount the user's.
class SeriesTable {
 public:
  // The start-up contents: series 1 a decaying sine of 4096 samples, the others 10 zero samples,
  // all with consistent raw words and values.
  SeriesTable();

  DataSeries& operator[](int k) { return series_.at(static_cast<std::size_t>(k)); }
  const DataSeries& operator[](int k) const { return series_.at(static_cast<std::size_t>(k)); }

  // 24 for the non-Turbo controllers, 48 for Turbo and before a controller type is known.
  int seriesCount = kMaxSeriesCount;
  // The series the data window, the Edit Data Sources dialog and the spreadsheet act on.
  int currentSeries = 1;
  // The graph type (0..3) the graph views show; kFrequencyGraph makes ProcessSeries extend the
  // series to a power of two and transform it.
  int graphType = 0;

  // Rebuilds series k's values from its raw words and processing fields. k outside 0..48 and
  // empty series are left alone.
  void ProcessSeries(int k, SpectrumLayout layout);
  // ProcessSeries (k, magnitude and phase) for k = 1..seriesCount.
  void ProcessAll();
  // Writes series k's raw words from its values in L format.
  void EncodeLWords(int k);
  // Copies series k's arrays into series 0 when k has samples.
  void CopyToScratch(int k);
  // Deletes points min(p1, p2)..max(p1, p2) of every series min(s1, s2)..max(s1, s2) and closes
  // the gap (series 0 is overwritten on the way).
  void DeletePoints(int s1, int p1, int s2, int p2);
  void ClearSeries(int k);
  // Makes series k at least n samples long, keeping its words and values and zero-filling the
  // new samples (n is limited to kMaxSampleCount).
  void GrowSeries(int k, int n);

 private:
  std::array<DataSeries, kSeriesTableSize> series_;
};

// The decoding of one sample, as ProcessSeries does it.
double DecodeField(std::uint32_t word, int startingBit, int wordLength, bool signedData);
double DecodeD(std::uint32_t x, std::uint32_t y);
// Limited to -1e300..1e300.
double DecodeL(std::uint32_t x, std::uint32_t y);
// The L-format words of a value (NaN encodes as 0, infinities as the largest magnitudes).
void EncodeL(double value, std::uint32_t& x, std::uint32_t& y);

}  // namespace bl::series
