#include "MainWindowFixture.h"

#include "ActivityChart.h"
#include "CellText.h"
#include "CvsRunner.h"
#include "FileTags.h"
#include "Filter.h"
#include "RecentMenu.h"
#include "RecentRoots.h"
#include "Selectors.h"
#include "TagFilters.h"
#include "TestHome.h"
#include "fOptions.h"

#include <QAction>
#include <QDirIterator>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QScrollBar>
#include <QSemaphore>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QTcpServer>
#include <QThreadPool>
#include <QToolButton>

#include <csignal>
#include <limits>
#include <signal.h>

using namespace quillon;
using namespace quillon::test;

namespace {

// Set in the environment of a test that runs itself under a memory limit: the
// folder where that run leaves what the first one checks.
constexpr char MemoryLimitedVariable[] = "QUILLON_TEST_MEMORY_LIMITED";

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        Window.Settings.CVSPath = QStringLiteral("/usr/bin");
        Window.Settings.KeepCache = false;
    }
    TfrmMain Window;
    TStatusRecorder Status{Window};
};

const QStringList LoadSequence = {QStringLiteral("Executing CVS command..."),
                                  QStringLiteral("Done"),
                                  QStringLiteral("Parsing log..."),
                                  QStringLiteral("Done"),
                                  QStringLiteral("Checking log..."),
                                  QStringLiteral("Done"),
                                  QStringLiteral("Filtering files..."),
                                  QStringLiteral("Filtering revisions..."),
                                  QStringLiteral("Done"),
                                  QStringLiteral("Done")};

QStringList SelectorEntries(QComboBox* box) {
    QStringList entries;
    for (int i = 0; i < box->count(); ++i)
        entries.append(box->itemText(i));
    return entries;
}

} // namespace

