#pragma once

#include <functional>
#include <string>

namespace bl {

struct ControllerType;
class PmacLink;
class DefinitionTable;
class Terminal;

// What identification asks of the rest of the program.
struct IdentifyHooks {
  std::function<void()> closePositionWindow;
  std::function<void(const std::string& title)> setTitle;
  // The data series may only be used up to the new series count.
  std::function<void(int seriesCount)> limitCurrentSeries;
};

// Fills the controller record from the connected controller, or, with no device open, from the
// type code already chosen; sets the title, empties the definition table and prints the system
// information in the terminal.
void IdentifyController(ControllerType& type, PmacLink& link, DefinitionTable& definitions,
                        Terminal& terminal, const IdentifyHooks& hooks);

}  // namespace bl
