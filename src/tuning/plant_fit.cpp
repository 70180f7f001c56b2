#include "tuning/plant_fit.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

#include "platform/text_format.h"

namespace bl::tuning {

namespace {

// Least squares solved one row at a time by Givens rotations into an upper triangle, so that
// the nearly equal columns of lagged velocities keep their precision (normal equations would
// square their poor conditioning) and a long run needs no matrix of its own.
class RowLeastSquares {
 public:
  explicit RowLeastSquares(std::size_t n) : n_(n), r_(n * n, 0.0), qy_(n, 0.0) {}

  void Add(std::vector<double>& x, double y) {
    for (std::size_t i = 0; i < n_; ++i) {
      if (x[i] == 0.0) continue;
      double& rii = r_[i * n_ + i];
      const double h = std::hypot(rii, x[i]);
      const double c = rii / h, s = x[i] / h;
      rii = h;
      for (std::size_t j = i + 1; j < n_; ++j) {
        const double t = r_[i * n_ + j];
        r_[i * n_ + j] = c * t + s * x[j];
        x[j] = c * x[j] - s * t;
      }
      const double t = qy_[i];
      qy_[i] = c * t + s * y;
      y = c * y - s * t;
    }
    residual_ += y * y;
  }

  // The coefficients; nothing when a column is (nearly) a combination of the others.
  std::optional<std::vector<double>> Solve() const {
    double largest = 0.0;
    for (std::size_t i = 0; i < n_; ++i) largest = std::max(largest, std::fabs(r_[i * n_ + i]));
    std::vector<double> beta(n_, 0.0);
    for (std::size_t i = n_; i-- > 0;) {
      const double rii = r_[i * n_ + i];
      if (!(std::fabs(rii) > 1e-12 * largest)) return std::nullopt;
      double sum = qy_[i];
      for (std::size_t j = i + 1; j < n_; ++j) sum -= r_[i * n_ + j] * beta[j];
      beta[i] = sum / rii;
    }
    return beta;
  }

  double Residual() const { return residual_; }