TEST_F(MainWindow, StartsEmptyWithItsMenusAndNothingOpened) {
    EXPECT_EQ(Window.windowTitle(), "Quillon");
    EXPECT_EQ(Window.size(), QSize(796, 640));
    EXPECT_EQ(Window.minimumSize(), QSize(500, 400));
    EXPECT_FALSE(MainViews(Window).miAbort->isEnabled());
    EXPECT_TRUE(MainViews(Window).miOpen->isEnabled());
    EXPECT_EQ(MainViews(Window).miOpen->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(MainViews(Window).miAbort->shortcut(), QKeySequence(Qt::Key_Escape));
    EXPECT_EQ(MainViews(Window).miRefresh->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(MainViews(Window).miAbout->shortcut(), QKeySequence(Qt::Key_F1));
    for (const char* name : {"lvFiles", "lvRevisions", "lvHistory", "cbxFilter", "cbxAuthors",
                             "mmComments", "mmCommentsHistory", "PageControl", "tsFiles",
                             "tsHistory", "tsCharts", "StatusBar", "pnlFilesFilter"})
        EXPECT_NE(Window.findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(Window.FilesModel().rowCount(), 0);
    for (int panel = 1; panel <= 5; ++panel)
        EXPECT_TRUE(PanelText(Window, panel).isEmpty()) << panel;
    EXPECT_EQ(MainViews(Window).cbxFilter->itemText(2),
              "Show only files with number of changes in last revision less then " +
                  QString::number(Window.Settings.LinesLimit));

    // Without a start folder the first activation opens nothing.
    Window.show();
    Window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    QCoreApplication::processEvents(); // what the activation posted
    EXPECT_TRUE(Status.Messages.isEmpty());
}

TEST_F(MainWindow, OpensAFolderThroughTheClientAndRefreshes) {
    QUILLON_USE_CVS_HISTORY(history);
    Window.OpenFolder(history.WorkingFolder());
    EXPECT_FALSE(Window.MayStart());
    EXPECT_FALSE(MainViews(Window).miOpen->isEnabled());
    EXPECT_TRUE(MainViews(Window).miAbort->isEnabled());
    ASSERT_TRUE(WaitForLoad(Window));

    EXPECT_EQ(Status.Messages, LoadSequence);
    EXPECT_EQ(Window.windowTitle(), "Quillon: " + history.WorkingFolder());
    EXPECT_TRUE(Window.MayStart());
    EXPECT_TRUE(MainViews(Window).miOpen->isEnabled());
    EXPECT_FALSE(MainViews(Window).miAbort->isEnabled());
    ASSERT_TRUE(Window.Load().Table());
    EXPECT_EQ(Window.Load().Table()->FileCount(), 4u);
    EXPECT_EQ(Window.FilesModel().rowCount(), 4);
    EXPECT_EQ(SelectorEntries(MainViews(Window).cbxAuthors),
              QStringList({"All users", "anna", "bob", "carol", "joe"}));
    EXPECT_EQ(PanelText(Window, 1), "Files: 4");
    EXPECT_EQ(PanelText(Window, 2), "Skipped: 0");
    EXPECT_EQ(PanelText(Window, 4),
              QStringLiteral("History: %1").arg(Window.Load().Table()->RevisionCount()));
    EXPECT_EQ(PanelText(Window, 5), "Done");

    // Refresh reruns the log in the same folder: the author goes back to
    // "All users", the filter mode stays.
    MainViews(Window).cbxAuthors->setCurrentIndex(2);
    MainViews(Window).cbxFilter->setCurrentIndex(1);
    Status.Messages.clear();
    Window.miRefreshClick();
    ASSERT_TRUE(WaitForLoad(Window));
    EXPECT_EQ(Status.Messages.front(), "Executing CVS command...");
    EXPECT_EQ(MainViews(Window).cbxAuthors->currentIndex(), 0);
    EXPECT_EQ(MainViews(Window).cbxFilter->currentIndex(), 1);
    EXPECT_EQ(Window.CurrentFolder, history.WorkingFolder());
}

TEST_F(MainWindow, FailuresEndIdleWithTheirReasonAndEmptyLists) {
    // A folder that is none, or no working folder: said before any client runs.
    QTemporaryDir notWorking;
    const QString gone = notWorking.filePath("gone");
    Window.Settings.CVSPath = notWorking.filePath("no-such-folder");
    QSignalSpy finished(&Window, &TfrmMain::loadFinished);
    Window.OpenFolder(gone);
    Window.OpenFolder(notWorking.path());
    EXPECT_EQ(finished.count(), 2);
    EXPECT_EQ(Status.Messages, QStringList({"Folder not found: " + gone,
                                            "Not a CVS working folder: " + notWorking.path() +
                                                " (no CVS subfolder)"}));
    EXPECT_TRUE(Window.MayStart());
    EXPECT_TRUE(MainViews(Window).miOpen->isEnabled());

    // The client's own complaint about a working folder without its files.
    ASSERT_TRUE(QDir(notWorking.path()).mkdir("CVS"));
    Window.Settings.CVSPath = QStringLiteral("/usr/bin");
    Status.Messages.clear();
    Window.OpenFolder(notWorking.path());
    ASSERT_TRUE(WaitForLoad(Window));
    EXPECT_TRUE(Status.Messages.last().startsWith("CVS error: "))
        << Status.Messages.last().toStdString();
    EXPECT_FALSE(Status.Messages.contains("Parsing log..."));
    EXPECT_EQ(Window.FilesModel().rowCount(), 0);
    EXPECT_TRUE(Window.MayStart());
    EXPECT_TRUE(MainViews(Window).miOpen->isEnabled());
    EXPECT_FALSE(MainViews(Window).miAbort->isEnabled());
    EXPECT_EQ(Window.windowTitle(), "Quillon: " + notWorking.path());

    Status.Messages.clear();
    Window.Settings.CVSPath = notWorking.filePath("no-such-folder");
    Window.OpenFolder(notWorking.path());
    ASSERT_TRUE(WaitForLoad(Window));
    EXPECT_EQ(Status.Messages,
              QStringList({"Executing CVS command...", "CVS executable not found"}));
    EXPECT_TRUE(Window.MayStart());

    // A client that fails after writing a usable log: the log is shown and
    // the failure named.
    QTemporaryDir clientDir;
    const QString log = TestData("real-cvs.log");
    WriteScript(clientDir.filePath("cvs"),
                "cat '" + log.toLocal8Bit() +
                    "'\necho 'cvs log: Logging src' >&2\n"
                    "echo 'cvs [log aborted]: lost connection' >&2\nexit 1\n");
    Window.Settings.CVSPath = clientDir.path();
    Status.Messages.clear();
    Window.OpenFolder(notWorking.path());
    ASSERT_TRUE(WaitForLoad(Window));
    EXPECT_EQ(Window.FilesModel().rowCount(), 4);
    EXPECT_EQ(Status.Messages.last(), "Done (CVS reported: cvs [log aborted]: lost connection)");

    // A client ended by a signal after part of its log: what came is shown,
    // and said to be incomplete.
    WriteScript(clientDir.filePath("cvs"), "cat '" + log.toLocal8Bit() + "'\nkill -SEGV $$\n");
    Window.OpenFolder(notWorking.path());
    ASSERT_TRUE(WaitForLoad(Window));
    EXPECT_EQ(Window.FilesModel().rowCount(), 4);
    EXPECT_EQ(Status.Messages.last(),
              "CVS error: the client was ended by signal 11; the history shown is incomplete");

    // A client that writes no log at all.
    WriteScript(clientDir.filePath("cvs"), "echo 'no log here'\n");
    Window.OpenFolder(notWorking.path());
    ASSERT_TRUE(WaitForLoad(Window));
    EXPECT_EQ(Window.FilesModel().rowCount(), 0);
    EXPECT_EQ(Status.Messages.last(), "Done (no CVS log found in " + notWorking.path() + ")");
}

// A client whose log never ends runs the parse out of memory while it still
// writes. The test runs itself again under an address space limit; there the
// window drops the history it showed, ends the client and says why.
TEST_F(MainWindow, AClientThatNeverEndsRunsTheParseOutOfMemory) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address space limit leaves no room for AddressSanitizer";
#endif
    const QByteArray limited = qgetenv(MemoryLimitedVariable);
    if (limited.isEmpty()) {
        QTemporaryDir dir;
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(MemoryLimitedVariable), dir.path());
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        const QString self = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        child.start(QStringLiteral("/bin/sh"),
                    {QStringLiteral("-c"),
                     QStringLiteral("ulimit -v 1200000 && exec \"$0\" \"$@\""),
                     QCoreApplication::applicationFilePath(),
                     QStringLiteral("--gtest_filter=MainWindow.") + self});
        ASSERT_TRUE(child.waitForFinished(120000));
        const QString output = QString::fromLocal8Bit(child.readAll());
        EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
        EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test.")))
            << output.toStdString();
        // The client is gone.
        QFile pidFile(dir.filePath("pid"));
        ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly));
        const pid_t pid = static_cast<pid_t>(pidFile.readAll().trimmed().toInt());
        ASSERT_GT(pid, 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return ::kill(pid, 0) != 0; }, 30000));
        return;
    }
    // A history first, so that there is something to drop.
    QTemporaryDir clientDir;
    ASSERT_TRUE(QDir(clientDir.path()).mkdir("CVS"));
    WriteScript(clientDir.filePath("cvs"),
                "cat '" + TestData("real-cvs.log").toLocal8Bit() + "'\n");
    Window.Settings.CVSPath = clientDir.path();
    Window.OpenFolder(clientDir.path());
    ASSERT_TRUE(WaitForLoad(Window));
    ASSERT_EQ(Window.FilesModel().rowCount(), 4);

    WriteScript(clientDir.filePath("cvs"),
                "echo $$ > '" +
                    QDir(QString::fromLocal8Bit(limited)).filePath("pid").toLocal8Bit() +
                    "'\nprintf 'RCS file: a,v\\nWorking file: a\\n'\n"
                    "exec yes -- '----------------------------'\n");
    Window.miRefreshClick();
    ASSERT_TRUE(WaitForLoad(Window, 60000));
    EXPECT_TRUE(Status.Messages.last().startsWith("Error: out of memory while reading the log ("))
        << Status.Messages.join('|').toStdString();
    EXPECT_EQ(Window.FilesModel().rowCount(), 0);
    EXPECT_EQ(Window.HistoryModel().rowCount(), 0);
    EXPECT_TRUE(Window.MayStart());
}

