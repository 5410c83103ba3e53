#include "Application.h"

#include "ProgramIcon.h"
#include "Version.h"

namespace quillon {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QLatin1String(ProgramName));
    setApplicationVersion(QLatin1String(ProgramVersion));
    // Desktops match the windows with the installed entry and its icon.
    setDesktopFileName(QLatin1String(ProgramId));
    setWindowIcon(ApplicationIcon());
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        emit errorRaised(QStringLiteral("Error: %1").arg(QString::fromLocal8Bit(e.what())));
    }
    return false;
}

} // namespace quillon
