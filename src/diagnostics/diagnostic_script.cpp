#include "diagnostics/diagnostic_script.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "link/pmac_link.h"
#include "platform/little_endian.h"
#include "platform/text_format.h"

namespace bl::diagnostics {

namespace {

constexpr std::size_t kText1At = 144;
constexpr std::size_t kText2At = 400;
constexpr std::size_t kCommandAt = 656;
constexpr std::size_t kNameAt = 28;

class Writer {
 public:
  explicit Writer(char* record) : record_(record) {}
  void Int(std::size_t at, int v) {
    platform::StoreLittleEndian(record_ + at, static_cast<std::uint32_t>(v), 4);
  }
  void Double(std::size_t at, double v) {
    platform::StoreLittleEndian(record_ + at, std::bit_cast<std::uint64_t>(v), 8);
  }
  void Text(std::size_t at, std::size_t field, const std::string& text) {
    std::memcpy(record_ + at, text.data(), std::min(text.size(), field - 1));
  }

 private:
  char* record_;
};

class Reader {
 public:
  explicit Reader(const char* record) : record_(record) {}
  int Int(std::size_t at) const {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(platform::LoadLittleEndian(record_ + at, 4)));
  }
  double Double(std::size_t at) const {
    return std::bit_cast<double>(platform::LoadLittleEndian(record_ + at, 8));
  }
  // Up to the first NUL; a field without one ends one byte early, as if it held its NUL.
  std::string Text(std::size_t at, std::size_t field) const {
    return std::string(record_ + at, platform::BoundedLength(record_ + at, field - 1));
  }

 private:
  const char* record_;
};

void EncodeItem(const DiagnosticItem& item, char* record) {
  Writer w(record);
  w.Int(0, item.kind);
  w.Int(4, item.style);
  w.Int(8, item.x1);
  w.Int(12, item.y1);
  w.Int(16, item.x2);
  w.Int(20, item.y2);
  w.Int(24, item.angle);
  w.Int(28, item.mode);
  w.Int(32, item.parameter1);
  w.Int(36, item.parameter2);
  w.Int(40, item.outlineNormal);
  w.Int(44, item.outlineActive);
  w.Int(48, item.fillNormal);
  w.Int(52, item.fillActive);
  w.Int(56, item.font);
  w.Int(60, item.alignment);
  w.Int(64, item.precision);
  w.Int(68, item.argument);
  w.Int(72, item.motionStart);
  w.Int(76, item.variableA);
  w.Int(80, item.variableB);
  w.Int(84, item.startBitA);
  w.Int(88, item.bitCountA);
  w.Int(92, item.startBitB);
  w.Int(96, item.bitCountB);
  w.Double(104, item.scaleA);
  w.Double(112, item.scaleB);
  w.Int(120, item.operation);
  w.Double(128, item.maximum);
  w.Double(136, item.minimum);
  w.Text(kText1At, kTextFieldSize, item.text1);
  w.Text(kText2At, kTextFieldSize, item.text2);
  w.Text(kCommandAt, kTextFieldSize, item.command);
}

DiagnosticItem DecodeItem(const char* record) {
  const Reader r(record);
  DiagnosticItem item;
  item.kind = r.Int(0);
  item.style = r.Int(4);
  item.x1 = r.Int(8);
  item.y1 = r.Int(12);
  item.x2 = r.Int(16);
  item.y2 = r.Int(20);
  item.angle = r.Int(24);
  item.mode = r.Int(28);
  item.parameter1 = r.Int(32);
  item.parameter2 = r.Int(36);
  item.outlineNormal = r.Int(40);
  item.outlineActive = r.Int(44);
  item.fillNormal = r.Int(48);
  item.fillActive = r.Int(52);
  item.font = r.Int(56);
  item.alignment = r.Int(60);
  item.precision = r.Int(64);
  item.argument = r.Int(68);
  item.motionStart = r.Int(72);
  item.variableA = r.Int(76);
  item.variableB = r.Int(80);
  item.startBitA = r.Int(84);
  item.bitCountA = r.Int(88);
  item.startBitB = r.Int(92);
  item.bitCountB = r.Int(96);
  item.scaleA = r.Double(104);
  item.scaleB = r.Double(112);
  item.operation = r.Int(120);
  item.maximum = r.Double(128);
  item.minimum = r.Double(136);
  item.text1 = r.Text(kText1At, kTextFieldSize);
  item.text2 = r.Text(kText2At, kTextFieldSize);
  item.command = r.Text(kCommandAt, kTextFieldSize);
  return item;
}

void EncodeVariable(const DiagnosticVariable& v, char* record) {
  Writer w(record);
  w.Int(0, v.type);
  w.Int(4, v.number);
  w.Int(8, v.indexVariable);
  w.Int(12, v.multiplier);
  w.Double(16, v.value);
  w.Text(kNameAt, kNameFieldSize, v.name);
}

DiagnosticVariable DecodeVariable(const char* record) {
  const Reader r(record);
  DiagnosticVariable v;
  v.type = r.Int(0);
  v.number = r.Int(4);
  v.indexVariable = r.Int(8);
  v.multiplier = r.Int(12);
  v.value = r.Double(16);
  v.name = r.Text(kNameAt, kNameFieldSize);
  return v;
}

// Reads a count and its records: count + 1 of them when the count is not negative, of which the
// first kDiagnosticTableSize are kept. False when the bytes end first.
template <typename Record, typename Decode>
bool DecodeTable(std::string_view bytes, std::size_t& at, std::size_t recordSize,
                 std::vector<Record>& table, int& kept, Decode decode) {
  if (bytes.size() - at < 4) return false;
  const std::int64_t count = Reader(bytes.data() + at).Int(0);
  at += 4;
  const std::uint64_t records = count < 0 ? 0 : static_cast<std::uint64_t>(count) + 1;
  if ((bytes.size() - at) / recordSize < records) return false;
  kept = static_cast<int>(std::min<std::uint64_t>(records, kDiagnosticTableSize));
  for (int i = 0; i < kept; ++i) table[i] = decode(bytes.data() + at + i * recordSize);
  at += records * recordSize;
  return true;
}

}  // namespace

