// Helpers for tests that drive the main window offscreen.
#pragma once

#include "LogCache.h"
#include "Selectors.h"
#include "fMain.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

namespace quillon::test {

// The cache of logs and the settings store of a test program: a temporary
// folder of its own, away from the user's and from the test programs that run
// beside it (every load writes the recent places), made before any test runs.
class TTestLogCache {
public:
    TTestLogCache() {
        TLogCache::SetDefaultFolder(Dir.filePath(QStringLiteral("logs")));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           Dir.filePath(QStringLiteral("config")));
    }
    TLogCache Cache() const { return TLogCache(TLogCache::DefaultFolder()); }

private:
    QTemporaryDir Dir;
};
inline TTestLogCache TestLogCache;

// The main window whose activity a test can set, to see what the commands do
// while it is not idle.
class TTestMainWindow : public TfrmMain {
public:
    using TfrmMain::SetActivity;
};

// The main window's views and menu commands, found by their object names.
struct TMainViews {
    explicit TMainViews(const QObject& window)
        : cbxFilter(Named<TOwnerDrawnSelector>(window, "cbxFilter")),
          cbxAuthors(Named<TOwnerDrawnSelector>(window, "cbxAuthors")),
          PageControl(Named<QTabWidget>(window, "PageControl")),
          lvFiles(Named<QTableView>(window, "lvFiles")),
          lvRevisions(Named<QTableView>(window, "lvRevisions")),
          lvHistory(Named<QTableView>(window, "lvHistory")),
          mmComments(Named<QPlainTextEdit>(window, "mmComments")),
          mmCommentsHistory(Named<QPlainTextEdit>(window, "mmCommentsHistory")),
          miOpen(Named<QAction>(window, "miOpen")), miOpenLog(Named<QAction>(window, "miOpenLog")),
          miAbort(Named<QAction>(window, "miAbort")), miExit(Named<QAction>(window, "miExit")),
          miRefresh(Named<QAction>(window, "miRefresh")),
          miOptions(Named<QAction>(window, "miOptions")),
          miAbout(Named<QAction>(window, "miAbout")) {}

    template <typename T> static T* Named(const QObject& window, const char* name) {
        T* found = window.findChild<T*>(QString::fromLatin1(name));
        if (!found)
            ADD_FAILURE() << "the main window has no " << name;
        return found;
    }

    TOwnerDrawnSelector* cbxFilter;
    TOwnerDrawnSelector* cbxAuthors;
    QTabWidget* PageControl;
    QTableView* lvFiles;
    QTableView* lvRevisions;
    QTableView* lvHistory;
    QPlainTextEdit* mmComments;
    QPlainTextEdit* mmCommentsHistory;
    QAction* miOpen;
    QAction* miOpenLog;
    QAction* miAbort;
    QAction* miExit;
    QAction* miRefresh;
    QAction* miOptions;
    QAction* miAbout;
};
inline TMainViews MainViews(const QObject& window) {
    return TMainViews(window);
}

// Every status message a window shows, in order, without the progress
// variants ("Parsing log... (12 files)").
class TStatusRecorder {
public:
    explicit TStatusRecorder(TfrmMain& window) {
        QObject::connect(&window, &TfrmMain::statusShown, &window, [this](const QString& m) {
            if (!m.contains(QLatin1String("... (")))
                Messages.append(m);
        });
    }
    QStringList Messages;
};

inline QString PanelText(TfrmMain& window, int panel) {
    auto* label =
        window.statusBar()->findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(panel));
    return label ? label->text() : QString();
}

// Waits until the window's current load has ended.
inline bool WaitForLoad(TfrmMain& window, int timeoutMs = 30000) {
    QSignalSpy finished(&window, &TfrmMain::loadFinished);
    return finished.wait(timeoutMs);
}

inline QString SourcePath(const QString& relative) {
    return QDir(QStringLiteral(QUILLON_SOURCE_DIR)).filePath(relative);
}

inline QString TestData(const QString& relative) {
    return QDir(QStringLiteral(QUILLON_TEST_DATA)).filePath(relative);
}

// The first of the tools the test history needs (the real client and
// faketime) that is not on PATH, or nothing.
inline QString MissingTool() {
    for (const char* tool : {"cvs", "faketime"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return QString::fromLatin1(tool);
    return {};
}

// Whether a missing tool fails the tests that need it instead of skipping
// them, as under scripts/test, which installs the tools.
inline bool ToolsRequired() {
    return qEnvironmentVariableIntValue("QUILLON_REQUIRE_TOOLS") == 1;
}

// The repository and working folder of scripts/make-cvs-history, made with the
// real client. Under CTest the fixture test CvsHistory.Make makes them once
// for the whole run and names their folder in QUILLON_CVS_HISTORY; a test
// program run by itself makes them once for itself.
class TCvsHistory {
public:
    static TCvsHistory& Shared() {
        static TCvsHistory history;
        return history;
    }
    bool Ok() const { return QFileInfo(WorkingFolder() + QStringLiteral("/CVS")).isDir(); }
    QString WorkingFolder() const { return QDir(Folder).filePath(QStringLiteral("work")); }
    // The repository; WorkingFolder is a checkout of its module "demo".
    QString Repository() const { return QDir(Folder).filePath(QStringLiteral("repo")); }
    // The history of releases: a vendor branch, two release tags and a branch.
    QString ReleasesFolder() const { return QDir(Folder).filePath(QStringLiteral("releases")); }
    QString Output;

private:
    TCvsHistory() : Folder(qEnvironmentVariable("QUILLON_CVS_HISTORY")) {
        if (!Folder.isEmpty()) {
            Output = QStringLiteral("the fixture test CvsHistory.Make left no working folder in ") +
                     Folder;
            return;
        }
        Folder = Dir.emplace().path();
        QProcess make;
        make.setProcessChannelMode(QProcess::MergedChannels);
        make.start(SourcePath(QStringLiteral("scripts/make-cvs-history")), {Folder});
        make.waitForFinished(-1);
        Output = QString::fromLocal8Bit(make.readAll());
    }
    std::optional<QTemporaryDir> Dir;
    QString Folder;
};

// Skips the test when tool is not on PATH; fails it where the tools are
// required.
#define QUILLON_NEED_TOOL(tool)                                                                    \
    if (QStandardPaths::findExecutable(QStringLiteral(tool)).isEmpty()) {                          \
        if (::quillon::test::ToolsRequired())                                                      \
            FAIL() << tool " is not on PATH";                                                      \
        GTEST_SKIP() << tool " is not on PATH";                                                    \
    }

// Names the shared test history history; skips the test when a tool it needs
// is missing (fails it where the tools are required) and fails it when the
// history could not be made.
#define QUILLON_USE_CVS_HISTORY(history)                                                           \
    auto& history = ::quillon::test::TCvsHistory::Shared();                                        \
    if (const QString missing = ::quillon::test::MissingTool();                                    \
        !missing.isEmpty() && !::quillon::test::ToolsRequired())                                   \
        GTEST_SKIP() << missing.toStdString() << " is not on PATH";                                \
    ASSERT_TRUE(history.Ok()) << history.Output.toStdString()

// Writes an executable shell script and returns its path.
inline QString WriteScript(const QString& path, const QByteArray& body) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

} // namespace quillon::test
