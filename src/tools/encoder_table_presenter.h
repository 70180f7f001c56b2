#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/encoder_table.h"

namespace bl {
class PmacLink;
namespace platform {
class Desktop;
}

namespace tools {

inline constexpr char kEctTitle[] = "PMAC Encoder Conversion Table Editor";

// "PMAC Encoder Conversion Table Editor": the table read at opening, the selected line, the
// group's edits, and the table written back on "OK".
class EncoderTablePresenter {
 public:
  // Turbo for type codes 4..6; every other code has the non-Turbo table.
  EncoderTablePresenter(PmacLink& link, platform::Desktop& desktop, int typeCode);

  // Reads the whole table. A word the connected controller does not answer with a number is
  // shown as 0, but then the table is not written back, so that a table the editor never saw
  // is not overwritten with zeros; the user is told once.
  void Open();

  const EctTable& Table() const { return table_; }
  bool Writable() const { return writable_; }
  int Selected() const { return selected_; }
  std::vector<std::string> ListLines() const;
  // The group for the entry that holds the selected line.
  EctPanel Panel() const { return table_.Panel(SelectedStart()); }
  int SelectedStart() const { return table_.EntryStart(selected_); }

  void SelectLine(int line);
  void EditField(EctField field, std::string_view text);
  void SetBox(int box, bool checked);
  void ChooseType(int type);
  void InsertLine();
  void DeleteEntry();

  // "OK": writes every word back. 0 when the table was written; -1 when it was not (no
  // controller, a table that could not be read, or a write the link refused).
  int Accept();

 private:
  PmacLink& link_;
  platform::Desktop& desktop_;
  EctTable table_;
  int selected_ = 0;
  bool writable_ = true;
};

}  // namespace tools
}  // namespace bl
