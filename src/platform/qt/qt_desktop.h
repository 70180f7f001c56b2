#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>

#include "platform/desktop.h"

class QWidget;

namespace bl::platform {

// Desktop services through Qt: QMessageBox, QFileDialog, QColorDialog, QPrintDialog with PDF
// output, the system clipboard and QDesktopServices. The keyboard state is tracked by an
// application-wide event filter so that any thread may ask whether ESC is down right now.
class QtDesktop final : public QObject, public Desktop {
 public:
  QtDesktop();
  ~QtDesktop() override;

  // The window that owns message boxes and dialogs (the main window); the active window when
  // none is set, and again once the owner is destroyed (the desktop outlives the main window).
  void SetOwner(QWidget* owner) { owner_ = owner; }

  MessageAnswer ShowMessage(std::string_view text, std::string_view title, MessageButtons buttons,
                            MessageIcon icon) override;
  std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) override;
  std::optional<Rgb> ChooseColor(Rgb initial) override;
  std::unique_ptr<PrintJob> BeginPrint(std::string_view documentName) override;
  std::string ClipboardText() override;
  void SetClipboardText(std::string_view text) override;
  KeyState Keys() const override;
  bool OpenExternal(std::string_view pathOrAddress) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* Owner() const;

  QPointer<QWidget> owner_;  // null again when the window is destroyed
  std::atomic<bool> escape_{false};
  std::atomic<bool> shift_{false};
  std::atomic<bool> control_{false};
};

}  // namespace bl::platform
