#include "diagnostics/diagnostic_window.h"

#include <algorithm>
#include <cmath>

#include "diagnostics/diagnostic_buttons.h"
#include "diagnostics/diagnostic_paint.h"
#include "link/pmac_link.h"
#include "platform/text_format.h"

namespace bl::diagnostics {

namespace {

constexpr int kSliderReach = 5;
constexpr int kDefaultDecimals = 6;
constexpr int kMaxDecimals = 60;

bool InTable(int index) { return index >= 0 && index < kDiagnosticTableSize; }

bool Clickable(int kind) {
  return kind == kKindButton || kind == kKindSlider || kind == kKindValueBox;
}

}  // namespace

int HitItem(const DiagnosticTables& tables, int page, platform::Point p) {
  int counted = 0;
  for (int i = 0; i < kDiagnosticTableSize; ++i) {
    const DiagnosticItem& item = tables.items[i];
    if (item.kind == kKindEnd) break;
    if (item.kind == kKindPage) ++counted;
    if (counted != page || !Clickable(item.kind)) continue;
    const int reach = item.kind == kKindSlider ? kSliderReach : 0;
    const int left = std::min(item.x1, item.x2) + kPageLeft - reach;
    const int right = std::max(item.x1, item.x2) + kPageLeft + reach;
    const int top = std::min(item.y1, item.y2) + kPageTop;
    const int bottom = std::max(item.y1, item.y2) + kPageTop;
    if (p.x > left && p.x < right && p.y > top && p.y < bottom) return i;
  }
  return -1;
}

double SliderValue(const DiagnosticItem& s, platform::Point p) {
  double f = 0;
  if (s.style == 0) {
    if (s.y1 != s.y2) f = static_cast<double>(p.y - kPageTop - s.y2) / (s.y1 - s.y2);
  } else {
    if (s.x1 != s.x2) f = static_cast<double>(p.x - kPageLeft - s.x1) / (s.x2 - s.x1);
  }
  const double v = (s.maximum - s.minimum) * f + s.minimum;
  if (std::isnan(v)) return s.minimum;
  return std::clamp(v, std::min(s.minimum, s.maximum), std::max(s.minimum, s.maximum));
}

std::string VariableAssignment(int type, int number, const std::string& valueText) {
  static constexpr const char* kPrefixes[] = {"P%d=", "Q%d=", "M%d=", "I%d="};
  if (type < 1 || type > 4) return {};
  return platform::Format(kPrefixes[type - 1], number) + valueText;
}

std::string SliderValueText(double value, int precision) {
  const int decimals = precision < 0 ? kDefaultDecimals : std::min(precision, kMaxDecimals);
  return platform::Format("%.*lf", decimals, value);
}

DiagnosticWindow::DiagnosticWindow(DiagnosticScript& script, PmacLink& link,
                                   ScriptLoadContext loader)
    : script_(script), link_(link), loader_(std::move(loader)) {}

DiagnosticWindow::Action DiagnosticWindow::Press(platform::Point p) {
  int hit = -1;
  int kind = kKindEnd;
  {
    std::lock_guard lock(script_.mutex);
    const DiagnosticTables& tables = script_.tables;
    if (p.y < kPageTop) {
      const DiagnosticItem* page = PageRecord(tables, script_.currentPage);
      if (p.x > (page ? page->x1 : 0) - kCloseBoxFrom) return Action::Close;
      dragMode_ = 1;
      return Action::StartMove;
    }
    hit = HitItem(tables, script_.currentPage, p);
    if (hit < 0) return Action::Repaint;
    kind = tables.items[hit].kind;
    if (kind == kKindSlider) {
      dragMode_ = 2;
      dragged_ = hit;
      StoreSliderValue(p);
      return Action::Repaint;
    }
  }
  if (kind == kKindValueBox) {
    edited_ = hit;
    return Action::EditValue;
  }
  // The action may send a command or load a script: it takes the lock itself.
  if (!RunButtonAction(script_, link_, loader_, hit)) return Action::Repaint;
  pressed_ = hit;
  return Action::ButtonPressed;
}

void DiagnosticWindow::StoreSliderValue(platform::Point p) {
  DiagnosticTables& tables = script_.tables;
  if (!InTable(dragged_)) return;
  const DiagnosticItem& slider = tables.items[dragged_];
  if (!InTable(slider.variableA)) return;
  DiagnosticVariable& v = tables.variables[slider.variableA];
  const double value = SliderValue(slider, p);
  if (v.type >= 1 && v.type <= 4) v.value = value;
  if (v.type == kVariableInternal) v.value = TruncateToInt(value);
}

DiagnosticWindow::Action DiagnosticWindow::MoveTo(platform::Point p) {
  if (dragMode_ == 1) return Action::MoveWindow;
  if (dragMode_ != 2) return Action::None;
  std::lock_guard lock(script_.mutex);
  StoreSliderValue(p);
  return Action::Repaint;
}

DiagnosticWindow::Action DiagnosticWindow::Release(platform::Point p) {
  const int mode = dragMode_;
  dragMode_ = 0;
  if (mode != 2) return Action::None;
  std::string command;
  {
    std::lock_guard lock(script_.mutex);
    DiagnosticTables& tables = script_.tables;
    if (!InTable(dragged_)) return Action::Repaint;
    const DiagnosticItem& slider = tables.items[dragged_];
    if (!InTable(slider.variableA)) return Action::Repaint;
    DiagnosticVariable& v = tables.variables[slider.variableA];
    const double value = SliderValue(slider, p);
    if (v.type == kVariableInternal) v.value = TruncateToInt(value);
    // The base number: a slider sets the variable it names, whatever its index points at.
    command = VariableAssignment(v.type, v.number, SliderValueText(value, slider.precision));
  }
  if (!command.empty()) {
    std::string reply;
    link_.PmacCommand(reply, kValueReplySize, command, true);
  }
  return Action::Repaint;
}

DiagnosticWindow::Action DiagnosticWindow::TimerElapsed() {
  pressed_ = -1;
  return Action::Repaint;
}

std::optional<platform::Size> DiagnosticWindow::WindowSize() const {
  std::lock_guard lock(script_.mutex);
  return DiagnosticWindowSize(script_.tables, script_.currentPage);
}

void DiagnosticWindow::Paint(platform::Canvas& canvas, int liveCount) const {
  std::lock_guard lock(script_.mutex);
  PaintDiagnosticPage(canvas, script_.tables, script_.currentPage, pressed_, liveCount);
}

}  // namespace bl::diagnostics
