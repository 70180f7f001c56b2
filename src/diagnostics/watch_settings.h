#pragma once

#include <string>
#include <string_view>

#include "diagnostics/watch_table.h"

namespace bl::diagnostics {

// The watched items of one controller type, kept between runs in the user's config folder
// ("watch_TURBO2.conf" and so on): one line per item with its variable, display, scaling factor,
// range and precision. Raw values and histories are not kept.
std::string WatchSettingsPath(std::string_view controllerShortName);

std::string WatchSettingsText(const WatchTable::Items& items);
// The items a settings text holds, in order, at most 19; a line that is damaged or names a
// variable beyond variableCount is skipped, so any text gives a sound table.
WatchTable::Items ReadWatchSettings(std::string_view text, int variableCount);

// False with a sentence in error when the file exists but cannot be read; a missing file gives
// an empty table.
bool LoadWatchSettings(const std::string& path, int variableCount, WatchTable::Items& items,
                       std::string& error);
bool SaveWatchSettings(const std::string& path, const WatchTable::Items& items, std::string& error);

}  // namespace bl::diagnostics
