#pragma once

#include <string>
#include <string_view>

#include "diagnostics/diagnostic_script.h"

namespace bl {
class PmacLink;
}

namespace bl::diagnostics {

// A description with every two-character "\n" among its first 254 characters made a line
// break.
std::string DescriptionText(std::string_view text);

// The "Edit Diagnostic Window Value" dialog for a value box (kind 9): its texts when opened, and
// what OK does with the typed value.
class ValueEditPresenter {
 public:
  ValueEditPresenter(DiagnosticScript& script, PmacLink& link, int itemIndex);

  // The dialog's texts, all values in the item's precision ("$" and hexadecimal digits for a
  // negative one).
  const std::string& Title() const { return title_; }
  const std::string& Description() const { return description_; }
  const std::string& Value() const { return value_; }
  const std::string& Maximum() const { return maximum_; }
  const std::string& Minimum() const { return minimum_; }

  // OK with the "New Value:" text: "$" and hexadecimal digits, or a decimal real. A value within
  // minimum..maximum (or any, when the minimum is not below the maximum) is sent to P, Q, M and
  // I variables (the index variable applied to the number) with echo, or stored truncated in an
  // internal variable. Anything else, and text that is not a finite number, is silently dropped.
  // True when the value was taken.
  bool Accept(std::string_view newValue);

 private:
  DiagnosticScript& script_;
  PmacLink& link_;
  int item_;
  std::string title_;
  std::string description_;
  std::string value_;
  std::string maximum_;
  std::string minimum_;
};

}  // namespace bl::diagnostics