 private:
  std::size_t n_;
  std::vector<double> r_;
  std::vector<double> qy_;
  double residual_ = 0.0;
};

struct Structure {
  int na = 1, nb = 1, delay = 0;
  bool friction = false;
};

struct Candidate {
  Structure s;
  std::vector<double> beta;
  double residual = 0.0;
};

double Sign(double v) { return v > 1e-9 ? 1.0 : v < -1e-9 ? -1.0 : 0.0; }

// The first sample k whose regressors all exist (v needs k ≥ 1 and u needs k−nb−delay ≥ 0).
std::size_t FirstRow(const Structure& s) {
  return static_cast<std::size_t>(std::max({s.na + 1, s.nb + s.delay, 1}));
}

std::optional<Candidate> Fit(const std::vector<double>& v, std::span<const double> u,
                             const Structure& s, const std::vector<double>& scale) {
  const std::size_t columns = static_cast<std::size_t>(s.na + s.nb + (s.friction ? 1 : 0));
  RowLeastSquares ls(columns);
  std::vector<double> x(columns);
  for (std::size_t k = FirstRow(s); k < v.size(); ++k) {
    std::size_t c = 0;
    for (int i = 1; i <= s.na; ++i) x[c++] = v[k - static_cast<std::size_t>(i)] / scale[0];
    for (int j = 0; j < s.nb; ++j)
      x[c++] = u[k - static_cast<std::size_t>(1 + s.delay + j)] / scale[1];
    if (s.friction) x[c++] = Sign(v[k - 1]);
    ls.Add(x, v[k] / scale[0]);
  }
  auto beta = ls.Solve();
  if (!beta) return std::nullopt;
  // Back to the data's units.
  std::size_t c = 0;
  for (int i = 0; i < s.na; ++i) ++c;
  for (int j = 0; j < s.nb; ++j) (*beta)[c++] *= scale[0] / scale[1];
  if (s.friction) (*beta)[c] *= scale[0];
  return Candidate{s, std::move(*beta), ls.Residual() * scale[0] * scale[0]};
}

// s-plane reading of a discrete root: its frequency (Hz) and damping ratio.
void ContinuousOf(std::complex<double> z, double period, double& hz, double& zeta) {
  const std::complex<double> s = std::log(z) / period;
  const double w = std::abs(s);
  hz = w / (2.0 * std::numbers::pi);
  zeta = w > 0.0 ? -s.real() / w : 1.0;
}

// Fills the physical reading of a fitted candidate. False when it makes no physical sense:
// an unstable or non-real rigid pole, a gain of the wrong sign.
bool Interpret(const Candidate& c, PlantModel& m) {
  m.a.assign(c.beta.begin(), c.beta.begin() + c.s.na);
  m.b.assign(c.beta.begin() + c.s.na, c.beta.begin() + c.s.na + c.s.nb);
  m.delay = c.s.delay;
  m.frictionTerm = c.s.friction ? c.beta.back() : 0.0;
  m.resonance.reset();
  const double bSum = std::accumulate(m.b.begin(), m.b.end(), 0.0);
  double pole = 0.0, gain = 0.0;
  if (c.s.na == 1) {
    pole = m.a[0];
    gain = bSum;
  } else {
    std::vector<double> poly{1.0};
    for (double a : m.a) poly.push_back(-a);
    const auto roots = PolynomialRoots(poly);
    // The real root nearest 1 is the rigid body; the other two the mode.
    std::size_t rigid = roots.size();
    for (std::size_t i = 0; i < roots.size(); ++i) {
      if (std::fabs(roots[i].imag()) > 1e-9) continue;
      if (rigid == roots.size() || std::fabs(roots[i].real() - 1.0) < std::fabs(roots[rigid].real() - 1.0))
        rigid = i;
    }
    if (rigid == roots.size()) return false;
    pole = roots[rigid].real();
    std::complex<double> mode{1.0, 0.0}, other{};
    for (std::size_t i = 0; i < roots.size(); ++i) {
      if (i == rigid) continue;
      mode *= 1.0 - roots[i];
      if (roots[i].imag() > 0.0) other = roots[i];
    }
    gain = bSum / mode.real();
    if (other.imag() > 0.0 && std::abs(other) < 1.0) {
      PlantModel::Resonance r;
      ContinuousOf(other, m.servoPeriod, r.hz, r.dampingRatio);
      const auto zeros = PolynomialRoots(m.b);
      for (const auto& z : zeros) {
        if (z.imag() <= 0.0) continue;
        double hz = 0.0, zeta = 0.0;
        ContinuousOf(z, m.servoPeriod, hz, zeta);
        r.antiResonanceHz = hz;
      }
      m.resonance = r;
    }
  }
  if (!(pole > 0.0 && pole <= 1.0 + 1e-6) || !(gain > 0.0)) return false;
  m.inertia = 1.0 / gain;
  m.damping = 1.0 - pole;
  m.friction = c.s.friction ? std::max(0.0, -m.frictionTerm * m.inertia) : 0.0;
  return true;
}

}  // namespace

std::vector<std::complex<double>> PolynomialRoots(std::span<const double> coefficients) {
  std::size_t first = 0;
  while (first < coefficients.size() && coefficients[first] == 0.0) ++first;
  if (coefficients.size() - first < 2 || coefficients.size() - first > 65) return {};
  std::vector<std::complex<double>> c;
  for (std::size_t i = first; i < coefficients.size(); ++i)
    c.emplace_back(coefficients[i] / coefficients[first]);
  const std::size_t n = c.size() - 1;
  // Durand–Kerner from points spread on a circle as large as the roots can be, then Newton.
  double bound = 0.0;
  for (std::size_t i = 1; i <= n; ++i) bound = std::max(bound, std::abs(c[i]));
  const double radius = 1.0 + bound;
  std::vector<std::complex<double>> z(n);
  for (std::size_t i = 0; i < n; ++i)
    z[i] = std::polar(radius * 0.9, 2.0 * std::numbers::pi * (static_cast<double>(i) + 0.25) /
                                        static_cast<double>(n));
  const auto value = [&c](std::complex<double> x) {
    std::complex<double> p = c[0];
    for (std::size_t i = 1; i < c.size(); ++i) p = p * x + c[i];
    return p;
  };
  for (int iteration = 0; iteration < 2000; ++iteration) {
    double change = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
      std::complex<double> d = 1.0;
      for (std::size_t j = 0; j < n; ++j)
        if (j != i) d *= z[i] - z[j];
      if (d == 0.0) d = 1e-12;
      const std::complex<double> step = value(z[i]) / d;
      z[i] -= step;
      change = std::max(change, std::abs(step) / std::max(1.0, std::abs(z[i])));
    }
    if (change < 1e-15) break;
  }
  // Conjugate pairs of a real polynomial: snap tiny imaginary parts.
  for (auto& root : z)
    if (std::fabs(root.imag()) < 1e-10 * std::max(1.0, std::abs(root))) root.imag(0.0);
  return z;
}

