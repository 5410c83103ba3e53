// Helpers of the benchmarks that drive the main window offscreen: the GUI
// thread's stall meter, wall-clock times and the synthetic log on disk.
#pragma once

#include "SyntheticLog.h"
#include "fMain.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace quillon::bench {

inline constexpr int StallTickMs = 5;

// Milliseconds of wall-clock time since start.
inline double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// A status message without its progress figures: "Parsing log... (12 files)"
// gives "Parsing log...".
inline QString StatusBase(const QString& message) {
    const qsizetype progress = message.indexOf(QLatin1String("... ("));
    return progress < 0 ? message : message.left(progress + 3);
}

// Sets up the Qt application of a benchmark: offscreen unless a platform is
// named, and a settings store of its own.
inline void PrepareQtEnvironment() {
    QStandardPaths::setTestModeEnabled(true);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// The machine's load averages, as /proc/loadavg gives them: other programs
// running beside a benchmark slow it down.
inline std::string LoadAverages() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return "unknown";
    return file.readLine().trimmed().toStdString();
}

// Writes text to a new file at path; false when it could not be written.
inline bool WriteFile(const QString& path, const std::string& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(text.data(), static_cast<qint64>(text.size())) ==
               static_cast<qint64>(text.size()) &&
           file.flush();
}

// The longest time the GUI thread went without serving its event loop, seen as
// the largest gap between the ticks of a timer firing every StallTickMs, and
// the status messages of the window around it.
class TStallMeter {
public:
    static constexpr std::size_t WorstKept = 3;

    struct TStall {
        double Ms = 0;
        QString StatusBefore;    // showing when the gap began
        QStringList ShownDuring; // shown while the thread was away, in order
    };

    explicit TStallMeter(TfrmMain& window) {
        Timer.setTimerType(Qt::PreciseTimer);
        Timer.setInterval(StallTickMs);
        QObject::connect(&Timer, &QTimer::timeout, [this] { Tick(); });
        // The timer, gone with the meter, ends the connection with it.
        QObject::connect(&window, &TfrmMain::statusShown, &Timer, [this](const QString& message) {
            const QString base = StatusBase(message);
            Current = base;
            if (ShownSinceTick.isEmpty() || ShownSinceTick.back() != base)
                ShownSinceTick.append(base);
        });
    }

    void Start() {
        Worst.clear();
        ShownSinceTick.clear();
        StatusAtTick = Current;
        Clock.start();
        LastTickNs = 0;
        Timer.start();
    }
    // Ends the measure, counting the gap that is still open; returns the
    // longest gap.
    TStall Stop() {
        Tick();
        Timer.stop();
        return Worst.empty() ? TStall{} : Worst.front();
    }
    // The longest gaps of the last measure, longest first.
    const std::vector<TStall>& WorstStalls() const { return Worst; }

private:
    void Tick() {
        const qint64 now = Clock.nsecsElapsed();
        const double gap = static_cast<double>(now - LastTickNs) / 1e6;
        if (Worst.size() < WorstKept || gap > Worst.back().Ms) {
            if (Worst.size() == WorstKept)
                Worst.pop_back();
            const auto place = std::find_if(Worst.begin(), Worst.end(),
                                            [gap](const TStall& s) { return s.Ms < gap; });
            Worst.insert(place, {gap, StatusAtTick, ShownSinceTick});
        }
        LastTickNs = now;
        StatusAtTick = Current;
        ShownSinceTick.clear();
    }

    QTimer Timer;
    QElapsedTimer Clock;
    qint64 LastTickNs = 0;
    QString Current;
    QString StatusAtTick;
    QStringList ShownSinceTick;
    std::vector<TStall> Worst;
};

inline constexpr int IdleMeasureMs = 1000;

// The longest gap of meter over an idle event loop of IdleMeasureMs: the
// stall that the timer and the machine's other load make by themselves.
inline double IdleStallMs(TStallMeter& meter) {
    meter.Start();
    QEventLoop loop;
    QTimer::singleShot(IdleMeasureMs, &loop, &QEventLoop::quit);
    loop.exec();
    return meter.Stop().Ms;
}

// "while X" or "while X, through Y, Z" for a report.
inline std::string DescribeStall(const TStallMeter::TStall& stall) {
    QString text = QStringLiteral("while \"%1\"").arg(stall.StatusBefore);
    if (!stall.ShownDuring.isEmpty())
        text +=
            QStringLiteral(", through \"%1\"").arg(stall.ShownDuring.join(QLatin1String("\", \"")));
    return text.toStdString();
}

// Runs the event loop until the window shows the history it lists on a
// worker, if it lists one.
inline void WaitForHistory(TfrmMain& window) {
    if (!window.ListingHistory())
        return;
    QEventLoop loop;
    QObject::connect(&window, &TfrmMain::findFinished, &loop, &QEventLoop::quit);
    loop.exec();
}

// Calls start from the event loop and runs the loop until the window signals
// signal, or timeoutMs have passed, then until it shows the history it lists
// on a worker; false on the timeout.
template <typename TSignal>
bool StartAndWait(TfrmMain& window, TSignal signal, const std::function<void()>& start,
                  int timeoutMs) {
    QEventLoop loop;
    bool signalled = false;
    const auto connection = QObject::connect(&window, signal, &loop, [&] {
        signalled = true;
        loop.quit();
    });
    QTimer::singleShot(0, &loop, start);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(connection);
    if (signalled)
        WaitForHistory(window);
    return signalled;
}

// Runs the event loop for ms milliseconds, so that pending paints are done.
inline void RunEventsFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace quillon::bench
