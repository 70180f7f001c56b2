#include "platform/qt/qt_locale.h"

#include <clocale>

namespace bl::platform {

void KeepCNumberFormat() { std::setlocale(LC_NUMERIC, "C"); }

}  // namespace bl::platform
