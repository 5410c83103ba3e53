// The application object: reports errors that no operation handled.
#pragma once

#include <QApplication>

namespace quillon {

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
