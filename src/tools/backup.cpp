#include "tools/backup.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "link/pmac_link.h"
#include "platform/text_format.h"
#include "tools/backup_replies.h"

namespace bl::tools {

namespace {

// Listings and variable ranges are read into the program's large text area, memory words and
// single answers into a short reply.
constexpr std::size_t kLongReply = 499999;
constexpr std::size_t kShortReply = 255;
constexpr int kDirectoryEntries = 256;
constexpr int kPlcCount = 32;
// The compiled-PLC table's words (starts, enable words, the end of the compiled area) and the
// memory the compiled code may occupy from the table on.
constexpr int kPlccTableWords = 98;
constexpr int kPlccMemoryWords = 0x10000;
// The most coordinate systems a Turbo controller has, whatever I68 says.
constexpr int kMaxTurboSystems = 16;

constexpr std::array<std::string_view, 16> kStepTexts = {
    " ",
    "Opening Backup File",
    "Backing up P-Variables",
    "Backing up Q-Variables",
    "Backing up M-Variables",
    "Backing up I-Variables",
    "Backing up Motion Programs",
    "Backing up PLCs",
    "Backing up PLCCs",
    "Backing up User-Written Routines",
    "Backing up Coordinate Systems",
    "Backing up Compensation Tables",
    "Backing up Non-Turbo Encoder Conversion Tables",
    "Backing up MACRO Variables",
    "Backing up Option 16 Memory Addresses",
    "Closing Backup File",
};

bool IsNonTurbo(int typeCode) { return typeCode >= 1 && typeCode <= 3; }
bool IsTurbo(int typeCode) { return typeCode >= 4 && typeCode <= 6; }

std::string Raw(PmacLink& link, const std::string& command, std::size_t size) {
  return link.RawResponse(command, size);
}

// "P%d=" lines and the like: one line per value of the range query, numbered from 0.
void RangeLines(PmacLink& link, const BackupTarget& target, const char* query, const char* line,
                std::string& out) {
  const int count = std::max(target.variableCount, 0);
  if (count == 0) return;
  const std::string reply = Raw(link, platform::Format(query, count - 1), kLongReply);
  int k = 0;
  for (std::string_view value : RangeValues(reply, static_cast<std::size_t>(count))) {
    out += platform::Format(line, k++);
    out += value;
    out += '\n';
  }
}

// The program text of one buffer, framed so that a download stores it again.
void ProgramBlock(const char* open, int number, std::string_view listing, std::string& out) {
  out += platform::Format(open, number);
  out += listing;
  out += "\nCLOSE\n";
}

// A gather buffer in the controller being restored would refuse every program line.
void DeleteGatherOnce(bool& gatherDeleted, std::string& out) {
  if (gatherDeleted) return;
  out += "\nDELETE GATHER\n";
  gatherDeleted = true;
}

std::string MotionPrograms(PmacLink& link, int typeCode, bool& gatherDeleted) {
  if (!IsNonTurbo(typeCode) && !IsTurbo(typeCode)) return {};
  const int directory = IsTurbo(typeCode) ? 0x3000 : 0xE00;
  const int buffers = IsTurbo(typeCode) ? 0xA000 : 0x1800;
  std::string out;
  int previous = buffers;
  int y = previous;
  int x = 0;
  for (int k = 0; k < kDirectoryEntries; ++k) {
    std::string reply;
    link.PmacCommand(reply, kShortReply, platform::Format("RY:%d", directory + k), false);
    // A word that cannot be read keeps the last one, which then ends the directory.
    y = DecimalWord(reply).value_or(y);
    if (y == previous) break;
    link.PmacCommand(reply, kShortReply, platform::Format("RX:%d", directory + k), false);
    x = DecimalWord(reply).value_or(x);
    previous = y;
    const int number = x & 65535;
    const auto listing =
        ListingText(Raw(link, platform::Format("LIST PROG %d", number), kLongReply));
    if (!listing) continue;  // a program the controller cannot list is not restorable text
    DeleteGatherOnce(gatherDeleted, out);
    ProgramBlock("\nOPEN PROG %d\nCLEAR\n", number, *listing, out);
  }
  return out;
}

std::string Plcs(PmacLink& link, int typeCode, bool& gatherDeleted) {
  PlcTable table;
  if (link.ReadPlcTable(typeCode, table) != 0) return {};
  std::string out;
  for (int i = 0; i < kPlcCount; ++i) {
    const auto at = static_cast<std::size_t>(i);
    if (table.end[at] <= table.start[at]) continue;
    const auto listing = ListingText(Raw(link, platform::Format("LIST PLC %d", i), kLongReply));
    if (!listing) continue;
    if (out.empty()) {
      DeleteGatherOnce(gatherDeleted, out);
      // None may run while the PLCs are stored anew; each gets its own state back below.
      out += "DISABLE PLC 0..31\n";
    }
    ProgramBlock("\nOPEN PLC %d\nCLEAR\n", i, *listing, out);
    out += platform::Format(table.enabled[at] ? "ENABLE PLC %d\n" : "DISABLE PLC %d\n", i);
  }
  return out;
}

// "WP:$a,$w..." lines for P words first..last, eight to a line while eight remain. A read that
// does not give its words is left out rather than written as words it never had.
void PWordLines(PmacLink& link, int first, int last, std::string& out) {
  for (int a = first; a <= last;) {
    const bool eight = last - a >= 8;
    const std::string reply = Raw(
        link, eight ? platform::Format("RHP:%d,8", a) : platform::Format("RHP:%d", a), kShortReply);
    const std::size_t count = eight ? 8 : 1;
    if (const auto words = HexWords(reply, count)) {
      out += platform::Format("WP:$%.6X", a);
      for (std::size_t k = 0; k < count; ++k) out += platform::Format(",$%.6X", (*words)[k]);
      out += '\n';
    }
    a += static_cast<int>(count);
  }
}

std::string Plccs(PmacLink& link, int typeCode, bool& gatherDeleted) {
  PlcTable table;
  if (link.ReadPlccTable(typeCode, table) != 0) return {};
  const int base = IsTurbo(typeCode) ? 0x50000 : 0x8000;
  // Compiled code lies after the table, within the 64k words of the compiled-PLC memory. A
  // garbled table that points elsewhere, or at the same words again and again, must not turn
  // the backup into a read of all P memory.
  const int first = base + kPlccTableWords;
  const int last = base + kPlccMemoryWords - 1;
  int wordsLeft = kPlccMemoryWords;
  std::string out;
  for (int i = 0; i < kPlcCount; ++i) {
    const auto at = static_cast<std::size_t>(i);
    const int start = table.start[at];
    const int end = table.end[at];
    if (end <= start) continue;
    if (out.empty()) DeleteGatherOnce(gatherDeleted, out);
    out += platform::Format("\n; Upload of PLCC %d\n", i);
    if (start < first || end > last || end - start + 1 > wordsLeft) {
      out += "; not read: its place in memory is outside the compiled PLCs\n";
      continue;
    }
    wordsLeft -= end - start + 1;
    PWordLines(link, start, end, out);
  }
  if (out.empty()) return out;
  // The code is found through the table: its start, enable and end words come along, or the
  // restored code would lie in memory with nothing pointing at it.
  out += "\n; PLCC table\n";
  PWordLines(link, base, base + 97, out);
  return out;
}

std::string CoordinateSystems(PmacLink& link, int typeCode) {
  int systems = 0;
  int motors = 0;
  if (IsNonTurbo(typeCode)) {
    systems = 8;
    motors = 8;
  } else if (IsTurbo(typeCode)) {
    double i68 = 0;
    link.PmacValue(ValueKind::I, 68, i68, AccessMode::Read);
    systems = static_cast<int>(std::clamp(std::trunc(i68), 0.0, kMaxTurboSystems - 1.0)) + 1;
    motors = 32;
  } else {
    return {};
  }
  // Definitions left in the restored controller would clash with the ones stored here.
  std::string out = "\nUNDEFINE ALL\n";
  for (int c = systems; c >= 1; --c) {
    out += platform::Format("\n&%d\n", c);
    Raw(link, platform::Format("&%d", c), kShortReply);
    for (int m = 1; m <= motors; ++m) {
      const auto definition = AxisDefinition(Raw(link, platform::Format("#%d->", m), kShortReply));
      if (!definition) continue;
      out += platform::Format("#%d->", m);
      out += *definition;
      out += '\n';
    }
  }
  return out;
}

std::string EncoderTable(PmacLink& link, int typeCode) {
  if (!IsNonTurbo(typeCode)) return {};
  std::string out;
  for (int a = 0x720; a < 0x73F; a += 8) {
    const auto words = HexWords(Raw(link, platform::Format("RHY:%d,8", a), kShortReply), 8);
    if (!words) continue;
    out += platform::Format("WY:$%.6X", a);
    for (unsigned word : *words) out += platform::Format(",$%.6X", word);
    out += '\n';
  }
  return out;
}

struct MacroRange {
  int first;
  int last;
};

std::string Macro(PmacLink& link) {
  static constexpr MacroRange kNodeZero[] = {{2, 2},     {6, 90},    {92, 92},   {94, 94},
                                             {96, 96},   {98, 98},   {100, 198}, {900, 909},
                                             {940, 942}, {975, 977}, {981, 982}, {985, 988},
                                             {991, 994}, {997, 999}, {910, 918}};
  std::string out;
  const auto range = [&](int node, MacroRange r) {
    std::string lines;
    for (int n = r.first; n <= r.last; ++n) {
      const auto value = MacroValue(Raw(link, platform::Format("MS%d,MI%d", node, n), kShortReply));
      if (!value) continue;
      lines += platform::Format("MS%d,MI%d=$", node, n);
      lines += *value;
      lines += '\n';
    }
    out += lines;
  };
  for (MacroRange r : kNodeZero) range(0, r);
  for (int node : {1, 4, 5, 8, 9, 12, 13}) range(node, {910, 918});
  return out;
}

}  // namespace

const std::array<std::string_view, kBackupSwitchCount> kBackupSwitchLabels = {
    "Backup P-Variables",
    "Backup Q-Variables",
    "Backup M-Variables",
    "Backup I-Variables",
    "Backup Motion Programs",
    "Backup PLC Programs",
    "Backup PLCC Programs",
    "Backup User-Written Servo/Phase Routines",
    "Backup Coordinate Systems",
    "Backup Compensation Tables",
    "Backup Encoder Conversion Table Memory (For Non-Turbo PMACs)",
    "Backup MACRO Configurations",
    "Backup Option 16 Address",
};

std::string_view BackupStepText(int step) {
  if (step < 0 || step >= static_cast<int>(kStepTexts.size())) return kStepTexts[0];
  return kStepTexts[static_cast<std::size_t>(step)];
}

BackupSwitch SwitchOfStep(int step) {
  return static_cast<BackupSwitch>(std::clamp(step - 2, 0, kBackupSwitchCount - 1));
}

std::string BackupSectionText(PmacLink& link, const BackupTarget& target, int step,
                              bool& gatherDeleted) {
  std::string out;
  switch (step) {
    case 2:
      RangeLines(link, target, "P0..%d", "P%d=", out);
      break;
    case 3:
      RangeLines(link, target, "Q0..%d", "Q%d=", out);
      break;
    case 4:
      RangeLines(link, target, "M0..%d->", "M%d->", out);
      // The present values only as comments: a restore must not write them.
      RangeLines(link, target, "M0..%d", "; M%d=", out);
      break;
    case 5:
      RangeLines(link, target, "I0..%d", "I%d=", out);
      break;
    case 6:
      return MotionPrograms(link, target.typeCode, gatherDeleted);
    case 7:
      return Plcs(link, target.typeCode, gatherDeleted);
    case 8:
      return Plccs(link, target.typeCode, gatherDeleted);
    case 10:
      return CoordinateSystems(link, target.typeCode);
    case 12:
      return EncoderTable(link, target.typeCode);
    case 13:
      return Macro(link);
    default:  // user-written routines, compensation tables, Option 16 memory: nothing
      break;
  }
  return out;
}

std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

BackupJob::BackupJob(PmacLink& link, BackupTarget target, BackupSwitches switches)
    : link_(link), target_(target), switches_(switches) {}

bool BackupJob::Open(const std::string& path, std::string& error) {
  gatherDeleted_ = false;
  return file_.Open(path, error);
}

bool BackupJob::RunStep(int step, std::string& error) {
  if (step < 2 || step > 14) return true;
  if (!switches_.on[static_cast<std::size_t>(SwitchOfStep(step))]) return true;
  // Without a controller every reply is the link's own complaint, which is no value to keep.
  if (link_.PmacDevice() == -1) {
    error = "the controller is not connected any more";
    file_.Discard();
    return false;
  }
  const std::string text = BackupSectionText(link_, target_, step, gatherDeleted_);
  if (text.empty()) return true;
  return file_.Write(WithCrLf(text), error);
}

bool BackupJob::Close(std::string& error) { return file_.Commit(error); }

bool RunBackup(PmacLink& link, const BackupTarget& target, const BackupSwitches& switches,
               const std::string& path, const std::function<void(int step)>& progress,
               std::string& error) {
  BackupJob job(link, target, switches);
  if (progress) progress(kBackupOpenStep);
  if (!job.Open(path, error)) return false;
  for (int step = 2; step < kBackupCloseStep; ++step) {
    if (!switches.on[static_cast<std::size_t>(SwitchOfStep(step))]) continue;
    if (progress) progress(step);
    if (!job.RunStep(step, error)) return false;
  }
  if (progress) progress(kBackupCloseStep);
  return job.Close(error);
}

}  // namespace bl::tools