std::optional<PlantModel> FitPlant(std::span<const double> position, std::span<const double> output,
                                   double period, const FitOptions& options, std::string& error) {
  if (position.size() != output.size()) {
    error = "The position and the output differ in length.";
    return std::nullopt;
  }
  if (!(period >= kMinFitPeriod && period <= kMaxFitPeriod)) {
    error = "The sample period must lie between 0.1 microseconds and 100 seconds.";
    return std::nullopt;
  }
  if (position.size() < static_cast<std::size_t>(kMinFitSamples)) {
    error = platform::Format("The run is too short to identify a plant: at least %d samples are "
                             "needed.", kMinFitSamples);
    return std::nullopt;
  }
  for (std::size_t k = 0; k < position.size(); ++k) {
    if (!std::isfinite(position[k]) || !std::isfinite(output[k])) {
      error = platform::Format("Sample %zu is not a number.", k + 1);
      return std::nullopt;
    }
  }
  const auto [uLow, uHigh] = std::minmax_element(output.begin(), output.end());
  if (*uLow == *uHigh) {
    error = "The output never changes: the run holds nothing to identify a plant from.";
    return std::nullopt;
  }
  std::vector<double> v(position.size(), 0.0);
  for (std::size_t k = 1; k < position.size(); ++k) v[k] = position[k] - position[k - 1];
  const auto sumSquares = [](const std::vector<double>& x, std::size_t from) {
    double mean = 0.0;
    for (std::size_t k = from; k < x.size(); ++k) mean += x[k];
    mean /= static_cast<double>(x.size() - from);
    double sum = 0.0;
    for (std::size_t k = from; k < x.size(); ++k) sum += (x[k] - mean) * (x[k] - mean);
    return sum;
  };
  const double total = sumSquares(v, 1);
  if (!(total > 0.0)) {
    error = "The position never moves: the run holds nothing to identify a plant from.";
    return std::nullopt;
  }
  double uSquares = 0.0;
  for (double x : output) uSquares += x * x;
  const std::vector<double> scale{std::sqrt(total / static_cast<double>(v.size())),
                                  std::sqrt(uSquares / static_cast<double>(v.size()))};

  // Friction can be told from damping only when the motion changes direction now and then.
  std::size_t forward = 0, backward = 0;
  for (double x : v) {
    if (x > 1e-9) ++forward;
    if (x < -1e-9) ++backward;
  }
  const bool frictionVisible = options.allowFriction && std::min(forward, backward) * 20 >= v.size();

  const int maxDelay = std::clamp(options.maxDelay, -1, 16);
  std::optional<Candidate> best[2];
  for (int order = 0; order < (options.allowResonance ? 2 : 1); ++order) {
    for (int delay = -1; delay <= maxDelay; ++delay) {
      for (bool friction : {false, true}) {
        if (friction && !frictionVisible) continue;
        Structure s{order == 0 ? 1 : 3, order == 0 ? 1 : 4, delay, friction};
        if (FirstRow(s) + 16 > v.size()) continue;
        auto c = Fit(v, output, s, scale);
        if (!c) continue;
        // Friction stays only where it earns its place.
        if (friction && best[order] && best[order]->s.delay == delay &&
            c->residual > 0.95 * best[order]->residual)
          continue;
        if (!best[order] || c->residual < best[order]->residual) best[order] = std::move(c);
      }
    }
  }
  if (!best[0] && !best[1]) {
    error = "No plant explains the run: the output does not move the position.";
    return std::nullopt;
  }

  PlantModel model;
  model.servoPeriod = period;
  const auto fitOf = [total](const Candidate& c) {
    return 100.0 * (1.0 - std::sqrt(std::max(0.0, c.residual) / total));
  };
  // The two-mass model is kept only when it explains clearly more than the rigid one and reads
  // as a resonance.
  // A rigid fit within 99.8 % leaves nothing a resonance could explain but rounding; and a mode
  // whose anti-resonance sits on it cancels out: there is none.
  // The two masses must also read as the same load as the rigid fit with a lightly damped mode
  // added; otherwise they fit something else (friction's stick-slip, noise) by accident.
  PlantModel rigid;
  rigid.servoPeriod = period;
  const bool rigidFits = best[0] && Interpret(*best[0], rigid);
  bool chosen = false;
  if (best[1] && (!best[0] || (best[1]->residual < 0.5 * best[0]->residual &&
                               best[0]->residual > 4e-6 * total))) {
    chosen = Interpret(*best[1], model) && model.resonance.has_value() &&
             model.resonance->dampingRatio < 0.3 &&
             !(model.resonance->antiResonanceHz &&
               std::fabs(*model.resonance->antiResonanceHz - model.resonance->hz) <
                   0.02 * model.resonance->hz) &&
             (!rigidFits || std::fabs(model.inertia / rigid.inertia - 1.0) < 0.3);
    if (chosen) model.fitPercent = fitOf(*best[1]);
  }
  if (!chosen && best[0]) {
    chosen = Interpret(*best[0], model);
    if (chosen) model.fitPercent = fitOf(*best[0]);
  }
  if (!chosen) {
    error = "No plant explains the run: the fitted load would accelerate against its output.";
    return std::nullopt;
  }
  if (best[0]) model.notes.push_back(platform::Format("Rigid load: %.2f %% fit", fitOf(*best[0])));
  if (best[1])
    model.notes.push_back(platform::Format("Two masses: %.2f %% fit", fitOf(*best[1])));
  if (model.fitPercent < 50.0) {
    error = platform::Format("No plant explains the run: the best fits only %.1f %% of the "
                             "velocity (noise, or an output that is not this motor's).",
                             model.fitPercent);
    return std::nullopt;
  }
  return model;
}

