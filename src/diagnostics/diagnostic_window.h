#pragma once

#include <optional>
#include <string>

#include "diagnostics/diagnostic_script.h"
#include "diagnostics/script_loader.h"
#include "platform/canvas.h"

namespace bl {
class PmacLink;
}

namespace bl::diagnostics {

// How long a clicked button stays pressed.
inline constexpr int kButtonPressedMs = 500;
// The close box takes title-bar clicks right of the page width less this.
inline constexpr int kCloseBoxFrom = 26;

// The first item, in table order, on the page, of kind 3, 7 or 9 whose box (in client pixels)
// strictly contains the point; a slider's box is 5 pixels wider on both sides. -1 for none.
int HitItem(const DiagnosticTables& tables, int page, platform::Point client);

// A slider's value for a point: minimum at the bottom (vertical, style 0) or left (any other
// style), limited to the range. A slider without length gives its minimum.
double SliderValue(const DiagnosticItem& slider, platform::Point client);

// "P%d=", "Q%d=", "M%d=" or "I%d=" for variable types 1 to 4 followed by the text; empty for
// other types.
std::string VariableAssignment(int type, int number, const std::string& valueText);

// A slider's value as its release sends it: "%.<precision>lf", six decimals for a negative
// precision (a hexadecimal slider has no sensible fixed-point form).
std::string SliderValueText(double value, int precision);

// The diagnostic window's behaviour without its widget: what a press, a move and a release do
// (closing, moving the window, buttons, sliders, the edit dialog) and painting the current page.
// The script's tables are shared with the monitor thread, so every access takes their lock;
// commands go out after it is released.
class DiagnosticWindow {
 public:
  DiagnosticWindow(DiagnosticScript& script, PmacLink& link, ScriptLoadContext loader);

  // What the host does after an event.
  enum class Action {
    None,
    Repaint,
    Close,
    StartMove,      // remember where the window is and where the mouse took it
    MoveWindow,     // follow the mouse
    EditValue,      // open "Edit Diagnostic Window Value" for EditedItem(), then repaint
    ButtonPressed,  // (re)start the kButtonPressedMs timer and repaint
  };

  Action Press(platform::Point client);
  Action MoveTo(platform::Point client);
  Action Release(platform::Point client);
  // The pressed button's time is up.
  Action TimerElapsed();

  int DragMode() const { return dragMode_; }  // 0 none, 1 moving the window, 2 a slider
  int PressedButton() const { return pressed_; }
  int EditedItem() const { return edited_; }

  // The window's size for the current page; nothing when the script has no such page.
  std::optional<platform::Size> WindowSize() const;
  void Paint(platform::Canvas& canvas, int liveCount) const;

 private:
  // Gives the dragged slider's variable the value for the point. Lock held.
  void StoreSliderValue(platform::Point client);

  DiagnosticScript& script_;
  PmacLink& link_;
  ScriptLoadContext loader_;
  int dragMode_ = 0;
  int dragged_ = -1;
  int pressed_ = -1;
  int edited_ = -1;
};

}  // namespace bl::diagnostics
