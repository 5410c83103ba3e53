// The load controller by itself, without a window.
#include "LoadController.h"
#include "MainWindowFixture.h"

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