// A counter wider than its panel widens the panel, and only while it is.
TEST_F(MainWindow, CountersWiderThanTheirPanelsStayWhole) {
    const QStringList counters = {"StatusPanel1", "StatusPanel2", "StatusPanel3", "StatusPanel4",
                                  "StatusPanelCommits"};
    QFont large = Window.statusBar()->font();
    large.setPointSize(large.pointSize() * 4);
    Window.statusBar()->setFont(large);
    Window.OpenLogFile(TestData("real-cvs.log"));
    ASSERT_TRUE(WaitForLoad(Window));
    for (const QString& name : counters) {
        const auto* panel = Window.findChild<QLabel*>(name);
        ASSERT_TRUE(panel) << name.toStdString();
        EXPECT_GE(panel->minimumWidth() - 2 * panel->frameWidth(),
                  panel->fontMetrics().horizontalAdvance(panel->text()))
            << name.toStdString();
    }
    Window.statusBar()->setFont(QFont());
    Window.FilterFiles();
    for (const QString& name : counters)
        EXPECT_EQ(Window.findChild<QLabel*>(name)->minimumWidth(), 100) << name.toStdString();
}

// A long history is listed with its commits and chart on a worker, in the
// status order of a short one, and the window's workers are not Qt's global
// pool, which painting waits on: here its threads are all kept busy.
TEST_F(MainWindow, ALongHistoryIsListedOnAWorker) {
    QTemporaryDir clientDir;
    ASSERT_TRUE(QDir(clientDir.path()).mkdir("CVS"));
    QFile log(TestData("real-cvs.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    QFile longLog(clientDir.filePath("long.log"));
    ASSERT_TRUE(longLog.open(QIODevice::WriteOnly));
    longLog.write(log.readAll().repeated(9000));
    longLog.close();
    WriteScript(clientDir.filePath("cvs"), "cat '" + longLog.fileName().toLocal8Bit() + "'\n");
    Window.Settings.CVSPath = clientDir.path();
    Window.Settings.KeepCache = true;
    const TLogCache cache = TestLogCache.Cache();
    cache.Clear();

    QThreadPool& global = *QThreadPool::globalInstance();
    QSemaphore release;
    const int busy = global.maxThreadCount();
    for (int i = 0; i < busy; ++i)
        global.start([&release] { release.acquire(); });
    QSignalSpy listed(&Window, &TfrmMain::findFinished);
    Window.OpenFolder(clientDir.path());
    const bool loaded = WaitForLoad(Window, 60000);
    const bool shown = loaded && (!Window.ListingHistory() || listed.wait(60000));
    release.release(busy);
    global.waitForDone();
    ASSERT_TRUE(shown);
    EXPECT_EQ(listed.count(), 1);

    EXPECT_EQ(Status.Messages, LoadSequence);
    const TRCSFileTable& table = *Window.Load().Table();
    const TLogSummary& summary = *Window.Load().Summary();
    const TViewRows rows = FilterRows(table, summary, Window.CurrentFilter());
    ASSERT_GE(rows.History.size(), 100000u);
    EXPECT_EQ(Window.HistoryModel().Revisions(), rows.History);
    EXPECT_EQ(MainViews(Window).lvHistory->currentIndex().row(), 0);
    const auto* commits = Window.findChild<QTableView*>(QStringLiteral("lvCommits"));
    EXPECT_EQ(std::size_t(commits->model()->rowCount()),
              ListCommits(summary.Commits, rows.History).Rows.size());

    // Reopened from the cache with a client that has yet to write: once the
    // cached history is listed, the refresh is still the last word.
    ASSERT_TRUE(QTest::qWaitFor([&] { return cache.Has(TLogCache::FolderPlace(clientDir.path())); },
                                30000));
    WriteScript(clientDir.filePath("cvs"), "exec sleep 60\n");
    Window.OpenFolder(clientDir.path());
    ASSERT_TRUE(listed.wait(60000));
    EXPECT_TRUE(Status.Messages.last().startsWith("Cached ") &&
                Status.Messages.last().endsWith("; refreshing..."))
        << Status.Messages.join('|').toStdString();
    // So it is after a filter change that lists a short history at once.
    MainViews(Window).cbxAuthors->setCurrentIndex(MainViews(Window).cbxAuthors->findText("bob"));
    Window.FilterFiles();
    ASSERT_FALSE(Window.ListingHistory());
    EXPECT_GT(Window.HistoryModel().rowCount(), 0);
    EXPECT_TRUE(Status.Messages.last().endsWith("; refreshing..."))
        << Status.Messages.join('|').toStdString();
    Window.miAbortClick();
    EXPECT_TRUE(WaitForLoad(Window));
}

TEST_F(MainWindow, AbortEndsASlowClientAndBusyKeepsCommandsOut) {
    QTemporaryDir clientDir;
    const QByteArray pidFile = clientDir.filePath("pids").toLocal8Bit();
    // The client starts a child of its own, as a remote shell would, and
    // notes both in one write.
    WriteScript(clientDir.filePath("cvs"),
                "sleep 60 &\nprintf '%s\\n%s\\n' $! $$ >> '" + pidFile + "'\nwait\n");
    Window.Settings.CVSPath = clientDir.path();
    ASSERT_TRUE(QDir(clientDir.path()).mkdir("CVS"));
    int optionsShown = 0, aboutShown = 0, foldersChosen = 0;
    TfrmOptions options(&Window);
    TMainWindowPeers peers;
    peers.Options = &options;
    peers.ShowOptions = [&] {
        ++optionsShown;
        return false;
    };
    peers.ShowAbout = [&] { ++aboutShown; };
    Window.SetPeers(peers);
    Window.SetFolderChooser([&](const QString&) {
        ++foldersChosen;
        return QString();
    });

    Window.OpenFolder(clientDir.path());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return QFile(clientDir.filePath("pids")).size() > 0; }, 5000));

    Window.miOpenClick();
    Window.miRefreshClick();
    Window.miOptionsClick();
    Window.miAboutClick();
    Window.OpenFolder(clientDir.path());
    EXPECT_EQ(foldersChosen, 0);
    EXPECT_EQ(optionsShown, 0);
    EXPECT_EQ(aboutShown, 0);
    EXPECT_EQ(Status.Messages.count("Executing CVS command..."), 1);

    // The client would run for a minute: the load ends because of the abort.
    Window.miAbortClick();
    ASSERT_TRUE(WaitForLoad(Window));
    EXPECT_EQ(Status.Messages.last(), "Aborted");
    EXPECT_TRUE(Window.MayStart());
    EXPECT_EQ(Window.FilesModel().rowCount(), 0);

    QFile pids(clientDir.filePath("pids"));
    ASSERT_TRUE(pids.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = pids.readAll().split('\n');
    int checked = 0;
    for (const QByteArray& line : lines) {
        if (line.trimmed().isEmpty())
            continue;
        const pid_t pid = line.trimmed().toInt();
        // No process of the run is left: neither the client nor its child.
        EXPECT_TRUE(QTest::qWaitFor([pid] { return ::kill(pid, 0) != 0; }, 2000)) << pid;
        ++checked;
    }
    EXPECT_EQ(checked, 2);

    // After the abort every command works again.
    Window.miAboutClick();
    Window.miOptionsClick();
    EXPECT_EQ(aboutShown, 1);
    EXPECT_EQ(optionsShown, 1);
}

