#include "CvsRunner.h"
#include "NativePath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillon;

namespace {

void WriteScript(const QString& path, const QByteArray& body) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Runs a stand-in client, a shell script with body, to its end.
class RunnerTest : public ::testing::Test {
protected:
    TCvsResult Run(const QByteArray& body,
                   std::size_t outputLimit = std::numeric_limits<std::size_t>::max()) {
        const QString program = Dir.filePath(QStringLiteral("cvs"));
        WriteScript(program, body);
        return RunProgram(program, Dir.path(), outputLimit);
    }
    TCvsResult RunProgram(const QString& program, const QString& folder,
                          std::size_t outputLimit = std::numeric_limits<std::size_t>::max(),
                          const QStringList& arguments = {QStringLiteral("log")}) {
        TCvsRunner runner;
        runner.SetOutputLimit(outputLimit);
        QSignalSpy finished(&runner, &TCvsRunner::finished);
        runner.Start(program, arguments, folder);
        EXPECT_TRUE(finished.wait(30000));
        QCoreApplication::processEvents();
        EXPECT_EQ(finished.count(), 1);
        return runner.TakeResult();
    }
    QTemporaryDir Dir;
};

} // namespace

TEST_F(RunnerTest, AClientEndedBySignalIsNamedWithItsSignal) {
    TCvsResult result = Run("echo 'RCS file: /r/a.c,v'\necho 'cvs log: Logging .' >&2\n"
                            "kill -SEGV $$\n");
    EXPECT_TRUE(result.Crashed);
    EXPECT_EQ(result.Signal, 11);
    EXPECT_EQ(result.Output.Take(), "RCS file: /r/a.c,v\n");
    EXPECT_EQ(CvsErrorText(result), "CVS error: the client was ended by signal 11");
    EXPECT_EQ(CvsIncompleteText(result),
              "CVS error: the client was ended by signal 11; the history shown is incomplete");
    EXPECT_EQ(CvsExportErrorText(result), "the CVS client was ended by signal 11");

    result = Run("echo 'cvs log: Logging .' >&2\nexit 3\n");
    EXPECT_TRUE(CvsIncompleteText(result).isEmpty());
    EXPECT_EQ(CvsReportedNote(result), "CVS reported: cvs log: Logging .");
    EXPECT_EQ(CvsExportErrorText(Run("exit 3\n")), "the CVS client failed (exit code 3)");
}

TEST_F(RunnerTest, AHugeComplaintIsKeptShort) {
    // Progress lines in any number, then a line of 200,000 characters.
    TCvsResult result = Run("i=0; while [ $i -lt 3000 ]; do echo \"cvs log: Logging d$i\"; "
                            "i=$((i+1)); done >&2\n"
                            "head -c 200000 /dev/zero | tr '\\0' x >&2\necho >&2\nexit 1\n");
    EXPECT_LE(result.Errors.size(), TCvsResult::MaxErrorBytes);
    EXPECT_EQ(CvsErrorText(result), "CVS error: " + QString(500, QLatin1Char('x')));

    result = Run("echo 'cvs log: Logging .' >&2\n"
                 "for i in 1 2 3 4 5 6 7 8 9 10 11 12; do echo \"cvs log: bad $i\" >&2; done\n"
                 "exit 1\n");
    const QStringList lines = CvsExportErrorText(result).split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines.front(), "cvs log: bad 1");
    EXPECT_EQ(lines.back(), "cvs log: bad 10");
}

TEST_F(RunnerTest, AFolderProblemIsNoMissingClient) {
    const QString missing = Dir.filePath(QStringLiteral("no-such-folder"));
    TCvsResult result = RunProgram(QStringLiteral("/bin/true"), missing);
    EXPECT_FALSE(result.Started);
    EXPECT_EQ(CvsErrorText(result), "Folder not found: " + missing);
    EXPECT_EQ(CvsExportErrorText(result), "Folder not found: " + missing);

    result = RunProgram(Dir.filePath(QStringLiteral("no-such-client")), Dir.path());
    EXPECT_FALSE(result.Started);
    EXPECT_EQ(CvsErrorText(result), "CVS executable not found");
}

