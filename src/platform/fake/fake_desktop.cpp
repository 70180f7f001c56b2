#include "platform/fake/fake_desktop.h"

namespace bl::platform {

namespace {

class FakePrintJob final : public PrintJob {
 public:
  FakePrintJob(FakeDesktop& desktop, PageMetrics page) : desktop_(desktop), page_(page) {}
  PageMetrics Page() const override { return page_; }
  int TextWidth(std::string_view text, int fontHeightPx, bool) const override {
    return RecordingCanvas::TextWidthAt(text, fontHeightPx);
  }
  Canvas& BeginPage() override {
    pages_.push_back(std::make_unique<RecordingCanvas>(Size{page_.widthPx, page_.heightPx}));
    return *pages_.back();
  }
  void EndPage() override {}
  bool Finish() override {
    for (auto& p : pages_) desktop_.printedPages.push_back(std::move(p));
    pages_.clear();
    return true;
  }

 private:
  FakeDesktop& desktop_;
  PageMetrics page_;
  std::vector<std::unique_ptr<RecordingCanvas>> pages_;
};

template <typename T>
std::optional<T> PopAnswer(std::deque<std::optional<T>>& queue) {
  if (queue.empty()) return std::nullopt;
  auto answer = queue.front();
  queue.pop_front();
  return answer;
}

}  // namespace

MessageAnswer FakeDesktop::ShowMessage(std::string_view text, std::string_view title,
                                       MessageButtons buttons, MessageIcon icon) {
  messages.push_back({std::string(text), std::string(title), buttons, icon});
  if (!messageAnswers.empty()) {
    const MessageAnswer a = messageAnswers.front();
    messageAnswers.pop_front();
    return a;
  }
  switch (buttons) {
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
      return MessageAnswer::Yes;
    case MessageButtons::RetryCancel:
      return MessageAnswer::Retry;
    default:
      return MessageAnswer::Ok;
  }
}

std::optional<std::string> FakeDesktop::ChooseOpenFile(const FileDialogRequest& request) {
  fileRequests.push_back(request);
  return PopAnswer(openFileAnswers);
}

std::optional<std::string> FakeDesktop::ChooseSaveFile(const FileDialogRequest& request) {
  fileRequests.push_back(request);
  return PopAnswer(saveFileAnswers);
}

std::optional<Rgb> FakeDesktop::ChooseColor(Rgb) { return PopAnswer(colorAnswers); }

std::unique_ptr<PrintJob> FakeDesktop::BeginPrint(std::string_view documentName) {
  printDocuments.emplace_back(documentName);
  if (printCancelled) return nullptr;
  return std::make_unique<FakePrintJob>(*this, printPage);
}

bool FakeDesktop::OpenExternal(std::string_view pathOrAddress) {
  openedExternally.emplace_back(pathOrAddress);
  return openExternalSucceeds;
}

}  // namespace bl::platform
