#include "tuning/servo_law.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <numbers>

#include "tuning/position_loop.h"

namespace bl::tuning {

namespace {

constexpr int kMaxVariableNumber = 8191;
constexpr double kTwoTo19 = 524288.0;
constexpr double kTwoTo23 = 8388608.0;
// An open loop starts near -90° (one integrator) or -180° (two): shown from -270° on, neither
// begins a turn away from where it is drawn.
constexpr double kOpenLoopLowestDeg = -270.0;

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// A value "1280", "-0.5", "1e3" or "$C00100" at the front of text; nothing when text does not
// start with one that ends at a blank or the end of text.
std::optional<double> ScanValue(std::string_view text, std::size_t& used) {
  std::size_t end = 0;
  while (end < text.size() && !IsBlank(text[end])) ++end;
  used = end;
  const std::string_view word = text.substr(0, end);
  if (word.size() > 1 && word[0] == '$') {
    if (word.size() > 13) return std::nullopt;  // beyond 48 bits: no variable holds that
    long long v = 0;
    const auto [p, ec] = std::from_chars(word.data() + 1, word.data() + word.size(), v, 16);
    if (ec != std::errc() || p != word.data() + word.size()) return std::nullopt;
    return static_cast<double>(v);
  }
  double v = 0.0;
  const auto [p, ec] = std::from_chars(word.data(), word.data() + word.size(), v);
  if (ec != std::errc() || p != word.data() + word.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

// The assignments on one line, comment already cut.
void ScanLine(std::string_view line, VariableValues& values) {
  std::size_t i = 0;
  while (i < line.size()) {
    const bool start = i == 0 || !IsWordChar(line[i - 1]);
    if (!start || (line[i] != 'I' && line[i] != 'i')) {
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    int number = 0;
    std::size_t digits = 0;
    while (j < line.size() && std::isdigit(static_cast<unsigned char>(line[j])) && digits < 6) {
      number = number * 10 + (line[j] - '0');
      ++j;
      ++digits;
    }
    if (digits == 0 || (j < line.size() && IsWordChar(line[j]))) {
      i = j;
      continue;
    }
    std::size_t k = j;
    while (k < line.size() && IsBlank(line[k])) ++k;
    if (k >= line.size() || line[k] != '=') {
      i = j;
      continue;
    }
    ++k;
    while (k < line.size() && IsBlank(line[k])) ++k;
    std::size_t used = 0;
    const std::optional<double> value = ScanValue(line.substr(k), used);
    if (value && number <= kMaxVariableNumber) values[number] = *value;
    i = k + std::max<std::size_t>(used, 1);
  }
}

std::complex<double> DelayAt(double servoPeriod, double hz) {
  return std::polar(1.0, -2.0 * std::numbers::pi * hz * servoPeriod);
}

std::complex<double> Filter(const ServoLaw& law, std::complex<double> q) {
  return (1.0 + law.n1 * q + law.n2 * q * q) / (1.0 + law.d1 * q + law.d2 * q * q);
}

std::complex<double> ErrorTerm(const ServoLaw& law, std::complex<double> q) {
  return law.kp + law.ki / (1.0 - q);
}

// A value a response may hold: finite, else nothing (0 with coherence 0 for the caller).
bool Usable(std::complex<double> v) { return std::isfinite(v.real()) && std::isfinite(v.imag()); }

}  // namespace

VariableValues ParseVariableAssignments(std::string_view text) {
  VariableValues values;
  text = text.substr(0, std::min(text.size(), kMaxVariableFileBytes));
  while (!text.empty()) {
    std::size_t end = text.find_first_of("\r\n");
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(0, end);
    if (const std::size_t comment = line.find(';'); comment != std::string_view::npos)
      line = line.substr(0, comment);
    ScanLine(line, values);
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return values;
}

std::optional<ServoLaw> ServoLawFromVariables(const VariableValues& values, int motor,
                                              double servoPeriod, std::string& error) {
  const auto find = [&](int suffix) -> std::optional<double> {
    const auto it = values.find(MotorVariable(motor, suffix));
    if (it == values.end()) return std::nullopt;
    return it->second;
  };
  for (int suffix : {8, 9, 30}) {
    if (!find(suffix)) {
      error = "I" + std::to_string(MotorVariable(motor, suffix)) + " is missing.";
      return std::nullopt;
    }
  }
  const double ix08 = *find(8), ix09 = *find(9);
  if (!(ix08 > 0.0) || !(ix09 > 0.0)) {
    error = "Ix08 and Ix09 must be positive.";
    return std::nullopt;
  }
  if (const auto i10 = values.find(10); i10 != values.end())
    servoPeriod = i10->second / 8388608.0 / 1000.0;
  if (!(servoPeriod > 0.0) || !std::isfinite(servoPeriod)) {
    error = "The servo period is not a positive number.";
    return std::nullopt;
  }
  const auto get = [&](int suffix) { return find(suffix).value_or(0.0); };
  ServoLaw law;
  law.servoPeriod = servoPeriod;
  law.kp = get(30) * ix08 * 32.0 / kTwoTo19;
  law.ki = get(34) == 1.0 ? 0.0 : law.kp * get(33) / kTwoTo23;
  law.kd = get(30) * get(31) * ix09 * 32.0 / (128.0 * kTwoTo19);
  law.kvff = law.kp * get(32) / 128.0;
  law.kaff = law.kp * get(35) / 128.0;
  law.n1 = get(36);
  law.n2 = get(37);
  law.d1 = get(38);
  law.d2 = get(39);
  return law;
}

std::complex<double> ReferencePath(const ServoLaw& law, double hz) {
  const std::complex<double> q = DelayAt(law.servoPeriod, hz), d = 1.0 - q;
  return Filter(law, q) * (ErrorTerm(law, q) + law.kvff * d + law.kaff * d * d);
}

std::complex<double> FeedbackPath(const ServoLaw& law, double hz) {
  const std::complex<double> q = DelayAt(law.servoPeriod, hz);
  return Filter(law, q) * (ErrorTerm(law, q) + law.kd * (1.0 - q));
}

series::BodeResponse OpenLoopFromClosedLoop(const series::BodeResponse& closedLoop,
                                            const ServoLaw& law) {
  series::BodeResponse open;
  const std::size_t n = std::min(closedLoop.frequency.size(), closedLoop.response.size());
  open.frequency.assign(closedLoop.frequency.begin(), closedLoop.frequency.begin() + n);
  open.response.resize(n);
  open.coherence.resize(n);
  open.inputPowerDb = closedLoop.inputPowerDb;
  for (std::size_t k = 0; k < n; ++k) {
    const double hz = open.frequency[k];
    const std::complex<double> t = closedLoop.response[k];
    const std::complex<double> a = ReferencePath(law, hz), b = FeedbackPath(law, hz);
    const std::complex<double> l = t * b / (a - t * b);
    if (!Usable(l) || t == 0.0) continue;
    open.response[k] = l;
    open.coherence[k] = k < closedLoop.coherence.size() ? closedLoop.coherence[k] : 1.0;
  }
  series::SetBodeFromResponse(open, kOpenLoopLowestDeg);
  return open;
}

std::complex<double> PlantResponse(const DiscretePlant& plant, double servoPeriod, double hz) {
  const std::complex<double> q = DelayAt(servoPeriod, hz);
  const auto poly = [q](const std::vector<double>& c) {
    std::complex<double> sum = 0.0, power = 1.0;
    for (double v : c) {
      sum += v * power;
      power *= q;
    }
    return sum;
  };
  return poly(plant.numerator) / poly(plant.denominator);
}

LoopResponses LoopFromPlant(const DiscretePlant& plant, const ServoLaw& law,
                            const std::vector<double>& frequencies) {
  LoopResponses loops;
  for (series::BodeResponse* r : {&loops.openLoop, &loops.closedLoop}) {
    r->frequency = frequencies;
    r->response.assign(frequencies.size(), 0.0);
    r->coherence.assign(frequencies.size(), 0.0);
  }
  for (std::size_t k = 0; k < frequencies.size(); ++k) {
    const double hz = frequencies[k];
    const std::complex<double> p = PlantResponse(plant, law.servoPeriod, hz);
    const std::complex<double> l = p * FeedbackPath(law, hz);
    const std::complex<double> t = p * ReferencePath(law, hz) / (1.0 + l);
    if (Usable(l)) {
      loops.openLoop.response[k] = l;
      loops.openLoop.coherence[k] = 1.0;
    }
    if (Usable(t)) {
      loops.closedLoop.response[k] = t;
      loops.closedLoop.coherence[k] = 1.0;
    }
  }
  series::SetBodeFromResponse(loops.openLoop, kOpenLoopLowestDeg);
  series::SetBodeFromResponse(loops.closedLoop);
  return loops;
}

}  // namespace bl::tuning
