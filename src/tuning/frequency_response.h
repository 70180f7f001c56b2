#pragma once

#include <functional>
#include <string>
#include <vector>

namespace bl::platform {
class Desktop;
}
namespace bl::series {
class SeriesTable;
}

namespace bl::tuning {

// The three series of a frequency response, 1-based, kept for the run.
struct FrequencyResponseChoice {
  int commanded = 1;
  int actual = 1;
  int result = 1;  // overwritten by the response
};

enum class FrequencyResponseOutcome {
  kDone,
  kNothing,    // a choice outside the series, or empty series
  kNotUnique,  // two choices name the same series
  kMismatch,   // commanded and actual differ in length or period
};

inline constexpr char kFrequencyResponseErrorTitle[] = "Frequency Response Error";
inline constexpr char kNotUniqueMessage[] = "All three data series must be unique.";
inline constexpr char kMismatchMessage[] =
    "The Commanded and Actual Data series must have the same length and sampling frequency.";

// Divides the actual series' spectrum by the commanded one's and writes the quotient into the
// result series as its impulse response (L words, the commanded series' period), titled
// "Frequency Response <actual> / <commanded>". Both inputs are extended to a power of two on
// the way, as the frequency graph extends them; all three are processed for the current graph
// type afterwards. A bin where the commanded spectrum is 0 (or the quotient is not a finite
// number) gives 0 there.
FrequencyResponseOutcome CreateFrequencyResponse(series::SeriesTable& table,
                                                 const FrequencyResponseChoice& choice);

// "Create Frequency Response" without its widgets.
class FrequencyResponsePresenter {
 public:
  // seriesChanged: the series lists and the graph follow a new result.
  FrequencyResponsePresenter(FrequencyResponseChoice& choice, series::SeriesTable& table,
                             platform::Desktop& desktop, std::function<void()> seriesChanged);

  // Opening: a choice that no longer names a series becomes series 1.
  void Open();

  std::vector<std::string> SeriesItems() const;
  // The choices as indices into SeriesItems.
  int CommandedIndex() const { return choice_.commanded - 1; }
  int ActualIndex() const { return choice_.actual - 1; }
  int ResultIndex() const { return choice_.result - 1; }

  // "Create Frequency Response Now!" with the three lists' selections (-1 for none).
  void CreateNow(int commandedIndex, int actualIndex, int resultIndex);

 private:
  FrequencyResponseChoice& choice_;
  series::SeriesTable& table_;
  platform::Desktop& desktop_;
  std::function<void()> seriesChanged_;
};

}  // namespace bl::tuning
