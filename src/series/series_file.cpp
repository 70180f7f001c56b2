#include "series/series_file.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "platform/little_endian.h"
#include "platform/text_format.h"

namespace bl::series {

namespace {

constexpr int kOldFileCounts[] = {24, 48};

// Packs fields at fixed offsets of a zero-filled record.
class RecordWriter {
 public:
  explicit RecordWriter(char* record) : record_(record) {}
  void Int(std::size_t at, std::int64_t v) {
    platform::StoreLittleEndian(record_ + at, static_cast<std::uint32_t>(v), 4);
  }
  void Double(std::size_t at, double v) {
    platform::StoreLittleEndian(record_ + at, std::bit_cast<std::uint64_t>(v), 8);
  }
  void Flag(std::size_t at, bool v) { record_[at] = v ? 1 : 0; }

 private:
  char* record_;
};

class RecordReader {
 public:
  explicit RecordReader(const char* record) : record_(record) {}
  std::int32_t Int(std::size_t at) const {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(Word(at)));
  }
  std::uint32_t Word(std::size_t at) const {
    return static_cast<std::uint32_t>(platform::LoadLittleEndian(record_ + at, 4));
  }
  double Double(std::size_t at) const {
    return std::bit_cast<double>(platform::LoadLittleEndian(record_ + at, 8));
  }
  bool Flag(std::size_t at) const { return record_[at] != 0; }

 private:
  const char* record_;
};

void EncodeRecord(const DataSeries& s, char* record) {
  std::memcpy(record, s.title.data(), std::min(s.title.size(), kTitleLimit));
  RecordWriter w(record);
  w.Int(100, static_cast<int>(s.sourceType));
  w.Int(104, s.rawDataAddress);
  w.Double(112, s.rawDataPeriod);
  w.Int(120, s.sampleCount);
  w.Flag(136, s.active);
  w.Int(140, s.address);
  w.Int(144, s.startingBit);
  w.Int(148, s.wordLength);
  w.Flag(152, s.signedData);
  w.Int(156, static_cast<int>(s.integrationMode));
  w.Double(160, s.scaleFactor);
  w.Double(168, s.offset);
  w.Flag(176, s.normalizeFilterGain);
  w.Double(184, s.N1);
  w.Double(192, s.N2);
  w.Double(200, s.D1);
  w.Double(208, s.D2);
}

// The record's fields; the arrays are left to the caller, which knows the bytes that remain.
bool DecodeRecord(const char* record, DataSeries& s) {
  const void* nul = std::memchr(record, '\0', kSeriesTitleField);
  if (nul == nullptr) return false;
  s.title.assign(record, static_cast<const char*>(nul));
  const RecordReader r(record);
  s.sourceType = static_cast<SourceType>(r.Int(100));
  s.rawDataAddress = r.Word(104);
  s.rawDataPeriod = r.Double(112);
  s.sampleCount = r.Int(120);
  s.active = r.Flag(136);
  s.address = r.Word(140);
  s.startingBit = r.Int(144);
  s.wordLength = r.Int(148);
  s.signedData = r.Flag(152);
  s.integrationMode = static_cast<IntegrationMode>(r.Int(156));
  s.scaleFactor = r.Double(160);
  s.offset = r.Double(168);
  s.normalizeFilterGain = r.Flag(176);
  s.N1 = r.Double(184);
  s.N2 = r.Double(192);
  s.D1 = r.Double(200);
  s.D2 = r.Double(208);
  return true;
}

}  // namespace

std::string EncodeSeriesFile(const SeriesTable& table, std::string_view graphBytes) {
  const int count = std::clamp(table.seriesCount, 1, kMaxSeriesCount);
  std::size_t words = 0;
  for (int k = 1; k <= count; ++k) words += table[k].xWords.size();
  std::string bytes(kSeriesMagicField + 4 + kSeriesRecordSize * count + 8 * words, '\0');
  std::memcpy(bytes.data(), kSeriesFileMagic, sizeof kSeriesFileMagic);
  platform::StoreLittleEndian(bytes.data() + kSeriesMagicField, static_cast<std::uint32_t>(count),
                              4);
  char* record = bytes.data() + kSeriesMagicField + 4;
  char* word = record + kSeriesRecordSize * count;
  for (int k = 1; k <= count; ++k, record += kSeriesRecordSize) {
    const DataSeries& s = table[k];
    EncodeRecord(s, record);
    // The invariant keeps the arrays at sampleCount; the record says what the words hold.
    platform::StoreLittleEndian(record + 120, static_cast<std::uint32_t>(s.xWords.size()), 4);
    for (std::size_t i = 0; i < s.xWords.size(); ++i, word += 8) {
      platform::StoreLittleEndian(word, s.xWords[i], 4);
      platform::StoreLittleEndian(word + 4, i < s.yWords.size() ? s.yWords[i] : 0, 4);
    }
  }
  bytes.append(graphBytes.substr(0, kSeriesFileGraphBytes));
  bytes.resize(bytes.size() + kSeriesFileGraphBytes -
               std::min(graphBytes.size(), kSeriesFileGraphBytes));
  return bytes;
}