DiagnosticTables::DiagnosticTables()
    : items(kDiagnosticTableSize), variables(kDiagnosticTableSize) {}

std::string EncodeScript(const DiagnosticTables& tables) {
  const int items = std::clamp(tables.itemCount, 0, kDiagnosticTableSize);
  const int variables = std::clamp(tables.variableCount, 0, kDiagnosticTableSize);
  std::string bytes(kHeaderSize + 8 + items * kItemRecordSize + variables * kVariableRecordSize,
                    '\0');
  std::memcpy(bytes.data(), kDiagnosticMagic, sizeof kDiagnosticMagic);
  char* at = bytes.data() + kHeaderSize;
  Writer(at).Int(0, items - 1);
  at += 4;
  for (int i = 0; i < items; ++i, at += kItemRecordSize) EncodeItem(tables.items[i], at);
  Writer(at).Int(0, variables - 1);
  at += 4;
  for (int i = 0; i < variables; ++i, at += kVariableRecordSize)
    EncodeVariable(tables.variables[i], at);
  return bytes;
}

DecodeResult DecodeScript(std::string_view bytes, DiagnosticTables& tables) {
  tables = DiagnosticTables();
  if (bytes.size() < kHeaderSize ||
      platform::BoundedLength(bytes.data(), kHeaderSize) != sizeof kDiagnosticMagic - 1 ||
      !bytes.starts_with(kDiagnosticMagic))
    return DecodeResult::kBadHeader;
  std::size_t at = kHeaderSize;
  DiagnosticTables read;
  if (!DecodeTable(bytes, at, kItemRecordSize, read.items, read.itemCount, DecodeItem) ||
      !DecodeTable(bytes, at, kVariableRecordSize, read.variables, read.variableCount,
                   DecodeVariable))
    return DecodeResult::kTruncated;
  tables = std::move(read);
  return DecodeResult::kOk;
}

void PrepareLoadedTables(DiagnosticTables& tables) {
  const auto coordinate = [](int& v) { v = std::clamp(v, -kCoordinateLimit, kCoordinateLimit); };
  tables.items[0].kind = kKindPage;
  for (DiagnosticItem& item : tables.items) {
    if (item.kind == kKindStripChart) item.history.fill(0);
    if (item.kind == kKindPage) {
      item.x1 = std::clamp(item.x1, 0, kMaxPageSize);
      item.y1 = std::clamp(item.y1, 0, kMaxPageSize);
    } else {
      coordinate(item.x1);
      coordinate(item.y1);
    }
    coordinate(item.x2);
    coordinate(item.y2);
    if (item.kind == kKindShape) {
      coordinate(item.argument);
      coordinate(item.motionStart);
    }
    item.parameter1 = std::clamp(item.parameter1, 0, kParameterLimit);
    item.parameter2 = std::clamp(item.parameter2, 0, kParameterLimit);
  }
  DiagnosticItem& first = tables.items[0];
  first.x1 = std::max(first.x1, kMinPageWidth);
  first.y1 = std::max(first.y1, 1);
}

