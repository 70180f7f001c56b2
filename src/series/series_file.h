#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "series/series_table.h"

namespace bl::series {

// The program's binary data file: a 256-byte magic field, the series count N, N series records
// of kSeriesRecordSize bytes, the raw word pairs of every series in turn, then the graph part
// (the ten stored graphs and the current one, kept by the graph subsystem). Little-endian.
inline constexpr char kSeriesFileMagic[] = "Brightlantern Data File Version 1.00";
inline constexpr std::size_t kSeriesMagicField = 256;
inline constexpr std::size_t kSeriesRecordSize = 216;
inline constexpr std::size_t kSeriesTitleField = 100;
// Eleven graph records of 1864 bytes.
inline constexpr std::size_t kSeriesFileGraphBytes = 11 * 1864;
// Files beyond this are refused before they are read: 48 series of well over a million samples.
inline constexpr std::size_t kMaxSeriesFileBytes = std::size_t{1} << 30;

// The whole file for series 1..table.seriesCount, with graphBytes (kSeriesFileGraphBytes of
// them) as its graph part.
std::string EncodeSeriesFile(const SeriesTable& table, std::string_view graphBytes);

// Whether the file starts with the magic, read as a NUL-terminated text within its field.
bool HasSeriesFileMagic(std::string_view bytes);

// A file read but not yet applied to the table.
struct SeriesFileContents {
  // Series 1..N with their words; values are zero until processed.
  std::vector<DataSeries> series;
  // The graph part (files with the magic), else empty; a view into the decoded bytes.
  std::string_view graphBytes;
};

// Parses the whole file. withMagic false reads a file from before the magic: an N of 24 or 48
// at offset 0, or else 24 records from offset 0, and no graph part. False with a sentence in
// error, and contents unusable, when the file is damaged: a count outside 1..48, a sample count
// below 0, above kMaxSampleCount or beyond the bytes left, a title without its NUL, or bytes
// missing anywhere. Bytes after the graph part are ignored.
bool DecodeSeriesFile(std::string_view bytes, bool withMagic, SeriesFileContents& contents,
                      std::string& error);

// Series 1..N of the table become the file's (series above N keep theirs). Nothing is processed.
void ApplySeriesFile(SeriesFileContents& contents, SeriesTable& table);

}  // namespace bl::series
