// Helpers for tests that drive the main window offscreen.
#pragma once

#include "fMain.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace quillon::test {

// The main window whose activity a test can set, to see what the commands do
// while it is not idle.
class TTestMainWindow : public TfrmMain {
public:
    using TfrmMain::SetActivity;
};

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

// A repository and working folder made once with the real cvs client.
class TCvsHistory {
public:
    static TCvsHistory& Shared() {
        static TCvsHistory history;
        return history;
    }
    bool Ok() const { return Made; }
    QString WorkingFolder() const { return Dir.filePath(QStringLiteral("work")); }
    QString Output;

private:
    TCvsHistory() {
        QProcess make;
        make.setProcessChannelMode(QProcess::MergedChannels);
        make.start(SourcePath(QStringLiteral("scripts/make-cvs-history")), {Dir.path()});
        Made = make.waitForFinished(120000) && make.exitCode() == 0;
        Output = QString::fromLocal8Bit(make.readAll());
    }
    QTemporaryDir Dir;
    bool Made = false;
};

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
