// The load controller by itself, without a window.
#include "LoadController.h"
#include "MainWindowFixture.h"
#include "Tags.h"

#include <QRegularExpression>

#include <sys/stat.h>

using namespace quillon;
using namespace quillon::test;

namespace {

// Every report of a controller in order: status messages as they are, the
// other signals by name.
class TReports {
public:
    explicit TReports(TLoadController& loader) {
        auto add = [this, &loader](auto signal, const char* name) {
            QObject::connect(&loader, signal, &loader, [this, name] { Log.append(name); });
        };
        QObject::connect(&loader, &TLoadController::statusShown, &loader, [this](const QString& m) {
            if (!m.contains(QLatin1String("... (")))
                Log.append(m);
        });
        QObject::connect(&loader, &TLoadController::loadingChanged, &loader,
                         [this](bool loading) { Log.append(loading ? "busy" : "idle"); });
        QObject::connect(&loader, &TLoadController::loadStarted, &loader,
                         [this](const QString& source) { Log.append("start " + source); });
        add(&TLoadController::tableDropped, "dropped");
        add(&TLoadController::checkStarted, "check");
        add(&TLoadController::summaryChanged, "summary");
        add(&TLoadController::tableLoaded, "loaded");
        add(&TLoadController::loadFinished, "finished");
    }
    QStringList Log;
};

} // namespace

TEST(LoadController, ReportsAnOpenThroughTheClientAndAFailureInOrder) {
    QUILLON_USE_CVS_HISTORY(history);
    TSettings settings;
    settings.CVSPath = QStringLiteral("/usr/bin");
    TLoadController loader(settings);
    TReports reports(loader);
    QSignalSpy finished(&loader, &TLoadController::loadFinished);
    const QString folder = history.WorkingFolder();

    loader.OpenFolder(folder);
    EXPECT_FALSE(loader.MayStart());
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_EQ(reports.Log,
              QStringList({"dropped", "busy", "start " + folder, "Executing CVS command...", "Done",
                           "Parsing log...", "Done", "Checking log...", "check", "summary", "Done",
                           "loaded", "idle", "finished"}));
    EXPECT_TRUE(loader.MayStart());
    ASSERT_TRUE(loader.Table() && loader.Summary());
    EXPECT_EQ(loader.Table()->FileCount(), 4u);
    EXPECT_EQ(loader.Summary()->Files.size(), 4u);

    // A client that cannot start: the table shown before goes.
    reports.Log.clear();
    settings.CVSPath = QStringLiteral("/no/such/folder");
    loader.OpenFolder(folder);
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_EQ(reports.Log,
              QStringList({"dropped", "busy", "start " + folder, "Executing CVS command...",
                           "CVS executable not found", "idle", "finished"}));
    EXPECT_FALSE(loader.Table());
    EXPECT_FALSE(loader.Summary());
    EXPECT_TRUE(loader.MayStart());
}

TEST(LoadController, AbortEndsTheClientAndALoadOnItsWorker) {
    QTemporaryDir clientDir;
    ASSERT_TRUE(QDir(clientDir.path()).mkdir("CVS"));
    WriteScript(clientDir.filePath("cvs"), "exec sleep 60\n");
    TSettings settings;
    settings.CVSPath = clientDir.path();
    TLoadController loader(settings);
    TReports reports(loader);
    QSignalSpy finished(&loader, &TLoadController::loadFinished);

    loader.OpenFolder(clientDir.path());
    EXPECT_EQ(loader.Activity(), TActivity::RunningClient);
    loader.Abort();
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_EQ(reports.Log.mid(3),
              QStringList({"Executing CVS command...", "idle", "Aborted", "finished"}));
    EXPECT_TRUE(loader.MayStart());

    // A saved log being read ends at once; the next load takes its place.
    reports.Log.clear();
    loader.OpenLogFile(TestData("real-cvs.log"));
    EXPECT_EQ(loader.Activity(), TActivity::Working);
    loader.Abort();
    EXPECT_EQ(reports.Log.mid(3),
              QStringList({"Reading log file...", "dropped", "idle", "Aborted", "finished"}));
    loader.OpenLogFile(TestData("real-cvs.log"));
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_EQ(reports.Log.last(), "finished");
    ASSERT_TRUE(loader.Table());
    EXPECT_EQ(loader.Table()->FileCount(), 4u);
}

