#include "ProgramIcon.h"

// The icon resources live in a static library: their registration has to be
// referenced to be linked in, and from outside any namespace.
static void InitIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace quillon {

namespace {

constexpr int IconSizes[] = {16, 32, 48, 256};
const QString IconFile = QStringLiteral(":/icons/quillon-%1.png");

} // namespace

QIcon ApplicationIcon() {
    InitIconResources();
    QIcon icon;
    for (const int size : IconSizes)
        icon.addFile(IconFile.arg(size), QSize(size, size));
    return icon;
}

} // namespace quillon
