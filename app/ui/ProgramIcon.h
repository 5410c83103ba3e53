// The program's icon, shown by every window.
#pragma once

#include <QIcon>

namespace quillon {

// The program's icon in all its sizes.
QIcon ApplicationIcon();

} // namespace quillon
