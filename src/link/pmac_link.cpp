#include "link/pmac_link.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

#include "definitions/clean_line.h"
#include "definitions/definition_table.h"
#include "link/value_reply.h"
#include "platform/desktop.h"
#include "platform/text_format.h"
#include "platform/ui_thread.h"
#include "protocol/wire.h"
#include "terminal_lines/control_key_names.h"
#include "terminal_lines/terminal_lines.h"

namespace bl {

namespace {

using protocol::kAck;
using protocol::kCr;
constexpr int kEchoBlankColor = 6;
constexpr int kEchoColor = 13;
constexpr int kReplyColor = 0;
constexpr std::size_t kMaxEchoReplyChars = 240;
constexpr std::string_view kCommandPrefix = "Command:  ";
constexpr std::string_view kErrorTitle = "Error connecting to PMAC!";
constexpr int kLow19Bits = 0x7FFFF;
constexpr int kPlcDisabledBit = 1 << 22;

// A C caller's text ends at its first NUL.
std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

// The base addresses of the two families of controller types, or nothing for an unknown type.
std::optional<int> BaseFor(int typeCode, int nonTurbo, int turbo) {
  if (typeCode >= 1 && typeCode <= 3) return nonTurbo;
  if (typeCode >= 4 && typeCode <= 6) return turbo;
  return std::nullopt;
}

// Empty for kind 9, which is read only, and for an unknown kind.
std::string WriteCommand(ValueKind kind, int number, double value) {
  switch (kind) {
    case ValueKind::P:
      return platform::Format("P%d=%lf", number, value);
    case ValueKind::Q:
      return platform::Format("Q%d=%lf", number, value);
    case ValueKind::M:
      return platform::Format("M%d=%lf", number, value);
    case ValueKind::I:
      return platform::Format("I%d=%lf", number, value);
    case ValueKind::XWord:
    case ValueKind::XWordToo:
      return platform::Format("WX:%d,%d", number, TruncateToInt(value));
    case ValueKind::YWord:
    case ValueKind::YWordToo:
      return platform::Format("WY:%d,%d", number, TruncateToInt(value));
    case ValueKind::XYPair:
      break;
  }
  return {};
}

}  // namespace

int TruncateToInt(double value) {
  if (std::isnan(value)) return 0;
  const double t = std::trunc(value);
  if (t <= static_cast<double>(std::numeric_limits<int>::min())) {
    return std::numeric_limits<int>::min();
  }
  if (t >= static_cast<double>(std::numeric_limits<int>::max())) {
    return std::numeric_limits<int>::max();
  }
  return static_cast<int>(t);
}

PmacLink::PmacLink(Terminal& terminal, DefinitionTable& definitions, platform::Desktop& desktop,
                   VendorLibraryLoader loader)
    : terminal_(terminal),
      definitions_(definitions),
      desktop_(desktop),
      loader_(std::move(loader)) {}

PmacLink::~PmacLink() = default;

int PmacLink::LinkConnect(void* mainWindow) {
  std::shared_ptr<VendorLibrary> previous;
  {
    std::lock_guard lock(exchange_);
    device_ = -1;
    previous = std::move(library_);
  }
  previous.reset();

  LibraryLoad load = loader_ ? loader_() : LibraryLoad{};
  if (load.status == LibraryLoad::Status::MissingEntryPoint) {
    load.library.reset();
    desktop_.ShowMessage("Unable to locate required functions within PMAC.DLL.", kErrorTitle);
    return -1;
  }
  if (load.status != LibraryLoad::Status::Loaded || !load.library) {
    desktop_.ShowMessage("Unable to locate either Pcomm32W or PComm32.DLL.", kErrorTitle);
    return -1;
  }

  // The library is not yet installed in the link, so nobody else can reach it while its device
  // choice is open.
  const int device = load.library->PmacSelect(mainWindow);
  if (!IsDevice(device)) return -1;  // the user chose nothing; the library unloads here
  if (!load.library->OpenPmacDevice(device)) {
    // The reason goes into the terminal first, so it is there to read beside the message box.
    if (std::string why = load.library->LastError(); !why.empty()) Tell({{std::move(why), true}});
    desktop_.ShowMessage("Unable to connect to the specified device.", kErrorTitle);
    return -1;
  }
  {
    std::lock_guard lock(exchange_);
    library_ = std::move(load.library);
    device_ = device;
  }
  desktop_.ShowMessage("The PMAC device was loaded successfully.", "Connected to PMAC!");
  return 0;
}

int PmacLink::LinkDisconnect() {
  std::lock_guard lock(exchange_);
  const int device = device_;
  if (!IsDevice(device)) return -1;
  if (library_) library_->ClosePmacDevice(device);
  device_ = -1;
  return 0;
}

bool PmacLink::Exchange(std::string_view command, std::size_t maxChars, std::string& reply) {
  std::vector<LinkNotice> notices;
  {
    std::lock_guard lock(exchange_);
    // Checked again under the lock: the other thread may have disconnected meanwhile.
    const int device = device_;
    if (!IsDevice(device) || !library_) return false;
    const std::size_t room = maxChars > 0 ? maxChars : 1;
    reply = library_->PmacGetResponseA(device, platform::Cut(command, kMaxCommandLength), room);
    reply.resize(UpToNul(reply).size());
    if (reply.size() > room - 1) reply.resize(room - 1);
    notices = library_->TakeNotices(device);
  }
  Tell(notices);
  return true;
}

void PmacLink::Tell(const std::vector<LinkNotice>& notices) {
  constexpr int kProblemColor = 5;
  constexpr int kRestoredColor = 13;
  for (const LinkNotice& notice : notices) {
    auto add = [this, notice] {
      terminal_.TerminalAddLine(notice.text, notice.problem ? kProblemColor : kRestoredColor);
    };
    if (ui_ != nullptr && !ui_->IsUiThread()) {
      ui_->Post(std::move(add));
    } else {
      add();
    }
  }
}

std::string PmacLink::RawResponse(std::string_view command, std::size_t maxChars) {
  std::string reply;
  if (!Exchange(UpToNul(command), maxChars, reply)) {
    reply.assign(platform::Cut(kNotConnectedReply, maxChars > 0 ? maxChars - 1 : 0));
  }
  return reply;
}

int PmacLink::PmacCommand(std::string& response, int responseSize, std::string_view command,
                          bool echo) {
  std::string working(platform::Cut(UpToNul(command), kMaxCommandLength));

  if (echo) {
    terminal_.TerminalAddLine("", kEchoBlankColor);
    std::string line(kCommandPrefix);
    const int code = working.size() == 1 ? static_cast<unsigned char>(working[0]) : 0;
    if (code >= 1 && code <= 26) {
      line += ControlKeyName(code);
    } else {
      line += working;
    }
    terminal_.TerminalAddLine(line, kEchoColor);
  }

  if (IsDefineLine(working)) {
    // A stale reply from an earlier exchange must not pass for the answer to this one.
    response.clear();
    if (definitions_.DefineLine(working, 0, terminal_) == 0 && onDefinitionStored) {
      onDefinitionStored();
    }
    return 0;
  }

  const std::string typed = working;
  CleanLine(working, false);
  definitions_.SubstituteNames(working);
  if (working != typed && echo) {
    terminal_.TerminalAddLine(std::string(kCommandPrefix) + working, kEchoColor);
  }

  const std::size_t size = responseSize > 0 ? static_cast<std::size_t>(responseSize) : 0;
  if (!Exchange(working, size, response)) {
    response.assign(platform::Cut(kNotConnectedReply, size > 0 ? size - 1 : 0));
  }

  if (echo) EchoReply(response, responseSize);
  return 0;
}

void PmacLink::EchoReply(std::string_view response, int responseSize) {
  int lineNumber = 1;
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < response.size() && static_cast<int>(i) < responseSize; ++i) {
    const char c = response[i];
    if (c == kAck) break;
    if (c != kCr) continue;
    const std::string_view text = response.substr(lineStart, i - lineStart);
    std::string line = platform::Format("Line%3d:  ", lineNumber++);
    line += platform::Cut(text, kMaxEchoReplyChars);
    terminal_.TerminalAddLine(line, kReplyColor);
    lineStart = i + 1;
  }
}

