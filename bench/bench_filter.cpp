// bench_filter [REVISIONS...]: measures the rebuilds of the main window's views
// with a synthetic log loaded (by default 1 million revisions), offscreen with
// the window shown: a full FilterFiles (file list, history fill and sort,
// first-row selections), a change of author and of filter mode through the
// selectors' handlers, the first showing of the History page, and scrolling
// the history to its end and back with a forced repaint.
//
// Each operation runs from the event loop three times; the table gives the
// median and the worst wall-clock time of the call, and the longest gap
// between the ticks of a 5 ms timer on the GUI thread from the call to the end
// of the paints that follow it.
#include "AuthorIndex.h"
#include "ChartPage.h"
#include "GuiBench.h"
#include "Selectors.h"

#include <QDir>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace quillon;
using namespace quillon::bench;

namespace {

constexpr std::size_t DefaultRevisions = 1'000'000;
constexpr unsigned Seed = 1;
constexpr int Repeats = 3;
constexpr double GoalMs = 1000;
constexpr int LoadTimeoutMs = 600'000;
constexpr int SettleMs = 150;
constexpr int HistoryPage = 1;
constexpr int FilesPage = 0;
constexpr int AllUsersEntry = 0;

struct TOperation {
    std::string Name;
    std::function<void()> Prepare; // untimed, before each run
    std::function<void()> Action;  // timed
};

struct TMeasure {
    std::string Name;
    std::vector<double> Times;
    TStallMeter::TStall Stall; // the worst of the runs
    int Files = 0;
    int History = 0;
};

// Runs op Repeats times from the event loop.
TMeasure Measure(TfrmMain& window, TStallMeter& meter, const TOperation& op) {
    TMeasure result;
    result.Name = op.Name;
    for (int run = 0; run < Repeats; ++run) {
        if (op.Prepare)
            op.Prepare();
        RunEventsFor(SettleMs);
        QEventLoop loop;
        double ms = 0;
        meter.Start();
        QTimer::singleShot(0, &loop, [&] {
            const auto start = std::chrono::steady_clock::now();
            op.Action();
            WaitForHistory(window);
            ms = MsSince(start);
            QTimer::singleShot(SettleMs, &loop, &QEventLoop::quit);
        });
        loop.exec();
        const TStallMeter::TStall stall = meter.Stop();
        result.Times.push_back(ms);
        if (stall.Ms > result.Stall.Ms)
            result.Stall = stall;
    }
    result.Files = window.FilesModel().rowCount();
    result.History = window.HistoryModel().rowCount();
    return result;
}

// Chooses entry of a selector as a click on it does.
void Choose(QComboBox* selector, int entry) {
    selector->setCurrentIndex(entry);
    emit selector->activated(entry);
}

// The author entry with the most revisions: the largest history one author has.
int BusiestAuthorEntry(const TRCSFileTable& table) {
    const TAuthorIndex authors(table);
    std::vector<std::size_t> counts(authors.Names().size() + 1, 0);
    for (const TRCSFile& file : table.Files())
        for (const TRevisionInfo& revision : file.Revisions)
            if (const int position = authors.Position(revision.Author); position > 0)
                ++counts[static_cast<std::size_t>(position)];
    return static_cast<int>(std::max_element(counts.begin(), counts.end()) - counts.begin());
}

bool LastHistoryRowVisible(TfrmMain& window) {
    const int last = window.HistoryModel().rowCount() - 1;
    const auto* lvHistory = window.findChild<QTableView*>(QStringLiteral("lvHistory"));
    const QRect row = lvHistory->visualRect(window.HistoryModel().index(last, 0));
    return last >= 0 && lvHistory->viewport()->rect().intersects(row);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The parts of a full FilterFiles through the window's current filter, each
// timed alone beside the whole, in turns: FilterRows (the rows of both lists,
// the history picked from the table's order) and the chart. The rest of the whole is the model
// resets, the first-row selections and what they start.
void PrintFilterStages(TfrmMain& window) {
    const TFilter filter = window.CurrentFilter();
    std::vector<double> whole, filterRows, chart;
    std::size_t history = 0;
    auto* page = window.findChild<TChartPage*>();
    for (int run = 0; run < Repeats; ++run) {
        auto start = std::chrono::steady_clock::now();
        window.FilterFiles();
        WaitForHistory(window);
        whole.push_back(MsSince(start));
        start = std::chrono::steady_clock::now();
        const TViewRows rows = FilterRows(*window.Load().Table(), *window.Load().Summary(), filter);
        filterRows.push_back(MsSince(start));
        history = rows.History.size();
        start = std::chrono::steady_clock::now();
        page->Fill(window.HistoryModel().Revisions(), window.Load().Table());
        chart.push_back(MsSince(start));
    }
    std::printf("\nParts of a full FilterFiles (%zu history rows), each alone, median of %d:\n"
                "  FilterFiles         %8.1f ms\n"
                "  FilterRows          %8.1f ms\n"
                "  Charts page Fill    %8.1f ms\n"
                "  the rest            %8.1f ms  (model resets, first-row selections; below\n"
                "                                 0 when it is within the noise)\n",
                history, Repeats, Median(whole), Median(filterRows), Median(chart),
                Median(whole) - Median(filterRows) - Median(chart));
}

// Loads a log of the given size into a new window and measures every
// operation; false when the load or an operation went wrong.
bool RunSize(std::size_t revisions) {
    QTemporaryDir dir;
    const QString logPath = dir.filePath(QStringLiteral("log.txt"));
    if (!dir.isValid() || !WriteFile(logPath, MakeSyntheticLog(revisions, Seed))) {
        std::printf("%zu revisions: cannot write the log file\n", revisions);
        return false;
    }
    TfrmMain window;
    window.show();
    RunEventsFor(SettleMs);
    auto* cbxFilter = window.findChild<TOwnerDrawnSelector*>(QStringLiteral("cbxFilter"));
    auto* cbxAuthors = window.findChild<TOwnerDrawnSelector*>(QStringLiteral("cbxAuthors"));
    auto* pageControl = window.findChild<QTabWidget*>(QStringLiteral("PageControl"));
    auto* lvHistory = window.findChild<QTableView*>(QStringLiteral("lvHistory"));
    const auto loadStart = std::chrono::steady_clock::now();
    if (!StartAndWait(
            window, &TfrmMain::loadFinished, [&] { window.OpenLogFile(logPath); }, LoadTimeoutMs) ||
        !window.Load().Table() || window.Load().Table()->RevisionCount() != revisions) {
        std::printf("%zu revisions: the log did not load\n", revisions);
        return false;
    }
    const double loadMs = MsSince(loadStart);
    const int author = BusiestAuthorEntry(*window.Load().Table());
    const QString authorName = cbxAuthors->itemText(author);
    TStallMeter meter(window);
    bool scrolledToEnd = true;

    const std::vector<TOperation> operations = {
        {"full FilterFiles (all files, all users)", nullptr, [&] { window.FilterFiles(); }},
        {"author: " + authorName.toStdString() + " (the busiest)",
         [&] { Choose(cbxAuthors, AllUsersEntry); }, [&] { Choose(cbxAuthors, author); }},
        {"author: back to All users", [&] { Choose(cbxAuthors, author); },
         [&] { Choose(cbxAuthors, AllUsersEntry); }},
        {"filter: no comment in last revision",
         [&] { Choose(cbxFilter, static_cast<int>(TFilterMode::AllFiles)); },
         [&] { Choose(cbxFilter, static_cast<int>(TFilterMode::NoCommentInLast)); }},
        {"filter: few changes in last revision",
         [&] { Choose(cbxFilter, static_cast<int>(TFilterMode::AllFiles)); },
         [&] { Choose(cbxFilter, static_cast<int>(TFilterMode::FewChangesInLast)); }},
        {"filter: back to all files",
         [&] { Choose(cbxFilter, static_cast<int>(TFilterMode::FewChangesInLast)); },
         [&] { Choose(cbxFilter, static_cast<int>(TFilterMode::AllFiles)); }},
        {"History page shown (grab of the window)",
         [&] { pageControl->setCurrentIndex(FilesPage); },
         [&] {
             pageControl->setCurrentIndex(HistoryPage);
             window.grab();
         }},
        {"history: scrollToBottom + repaint",
         [&] {
             lvHistory->scrollToTop();
             lvHistory->viewport()->repaint();
         },
         [&] {
             lvHistory->scrollToBottom();
             lvHistory->viewport()->repaint();
             scrolledToEnd = scrolledToEnd && LastHistoryRowVisible(window);
         }},
        {"history: scrollToTop + repaint",
         [&] {
             lvHistory->scrollToBottom();
             lvHistory->viewport()->repaint();
         },
         [&] {
             lvHistory->scrollToTop();
             lvHistory->viewport()->repaint();
         }},
        {"full FilterFiles, History page showing", nullptr, [&] { window.FilterFiles(); }},
    };

    std::printf("%zu revisions in %zu files, loaded from a saved log in %.0f ms.\n", revisions,
                window.Load().Table()->FileCount(), loadMs);
    std::printf("Longest gap of the idle loaded window over %d ms: %.1f ms.\n\n", IdleMeasureMs,
                IdleStallMs(meter));
    std::printf("%-42s %8s %8s %9s %9s %8s\n", "operation", "files", "history", "median ms",
                "worst ms", "stall ms");
    std::vector<TMeasure> results;
    bool ok = true;
    for (const TOperation& op : operations) {
        TMeasure m = Measure(window, meter, op);
        std::printf("%-42s %8d %8d %9.1f %9.1f %8.1f\n", m.Name.c_str(), m.Files, m.History,
                    Median(m.Times), *std::max_element(m.Times.begin(), m.Times.end()), m.Stall.Ms);
        std::fflush(stdout);
        results.push_back(std::move(m));
    }
    PrintFilterStages(window);
    if (!scrolledToEnd) {
        std::printf("scrollToBottom left the last history row out of sight\n");
        ok = false;
    }

    std::printf("\nWhere the longest stall of each operation happened:\n");
    bool met = true;
    for (const TMeasure& m : results) {
        std::printf("  %-42s %8.1f ms %s\n", m.Name.c_str(), m.Stall.Ms,
                    DescribeStall(m.Stall).c_str());
        met = met && *std::max_element(m.Times.begin(), m.Times.end()) < GoalMs;
    }
    std::printf("Goal: every operation under %.0f ms: %s\n\n", GoalMs, met ? "met" : "NOT met");
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::size_t> sizes;
    if (!ParseSizes(argc, argv, sizes, {DefaultRevisions})) {
        std::fputs("usage: bench_filter [REVISIONS...]\n", stderr);
        return 2;
    }
    PrepareQtEnvironment();
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    std::printf("Rebuilds of the main window's views (offscreen, window shown), synthetic log of\n"
                "seed %u. Each operation %d times from the event loop: median and worst\n"
                "wall-clock time of the call; stall: the longest gap between %d ms timer ticks\n"
                "on the GUI thread from the call to the end of the paints after it.\n",
                Seed, Repeats, StallTickMs);
    std::printf("Load averages at the start (/proc/loadavg): %s\n\n", LoadAverages().c_str());
    bool ok = true;
    for (const std::size_t size : sizes)
        ok = RunSize(size) && ok;
    std::printf("Load averages at the end: %s\n", LoadAverages().c_str());
    return ok ? 0 : 1;
}
