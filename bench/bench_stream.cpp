// bench_stream [REVISIONS]: the open of a working folder while the client is
// still writing its log (by default the 1-million-revision synthetic log).
//
// The client is a fake: this program itself, started as "cvs" by a shell
// script, writes the log file to standard output through the pipe, as fast as
// it can or throttled to 25 MB/s, the pace of the real client. Each measure
// runs in a child process of its own, so that its peak resident size is its
// own:
// - parse: ParseLog of the whole log in memory (the log read before);
// - pieces: the same parse fed 64 KiB at a time, as the client's output comes;
//   its heap growth gives the table's bytes per revision, all its texts
//   included (a streamed table keeps no copy of the log);
// - pipe: the client's output read through a plain pipe and dropped;
// - after: the client run to its end, its output collected, then parsed and
//   checked on a worker, as a load did before the parse was streamed;
// - stream: the load controller's own open, from OpenFolder to loadFinished;
// - +cache: the same with the cache on, the log compressed into a new entry as
//   it comes (the goals are judged on stream).
// Times are wall-clock; parse and the unthrottled measures give the fastest of
// three runs, with the highest peak of the three. The measures take turns, a
// run of each at a time: the machine's speed drifts over minutes, and a ratio
// of two measures taken minutes apart would show the drift. Beside them, the
// processor time the measure took, and that of the client: on this machine's
// cores, the two together take at least their sum over the cores in
// wall-clock time. A timer on the GUI thread ticks every 5 ms during the
// opens; the longest gap between its ticks is the longest stall.
//
// Before each child starts, memory is written and given back (see
// WarmFreeMemory): without it, the parse alone varied by up to 2x from run to
// run on this virtual machine.
#include "CheckLog.h"
#include "CvsRunner.h"
#include "HugePages.h"
#include "LoadController.h"
#include "LogCache.h"
#include "LogSummary.h"
#include "ParseLog.h"
#include "SyntheticLog.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>

#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

using namespace quillon;

namespace {

constexpr std::size_t DefaultRevisions = 1'000'000;
constexpr unsigned Seed = 1;
constexpr double ThrottledBytesPerSecond = 25e6;
constexpr std::size_t ClientPieceBytes = 64 << 10;
constexpr int TickMs = 5;
constexpr int FastRuns = 3; // of parse and of the unthrottled measures
constexpr int OpenTimeoutMs = 900'000;
constexpr double OpenGoalRatio = 1.2;
constexpr double StallGoalMs = 50;
constexpr double AfterClientGoalMs = 500;
constexpr double PeakGoalMB = 500;
constexpr double BytesPerRevisionGoal = 128;
constexpr double BytesPerMB = 1e6;
constexpr double BytesPerKiB = 1024; // the unit of ru_maxrss
constexpr const char* ClientFlag = "--client";

// What a child reports back through a pipe.
struct TMeasure {
    double Ms = 0;          // the whole measure
    double ClientEndMs = 0; // the client's end, for the opens
    double StallMs = 0;
    double PeakMB = 0;
    double BytesPerRevision = 0; // for pieces: the table's, in all
    double CpuMs = 0;            // the measure's processor time, its threads' in all
    double ClientCpuMs = 0;      // the client's
    bool Ok = false;
    char Error[200] = {};
};

double MsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double PeakMB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) * BytesPerKiB / BytesPerMB;
}

// The heap's bytes in use, and the log blocks that are mapped beside it.
std::int64_t HeapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<std::int64_t>(info.uordblks + info.hblkhd + MappedHugeBytes());
}

// The processor time of this process and of its children that have ended.
struct TCpu {
    double Own = 0;
    double Children = 0;
};

TCpu CpuNow() {
    auto ms = [](int who) {
        rusage usage{};
        getrusage(who, &usage);
        return (static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e6 +
                static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec)) /
               1e3;
    };
    return {ms(RUSAGE_SELF), ms(RUSAGE_CHILDREN)};
}

void SetCpu(TMeasure& m, const TCpu& before) {
    const TCpu now = CpuNow();
    m.CpuMs = now.Own - before.Own;
    m.ClientCpuMs = now.Children - before.Children;
}

