#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/fake/recording_canvas.h"

namespace bl::platform {

// A scripted desktop for core tests: message boxes are recorded and answered from a queue,
// file and colour choosers answer from queues, the clipboard is a string, the keyboard state is
// whatever the test sets.
class FakeDesktop final : public Desktop {
 public:
  struct Message {
    std::string text;
    std::string title;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
  };

  // Answers, used in order; an empty queue answers Ok (or Yes when there is no Ok button).
  std::deque<MessageAnswer> messageAnswers;
  std::deque<std::optional<std::string>> openFileAnswers;
  std::deque<std::optional<std::string>> saveFileAnswers;
  std::deque<std::optional<Rgb>> colorAnswers;
  bool printCancelled = false;
  bool openExternalSucceeds = true;
  PageMetrics printPage{2400, 3200, 203.2, 270.9};

  std::vector<Message> messages;
  std::vector<FileDialogRequest> fileRequests;
  std::vector<std::string> openedExternally;
  // Every page of every finished print job, in order.
  std::vector<std::unique_ptr<RecordingCanvas>> printedPages;
  // The document name of every print dialog asked for.
  std::vector<std::string> printDocuments;

  MessageAnswer ShowMessage(std::string_view text, std::string_view title, MessageButtons buttons,
                            MessageIcon icon) override;
  std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) override;
  std::optional<Rgb> ChooseColor(Rgb initial) override;
  std::unique_ptr<PrintJob> BeginPrint(std::string_view documentName) override;
  std::string ClipboardText() override { return clipboard_; }
  void SetClipboardText(std::string_view text) override { clipboard_ = std::string(text); }
  KeyState Keys() const override {
    std::lock_guard lock(keysMutex_);
    return keys_;
  }
  bool OpenExternal(std::string_view pathOrAddress) override;

  void SetKeys(KeyState keys) {
    std::lock_guard lock(keysMutex_);
    keys_ = keys;
  }
  const std::string& Clipboard() const { return clipboard_; }

 private:
  std::string clipboard_;
  mutable std::mutex keysMutex_;
  KeyState keys_;
};

}  // namespace bl::platform
