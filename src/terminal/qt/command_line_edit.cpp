#include "terminal/qt/command_line_edit.h"

#include <QKeyEvent>

#include "platform/qt/qt_fonts.h"
#include "terminal/command_line.h"

namespace bl {

namespace {

CommandKey ToCommandKey(const QKeyEvent& event) {
  const int key = event.key();
  const bool control = event.modifiers().testFlag(Qt::ControlModifier);
  if (control && key >= Qt::Key_A && key <= Qt::Key_Z)
    return {CommandKey::Kind::Control, key - Qt::Key_A + 1};
  if (key == Qt::Key_Return || key == Qt::Key_Enter) return {CommandKey::Kind::Enter, 13};
  if (key == Qt::Key_Up) return {CommandKey::Kind::Up, 0};
  if (key == Qt::Key_Down) return {CommandKey::Kind::Down, 0};
  return {};
}

}  // namespace

CommandLineEdit::CommandLineEdit(CommandLine& commandLine, QWidget* parent)
    : QLineEdit(parent), commandLine_(commandLine) {
  setMaxLength(static_cast<int>(CommandLine::kMaxText));
  setFont(platform::MakeQtFont(platform::FontId::Fixed));
  // A command goes to the controller one byte per character: what is typed or pasted beyond
  // Latin-1 is dropped rather than sent as '?'.
  connect(this, &QLineEdit::textEdited, this, [this](const QString& edited) {
    const QString kept = platform::Latin1Only(edited);
    if (kept.size() == edited.size()) return;
    const int removedBeforeCursor =
        static_cast<int>(cursorPosition() - platform::Latin1Only(edited.left(cursorPosition())).size());
    const int cursor = cursorPosition() - removedBeforeCursor;
    setText(kept);
    setCursorPosition(cursor);
  });
}

bool CommandLineEdit::event(QEvent* event) {
  // Control keys that Qt would take as shortcuts (Ctrl-C, Ctrl-V, Ctrl-Z ...) are the
  // controller's here.
  if (event->type() == QEvent::ShortcutOverride) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (ToCommandKey(*key).kind != CommandKey::Kind::Other) {
      event->accept();
      return true;
    }
  }
  return QLineEdit::event(event);
}

void CommandLineEdit::keyPressEvent(QKeyEvent* event) {
  const CommandKey key = ToCommandKey(*event);
  if (key.kind == CommandKey::Kind::Control && key.code == 8) {
    backspace();
    event->accept();
    return;
  }
  const CommandKeyResult result = commandLine_.HandleKey(key, platform::FromQt(text()));
  if (result.newText) {
    setText(platform::ToQt(*result.newText));
    end(false);
  }
  if (result.consumed) {
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

}  // namespace bl
