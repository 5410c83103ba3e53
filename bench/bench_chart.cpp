// bench_chart [REVISIONS...]: measures the Charts page's Fill, the rebuild of
// the activity chart, on the history of synthetic logs of the given sizes (by default 1
// million revisions, some 20 years of days), offscreen with the Charts page
// showing.
//
// For each size and chart mode it reports the first rebuild in the window and
// the best and median of further ones (wall-clock time of the call: the bars
// from the sorted history, the series, the range, the titles and the replot
// of the visible four weeks), the bar count, the making of the bars alone, and
// the items of the busiest bar, as a click on it asks for them. Exits with 1
// when the first or the median rebuild of a history of up to 1 million
// revisions misses its goal.
#include "ActivityChart.h"
#include "ChartPage.h"
#include "Filter.h"
#include "ParseLog.h"
#include "SyntheticLog.h"
#include "fMain.h"

#include <QApplication>
#include <QComboBox>
#include <QStandardPaths>
#include <QTabWidget>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace quillon;

namespace {

constexpr std::size_t DefaultRevisions = 1'000'000;
constexpr std::size_t GoalRevisions = 1'000'000;
constexpr unsigned Seed = 1;
constexpr int Runs = 5;
constexpr double GoalMs = 200;
constexpr int ChartsPage = 2;

template <typename TAction> double TimeMs(TAction action) {
    const auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

struct TTimes {
    double First = 0;
    double Best = 0;
    double Median = 0;
};

template <typename TAction> TTimes Measure(TAction action) {
    TTimes times;
    times.First = TimeMs(action);
    std::vector<double> runs;
    for (int run = 0; run < Runs; ++run)
        runs.push_back(TimeMs(action));
    std::sort(runs.begin(), runs.end());
    times.Best = runs.front();
    times.Median = runs[runs.size() / 2];
    return times;
}

// Measures both chart modes on one log size; false when a goal was missed.
bool RunSize(std::size_t revisions) {
    const TRCSFileTablePtr table = ParseLog(bench::MakeSyntheticLog(revisions, Seed));
    const auto summary = std::make_shared<const TLogSummary>(SummarizeLog(*table, 0));
    TViewRows rows = FilterRows(*table, *summary, TFilter{});
    const std::size_t historyRows = rows.History.size();

    TfrmMain window;
    window.findChild<QTabWidget*>(QStringLiteral("PageControl"))->setCurrentIndex(ChartsPage);
    window.show();
    QApplication::processEvents();
    window.HistoryModel().Reset({table, summary, nullptr}, std::move(rows.History));
    auto* page = window.findChild<TChartPage*>();
    auto* modes = window.findChild<QComboBox*>(QStringLiteral("cbxChart"));
    auto* chart = window.findChild<TActivityChart*>(QStringLiteral("Chart"));

    std::printf("%zu revisions, %zu history rows\n", revisions, historyRows);
    std::printf("%-32s %6s %9s %9s %9s %10s %6s %8s\n", "Fill", "bars", "first ms", "best ms",
                "median ms", "bars ms", "items", "items ms");
    bool ok = true;
    for (const int mode : {0, 1}) {
        modes->setCurrentIndex(mode);
        const TTimes fill = Measure([&] { page->Fill(window.HistoryModel().Revisions(), table); });
        const TTimes bars = Measure([&] {
            const TChartData data(window.HistoryModel().Revisions(), static_cast<TChartMode>(mode),
                                  table);
            if (data.Bars().empty())
                std::printf("no bars\n");
        });
        const TChartData& data = chart->Data();
        std::size_t busiest = 0;
        for (std::size_t bar = 0; bar < data.Bars().size(); ++bar)
            if (data.Bars()[bar].Total > data.Bars()[busiest].Total)
                busiest = bar;
        std::size_t items = 0;
        const double menuMs = TimeMs([&] { items = data.Items(busiest).size(); });
        std::printf("%-32s %6zu %9.1f %9.1f %9.1f %10.1f %6zu %8.2f\n",
                    modes->currentText().toUtf8().constData(), data.Bars().size(), fill.First,
                    fill.Best, fill.Median, bars.Best, items, menuMs);
        if (revisions <= GoalRevisions && std::max(fill.First, fill.Median) > GoalMs) {
            std::printf("  goal missed: %.0f ms\n", GoalMs);
            ok = false;
        }
    }
    std::printf("\n");
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::size_t> sizes;
    if (!bench::ParseSizes(argc, argv, sizes, {DefaultRevisions})) {
        std::fprintf(stderr, "usage: %s [REVISIONS...]\n", argv[0]);
        return 2;
    }
    QStandardPaths::setTestModeEnabled(true);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    bool ok = true;
    for (const std::size_t revisions : sizes)
        ok = RunSize(revisions) && ok;
    return ok ? 0 : 1;
}
