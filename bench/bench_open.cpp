// bench_open [REVISIONS...]: measures the whole open of a working folder in the
// main window, offscreen, on synthetic logs of the given sizes (by default 200
// thousand and 1 million revisions).
//
// The client is a fake: a shell script named "cvs" that writes the log file to
// standard output. The window runs it through its runner, parses the output on
// its worker thread, checks the log and fills the views; the open is timed from
// OpenFolder to loadFinished with the history shown (a long one is listed on a
// worker after the table is swapped in), and to the "Done" that ends "Parsing
// log...". Before it, the same bytes are parsed
// alone in the same process, for the ratio, and the client's output is read
// through a plain pipe, the floor of the client's run. All times are
// wall-clock.
//
// While the open runs, a timer on the GUI thread ticks every 5 ms; the longest
// gap between its ticks is the longest the window could not repaint or answer
// input, reported with the status messages around it.
#include "AuthorIndex.h"
#include "CheckLog.h"
#include "GuiBench.h"
#include "ParseLog.h"

#include <QDir>
#include <QTemporaryDir>

#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace quillon;
using namespace quillon::bench;

namespace {

constexpr std::array<std::size_t, 2> DefaultSizes = {200'000, 1'000'000};
constexpr unsigned Seed = 1;
constexpr double OpenGoalRatio = 1.5;
constexpr double StallGoalMs = 50;
constexpr int OpenTimeoutMs = 600'000;
constexpr int SettleMs = 300;
constexpr double BytesPerMB = 1e6;

// When the messages of the open's steps were shown, in ms from OpenFolder;
// negative for a message that never came.
struct TStages {
    double ClientDone = -1; // the "Done" of the client's run
    double ParseStart = -1;
    double ParseDone = -1;
    double CheckStart = -1;
    double CheckDone = -1;
    double FilterStart = -1;
    double Loaded = -1; // loadFinished, with the history shown
};

struct TResult {
    std::size_t Revisions = 0;
    std::size_t LogBytes = 0;
    double ParseAloneMs = 0;      // ParseLog
    double ParseCheckAloneMs = 0; // ParseLog + the check + the author index
    double PipeMs = 0;            // the client's output read into one buffer, without Qt
    TStages Stages;
    std::vector<TStallMeter::TStall> Stalls; // the open's longest, longest first
    TStallMeter::TStall PaintAfter;          // the first paint of the loaded window
    double IdleStallMs = 0;                  // the meter on an idle window before the open
    QString Error;
};

// Finds each step's message in the messages of the open, in order.
TStages FindStages(const std::vector<std::pair<double, QString>>& shown, double loaded) {
    TStages stages;
    stages.Loaded = loaded;
    std::size_t i = 0;
    auto next = [&](const QString& message, double& at) {
        for (; i < shown.size(); ++i)
            if (shown[i].second == message) {
                at = shown[i++].first;
                return;
            }
    };
    next(Status::Done, stages.ClientDone);
    next(Status::ParsingLog, stages.ParseStart);
    next(Status::Done, stages.ParseDone);
    next(Status::CheckingLog, stages.CheckStart);
    next(Status::Done, stages.CheckDone);
    next(Status::FilteringFiles, stages.FilterStart);
    return stages;
}

bool MakeFakeClient(const QString& folder, const QString& logPath) {
    QFile script(QDir(folder).filePath(QStringLiteral("cvs")));
    if (!script.open(QIODevice::WriteOnly))
        return false;
    script.write("#!/bin/sh\nexec cat '" + logPath.toLocal8Bit() + "'\n");
    script.close();
    return script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// The open of workingFolder with the client of clientFolder.
void MeasureOpen(const QString& clientFolder, const QString& workingFolder, TResult& result) {
    TfrmMain window;
    window.Settings.CVSPath = clientFolder;
    window.Settings.KeepCache = false; // the open as the first of a folder
    window.show();
    RunEventsFor(SettleMs);

    TStallMeter meter(window);
    result.IdleStallMs = IdleStallMs(meter);
    std::vector<std::pair<double, QString>> shown;
    const auto start = std::chrono::steady_clock::now();
    QObject::connect(&window, &TfrmMain::statusShown, [&](const QString& message) {
        const QString base = StatusBase(message);
        if (shown.empty() || shown.back().second != base)
            shown.emplace_back(MsSince(start), base);
    });
    double loaded = -1;
    QEventLoop loop;
    // The open ends when the history, listed on a worker, is shown.
    auto ended = [&] {
        if (loaded >= 0 || window.ListingHistory())
            return;
        loaded = MsSince(start);
        meter.Stop();
        result.Stalls = meter.WorstStalls();
        loop.quit();
    };
    bool finished = false;
    QObject::connect(&window, &TfrmMain::loadFinished, &loop, [&] {
        finished = true;
        ended();
    });
    QObject::connect(&window, &TfrmMain::findFinished, &loop, [&] {
        if (finished)
            ended();
    });
    QTimer::singleShot(OpenTimeoutMs, &loop, &QEventLoop::quit);
    meter.Start();
    window.OpenFolder(workingFolder);
    loop.exec();
    if (loaded < 0) {
        meter.Stop();
        result.Error = QStringLiteral("the open did not end within the time limit");
        return;
    }
    result.Stages = FindStages(shown, loaded);

    meter.Start();
    RunEventsFor(SettleMs);
    result.PaintAfter = meter.Stop();

    const std::size_t revisions =
        window.Load().Table() ? window.Load().Table()->RevisionCount() : 0;
    if (revisions != result.Revisions ||
        window.HistoryModel().rowCount() != static_cast<int>(result.Revisions) ||
        window.FilesModel().rowCount() == 0)
        result.Error = QStringLiteral("the window shows %1 revisions, %2 history rows, %3 files; "
                                      "last status \"%4\"")
                           .arg(revisions)
                           .arg(window.HistoryModel().rowCount())
                           .arg(window.FilesModel().rowCount())
                           .arg(shown.empty() ? QString() : shown.back().second);
}

// ParseLog, and what the window's worker does, on a copy of the same bytes.
void MeasureParse(const std::string& log, TResult& result) {
    std::string bytes = log;
    const auto start = std::chrono::steady_clock::now();
    auto table = ParseLog(std::move(bytes));
    result.ParseAloneMs = MsSince(start);
    ClearEmptyMessages(*table);
    const auto counters = CountFiles(*table, DefaultLinesLimit);
    const TAuthorIndex authors(*table);
    result.ParseCheckAloneMs = MsSince(start);
    if (table->RevisionCount() != result.Revisions || authors.Names().empty())
        result.Error = QStringLiteral("the parse alone did not read the whole log");
}

// The floor of the client's run: the fake client started through the shell,
// its output read through a plain pipe into one buffer of the log's size.
void MeasurePipe(const QString& client, TResult& result) {
    const auto start = std::chrono::steady_clock::now();
    std::FILE* pipe = popen(("'" + client.toLocal8Bit() + "'").constData(), "r");
    if (!pipe) {
        result.Error = QStringLiteral("cannot start the fake client");
        return;
    }
    std::string buffer(result.LogBytes, '\0');
    std::size_t received = 0;
    while (received < buffer.size()) {
        const std::size_t read =
            std::fread(buffer.data() + received, 1, buffer.size() - received, pipe);
        if (read == 0)
            break;
        received += read;
    }
    const bool ended = pclose(pipe) == 0;
    result.PipeMs = MsSince(start);
    if (!ended || received != result.LogBytes)
        result.Error = QStringLiteral("the fake client wrote %1 of %2 bytes")
                           .arg(received)
                           .arg(result.LogBytes);
}

TResult RunSize(std::size_t revisions) {
    TResult result;
    result.Revisions = revisions;
    QTemporaryDir dir;
    if (!dir.isValid()) {
        result.Error = QStringLiteral("cannot create a temporary folder");
        return result;
    }
    const QString logPath = dir.filePath(QStringLiteral("log.txt"));
    const QString clientFolder = dir.filePath(QStringLiteral("bin"));
    const QString workingFolder = dir.filePath(QStringLiteral("work"));
    {
        const std::string log = MakeSyntheticLog(revisions, Seed);
        result.LogBytes = log.size();
        if (!WriteFile(logPath, log) || !QDir().mkpath(clientFolder) ||
            !QDir().mkpath(workingFolder + QStringLiteral("/CVS")) ||
            !MakeFakeClient(clientFolder, logPath)) {
            result.Error = QStringLiteral("cannot write the log file and the fake client");
            return result;
        }
        MeasureParse(log, result);
    }
    if (result.Error.isEmpty())
        MeasurePipe(CvsProgram(clientFolder), result);
    if (result.Error.isEmpty())
        MeasureOpen(clientFolder, workingFolder, result);
    return result;
}

double Span(double from, double to) {
    return from >= 0 && to >= 0 ? to - from : -1;
}

void PrintResult(const TResult& r) {
    const TStages& s = r.Stages;
    std::printf(
        "%9zu %6.1f %6.0f %6.0f %6.0f | %6.0f %6.0f %6.0f %6.0f | %7.0f %7.0f %5.2fx %5.2fx "
        "| %7.1f %6.1f\n",
        r.Revisions, static_cast<double>(r.LogBytes) / BytesPerMB, r.ParseAloneMs,
        r.ParseCheckAloneMs, r.PipeMs, s.ClientDone, Span(s.ParseStart, s.ParseDone),
        Span(s.CheckStart, s.CheckDone), Span(s.FilterStart, s.Loaded), s.ParseDone, s.Loaded,
        s.ParseDone / r.ParseAloneMs, s.Loaded / r.ParseAloneMs,
        r.Stalls.empty() ? 0.0 : r.Stalls.front().Ms, r.PaintAfter.Ms);
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::size_t> sizes;
    if (!ParseSizes(argc, argv, sizes, {DefaultSizes.begin(), DefaultSizes.end()})) {
        std::fputs("usage: bench_open [REVISIONS...]\n", stderr);
        return 2;
    }
    PrepareQtEnvironment();
    int qtArgc = 1;
    QApplication app(qtArgc, argv);

    std::printf(
        "Whole open of a working folder (offscreen main window, fake client: cat of a synthetic\n"
        "log of seed %u), from OpenFolder to loadFinished with the history shown, against\n"
        "ParseLog alone on the same bytes in the same process. Wall-clock ms.\n"
        "alone: ParseLog, the first in the process; +chk: ParseLog + the check + author\n"
        "index (the worker's share); pipe: the fake client's output read through a plain\n"
        "pipe into one buffer of the log's size, without Qt (the floor of \"client\").\n"
        "Open stages: client = OpenFolder to the client's \"Done\" (start, pipe, collect);\n"
        "parse, check = \"Parsing log...\"/\"Checking log...\" to their \"Done\"; views =\n"
        "\"Filtering files...\" to the history shown (FilterFiles, then the listing of a long\n"
        "history on a worker).\n"
        "to Done: OpenFolder to the parse's \"Done\"; open: to the history shown; ratios\n"
        "over alone.\n"
        "stall: longest gap between %d ms timer ticks on the GUI thread during the open;\n"
        "paint: the same during the %d ms after the open (the loaded window's first "
        "paint).\n",
        Seed, StallTickMs, SettleMs);
    std::printf("Load averages at the start (/proc/loadavg): %s\n\n", LoadAverages().c_str());
    std::printf("%9s %6s %6s %6s %6s | %6s %6s %6s %6s | %7s %7s %6s %6s | %7s %6s\n", "revisions",
                "log MB", "alone", "+chk", "pipe", "client", "parse", "check", "views", "to Done",
                "open", "Done/p", "open/p", "stall", "paint");
    std::fflush(stdout);

    bool failed = false;
    std::vector<TResult> results;
    for (const std::size_t size : sizes) {
        TResult r = RunSize(size);
        if (!r.Error.isEmpty()) {
            std::printf("%9zu  failed: %s\n", size, qPrintable(r.Error));
            failed = true;
        } else {
            PrintResult(r);
            results.push_back(std::move(r));
        }
        std::fflush(stdout);
    }

    std::printf("\n");
    for (const TResult& r : results) {
        std::printf("%zu revisions, longest stalls of the open:\n", r.Revisions);
        for (const auto& stall : r.Stalls)
            std::printf("  %7.1f ms %s\n", stall.Ms, DescribeStall(stall).c_str());
        std::printf("  after the open: %.1f ms %s\n", r.PaintAfter.Ms,
                    DescribeStall(r.PaintAfter).c_str());
        std::printf("  idle window before the open, %d ms: %.1f ms\n", IdleMeasureMs,
                    r.IdleStallMs);
        const double ratio = r.Stages.Loaded / r.ParseAloneMs;
        const double stall = r.Stalls.empty() ? 0.0 : r.Stalls.front().Ms;
        std::printf("  Goal: whole open within %.1fx of the parse alone: %s (%.2fx)\n",
                    OpenGoalRatio, ratio <= OpenGoalRatio ? "met" : "NOT met", ratio);
        std::printf("  Goal: GUI thread never blocked over %.0f ms: %s (%.1f ms)\n", StallGoalMs,
                    stall <= StallGoalMs ? "met" : "NOT met", stall);
    }
    std::printf("Load averages at the end: %s\n", LoadAverages().c_str());
    return failed ? 1 : 0;
}