void Fail(TMeasure& m, const std::string& message) {
    std::snprintf(m.Error, sizeof m.Error, "%s", message.c_str());
}

// The fake client: writes the file to standard output, at most rate bytes a
// second when rate is not 0.
int RunClient(const char* path, double rate) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return 1;
    std::string piece(ClientPieceBytes, '\0');
    const auto start = std::chrono::steady_clock::now();
    double written = 0;
    for (std::size_t n; (n = std::fread(piece.data(), 1, piece.size(), file)) > 0;) {
        for (std::size_t done = 0; done < n;) {
            const ssize_t w = ::write(STDOUT_FILENO, piece.data() + done, n - done);
            if (w <= 0)
                return 1;
            done += static_cast<std::size_t>(w);
        }
        written += static_cast<double>(n);
        if (rate > 0)
            std::this_thread::sleep_until(start + std::chrono::duration<double>(written / rate));
    }
    std::fclose(file);
    return 0;
}

// The longest gap between the ticks of a timer on the calling thread.
class TStallMeter {
public:
    TStallMeter() {
        Timer.setTimerType(Qt::PreciseTimer);
        Timer.setInterval(TickMs);
        QObject::connect(&Timer, &QTimer::timeout, [this] { Tick(); });
        Clock.start();
        Timer.start();
    }
    double Stop() {
        Tick();
        Timer.stop();
        return Longest;
    }

private:
    void Tick() {
        const qint64 now = Clock.nsecsElapsed();
        Longest = std::max(Longest, static_cast<double>(now - Last) / 1e6);
        Last = now;
    }
    QTimer Timer;
    QElapsedTimer Clock;
    qint64 Last = 0;
    double Longest = 0;
};

struct TSetup {
    std::string LogPath;
    QString ClientFolder; // holds "cvs"
    QString WorkingFolder;
    std::size_t Revisions = 0;
    std::size_t LogBytes = 0;
};

bool ReadFile(const std::string& path, std::string& text) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    text.resize(static_cast<std::size_t>(file.size()));
    return file.read(text.data(), file.size()) == file.size();
}

void MeasureParse(const TSetup& setup, TMeasure& m) {
    std::string log;
    if (!ReadFile(setup.LogPath, log))
        return Fail(m, "cannot read the log");
    const TCpu cpu = CpuNow();
    const auto start = std::chrono::steady_clock::now();
    const auto table = ParseLog(std::move(log));
    m.Ms = MsSince(start);
    SetCpu(m, cpu);
    m.Ok = table->RevisionCount() == setup.Revisions;
}

void MeasurePieces(const TSetup& setup, TMeasure& m) {
    std::FILE* file = std::fopen(setup.LogPath.c_str(), "rb");
    if (!file)
        return Fail(m, "cannot read the log");
    std::string piece(ClientPieceBytes, '\0');
    const std::int64_t heapBefore = HeapInUse();
    const TCpu cpu = CpuNow();
    const auto start = std::chrono::steady_clock::now();
    TLogReader reader;
    for (std::size_t n; (n = std::fread(piece.data(), 1, piece.size(), file)) > 0;)
        reader.Add(std::string_view(piece.data(), n));
    const auto table = reader.Finish();
    m.Ms = MsSince(start);
    SetCpu(m, cpu);
    std::fclose(file);
    m.BytesPerRevision =
        static_cast<double>(HeapInUse() - heapBefore) / static_cast<double>(setup.Revisions);
    m.Ok = table->RevisionCount() == setup.Revisions;
}

void MeasurePipe(const TSetup& setup, TMeasure& m) {
    const QByteArray command = "'" + QDir(setup.ClientFolder).filePath("cvs").toLocal8Bit() + "'";
    const TCpu cpu = CpuNow();
    const auto start = std::chrono::steady_clock::now();
    std::FILE* pipe = popen(command.constData(), "r");
    if (!pipe)
        return Fail(m, "cannot start the fake client");
    std::string buffer(ClientPieceBytes, '\0');
    std::size_t received = 0;
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        received += n;
    const bool ended = pclose(pipe) == 0;
    m.Ms = MsSince(start);
    SetCpu(m, cpu);
    m.Ok = ended && received == setup.LogBytes;
}

