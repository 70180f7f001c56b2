#include "sim/m_variable.h"

namespace sim {

namespace {

constexpr int kGenericField = 32;  // format byte for fields outside the table (Y)
constexpr int kXFieldShift = 112;
constexpr std::uint32_t kFormatD = 0xED;
constexpr std::uint32_t kFormatL = 0xEC;

// The table's byte for a Y field, or -1 when the field is not in the table.
int TableByte(int offset, int width) {
  if (offset % 4 != 0) return -1;
  switch (width) {
    case 4:
      return offset <= 20 ? 40 + offset : -1;
    case 8:
      return offset <= 16 ? 64 + offset : -1;
    case 12:
      return offset <= 12 ? 84 + offset : -1;
    case 16:
      return offset <= 8 ? 100 + offset : -1;
    case 20:
      return offset <= 4 ? 112 + offset : -1;
    case 24:
      return offset == 0 ? 120 : -1;
    default:
      return -1;
  }
}

// The inverse of TableByte for an even byte: true and the field when it is in the table.
bool TableField(int byte, int& offset, int& width) {
  struct Range {
    int first, last, width;
  };
  static constexpr Range kRanges[] = {{40, 60, 4},    {64, 80, 8},    {84, 96, 12},
                                      {100, 108, 16}, {112, 116, 20}, {120, 120, 24}};
  for (const Range& r : kRanges) {
    if (byte >= r.first && byte <= r.last && (byte - r.first) % 4 == 0) {
      offset = byte - r.first;
      width = r.width;
      return true;
    }
  }
  return false;
}

bool ValidField(int offset, int width) {
  bool knownWidth = width == 1 || (width % 4 == 0 && width >= 4 && width <= 24);
  return knownWidth && offset >= 0 && offset + width <= 24;
}

std::uint32_t FormatByte(const MDefinition& d) {
  switch (d.kind) {
    case MDefinition::Kind::kSelf:
      return 0;
    case MDefinition::Kind::kD:
      return kFormatD;
    case MDefinition::Kind::kL:
      return kFormatL;
    default:
      break;
  }
  int byte = TableByte(d.offset, d.width);
  if (byte < 0) byte = kGenericField;
  if (d.kind == MDefinition::Kind::kX) byte += kXFieldShift;
  if (d.isSigned) byte |= 1;
  return static_cast<std::uint32_t>(byte);
}

}  // namespace

WordPair EncodeMDefinition(const MDefinition& d, bool formatInX) {
  if (d.kind == MDefinition::Kind::kSelf) return {};
  std::uint32_t format = FormatByte(d);
  auto extension = static_cast<std::uint32_t>((d.offset << 8) | d.width);
  if (formatInX) return {(format << 16) | extension, d.address & 0xFFFFFF};
  return {extension, (format << 16) | (d.address & 0xFFFF)};
}

MDefinition DecodeMDefinition(WordPair words, bool formatInX) {
  MDefinition d;
  std::uint32_t format = ((formatInX ? words.x : words.y) >> 16) & 0xFF;
  std::uint32_t address = formatInX ? words.y & 0xFFFFFF : words.y & 0xFFFF;
  if (format == kFormatD || format == kFormatL) {
    d.kind = format == kFormatD ? MDefinition::Kind::kD : MDefinition::Kind::kL;
    d.address = address;
    return d;
  }
  int byte = static_cast<int>(format);
  bool isX = byte >= kGenericField + kXFieldShift;
  if (isX) byte -= kXFieldShift;
  int offset = 0, width = 0;
  if ((byte & ~1) == kGenericField) {
    offset = static_cast<int>((words.x >> 8) & 0x1F);
    width = static_cast<int>(words.x & 0x1F);
    if (!ValidField(offset, width)) return {};
  } else if (!TableField(byte & ~1, offset, width)) {
    return {};
  }
  d.kind = isX ? MDefinition::Kind::kX : MDefinition::Kind::kY;
  d.address = address;
  d.offset = offset;
  d.width = width;
  d.isSigned = (byte & 1) != 0;
  return d;
}

std::string FormatMDefinition(const MDefinition& d) {
  switch (d.kind) {
    case MDefinition::Kind::kSelf:
      return "*";
    case MDefinition::Kind::kD:
      return "D:" + FormatAddress(d.address);
    case MDefinition::Kind::kL:
      return "L:" + FormatAddress(d.address);
    default:
      break;
  }
  std::string text = d.kind == MDefinition::Kind::kX ? "X:" : "Y:";
  text += FormatAddress(d.address) + "," + std::to_string(d.offset) + "," + std::to_string(d.width);
  if (d.isSigned) text += ",S";
  return text;
}

std::optional<MDefinition> ParseMDefinition(Scanner& s) {
  MDefinition d;
  if (s.Match("*")) return d;
  char kind = Upper(s.Peek());
  switch (kind) {
    case 'X':
      d.kind = MDefinition::Kind::kX;
      break;
    case 'Y':
      d.kind = MDefinition::Kind::kY;
      break;
    case 'D':
      d.kind = MDefinition::Kind::kD;
      break;
    case 'L':
      d.kind = MDefinition::Kind::kL;
      break;
    default:
      return std::nullopt;
  }
  s.Advance();
  s.Match(":");
  auto address = s.ReadUnsigned(true, 0xFFFFFF);
  if (!address) return std::nullopt;
  d.address = *address;
  if (d.kind == MDefinition::Kind::kD || d.kind == MDefinition::Kind::kL) return d;

  d.offset = 0;
  d.width = 1;
  if (s.Match(",")) {
    auto offset = s.ReadUnsigned(false, 24);
    if (!offset) return std::nullopt;
    d.offset = static_cast<int>(*offset);
    if (d.offset == 24) {  // the whole word
      d.offset = 0;
      d.width = 24;
    }
    if (s.Match(",")) {
      bool formatFollows = !IsDigit(s.Peek());
      if (!formatFollows) {
        auto width = s.ReadUnsigned(false, 24);
        if (!width) return std::nullopt;
        d.width = static_cast<int>(*width);
        formatFollows = s.Match(",");
      }
      if (formatFollows) {
        char format = Upper(s.Peek());
        if (format != 'U' && format != 'S') return std::nullopt;
        d.isSigned = format == 'S';
        s.Advance();
      }
    }
  }
  if (!ValidField(d.offset, d.width)) return std::nullopt;
  return d;
}

std::int64_t ReadField(std::uint32_t word, int offset, int width, bool isSigned) {
  std::uint64_t raw =
      (static_cast<std::uint64_t>(word) >> offset) & ((std::uint64_t{1} << width) - 1);
  return isSigned ? SignExtend(raw, width) : static_cast<std::int64_t>(raw);
}

std::uint32_t WriteField(std::uint32_t word, int offset, int width, double value) {
  std::uint64_t mask = ((std::uint64_t{1} << width) - 1) << offset;
  std::uint64_t field = ToTwosComplement(value, width) << offset;
  return static_cast<std::uint32_t>((word & ~mask) | (field & mask)) & 0xFFFFFF;
}

}  // namespace sim
