#include "Application.h"

#include "ProgramIcon.h"

namespace quillon {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Quillon"));
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