TEST_F(RunnerTest, OutputPastTheLimitEndsTheClientAsOutOfMemory) {
    constexpr std::size_t limit = 1 << 20;
    // Killed with its group, the client never reaches its sleep's end.
    const TCvsResult result = Run("head -c 3000000 /dev/zero\nexec sleep 60\n", limit);
    EXPECT_TRUE(result.OutOfMemory);
    EXPECT_GT(result.BytesRead, limit);
    EXPECT_TRUE(result.Output.empty());
    EXPECT_EQ(CvsExportErrorText(result), OutOfMemoryText(result.BytesRead));
    EXPECT_EQ(CvsErrorText(result), "Error: " + OutOfMemoryText(result.BytesRead));
    EXPECT_EQ(OutOfMemoryText(5u << 20), "out of memory while reading the log (5 MB read)");
}

// While the sink is full, the client's output stays in the pipe and the client
// waits to write; what it wrote before it ended arrives all the same, and
// Abort frees a client that waits.
TEST_F(RunnerTest, AFullSinkHoldsTheClientBack) {
    auto openFiles = [] { return QDir(QStringLiteral("/proc/self/fd")).count(); };
    const auto filesBefore = openFiles();
    const QString program = Dir.filePath(QStringLiteral("cvs"));
    QByteArray received;
    bool full = true;
    std::unique_ptr<TCvsRunner> runner;
    std::unique_ptr<QSignalSpy> finished;
    auto start = [&](const QByteArray& body) {
        received.clear();
        full = true;
        WriteScript(program, body);
        finished.reset();
        runner = std::make_unique<TCvsRunner>();
        finished = std::make_unique<QSignalSpy>(runner.get(), &TCvsRunner::finished);
        runner->SetOutputSink([&](QByteArray bytes) { received += bytes; }, [&] { return full; });
        runner->Start(program, {QStringLiteral("log")}, Dir.path());
    };
    auto ended = [&](int ms) { return finished->count() == 1 || finished->wait(ms); };

    start("head -c 3000000 /dev/zero\n");
    EXPECT_FALSE(ended(500));
    EXPECT_TRUE(received.isEmpty());
    full = false;
    runner->Resume();
    ASSERT_TRUE(ended(30000));
    TCvsResult result = runner->TakeResult();
    EXPECT_FALSE(result.Failed());
    EXPECT_EQ(result.BytesRead, 3000000u);
    EXPECT_EQ(received, QByteArray(3000000, '\0'));

    start("printf 'RCS file'\n");
    ASSERT_TRUE(ended(30000));
    EXPECT_EQ(received, "RCS file");

    start("head -c 3000000 /dev/zero\nexec sleep 60\n");
    EXPECT_FALSE(ended(300));
    runner->Abort();
    ASSERT_TRUE(ended(TCvsRunner::KillGraceMs / 2));
    EXPECT_TRUE(runner->TakeResult().Aborted);
    finished.reset();
    runner.reset();
    EXPECT_EQ(openFiles(), filesBefore);
}

// A client whose runner goes, or whose output is past the limit, is asked to
// end before it is killed: the real client then removes the locks it holds
// in the repository.
TEST_F(RunnerTest, AClientIsAskedToEndBeforeItIsKilled) {
    const QString ended = Dir.filePath(QStringLiteral("ended"));
    const QByteArray trap = "trap 'echo asked > \"" + ended.toLocal8Bit() + "\"; exit 1' TERM\n";
    const QByteArray endless = "while :; do sleep 0.1; done\n";
    auto asked = [&] {
        QFile file(ended);
        return file.open(QIODevice::ReadOnly) && file.readAll() == "asked\n";
    };
    const QString program = Dir.filePath(QStringLiteral("cvs"));
    WriteScript(program, trap + "echo started\n" + endless);
    {
        TCvsRunner runner;
        runner.Start(program, {QStringLiteral("log")}, Dir.path());
        ASSERT_TRUE(QTest::qWaitFor([&] { return runner.BytesReceived() > 0; }, 10000));
    }
    EXPECT_TRUE(asked());

    ASSERT_TRUE(QFile::remove(ended));
    EXPECT_TRUE(Run(trap + "head -c 3000000 /dev/zero\n" + endless, 1 << 20).OutOfMemory);
    EXPECT_TRUE(asked());
}