double BitField(double value, int start, int count, bool isSigned) {
  if (start == 0 && count == 0) return value;
  if (start < 0 || count < 1 || std::int64_t{start} + count > 24) return 0;
  const auto word = static_cast<std::uint32_t>(TruncateToInt(value));
  const auto bits = [start](int n) { return ((std::uint32_t{1} << n) - 1) << start; };
  if (!isSigned) return static_cast<double>((word & bits(count)) >> start);
  if (count < 2) return 0;
  const std::uint32_t magnitude = word & bits(count - 1);
  const std::uint32_t sign = std::uint32_t{1} << (start + count - 1);
  if ((word & sign) == 0) return static_cast<double>(magnitude >> start);
  return -static_cast<double>((sign - magnitude) >> start);
}

namespace {

bool InTable(int index) { return index >= 0 && index < kDiagnosticTableSize; }

bool SignedFields(const DiagnosticVariable& v) { return v.type == 7 || v.type == 8; }

double FieldOf(const DiagnosticTables& tables, int variable, int start, int count) {
  const DiagnosticVariable& v = tables.variables[variable];
  return BitField(v.value, start, count, SignedFields(v));
}

}  // namespace

double ItemValue(const DiagnosticTables& tables, int itemIndex) {
  if (!InTable(itemIndex)) return 0;
  const DiagnosticItem& item = tables.items[itemIndex];
  if (!InTable(item.variableA)) return 0;
  switch (item.kind) {
    case kKindShape:
    case kKindButton:
    case kKindGauge:
    case kKindValueText:
    case kKindLine:
    case kKindStripChart: {
      const double a =
          FieldOf(tables, item.variableA, item.startBitA, item.bitCountA) * item.scaleA;
      if (!InTable(item.variableB)) return a;
      const double b =
          FieldOf(tables, item.variableB, item.startBitB, item.bitCountB) * item.scaleB;
      switch (item.operation) {
        case 0:
          return a + b;
        case 1:
          return a - b;
        case 2:
          return a * b;
        case 3:
          return b == 0 ? 0 : a / b;
        case 4:
          return TruncateToInt(a) & TruncateToInt(b);
        case 5:
          return TruncateToInt(a) | TruncateToInt(b);
        default:
          return 0;
      }
    }
    case kKindSlider:
    case kKindValueBox:
      return tables.variables[item.variableA].value * item.scaleA;
    case kKindBitDisplay:
      return FieldOf(tables, item.variableA, item.startBitA, item.bitCountA);
    default:
      return 0;
  }
}

bool IsActive(const DiagnosticItem& item, double value) {
  if (item.variableA == -1) return false;
  if (item.minimum == item.maximum) return value >= item.maximum;
  return item.minimum <= value && value <= item.maximum;
}

int PageOfItem(const DiagnosticTables& tables, int itemIndex) {
  if (!InTable(itemIndex)) return 0;
  int page = 0;
  for (int i = 0; i <= itemIndex; ++i) {
    const int kind = tables.items[i].kind;
    if (kind == kKindEnd) return 0;
    if (kind == kKindPage) ++page;
  }
  return page;
}

int PageCount(const DiagnosticTables& tables) {
  int pages = 0;
  for (const DiagnosticItem& item : tables.items) {
    if (item.kind == kKindEnd) break;
    if (item.kind == kKindPage) ++pages;
  }
  return pages;
}

std::vector<int> ParentChain(const DiagnosticTables& tables, int itemIndex) {
  std::vector<int> chain;
  if (!InTable(itemIndex)) return chain;
  std::vector<bool> seen(kDiagnosticTableSize);
  seen[itemIndex] = true;
  for (int parent = tables.items[itemIndex].precision; parent >= 1 && parent <= 998;
       parent = tables.items[parent].precision) {
    if (seen[parent]) break;
    seen[parent] = true;
    chain.push_back(parent);
  }
  return chain;
}

}  // namespace bl::diagnostics
