// bench_cache [REVISIONS...]: measures the reopen of a working folder from the
// cache of logs in the main window, offscreen, on synthetic logs of the given
// sizes (by default 1 million revisions).
//
// The log is kept in a cache of its own first (the write is timed: the window
// does it on a worker after a load). Then the folder is opened with a fake
// client that never ends, and the time from OpenFolder to the status "Cached
// ...; refreshing..." with the history shown is the time until the history is
// usable: the entry has been read, decompressed, parsed, checked and the views
// filled. The longest stall of the GUI thread meanwhile is given too. Beside
// it, the same folder opened as today without the cache, through a fake client
// that writes the log; its time to loadFinished is the figure the cache saves.
// Wall-clock; each measure starts after WarmFreeMemory.
#include "GuiBench.h"
#include "LogCache.h"

#include <QDir>
#include <QTemporaryDir>

#include <array>
#include <cstdio>
#include <vector>

using namespace quillon;
using namespace quillon::bench;

namespace {

constexpr std::array<std::size_t, 1> DefaultSizes = {1'000'000};
constexpr unsigned Seed = 1;
constexpr double UsableGoalMs = 1500;
constexpr int OpenTimeoutMs = 600'000;
constexpr int SettleMs = 300;
constexpr double BytesPerMB = 1e6;

struct TResult {
    std::size_t LogBytes = 0;
    qint64 EntryBytes = 0;
    double WriteMs = 0;
    double ReadMs = 0;    // the entry read and decompressed alone
    double UsableMs = -1; // OpenFolder to "Cached ...; refreshing..."
    double StallMs = 0;
    double FreshMs = -1; // OpenFolder to loadFinished without the cache
    QString Error;
};

bool MakeClient(const QString& folder, const QByteArray& body) {
    QFile script(QDir(folder).filePath(QStringLiteral("cvs")));
    if (!script.open(QIODevice::WriteOnly))
        return false;
    script.write("#!/bin/sh\n" + body + "\n");
    script.close();
    return script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// OpenFolder to the first status that starts with until, or to loadFinished
// when until is empty, and the history shown; negative on a timeout.
double TimeOpen(TfrmMain& window, const QString& folder, const QString& until, double* stallMs) {
    TStallMeter meter(window);
    const auto start = std::chrono::steady_clock::now();
    double at = -1;
    QEventLoop loop;
    // Reached once the history, listed on a worker, is shown too.
    bool seen = false;
    auto reached = [&] {
        if (at >= 0 || !seen || window.ListingHistory())
            return;
        at = MsSince(start);
        if (stallMs)
            *stallMs = meter.Stop().Ms;
        loop.quit();
    };
    QObject::connect(&window, &TfrmMain::findFinished, &loop, reached);
    if (until.isEmpty())
        QObject::connect(&window, &TfrmMain::loadFinished, &loop, [&] {
            seen = true;
            reached();
        });
    else
        QObject::connect(&window, &TfrmMain::statusShown, &loop, [&](const QString& message) {
            if (message.startsWith(until)) {
                seen = true;
                reached();
            }
        });
    QTimer::singleShot(OpenTimeoutMs, &loop, &QEventLoop::quit);
    meter.Start();
    window.OpenFolder(folder);
    loop.exec();
    return at;
}

TResult Measure(std::size_t revisions) {
    TResult result;
    QTemporaryDir dir;
    const QString work = dir.filePath(QStringLiteral("work"));
    const QString sleeper = dir.filePath(QStringLiteral("sleeper"));
    const QString writer = dir.filePath(QStringLiteral("writer"));
    const QString logPath = dir.filePath(QStringLiteral("log.txt"));
    if (!QDir().mkpath(work + QStringLiteral("/CVS")) || !QDir().mkpath(sleeper) ||
        !QDir().mkpath(writer) || !MakeClient(sleeper, "exec sleep 600") ||
        !MakeClient(writer, "exec cat '" + logPath.toLocal8Bit() + "'")) {
        result.Error = QStringLiteral("cannot make the folders");
        return result;
    }
    TLogCache::SetDefaultFolder(dir.filePath(QStringLiteral("cache")));
    const TLogCache cache(TLogCache::DefaultFolder());
    const QString place = TLogCache::FolderPlace(work);
    {
        const std::string log = MakeSyntheticLog(revisions, Seed);
        result.LogBytes = log.size();
        if (!WriteFile(logPath, log)) {
            result.Error = QStringLiteral("cannot write the log");
            return result;
        }
        const auto start = std::chrono::steady_clock::now();
        result.Error = cache.Write(place, {log});
        result.WriteMs = MsSince(start);
        if (!result.Error.isEmpty())
            return result;
    }
    result.EntryBytes = QFileInfo(cache.EntryPath(place)).size();
    {
        WarmFreeMemory();
        const auto start = std::chrono::steady_clock::now();
        QString error;
        const std::optional<TCachedLog> read = cache.Read(place, error);
        result.ReadMs = MsSince(start);
        if (!read || read->Log.size() != result.LogBytes) {
            result.Error = QStringLiteral("the entry does not read back: %1").arg(error);
            return result;
        }
    }

    {
        TfrmMain window;
        window.Settings.CVSPath = sleeper;
        window.Settings.KeepCache = true;
        window.show();
        RunEventsFor(SettleMs);
        WarmFreeMemory();
        result.UsableMs = TimeOpen(window, work, QStringLiteral("Cached "), &result.StallMs);
        window.Load().Abort();
        RunEventsFor(SettleMs);
    }
    {
        TfrmMain window;
        window.Settings.CVSPath = writer;
        window.Settings.KeepCache = false;
        window.show();
        RunEventsFor(SettleMs);
        WarmFreeMemory();
        result.FreshMs = TimeOpen(window, work, QString(), nullptr);
    }
    return result;
}

} // namespace

int main(int argc, char** argv) {
    PrepareQtEnvironment();
    QApplication app(argc, argv);
    std::vector<std::size_t> sizes;
    if (!ParseSizes(argc, argv, sizes, {DefaultSizes.begin(), DefaultSizes.end()})) {
        std::fprintf(stderr, "usage: bench_cache [REVISIONS...]\n");
        return 2;
    }
    std::printf("Reopen from the cache of logs (synthetic log of seed %u), wall-clock.\n"
                "usable: OpenFolder to \"Cached ...; refreshing...\" with a client that never "
                "ends (goal <= %.0f ms);\nfresh: the same open without the cache, to "
                "loadFinished, the client writing the log.\nload averages: %s\n",
                Seed, UsableGoalMs, LoadAverages().c_str());
    bool met = true;
    for (const std::size_t revisions : sizes) {
        const TResult r = Measure(revisions);
        if (!r.Error.isEmpty()) {
            std::printf("%zu revisions: %s\n", revisions, qPrintable(r.Error));
            met = false;
            continue;
        }
        const bool ok = r.UsableMs >= 0 && r.UsableMs <= UsableGoalMs;
        met = met && ok;
        std::printf("%zu revisions, log %.0f MB, entry %.0f MB (%.1f%%)\n", revisions,
                    static_cast<double>(r.LogBytes) / BytesPerMB,
                    static_cast<double>(r.EntryBytes) / BytesPerMB,
                    100.0 * static_cast<double>(r.EntryBytes) / static_cast<double>(r.LogBytes));
        std::printf("  write %.0f ms, read alone %.0f ms\n", r.WriteMs, r.ReadMs);
        std::printf("  usable from the cache %.0f ms (%s), longest GUI stall %.0f ms\n", r.UsableMs,
                    ok ? "goal met" : "GOAL MISSED", r.StallMs);
        std::printf("  fresh open without the cache %.0f ms: the cache is %.1fx faster\n",
                    r.FreshMs, r.UsableMs > 0 ? r.FreshMs / r.UsableMs : 0.0);
    }
    return met ? 0 : 1;
}
