// bench_find [REVISIONS...]: measures Find in the main window with a synthetic
// log loaded (by default 1 million revisions), offscreen with the window shown
// on the History page.
//
// First the search alone: the find index's build, then Prepare and
// FindRevisions over the whole history for a few texts, without the index and
// with it, and the commits and chart of the found rows, median of three runs.
// Meanwhile the window builds its own index, as it does after every load.
// Then keystrokes in the find field: each one timed from the change of the
// text to the narrowed lists being shown, with the longest gap between the
// ticks of a 5 ms timer on the GUI thread, and a burst of keystrokes typed
// 20 ms apart, where every newer one cancels the search of the older. Goals:
// a keystroke's narrowing within 200 ms, no stall of the GUI thread over
// 50 ms. Last the history is sorted by each column in both orders, as a click
// on the column's header does: goal within 500 ms, no stall over 50 ms.
#include "Find.h"
#include "GuiBench.h"

#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace quillon;
using namespace quillon::bench;

namespace {

constexpr std::size_t DefaultRevisions = 1'000'000;
constexpr unsigned Seed = 1;
constexpr int Repeats = 3;
constexpr int LoadTimeoutMs = 600'000;
constexpr int FindTimeoutMs = 60'000;
constexpr int SettleMs = 150;
constexpr int BurstGapMs = 20;
constexpr int HistoryPage = 1;
constexpr double NarrowGoalMs = 200;
constexpr double StallGoalMs = 50;
constexpr double SortGoalMs = 500;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct TKeystroke {
    double Ms = 0;
    double StallMs = 0;
    int Rows = 0;
};

// Sets the field's texts one after the other, gapMs apart, and waits for the
// narrowing of the last.
TKeystroke Type(TfrmMain& window, TStallMeter& meter, QLineEdit& field, const QStringList& texts,
                int gapMs) {
    RunEventsFor(SettleMs);
    TKeystroke result;
    meter.Start();
    std::chrono::steady_clock::time_point start;
    QEventLoop loop;
    bool done = false;
    const auto connection = QObject::connect(&window, &TfrmMain::findFinished, &loop, [&] {
        if (window.FindText().Text() == texts.back()) {
            result.Ms = MsSince(start);
            done = true;
            loop.quit();
        }
    });
    for (qsizetype i = 0; i < texts.size(); ++i)
        QTimer::singleShot(int(i) * gapMs, &field, [&, i] {
            start = std::chrono::steady_clock::now();
            field.setText(texts[i]);
        });
    QTimer::singleShot(FindTimeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(connection);
    RunEventsFor(SettleMs);
    result.StallMs = meter.Stop().Ms;
    result.Rows = done ? window.HistoryModel().rowCount() : -1;
    return result;
}

// Sorts the whole history by each column, ascending then descending, as the
// header's clicks do, from the call to the rows being replaced.
bool SortHistory(TfrmMain& window, TStallMeter& meter) {
    TRevisionListModel& model = window.HistoryModel();
    std::printf("%-34s %9s %10s %9s\n", "history sorted by", "rows", "sort ms", "stall ms");
    double worstMs = 0, worstStall = 0;
    for (int column = 0; column < model.columnCount(); ++column) {
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            RunEventsFor(SettleMs);
            meter.Start();
            const auto start = std::chrono::steady_clock::now();
            QEventLoop loop;
            double ms = -1;
            const auto connection = QObject::connect(&model, &TSortableModel::sorted, &loop, [&] {
                ms = MsSince(start);
                loop.quit();
            });
            model.sort(column, order);
            QTimer::singleShot(FindTimeoutMs, &loop, &QEventLoop::quit);
            loop.exec();
            QObject::disconnect(connection);
            RunEventsFor(SettleMs);
            const double stall = meter.Stop().Ms;
            const QString name =
                model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString() +
                (order == Qt::AscendingOrder ? QStringLiteral(" (ascending)")
                                             : QStringLiteral(" (descending)"));
            std::printf("%-34s %9d %10.1f %9.1f\n", name.toStdString().c_str(), model.rowCount(),
                        ms, stall);
            std::fflush(stdout);
            worstMs = std::max(worstMs, ms < 0 ? 1e9 : ms);
            worstStall = std::max(worstStall, stall);
        }
    }
    std::printf("Goal: every sort within %.0f ms: %s; no stall over %.0f ms: %s\n\n", SortGoalMs,
                worstMs <= SortGoalMs ? "met" : "NOT met", StallGoalMs,
                worstStall <= StallGoalMs ? "met" : "NOT met");
    return worstMs < 1e9;
}

bool RunSize(std::size_t revisions) {
    QTemporaryDir dir;
    const QString logPath = dir.filePath(QStringLiteral("log.txt"));
    if (!dir.isValid() || !WriteFile(logPath, MakeSyntheticLog(revisions, Seed))) {
        std::printf("%zu revisions: cannot write the log file\n", revisions);
        return false;
    }
    TfrmMain window;
    window.show();
    window.findChild<QTabWidget*>(QStringLiteral("PageControl"))->setCurrentIndex(HistoryPage);
    RunEventsFor(SettleMs);
    if (!StartAndWait(
            window, &TfrmMain::loadFinished, [&] { window.OpenLogFile(logPath); }, LoadTimeoutMs) ||
        !window.Load().Table() || window.Load().Table()->RevisionCount() != revisions) {
        std::printf("%zu revisions: the log did not load\n", revisions);
        return false;
    }
    const std::vector<const TRevisionInfo*> history = window.HistoryModel().Revisions();
    std::printf("%zu revisions in %zu files, %zu in the history.\n", revisions,
                window.Load().Table()->FileCount(), history.size());

    const TRCSFileTable& table = *window.Load().Table();
    std::vector<double> indexTimes;
    std::unique_ptr<TFindIndex> index;
    for (int run = 0; run < Repeats; ++run) {
        const auto start = std::chrono::steady_clock::now();
        index = std::make_unique<TFindIndex>(table);
        indexTimes.push_back(MsSince(start));
    }
    std::printf("\nThe find index built in %.1f ms (median of %d).\n", Median(indexTimes), Repeats);
    std::printf("The search alone on a worker, median of %d: without the index (Prepare and\n"
                "FindRevisions), with it, then the found rows' commits and chart:\n",
                Repeats);
    std::printf("  %-14s %9s %10s %10s %10s %10s\n", "text", "found", "plain ms", "index ms",
                "commits ms", "chart ms");
    for (const char* text : {"c", "cache", "LEAK ON SHUT", "größe", "zzz-none"}) {
        std::vector<double> plain, indexed, commits, chart;
        std::size_t found = 0;
        for (int run = 0; run < Repeats; ++run) {
            auto start = std::chrono::steady_clock::now();
            TFindText find(QString::fromUtf8(text));
            find.Prepare(table);
            FindRevisions(history, find);
            plain.push_back(MsSince(start));
            start = std::chrono::steady_clock::now();
            find.Prepare(table, index.get());
            const std::vector<const TRevisionInfo*> rows = FindRevisions(history, find);
            indexed.push_back(MsSince(start));
            found = rows.size();
            start = std::chrono::steady_clock::now();
            ListCommits(window.Load().Summary()->Commits, rows);
            commits.push_back(MsSince(start));
            start = std::chrono::steady_clock::now();
            const TChartData bars(rows, TChartMode::Commits, window.Load().Table());
            chart.push_back(MsSince(start));
        }
        std::printf("  %-14s %9zu %10.1f %10.1f %10.1f %10.1f\n", text, found, Median(plain),
                    Median(indexed), Median(commits), Median(chart));
    }

    TStallMeter meter(window);
    std::printf("\nLongest gap of the idle loaded window over %d ms: %.1f ms.\n", IdleMeasureMs,
                IdleStallMs(meter));
    window.miFindClick();
    auto* field = window.findChild<QLineEdit*>(QStringLiteral("edFind"));
    std::printf("\n%-34s %9s %10s %9s\n", "keystroke (field text)", "rows", "narrow ms",
                "stall ms");
    double worstMs = 0, worstStall = 0;
    auto report = [&](const std::string& name, const TKeystroke& k) {
        std::printf("%-34s %9d %10.1f %9.1f\n", name.c_str(), k.Rows, k.Ms, k.StallMs);
        std::fflush(stdout);
        worstMs = std::max(worstMs, k.Rows < 0 ? 1e9 : k.Ms);
        worstStall = std::max(worstStall, k.StallMs);
    };
    QString typed;
    for (const QChar c : QStringLiteral("cache")) {
        typed += c;
        report("\"" + typed.toStdString() + "\"", Type(window, meter, *field, {typed}, 0));
    }
    for (int i = 0; i < 4; ++i) {
        typed.chop(1);
        report("\"" + typed.toStdString() + "\" (back)", Type(window, meter, *field, {typed}, 0));
    }
    report("\"größe\"", Type(window, meter, *field, {QStringLiteral("größe")}, 0));
    report("\"\" (cleared)", Type(window, meter, *field, {QString()}, 0));
    report("burst \"l\" .. \"leak\", 20 ms apart",
           Type(window, meter, *field,
                {QStringLiteral("l"), QStringLiteral("le"), QStringLiteral("lea"),
                 QStringLiteral("leak")},
                BurstGapMs));
    report("\"\" (cleared)", Type(window, meter, *field, {QString()}, 0));
    std::printf("Goal: every keystroke narrowed within %.0f ms: %s; no stall over %.0f ms: %s\n\n",
                NarrowGoalMs, worstMs <= NarrowGoalMs ? "met" : "NOT met", StallGoalMs,
                worstStall <= StallGoalMs ? "met" : "NOT met");
    return SortHistory(window, meter) && worstMs < 1e9;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::size_t> sizes;
    if (!ParseSizes(argc, argv, sizes, {DefaultRevisions})) {
        std::fputs("usage: bench_find [REVISIONS...]\n", stderr);
        return 2;
    }
    PrepareQtEnvironment();
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    std::printf("Find in the main window (offscreen, window shown), synthetic log of seed %u.\n",
                Seed);
    std::printf("Load averages at the start (/proc/loadavg): %s\n\n", LoadAverages().c_str());
    bool ok = true;
    for (const std::size_t size : sizes)
        ok = RunSize(size) && ok;
    std::printf("Load averages at the end: %s\n", LoadAverages().c_str());
    return ok ? 0 : 1;
}