namespace {

// The log of reports with the date of a cached history taken out.
QStringList WithoutDate(QStringList log) {
    static const QRegularExpression date(QStringLiteral("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d"));
    for (QString& line : log)
        line.replace(date, QStringLiteral("DATE"));
    return log;
}

// Each write of an entry puts a new file in place of the old.
ino_t FileId(const QString& path) {
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

} // namespace

TEST(LoadController, ReopenShowsTheCachedHistoryThenTheFreshOne) {
    QUILLON_USE_CVS_HISTORY(history);
    TSettings settings;
    settings.CVSPath = QStringLiteral("/usr/bin");
    settings.KeepCache = true;
    TLoadController loader(settings);
    TReports reports(loader);
    QSignalSpy finished(&loader, &TLoadController::loadFinished);
    QObject::connect(&loader, &TLoadController::tableReplacing, &loader,
                     [&] { reports.Log.append("replacing"); });
    QObject::connect(&loader, &TLoadController::tableReplaced, &loader,
                     [&] { reports.Log.append("replaced"); });
    const QString folder = history.WorkingFolder();
    const TLogCache cache = TestLogCache.Cache();
    const QString entry = cache.EntryPath(TLogCache::FolderPlace(folder));
    cache.Clear();

    // The first open keeps the log; the second shows it before the client ends.
    loader.OpenFolder(folder);
    ASSERT_TRUE(finished.wait(30000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(entry); }, 30000));
    const TRCSFileTablePtr first = loader.Table();
    const ino_t firstEntry = FileId(entry);
    reports.Log.clear();
    loader.OpenFolder(folder);
    ASSERT_TRUE(finished.wait(30000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return FileId(entry) != firstEntry; }, 30000));
    EXPECT_EQ(WithoutDate(reports.Log),
              QStringList({"dropped", "busy", "start " + folder, "Executing CVS command...",
                           "summary", "loaded", "Cached DATE; refreshing...", "Done",
                           "Parsing log...", "Done", "Checking log...", "replacing", "summary",
                           "Done", "replaced", "idle", "finished"}));
    ASSERT_TRUE(loader.Table() && loader.Summary());
    EXPECT_NE(loader.Table(), first);
    auto text = [](const TRCSFileTable& table) {
        std::string joined;
        for (const TRCSFile& file : table.Files())
            for (const TRevisionInfo& revision : file.Revisions)
                joined += std::string(file.WorkingFile) + ' ' + std::string(revision.Revision) +
                          ' ' + std::string(revision.Author) + ' ' + TagsText(revision) + ' ' +
                          std::string(revision.Comment) + '\n';
        return joined;
    };
    EXPECT_EQ(text(*loader.Table()), text(*first));

    // A damaged entry is said, dropped and written anew.
    QFile damaged(entry);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write("not a log");
    damaged.close();
    reports.Log.clear();
    loader.OpenFolder(folder);
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_TRUE(reports.Log.contains("Cached history discarded: not a cache entry"));
    EXPECT_FALSE(reports.Log.contains("replaced"));
    EXPECT_EQ(loader.Table()->FileCount(), 4u);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFileInfo(entry).size() > 9; }, 30000));

    // A cache that cannot be written: said, and the history is shown all the same.
    QTemporaryDir dir;
    QFile file(dir.filePath("file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    TLogCache::SetDefaultFolder(dir.filePath("file/logs"));
    reports.Log.clear();
    loader.OpenFolder(folder);
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return reports.Log.last().startsWith("History not cached: "); }, 30000));
    TLogCache::SetDefaultFolder(cache.Path());
    EXPECT_EQ(loader.Table()->FileCount(), 4u);
}

TEST(LoadController, AbortKeepsTheCachedHistory) {
    QTemporaryDir clientDir;
    ASSERT_TRUE(QDir(clientDir.path()).mkdir("CVS"));
    // The client writes part of a log, which goes into the cache as it comes.
    WriteScript(clientDir.filePath("cvs"),
                "head -c 3000 '" + TestData("real-cvs.log").toLocal8Bit() + "'\nexec sleep 60\n");
    QFile log(TestData("real-cvs.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const TLogCache cache = TestLogCache.Cache();
    const QString entry = cache.EntryPath(TLogCache::FolderPlace(clientDir.path()));
    ASSERT_EQ(cache.Write(TLogCache::FolderPlace(clientDir.path()), {log.readAll().toStdString()}),
              "");
    const ino_t firstEntry = FileId(entry);
    TSettings settings;
    settings.CVSPath = clientDir.path();
    settings.KeepCache = true;
    TLoadController loader(settings);
    TReports reports(loader);
    QSignalSpy finished(&loader, &TLoadController::loadFinished);

    loader.OpenFolder(clientDir.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return reports.Log.contains("loaded"); }, 30000));
    EXPECT_TRUE(loader.MayBrowse());
    EXPECT_FALSE(loader.MayStart());
    loader.Abort();
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_EQ(WithoutDate(reports.Log).mid(6),
              QStringList({"Cached DATE; refreshing...", "idle",
                           "Aborted; the history cached DATE stays", "finished"}));
    ASSERT_TRUE(loader.Table());
    EXPECT_EQ(loader.Table()->FileCount(), 4u);
    EXPECT_TRUE(loader.MayStart());
    // The part of the log that came is not kept: the entry stays as it was.
    EXPECT_EQ(FileId(entry), firstEntry);

    // A client that ends before the cached history is read: its output waits
    // for the cached history, and nothing may start while it does.
    WriteScript(clientDir.filePath("cvs"), "exit 0\n");
    ASSERT_TRUE(log.seek(0));
    const std::string large = log.readAll().repeated(20000).toStdString();
    ASSERT_EQ(cache.Write(TLogCache::FolderPlace(clientDir.path()), {large}), "");
    bool startedWhileHeld = true;
    QObject::connect(&loader, &TLoadController::tableLoaded, &loader,
                     [&] { startedWhileHeld = loader.MayStart(); });
    loader.OpenFolder(clientDir.path());
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_FALSE(startedWhileHeld);
    EXPECT_EQ(loader.Table()->FileCount(), 0u);
}
