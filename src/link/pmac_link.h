#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "link/vendor_library.h"

namespace bl {

class DefinitionTable;
class Terminal;
namespace platform {
class Desktop;
class UiThread;
}  // namespace platform

// What PmacValue reads or writes.
enum class ValueKind : int {
  P = 1,
  Q = 2,
  M = 3,
  I = 4,
  XWord = 5,
  YWord = 6,
  XWordToo = 7,
  YWordToo = 8,
  XYPair = 9,  // 48-bit X:Y pair at one address, read only
};

// The direction of PmacValue: 0 and 2 read; 1 writes, then reads back; 3 writes only.
enum class AccessMode : int { Read = 0, WriteRead = 1, ReadToo = 2, Write = 3 };

// The PLC buffer table read by ReadPlcTable and ReadPlccTable: one entry per PLC 0..31.
struct PlcTable {
  std::array<std::int32_t, 32> start{};
  std::array<std::int32_t, 32> end{};
  std::array<std::uint8_t, 32> enabled{};
};

// A controller's double as an int: truncated toward zero, held at the int's limits rather than
// converted with undefined behaviour, 0 for not-a-number.
int TruncateToInt(double value);

inline constexpr std::string_view kNotConnectedReply = "Not Connected to a PMAC Device.\r";
// PmacValue's and the table readers' reply buffer.
inline constexpr int kValueReplySize = 255;

// The only road between the program and a controller. It binds a VendorLibrary at connection,
// keeps the number of the open device and offers the command/response exchange and the value
// reads and writes every other subsystem builds on.
//
// Threads: the user-interface thread and the monitor thread both call PmacCommand and PmacValue;
// one mutex is held for the length of each library call so that their exchanges never interleave.
// The echo (terminal lines) and the #define path are used from the user-interface thread only.
class PmacLink {
 public:
  PmacLink(Terminal& terminal, DefinitionTable& definitions, platform::Desktop& desktop,
           VendorLibraryLoader loader);
  ~PmacLink();
  PmacLink(const PmacLink&) = delete;
  PmacLink& operator=(const PmacLink&) = delete;

  // The open device 0..7, or -1 when no controller is connected.
  int PmacDevice() const { return device_.load(); }

  // Binds the library, lets the user choose a device and opens it. 0 when a device is open.
  // mainWindow is handed to the library's device choice as its parent.
  int LinkConnect(void* mainWindow = nullptr);
  // Closes the open device. -1 when none was open, else 0. Waits for an exchange under way.
  int LinkDisconnect();
  // The choice of an offline controller type: no device from now on.
  void ForgetDevice() { device_ = -1; }

  // One command line out, the reply back (at most responseSize - 1 characters). Comments are
  // stripped and defined names replaced first; a "#define" line goes into the definition table
  // and is not sent (the response is then empty). With echo, the command and each reply line are
  // shown in the terminal. Always returns 0.
  int PmacCommand(std::string& response, int responseSize, std::string_view command, bool echo);

  // Reads or writes one variable or memory word. 0 on success; -1 when not connected, when the
  // reply does not give a number (value unchanged), for an unknown kind, or for a write of the
  // read-only kind 9 (nothing is sent).
  int PmacValue(ValueKind kind, int number, double& value, AccessMode mode);

  // The PLC buffer table (Y memory) and the compiled PLC table (P memory) of a controller of the
  // given type code 1..6. -1 when not connected, for an unknown type, or when a reply gives no
  // number (the table is then left cleared).
  int ReadPlcTable(int typeCode, PlcTable& table);
  int ReadPlccTable(int typeCode, PlcTable& table);

  // The library's bootstrap query for the open device (false when none is open).
  bool InBootStrapMode();

  // Downloads a file through the library (the progress meter's task 1) with the four flags set.
  // Returns when done with the library's result (1 for a download without an error), or -1
  // when no device is open. One download at a time; the link is not held for the whole file, so
  // other threads' exchanges take turns with its lines.
  int Download(const std::string& path, const VendorLibrary::MessageCallback& message,
               const VendorLibrary::ProgressCallback& progress);
  // Stops the download in progress (from its callbacks or from another thread).
  void AbortDownload();

  // Sends a command straight to the library, without cleaning, substitution or echo (the
  // configuration backup's listings). The not-connected reply when no device is open. The reply
  // holds at most maxChars - 1 characters.
  std::string RawResponse(std::string_view command, std::size_t maxChars);

  // Called after a #define taken from a command line has been stored (the watch window shows
  // defined names and repaints).
  std::function<void()> onDefinitionStored;

  // What the user should know about the connection (lost, reconnected, why it could not be
  // opened) goes into the terminal, a problem in red. Exchanges on other threads (the monitor, a
  // download) hand their notices to the user-interface thread through `ui`; without it every
  // caller must be on that thread.
  void PostNoticesThrough(platform::UiThread* ui) { ui_ = ui; }

 private:
  // One library exchange under the link's lock; false when no device is open by then.
  bool Exchange(std::string_view command, std::size_t maxChars, std::string& reply);
  // Reads one word of Y or P memory ("RY:%d", "RP:%d") through PmacCommand, parsed with "%d".
  bool ReadWord(char memory, int address, int& word);
  void EchoReply(std::string_view response, int responseSize);
  void Tell(const std::vector<LinkNotice>& notices);

  Terminal& terminal_;
  DefinitionTable& definitions_;
  platform::Desktop& desktop_;
  platform::UiThread* ui_ = nullptr;
  VendorLibraryLoader loader_;
  // Guarded by exchange_; shared with a download under way, which holds it without the lock.
  std::shared_ptr<VendorLibrary> library_;
  std::atomic<int> device_{-1};
  // The library and device of the download under way, for AbortDownload.
  std::mutex downloadMutex_;                    // one download at a time
  std::shared_ptr<VendorLibrary> downloading_;  // guarded by exchange_
  int downloadingDevice_ = -1;                  // guarded by exchange_
  mutable std::mutex exchange_;
};

}  // namespace bl
