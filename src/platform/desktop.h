#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/canvas.h"
#include "platform/geometry.h"

namespace bl::platform {

enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageAnswer { Ok, Cancel, Yes, No, Retry };

struct FileFilter {
  std::string description;  // "PMAC Program Files (*.pmc)"
  std::string pattern;      // "*.pmc"; several patterns separated by ';'
};

struct FileDialogRequest {
  std::string title;
  std::vector<FileFilter> filters;
  std::string defaultExtension;  // without the dot; appended when the user types none
  std::string initialPath;       // folder or file
  // Save dialogs only: whether the dialog itself asks before an existing file is chosen. Off
  // where the caller asks its own question.
  bool askToOverwrite = true;
};

// What the keyboard holds down at this moment (not taken from key messages).
struct KeyState {
  bool escape = false;
  bool shift = false;
  bool control = false;
};

struct PageMetrics {
  int widthPx = 0;
  int heightPx = 0;
  double widthMm = 0;
  double heightMm = 0;
};

// One print job: pages are drawn one after another on the canvas BeginPage returns. Nothing
// reaches the printer before the first page begins: a job dropped before that, or finished
// without pages, prints nothing.
class PrintJob {
 public:
  virtual ~PrintJob() = default;
  virtual PageMetrics Page() const = 0;
  // The width in page pixels of text in a font chosen by height (as Canvas::SetFontByHeight),
  // known before any page begins.
  virtual int TextWidth(std::string_view text, int fontHeightPx, bool fixedPitch) const = 0;
  virtual Canvas& BeginPage() = 0;
  virtual void EndPage() = 0;
  // Ends the document; false when the output could not be completed.
  virtual bool Finish() = 0;
};

// The desktop services a subsystem may use: modal messages, file and colour choosers, printing,
// the clipboard, the keyboard state and the default application for documents and web addresses.
class Desktop {
 public:
  virtual ~Desktop() = default;

  virtual MessageAnswer ShowMessage(std::string_view text, std::string_view title,
                                    MessageButtons buttons = MessageButtons::Ok,
                                    MessageIcon icon = MessageIcon::None) = 0;

  // The chosen path, or nothing when the user cancelled.
  virtual std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) = 0;
  virtual std::optional<Rgb> ChooseColor(Rgb initial) = 0;

  // Asks for a printer (PDF output is always offered); nothing when the user cancelled.
  virtual std::unique_ptr<PrintJob> BeginPrint(std::string_view documentName) = 0;

  virtual std::string ClipboardText() = 0;
  virtual void SetClipboardText(std::string_view text) = 0;

  // Safe to call from any thread.
  virtual KeyState Keys() const = 0;

  // Opens a local document or a web address in the default application; false on failure.
  virtual bool OpenExternal(std::string_view pathOrAddress) = 0;
};

}  // namespace bl::platform
