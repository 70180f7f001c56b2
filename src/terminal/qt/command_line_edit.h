#pragma once

#include <QLineEdit>

namespace bl {

class CommandLine;

// The terminal's one-line text entry: Enter, Up, Down and the control characters go to the
// command line's handler before the entry's own behaviour; Ctrl-H stays a backspace.
class CommandLineEdit : public QLineEdit {
 public:
  CommandLineEdit(CommandLine& commandLine, QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;

 private:
  CommandLine& commandLine_;
};

}  // namespace bl