// The folder and the arguments reach the client as the system's own bytes,
// also where they are not UTF-8.
TEST_F(RunnerTest, NamesInBytesThatAreNoUtf8ReachTheClientAsTheyAre) {
    const QString program = Dir.filePath(QStringLiteral("cvs"));
    WriteScript(program, "pwd -P\nprintf '%s\\n' \"$@\"\n");
    const QByteArray folder = EncodePath(Dir.path()) + "/w\xff";
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    TCvsResult result = RunProgram(program, DecodePath(folder), SIZE_MAX,
                                   {QStringLiteral("diff"), DecodePath("caf\xe9.c")});
    EXPECT_EQ(result.Output.Take(), folder.toStdString() + "\ndiff\ncaf\xe9.c\n");
}

TEST(LockService, HoldsNoneOfTheProgramsStreams) {
    QTemporaryDir work, cvsDir;
    ASSERT_TRUE(QDir(work.path()).mkdir(QStringLiteral("CVS")));
    QFile root(work.filePath(QStringLiteral("CVS/Root")));
    ASSERT_TRUE(root.open(QIODevice::WriteOnly));
    root.write(":local:/var/cvs\n");
    root.close();
    // The service says it has started, and runs until the test opens its fifo.
    const QString started = cvsDir.filePath(QStringLiteral("started"));
    const QByteArray fifo = QFile::encodeName(cvsDir.filePath(QStringLiteral("hold")));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    WriteScript(LockServiceProgram(cvsDir.path()),
                "touch '" + QFile::encodeName(started) + "'\ncat '" + fifo + "'\n");

    // The program's standard output and error are a pipe while it starts the service.
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const int out = ::dup(1), err = ::dup(2);
    ::dup2(pipe[1], 1);
    ::dup2(pipe[1], 2);
    ::close(pipe[1]);
    StartLockServiceIfNeeded(work.path(), cvsDir.path());
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::close(out);
    ::close(err);
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(started); }, 30000));

    // With no writer left, the pipe ends while the service still runs.
    pollfd ready{pipe[0], POLLIN, 0};
    const int readable = ::poll(&ready, 1, 30000);
    QFile hold(QFile::decodeName(fifo));
    EXPECT_TRUE(hold.open(QIODevice::WriteOnly));
    hold.close();
    ASSERT_EQ(readable, 1);
    char byte = 0;
    EXPECT_EQ(::read(pipe[0], &byte, 1), 0);
    ::close(pipe[0]);
}

// A working folder named in bytes that are not UTF-8: the service is found
// needed, and starts there.
TEST(LockService, StartsInAFolderNamedInBytesThatAreNoUtf8) {
    QTemporaryDir dir, cvsDir;
    const QByteArray work = EncodePath(dir.path()) + "/w\xff";
    ASSERT_EQ(::mkdir(work.constData(), 0700), 0);
    ASSERT_EQ(::mkdir((work + "/CVS").constData(), 0700), 0);
    FILE* root = std::fopen((work + "/CVS/Root").constData(), "w");
    ASSERT_TRUE(root);
    std::fputs(":local:/var/cvs\n", root);
    std::fclose(root);
    const QString started = cvsDir.filePath(QStringLiteral("started"));
    WriteScript(LockServiceProgram(cvsDir.path()),
                "pwd -P > '" + QFile::encodeName(started) + ".part'\nmv '" +
                    QFile::encodeName(started) + ".part' '" + QFile::encodeName(started) + "'\n");
    StartLockServiceIfNeeded(DecodePath(work), cvsDir.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(started); }, 30000));
    QFile where(started);
    ASSERT_TRUE(where.open(QIODevice::ReadOnly));
    EXPECT_EQ(where.readAll(), work + "\n");
}
