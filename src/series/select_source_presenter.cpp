#include "series/select_source_presenter.h"

#include <algorithm>

#include "controller/controller_type.h"
#include "definitions/definition_table.h"
#include "link/pmac_link.h"
#include "platform/desktop.h"
#include "platform/text_format.h"

namespace bl::series {

namespace {

constexpr std::uint32_t kFormatMask = 0xFF0000;
constexpr std::uint32_t kDFormat = 0xED0000;
constexpr std::uint32_t kLFormat = 0xEC0000;
constexpr std::uint32_t kXFormats = 0x800000;  // X fields are the Y formats plus $70
constexpr std::uint32_t kXFormatOffset = 0x700000;
constexpr std::uint32_t kSignedFormat = 0x010000;

// A field's length and first bit from its format code c (the format byte without the X and
// signed marks); false for a code the gather cannot take.
bool FieldOfCode(std::uint32_t c, int& length, int& startingBit) {
  struct Range {
    std::uint32_t first, last;
    int length;
  };
  // Offsets go in steps of 4 bits within each width's run of codes.
  constexpr Range kRanges[] = {{40, 60, 4},    {64, 80, 8},    {84, 96, 12},
                               {100, 108, 16}, {112, 116, 20}, {120, 120, 24}};
  for (const Range& r : kRanges) {
    if (c >= r.first && c <= r.last && (c - r.first) % 4 == 0) {
      length = r.length;
      startingBit = static_cast<int>(c - r.first);
      return true;
    }
  }
  return false;
}

// A memory word as PmacValue reads it (a signed 24-bit number) back to its 24 bits.
std::optional<std::uint32_t> ReadWord(PmacLink& link, ValueKind kind, int address) {
  double value = 0.0;
  if (link.PmacValue(kind, address, value, AccessMode::Read) != 0) return std::nullopt;
  if (!(value >= -2147483648.0 && value < 4294967296.0)) return std::nullopt;
  return static_cast<std::uint32_t>(static_cast<long long>(value)) & 0xFFFFFFu;
}

}  // namespace

MVariableSource DecodeMVariableSource(int typeCode, int number, int mBase,
                                      std::optional<std::uint32_t> yWord,
                                      std::optional<std::uint32_t> xWord) {
  const bool formatInX = typeCode >= 3;
  const std::uint32_t definitionAddress = static_cast<std::uint32_t>(mBase + number);
  MVariableSource source;
  source.address = yWord ? *yWord & (formatInX ? 0xFFFFFFu : 0xFFFFu) : definitionAddress;
  std::uint32_t t = (formatInX ? xWord.value_or(0) : yWord.value_or(0)) & kFormatMask;

  if (t == 0) {
    // No definition: the definition word itself, as a D word.
    source.address = definitionAddress;
    return source;
  }
  if (t == kDFormat) return source;
  if (t == kLFormat) {
    source.sourceType = SourceType::kL;
    return source;
  }
  source.sourceType = SourceType::kY;
  if (t >= kXFormats) {
    source.sourceType = SourceType::kX;
    t -= kXFormatOffset;
  }
  source.signedData = (t & kSignedFormat) != 0;
  if (source.signedData) t &= 0x7E0000;
  if (!FieldOfCode(t >> 16, source.wordLength, source.startingBit)) {
    MVariableSource refused;
    refused.address = definitionAddress;
    refused.supported = false;
    return refused;
  }
  return source;
}

SelectSourcePresenter::SelectSourcePresenter(SeriesTable& table, const ControllerType& type,
                                             const DefinitionTable& definitions, PmacLink& link,
                                             platform::Desktop& desktop)
    : table_(table), type_(type), definitions_(definitions), link_(link), desktop_(desktop) {
  Fill();
}

void SelectSourcePresenter::ShowList(SourceList list) {
  list_ = list;
  selected_ = -1;
  Fill();
}

void SelectSourcePresenter::Fill() {
  lines_.clear();
  const VariableKind kind = list_ == SourceList::kQ   ? VariableKind::Q
                            : list_ == SourceList::kM ? VariableKind::M
                                                      : VariableKind::P;
  const char* format = list_ == SourceList::kQ   ? "Q%-4d  "
                       : list_ == SourceList::kM ? "M%-4d  "
                                                 : "P%-4d  ";
  const int count = std::clamp(type_.variableCount, 0, DefinitionTable::kMaxSlots);
  lines_.reserve(static_cast<std::size_t>(count));
  for (int number = 0; number < count; ++number) {
    std::string line = platform::Format(format, number);
    line += definitions_.NameOf(kind, number);
    lines_.push_back(std::move(line));
  }
}

void SelectSourcePresenter::SelectLine(int row) {
  selected_ = row >= 0 && row < static_cast<int>(lines_.size()) ? row : -1;
}

bool SelectSourcePresenter::Accept() {
  const int k = table_.currentSeries;
  if (selected_ < 0 || k < 1 || k > table_.seriesCount) return false;
  DataSeries& s = table_[k];
  const int i = selected_;
  const std::string& line = lines_[static_cast<std::size_t>(i)];
  if (!line.empty()) s.SetTitle(line);
  s.active = true;

  if (list_ != SourceList::kM) {
    s.sourceType = SourceType::kL;
    s.startingBit = 0;
    s.wordLength = 48;
    s.address =
        static_cast<std::uint32_t>((list_ == SourceList::kP ? type_.pBase : type_.qBase) + i);
    return true;
  }

  const int typeCode = type_.typeCode.load();
  const int definition = type_.mBase + i;
  const std::optional<std::uint32_t> y = ReadWord(link_, ValueKind::YWord, definition);
  std::optional<std::uint32_t> x;
  if (typeCode >= 3) x = ReadWord(link_, ValueKind::XWord, definition);
  const MVariableSource source = DecodeMVariableSource(typeCode, i, type_.mBase, y, x);
  if (!source.supported)
    desktop_.ShowMessage(kUnsupportedMVariableText, kUnsupportedMVariableTitle);
  s.sourceType = source.sourceType;
  s.startingBit = source.startingBit;
  s.wordLength = source.wordLength;
  s.signedData = source.signedData;
  s.address = source.address;
  return true;
}

}  // namespace bl::series