int PmacLink::PmacValue(ValueKind kind, int number, double& value, AccessMode mode) {
  if (PmacDevice() == -1) return -1;
  const std::string readCommand = ValueReadCommand(kind, number);
  if (readCommand.empty()) return -1;

  std::string reply;
  if (mode == AccessMode::WriteRead || mode == AccessMode::Write) {
    const std::string writeCommand = WriteCommand(kind, number, value);
    if (writeCommand.empty()) return -1;
    if (!Exchange(writeCommand, kValueReplySize, reply)) return -1;
    if (mode == AccessMode::Write) return 0;
  }
  if (!Exchange(readCommand, kValueReplySize, reply)) return -1;

  return ParseValueReply(kind, reply, value) ? 0 : -1;
}

bool PmacLink::ReadWord(char memory, int address, int& word) {
  std::string reply;
  const std::string command =
      memory == 'Y' ? platform::Format("RY:%d", address) : platform::Format("RP:%d", address);
  PmacCommand(reply, kValueReplySize, command, false);
  return platform::Scan(reply, kValueReplySize, "%d", &word) == 1;
}

int PmacLink::ReadPlcTable(int typeCode, PlcTable& table) {
  if (PmacDevice() == -1) return -1;
  table = PlcTable{};
  const std::optional<int> base = BaseFor(typeCode, 0xF00, 0x3100);
  if (!base) return -1;

  // Each PLC's buffer ends where the next word's address differs from the previous one.
  int previous = 0;
  if (!ReadWord('Y', *base - 1, previous)) return -1;
  for (std::size_t i = 0; i < table.start.size(); ++i) {
    int current = 0;
    if (!ReadWord('Y', *base + static_cast<int>(i), current)) {
      table = PlcTable{};
      return -1;
    }
    if ((current & kLow19Bits) != (previous & kLow19Bits)) {
      table.start[i] = previous & kLow19Bits;
      table.end[i] = current & kLow19Bits;
      table.enabled[i] = (current & kPlcDisabledBit) == 0 ? 1 : 0;
    }
    previous = current;
  }
  return 0;
}