// The client run to its end, then the parse and the check on a worker.
void MeasureAfter(const TSetup& setup, TMeasure& m) {
    TCvsRunner runner;
    QThreadPool workers;
    QEventLoop loop;
    std::size_t revisions = 0;
    const TCpu cpu = CpuNow();
    const auto start = std::chrono::steady_clock::now();
    TStallMeter meter;
    QObject::connect(&runner, &TCvsRunner::finished, &loop, [&] {
        m.ClientEndMs = MsSince(start);
        auto output = std::make_shared<TCvsOutput>(std::move(runner.TakeResult().Output));
        workers.start([&, output] {
            std::shared_ptr<TRCSFileTable> table = ParseLog(output->Take());
            ClearEmptyMessages(*table);
            const TLogSummary summary = SummarizeLog(*table, DefaultLinesLimit);
            QMetaObject::invokeMethod(&loop, [&, n = table->RevisionCount()] {
                revisions = n;
                loop.quit();
            });
        });
    });
    QTimer::singleShot(OpenTimeoutMs, &loop, &QEventLoop::quit);
    runner.Start(CvsProgram(setup.ClientFolder), {QStringLiteral("log")}, setup.WorkingFolder);
    loop.exec();
    m.Ms = MsSince(start);
    SetCpu(m, cpu);
    m.StallMs = meter.Stop();
    workers.waitForDone();
    m.Ok = revisions == setup.Revisions;
}

// The load controller's open of the folder; with keepCache, the log is also
// compressed into a new cache entry as it comes.
void MeasureOpen(const TSetup& setup, TMeasure& m, bool keepCache) {
    QTemporaryDir cache;
    TLogCache::SetDefaultFolder(cache.path());
    TSettings settings;
    settings.CVSPath = setup.ClientFolder;
    settings.KeepCache = keepCache;
    TLoadController loader(settings);
    QEventLoop loop;
    const TCpu cpu = CpuNow();
    const auto start = std::chrono::steady_clock::now();
    TStallMeter meter;
    QObject::connect(&loader, &TLoadController::statusShown, &loop, [&](const QString& message) {
        if (message == Status::Done && m.ClientEndMs == 0)
            m.ClientEndMs = MsSince(start);
    });
    QObject::connect(&loader, &TLoadController::loadFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(OpenTimeoutMs, &loop, &QEventLoop::quit);
    loader.OpenFolder(setup.WorkingFolder);
    loop.exec();
    m.Ms = MsSince(start);
    SetCpu(m, cpu);
    m.StallMs = meter.Stop();
    m.Ok = loader.Table() && loader.Table()->RevisionCount() == setup.Revisions;
}

void MeasureStream(const TSetup& setup, TMeasure& m) {
    MeasureOpen(setup, m, false);
}

void MeasureStreamCached(const TSetup& setup, TMeasure& m) {
    MeasureOpen(setup, m, true);
}

// Runs measure in a child process with a Qt application of its own.
TMeasure InChild(const TSetup& setup, void (*measure)(const TSetup&, TMeasure&)) {
    TMeasure m;
    int channel[2];
    if (pipe(channel) != 0) {
        Fail(m, "cannot create a pipe");
        return m;
    }
    bench::WarmFreeMemory();
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        int argc = 1;
        char name[] = "bench_stream";
        char* argv[] = {name, nullptr};
        QCoreApplication app(argc, argv);
        TMeasure measured;
        measure(setup, measured);
        measured.PeakMB = PeakMB();
        if (!measured.Ok && !measured.Error[0])
            Fail(measured, "the table does not hold the revisions of the log");
        const bool written =
            write(channel[1], &measured, sizeof measured) == static_cast<ssize_t>(sizeof measured);
        _exit(written ? 0 : 1);
    }
    close(channel[1]);
    int status = 0;
    if (child < 0 || read(channel[0], &m, sizeof m) != static_cast<ssize_t>(sizeof m))
        Fail(m, "the child process failed");
    if (child > 0)
        waitpid(child, &status, 0);
    close(channel[0]);
    return m;
}

