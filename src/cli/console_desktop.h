#pragma once

#include <ostream>

#include "platform/desktop.h"

namespace bl::cli {

// The desktop of a program without windows: a message box becomes a line on the error stream,
// and a question is answered so that nothing changes; choosers and printing are refused.
class ConsoleDesktop final : public platform::Desktop {
 public:
  explicit ConsoleDesktop(std::ostream& err) : err_(err) {}

  platform::MessageAnswer ShowMessage(std::string_view text, std::string_view title,
                                      platform::MessageButtons buttons,
                                      platform::MessageIcon icon) override;
  std::optional<std::string> ChooseOpenFile(const platform::FileDialogRequest&) override {
    return std::nullopt;
  }
  std::optional<std::string> ChooseSaveFile(const platform::FileDialogRequest&) override {
    return std::nullopt;
  }
  std::optional<platform::Rgb> ChooseColor(platform::Rgb) override { return std::nullopt; }
  std::unique_ptr<platform::PrintJob> BeginPrint(std::string_view) override { return nullptr; }
  std::string ClipboardText() override { return clipboard_; }
  void SetClipboardText(std::string_view text) override { clipboard_ = text; }
  platform::KeyState Keys() const override { return {}; }
  bool OpenExternal(std::string_view) override { return false; }

 private:
  std::ostream& err_;
  std::string clipboard_;
};

}  // namespace bl::cli
