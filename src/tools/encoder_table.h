#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bl::tools {

// Where the two variants keep their table: non-Turbo 32 words from Y:$720, Turbo 192 words from
// Y:$3501 (I8000..I8191).
inline constexpr int kEctLinesNonTurbo = 32;
inline constexpr int kEctLinesTurbo = 192;
inline constexpr int kEctAddressNonTurbo = 1824;
inline constexpr int kEctAddressTurbo = 13569;
inline constexpr int kEctTypeCount = 16;

// The lines an entry of this type takes.
int EctEntryLines(int type, bool turbo);
// The type combo box's text.
std::string EctTypeText(int type, bool turbo);

// The edit fields of the "Selected ECT Entry" group, in their places: two on the entry's first
// line, two on its second and one on its third.
enum EctField : int {
  kEctFirstField = 0,   // "Base Address:" or "First ECT Entry:"
  kEctSecondEntry = 1,  // "Second ECT Entry:"
  kEctSecondLine = 2,   // the second word, or "Width:"
  kEctOffset = 3,       // "Offset:"
  kEctThirdLine = 4,    // the third word
  kEctFieldCount = 5
};
inline constexpr int kEctBoxCount = 4;

// What the group shows for one entry; an empty label hides its control.
struct EctPanel {
  int type = 0;
  std::array<std::string, kEctFieldCount> labels{};
  std::array<std::string, kEctFieldCount> texts{};
  std::array<std::string, kEctBoxCount> boxLabels{};
  std::array<bool, kEctBoxCount> boxChecked{};
  bool secondLine = false;  // "2nd Line of ECT Entry:"
  bool thirdLine = false;   // "3rd Line of ECT Entry:"
};

// The controller's table as the editor holds it: one 24-bit word (0..$FFFFFF) per line.
class EctTable {
 public:
  explicit EctTable(bool turbo);

  bool Turbo() const { return turbo_; }
  int LineCount() const { return static_cast<int>(words_.size()); }
  int LastLine() const { return LineCount() - 1; }
  // The Y address of a line.
  int Address(int line) const;
  std::vector<std::int32_t>& EctWords() { return words_; }
  const std::vector<std::int32_t>& EctWords() const { return words_; }
  // A word as read from the controller: kept to its 24 bits (a negative reply is the word with
  // bit 23 set). Lines outside the table are ignored.
  void SetWord(int line, long long word);
  std::int32_t Word(int line) const;

  // The first line of the entry that holds the line, within 0..last line.
  int EntryStart(int line) const;
  int TypeOf(int start) const { return (Word(start) >> 20) & 15; }
  // The list's text of one line.
  std::string LineText(int line) const;
  EctPanel Panel(int start) const;

  // The edits of the group, on the entry that begins at start.
  void EditField(int start, EctField field, std::string_view text);
  void SetBox(int start, int box, bool checked);
  void ChangeType(int start, int type);
  void InsertLine(int start);
  void DeleteEntry(int start);

 private:
  std::string NonTurboText(int line, int start) const;
  std::string TurboText(int line, int start) const;
  void SetBits(int line, int shift, int width, std::int32_t value);
  void RemoveLines(int at, int count);
  void InsertZeros(int at, int count);

  bool turbo_;
  std::vector<std::int32_t> words_;
};

}  // namespace bl::tools
