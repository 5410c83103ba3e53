// bench_fields [MEGABYTES]: measures the main window, offscreen and shown, on
// a log whose fields are hostile in size: one file whose name, author and
// message are each MEGABYTES long (by default 100 MB of name and message and a
// tenth of that of author), beside a file of ordinary size.
//
// It reports the longest gap between the ticks of a 5 ms timer on the GUI
// thread over the load, over showing the huge revision's message in the comment
// box until it holds the whole of it, over scrolling the box to its end, over
// selecting the ordinary file again, over showing the History page with the
// huge row, and over opening the author drop-down; and over an idle event loop,
// the stall the machine's other load makes by itself. Exits with 1 when a
// stall is over its goal.
#include "CommentBox.h"
#include "GuiBench.h"
#include "Selectors.h"

#include <QAbstractItemView>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>

using namespace quillon;
using namespace quillon::bench;

namespace {

constexpr std::size_t DefaultMegabytes = 100;
constexpr std::size_t AuthorShare = 10; // the author is a tenth of the size
constexpr int LoadTimeoutMs = 600'000;
constexpr int SettleMs = 150;
constexpr double GoalMs = 100;
constexpr int HistoryPage = 1;

std::string File(const std::string& name, const std::string& author, const std::string& message) {
    return "\nRCS file: /repo/" + name + ",v\nWorking file: " + name +
           "\nhead: 1.2\nbranch:\nlocks: strict\naccess list:\nsymbolic names:\n"
           "keyword substitution: kv\ndescription:\n"
           "----------------------------\nrevision 1.2\n"
           "date: 2004-12-17 19:05:03 +0000;  author: " +
           author + ";  state: Exp;  lines: +3 -1\n" + message +
           "\n----------------------------\nrevision 1.1\n"
           "date: 2004-03-01 08:00:00 +0000;  author: bob;  state: Exp;\nFirst.\n"
           "=============================================================================\n";
}

// Runs action from the event loop and the loop until the paints after it are
// done, or, given a box, until the box has shown the whole message and the
// paints after that are done; the longest stall of the GUI thread meanwhile.
double Stall(TStallMeter& meter, const std::function<void()>& action,
             TCommentBox* shownBy = nullptr) {
    RunEventsFor(SettleMs);
    QEventLoop loop;
    auto settle = [&] { QTimer::singleShot(SettleMs, &loop, &QEventLoop::quit); };
    if (shownBy)
        QObject::connect(shownBy, &TCommentBox::commentShown, &loop, settle);
    QTimer::singleShot(LoadTimeoutMs, &loop, &QEventLoop::quit);
    meter.Start();
    QTimer::singleShot(0, &loop, [&] {
        action();
        if (!shownBy)
            settle();
    });
    loop.exec();
    return meter.Stop().Ms;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::size_t> sizes;
    if (!ParseSizes(argc, argv, sizes, {DefaultMegabytes}) || sizes.size() != 1) {
        std::fputs("usage: bench_fields [MEGABYTES]\n", stderr);
        return 2;
    }
    PrepareQtEnvironment();
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    const std::size_t bytes = sizes.front() * 1'000'000;
    std::printf("The main window on a file whose name and message are %zu MB and whose author\n"
                "is %zu MB (offscreen, window shown). Stall: the longest gap between %d ms\n"
                "timer ticks on the GUI thread. Load averages (/proc/loadavg): %s\n\n",
                sizes.front(), sizes.front() / AuthorShare, StallTickMs, LoadAverages().c_str());

    QTemporaryDir dir;
    const QString logPath = dir.filePath(QStringLiteral("log.txt"));
    if (!dir.isValid() ||
        !WriteFile(logPath, File("main.c", "bob", "Fix the loop.") +
                                File(std::string(bytes, 'n'), std::string(bytes / AuthorShare, 'a'),
                                     std::string(bytes, 'm')))) {
        std::puts("cannot write the log file");
        return 1;
    }
    TfrmMain window;
    window.show();
    RunEventsFor(SettleMs);
    TStallMeter meter(window);
    meter.Start();
    const bool loaded = StartAndWait(
        window, &TfrmMain::loadFinished, [&] { window.OpenLogFile(logPath); }, LoadTimeoutMs);
    RunEventsFor(SettleMs);
    const double loadStall = meter.Stop().Ms;
    if (!loaded || window.FilesModel().rowCount() != 2) {
        std::puts("the log did not load");
        return 1;
    }

    auto* box = window.findChild<TCommentBox*>(QStringLiteral("mmComments"));
    auto* files = window.findChild<QTableView*>(QStringLiteral("lvFiles"));
    auto* authors = window.findChild<TOwnerDrawnSelector*>(QStringLiteral("cbxAuthors"));
    const double idleStall = IdleStallMs(meter);
    std::vector<std::pair<const char*, double>> stalls = {
        {"the load", loadStall},
        {"the huge message in the comment box", Stall(
                                                    meter, [&] { files->selectRow(1); }, box)},
    };
    // The box shows a long line as lines of a bounded length.
    const QString text = box->toPlainText();
    const bool whole = text.size() - text.count(QLatin1Char('\n')) == static_cast<qsizetype>(bytes);
    stalls.push_back({"scrolling the comment box to its end", Stall(meter, [&] {
                          box->verticalScrollBar()->setValue(box->verticalScrollBar()->maximum());
                          box->horizontalScrollBar()->setValue(
                              box->horizontalScrollBar()->maximum());
                      })});
    stalls.push_back(
        {"the selection moves away from it", Stall(meter, [&] { files->selectRow(0); })});
    stalls.push_back({"History page with the huge row", Stall(meter, [&] {
                          window.findChild<QTabWidget*>(QStringLiteral("PageControl"))
                              ->setCurrentIndex(HistoryPage);
                      })});
    stalls.push_back({"author drop-down opened", Stall(meter, [&] { authors->showPopup(); })});
    authors->hidePopup();
    bool met = whole;
    std::printf("%-40s %9s\n", "operation", "stall ms");
    for (const auto& [name, ms] : stalls) {
        std::printf("%-40s %9.1f\n", name, ms);
        met = met && ms < GoalMs;
    }
    std::printf("(an idle event loop, the machine's own: %.1f ms)\n", idleStall);
    std::printf("\nThe comment box holds the whole message: %s\n", whole ? "yes" : "NO");
    std::printf("Goal: every stall under %.0f ms: %s\n", GoalMs, met ? "met" : "NOT met");
    std::printf("Load averages at the end: %s\n", LoadAverages().c_str());
    return met ? 0 : 1;
}
