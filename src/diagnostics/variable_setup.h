#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace bl {
class DefinitionTable;
class PmacLink;
struct ControllerType;
namespace platform {
class Desktop;
}
}  // namespace bl

namespace bl::diagnostics {

inline constexpr int kSetupRows = 20;
inline constexpr std::size_t kSetupBufferChars = 49;

// What "Set PMAC Variables" keeps for the whole run.
struct VariableSetupMemory {
  int kind = 1;  // 1 P, 2 Q, 3 M, 4 I
  int top = 0;   // the number in the first row
  bool hexadecimal = false;
};

// "Set PMAC Variables": twenty consecutive variables of one kind, read one row per timer tick
// and written to the controller as soon as a field is left. Every typed value and address is
// checked before anything is sent.
class VariableSetupPresenter {
 public:
  struct Row {
    std::string label;    // "P%d" ...
    std::string name;     // the #DEFINE name, at most 32 characters
    std::string value;    // the field; empty: still to be read
    std::string address;  // M-variables only
  };

  VariableSetupPresenter(VariableSetupMemory& memory, PmacLink& link,
                         const DefinitionTable& definitions, const ControllerType& type,
                         platform::Desktop& desktop);

  // Opening: the top number within range and every row to be read.
  void Open();
  const std::array<Row, kSetupRows>& Rows() const { return rows_; }
  int Kind() const { return memory_.kind; }
  bool Hexadecimal() const { return memory_.hexadecimal; }
  bool AddressesEnabled() const { return memory_.kind == 3; }
  int Top() const { return memory_.top; }
  // The scroll bar: 0..count + 29 with a page of 50.
  int ScrollMaximum() const;
  static constexpr int kScrollPage = 50;

  // The 50 ms timer: at most one value and one address read.
  void Tick();

  // A value field left with this text. Sent when it differs from what was read and is a number
  // (decimal, or hexadecimal after "$"); anything else is refused with a message and not sent.
  void ValueEdited(int row, const std::string& text);
  // An M-variable's address field left with this text.
  void AddressEdited(int row, const std::string& text);

  void SetKind(int kind);
  void SetHexadecimal(bool hexadecimal);
  // The scroll bar: by lines (arrows), by 20 (pages) or to a position.
  void ScrollBy(int delta);
  void ScrollTo(int top);

 private:
  int Number(int row) const { return memory_.top + row; }
  void Refresh();
  void EmptyAll();
  int Last() const;

  VariableSetupMemory& memory_;
  PmacLink& link_;
  const DefinitionTable& definitions_;
  const ControllerType& type_;
  platform::Desktop& desktop_;
  std::array<Row, kSetupRows> rows_;
};

// The value as the dialog shows it: with the hexadecimal flag a whole number is "$" and the low
// 24 bits as six upper-case digits, anything else "%lf".
std::string SetupValueText(double value, bool hexadecimal);

// A typed value: blanks around a decimal real, or "$" and up to eight hexadecimal digits.
// Nothing for any other text.
std::optional<double> ParseSetupValue(std::string_view text);

// An M-variable definition typed after "M%d->": letters, digits and the punctuation of
// addresses ("X:$C000,8,16,S", "*"), at most 49 characters; no blanks or control characters,
// which would let a second command ride along.
bool ValidAddressText(std::string_view text);

}  // namespace bl::diagnostics