DiscretePlant PlantTransfer(const PlantModel& m) {
  // Velocity: V = q^(1+delay) · B(q) / A(q), q = z⁻¹, A = 1 − a1 q − …; position: V / (1 − q).
  DiscretePlant p;
  const int shift = 1 + m.delay;  // ≥ 0
  p.numerator.assign(static_cast<std::size_t>(shift), 0.0);
  p.numerator.insert(p.numerator.end(), m.b.begin(), m.b.end());
  std::vector<double> a{1.0};
  for (double x : m.a) a.push_back(-x);
  p.denominator.assign(a.size() + 1, 0.0);
  for (std::size_t i = 0; i < a.size(); ++i) {
    p.denominator[i] += a[i];
    p.denominator[i + 1] -= a[i];
  }
  return p;
}

std::vector<std::string> PlantReport(const PlantModel& m) {
  using platform::Format;
  std::vector<std::string> lines;
  lines.push_back(Format("Model: %s, %.2f %% of the velocity explained",
                         m.resonance ? "two masses" : "rigid load", m.fitPercent));
  lines.push_back(Format("Inertia: %.6g DAC bits per count/cycle^2", m.inertia));
  lines.push_back(Format("Damping: %.6g per cycle", m.damping));
  lines.push_back(Format("Delay from output to motion: %d servo cycle%s", m.delay + 1,
                         m.delay == 0 ? "" : "s"));
  if (m.friction > 0.0) lines.push_back(Format("Coulomb friction: %.4g DAC bits", m.friction));
  if (m.resonance) {
    lines.push_back(Format("Resonance: %.4g Hz, damping ratio %.3g", m.resonance->hz,
                           m.resonance->dampingRatio));
    if (m.resonance->antiResonanceHz)
      lines.push_back(Format("Anti-resonance: %.4g Hz", *m.resonance->antiResonanceHz));
  }
  for (const std::string& note : m.notes) lines.push_back(note);
  return lines;
}

}  // namespace bl::tuning
