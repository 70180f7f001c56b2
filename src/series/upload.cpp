#include "series/upload.h"

#include <algorithm>

#include "controller/controller_type.h"
#include "link/pmac_link.h"
#include "platform/text_format.h"
#include "series/gather.h"
#include "series/series_table.h"
#include "terminal_lines/terminal_lines.h"

namespace bl::series {

namespace {

constexpr int kProblemColor = 5;
constexpr int kRegisterReplySize = 99;
// Word j of a block reply is looked for only below this character, as the reply buffer allows.
constexpr std::size_t kReplyScanLimit = 250;
constexpr int kWordChars = 7;  // six hexadecimal digits and a separator
constexpr int kWordDigits = 6;

bool IsTurboCode(int typeCode) { return typeCode >= 4; }

bool TakesTwoWords(SourceType type) {
  return type == SourceType::kD || type == SourceType::kL || type == SourceType::kLDecoded;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

int ActiveSeriesLimit(const SeriesTable& table) {
  return std::clamp(table.seriesCount, 0, kMaxSeriesCount);
}

}  // namespace

int WordsPerSample(const SeriesTable& table) {
  int words = 0;
  for (int k = 1; k <= ActiveSeriesLimit(table); ++k) {
    const DataSeries& s = table[k];
    if (!s.active) continue;
    if (s.sourceType == SourceType::kX || s.sourceType == SourceType::kY) {
      words += 1;
    } else if (TakesTwoWords(s.sourceType)) {
      words += 2;
    }
  }
  return words + (words % 2);
}

UploadPlan PlanUpload(int typeCode, int bufEnd, int wordsPerSample, std::uint32_t startWord,
                      std::uint32_t pointerWord) {
  const bool turbo = IsTurboCode(typeCode);
  const std::uint32_t mask = turbo ? 0xFFFFF : 0xFFFF;
  const int k = turbo ? 47 : 23;
  UploadPlan plan;
  plan.wordsPerSample = wordsPerSample;
  plan.wrap = (startWord & 0x400000) != 0;
  plan.start = static_cast<int>(startWord & mask);
  plan.pointer = static_cast<int>(pointerWord & mask);
  if (wordsPerSample <= 0) return plan;
  if (plan.wrap) {
    // The buffer's last address, rounded to whole samples (integer division toward zero).
    const int half = wordsPerSample / 2;
    plan.end = ((bufEnd - plan.start - k) / half + 1) * half + plan.start - 1;
  } else {
    plan.end = plan.pointer;
  }
  if (plan.end > plan.start) {
    const long long samples = static_cast<long long>(plan.end - plan.start) * 2 / wordsPerSample;
    plan.sampleCount = static_cast<int>(std::min<long long>(samples, kMaxSampleCount));
  }
  return plan;
}

std::vector<UploadSlot> UploadSlots(const SeriesTable& table, int wordsPerSample) {
  std::vector<UploadSlot> sampleSlots(static_cast<std::size_t>(std::max(wordsPerSample, 0)));
  std::size_t next = 0;
  for (int k = 1; k <= ActiveSeriesLimit(table); ++k) {
    const DataSeries& s = table[k];
    // A series without decoding has no source on the controller and counts no words; giving it
    // sampleSlots would shift every later series' words.
    if (!s.active || s.sourceType == SourceType::kNone) continue;
    if (next < sampleSlots.size()) sampleSlots[next++] = {k, s.sourceType == SourceType::kX};
    if (TakesTwoWords(s.sourceType) && next < sampleSlots.size()) sampleSlots[next++] = {k, true};
  }
  return sampleSlots;
}

std::optional<std::uint32_t> BlockReplyWord(std::string_view reply, int j) {
  if (j < 0) return std::nullopt;
  const std::size_t at = static_cast<std::size_t>(j) * kWordChars;
  if (at >= kReplyScanLimit || at + kWordDigits > reply.size()) return std::nullopt;
  std::uint32_t word = 0;
  for (int i = 0; i < kWordDigits; ++i) {
    const int digit = HexDigit(reply[at + static_cast<std::size_t>(i)]);
    if (digit < 0) return std::nullopt;
    word = word * 16 + static_cast<std::uint32_t>(digit);
  }
  // A longer run of digits is no word of this layout.
  if (at + kWordDigits < reply.size() && HexDigit(reply[at + kWordDigits]) >= 0)
    return std::nullopt;
  return word;
}

long long UploadWordNumber(const UploadPlan& plan, int address) {
  const long long a = address;
  if (!plan.wrap) return (a - plan.start) * 2;
  if (a >= plan.pointer) return (a - plan.pointer) * 2;
  return (static_cast<long long>(plan.end) - plan.pointer - plan.start + a) * 2 + 2;
}

void PlaceUploadWord(SeriesTable& table, const std::vector<UploadSlot>& sampleSlots,
                     int wordsPerSample, long long k, std::uint32_t word) {
  if (k < 0 || wordsPerSample <= 0) return;
  const long long sample = k / wordsPerSample;
  const auto slot = static_cast<std::size_t>(k % wordsPerSample);
  if (slot >= sampleSlots.size() || sampleSlots[slot].series <= 0) return;
  DataSeries& s = table[sampleSlots[slot].series];
  std::vector<std::uint32_t>& words = sampleSlots[slot].xWords ? s.xWords : s.yWords;
  if (sample >= s.sampleCount || sample >= static_cast<long long>(words.size())) return;
  words[static_cast<std::size_t>(sample)] = word & 0xFFFFFF;
}

int PlaceUploadBlock(SeriesTable& table, const UploadPlan& plan,
                     const std::vector<UploadSlot>& sampleSlots, int current, int n,
                     std::string_view xReply, std::string_view yReply) {
  int missing = 0;
  for (int j = 0; j <= n; ++j) {
    const long long k = UploadWordNumber(plan, current + j);
    const auto y = BlockReplyWord(yReply, j);
    const auto x = BlockReplyWord(xReply, j);
    if (y) PlaceUploadWord(table, sampleSlots, plan.wordsPerSample, k, *y);
    if (x) PlaceUploadWord(table, sampleSlots, plan.wordsPerSample, k + 1, *x);
    if (j < n && (!x || !y)) ++missing;
  }
  return missing;
}

int UploadStep(PmacLink& link, UploadState& state, SeriesTable& table) {
  const UploadPlan& plan = state.plan;
  if (state.uploading && state.current < plan.end) {
    const int n = std::min(kUploadBlock, plan.end - state.current);
    std::string x;
    std::string y;
    link.PmacCommand(x, kUploadReplySize, platform::Format("RHX:%d,%d", state.current, n + 1),
                     false);
    link.PmacCommand(y, kUploadReplySize, platform::Format("RHY:%d,%d", state.current, n + 1),
                     false);
    if (PlaceUploadBlock(table, plan, state.sampleSlots, state.current, n, x, y) > 0) {
      // A reply without its words means the link or the controller failed: going on would
      // leave holes of zeros that look like data.
      state.uploading = false;
      state.failure = platform::Format(
          "Upload of gathered data stopped at $%X: the controller did not send the data "
          "(%d of %d addresses read).",
          state.current, state.current - plan.start, plan.end - plan.start);
    } else {
      state.current += n;
    }
  } else {
    state.uploading = false;
  }
  if (plan.end <= plan.start) return 100;
  return static_cast<int>(static_cast<long long>(state.current - plan.start) * 100 /
                          (plan.end - plan.start));
}

namespace {

bool ReadRegister(PmacLink& link, const char* command, std::uint32_t& word) {
  std::string reply;
  link.PmacCommand(reply, kRegisterReplySize, command, false);
  const auto parsed = BlockReplyWord(reply, 0);
  if (!parsed) return false;
  word = *parsed;
  return true;
}

}  // namespace

UploadReport UploadGatheredData(UploadContext context, const UploadView& view) {
  UploadReport report;
  PmacLink& link = context.link;
  SeriesTable& table = context.table;
  if (link.PmacDevice() == -1) return report;

  ReadGatherSettings(link, context.type, context.buffer, table);
  UploadState state;
  const int words = WordsPerSample(table);
  report.outcome = UploadOutcome::kNothingToRead;
  if (words == 0) return report;

  const int typeCode = context.type.typeCode.load();
  const bool turbo = IsTurboCode(typeCode);
  std::uint32_t startWord = 0;
  std::uint32_t pointerWord = 0;
  if (!ReadRegister(link, turbo ? "RHX:$3120" : "RHX:$F20", startWord) ||
      !ReadRegister(link, turbo ? "RHY:$3120" : "RHY:$F20", pointerWord)) {
    // Without the registers any plan would read the wrong memory; the series stay as they are.
    report.outcome = UploadOutcome::kRegistersFailed;
    report.message = "Upload of gathered data failed: the gather registers could not be read.";
    context.terminal.TerminalAddLine(report.message, kProblemColor);
    return report;
  }
  state.plan =
      PlanUpload(typeCode, context.type.endOfUserMemory.load(), words, startWord, pointerWord);
  state.sampleSlots = UploadSlots(table, words);
  state.current = state.plan.start;
  report.sampleCount = state.plan.sampleCount;

  const double period = context.buffer.period * context.type.servoPeriod;
  for (int k = 1; k <= ActiveSeriesLimit(table); ++k) {
    if (!table[k].active) continue;
    table.ClearSeries(k);
    table[k].Resize(state.plan.sampleCount);
    table[k].rawDataPeriod = period;
  }
  if (state.plan.start >= state.plan.end) return report;

  state.uploading = true;
  ProgressMeter meter(link, context.terminal, context.desktop, context.ui);
  meter.progressTask = ProgressTask::DataJob;
  meter.caption = std::string(kUploadCaption);
  meter.host = view.meterHost;
  meter.step = [&] {
    const int percent = UploadStep(link, state, table);
    meter.progressPercent = percent;
    if (view.progress) view.progress(percent);
    return !state.uploading || state.current >= state.plan.end;
  };
  meter.finish = [&] {
    state.uploading = false;
    table.ProcessAll();
    if (view.redraw) view.redraw();
  };
  const ProgressResult result = meter.Run();

  const int total = state.plan.end - state.plan.start;
  report.samplesRead = std::min(
      state.plan.sampleCount,
      static_cast<int>(static_cast<long long>(state.current - state.plan.start) * 2 / words));
  if (!state.failure.empty()) {
    report.outcome = UploadOutcome::kFailed;
    report.message = state.failure;
    context.terminal.TerminalAddLine(report.message, kProblemColor);
  } else if (result == ProgressResult::Cancel) {
    report.outcome = UploadOutcome::kAborted;
    report.message =
        platform::Format("Upload of gathered data aborted at $%X (%d of %d addresses read).",
                         state.current, state.current - state.plan.start, total);
  } else {
    report.outcome = UploadOutcome::kDone;
    report.samplesRead = state.plan.sampleCount;
  }
  return report;
}

}  // namespace bl::series
