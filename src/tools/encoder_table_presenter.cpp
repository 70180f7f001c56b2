#include "tools/encoder_table_presenter.h"

#include <algorithm>

#include "link/pmac_link.h"
#include "platform/desktop.h"
#include "platform/text_format.h"

namespace bl::tools {

EncoderTablePresenter::EncoderTablePresenter(PmacLink& link, platform::Desktop& desktop,
                                             int typeCode)
    : link_(link), desktop_(desktop), table_(typeCode >= 4 && typeCode <= 6) {}

void EncoderTablePresenter::Open() {
  int unread = 0;
  int firstUnread = -1;
  const bool connected = link_.PmacDevice() != -1;
  for (int i = 0; i < table_.LineCount(); ++i) {
    double value = 0;
    if (link_.PmacValue(ValueKind::YWord, table_.Address(i), value, AccessMode::Read) != 0) {
      table_.SetWord(i, 0);
      if (firstUnread < 0) firstUnread = i;
      ++unread;
      continue;
    }
    table_.SetWord(i, TruncateToInt(value));
  }
  selected_ = 0;
  // Without a controller the editor shows an empty table and OK writes nothing anyway.
  writable_ = connected && unread == 0;
  if (connected && unread > 0) {
    desktop_.ShowMessage(
        platform::Format("%d words of the encoder conversion table could not be read, the first "
                         "at Y:$%X. They are shown as 0, and \"OK\" will not write the table "
                         "back to the controller.",
                         unread, table_.Address(firstUnread)),
        kEctTitle, platform::MessageButtons::Ok, platform::MessageIcon::Warning);
  }
}

std::vector<std::string> EncoderTablePresenter::ListLines() const {
  std::vector<std::string> lines;
  lines.reserve(static_cast<std::size_t>(table_.LineCount()));
  for (int i = 0; i < table_.LineCount(); ++i) lines.push_back(table_.LineText(i));
  return lines;
}

void EncoderTablePresenter::SelectLine(int line) {
  selected_ = std::clamp(line, 0, table_.LastLine());
}

void EncoderTablePresenter::EditField(EctField field, std::string_view text) {
  table_.EditField(SelectedStart(), field, text);
}

void EncoderTablePresenter::SetBox(int box, bool checked) {
  table_.SetBox(SelectedStart(), box, checked);
}

void EncoderTablePresenter::ChooseType(int type) {
  const int start = SelectedStart();
  table_.ChangeType(start, type);
  selected_ = start;
}

void EncoderTablePresenter::InsertLine() {
  const int start = SelectedStart();
  table_.InsertLine(start);
  selected_ = start;
}

void EncoderTablePresenter::DeleteEntry() {
  const int start = SelectedStart();
  table_.DeleteEntry(start);
  selected_ = start;
}

int EncoderTablePresenter::Accept() {
  if (!writable_ || link_.PmacDevice() == -1) return -1;
  int failed = 0;
  for (int i = 0; i < table_.LineCount(); ++i) {
    double value = table_.Word(i);
    if (link_.PmacValue(ValueKind::YWord, table_.Address(i), value, AccessMode::Write) != 0)
      ++failed;
  }
  if (failed == 0) return 0;
  desktop_.ShowMessage(
      platform::Format("%d words of the encoder conversion table could not be written.", failed),
      kEctTitle, platform::MessageButtons::Ok, platform::MessageIcon::Warning);
  return -1;
}

}  // namespace bl::tools
