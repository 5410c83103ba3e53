#include "FolderCommand.h"
#include "TestHome.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

using namespace quillon;
using namespace quillon::test;

namespace {

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Runs a tool and returns its exit code and merged output.
std::pair<int, QString> RunTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return {-1, QStringLiteral("did not finish")};
    return {process.exitCode(), QString::fromLocal8Bit(process.readAll())};
}

class FolderCommand : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Home.IsValid()); }
    TTestHome Home;
};

} // namespace

TEST_F(FolderCommand, RegistersDetectsAndRemovesTheDesktopEntry) {
    const QString program = QStringLiteral("/opt/quillon/bin/quillon");
    ASSERT_EQ(FolderCommandEntryPath(), Home.EntryPath());

    // Nothing registered: nothing detected, and removing it is no error.
    EXPECT_FALSE(IsFolderCommandRegistered(program));
    EXPECT_FALSE(RegisterFolderCommand(false, program));
    EXPECT_FALSE(QFile::exists(Home.EntryPath()));

    // Registering creates the applications folder and the entry.
    ASSERT_TRUE(RegisterFolderCommand(true, program));
    EXPECT_EQ(ReadAll(Home.EntryPath()), QByteArray("[Desktop Entry]\n"
                                                    "Type=Application\n"
                                                    "Name=Open with Quillon\n"
                                                    "Exec=/opt/quillon/bin/quillon %f\n"
                                                    "Icon=org.example.quillon\n"
                                                    "MimeType=inode/directory;\n"
                                                    "NoDisplay=true\n"));
    EXPECT_TRUE(IsFolderCommandRegistered(program));

    // The program moved, or runs under a path that differs in letter case.
    EXPECT_FALSE(IsFolderCommandRegistered(QStringLiteral("/usr/local/bin/quillon")));
    EXPECT_FALSE(IsFolderCommandRegistered(QStringLiteral("/opt/Quillon/bin/quillon")));
    // Registering again from the new place rewrites the entry for it.
    ASSERT_TRUE(RegisterFolderCommand(true, QStringLiteral("/usr/local/bin/quillon")));
    EXPECT_TRUE(IsFolderCommandRegistered(QStringLiteral("/usr/local/bin/quillon")));
    EXPECT_FALSE(IsFolderCommandRegistered(program));

    // Entries edited by hand count only when their Exec line is the one this
    // program writes, in the entry's main group.
    const std::pair<const char*, bool> edited[] = {
        {"[Desktop Entry]\nExec=\"/opt/quillon/bin/quillon\" %f\n", false},
        {"[Desktop Entry]\nExec=/opt/quillon/bin/quillon %F\n", false},
        {"[Desktop Entry]\nExec=/opt/quillon/bin/quillon\n", false},
        {"[Desktop Entry]\nName=x\n[Desktop Action open]\nExec=/opt/quillon/bin/quillon %f\n",
         false},
        {"[Desktop Entry]\r\nType=Application\r\nExec=/opt/quillon/bin/quillon %f\r\n", true},
        {"# comment\n[Desktop Entry]\nName=x\nExec = /opt/quillon/bin/quillon %f\n", true},
    };
    for (const auto& [text, registered] : edited) {
        ASSERT_TRUE(WriteAll(Home.EntryPath(), text));
        EXPECT_EQ(IsFolderCommandRegistered(program), registered) << text;
    }

    // Removing deletes the entry, whoever wrote it; a second removal finds
    // nothing and is no error either.
    EXPECT_FALSE(RegisterFolderCommand(false, program));
    EXPECT_FALSE(QFile::exists(Home.EntryPath()));
    EXPECT_FALSE(IsFolderCommandRegistered(program));
    EXPECT_FALSE(RegisterFolderCommand(false, program));
    EXPECT_TRUE(QDir(Home.DataHome() + QStringLiteral("/applications")).exists());

    // An entry under the name earlier versions used counts, and registering or
    // removing the command leaves only the current entry, or none.
    const QString earlier =
        Home.DataHome() + QStringLiteral("/applications/quillon-open-folder.desktop");
    for (const bool enable : {true, false}) {
        ASSERT_TRUE(WriteAll(earlier, "[Desktop Entry]\nExec=/opt/quillon/bin/quillon %f\n"));
        EXPECT_TRUE(IsFolderCommandRegistered(program));
        EXPECT_EQ(RegisterFolderCommand(enable, program), enable);
        EXPECT_FALSE(QFile::exists(earlier));
        EXPECT_EQ(QFile::exists(Home.EntryPath()), enable);
    }
}

