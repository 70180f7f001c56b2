#pragma once

#include <array>
#include <string>
#include <string_view>

#include "editor/editor_state.h"
#include "editor/print_layout.h"

namespace bl::platform {
class Desktop;
}

namespace bl::editor {

// The fields of "Print File", in the order they are laid out.
enum class PrintField {
  LeftMargin,
  RightMargin,
  TopMargin,
  BottomMargin,
  StartingLine,
  EndingLine,
  LinesPerPage
};
inline constexpr int kPrintFieldCount = 7;

inline constexpr std::string_view kPrintDocumentName = "Brightlantern Printout";

// How a printout ended.
enum class PrintOutcome { Printed, Cancelled, NoRoom, Failed };

// "Print File" and the printout after it, without widgets. Opening takes the range from the
// editor's selection and shows the settings as texts; "Print" reads them back, keeping the old
// value of a field it cannot read.
class PrintPresenter {
 public:
  PrintPresenter(EditorState& editor, PrintSettings& settings, platform::Desktop& desktop);

  static std::string_view Label(PrintField field);

  // The range becomes the selection's lines (0..0 without one); the fields show the settings.
  void Open();

  const std::string& Field(PrintField field) const { return fields_[Index(field)]; }
  void SetField(PrintField field, std::string_view text);

  // "Print": every field back into the settings.
  void Accept();

  // Prints the editor's text with the settings: the system's print dialog, the pages, and a
  // closing message in every case.
  PrintOutcome Print();

 private:
  static std::size_t Index(PrintField f) { return static_cast<std::size_t>(f); }
  double* Margin(PrintField field) const;
  int* Number(PrintField field) const;
  void ReportNoRoom();

  EditorState& s_;
  PrintSettings& settings_;
  platform::Desktop& desktop_;
  std::array<std::string, kPrintFieldCount> fields_;
};

}  // namespace bl::editor
