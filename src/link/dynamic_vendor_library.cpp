#include "link/dynamic_vendor_library.h"

#include <dlfcn.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/text_format.h"

namespace bl {

namespace {

// Longest download message passed on; the progress meter shows only lines below 100 characters.
constexpr std::size_t kMaxMessageChars = 255;

struct EntryPoints {
  PmacSelectProc select = nullptr;
  OpenPmacDeviceProc open = nullptr;
  ClosePmacDeviceProc close = nullptr;
  PmacGetResponseAProc getResponse = nullptr;
  PmacGetVariableDoubleProc getVariableDouble = nullptr;
  PmacDownloadAProc download = nullptr;
  PmacAbortDownloadProc abortDownload = nullptr;
  PmacInBootStrapModeProc inBootStrapMode = nullptr;
};

// The library's download callbacks carry no user data, so the callbacks of the download under
// way are found through this thread's slot. The library calls them on the thread that called
// PmacDownloadA; any other thread finds no download and is ignored.
struct DownloadCallbacks {
  const VendorLibrary::MessageCallback* message = nullptr;
  const VendorLibrary::ProgressCallback* progress = nullptr;
};
thread_local DownloadCallbacks tDownload;

int MessageTrampoline(const char* text, int) {
  if (tDownload.message != nullptr && *tDownload.message && text != nullptr) {
    (*tDownload.message)(std::string_view(text, platform::BoundedLength(text, kMaxMessageChars)));
  }
  return 0;
}

void ProgressTrampoline(int percent) {
  if (tDownload.progress != nullptr && *tDownload.progress) (*tDownload.progress)(percent);
}

class DynamicVendorLibrary final : public VendorLibrary {
 public:
  DynamicVendorLibrary(void* handle, const EntryPoints& entry) : handle_(handle), entry_(entry) {}
  ~DynamicVendorLibrary() override { dlclose(handle_); }

  int PmacSelect(void* parentWindow) override { return entry_.select(parentWindow); }
  bool OpenPmacDevice(int device) override { return entry_.open(device) != 0; }
  bool ClosePmacDevice(int device) override { return entry_.close(device) != 0; }

  std::string PmacGetResponseA(int device, std::string_view command,
                               std::size_t maxChars) override {
    if (maxChars == 0) return {};
    maxChars = std::min<std::size_t>(maxChars, INT_MAX);
    // One spare byte, so a library that fills the whole buffer still leaves a terminator.
    std::vector<char> buffer(maxChars + 1, '\0');
    const std::string text(command);
    entry_.getResponse(device, buffer.data(), static_cast<int>(maxChars), text.c_str());
    return std::string(buffer.data(), platform::BoundedLength(buffer.data(), maxChars - 1));
  }

  double PmacGetVariableDouble(int device, char type, int number, double fallback) override {
    return entry_.getVariableDouble(device, type, number, fallback);
  }

  int PmacDownloadA(int device, const MessageCallback& message, const ProgressCallback& progress,
                    const std::string& path, int macro, int map, int log, int download) override {
    const DownloadCallbacks outer = tDownload;
    tDownload = {&message, &progress};
    const int result = entry_.download(device, &MessageTrampoline, nullptr, &ProgressTrampoline,
                                       path.c_str(), macro, map, log, download);
    tDownload = outer;
    return result;
  }

  void PmacAbortDownload(int device) override { entry_.abortDownload(device); }
  bool PmacInBootStrapMode(int device) override { return entry_.inBootStrapMode(device) != 0; }

 private:
  void* handle_;
  EntryPoints entry_;
};

template <typename Proc>
bool Bind(void* handle, const char* name, Proc& slot) {
  slot = reinterpret_cast<Proc>(dlsym(handle, name));
  return slot != nullptr;
}

}  // namespace

LibraryLoad LoadDynamicVendorLibrary(const std::string& folder) {
  void* handle = nullptr;
  for (const char* name : kVendorLibraryNames) {
    const std::string path = folder.empty() ? std::string(name) : folder + "/" + name;
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle != nullptr) break;
  }
  LibraryLoad load;
  if (handle == nullptr) {
    load.status = LibraryLoad::Status::NotFound;
    return load;
  }

  EntryPoints entry;
  // In the order of the entry table; && stops at the first one missing.
  const bool all = Bind(handle, "PmacSelect", entry.select) &&
                   Bind(handle, "OpenPmacDevice", entry.open) &&
                   Bind(handle, "ClosePmacDevice", entry.close) &&
                   Bind(handle, "PmacGetResponseA", entry.getResponse) &&
                   Bind(handle, "PmacGetVariableDouble", entry.getVariableDouble) &&
                   Bind(handle, "PmacDownloadA", entry.download) &&
                   Bind(handle, "PmacAbortDownload", entry.abortDownload) &&
                   Bind(handle, "PmacInBootStrapMode", entry.inBootStrapMode);
  if (!all) {
    dlclose(handle);
    load.status = LibraryLoad::Status::MissingEntryPoint;
    return load;
  }
  load.status = LibraryLoad::Status::Loaded;
  load.library = std::make_unique<DynamicVendorLibrary>(handle, entry);
  return load;
}

VendorLibraryLoader DynamicVendorLibraryLoader(std::string folder) {
  return [folder = std::move(folder)] { return LoadDynamicVendorLibrary(folder); };
}

}  // namespace bl
