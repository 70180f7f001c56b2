#include "graph/graph_record.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>

#include "graph/graph_input.h"
#include "platform/files.h"
#include "platform/little_endian.h"
#include "platform/settings_file.h"
#include "platform/text_format.h"

namespace bl::graph {

namespace {

constexpr std::size_t kTitleField = 256;
constexpr std::size_t kSlotsOffset = 6 * kTitleField;  // 1536
constexpr std::size_t kBottomOffset = 1648;
constexpr std::size_t kAxesOffset = 1688;
constexpr std::size_t kFlagsOffset = 1848;
constexpr std::size_t kGraphTypeOffset = 1856;

class Writer {
 public:
  explicit Writer(std::string& bytes) : bytes_(bytes) {}
  void Title(const std::string& text) {
    const std::size_t n = platform::BoundedLength(text.c_str(), kRecordTitleLimit);
    bytes_.replace(at_, n, text, 0, n);
    at_ += kTitleField;
  }
  void Int(int value) { Unsigned(static_cast<std::uint32_t>(value), 4); }
  void Double(double value) { Unsigned(std::bit_cast<std::uint64_t>(value), 8); }
  void Flag(bool value) { bytes_[at_++] = value ? 1 : 0; }
  void Skip(std::size_t n) { at_ += n; }

 private:
  void Unsigned(std::uint64_t value, std::size_t size) {
    platform::StoreLittleEndian(bytes_.data() + at_, value, size);
    at_ += size;
  }
  std::string& bytes_;
  std::size_t at_ = 0;
};

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  std::string Title() {
    const std::size_t n = platform::BoundedLength(bytes_.data() + at_, kRecordTitleLimit);
    std::string text(bytes_.substr(at_, n));
    at_ += kTitleField;
    return text;
  }
  int Int() { return static_cast<int>(static_cast<std::uint32_t>(Unsigned(4))); }
  double Double() { return std::bit_cast<double>(Unsigned(8)); }
  bool Flag() { return bytes_[at_++] != 0; }
  void Skip(std::size_t n) { at_ += n; }

 private:
  std::uint64_t Unsigned(std::size_t size) {
    const std::uint64_t value = platform::LoadLittleEndian(bytes_.data() + at_, size);
    at_ += size;
    return value;
  }
  std::string_view bytes_;
  std::size_t at_ = 0;
};

// The record's field order, for writing and reading alike.
template <typename Io, typename Settings>
void Fields(Io& io, Settings& s, auto title, auto integer, auto real, auto flag) {
  title(s.topTitle);
  title(s.bottomTitle);
  title(s.leftTitle);
  title(s.rightTitle);
  title(s.leftTitle2);
  title(s.rightTitle2);
  for (auto& slot : s.slots) integer(slot.series);
  for (auto& slot : s.slots) integer(slot.secondSeries);
  for (auto& slot : s.slots) integer(slot.operation);
  for (auto& slot : s.slots) integer(slot.axis);
  for (auto& slot : s.slots) integer(slot.marker);
  for (auto& slot : s.slots) integer(slot.color);
  for (auto& slot : s.slots) integer(slot.thickness);
  real(s.bottom.maximum);
  real(s.bottom.minimum);
  real(s.bottom.visibleMaximum);
  real(s.bottom.visibleMinimum);
  real(s.bottom.gridSpacing);
  for (auto& a : s.axes) real(a.maximum);
  for (auto& a : s.axes) real(a.minimum);
  for (auto& a : s.axes) real(a.visibleMaximum);
  for (auto& a : s.axes) real(a.visibleMinimum);
  for (auto& a : s.axes) real(a.gridSpacing);
  flag(s.bottom.gridLines);
  for (auto& a : s.axes) flag(a.gridLines);
  io.Skip(3);
  integer(s.graphType);
  io.Skip(4);
}

}  // namespace

std::string EncodeGraphRecord(const GraphSettings& settings) {
  std::string bytes(kGraphRecordSize, '\0');
  Writer w(bytes);
  Fields(
      w, settings, [&](const std::string& t) { w.Title(t); }, [&](int v) { w.Int(v); },
      [&](double v) { w.Double(v); }, [&](bool v) { w.Flag(v); });
  return bytes;
}

bool DecodeGraphRecord(std::string_view bytes, GraphSettings& settings) {
  if (bytes.size() < kGraphRecordSize) return false;
  static_assert(kSlotsOffset == 1536 && kBottomOffset == kSlotsOffset + 7 * 16 &&
                kAxesOffset == kBottomOffset + 5 * 8 && kFlagsOffset == kAxesOffset + 5 * 32 &&
                kGraphTypeOffset == kFlagsOffset + 8 && kGraphRecordSize == kGraphTypeOffset + 8);
  Reader r(bytes.substr(0, kGraphRecordSize));
  GraphSettings read;
  Fields(
      r, read, [&](std::string& t) { t = r.Title(); }, [&](int& v) { v = r.Int(); },
      [&](double& v) { v = r.Double(); }, [&](bool& v) { v = r.Flag(); });
  settings = std::move(read);
  return true;
}

std::string EncodeGraphLibrary(const GraphView& view) {
  std::string bytes;
  bytes.reserve(kGraphLibraryBytes);
  for (const GraphSettings& stored : view.library) bytes += EncodeGraphRecord(stored);
  bytes += EncodeGraphRecord(view.settings);
  return bytes;
}

bool DecodeGraphLibrary(std::string_view bytes, GraphView& view, std::string& error) {
  if (bytes.size() != kGraphLibraryBytes) {
    error = platform::Format(
        "The graph library holds %zu bytes where %zu were expected; the stored graphs were not "
        "read.",
        bytes.size(), kGraphLibraryBytes);
    return false;
  }
  std::array<GraphSettings, kStoredGraphCount> library;
  GraphSettings current;
  for (std::size_t k = 0; k <= library.size(); ++k) {
    GraphSettings& target = k < library.size() ? library[k] : current;
    DecodeGraphRecord(bytes.substr(k * kGraphRecordSize), target);
  }
  view.library = std::move(library);
  view.settings = std::move(current);
  return true;
}

std::string GraphLibraryPath() {
  return (std::filesystem::path(platform::ConfigFolder()) / "graphs.bin").string();
}

bool LoadGraphLibrary(const std::string& path, GraphView& view, std::string& error) {
  std::string bytes;
  // One byte more than a library tells a longer file from a whole one.
  if (!platform::ReadSettingsFile(path, kGraphLibraryBytes + 1, bytes, error)) return false;
  // A missing or empty file: nothing stored yet.
  if (bytes.empty()) return true;
  if (DecodeGraphLibrary(bytes, view, error)) return true;
  error = path + ": " + error;
  return false;
}

bool SaveGraphLibrary(const std::string& path, const GraphView& view, std::string& error) {
  return platform::WriteSettingsFile(path, EncodeGraphLibrary(view), error);
}

}  // namespace bl::graph
