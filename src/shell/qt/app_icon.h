#pragma once

#include <QIcon>

namespace bl {

// The program's icon, a lantern, drawn at the large and small sizes.
QIcon MakeAppIcon();

}  // namespace bl