int PmacLink::ReadPlccTable(int typeCode, PlcTable& table) {
  if (PmacDevice() == -1) return -1;
  table = PlcTable{};
  const std::optional<int> base = BaseFor(typeCode, 0x8000, 0x50000);
  if (!base) return -1;
  const int b = *base;
  const auto fail = [&table] {
    table = PlcTable{};
    return -1;
  };

  constexpr int kCount = 32;
  for (int i = 0; i < kCount; ++i) {
    int word = 0;
    if (!ReadWord('P', b + i, word)) return fail();
    if (word < 0) table.start[static_cast<std::size_t>(i)] = word & kLow19Bits;
  }
  int areaEnd = 0;
  if (!ReadWord('P', b + 97, areaEnd)) return fail();
  areaEnd &= kLow19Bits;

  for (int i = 0; i < kCount; ++i) {
    const auto ui = static_cast<std::size_t>(i);
    if (table.start[ui] == 0) continue;
    table.end[ui] = areaEnd - 1;
    for (int j = i + 1; j < kCount; ++j) {
      if (table.start[static_cast<std::size_t>(j)] != 0) {
        table.end[ui] = table.start[static_cast<std::size_t>(j)] - 1;
        break;
      }
    }
  }

  for (int i = 0; i < kCount; ++i) {
    const auto ui = static_cast<std::size_t>(i);
    if (table.start[ui] >= table.end[ui]) continue;
    int word = 0;
    if (!ReadWord('P', b + 33 + 2 * i, word)) return fail();
    table.enabled[ui] = (word == b + 34 + 2 * i || word == b + 96) ? 0 : 1;
  }
  return 0;
}

bool PmacLink::InBootStrapMode() {
  std::lock_guard lock(exchange_);
  const int device = device_;
  if (!IsDevice(device) || !library_) return false;
  return library_->PmacInBootStrapMode(device);
}

int PmacLink::Download(const std::string& path, const VendorLibrary::MessageCallback& message,
                       const VendorLibrary::ProgressCallback& progress) {
  std::lock_guard one(downloadMutex_);
  std::shared_ptr<VendorLibrary> library;
  int device = -1;
  {
    std::lock_guard lock(exchange_);
    device = device_;
    if (!IsDevice(device) || !library_) return -1;
    library = library_;
    downloading_ = library;
    downloadingDevice_ = device;
  }
  // The library takes each line's exchange in turn with the other threads' exchanges; the
  // shared pointer keeps it loaded should the user connect elsewhere meanwhile.
  const int result = library->PmacDownloadA(device, message, progress, path, 1, 1, 1, 1);
  {
    std::lock_guard lock(exchange_);
    downloading_.reset();
    downloadingDevice_ = -1;
  }
  Tell(library->TakeNotices(device));
  return result;
}

void PmacLink::AbortDownload() {
  std::shared_ptr<VendorLibrary> library;
  int device = -1;
  {
    std::lock_guard lock(exchange_);
    library = downloading_;
    device = downloadingDevice_;
  }
  if (library) library->PmacAbortDownload(device);
}

}  // namespace bl