TEST_F(FolderCommand, UsesTheRunningProgramByDefault) {
    EXPECT_EQ(RunningProgram(), QCoreApplication::applicationFilePath());
    ASSERT_TRUE(RegisterFolderCommand(true));
    EXPECT_TRUE(IsFolderCommandRegistered());
    EXPECT_TRUE(
        ReadAll(Home.EntryPath())
            .contains("\nExec=" + QCoreApplication::applicationFilePath().toUtf8() + " %f\n"));
    EXPECT_FALSE(RegisterFolderCommand(false));
    EXPECT_FALSE(IsFolderCommandRegistered());
}

TEST_F(FolderCommand, QuotesProgramPathsAsDesktopEntriesRequire) {
    const std::pair<const char*, const char*> cases[] = {
        {"/opt/quillon", "/opt/quillon %f"},
        {"/opt/My Apps/quillon", "\"/opt/My Apps/quillon\" %f"},
        {"/opt/a$b\\c/quil\"lon", "\"/opt/a\\\\$b\\\\\\\\c/quil\\\\\"lon\" %f"},
        {"/opt/100%/quillon", "/opt/100%%/quillon %f"},
        {"/opt/it's/quillon", "\"/opt/it's/quillon\" %f"},
        {"/opt/tick`/q", "\"/opt/tick\\\\`/q\" %f"},
        {"/opt/tab\there", "\"/opt/tab\\there\" %f"},
        {"/opt/caf\xc3\xa9/quillon", "/opt/caf\xc3\xa9/quillon %f"},
    };
    for (const auto& [program, exec] : cases)
        EXPECT_EQ(FolderCommandLine(QString::fromUtf8(program)), QString::fromUtf8(exec))
            << program;
}

TEST_F(FolderCommand, FileManagersStartTheProgramWithTheFolder) {
    // Real programs under awkward paths; each records the arguments it got.
    const QString validate =
        QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
    if (validate.isEmpty() && gio.isEmpty())
        GTEST_SKIP() << "neither desktop-file-validate nor gio is installed";
    const QString record = Home.Path(QStringLiteral("arguments"));
    const QString folder = Home.Path(QStringLiteral("work folder; 'with' $odd \"names\""));
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char* name : {"plain", "My Apps", "a$b\\c", "100%", "it's", "tick`", "semi;colon"}) {
        const QString dir = Home.Path(QStringLiteral("programs/") + QString::fromUtf8(name));
        ASSERT_TRUE(QDir().mkpath(dir));
        const QString program = dir + QStringLiteral("/quillon");
        ASSERT_TRUE(
            WriteAll(program, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record.toUtf8() + "'\n"));
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ASSERT_TRUE(RegisterFolderCommand(true, program)) << name;
        EXPECT_TRUE(IsFolderCommandRegistered(program)) << name;

        if (!validate.isEmpty()) {
            const auto [code, output] = RunTool(validate, {Home.EntryPath()});
            EXPECT_EQ(code, 0) << name << ": " << output.toStdString();
            EXPECT_TRUE(output.isEmpty()) << name << ": " << output.toStdString();
        }
        // GLib looks for the program under its Exec text before undoing the
        // doubled percent sign, so it refuses entries for such paths.
        if (!gio.isEmpty() && !program.contains(QLatin1Char('%'))) {
            QFile::remove(record);
            const auto [code, output] =
                RunTool(gio, {QStringLiteral("launch"), Home.EntryPath(), folder});
            EXPECT_EQ(code, 0) << name << ": " << output.toStdString();
            EXPECT_TRUE(QTest::qWaitFor([&] { return QFile(record).size() > 0; }, 10000)) << name;
            EXPECT_EQ(QString::fromUtf8(ReadAll(record)), folder + QLatin1Char('\n')) << name;
        }
    }
}

TEST_F(FolderCommand, FailsQuietlyWhereTheEntryCannotBeWritten) {
    // The applications folder is taken by a file.
    ASSERT_TRUE(QDir().mkpath(Home.DataHome()));
    ASSERT_TRUE(WriteAll(Home.DataHome() + QStringLiteral("/applications"), "x"));
    EXPECT_FALSE(RegisterFolderCommand(true, QStringLiteral("/opt/quillon")));
    EXPECT_FALSE(IsFolderCommandRegistered(QStringLiteral("/opt/quillon")));
    EXPECT_FALSE(RegisterFolderCommand(false, QStringLiteral("/opt/quillon")));
}

TEST_F(FolderCommand, IgnoresARelativeDataHome) {
    qputenv("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(FolderCommandEntryPath(),
              QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                  QStringLiteral("/applications/org.example.quillon.OpenFolder.desktop"));
}