bool HasSeriesFileMagic(std::string_view bytes) {
  if (bytes.size() < kSeriesMagicField) return false;
  return platform::BoundedLength(bytes.data(), kSeriesMagicField) == sizeof kSeriesFileMagic - 1 &&
         bytes.starts_with(kSeriesFileMagic);
}

bool DecodeSeriesFile(std::string_view bytes, bool withMagic, SeriesFileContents& contents,
                      std::string& error) {
  contents = {};
  std::size_t at = 0;
  int count = 0;
  auto truncated = [&error](const char* where) {
    error = platform::Format("The data file ends early, in %s; nothing was loaded.", where);
    return false;
  };
  if (withMagic) {
    if (bytes.size() < kSeriesMagicField + 4) return truncated("the series count");
    count = static_cast<std::int32_t>(static_cast<std::uint32_t>(
        platform::LoadLittleEndian(bytes.data() + kSeriesMagicField, 4)));
    at = kSeriesMagicField + 4;
    if (count < 1 || count > kMaxSeriesCount) {
      error = platform::Format(
          "The data file claims %d series; a file holds 1 to %d. Nothing was loaded.", count,
          kMaxSeriesCount);
      return false;
    }
  } else {
    // Files from before the magic began with their count, or directly with 24 records.
    count = 24;
    if (bytes.size() >= 4) {
      const int first = static_cast<std::int32_t>(
          static_cast<std::uint32_t>(platform::LoadLittleEndian(bytes.data(), 4)));
      for (int known : kOldFileCounts)
        if (first == known) {
          count = first;
          at = 4;
        }
    }
  }
  if ((bytes.size() - at) / kSeriesRecordSize < static_cast<std::size_t>(count))
    return truncated("the series records");
  std::vector<DataSeries> series(static_cast<std::size_t>(count));
  for (int k = 0; k < count; ++k, at += kSeriesRecordSize) {
    DataSeries& s = series[static_cast<std::size_t>(k)];
    if (!DecodeRecord(bytes.data() + at, s)) {
      error = platform::Format(
          "The title of series %d in the data file has no end; nothing was loaded.", k + 1);
      return false;
    }
    if (s.sampleCount < 0 || s.sampleCount > kMaxSampleCount) {
      error = platform::Format(
          "Series %d in the data file claims %d samples; a series holds 0 to %d. Nothing was "
          "loaded.",
          k + 1, s.sampleCount, kMaxSampleCount);
      return false;
    }
  }
  // Every count is checked against what is left before any array is made.
  std::size_t left = bytes.size() - at;
  for (const DataSeries& s : series) {
    const std::size_t need = 8 * static_cast<std::size_t>(s.sampleCount);
    if (need > left) return truncated("the raw words");
    left -= need;
  }
  for (DataSeries& s : series) {
    const int n = s.sampleCount;
    s.Resize(n);
    for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i, at += 8) {
      s.xWords[i] = static_cast<std::uint32_t>(platform::LoadLittleEndian(bytes.data() + at, 4));
      s.yWords[i] =
          static_cast<std::uint32_t>(platform::LoadLittleEndian(bytes.data() + at + 4, 4));
    }
  }
  if (withMagic) {
    if (bytes.size() - at < kSeriesFileGraphBytes) return truncated("the stored graphs");
    contents.graphBytes = bytes.substr(at, kSeriesFileGraphBytes);
  }
  contents.series = std::move(series);
  return true;
}

void ApplySeriesFile(SeriesFileContents& contents, SeriesTable& table) {
  const int count = std::min(static_cast<int>(contents.series.size()), kMaxSeriesCount);
  for (int k = 1; k <= count; ++k) table[k] = std::move(contents.series[k - 1]);
  contents.series.clear();
}

}  // namespace bl::series
