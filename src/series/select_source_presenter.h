#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "series/series_table.h"

namespace bl {
class PmacLink;
class DefinitionTable;
struct ControllerType;
namespace platform {
class Desktop;
}
}  // namespace bl

namespace bl::series {

// The source an M-variable's definition words describe.
struct MVariableSource {
  SourceType sourceType = SourceType::kD;
  int startingBit = 0;
  int wordLength = 48;
  bool signedData = true;
  std::uint32_t address = 0;
  // False for a format the gather cannot take (single bits and the like): the series then
  // gathers the definition word itself as a D word.
  bool supported = true;
};

// Decodes M-variable `number`'s definition for a controller of the given type code: types 1
// and 2 keep format and address in the Y word at M base + number, types 3 to 6 the address in
// that Y word and the format in the X word. A word that could not be read is nothing.
MVariableSource DecodeMVariableSource(int typeCode, int number, int mBase,
                                      std::optional<std::uint32_t> yWord,
                                      std::optional<std::uint32_t> xWord);

inline constexpr std::string_view kUnsupportedMVariableText =
    "This M-Variable data type is not supported.  Only X, Y, D, and L data types are supported.";
inline constexpr std::string_view kUnsupportedMVariableTitle =
    "Unable to set data gathering address.";

// The lists of "Select Data Source": P, Q or M variables.
enum class SourceList : int { kP = 1, kQ = 2, kM = 3 };

// "Select Data Source" without its widgets: one line per variable number of one kind, with the
// user's name where there is one; taking a line makes that variable the current series' source.
class SelectSourcePresenter {
 public:
  SelectSourcePresenter(SeriesTable& table, const ControllerType& type,
                        const DefinitionTable& definitions, PmacLink& link,
                        platform::Desktop& desktop);

  const std::vector<std::string>& Lines() const { return lines_; }
  SourceList List() const { return list_; }
  int Selected() const { return selected_; }

  // "P-Variables", "Q-Variables" or "M-Variables".
  void ShowList(SourceList list);
  void SelectLine(int row);
  // OK or a double click: the selected variable becomes the current series' source. False when
  // nothing changed (no line selected, or the current series is not one of the user's).
  bool Accept();

 private:
  void Fill();

  SeriesTable& table_;
  const ControllerType& type_;
  const DefinitionTable& definitions_;
  PmacLink& link_;
  platform::Desktop& desktop_;
  SourceList list_ = SourceList::kP;
  std::vector<std::string> lines_;
  int selected_ = -1;
};

}  // namespace bl::series