// The fastest of the runs of a measure, with the highest peak of them all:
// other work on the machine makes single runs vary. A run that fails stands.
struct TBest {
    TMeasure Measure;
    bool Taken = false;
    void Run(const TSetup& setup, void (*measure)(const TSetup&, TMeasure&)) {
        if (Taken && !Measure.Ok)
            return;
        const TMeasure next = InChild(setup, measure);
        const double peak = std::max(Measure.PeakMB, next.PeakMB);
        if (!Taken || !next.Ok || next.Ms < Measure.Ms)
            Measure = next;
        Measure.PeakMB = peak;
        Taken = true;
    }
};

bool WriteClient(const QString& folder, const char* self, const std::string& log, double rate) {
    QFile script(QDir(folder).filePath(QStringLiteral("cvs")));
    if (!script.open(QIODevice::WriteOnly))
        return false;
    script.write(QByteArray("#!/bin/sh\nexec '") + self + "' " + ClientFlag + " '" +
                 QByteArray::fromStdString(log) + "' " + QByteArray::number(rate, 'f', 0) + "\n");
    script.close();
    return script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

const char* Met(bool met) {
    return met ? "met" : "NOT met";
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], ClientFlag) == 0)
        return RunClient(argv[2], std::atof(argv[3]));
    std::vector<std::size_t> sizes;
    if (!bench::ParseSizes(argc, argv, sizes, {DefaultRevisions})) {
        std::fputs("usage: bench_stream [REVISIONS]\n", stderr);
        return 2;
    }
    const std::string self =
        QFileInfo(QString::fromLocal8Bit(argv[0])).absoluteFilePath().toStdString();
    bool failed = false;
    for (const std::size_t revisions : sizes) {
        QTemporaryDir dir;
        TSetup setup;
        setup.Revisions = revisions;
        setup.LogPath = dir.filePath(QStringLiteral("log.txt")).toStdString();
        setup.ClientFolder = dir.filePath(QStringLiteral("bin"));
        setup.WorkingFolder = dir.filePath(QStringLiteral("work"));
        {
            std::FILE* file = std::fopen(setup.LogPath.c_str(), "wb");
            bench::WriteSyntheticLog(revisions, Seed, [&](std::string_view piece) {
                setup.LogBytes += std::fwrite(piece.data(), 1, piece.size(), file);
            });
            std::fclose(file);
        }
        if (!QDir().mkpath(setup.ClientFolder) ||
            !QDir().mkpath(setup.WorkingFolder + QStringLiteral("/CVS"))) {
            std::printf("%zu: cannot make the folders\n", revisions);
            return 1;
        }
        std::printf(
            "Open of a folder whose client writes the %zu-revision synthetic log (%.1f MB,\n"
            "seed %u) through a pipe. Wall-clock ms; peak: the child's peak resident MB.\n"
            "after: the client run to its end, then parse + check (the load before the\n"
            "parse was streamed); stream: the load controller's open, parsing as the\n"
            "client writes. Ratios over the longer of pipe and parse. Parse and the\n"
            "unthrottled measures: the fastest of %d runs, the highest peak; they take\n"
            "turns, so that a spell of a slower machine meets them alike. cpu: the\n"
            "processor ms of the measure; cl. cpu: of the client; least: the two over\n"
            "the %u cores, the least wall-clock time they can take.\n",
            revisions, static_cast<double>(setup.LogBytes) / BytesPerMB, Seed, FastRuns,
            std::max(std::thread::hardware_concurrency(), 1u));
        const TMeasure pieces = InChild(setup, MeasurePieces);
        const double logPerRevision =
            static_cast<double>(setup.LogBytes) / static_cast<double>(setup.Revisions);
        TBest bestParse;
        for (const double rate : {0.0, ThrottledBytesPerSecond}) {
            if (!WriteClient(setup.ClientFolder, self.c_str(), setup.LogPath, rate)) {
                std::printf("cannot write the fake client\n");
                return 1;
            }
            TBest bestPipe, bestAfter, bestStream, bestCached;
            for (int run = 0; run < (rate > 0 ? 1 : FastRuns); ++run) {
                if (rate == 0)
                    bestParse.Run(setup, MeasureParse);
                bestStream.Run(setup, MeasureStream);
                bestPipe.Run(setup, MeasurePipe);
                bestAfter.Run(setup, MeasureAfter);
                bestCached.Run(setup, MeasureStreamCached);
            }
            const TMeasure& parse = bestParse.Measure;
            if (rate == 0) {
                std::printf("parse alone %.0f ms (cpu %.0f ms, peak %.0f MB); in 64 KiB pieces "
                            "%.0f ms (peak %.0f MB, table %.1f bytes per revision in all, the log "
                            "%.1f)\n",
                            parse.Ms, parse.CpuMs, parse.PeakMB, pieces.Ms, pieces.PeakMB,
                            pieces.BytesPerRevision, logPerRevision);
                failed = failed || !parse.Ok || !pieces.Ok;
            }
            const TMeasure& pipe = bestPipe.Measure;
            const TMeasure& after = bestAfter.Measure;
            const TMeasure& stream = bestStream.Measure;
            const TMeasure& cached = bestCached.Measure;
            const double floor = std::max(pipe.Ms, parse.Ms);
            const double cores = std::max(std::thread::hardware_concurrency(), 1u);
            std::printf("\nclient %s: pipe %.0f ms (cpu: reader %.0f ms, client %.0f ms)\n",
                        rate > 0 ? "at 25 MB/s" : "unthrottled", pipe.Ms, pipe.CpuMs,
                        pipe.ClientCpuMs);
            std::printf("%8s %8s %8s %7s %9s %8s %7s %7s %7s %7s\n", "", "open", "client", "ratio",
                        "after cl.", "stall", "peak", "cpu", "cl. cpu", "least");
            for (const auto& [name, m] : {std::pair{"after", &after}, std::pair{"stream", &stream},
                                          std::pair{"+cache", &cached}}) {
                if (!m->Ok) {
                    std::printf("%8s failed: %s\n", name, m->Error);
                    failed = true;
                    continue;
                }
                std::printf("%8s %8.0f %8.0f %6.2fx %9.0f %8.1f %7.0f %7.0f %7.0f %7.0f\n", name,
                            m->Ms, m->ClientEndMs, m->Ms / floor, m->Ms - m->ClientEndMs,
                            m->StallMs, m->PeakMB, m->CpuMs, m->ClientCpuMs,
                            (m->CpuMs + m->ClientCpuMs) / cores);
            }
            if (!pipe.Ok || !after.Ok || !stream.Ok || !cached.Ok) {
                failed = failed || !pipe.Ok;
                continue;
            }
            if (rate == 0)
                std::printf("Goal: open within %.1fx of the longer of pipe and parse: %s "
                            "(%.2fx; before %.2fx)\n",
                            OpenGoalRatio, Met(stream.Ms <= OpenGoalRatio * floor),
                            stream.Ms / floor, after.Ms / floor);
            else
                std::printf("Goal: open ends within %.0f ms of the client: %s (%.0f ms; before "
                            "%.0f ms)\n",
                            AfterClientGoalMs,
                            Met(stream.Ms - stream.ClientEndMs <= AfterClientGoalMs),
                            stream.Ms - stream.ClientEndMs, after.Ms - after.ClientEndMs);
            std::printf(
                "Goal: GUI thread never stalls over %.0f ms: %s (%.1f ms; before %.1f ms)\n",
                StallGoalMs, Met(stream.StallMs <= StallGoalMs), stream.StallMs, after.StallMs);
            std::printf("Goal: peak at most %.0f MB: %s (%.0f MB; before %.0f MB)\n", PeakGoalMB,
                        Met(stream.PeakMB <= PeakGoalMB), stream.PeakMB, after.PeakMB);
        }
        std::printf("Goal: at most %.0f bytes per revision beyond the log's: %s (%.1f)\n",
                    BytesPerRevisionGoal,
                    Met(pieces.BytesPerRevision - logPerRevision <= BytesPerRevisionGoal),
                    pieces.BytesPerRevision - logPerRevision);
    }
    return failed ? 1 : 0;
}
