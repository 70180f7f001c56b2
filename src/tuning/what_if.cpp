#include "tuning/what_if.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

#include "platform/text_format.h"
#include "series/filter_design.h"
#include "tuning/position_loop.h"

namespace bl::tuning {

namespace {

using Poly = std::vector<double>;  // coefficients of q = z⁻¹, lowest power first

Poly Multiply(const Poly& x, const Poly& y) {
  Poly r(x.size() + y.size() - 1, 0.0);
  for (std::size_t i = 0; i < x.size(); ++i)
    for (std::size_t j = 0; j < y.size(); ++j) r[i + j] += x[i] * y[j];
  return r;
}

Poly Add(Poly x, const Poly& y) {
  if (x.size() < y.size()) x.resize(y.size(), 0.0);
  for (std::size_t i = 0; i < y.size(); ++i) x[i] += y[i];
  return x;
}

Poly Shift(const Poly& x, int by) {
  Poly r(static_cast<std::size_t>(by), 0.0);
  r.insert(r.end(), x.begin(), x.end());
  return r;
}

// Whole DAC bits, as the converter takes them.
double Quantized(double u) { return std::nearbyint(u); }

// The law, cycle by cycle, on positions it is handed.
class LawStepper {
 public:
  explicit LawStepper(const LoopSettings& loop) : loop_(loop) {}

  // r and y the commanded and actual position, cv the trajectory's velocity (per cycle).
  double Step(double r, double cv, double y) {
    const ServoLaw& l = loop_.law;
    const double fe = r - y;
    integral_ += fe;
    const double ca = first_ ? 0.0 : cv - cv1_;
    const double av = first_ ? 0.0 : y - y1_;
    first_ = false;
    const double pre = l.kp * fe + l.ki * integral_ + l.kvff * cv + l.kaff * ca - l.kd * av;
    const double w = pre + l.n1 * p1_ + l.n2 * p2_ - l.d1 * w1_ - l.d2 * w2_;
    p2_ = p1_;
    p1_ = pre;
    w2_ = w1_;
    w1_ = w;
    cv1_ = cv;
    y1_ = y;
    const double limit = loop_.outputLimit;
    const double u = w + loop_.outputOffset;
    saturated_ = saturated_ || u > limit || u < -limit;
    return Quantized(std::clamp(u, -limit, limit));
  }

  bool Saturated() const { return saturated_; }