// A log past the byte limit, from the client or a file, ends its load as out
// of memory: said once, nothing of it shown, and the window idle.
TEST_F(MainWindow, ALogPastTheByteLimitEndsAsOutOfMemory) {
    QUILLON_USE_CVS_HISTORY(history);
    Window.OpenFolder(history.WorkingFolder());
    ASSERT_TRUE(WaitForLoad(Window));
    const auto* chart = Window.findChild<TActivityChart*>(QStringLiteral("Chart"));
    ASSERT_TRUE(chart);
    ASSERT_FALSE(chart->Data().Bars().empty());

    QTemporaryDir dir;
    QFile big(dir.filePath("big.log"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.write(QByteArray(3 << 20, 'x'));
    big.close();
    Window.Load().SetByteLimit(1 << 20);
    auto expectDropped = [&](const QStringList& messages) {
        EXPECT_EQ(Status.Messages, messages);
        EXPECT_EQ(Window.FilesModel().rowCount(), 0);
        EXPECT_EQ(Window.HistoryModel().rowCount(), 0);
        EXPECT_TRUE(chart->Data().Bars().empty());
        EXPECT_FALSE(Window.Load().Table());
        EXPECT_TRUE(Window.MayStart());
        EXPECT_FALSE(MainViews(Window).miAbort->isEnabled());
    };
    Status.Messages.clear();
    Window.OpenLogFile(big.fileName());
    ASSERT_TRUE(WaitForLoad(Window));
    expectDropped(
        {"Reading log file...", "Error: out of memory while reading the log (1 MB read)"});

    Window.Load().SetByteLimit(std::numeric_limits<std::size_t>::max());
    Window.OpenFolder(history.WorkingFolder());
    ASSERT_TRUE(WaitForLoad(Window));
    ASSERT_EQ(Window.FilesModel().rowCount(), 4);
    Window.Load().SetByteLimit(1000);
    Status.Messages.clear();
    Window.miRefreshClick();
    ASSERT_TRUE(WaitForLoad(Window));
    expectDropped(
        {"Executing CVS command...", "Error: out of memory while reading the log (0 MB read)"});
    // Asked to end, the client took its locks away with it.
    QDirIterator locks(history.Repository(), {QStringLiteral("#cvs.*")},
                       QDir::AllEntries | QDir::Hidden, QDirIterator::Subdirectories);
    EXPECT_FALSE(locks.hasNext()) << locks.next().toStdString();
}

TEST_F(MainWindow, StartArgumentsOpenOnceAtTheFirstActivation) {
    Window.SetStartLogFile(TestData("real-cvs.log"));
    Window.show();
    Window.activateWindow();
    ASSERT_TRUE(WaitForLoad(Window));
    EXPECT_EQ(Window.windowTitle(), "Quillon: " + TestData("real-cvs.log"));
    EXPECT_EQ(Window.FilesModel().rowCount(), 4);
    EXPECT_EQ(Status.Messages.front(), "Reading log file...");

    // Another activation opens nothing again.
    Status.Messages.clear();
    QWidget other;
    other.show();
    other.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&other));
    Window.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&Window));
    QCoreApplication::processEvents(); // what the activation posted
    EXPECT_TRUE(Status.Messages.isEmpty());

    // Refresh rereads the saved log.
    Window.miRefreshClick();
    ASSERT_TRUE(WaitForLoad(Window));
    EXPECT_EQ(Status.Messages.front(), "Reading log file...");
    EXPECT_EQ(Window.FilesModel().rowCount(), 4);
}

