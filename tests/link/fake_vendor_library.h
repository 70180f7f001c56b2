#pragma once

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "definitions/definition_table.h"
#include "link/pmac_link.h"
#include "link/vendor_library.h"
#include "platform/fake/fake_desktop.h"
#include "terminal_lines/terminal_lines.h"

namespace bl::test {

// What a scripted library answers and what it was asked, shared between the test and the
// library objects the link loads (and unloads) on each connection.
struct FakeVendorState {
  int selection = 0;
  bool opens = true;
  bool bootstrap = false;
  // Replies in order; when they run out, the responder answers (or "\r\x06").
  std::deque<std::string> replies;
  std::function<std::string(const std::string& command)> responder;
  bool recordCommands = true;

  // Download script: before progress step i, message i (when there is one).
  std::vector<int> progressSteps{25, 50, 75, 100};
  std::vector<std::string> downloadMessages;

  std::mutex mutex;  // guards what follows
  std::vector<std::string> commands;
  std::vector<std::size_t> replySizes;
  std::vector<int> closed;
  std::string downloadedPath;
  std::vector<int> downloadFlags;
  std::thread::id downloadThread;
  int progressCalls = 0;

  std::atomic<int> aborts{0};
  std::atomic<int> unloaded{0};
  // Calls that began while another was still inside the library, and calls after a close.
  std::atomic<int> active{0};
  std::atomic<int> overlaps{0};
  std::atomic<bool> isClosed{false};
  std::atomic<int> callsAfterClose{0};

  std::vector<std::string> Commands() {
    std::lock_guard lock(mutex);
    return commands;
  }
};

class FakeVendorLibrary final : public VendorLibrary {
 public:
  explicit FakeVendorLibrary(std::shared_ptr<FakeVendorState> state) : s_(std::move(state)) {}
  ~FakeVendorLibrary() override { ++s_->unloaded; }

  int PmacSelect(void*) override { return s_->selection; }
  bool OpenPmacDevice(int) override { return s_->opens; }
  bool ClosePmacDevice(int device) override {
    Enter();
    {
      std::lock_guard lock(s_->mutex);
      s_->closed.push_back(device);
    }
    s_->isClosed = true;
    Leave();
    return true;
  }
  std::string PmacGetResponseA(int, std::string_view command, std::size_t maxChars) override {
    Enter();
    std::string reply = "\r\x06";
    {
      std::lock_guard lock(s_->mutex);
      if (s_->recordCommands) {
        s_->commands.emplace_back(command);
        s_->replySizes.push_back(maxChars);
      }
      if (!s_->replies.empty()) {
        reply = s_->replies.front();
        s_->replies.pop_front();
      } else if (s_->responder) {
        reply = s_->responder(std::string(command));
      }
    }
    // Widens the window in which an unserialised second caller would walk in.
    for (int i = 0; i < 20; ++i) std::this_thread::yield();
    Leave();
    // Deliberately not cut to maxChars: the link must bound what a library returns.
    return reply;
  }
  double PmacGetVariableDouble(int, char, int, double fallback) override { return fallback; }
  int PmacDownloadA(int, const MessageCallback& message, const ProgressCallback& progress,
                    const std::string& path, int macro, int map, int log, int download) override {
    Enter();
    {
      std::lock_guard lock(s_->mutex);
      s_->downloadedPath = path;
      s_->downloadFlags = {macro, map, log, download};
      s_->downloadThread = std::this_thread::get_id();
    }
    aborted_ = false;
    for (std::size_t i = 0; i < s_->progressSteps.size() && !aborted_; ++i) {
      if (i < s_->downloadMessages.size()) message(s_->downloadMessages[i]);
      {
        std::lock_guard lock(s_->mutex);
        ++s_->progressCalls;
      }
      progress(s_->progressSteps[i]);
    }
    Leave();
    return 1;
  }
  // Called from inside the progress callback, while the download is "inside" the library.
  void PmacAbortDownload(int) override {
    ++s_->aborts;
    aborted_ = true;
  }
  bool PmacInBootStrapMode(int) override { return s_->bootstrap; }

 private:
  void Enter() {
    if (s_->active.fetch_add(1) != 0) ++s_->overlaps;
    if (s_->isClosed) ++s_->callsAfterClose;
  }
  void Leave() { s_->active.fetch_sub(1); }

  std::shared_ptr<FakeVendorState> s_;
  std::atomic<bool> aborted_{false};
};

inline VendorLibraryLoader FakeLoader(std::shared_ptr<FakeVendorState> state) {
  return [state] {
    LibraryLoad load;
    load.status = LibraryLoad::Status::Loaded;
    load.library = std::make_unique<FakeVendorLibrary>(state);
    return load;
  };
}

// A link over the scripted library with a fresh terminal, definition table and desktop.
struct LinkFixture {
  Terminal terminal;
  DefinitionTable definitions;
  platform::FakeDesktop desktop;
  std::shared_ptr<FakeVendorState> state = std::make_shared<FakeVendorState>();
  PmacLink link{terminal, definitions, desktop, FakeLoader(state)};

  void Connect(int device = 0) {
    state->selection = device;
    link.LinkConnect();
    desktop.messages.clear();
  }

  // The newest count terminal lines as (text, colour), oldest first.
  std::vector<std::pair<std::string, int>> Last(int count) const {
    std::vector<std::pair<std::string, int>> out;
    for (int i = count - 1; i >= 0; --i)
      out.emplace_back(terminal.Line(i).text, terminal.Line(i).color);
    return out;
  }
};

}  // namespace bl::test
