#include "tools/encoder_table.h"

#include <algorithm>

#include "platform/text_format.h"

namespace bl::tools {

namespace {

constexpr std::int32_t kWordMask = 0xFFFFFF;
constexpr int kSumBit = 16;
constexpr int kModeBit = 19;

bool Bit(std::int32_t word, int bit) { return ((word >> bit) & 1) != 0; }

// Non-Turbo type 13 takes three lines here, unlike its "(1 ECT Line)" in the type list: its
// list lines and its fields use a second and third word, and counting one line would let those
// fields overwrite the next entries.
constexpr std::array<int, kEctTypeCount> kNonTurboLines = {1, 1, 2, 3, 2, 2, 2, 3,
                                                           1, 2, 2, 2, 1, 3, 1, 1};
constexpr std::array<int, kEctTypeCount> kTurboLines = {1, 1, 2, 3, 2, 2, 2, 3,
                                                        1, 2, 2, 2, 1, 3, 1, 3};

constexpr std::array<const char*, kEctTypeCount> kTypeTexts = {
    "0  Incremental Encoder with 1/T Extension     (1 ECT Line)",
    "1  ACC28 Analog to Digital Converter          (1 ECT Line)",
    "2  Unfiltered Parallel Y-Word Data            (2 ECT Lines)",
    "3  Filtered Paralled Y-Word Data              (3 ECT Lines)",
    "4  Time Base Scaled Digital Differenciation   (2 ECT Lines)",
    "5  Integrated Analog to Digital Converter     (2 ECT Lines)",
    "6  Unfiltered Parallel Y/X-Word Data          (2 ECT Lines)",
    "7  Filtered Parallel Y/X-Word Data            (3 ECT Lines)",
    "8  Parallel Extension of Incremental Encoder  (1 ECT Line)",
    "9  Triggered Time Base - Frozen               (2 ECT Lines)",
    "A  Triggered Time Base - Running              (2 ECT Lines)",
    "B  Triggered Time Base - Armed                (2 ECT Lines)",
    "C  Incremental Encoder without Extension      (1 ECT Line)",
    "D  Exponential Filter of Parallel Data        (1 ECT Line)",
    "E  Reserved for Future Use                    (1 ECT Line)",
    "F  Reserved for Future Use                    (1 ECT Line)",
};

// Non-Turbo first lines, with the address, the word and its low 16 bits.
constexpr std::array<const char*, 14> kNonTurboFirst = {
    "Y:$%X=$%6.6X Incremental Encoder with 1/T Extension    $%4.4X",
    "Y:$%X=$%6.6X Analog to Digital Converter               $%4.4X",
    "Y:$%X=$%6.6X Unfiltered Parallel Y-word Data           $%4.4X",
    "Y:$%X=$%6.6X Filtered Parallel Y-word Data             $%4.4X",
    "Y:$%X=$%6.6X Time Base Scaled Digital Differenciation  $%4.4X",
    "Y:$%X=$%6.6X Integrated Analog to Digital Converter    $%4.4X",
    "Y:$%X=$%6.6X Unfiltered Parallel X-word Data           $%4.4X",
    "Y:$%X=$%6.6X Filtered Parallel Y/X-word Data           $%4.4X",
    "Y:$%X=$%6.6X Parallel Extension of Incremental Encoder $%4.4X",
    "Y:$%X=$%6.6X Triggered Time Base - Frozen              $%4.4X",
    "Y:$%X=$%6.6X Triggered Time Base - Running             $%4.4X",
    "Y:$%X=$%6.6X Triggered Time Base - Armed               $%4.4X",
    "Y:$%X=$%6.6X Incremental Encoder without Extension     $%4.4X",
    "Y:$%X=$%6.6X Exponential Filter of Parallel Data       $%4.4X",
};

// Turbo first lines by type (not 14): with the mode flag set, then clear. Those that end in
// "$%4.4X" take the result address as well.
struct TurboFirst {
  const char* set;
  const char* clear;
};
constexpr std::array<TurboFirst, kEctTypeCount> kTurboFirst = {{
    {"I%d=$%6.6X Incremental Encoder with 1/T Extension    $%5.5X                   $%4.4X",
     "I%d=$%6.6X Incremental Encoder with 1/T Extension    $%5.5X                   $%4.4X"},
    {"I%d=$%6.6X ACC28 Analog to Digital Converter         $%5.5X (ACC28B-Unsigned) $%4.4X",
     "I%d=$%6.6X ACC28 Analog to Digital Converter         $%5.5X (ACC28A-Signed)   $%4.4X"},
    {"I%d=$%6.6X Unfiltered Parallel Y-word Data           $%5.5X (Unshifted)             ",
     "I%d=$%6.6X Unfiltered Parallel Y-word Data           $%5.5X (Normal Shift)          "},
    {"I%d=$%6.6X Filtered Parallel Y-word Data             $%5.5X (Unshifted)             ",
     "I%d=$%6.6X Filtered Parallel Y-word Data             $%5.5X (Normal Shift)          "},
    {"I%d=$%6.6X Time Base Scaled Digital Differenciation  $%5.5X                         ",
     "I%d=$%6.6X Time Base Scaled Digital Differenciation  $%5.5X                         "},
    {"I%d=$%6.6X Integrated Analog to Digital Converter    $%5.5X (ACC28B-Unsigned)       ",
     "I%d=$%6.6X Integrated Analog to Digital Converter    $%5.5X (ACC28A-Signed)         "},
    {"I%d=$%6.6X Unfiltered Parallel Y/X-word data         $%5.5X (Unshifted)             ",
     "I%d=$%6.6X Unfiltered Parallel Y/X-word data         $%5.5X (Shifted)               "},
    {"I%d=$%6.6X Filtered Parallel Y/X-word data           $%5.5X (Unshifted)             ",
     "I%d=$%6.6X Filtered Parallel Y/X-word data           $%5.5X (Shifted)               "},
    {"I%d=$%6.6X Parallel Extension of Incremental Encoder $%5.5X (PMAC2 ICs)       $%4.4X",
     "I%d=$%6.6X Parallel Extension of Incremental Encoder $%5.5X (PMAC1 ICs)       $%4.4X"},
    {"I%d=$%6.6X Triggered Time Base - Frozen              $%5.5X (PMAC2 ICs)             ",
     "I%d=$%6.6X Triggered Time Base - Frozen              $%5.5X (PMAC1 ICs)             "},
    {"I%d=$%6.6X Triggered Time Base - Running             $%5.5X (PMAC2 ICs)             ",
     "I%d=$%6.6X Triggered Time Base - Running             $%5.5X (PMAC1 ICs)             "},
    {"I%d=$%6.6X Triggered Time Base - Armed               $%5.5X (PMAC2 ICs)             ",
     "I%d=$%6.6X Triggered Time Base - Armed               $%5.5X (PMAC1 ICs)             "},
    {"I%d=$%6.6X Incremental Encoder without Extension     $%5.5X                   $%4.4X",
     "I%d=$%6.6X Incremental Encoder without Extension     $%5.5X                   $%4.4X"},
    {"I%d=$%6.6X Exponential Filter of Parallel Data       $%5.5X                         ",
     "I%d=$%6.6X Exponential Filter of Parallel Data       $%5.5X                         "},
    {"", ""},
    {"I%d=$%6.6X High Resolution Interpolator              $%5.5X                         ",
     "I%d=$%6.6X High Resolution Interpolator              $%5.5X                     "},
}};

bool TurboFirstHasResult(int type) { return type == 0 || type == 1 || type == 8 || type == 12; }

bool ParallelType(int type) { return type == 2 || type == 3 || type == 6 || type == 7; }
bool TimeBaseType(int type) { return type == 4 || type == 9 || type == 10 || type == 11; }

// A field's number: hexadecimal after "$", decimal otherwise; anything outside low..high,
// or no number at all, is 0.
std::int32_t FieldValue(std::string_view text, long long high) {
  const std::optional<long long> value = platform::ParseNumberField(text, true);
  if (!value || *value < 0 || *value > high) return 0;
  return static_cast<std::int32_t>(*value);
}

std::string Hex(std::int32_t value, bool turbo) {
  return platform::Format(turbo ? "$%6.6X" : "$%4.4X", value);
}
std::string Number(std::int32_t value) { return platform::Format("%d", value); }

}  // namespace

int EctEntryLines(int type, bool turbo) {
  const auto t = static_cast<std::size_t>(type & 15);
  return turbo ? kTurboLines[t] : kNonTurboLines[t];
}

std::string EctTypeText(int type, bool turbo) {
  const int t = type & 15;
  if (turbo && t == 13) return "D  Exponential Filter of Parallel Data        (3 ECT Lines)";
  if (turbo && t == 14) return "E  Sum or Difference of ECT Entries           (1 ECT Line)";
  if (turbo && t == 15) return "F0 High-Resolution Interpolator               (3 ECT Lines)";
  return kTypeTexts[static_cast<std::size_t>(t)];
}

EctTable::EctTable(bool turbo)
    : turbo_(turbo),
      words_(static_cast<std::size_t>(turbo ? kEctLinesTurbo : kEctLinesNonTurbo), 0) {}

int EctTable::Address(int line) const {
  return (turbo_ ? kEctAddressTurbo : kEctAddressNonTurbo) + line;
}

void EctTable::SetWord(int line, long long word) {
  if (line < 0 || line > LastLine()) return;
  words_[static_cast<std::size_t>(line)] = static_cast<std::int32_t>(word & kWordMask);
}

std::int32_t EctTable::Word(int line) const {
  if (line < 0 || line > LastLine()) return 0;
  return words_[static_cast<std::size_t>(line)];
}

int EctTable::EntryStart(int line) const {
  line = std::clamp(line, 0, LastLine());
  int start = 0;
  while (true) {
    const int next = start + EctEntryLines(TypeOf(start), turbo_);
    if (line < next || next > LastLine()) return start;
    start = next;
  }
}

std::string EctTable::LineText(int line) const {
  line = std::clamp(line, 0, LastLine());
  const int start = EntryStart(line);
  return turbo_ ? TurboText(line, start) : NonTurboText(line, start);
}

std::string EctTable::NonTurboText(int line, int start) const {
  using platform::Format;
  const int a = Address(line);
  const std::int32_t w = Word(line);
  const int type = TypeOf(start);
  const int k = line - start;
  if (k == 0) {
    if (type == 14 || type == 15) return Format("Y:$%X=$%6.6X INVALID ENTRY!", a, w);
    if (type == 0 && w == 0) return Format("Y:$%X=$%6.6X No Entry", a, w);
    std::string text = Format(kNonTurboFirst[static_cast<std::size_t>(type)], a, w, w & 0xFFFF);
    if (ParallelType(type)) {
      text += Bit(w, kSumBit) ? " SUMMED" : "       ";
      if (Bit(w, kModeBit)) text += " UNSHIFTED";
    } else if ((type == 0 || type == 1 || type == 4 || type == 8 || type == 12) &&
               Bit(w, kSumBit)) {
      text += " SUMMED";
    }
    return text;
  }
  if (k == 1) {
    if (ParallelType(type)) return Format("Y:$%X=$%6.6X     Filter Mask $%6.6X", a, w, w);
    if (TimeBaseType(type)) return Format("Y:$%X=$%6.6X     Time Base Scale Factor %d", a, w, w);
    if (type == 5) return Format("Y:$%X=$%6.6X     Bias Balue %d", a, w, w);
    if (type == 13) return Format("Y:$%X=$%6.6X     Maximum Change %d", a, w, w);
  }
  if (k == 2 && (type == 3 || type == 7 || type == 13))
    return Format("Y:$%X=$%6.6X     Filter Gain Word %d", a, w, w);
  return Format("Y:$%X=$%6.6X", a, w);
}

std::string EctTable::TurboText(int line, int start) const {
  using platform::Format;
  const int n = 8000 + line;
  const int r = n + 5569;
  const std::int32_t w = Word(line);
  const int type = TypeOf(start);
  const int k = line - start;
  const bool f = Bit(w, kModeBit);
  if (k == 0) {
    if (type == 14) {
      std::string text = Format("I%d=$%6.6X Sum or Difference of ECT Entries", n, w);
      text += Bit(w, 16) ? " -" : " +";
      text += Format("ECT%3d", w & 0xFF);
      if (Bit(w, 18)) {
        text += "        ";
      } else {
        text += Bit(w, 17) ? " -" : " +";
        text += Format("ECT%3d", (w >> 8) & 0xFF);
      }
      text +=
          f ? " (integrated)" + Format("      $%4.4X", r) : Format("                   $%4.4X", r);
      return text;
    }
    if (type == 0 && w == 0) return Format("I%d=$%6.6X No Entry", n, w);
    const TurboFirst& formats = kTurboFirst[static_cast<std::size_t>(type)];
    const char* format = f ? formats.set : formats.clear;
    const std::int32_t source = w & 0x7FFFF;
    if (TurboFirstHasResult(type)) return Format(format, n, w, source, r);
    return Format(format, n, w, source);
  }
  const int width = (w >> 12) & 0xFFF;
  const int offset = w & 0xFFF;
  if (k == 1) {
    if (type == 2 || type == 6)
      return Format(
          "I%d=$%6.6X     Width %4d, Offset %4d                                        $%4.4X", n,
          w, width, offset, r);
    if (type == 3 || type == 7)
      return Format("I%d=$%6.6X     Width %4d, Offset %4d", n, w, width, offset);
    if (TimeBaseType(type))
      return Format(
          "I%d=$%6.6X     Time Base Scale Factor %8d                                $%4.4X", n, w,
          w, r);
    if (type == 5)
      return Format(
          "I%d=$%6.6X     Bias Value %8d                                            $%4.4X", n, w,
          w, r);
    if (type == 13) return Format("I%d=$%6.6X     Filter Gain Word %d", n, w, w);
    if (type == 15) return Format("I%d=$%6.6X     A/D Address $%5.5X", n, w, w);
  }
  if (k == 2) {
    if (type == 3 || type == 7 || type == 13)
      return Format(
          "I%d=$%6.6X     Maximum Change %8d                                        $%4.4X", n, w,
          w, r);
    if (type == 15)
      return Format(
          "I%d=$%6.6X     A/D Bias  %8d                                             $%4.4X", n, w,
          w, r);
  }
  return Format("I%d=$%6.6X", n, w);
}

EctPanel EctTable::Panel(int start) const {
  EctPanel p;
  const std::int32_t w = Word(start);
  const std::int32_t second = Word(start + 1);
  const std::int32_t third = Word(start + 2);
  const int type = TypeOf(start);
  p.type = type;
  auto field = [&p](EctField f, const char* label, std::string text) {
    p.labels[f] = label;
    p.texts[f] = std::move(text);
  };
  auto box = [&p, w](int index, const char* label, int bit) {
    p.boxLabels[static_cast<std::size_t>(index)] = label;
    p.boxChecked[static_cast<std::size_t>(index)] = Bit(w, bit);
  };

  if (!turbo_) {
    field(kEctFirstField, "Base Address:", Hex(w & 0xFFFF, false));
    switch (type) {
      case 0:
      case 12:
      case 1:
      case 8:
      case 4:
        box(0, "Sum with Previous Entry", kSumBit);
        if (type == 4) field(kEctSecondLine, "Time Base Scale Factor:", Number(second));
        break;
      case 2:
      case 6:
      case 3:
      case 7:
        box(0, "Sum with Previous Entry", kSumBit);
        box(2, "Unshifted Data", kModeBit);
        field(kEctSecondLine, "Mask:", platform::Format("$%6.6X", second));
        if (type == 3 || type == 7) field(kEctThirdLine, "Filter:", Number(third));
        break;
      case 5:
        field(kEctSecondLine, "Bias Value:", Number(second));
        break;
      case 9:
      case 10:
      case 11:
        field(kEctSecondLine, "Time Base Scale Factor:", Number(second));
        break;
      case 13:
        field(kEctSecondLine, "Maximum Change:", Number(second));
        field(kEctThirdLine, "Filter Gain Word:", Number(third));
        break;
      default:
        break;
    }
  } else if (type == 14) {
    field(kEctFirstField, "First ECT Entry:", Number(w & 0xFF));
    field(kEctSecondEntry, "Second ECT Entry:", Number((w >> 8) & 0xFF));
    box(0, "Integrate", 19);
    box(1, "Do Not Use Second ECT Entry", 18);
    box(2, "Negate Second ECT Entry", 17);
    box(3, "Negate First ECT Entry", 16);
  } else {
    field(kEctFirstField, "Base Address:", Hex(w & 0x7FFFF, true));
    switch (type) {
      case 1:
      case 5:
        box(0, "Unsigned Data", kModeBit);
        if (type == 5) field(kEctSecondLine, "Bias Value:", Number(second));
        break;
      case 8:
      case 9:
      case 10:
      case 11:
      case 15:
        box(0, "PMAC2 IC", kModeBit);
        if (TimeBaseType(type)) field(kEctSecondLine, "Time Base Scale Factor:", Number(second));
        if (type == 15) {
          field(kEctSecondLine, "A/D Address:", Hex(second, true));
          field(kEctThirdLine, "A/D Bias:", Number(third));
        }
        break;
      case 2:
      case 6:
      case 3:
      case 7:
        box(0, "Unshifted Data", kModeBit);
        field(kEctSecondLine, "Width:", Number((second >> 12) & 0xFFF));
        field(kEctOffset, "Offset:", Number(second & 0xFFF));
        if (type == 3 || type == 7) field(kEctThirdLine, "Maximum Change:", Number(third));
        break;
      case 4:
        field(kEctSecondLine, "Time Base Scale Factor:", Number(second));
        break;
      case 13:
        field(kEctSecondLine, "Filter Gain Word:", Number(second));
        field(kEctThirdLine, "Maximum Change:", Number(third));
        break;
      default:
        break;
    }
  }
  p.secondLine = !p.labels[kEctSecondLine].empty();
  p.thirdLine = !p.labels[kEctThirdLine].empty();
  return p;
}

void EctTable::SetBits(int line, int shift, int width, std::int32_t value) {
  if (line < 0 || line > LastLine()) return;
  const std::int32_t mask = ((1 << width) - 1) << shift;
  std::int32_t& word = words_[static_cast<std::size_t>(line)];
  word = ((word & ~mask) | ((value << shift) & mask)) & kWordMask;
}

void EctTable::EditField(int start, EctField field, std::string_view text) {
  const int type = TypeOf(start);
  switch (field) {
    case kEctFirstField:
      if (!turbo_)
        SetBits(start, 0, 16, FieldValue(text, 0xFFFF));
      else if (type == 14)
        SetBits(start, 0, 8, FieldValue(text, 191));
      else
        SetBits(start, 0, 19, FieldValue(text, 0x7FFFF));
      return;
    case kEctSecondEntry:
      SetBits(start, 8, 8, FieldValue(text, 191));
      return;
    case kEctSecondLine:
      if (!turbo_)
        SetBits(start + 1, 0, 24, FieldValue(text, kWordMask));
      else if (ParallelType(type))
        SetBits(start + 1, 12, 12, FieldValue(text, 4095));
      else
        SetBits(start + 1, 0, 24, FieldValue(text, 0x7FFFF));
      return;
    case kEctOffset:
      SetBits(start + 1, 0, 12, FieldValue(text, 4095));
      return;
    case kEctThirdLine:
      SetBits(start + 2, 0, 24, FieldValue(text, kWordMask));
      return;
    default:
      return;
  }
}

void EctTable::SetBox(int start, int box, bool checked) {
  int bit = -1;
  if (turbo_) {
    if (box >= 0 && box < kEctBoxCount) bit = 19 - box;
  } else if (box == 0) {
    bit = kSumBit;
  } else if (box == 2) {
    bit = kModeBit;
  }
  if (bit >= 0) SetBits(start, bit, 1, checked ? 1 : 0);
}

void EctTable::RemoveLines(int at, int count) {
  if (at < 0 || at > LastLine() || count <= 0) return;
  count = std::min(count, LineCount() - at);
  words_.erase(words_.begin() + at, words_.begin() + at + count);
  words_.resize(static_cast<std::size_t>(words_.size() + static_cast<std::size_t>(count)), 0);
}

void EctTable::InsertZeros(int at, int count) {
  if (at < 0 || at > LastLine() || count <= 0) return;
  count = std::min(count, LineCount() - at);
  words_.insert(words_.begin() + at, static_cast<std::size_t>(count), 0);
  words_.resize(static_cast<std::size_t>(LineCount() - count));
}

void EctTable::ChangeType(int start, int type) {
  const int old = TypeOf(start);
  if (type < 0 || type >= kEctTypeCount || type == old) return;
  SetBits(start, 20, 4, type);
  const int d = EctEntryLines(type, turbo_) - EctEntryLines(old, turbo_);
  if (d < 0) RemoveLines(start + 1, -d);
  if (d > 0) InsertZeros(start + 1, d);
}

void EctTable::InsertLine(int start) { InsertZeros(start, 1); }

void EctTable::DeleteEntry(int start) { RemoveLines(start, EctEntryLines(TypeOf(start), turbo_)); }

}  // namespace bl::tools
