// Termination signals handed to the event loop: the handler only writes the
// signal's number into a socket pair, whose other end a socket notifier reads.
#pragma once

#include <QObject>

#include <initializer_list>
#include <vector>

class QSocketNotifier;

namespace quillon {

// Catches the given signals for as long as it lives (one watcher at a time);
// caught() follows in the watcher's event loop.
class TSignalWatcher : public QObject {
    Q_OBJECT
public:
    explicit TSignalWatcher(std::initializer_list<int> signalNumbers, QObject* parent = nullptr);
    ~TSignalWatcher() override;

    // The last signal caught, even when the event loop has not yet run since;
    // 0 for none.
    static int Caught();
    // The exit status of a program ended by the signal: 128 and its number.
    static int ExitStatus(int signalNumber) { return 128 + signalNumber; }

signals:
    void caught(int signalNumber);

private:
    void Read();

    std::vector<int> Numbers;
    QSocketNotifier* Notifier = nullptr;
};

} // namespace quillon
