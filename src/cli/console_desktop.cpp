#include "cli/console_desktop.h"

namespace bl::cli {

platform::MessageAnswer ConsoleDesktop::ShowMessage(std::string_view text, std::string_view title,
                                                    platform::MessageButtons buttons,
                                                    platform::MessageIcon) {
  std::string line(title);
  if (!line.empty()) line += ": ";
  for (char c : text) line += c == '\n' ? ' ' : c;
  err_ << line << '\n';
  // Nobody is there to answer: a question gets the answer that changes nothing.
  switch (buttons) {
    case platform::MessageButtons::Ok:
      return platform::MessageAnswer::Ok;
    case platform::MessageButtons::YesNo:
      return platform::MessageAnswer::No;
    default:
      return platform::MessageAnswer::Cancel;
  }
}

}  // namespace bl::cli
