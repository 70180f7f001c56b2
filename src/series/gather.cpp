#include "series/gather.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>

#include "controller/controller_type.h"
#include "link/pmac_link.h"
#include "platform/files.h"
#include "platform/settings_file.h"
#include "platform/text_format.h"
#include "series/series_table.h"

namespace bl::series {

namespace {

constexpr int kReplySize = 99;
constexpr std::uint32_t kAddressBits = 0x7FFFF;
constexpr std::size_t kMaxSettingsBytes = 128 * 1024;

bool IsTurboCode(int typeCode) { return typeCode >= 4; }

// The series a definition covers: the table's count, but never more than the controller has
// source variables for. Before a controller type is known the table counts 48 series while a
// non-Turbo controller has only I21..I44; I45 and up are other settings.
int DefinedSeriesCount(int typeCode, const SeriesTable& table) {
  return std::clamp(table.seriesCount, 0, IsTurboCode(typeCode) ? 48 : 24);
}

std::string Command(PmacLink& link, const std::string& command) {
  std::string reply;
  link.PmacCommand(reply, kReplySize, command, false);
  return reply;
}

// One I-variable's reply: hexadecimal after a leading "$", decimal otherwise.
bool QueryVariable(PmacLink& link, int number, long long& value) {
  return ParseGatherReply(Command(link, platform::Format("I%d", number)), value);
}

}  // namespace

GatherVariables GatherVariablesFor(int typeCode) {
  if (IsTurboCode(typeCode)) return {5000, 5001, 5049, 5050, 5051};
  return {45, 21, 19, 20, 0};
}

long long SourceAddressWord(const DataSeries& series) {
  long long code = 0;
  switch (series.sourceType) {
    case SourceType::kX:
      code = 0x400000;
      break;
    case SourceType::kY:
      code = 0;
      break;
    case SourceType::kD:
      code = 0x800000;
      break;
    case SourceType::kL:
    case SourceType::kLDecoded:
      code = 0xC00000;
      break;
    default:
      return -1;
  }
  return static_cast<long long>(series.address) + code;
}

bool ParseGatherReply(std::string_view reply, long long& value) {
  if (!reply.empty() && reply.front() == '$') {
    unsigned int hex = 0;
    if (platform::Scan(reply.substr(1), kReplySize, "%X", &hex) != 1) return false;
    // A signed 32-bit word, as PmacValue reads a "$" reply.
    value = static_cast<int>(hex);
    return true;
  }
  int decimal = 0;
  if (platform::Scan(reply, kReplySize, "%d", &decimal) != 1) return false;
  value = decimal;
  return true;
}

std::vector<std::string> DefineGatherCommands(int typeCode, const GatherBuffer& buffer,
                                              const SeriesTable& table) {
  const GatherVariables v = GatherVariablesFor(typeCode);
  const int count = DefinedSeriesCount(typeCode, table);
  std::vector<std::string> commands;
  commands.push_back(platform::Format("I%d=%d", v.mode, buffer.mode));
  long long firstMask = 0;
  long long secondMask = 0;
  for (int k = 1; k <= count; ++k) {
    const DataSeries& series = table[k];
    const long long word = SourceAddressWord(series);
    if (word >= 0) commands.push_back(platform::Format("I%d=%lld", v.firstSource + k - 1, word));
    if (!series.active) continue;
    if (k <= 24) {
      firstMask |= 1LL << (k - 1);
    } else {
      secondMask |= 1LL << (k - 25);
    }
  }
  commands.push_back(platform::Format("I%d=%d", v.period, buffer.period));
  commands.push_back(platform::Format("I%d=%lld", v.firstMask, firstMask));
  if (v.secondMask != 0) commands.push_back(platform::Format("I%d=%lld", v.secondMask, secondMask));
  commands.push_back(buffer.bufferSize > 0 ? platform::Format("DEF GAT %d", buffer.bufferSize)
                                           : std::string("DEF GAT"));
  return commands;
}

void DefineGather(PmacLink& link, const ControllerType& type, const GatherBuffer& buffer,
                  const SeriesTable& table) {
  for (const std::string& command : DefineGatherCommands(type.typeCode.load(), buffer, table))
    Command(link, command);
}

void ReadGatherSettings(PmacLink& link, const ControllerType& type, GatherBuffer& buffer,
                        SeriesTable& table) {
  const int typeCode = type.typeCode.load();
  const GatherVariables v = GatherVariablesFor(typeCode);
  const int count = DefinedSeriesCount(typeCode, table);
  long long value = 0;
  if (QueryVariable(link, v.mode, value)) buffer.mode = static_cast<int>(value);
  if (QueryVariable(link, v.period, value)) buffer.period = static_cast<int>(value);

  // A mask that cannot be read keeps the series' active flags as they are.
  long long masks[2] = {0, 0};
  for (int k = 1; k <= count; ++k)
    if (table[k].active) masks[k <= 24 ? 0 : 1] |= 1LL << ((k - 1) % 24);
  if (QueryVariable(link, v.firstMask, value)) masks[0] = value;
  if (v.secondMask != 0 && QueryVariable(link, v.secondMask, value)) masks[1] = value;

  for (int k = 1; k <= count; ++k) {
    DataSeries& series = table[k];
    series.active = ((masks[k <= 24 ? 0 : 1] >> ((k - 1) % 24)) & 1) != 0;
    if (!QueryVariable(link, v.firstSource + k - 1, value)) continue;
    series.address = static_cast<std::uint32_t>(value) & kAddressBits;
    switch (value & 0xF00000) {
      case 0:
        series.sourceType = SourceType::kY;
        break;
      case 0x400000:
        series.sourceType = SourceType::kX;
        break;
      case 0x800000:
        series.sourceType = SourceType::kD;
        break;
      case 0xC00000:
        series.sourceType = SourceType::kL;
        break;
      default:
        break;
    }
  }
}

void BeginGather(PmacLink& link) {
  std::string reply;
  link.PmacCommand(reply, kReplySize, "GAT", true);
}

void EndGather(PmacLink& link) {
  std::string reply;
  link.PmacCommand(reply, kReplySize, "END GAT", true);
}

// ---- Settings kept between runs ----

namespace {

std::string Number(double value) { return platform::DoubleSettingText(value); }

bool ParseDouble(std::string_view text, double& value) {
  return platform::ParseDoubleSetting(text, value);
}

bool ParseFlag(std::string_view text, bool& value) {
  int parsed = 0;
  if (!platform::ParseIntSetting(text, 0, 1, parsed)) return false;
  value = parsed != 0;
  return true;
}

// A title keeps printable characters only, so the file cannot bring control characters into the
// windows that show it.
// Blanks at the end are dropped, also where the cut to the title limit leaves one, since the
// settings line loses them anyway.
bool ParseTitle(std::string_view text, DataSeries& series) {
  for (char c : text)
    if (static_cast<unsigned char>(c) < 32 || c == 127) return false;
  text = text.substr(0, kTitleLimit);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  series.SetTitle(text);
  return true;
}

bool ApplySeriesSetting(std::string_view name, std::string_view value, DataSeries& s) {
  int number = 0;
  if (name == "active") return ParseFlag(value, s.active);
  if (name == "address") {
    if (!platform::ParseIntSetting(value, 0, static_cast<int>(kAddressBits), number)) return false;
    s.address = static_cast<std::uint32_t>(number);
    return true;
  }
  if (name == "source") {
    if (!platform::ParseIntSetting(value, 1, 6, number)) return false;
    s.sourceType = static_cast<SourceType>(number);
    return true;
  }
  if (name == "bit") return platform::ParseIntSetting(value, 0, 23, s.startingBit);
  if (name == "length") {
    if (!platform::ParseIntSetting(value, 1, 48, number) || (number > 24 && number != 48))
      return false;
    s.wordLength = number;
    return true;
  }
  if (name == "signed") return ParseFlag(value, s.signedData);
  if (name == "title") return ParseTitle(value, s);
  if (name == "scale") return ParseDouble(value, s.scaleFactor);
  if (name == "offset") return ParseDouble(value, s.offset);
  if (name == "integration") {
    if (!platform::ParseIntSetting(value, 0, 4, number)) return false;
    s.integrationMode = static_cast<IntegrationMode>(number);
    return true;
  }
  if (name == "n1") return ParseDouble(value, s.N1);
  if (name == "n2") return ParseDouble(value, s.N2);
  if (name == "d1") return ParseDouble(value, s.D1);
  if (name == "d2") return ParseDouble(value, s.D2);
  if (name == "normalize") return ParseFlag(value, s.normalizeFilterGain);
  return false;
}

}  // namespace

std::string GatherSettingsPath() {
  return (std::filesystem::path(platform::ConfigFolder()) / "gather.conf").string();
}

std::string GatherSettingsText(const GatherBuffer& buffer, const SeriesTable& table) {
  std::ostringstream out;
  out << "# Brightlantern gather settings: gather.key=value, series.N.key=value (N 1..48)\n";
  out << "gather.period=" << buffer.period << "\n";
  out << "gather.size=" << buffer.bufferSize << "\n";
  out << "gather.mode=" << buffer.mode << "\n";
  for (int k = 1; k <= kMaxSeriesCount; ++k) {
    const DataSeries& s = table[k];
    const std::string p = "series." + std::to_string(k) + ".";
    out << p << "active=" << (s.active ? 1 : 0) << "\n";
    out << p << "address=" << s.address << "\n";
    out << p << "source=" << static_cast<int>(s.sourceType) << "\n";
    out << p << "bit=" << s.startingBit << "\n";
    out << p << "length=" << s.wordLength << "\n";
    out << p << "signed=" << (s.signedData ? 1 : 0) << "\n";
    out << p << "title=" << s.title << "\n";
    out << p << "scale=" << Number(s.scaleFactor) << "\n";
    out << p << "offset=" << Number(s.offset) << "\n";
    out << p << "integration=" << static_cast<int>(s.integrationMode) << "\n";
    out << p << "n1=" << Number(s.N1) << "\n";
    out << p << "n2=" << Number(s.N2) << "\n";
    out << p << "d1=" << Number(s.D1) << "\n";
    out << p << "d2=" << Number(s.D2) << "\n";
    out << p << "normalize=" << (s.normalizeFilterGain ? 1 : 0) << "\n";
  }
  return out.str();
}

void ApplyGatherSettings(std::string_view text, GatherBuffer& buffer, SeriesTable& table) {
  for (const platform::SettingLine& line : platform::SettingLines(text, kMaxSettingsBytes)) {
    if (!line.hasValue) continue;
    const std::string_view name = line.name;
    if (name == "gather.period") {
      platform::ParseIntSetting(line.value, 1, 0x7FFFFF, buffer.period);
    } else if (name == "gather.size") {
      platform::ParseIntSetting(line.value, 0, 0xFFFFFF, buffer.bufferSize);
    } else if (name == "gather.mode") {
      platform::ParseIntSetting(line.value, 0, 3, buffer.mode);
    } else if (name.starts_with("series.")) {
      const std::string_view key = name.substr(7);
      const std::size_t dot = key.find('.');
      int k = 0;
      if (dot == std::string_view::npos ||
          !platform::ParseIntSetting(key.substr(0, dot), 1, kMaxSeriesCount, k))
        continue;
      ApplySeriesSetting(key.substr(dot + 1), line.value, table[k]);
    }
  }
}

bool LoadGatherSettings(GatherBuffer& buffer, SeriesTable& table, std::string& error) {
  std::string text;
  if (!platform::ReadSettingsFile(GatherSettingsPath(), kMaxSettingsBytes, text, error))
    return false;
  ApplyGatherSettings(text, buffer, table);
  return true;
}

bool SaveGatherSettings(const GatherBuffer& buffer, const SeriesTable& table, std::string& error) {
  return platform::WriteSettingsFile(GatherSettingsPath(), GatherSettingsText(buffer, table),
                                     error);
}

}  // namespace bl::series
