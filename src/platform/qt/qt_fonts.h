#pragma once

#include <QFont>

#include "platform/canvas.h"

namespace bl::platform {

// The workbench's fonts as Qt fonts. "Courier" and "Arial" resolve to the metric-compatible
// Liberation faces through fontconfig.
QFont MakeQtFont(FontId font);
QFont MakeQtFontByHeight(int heightPx, bool fixedPitch, bool bold);

// Converts between the workbench's one-byte-per-character texts and Qt strings.
QString ToQt(std::string_view text);
std::string FromQt(const QString& text);
// The text without the characters that a one-byte text cannot hold (beyond Latin-1): what the
// user types or pastes loses those characters instead of getting a '?' for each.
QString Latin1Only(const QString& text);

}  // namespace bl::platform
