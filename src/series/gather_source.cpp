#include "series/gather_source.h"

#include <charconv>
#include <cctype>

#include "controller/controller_type.h"

namespace bl::series {

namespace {

constexpr std::uint32_t kLargestAddress = 0x7FFFF;

bool ToNumber(std::string_view text, int base, long long& value) {
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return ec == std::errc() && end == text.data() + text.size();
}

bool ToAddress(std::string_view text, std::uint32_t& address) {
  long long value = 0;
  bool ok = false;
  if (text.starts_with("$"))
    ok = ToNumber(text.substr(1), 16, value);
  else if (text.starts_with("0x") || text.starts_with("0X"))
    ok = ToNumber(text.substr(2), 16, value);
  else
    ok = ToNumber(text, 10, value);
  if (!ok || value < 0 || value > kLargestAddress) return false;
  address = static_cast<std::uint32_t>(value);
  return true;
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// The registers of motor n (from 1) of a controller family.
struct MotorRegister {
  const char* name;
  SourceType type;
  std::uint32_t turbo;  // 0: none
  std::uint32_t pmac;
  int startingBit;
  int wordLength;
  int scaleItem;  // 8 for Ix08, 9 for Ix09, 0 none
};
constexpr MotorRegister kMotorRegisters[] = {
    {"commanded", SourceType::kD, 0x88, 0x28, 0, 48, 8},
    {"actual", SourceType::kD, 0x8B, 0x2B, 0, 48, 8},
    {"velocity", SourceType::kX, 0x9D, 0x33, 0, 24, 9},
    {"output", SourceType::kX, 0xBF, 0x45, 8, 16, 0},
    {"error", SourceType::kD, 0, 0x840, 0, 48, 8},
};

bool ParseMotor(std::string_view text, const ControllerType& type, GatherSource& source,
                std::string& error) {
  const std::size_t dot = text.find('.');
  long long motor = 0;
  if (dot == std::string_view::npos || !ToNumber(text.substr(5, dot - 5), 10, motor) ||
      motor < 1 || motor > type.motorCount) {
    error = "a motor source is motorN.REGISTER with N from 1 to " +
            std::to_string(type.motorCount);
    return false;
  }
  const std::string name = Lower(text.substr(dot + 1));
  const bool turbo = type.IsTurbo();
  for (const MotorRegister& r : kMotorRegisters) {
    if (name != r.name) continue;
    const std::uint32_t base = turbo ? r.turbo : r.pmac;
    if (base == 0) {
      error = "this controller keeps no motor register \"" + name + "\"";
      return false;
    }
    // Turbo motors are $80 apart; PMAC motors $3C apart in the servo area, $C0 in the tables.
    const std::uint32_t step = turbo ? 0x80 : (base >= 0x800 ? 0xC0 : 0x3C);
    source.sourceType = r.type;
    source.address = base + step * static_cast<std::uint32_t>(motor - 1);
    source.startingBit = r.startingBit;
    source.wordLength = r.wordLength;
    source.signedData = true;
    source.scaleVariable = r.scaleItem == 0 ? 0 : static_cast<int>(motor) * 100 + r.scaleItem;
    return true;
  }
  error = "motor registers are commanded, actual, velocity, output and error";
  return false;
}

bool ParseField(std::string_view fields, GatherSource& source, std::string& error) {
  // BIT:LENGTH[:u]
  const std::size_t colon = fields.find(':');
  long long bit = 0, length = 0;
  std::string_view rest = colon == std::string_view::npos ? "" : fields.substr(colon + 1);
  const std::size_t second = rest.find(':');
  const std::string_view lengthText = rest.substr(0, second);
  const std::string_view sign = second == std::string_view::npos ? "" : rest.substr(second + 1);
  if (colon == std::string_view::npos || !ToNumber(fields.substr(0, colon), 10, bit) ||
      !ToNumber(lengthText, 10, length) || bit < 0 || bit > 23 || length < 1 ||
      bit + length > 24 || (!sign.empty() && sign != "u" && sign != "s")) {
    error = "a field is BIT:LENGTH[:u] with the bits within 0..23";
    return false;
  }
  source.startingBit = static_cast<int>(bit);
  source.wordLength = static_cast<int>(length);
  source.signedData = sign != "u";
  return true;
}

}  // namespace

bool ParseGatherSource(std::string_view text, const ControllerType& type, GatherSource& source,
                       std::string& error) {
  source = {};
  std::string_view named = text;
  if (const std::size_t equals = text.find('='); equals != std::string_view::npos) {
    named = text.substr(0, equals);
    source.title.assign(text.substr(equals + 1).substr(0, kTitleLimit));
  } else {
    source.title.assign(text.substr(0, kTitleLimit));
  }
  const std::string lower = Lower(named);
  if (lower.starts_with("motor")) return ParseMotor(named, type, source, error);

  if (!lower.empty() && (lower[0] == 'p' || lower[0] == 'q') && lower.find(':') == std::string::npos) {
    long long n = 0;
    if (!ToNumber(named.substr(1), 10, n) || n < 0 || n >= type.variableCount) {
      error = "a P or Q variable is numbered 0 to " + std::to_string(type.variableCount - 1);
      return false;
    }
    source.sourceType = SourceType::kL;
    source.address = static_cast<std::uint32_t>((lower[0] == 'p' ? type.pBase : type.qBase) + n);
    return true;
  }

  if (lower.size() < 3 || lower[1] != ':' || std::string_view("xydl").find(lower[0]) ==
                                                  std::string_view::npos) {
    error = "\"" + std::string(named) +
            "\" is no source: give X:ADDR, Y:ADDR, D:ADDR, L:ADDR, Pn, Qn or motorN.REGISTER";
    return false;
  }
  const std::string_view rest = named.substr(2);
  const std::size_t colon = rest.find(':');
  if (!ToAddress(rest.substr(0, colon), source.address)) {
    error = "an address is 0 to $7FFFF, hexadecimal after \"$\"";
    return false;
  }
  switch (lower[0]) {
    case 'x':
    case 'y':
      source.sourceType = lower[0] == 'x' ? SourceType::kX : SourceType::kY;
      source.wordLength = 24;
      return colon == std::string_view::npos || ParseField(rest.substr(colon + 1), source, error);
    default:
      source.sourceType = lower[0] == 'd' ? SourceType::kD : SourceType::kL;
      if (colon != std::string_view::npos) {
        error = "D and L sources take no bit field";
        return false;
      }
      return true;
  }
}

void UseGatherSource(const GatherSource& source, DataSeries& series) {
  series.SetTitle(source.title);
  series.active = true;
  series.sourceType = source.sourceType;
  series.address = source.address;
  series.startingBit = source.startingBit;
  series.wordLength = source.wordLength;
  series.signedData = source.signedData;
  series.scaleFactor = 1.0;
  series.offset = 0.0;
  series.integrationMode = IntegrationMode::kNone;
  series.normalizeFilterGain = false;
  series.N1 = series.N2 = series.D1 = series.D2 = 0.0;
}

}  // namespace bl::series
