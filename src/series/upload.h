#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "link/progress_meter.h"

namespace bl {
class PmacLink;
class Terminal;
struct ControllerType;
namespace platform {
class Desktop;
class UiThread;
}  // namespace platform
}  // namespace bl

namespace bl::series {

class SeriesTable;
struct GatherBuffer;

inline constexpr std::string_view kUploadCaption = "Uploading Data From PMAC...";
// Addresses read per block; each request asks for one more, which the next block reads again.
inline constexpr int kUploadBlock = 32;
inline constexpr int kUploadReplySize = 249;

// Where the gathered data lies, from the gather registers and the words per sample.
struct UploadPlan {
  int wordsPerSample = 0;  // W, even: a sample fills whole addresses
  bool wrap = false;
  int start = 0;    // first address of the buffer
  int pointer = 0;  // the controller's write address
  int end = 0;      // the blocks read start..end - 1 (each block also reads one further address)
  int sampleCount = 0;
};

// W: 1 for each active X or Y series, 2 for D and L, raised to even.
int WordsPerSample(const SeriesTable& table);

// The plan from the start and pointer register words of a controller type (1..3 non-Turbo, 4..6
// Turbo) whose user memory ends at bufEnd.
UploadPlan PlanUpload(int typeCode, int bufEnd, int wordsPerSample, std::uint32_t startWord,
                      std::uint32_t pointerWord);

// Where one slot of a sample goes: a series' X or Y words, or nowhere (series 0, the filler word
// of an odd count).
struct UploadSlot {
  int series = 0;
  bool xWords = false;
};
// The W slots of a sample, given out in series order to the active series.
std::vector<UploadSlot> UploadSlots(const SeriesTable& table, int wordsPerSample);

// Word j of a block reply: six hexadecimal digits at character j·7; none when the reply holds no
// word there (an error reply, a short or garbled one).
std::optional<std::uint32_t> BlockReplyWord(std::string_view reply, int j);

// The number k of the Y word at address a in the whole upload (its X word is k + 1): counted
// from the start, or with wrap from the pointer, where the oldest data begins.
long long UploadWordNumber(const UploadPlan& plan, int address);

// Stores word k of the upload in its series: sample k / W, slot k mod W. Words past a series'
// samples and filler words are dropped.
void PlaceUploadWord(SeriesTable& table, const std::vector<UploadSlot>& sampleSlots,
                     int wordsPerSample, long long k, std::uint32_t word);

// Places the words of one block's replies for addresses current..current + n. Returns how many
// of the first n addresses lacked their X or Y word (the words present are placed all the same).
int PlaceUploadBlock(SeriesTable& table, const UploadPlan& plan,
                     const std::vector<UploadSlot>& sampleSlots, int current, int n,
                     std::string_view xReply, std::string_view yReply);

// The upload under way.
struct UploadState {
  UploadPlan plan;
  std::vector<UploadSlot> sampleSlots;
  int current = 0;  // next address to read
  bool uploading = false;
  // Set when a block came back without its words: the upload stops there.
  std::string failure;
};

// One block: reads it, places its words and moves on; clears the uploading flag when nothing
// remains or the controller did not give the data. Returns the progress in percent.
int UploadStep(PmacLink& link, UploadState& state, SeriesTable& table);

enum class UploadOutcome {
  kNotConnected,     // nothing done
  kNothingToRead,    // no active series, or the buffer holds no sample
  kRegistersFailed,  // the gather registers could not be read; the series are untouched
  kDone,             // every block read and every series processed
  kAborted,          // ESC: the words read so far stay, unprocessed
  kFailed,           // the link failed mid-upload: the words read so far stay, processed
};

struct UploadReport {
  UploadOutcome outcome = UploadOutcome::kNotConnected;
  int sampleCount = 0;  // samples in the buffer
  int samplesRead = 0;  // samples whose words all arrived
  std::string message;  // what went wrong, also shown in the terminal
};

// What an upload works with.
struct UploadContext {
  PmacLink& link;
  Terminal& terminal;
  platform::Desktop& desktop;
  platform::UiThread& ui;
  const ControllerType& type;
  GatherBuffer& buffer;
  SeriesTable& table;
};

// How it is shown: the progress meter's dialog (none: the meter runs at once, as on the command
// line), a callback after each block, and the redraw of the main window once every series is
// processed.
struct UploadView {
  ProgressMeter::ModalHost meterHost;
  std::function<void(int percent)> progress;
  std::function<void()> redraw;
};

// The whole upload of gathered data: reads the gather settings and registers, sizes the active
// series, reads the buffer block by block under the progress meter and processes every series.
UploadReport UploadGatheredData(UploadContext context, const UploadView& view = {});

}  // namespace bl::series