TEST_F(MainWindow, AnUnreadableLogFileIsReported) {
    Window.OpenLogFile(QStringLiteral("/no/such/file.log"));
    ASSERT_TRUE(WaitForLoad(Window));
    EXPECT_TRUE(Status.Messages.last().startsWith("Cannot read /no/such/file.log"));
    EXPECT_TRUE(Window.MayStart());

    // A file of another kind is read but holds no log.
    const QString other = SourcePath("CMakeLists.txt");
    Window.OpenLogFile(other);
    ASSERT_TRUE(WaitForLoad(Window));
    EXPECT_EQ(Status.Messages.last(), "Done (no CVS log found in " + other + ")");
}

TEST(LockService, StartsOnlyForALocalRootWithTheServicePresent) {
    QTemporaryDir work, cvsDir;
    ASSERT_TRUE(QDir(work.path()).mkdir("CVS"));
    auto root = [&](const QByteArray& text) {
        QFile file(work.filePath("CVS/Root"));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    EXPECT_FALSE(NeedsLockService(work.path(), cvsDir.path())); // no Root file
    root(":local:/var/cvs\n");
    EXPECT_FALSE(NeedsLockService(work.path(), cvsDir.path())); // no lock service
    WriteScript(LockServiceProgram(cvsDir.path()), "exit 0\n");
    EXPECT_TRUE(NeedsLockService(work.path(), cvsDir.path()));
    root(":LOCAL:/var/cvs\n");
    EXPECT_FALSE(NeedsLockService(work.path(), cvsDir.path()));
    root(" :local:/var/cvs\n");
    EXPECT_FALSE(NeedsLockService(work.path(), cvsDir.path()));
    root("/var/cvs\n");
    EXPECT_FALSE(NeedsLockService(work.path(), cvsDir.path()));
    root(":pserver:anna@host:/var/cvs\n");
    EXPECT_FALSE(NeedsLockService(work.path(), cvsDir.path()));
}

namespace {

// The history rows as "FILE REVISION".
QStringList HistoryRows(TfrmMain& window) {
    QStringList rows;
    for (const TRevisionInfo* revision : window.HistoryModel().Revisions())
        rows.append(QStringLiteral("%1 %2").arg(CellText(revision->FileInfo->WorkingFile),
                                                CellText(revision->Revision)));
    return rows;
}

} // namespace

TEST_F(MainWindow, TagsBranchesAndRangesOfAHistoryOfReleases) {
    QUILLON_USE_CVS_HISTORY(history);
    Window.OpenFolder(history.ReleasesFolder());
    ASSERT_TRUE(WaitForLoad(Window));
    auto* branches = TMainViews::Named<TOwnerDrawnSelector>(Window, "cbxBranches");
    auto* tagFilters = TMainViews::Named<TTagFilters>(Window, "TagFilters");
    auto* rangeButton = TMainViews::Named<QToolButton>(Window, "btnRange");
    ASSERT_TRUE(branches && tagFilters && rangeButton);
    EXPECT_EQ(SelectorEntries(branches),
              QStringList({"All branches", "Trunk", "REL_1_FIX", "VENDOR"}));
    ASSERT_EQ(Window.HistoryModel().rowCount(), 15);

    // The Tags column and the branch in the revision's tip.
    const QStringList all = HistoryRows(Window);
    auto cell = [this, &all](const QString& row, int column, int role = Qt::DisplayRole) {
        return Window.HistoryModel().index(int(all.indexOf(row)), column).data(role).toString();
    };
    EXPECT_EQ(cell("a.c 1.2", TRevisionListModel::Tags), "REL_2, REL_1");
    EXPECT_EQ(cell("b.c 1.1.1.1", TRevisionListModel::Tags), "REL_1, V1_0");
    EXPECT_EQ(cell("a.c 1.2.2.1", TRevisionListModel::Revision, Qt::ToolTipRole),
              "on branch: REL_1_FIX");
    EXPECT_EQ(cell("gone.c 1.1.1.1", TRevisionListModel::Revision, Qt::ToolTipRole),
              "on branch: VENDOR");
    EXPECT_EQ(cell("a.c 1.2", TRevisionListModel::Revision, Qt::ToolTipRole),
              "on the trunk\nbranches: 1.2.2");

    // A branch keeps its own revisions, and the files that have any.
    QSignalSpy filtered(&Window, &TfrmMain::filesFiltered);
    emit branches->activated(2);
    ASSERT_TRUE(filtered.wait());
    EXPECT_EQ(HistoryRows(Window), QStringList({"a.c 1.2.2.2", "a.c 1.2.2.1"}));
    EXPECT_EQ(Window.FilesModel().rowCount(), 1);
    emit branches->activated(0);
    EXPECT_EQ(Window.HistoryModel().rowCount(), 15);

    // The changes between the releases: what was added, changed and removed
    // after the first, up to the second.
    tagFilters->SetRange(QStringLiteral("REL_1"), QStringLiteral("REL_2"));
    ASSERT_TRUE(filtered.wait());
    EXPECT_EQ(HistoryRows(Window),
              QStringList({"b.c 1.2", "gone.c 1.2", "temp.c 1.2", "temp.c 1.1", "new.c 1.1"}));
    EXPECT_EQ(Window.FilesModel().rowCount(), 4);
    EXPECT_TRUE(rangeButton->isVisibleTo(&Window));
    EXPECT_TRUE(rangeButton->text().startsWith("Changes from tag REL_1 to tag REL_2"));
    // On the trunk and up to the newest revision.
    emit branches->activated(1);
    ASSERT_TRUE(filtered.wait());
    tagFilters->SetRange(QStringLiteral("REL_1"), QString(""));
    ASSERT_TRUE(filtered.wait());
    EXPECT_EQ(HistoryRows(Window).first(), "a.c 1.3");
    EXPECT_EQ(Window.HistoryModel().rowCount(), 6);
    // One click removes the range.
    rangeButton->click();
    EXPECT_FALSE(rangeButton->isVisibleTo(&Window));
    EXPECT_EQ(Window.HistoryModel().rowCount(), 10); // the trunk

    // The names of a file with their numbers and kinds.
    TfrmFileTags tags;
    tags.Fill(Window.Load().Table()->Files()[0]);
    auto* list = TMainViews::Named<QTableWidget>(tags, "lvTags");
    ASSERT_TRUE(list);
    ASSERT_EQ(list->rowCount(), 5);
    EXPECT_EQ(list->item(1, 0)->text() + " " + list->item(1, 1)->text() + " " +
                  list->item(1, 2)->text(),
              "REL_1_FIX 1.2.0.2 branch");
    EXPECT_EQ(list->item(4, 2)->text(), "vendor branch");
}

// File > Recent: what loaded is listed newest first; an entry found missing
// when chosen says why, keeps what is shown, and is greyed from then on.
TEST_F(MainWindow, RecentListsWhatLoadedAndGreysWhatIsMissing) {
    QUILLON_USE_CVS_HISTORY(history);
    TTestHome home;
    auto* recent = Window.findChild<TRecentMenu*>(QStringLiteral("miRecent"));
    ASSERT_TRUE(recent);
    auto entries = [recent] {
        recent->Rebuild();
        QStringList texts;
        for (const QAction* action : recent->actions())
            texts.append((action->isEnabled() ? "" : "greyed ") + action->text());
        return texts;
    };
    EXPECT_EQ(entries(), QStringList{"greyed No recent folders"});

    Window.OpenLogFile(QStringLiteral("/nonexistent/x.log"));
    ASSERT_TRUE(WaitForLoad(Window));
    Window.OpenFolder(history.WorkingFolder());
    ASSERT_TRUE(WaitForLoad(Window));
    Window.OpenLogFile(TestData("real-cvs.log"));
    ASSERT_TRUE(WaitForLoad(Window));
    EXPECT_EQ(entries(),
              QStringList({"&1 " + TestData("real-cvs.log"), "&2 " + history.WorkingFolder()}));

    QTemporaryDir gone;
    const QString goneFolder = gone.path();
    AddRecentPlace({TRecentPlace::TKind::Folder, goneFolder}, *OpenSettingsStore());
    ASSERT_TRUE(gone.remove());
    Window.OpenLogFile(TestData("real-cvs.log"));
    ASSERT_TRUE(WaitForLoad(Window));
    const auto table = Window.Load().Table();
    ASSERT_EQ(entries().size(), 3);
    recent->actions().at(1)->trigger();
    EXPECT_EQ(Status.Messages.last(), "Cannot open " + goneFolder + ": not found");
    EXPECT_EQ(Window.Load().Table(), table);
    EXPECT_EQ(entries().at(1), "greyed &2 " + goneFolder + " (not found)");

    recent->actions().at(2)->trigger();
    ASSERT_TRUE(WaitForLoad(Window));
    EXPECT_EQ(Window.CurrentFolder, history.WorkingFolder());
    EXPECT_EQ(entries().front(), "&1 " + history.WorkingFolder());
}

namespace {

QStringList FileNames(TfrmMain& window) {
    QStringList names;
    for (int row = 0; row < window.FilesModel().rowCount(); ++row)
        names.append(window.FilesModel().index(row, 0).data().toString());
    return names;
}

} // namespace

// A module read without a working folder through the Open repository dialog;
// the root is remembered, a missing module and a root the client rejects show
// its complaint, and Abort ends a client whose server never answers.
TEST_F(MainWindow, RepositoryOpensWithoutAWorkingFolder) {
    QUILLON_USE_CVS_HISTORY(history);
    TTestHome home;
    Window.Settings.CVSPath = QFileInfo(QStandardPaths::findExecutable("cvs")).path();
    Window.OpenFolder(history.WorkingFolder());
    ASSERT_TRUE(WaitForLoad(Window));
    const QStringList inFolder = FileNames(Window);

    const QString root = history.Repository();
    QStringList offered;
    TCvsPlace chosen = TCvsPlace::OfRepository(root, "demo");
    Window.SetRepositoryChooser([&](const QStringList& roots, const TCvsPlace&) {
        offered = roots;
        return chosen;
    });
    Window.miOpenRepositoryClick();
    ASSERT_TRUE(WaitForLoad(Window));
    EXPECT_EQ(Status.Messages.last(), "Done");
    EXPECT_EQ(FileNames(Window), inFolder);
    EXPECT_EQ(Window.windowTitle(), "Quillon: demo (" + root + ")");
    EXPECT_TRUE(offered.isEmpty());
    const auto store = OpenSettingsStore();
    EXPECT_EQ(RecentRoots(*store), QStringList{root});

    chosen = TCvsPlace::OfRepository(root, "nomodule");
    Window.miOpenRepositoryClick();
    ASSERT_TRUE(WaitForLoad(Window));
    EXPECT_EQ(offered, QStringList{root});
    EXPECT_TRUE(Status.Messages.last().startsWith("CVS error: "))
        << Status.Messages.last().toStdString();
    EXPECT_TRUE(Status.Messages.last().contains("nomodule"))
        << Status.Messages.last().toStdString();
    EXPECT_EQ(Window.FilesModel().rowCount(), 0);
    // A root the client rejects: its complaint.
    chosen = TCvsPlace::OfRepository(":nomethod:" + root, "demo");
    Window.miOpenRepositoryClick();
    ASSERT_TRUE(WaitForLoad(Window));
    EXPECT_TRUE(Status.Messages.last().startsWith("CVS error: "))
        << Status.Messages.last().toStdString();
    EXPECT_TRUE(Status.Messages.last().contains("nomethod"))
        << Status.Messages.last().toStdString();

    // A server that takes the connection and never answers.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    QSignalSpy connected(&silent, &QTcpServer::newConnection);
    const QString pserver =
        QStringLiteral(":pserver:anna:secret@127.0.0.1:%1/cvs").arg(silent.serverPort());
    chosen = TCvsPlace::OfRepository(pserver, "demo");
    Window.miOpenRepositoryClick();
    ASSERT_TRUE(connected.wait(10000));
    Window.miAbortClick();
    ASSERT_TRUE(WaitForLoad(Window));
    EXPECT_EQ(Status.Messages.last(), "Aborted");
    WaitForSettingsWritten();
    EXPECT_FALSE(ReadAll(home.StorePath()).contains("secret"));
    EXPECT_EQ(RecentRoots(*store).value(0),
              QStringLiteral(":pserver:anna@127.0.0.1:%1/cvs").arg(silent.serverPort()));
}

TEST_F(MainWindow, ReopenFromTheCacheKeepsThePageTheFiltersAndTheSelection) {
    QUILLON_USE_CVS_HISTORY(history);
    Window.Settings.KeepCache = true;
    const TLogCache cache = TestLogCache.Cache();
    const QString place = TLogCache::FolderPlace(history.WorkingFolder());
    cache.Clear();
    Window.OpenFolder(history.WorkingFolder());
    ASSERT_TRUE(WaitForLoad(Window));
    ASSERT_TRUE(QTest::qWaitFor([&] { return cache.Has(place); }, 30000));

    const TMainViews views(Window);
    auto select = [](QTableView* list, int row) {
        list->selectionModel()->setCurrentIndex(list->model()->index(row, 0),
                                                QItemSelectionModel::ClearAndSelect |
                                                    QItemSelectionModel::Rows);
    };
    auto shown = [&] {
        auto name = [](QTableView* list, const TRevisionListModel& model) {
            const TRevisionInfo* r = model.RevisionAt(list->currentIndex().row());
            return r ? QString::fromStdString(std::string(r->FileInfo->RCSPath) + " " +
                                              std::string(r->Revision))
                     : QString();
        };
        return QStringList({views.cbxAuthors->currentText(),
                            QString::number(views.PageControl->currentIndex()),
                            name(views.lvRevisions, Window.RevisionsModel()),
                            name(views.lvHistory, Window.HistoryModel())});
    };
    // What the user does while the cached history is shown and the client runs.
    QStringList before;
    const TRCSFileTablePtr first = Window.Load().Table();
    QObject::connect(&Window.Load(), &TLoadController::tableLoaded, &Window, [&] {
        if (!before.isEmpty())
            return;
        EXPECT_TRUE(Window.Load().MayBrowse());
        EXPECT_FALSE(Window.MayStart());
        views.cbxAuthors->setCurrentIndex(views.cbxAuthors->findText("bob"));
        Window.FilterFiles();
        ASSERT_GE(Window.FilesModel().rowCount(), 2);
        select(views.lvFiles, Window.FilesModel().rowCount() - 1);
        ASSERT_GE(Window.RevisionsModel().rowCount(), 2);
        select(views.lvRevisions, 1);
        ASSERT_GE(Window.HistoryModel().rowCount(), 3);
        select(views.lvHistory, 2);
        views.PageControl->setCurrentIndex(1);
        before = shown();
    });
    Status.Messages.clear();
    Window.miRefreshClick();
    ASSERT_TRUE(WaitForLoad(Window));
    EXPECT_EQ(Status.Messages.filter(QStringLiteral("; refreshing...")).size(), 1);
    ASSERT_EQ(before.size(), 4);
    EXPECT_NE(before[2], "");
    EXPECT_NE(Window.Load().Table(), first);
    EXPECT_EQ(shown(), before);
    EXPECT_EQ(PanelText(Window, 5), "Done");
}

// A module read without a working folder is kept under its root and module
// and reopens from there; the fresh history keeps the lists where the user
// scrolled them while the cached one was shown.
TEST_F(MainWindow, ARepositoryReopensFromTheCacheKeepingTheScroll) {
    QUILLON_USE_CVS_HISTORY(history);
    Window.Settings.KeepCache = true;
    const TLogCache cache = TestLogCache.Cache();
    cache.Clear();
    const TCvsPlace place = TCvsPlace::OfRepository(history.Repository(), "demo");
    Window.resize(640, 240);
    Window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window));
    Window.OpenPlace(place);
    ASSERT_TRUE(WaitForLoad(Window));
    ASSERT_TRUE(QTest::qWaitFor([&] { return cache.Has(place.Key()); }, 30000));
    auto files = [&] {
        QStringList names;
        for (int row = 0; row < Window.FilesModel().rowCount(); ++row)
            names << Window.FilesModel().index(row, 0).data().toString();
        return names;
    };
    const QStringList fresh = files();
    ASSERT_GE(fresh.size(), 3);

    const TMainViews views(Window);
    views.PageControl->setCurrentIndex(1);
    QScrollBar* scroll = views.lvHistory->verticalScrollBar();
    int scrolled = -1;
    const TRCSFileTablePtr first = Window.Load().Table();
    QObject::connect(&Window.Load(), &TLoadController::tableLoaded, &Window, [&] {
        if (scrolled >= 0)
            return;
        EXPECT_EQ(files(), fresh); // the cached history
        ASSERT_GE(scroll->maximum(), 2);
        scrolled = scroll->maximum() - 1;
        scroll->setValue(scrolled);
    });
    Status.Messages.clear();
    Window.miRefreshClick();
    ASSERT_TRUE(WaitForLoad(Window));
    EXPECT_EQ(Status.Messages.filter(QStringLiteral("; refreshing...")).size(), 1);
    EXPECT_NE(Window.Load().Table(), first);
    EXPECT_EQ(files(), fresh);
    ASSERT_GT(scrolled, 0);
    EXPECT_EQ(scroll->value(), scrolled);
    EXPECT_EQ(PanelText(Window, 5), "Done");
}
