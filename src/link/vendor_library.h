#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace bl {

// A library offers devices 0..7.
inline constexpr int kDeviceCount = 8;
inline constexpr bool IsDevice(int device) { return device >= 0 && device < kDeviceCount; }

// Something the user should know about a device's connection: that it was lost (and why), that
// reconnecting failed, or that it was restored.
struct LinkNotice {
  std::string text;
  bool problem = true;
};

// The controller vendor's communication library as the program uses it: eight entry points with
// the meaning the program relies on. Implemented by the built-in library (virtual controller,
// Ethernet, serial) and by a binding to a dynamic library that exports the eight names.
class VendorLibrary {
 public:
  // A text line from the download, and the download's progress in percent (0..100).
  using MessageCallback = std::function<void(std::string_view text)>;
  using ProgressCallback = std::function<void(int percent)>;

  virtual ~VendorLibrary() = default;

  // Shows the library's device choice; a number outside 0..7 means nothing was chosen.
  virtual int PmacSelect(void* parentWindow) = 0;
  // True when the device is open and ready for commands.
  virtual bool OpenPmacDevice(int device) = 0;
  virtual bool ClosePmacDevice(int device) = 0;
  // Sends one command line; the reply as NUL-free text of at most maxChars - 1 characters, each
  // reply line ended by a carriage return, an acknowledge character (6) after the last.
  virtual std::string PmacGetResponseA(int device, std::string_view command,
                                       std::size_t maxChars) = 0;
  // Present for the binding; the program never calls it.
  virtual double PmacGetVariableDouble(int device, char type, int number, double fallback) = 0;
  // Processes and downloads a program file; reports progress and one text line at a time while
  // it works, and returns when done. The callbacks run on the calling thread, inside this call.
  // The four flags are each 1 in every call of the program.
  virtual int PmacDownloadA(int device, const MessageCallback& message,
                            const ProgressCallback& progress, const std::string& path, int macro,
                            int map, int log, int download) = 0;
  // Stops the download in progress; called from inside the progress callback.
  virtual void PmacAbortDownload(int device) = 0;
  virtual bool PmacInBootStrapMode(int device) = 0;

  // Beyond the eight entry points, for libraries that can tell (a vendor's library cannot):
  // why the last OpenPmacDevice failed, and what happened to the device's connection since the
  // last call, oldest first.
  virtual std::string LastError() const { return {}; }
  virtual std::vector<LinkNotice> TakeNotices(int /*device*/) { return {}; }
};

// Loading a library: what LinkConnect reports when it fails.
struct LibraryLoad {
  enum class Status { Loaded, NotFound, MissingEntryPoint };
  Status status = Status::NotFound;
  std::unique_ptr<VendorLibrary> library;  // set when Loaded
};

// Loads (again) the library a connection uses. Every LinkConnect calls it once.
using VendorLibraryLoader = std::function<LibraryLoad()>;

}  // namespace bl
