// The application object: reports errors that no operation handled.
#pragma once

#include <QApplication>
#include <QIcon>

namespace quillon {

// The program's icon in all its sizes; every window shows it.
QIcon ApplicationIcon();

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

signals:
    // An error escaped an event handler; the program goes on.
    void errorRaised(const QString& text);
};

} // namespace quillon
