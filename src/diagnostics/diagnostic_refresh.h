#pragma once

#include "diagnostics/diagnostic_script.h"

namespace bl {
class PmacLink;
}

namespace bl::diagnostics {

// One refresh of the diagnostic window's values, run on the monitor thread each cycle while the
// window exists (its poll hook): the read flags are cleared, variables A and B of the items on
// the current page are read from the controller (a variable's index variable first), and every
// strip chart takes its item value as its newest sample. The repaint and the live counter are the
// monitor's.
//
// The exchanges run on a copy of the variables without the lock, so painting and clicks never
// wait for the controller; the results are stored under the lock, and dropped when a script was
// loaded meanwhile. An index variable that leads back to itself is used with the value it had.
void RefreshDiagnosticScript(DiagnosticScript& script, PmacLink& link);

}  // namespace bl::diagnostics
