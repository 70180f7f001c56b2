#include "diagnostics/position_window.h"

#include <algorithm>
#include <cmath>

#include "controller/controller_type.h"
#include "diagnostics/watch_paint.h"
#include "platform/color_palette.h"
#include "platform/text_format.h"

namespace bl::diagnostics {

namespace {

constexpr int kPages = 4;
constexpr std::size_t kFieldChars = 255;

const char* ModeTitle(int mode) {
  if (mode == 1) return "Motor Velocities";
  if (mode == 2) return "Motor Following Errors";
  return "Motor Positions";
}

}  // namespace

PositionWindow::PositionWindow(monitor::PositionDisplay& display, PositionUnits& units,
                               const ControllerType& type)
    : display_(display), units_(units), type_(type) {
  // A page left over from a Turbo controller would fill the wrong motors on another type.
  if (!type_.IsTurbo()) display_.motorGroup = 0;
}

platform::Size PositionWindow::WindowSize() const { return {435, type_.IsTurbo() ? 331 : 306}; }

int PositionWindow::Page() const {
  const int page = display_.motorGroup.load();
  return type_.IsTurbo() && page >= 0 && page < kPages ? page : 0;
}

void PositionWindow::Paint(platform::Canvas& canvas) const {
  namespace text = platform::text;
  const int mode = display_.displayMode.load();
  PaintPageFrame(canvas, 425, type_.IsTurbo() ? 290 : 265, 4, ModeTitle(mode),
                 display_.live.value.load());
  const monitor::PositionDisplay::Values values = display_.Copy();
  canvas.SetFont(platform::FontId::Arial);
  canvas.SetTextColor(platform::kBlack);
  canvas.SetTextBackground(platform::kWhite, true);
  canvas.SetPen(platform::kBlack);
  const unsigned line = text::kVCenter | text::kSingleLine;
  for (int i = 0; i < kMotorsPerPage; ++i) {
    const int y = 65 + 30 * i;
    int motor = Page() * kMotorsPerPage + i + 1;
    if (motor < 1 || motor > kPositionMotors) motor = 1;
    const MotorUnits& u = units_[static_cast<std::size_t>(motor - 1)];
    canvas.DrawText(platform::Format("Motor #%d", motor), {14, y - 30, 104, y}, text::kLeft | line);
    canvas.DrawText(
        MotorValueText(values[static_cast<std::size_t>(motor - 1)], mode, u, type_.servoPeriod),
        {104, y - 30, 304, y}, text::kRight | line);
    canvas.DrawText(mode == 1 ? u.unitName + "/s" : u.unitName, {314, y - 30, 429, y},
                    text::kLeft | line);
    canvas.DrawLine({4, y}, {429, y});
  }
}

void PositionWindow::SetMode(int mode) {
  display_.displayMode = std::clamp(mode, 0, 2);
  display_.Clear();
}

void PositionWindow::PreviousPage() {
  display_.motorGroup = type_.IsTurbo() ? (Page() + kPages - 1) % kPages : 0;
  display_.Clear();
}

void PositionWindow::NextPage() {
  display_.motorGroup = type_.IsTurbo() ? (Page() + 1) % kPages : 0;
  display_.Clear();
}

std::string MotorValueText(double raw, int mode, const MotorUnits& units, double servoPeriod) {
  const double divisor = mode == 1 ? units.countsPerUnit * servoPeriod : units.countsPerUnit;
  if (!(divisor > 0)) return "---";
  const int precision = std::clamp(units.precision, 0, kPositionPrecisionLimit);
  return platform::Format("%.*lf", precision, raw / divisor);
}

PositionUnitsPresenter::PositionUnitsPresenter(PositionUnits& units, int page)
    : units_(units), first_(std::clamp(page, 0, kPages - 1) * kMotorsPerPage) {
  for (int i = 0; i < kMotorsPerPage; ++i) {
    const MotorUnits& u = units_[static_cast<std::size_t>(first_ + i)];
    Row& r = rows[static_cast<std::size_t>(i)];
    r.label = platform::Format("Motor #%d", first_ + i + 1);
    r.unitName = u.unitName;
    r.countsPerUnit = platform::Format("%.4lf", u.countsPerUnit);
    r.precision = platform::Format("%d", u.precision);
  }
}

void PositionUnitsPresenter::Ok() {
  for (int i = 0; i < kMotorsPerPage; ++i) {
    MotorUnits& u = units_[static_cast<std::size_t>(first_ + i)];
    const Row& r = rows[static_cast<std::size_t>(i)];
    u.unitName = std::string(platform::Cut(r.unitName, kUnitNameChars));
    double counts = 0;
    if (platform::Scan(r.countsPerUnit, kFieldChars, "%lf", &counts) == 1 && std::isfinite(counts))
      u.countsPerUnit = counts;
    if (const auto p = platform::ParseNumberField(platform::Cut(r.precision, kFieldChars), false))
      u.precision = static_cast<int>(std::clamp<long long>(*p, 0, kPositionPrecisionLimit));
  }
}

}  // namespace bl::diagnostics
