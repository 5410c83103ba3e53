// bench_annotate [LINES]: the annotation window on a made-up annotation of the
// given number of lines (by default 20 thousand) of a file with 200 revisions
// by 12 authors. Reports the time from Load until the lines are shown, the
// longest stall of the GUI thread meanwhile (a 5 ms timer's longest gap), and
// scrolling through the whole file a page at a time, each step painted: the
// slowest and the mean step. Runs offscreen. Exits with 1 when a stall or a
// step passes 50 ms.
#include "fAnnotate.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

using namespace quillon;

namespace {

constexpr std::size_t DefaultLines = 20'000;
constexpr int RevisionCount = 200;
constexpr int AuthorCount = 12;
constexpr int TickMs = 5;
constexpr double GoalMs = 50;
constexpr unsigned Seed = 1;

std::string Annotation(std::size_t lines, std::mt19937& random) {
    std::string output;
    char prefix[64];
    for (std::size_t i = 0; i < lines; ++i) {
        const int revision = std::uniform_int_distribution<int>(1, RevisionCount)(random);
        std::snprintf(prefix, sizeof prefix,
                      "%-12s (%-8.8s 01-Feb-24): ", ("1." + std::to_string(revision)).c_str(),
                      ("author" + std::to_string(revision % AuthorCount)).c_str());
        output += prefix;
        output.append(std::uniform_int_distribution<std::size_t>(0, 100)(random), 'x');
        output += '\n';
    }
    return output;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::size_t lines = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : DefaultLines;
    std::mt19937 random(Seed);

    std::vector<std::string> numbers;
    for (int i = 1; i <= RevisionCount; ++i)
        numbers.push_back("1." + std::to_string(i));
    TRCSFile file;
    file.WorkingFile = "big.c";
    std::vector<TRevisionInfo> revisions(RevisionCount);
    for (int i = 0; i < RevisionCount; ++i) {
        revisions[i].FileInfo = &file;
        revisions[i].Revision = numbers[i];
        revisions[i].Author = "author";
        revisions[i].Date = 45000 + i;
    }
    file.Revisions = revisions;

    TfrmAnnotate window;
    window.SetLook({[](std::string_view) { return QColor(Qt::darkRed); },
                    [](double date) { return QString::number(date); }});
    window.resize(900, 640);
    window.show();

    // The GUI thread's longest gap between ticks while the annotation is read.
    QElapsedTimer clock;
    double longestGap = 0;
    qint64 lastTick = 0;
    QTimer ticker;
    ticker.setInterval(TickMs);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longestGap = std::max(longestGap, double(now - lastTick) / 1e6);
        lastTick = now;
    });
    QEventLoop loop;
    QObject::connect(&window, &TfrmAnnotate::annotationLoaded, &loop, &QEventLoop::quit);
    std::string output = Annotation(lines, random);
    clock.start();
    ticker.start();
    window.Load(std::move(output), nullptr, &revisions.back());
    loop.exec();
    window.Grid->viewport()->repaint();
    const double shownMs = double(clock.nsecsElapsed()) / 1e6;
    ticker.stop();

    QScrollBar* bar = window.Grid->verticalScrollBar();
    double slowest = 0;
    double total = 0;
    int steps = 0;
    for (int value = 0; value <= bar->maximum(); value += std::max(1, bar->pageStep())) {
        QElapsedTimer step;
        step.start();
        bar->setValue(value);
        window.Grid->viewport()->repaint();
        const double ms = double(step.nsecsElapsed()) / 1e6;
        slowest = std::max(slowest, ms);
        total += ms;
        ++steps;
    }
    std::printf("annotate %zu lines: shown after %.1f ms, longest GUI stall %.1f ms; "
                "%d scroll steps: slowest %.2f ms, mean %.2f ms\n",
                lines, shownMs, longestGap, steps, slowest, steps ? total / steps : 0.0);
    return longestGap > GoalMs || slowest > GoalMs ? 1 : 0;
}