 private:
  const LoopSettings& loop_;
  bool first_ = true, saturated_ = false;
  double integral_ = 0.0, cv1_ = 0.0, y1_ = 0.0;
  double p1_ = 0.0, p2_ = 0.0, w1_ = 0.0, w2_ = 0.0;
};

// The velocity the trajectory commands each cycle, which the feed-forward acts on: the change
// of the commanded position, except where it jumps by itself from rest to rest. Such a jump is
// a step, written straight to the commanded position, and carries no velocity.
std::vector<double> TrajectoryVelocity(std::span<const double> r) {
  std::vector<double> cv(r.size(), 0.0);
  for (std::size_t k = 1; k < r.size(); ++k) {
    const bool restBefore = k < 2 || r[k - 1] == r[k - 2];
    const bool restAfter = k + 1 >= r.size() || r[k + 1] == r[k];
    if (!(restBefore && restAfter)) cv[k] = r[k] - r[k - 1];
  }
  return cv;
}

// The delay between a position sample and the output computed from it that the plant's own
// delay allows: an output cannot act in the sample it was computed from.
int EffectiveLag(const PlantModel& plant, int lag) { return std::max(lag, -plant.delay); }

std::optional<double> ParseDouble(std::string_view text) {
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

}  // namespace

std::optional<LoopSettings> LoopSettingsFromVariables(const VariableValues& values, int motor,
                                                      double period, std::string& error) {
  const auto law = ServoLawFromVariables(values, motor, period, error);
  if (!law) return std::nullopt;
  LoopSettings loop;
  loop.law = *law;
  if (const auto it = values.find(MotorVariable(motor, 69)); it != values.end())
    loop.outputLimit = std::clamp(it->second, 0.0, 32767.0);
  if (const auto it = values.find(MotorVariable(motor, 29)); it != values.end())
    loop.outputOffset = std::clamp(it->second, -32768.0, 32767.0);
  return loop;
}

std::optional<MoveShape> ParseMoveShape(std::string_view text, std::string& error) {
  const std::size_t colon = text.find(':');
  const std::string_view kind = text.substr(0, colon);
  std::vector<double> numbers;
  if (colon != std::string_view::npos) {
    std::string_view rest = text.substr(colon + 1);
    while (numbers.size() < 5) {
      const std::size_t comma = rest.find(',');
      const auto n = ParseDouble(rest.substr(0, comma));
      if (!n) break;
      numbers.push_back(*n);
      if (comma == std::string_view::npos) {
        rest = {};
        break;
      }
      rest.remove_prefix(comma + 1);
    }
    if (!rest.empty() || numbers.empty()) numbers.clear();
  }
  MoveShape move;
  if (kind == "step" && numbers.size() == 2) {
    move.size = numbers[0];
    move.dwellMs = numbers[1];
  } else if (kind == "trapezoid" && numbers.size() == 4) {
    move.kind = MoveShape::Kind::kTrapezoid;
    move.size = numbers[0];
    move.velocity = numbers[1];
    move.acceleration = numbers[2];
    move.dwellMs = numbers[3];
  } else {
    error = "a move is step:SIZE,DWELL or trapezoid:SIZE,VELOCITY,ACCELERATION,DWELL (counts, "
            "counts/ms, counts/ms^2, ms)";
    return std::nullopt;
  }
  if (move.size == 0.0 || std::fabs(move.size) > 1e9) {
    error = "the move's size must be a number of counts other than 0, up to 1e9";
    return std::nullopt;
  }
  if (!(move.dwellMs >= 1.0 && move.dwellMs <= 60000.0)) {
    error = "the dwell must lie between 1 and 60000 ms";
    return std::nullopt;
  }
  if (move.kind == MoveShape::Kind::kTrapezoid) {
    if (!(move.velocity > 0.0) || !(move.acceleration > 0.0)) {
      error = "the velocity and the acceleration must be positive";
      return std::nullopt;
    }
    if (std::fabs(move.size) / move.velocity + move.velocity / move.acceleration > 60000.0) {
      error = "the move would take longer than a minute each way";
      return std::nullopt;
    }
  }
  return move;
}

std::vector<double> CommandedPath(const MoveShape& move, double period) {
  if (!(period > 0.0)) return {};
  const double ms = period * 1000.0;
  // One way of the move: position after t ms from its start, and how long it takes.
  double travelMs = 0.0;
  double accelMs = 0.0, cruiseVelocity = 0.0;
  const double distance = std::fabs(move.size);
  if (move.kind == MoveShape::Kind::kTrapezoid) {
    accelMs = move.velocity / move.acceleration;
    cruiseVelocity = move.velocity;
    if (distance < move.velocity * accelMs) {  // never reaches the velocity: a triangle
      accelMs = std::sqrt(distance / move.acceleration);
      cruiseVelocity = move.acceleration * accelMs;
    }
    travelMs = distance / cruiseVelocity + accelMs;
  }
  const auto travelled = [&](double t) {
    if (move.kind == MoveShape::Kind::kStep || t >= travelMs) return distance;
    if (t <= 0.0) return 0.0;
    const double a = cruiseVelocity / accelMs;
    if (t < accelMs) return 0.5 * a * t * t;
    if (t > travelMs - accelMs) {
      const double left = travelMs - t;
      return distance - 0.5 * a * left * left;
    }
    return 0.5 * a * accelMs * accelMs + cruiseVelocity * (t - accelMs);
  };
  const double totalMs = kLeadInMs + 2.0 * (travelMs + move.dwellMs);
  if (totalMs > kMaxPredictedMs || totalMs / ms > kMaxPredictedSamples) return {};
  const double sign = move.size < 0.0 ? -1.0 : 1.0;
  const auto samples = static_cast<std::size_t>(std::ceil(totalMs / ms));
  std::vector<double> path(samples, 0.0);
  const double backAt = kLeadInMs + travelMs + move.dwellMs;
  for (std::size_t k = 0; k < samples; ++k) {
    const double t = static_cast<double>(k) * ms;
    double p = 0.0;
    if (t >= kLeadInMs) p = travelled(t - kLeadInMs);
    if (t >= backAt) p -= travelled(t - backAt);
    path[k] = sign * p;
  }
  return path;
}

std::vector<std::complex<double>> ClosedLoopPoles(const PlantModel& plant,
                                                  const LoopSettings& loop, int lag) {
  const ServoLaw& l = loop.law;
  lag = EffectiveLag(plant, lag);
  // Plant: q^(1+delay)·B / (A·(1 − q)); law feedback path: F·(E + D), F = N / D.
  Poly a{1.0};
  for (double x : plant.a) a.push_back(-x);
  const Poly plantDen = Multiply(a, {1.0, -1.0});
  const Poly plantNum = Shift(plant.b, 1 + plant.delay + lag);
  const Poly n{1.0, l.n1, l.n2}, d{1.0, l.d1, l.d2};
  Poly lawNum, lawDen;
  if (l.ki != 0.0) {
    // kp + ki / (1 − q) + kd·(1 − q) = [kp·(1 − q) + ki + kd·(1 − q)²] / (1 − q)
    lawNum = {l.kp + l.ki + l.kd, -l.kp - 2.0 * l.kd, l.kd};
    lawDen = {1.0, -1.0};
  } else {
    lawNum = {l.kp + l.kd, -l.kd};
    lawDen = {1.0};
  }
  const Poly characteristic = Add(Multiply(Multiply(plantDen, d), lawDen),
                                  Multiply(Multiply(plantNum, n), lawNum));
  return PolynomialRoots(characteristic);
}

std::optional<int> MeasureOutputLag(const LoopSettings& loop, std::span<const double> commanded,
                                    std::span<const double> actual,
                                    std::span<const double> output) {
  const std::size_t n = std::min({commanded.size(), actual.size(), output.size()});
  if (n < 8) return std::nullopt;
  double best = 0.0, energy = 0.0;
  std::optional<int> bestLag;
  for (std::size_t k = 0; k < n; ++k) energy += output[k] * output[k];
  if (!(energy > 0.0)) return std::nullopt;
  const std::vector<double> cv = TrajectoryVelocity(commanded.first(n));
  for (int lag = 0; lag <= 1; ++lag) {
    LawStepper law(loop);
    double error = 0.0;
    const auto from = static_cast<std::size_t>(lag);
    // Both alignments are scored over the same samples, after the law has warmed up.
    for (std::size_t k = from; k < n; ++k) {
      const double u = law.Step(commanded[k - from], cv[k - from], actual[k - from]);
      if (k >= 4) error += (u - output[k]) * (u - output[k]);
    }
    if (!bestLag || error < best) {
      best = error;
      bestLag = lag;
    }
  }
  // The law must explain the output, not merely less badly under one alignment.
  if (best > 0.05 * energy) return std::nullopt;
  return bestLag;
}

std::vector<double> LogFrequencies(double lowHz, double highHz, int count) {
  count = std::max(count, 2);
  std::vector<double> f(static_cast<std::size_t>(count));
  const double ratio = std::log(highHz / lowHz);
  for (int i = 0; i < count; ++i)
    f[static_cast<std::size_t>(i)] = lowHz * std::exp(ratio * i / (count - 1));
  return f;
}

Prediction Predict(const PlantModel& plant, const LoopSettings& loop, int lag,
                   std::span<const double> commanded, const std::vector<double>& frequencies) {
  Prediction p;
  p.period = plant.servoPeriod;
  lag = EffectiveLag(plant, lag);

  DiscretePlant transfer = PlantTransfer(plant);
  transfer.numerator.insert(transfer.numerator.begin(), static_cast<std::size_t>(lag), 0.0);
  LoopSettings atPeriod = loop;
  atPeriod.law.servoPeriod = plant.servoPeriod;
  p.loops = LoopFromPlant(transfer, atPeriod.law, frequencies);
  p.margins = series::MeasureLoopMargins(p.loops.openLoop, p.loops.closedLoop, 0.0);

  const auto poles = ClosedLoopPoles(plant, loop, lag);
  std::complex<double> worst{0.0, 0.0};
  for (const auto& z : poles)
    if (std::abs(z) > std::abs(worst)) worst = z;
  p.largestPole = std::abs(worst);
  if (poles.empty() || !(p.largestPole < 1.0 - 1e-9)) {
    const double hz = std::fabs(std::arg(worst)) / (2.0 * std::numbers::pi * plant.servoPeriod);
    if (poles.empty())
      p.problem = "The loop cannot be worked out for these settings.";
    else if (p.largestPole < 1.0 + 1e-9)
      p.problem = "The loop would not hold its position: it sits on the edge of stability.";
    else if (std::fabs(worst.imag()) > 1e-12 || worst.real() < 0.0)
      p.problem = platform::Format("Unstable: the loop would oscillate at %.4g Hz, growing "
                                   "%.3g %% every cycle.",
                                   hz, 100.0 * (p.largestPole - 1.0));
    else
      p.problem = "Unstable: the motor would run away.";
    return p;
  }
  p.stable = true;

  // The time response, sample by sample. With a lag the output of sample k comes from the
  // positions of sample k − lag.
  const std::size_t n = commanded.size();
  p.commanded.assign(commanded.begin(), commanded.end());
  p.actual.assign(n, 0.0);
  p.output.assign(n, 0.0);
  LawStepper law(loop);
  const std::vector<double> cv = TrajectoryVelocity(commanded);
  const std::size_t na = plant.a.size();
  std::vector<double> v(n, 0.0);
  const auto outputAt = [&](long long k) {
    return k >= 0 ? p.output[static_cast<std::size_t>(k)] : 0.0;
  };
  for (std::size_t k = 0; k < n; ++k) {
    const auto kk = static_cast<long long>(k);
    const auto computeOutput = [&] {
      const long long from = kk - lag;
      const auto f = static_cast<std::size_t>(from);
      p.output[k] = from >= 0 ? law.Step(commanded[f], cv[f], p.actual[f]) : 0.0;
    };
    // An output that acts within its own sample must be known before the position.
    if (plant.delay < 0) computeOutput();
    if (k > 0) {
      double vk = 0.0;
      for (std::size_t i = 1; i <= na && i <= k; ++i) vk += plant.a[i - 1] * v[k - i];
      for (std::size_t j = 0; j < plant.b.size(); ++j)
        vk += plant.b[j] * outputAt(kk - 1 - plant.delay - static_cast<long long>(j));
      if (plant.frictionTerm != 0.0) {
        // Friction opposes the motion and never reverses it by itself.
        const double before = vk;
        vk += plant.frictionTerm * (v[k - 1] > 0 ? 1.0 : v[k - 1] < 0 ? -1.0 : 0.0);
        if ((before > 0.0) != (vk > 0.0) && v[k - 1] != 0.0) vk = 0.0;
      }
      v[k] = vk;
      p.actual[k] = p.actual[k - 1] + vk;
    }
    if (plant.delay >= 0) computeOutput();
  }
  p.saturated = law.Saturated();
  std::string error;
  p.metrics = series::MeasureStep(p.commanded, p.actual, plant.servoPeriod, error);
  return p;
}

double NormalizedRmsError(std::span<const double> predicted, std::span<const double> measured) {
  const std::size_t n = std::min(predicted.size(), measured.size());
  if (n == 0) return 0.0;
  double sum = 0.0;
  for (std::size_t k = 0; k < n; ++k) sum += (predicted[k] - measured[k]) * (predicted[k] - measured[k]);
  const auto [low, high] = std::minmax_element(measured.begin(), measured.begin() + static_cast<long>(n));
  const double range = *high - *low;
  return range > 0.0 ? 100.0 * std::sqrt(sum / static_cast<double>(n)) / range : 0.0;
}

std::optional<Suggestion> SuggestSettings(const PlantModel& plant, const VariableValues& current,
                                          int motor, int lag, const MarginGoal& goal,
                                          std::string& error) {
  // Beyond a tenth of the servo rate the delays and noise no low-order model holds take over.
  constexpr double kMaxSuggestedCrossover = 0.2;
  const auto base = LoopSettingsFromVariables(current, motor, plant.servoPeriod, error);
  if (!base) return std::nullopt;
  const auto get = [&](int suffix, double fallback) {
    const auto it = current.find(MotorVariable(motor, suffix));
    return it != current.end() ? it->second : fallback;
  };
  Suggestion s;
  VariableValues trial = current;
  const double nyquist = 0.5 / plant.servoPeriod;
  double ix30 = get(30, 0.0);
  if (plant.resonance && plant.resonance->hz < nyquist) {
    using series::FilterKind;
    const double hz = plant.resonance->hz;
    const int place = static_cast<int>(std::lround(hz / nyquist * 1000.0));
    series::FilterSection zeros{}, poles{};
    if (place <= 700) {
      zeros = series::DesignFilterSection(FilterKind::kComplexPair, plant.servoPeriod,
                                          std::clamp(place, 1, 999), 50);
      poles = series::DesignFilterSection(FilterKind::kComplexPair, plant.servoPeriod,
                                          std::clamp(place, 1, 999), 500);
      s.reasons.push_back(platform::Format("A notch at the resonance, %.4g Hz (Ix36..Ix39).", hz));
    } else {
      const int corner = std::clamp(static_cast<int>(std::lround(place * 0.5)), 1, 999);
      poles = series::DesignFilterSection(FilterKind::kComplexPair, plant.servoPeriod, corner, 700);
      s.reasons.push_back(platform::Format(
          "A low-pass at %.4g Hz (Ix38, Ix39): the resonance, %.4g Hz, lies too near the Nyquist "
          "frequency for a notch.",
          corner / 1000.0 * nyquist, hz));
    }
    const double gainAtRest = (1.0 + zeros.c1 + zeros.c2) / (1.0 + poles.c1 + poles.c2);
    for (auto [suffix, value] : {std::pair{36, zeros.c1}, {37, zeros.c2}, {38, poles.c1},
                                 {39, poles.c2}})
      trial[MotorVariable(motor, suffix)] = value;
    if (gainAtRest > 0.0) ix30 /= gainAtRest;
  }
  const double ix31 = get(31, 0.0), ix32 = get(32, 0.0);
  if (!(ix30 > 0.0)) {
    error = "Ix30 must be positive to start the search from.";
    return std::nullopt;
  }
  const std::vector<double> frequencies = LogFrequencies(0.2, nyquist * 0.999, 300);
  double bestCrossover = -1.0;
  const double ix31Start = ix31 > 0.0 ? ix31 : 100.0;
  for (int i = 0; i <= 48; ++i) {
    const double kp = ix30 * std::pow(20.0, (i - 24) / 24.0);
    for (int j = 0; j <= 16; ++j) {
      const double kd = ix31Start * std::pow(8.0, (j - 8) / 8.0);
      trial[MotorVariable(motor, 30)] = std::round(kp);
      trial[MotorVariable(motor, 31)] = std::round(kd);
      trial[MotorVariable(motor, 32)] = ix31 > 0.0 ? std::round(ix32 * kd / ix31) : ix32;
      std::string ignored;
      const auto loop = LoopSettingsFromVariables(trial, motor, plant.servoPeriod, ignored);
      if (!loop || trial[MotorVariable(motor, 30)] < 1.0) continue;
      DiscretePlant transfer = PlantTransfer(plant);
      transfer.numerator.insert(transfer.numerator.begin(),
                                static_cast<std::size_t>(EffectiveLag(plant, lag)), 0.0);
      LoopSettings atPeriod = *loop;
      const LoopResponses loops = LoopFromPlant(transfer, atPeriod.law, frequencies);
      const series::LoopMargins m =
          series::MeasureLoopMargins(loops.openLoop, loops.closedLoop, 0.0);
      if (!m.crossoverHz || !m.phaseMarginDeg || *m.phaseMarginDeg < goal.phaseMarginDeg) continue;
      if (m.gainMarginDb && *m.gainMarginDb < goal.gainMarginDb) continue;
      if (*m.crossoverHz <= bestCrossover || *m.crossoverHz > kMaxSuggestedCrossover * nyquist)
        continue;
      const auto poles = ClosedLoopPoles(plant, *loop, lag);
      if (poles.empty() ||
          std::any_of(poles.begin(), poles.end(), [](auto z) { return std::abs(z) >= 1.0; }))
        continue;
      bestCrossover = *m.crossoverHz;
      s.margins = m;
      s.changes.clear();
      for (int suffix : {30, 31, 32, 36, 37, 38, 39}) {
        const int number = MotorVariable(motor, suffix);
        const auto it = trial.find(number);
        if (it == trial.end()) continue;
        const auto was = current.find(number);
        if (was == current.end() || was->second != it->second) s.changes[number] = it->second;
      }
    }
  }
  if (bestCrossover < 0.0) {
    error = platform::Format("No gains within a factor of 20 of today's give %.0f deg of phase "
                             "margin and %.1f dB of gain margin on this plant.",
                             goal.phaseMarginDeg, goal.gainMarginDb);
    return std::nullopt;
  }
  s.reasons.push_back(platform::Format(
      "Gains for the highest crossover, %.4g Hz, with at least %.0f deg of phase margin and "
      "%.1f dB of gain margin.",
      bestCrossover, goal.phaseMarginDeg, goal.gainMarginDb));
  return s;
}

}  // namespace bl::tuning
