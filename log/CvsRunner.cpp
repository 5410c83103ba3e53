#include "CvsRunner.h"

#include "LogFile.h"
#include "NativePath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace quillon {

namespace {

constexpr auto LocalRootPrefix = ":local:";

// A held pipe is read in pieces of this size, at most this many at once
// before the event loop gets its turn.
constexpr qsizetype PipeReadBytes = 256 * 1024;
constexpr int PipeReadsAtOnce = 4;
// The room asked for a held pipe, where the system allows it: a client that
// may write this much before it waits for a read ends sooner, and its output
// takes fewer of the reader's turns, than with the system's default room.
constexpr int PipeRoomBytes = 1 << 20;

// The client reports its progress on standard error too: "cvs log: Logging src".
bool IsProgressLine(QByteArrayView line) {
    const qsizetype program = line.indexOf(' ');
    if (program <= 0)
        return false;
    qsizetype i = program + 1;
    const qsizetype command = i;
    while (i < line.size() && line[i] >= 'a' && line[i] <= 'z')
        ++i;
    return i > command && line.sliced(i).startsWith(": Logging ");
}

QString StartFailureText(const TCvsResult& result) {
    if (result.FolderError == ENOENT || result.FolderError == ENOTDIR)
        return FolderNotFoundText(result.Folder);
    if (result.FolderError)
        return QStringLiteral("Cannot open folder %1: %2")
            .arg(result.Folder, QString::fromLocal8Bit(std::strerror(result.FolderError)));
    return QStringLiteral("CVS executable not found");
}

// What ended the client, when its complaint does not say: "the client was
// ended by signal 11", "exit code 3".
QString EndText(const TCvsResult& result) {
    if (result.Signal)
        return QStringLiteral("the client was ended by signal %1").arg(result.Signal);
    if (result.Crashed)
        return QStringLiteral("the client crashed");
    return QStringLiteral("exit code %1").arg(result.ExitCode);
}

const QString CvsErrorPrefix = QStringLiteral("CVS error: ");

#ifdef Q_OS_UNIX
// The exit code of a client that could not enter its folder after all.
constexpr int ChdirFailedExitCode = 127;

// A command with its argument vector in the system's own bytes, made before
// a process is forked to run it. QProcess would pass bytes that are not UTF-8
// as UTF-8.
class TNativeCommand {
public:
    TNativeCommand(const QString& program, const QStringList& arguments) {
        const QString found =
            program.contains(QLatin1Char('/')) ? program : QStandardPaths::findExecutable(program);
        for (const QString& text : QStringList{found} + arguments) {
            Texts.push_back(EncodePath(text));
            NotUtf8 = NotUtf8 || Texts.back() != text.toUtf8();
        }
        if (found.isEmpty())
            return;
        for (const QByteArray& text : Texts)
            Argv.push_back(const_cast<char*>(text.constData()));
        Argv.push_back(nullptr);
    }
    // Some of its bytes are not UTF-8.
    bool NotUtf8 = false;
    // In a forked process: becomes the command, or returns when the program
    // cannot be run.
    void Exec() const {
        if (!Argv.empty())
            ::execv(Argv.front(), Argv.data());
    }

private:
    std::vector<QByteArray> Texts;
    std::vector<char*> Argv;
};
#endif

// Starts program with arguments in folder, named by their own bytes, as a
// process of a session of its own that nothing waits for, its standard input,
// output and error on the null device.
void StartDetached(const QString& program, const QStringList& arguments, const QString& folder) {
#ifdef Q_OS_UNIX
    const TNativeCommand command(program, arguments);
    const QByteArray native = EncodePath(folder);
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        if (null < 0 || ::chdir(native.constData()) != 0)
            ::_exit(ChdirFailedExitCode);
        for (const int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
            ::dup2(null, stream);
        ::setsid();
        if (::fork() == 0)
            command.Exec();
        ::_exit(0);
    }
    while (child > 0 && ::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
#else
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(folder);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.startDetached();
#endif
}

} // namespace

std::string TCvsOutput::Take() {
    Joined.reserve(Size);
    for (QByteArray& chunk : Chunks) {
        Joined.append(chunk.constData(), static_cast<std::size_t>(chunk.size()));
        chunk = QByteArray();
    }
    Chunks.clear();
    Size = 0;
    return std::move(Joined);
}

QStringList TCvsResult::ErrorLines(qsizetype maxLines) const {
    QStringList kept;
    QString first;
    for (const QByteArray& piece : Errors.split('\n')) {
        const QByteArray line = piece.trimmed();
        if (line.isEmpty())
            continue;
        if (first.isEmpty())
            first = QString::fromLocal8Bit(line);
        if (!IsProgressLine(line) && kept.size() < maxLines)
            kept.append(QString::fromLocal8Bit(line));
    }
    if (kept.isEmpty() && !first.isEmpty() && maxLines > 0)
        kept.append(first);
    return kept;
}

QString OutOfMemoryText(std::size_t bytesRead) {
    return QStringLiteral("out of memory while reading the log (%1 MB read)")
        .arg(bytesRead / (1024 * 1024));
}

QString CvsErrorText(const TCvsResult& result) {
    if (!result.Started)
        return StartFailureText(result);
    if (result.OutOfMemory)
        return QStringLiteral("Error: ") + OutOfMemoryText(result.BytesRead);
    if (result.Signal)
        return CvsErrorPrefix + EndText(result);
    const QStringList lines = result.ErrorLines(1);
    return CvsErrorPrefix +
           (lines.isEmpty() ? EndText(result) : lines.front().left(MaxStatusErrorLength));
}

QString CvsIncompleteText(const TCvsResult& result) {
    if (!result.Crashed || result.OutOfMemory)
        return {};
    return CvsErrorPrefix + EndText(result) + QStringLiteral("; the history shown is incomplete");
}

QString CvsReportedNote(const TCvsResult& result) {
    if (!result.Failed())
        return {};
    const QStringList lines = result.ErrorLines(1);
    return QStringLiteral("CVS reported: %1")
        .arg(lines.isEmpty() ? EndText(result) : lines.front().left(MaxStatusErrorLength));
}

QString CvsExportErrorText(const TCvsResult& result) {
    if (!result.Started)
        return result.FolderError
                   ? StartFailureText(result)
                   : QStringLiteral("CVS executable not found (%1)").arg(result.Program);
    if (result.OutOfMemory)
        return OutOfMemoryText(result.BytesRead);
    if (result.Signal)
        return QStringLiteral("the CVS client was ended by signal %1").arg(result.Signal);
    const QStringList lines = result.ErrorLines(MaxExportErrorLines);
    if (!lines.isEmpty())
        return lines.join(QLatin1Char('\n'));
    if (result.Crashed)
        return QStringLiteral("the CVS client crashed");
    return QStringLiteral("the CVS client failed (exit code %1)").arg(result.ExitCode);
}

QString CvsProgram(const QString& cvsFolder) {
#ifdef Q_OS_WIN
    return QDir(cvsFolder).filePath(QStringLiteral("cvs.exe"));
#else
    return QDir(cvsFolder).filePath(QStringLiteral("cvs"));
#endif
}

QString LockServiceProgram(const QString& cvsFolder) {
#ifdef Q_OS_WIN
    return QDir(cvsFolder).filePath(QStringLiteral("cvslock.exe"));
#else
    return QDir(cvsFolder).filePath(QStringLiteral("cvslock"));
#endif
}

bool NeedsLockService(const QString& workingFolder, const QString& cvsFolder) {
    QFile root;
    QString error;
    if (!OpenForReading(root, workingFolder + QStringLiteral("/CVS/Root"), error))
        return false;
    if (!root.read(qstrlen(LocalRootPrefix)).startsWith(LocalRootPrefix))
        return false;
    return QFileInfo(LockServiceProgram(cvsFolder)).isFile();
}

void StartLockServiceIfNeeded(const QString& workingFolder, const QString& cvsFolder) {
    if (!NeedsLockService(workingFolder, cvsFolder))
        return;
    // The service outlives the program; it holds none of the program's
    // streams open, so that a pipe the program writes to ends with it.
    StartDetached(LockServiceProgram(cvsFolder), {QStringLiteral("-systray")}, workingFolder);
}

TCvsRunner::TCvsRunner(QObject* parent) : QObject(parent) {
    KillTimer.setSingleShot(true);
    KillTimer.setInterval(KillGraceMs);
    connect(&KillTimer, &QTimer::timeout, this, [this] { Signal(/*force=*/true); });
}

TCvsRunner::~TCvsRunner() {
    ClosePipe();
    if (Process) {
        Process->disconnect(this);
        // Asked first, as Abort does: a client ended at once would leave its
        // locks in the repository.
        Signal(/*force=*/false);
        if (!Process->waitForFinished(KillGraceMs)) {
            Signal(/*force=*/true);
            Process->waitForFinished(KillGraceMs);
        }
        delete Process;
    }
}

void TCvsRunner::Start(const QString& program, const QStringList& arguments,
                       const QString& folder) {
    Q_ASSERT(!Process);
    Result = TCvsResult{};
    Result.Program = program;
    Result.Folder = folder;
    FailedToStart = false;
    PendingErrorLine.clear();
    Process = new QProcess(this);

    Process->setProgram(program);
    Process->setArguments(arguments);
    Process->setStandardInputFile(QProcess::nullDevice());
#ifdef Q_OS_UNIX
    // A sink that may be full reads a pipe held here, which it can stop
    // reading; where the pipe cannot be made, QProcess's own serves.
    int writeEnd = -1;
    if (int ends[2]; Full && ::pipe2(ends, O_CLOEXEC) == 0) {
        OutputPipe = ends[0];
        writeEnd = ends[1];
        ::fcntl(OutputPipe, F_SETFL, ::fcntl(OutputPipe, F_GETFL) | O_NONBLOCK);
#ifdef F_SETPIPE_SZ
        // Where the room is refused, the pipe keeps the one it has.
        ::fcntl(OutputPipe, F_SETPIPE_SZ, PipeRoomBytes);
#endif
        Process->setStandardOutputFile(QProcess::nullDevice());
        PipeNotifier = new QSocketNotifier(OutputPipe, QSocketNotifier::Read, this);
        connect(PipeNotifier, &QSocketNotifier::activated, this,
                [this] { ReadPipe(Process, /*drain=*/false); });
    }
    // The client enters the folder by the system's own bytes for its name,
    // which need not be UTF-8, and so gets its arguments. It and whatever it
    // starts (a remote shell, say) form a process group of their own, so that
    // Abort ends all of them.
    Process->setChildProcessModifier(
        [native = EncodePath(folder), writeEnd,
         command = std::make_shared<const TNativeCommand>(program, arguments)] {
            if (writeEnd >= 0)
                ::dup2(writeEnd, STDOUT_FILENO);
            if (::chdir(native.constData()) != 0)
                ::_exit(ChdirFailedExitCode);
            ::setpgid(0, 0);
            if (command->NotUtf8)
                command->Exec();
        });
#else
    Process->setWorkingDirectory(folder);
#endif
    connect(Process, &QProcess::readyReadStandardOutput, this, [this] { ReadOutput(Process); });
    connect(Process, &QProcess::readyReadStandardError, this,
            [this] { ReadErrors(Process->readAllStandardError()); });
    connect(Process, &QProcess::finished, this, &TCvsRunner::Finish);
    connect(Process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            FailedToStart = true;
            Finish();
        }
    });
    // A working folder that cannot be entered fails the start, and says so.
    if ((Result.FolderError = FolderErrno(folder)) != 0) {
        FailedToStart = true;
        QMetaObject::invokeMethod(this, &TCvsRunner::Finish, Qt::QueuedConnection);
    } else {
        Process->start();
    }
#ifdef Q_OS_UNIX
    // The client has its own copy; the pipe ends when the client's goes.
    if (writeEnd >= 0)
        ::close(writeEnd);
#endif
}

void TCvsRunner::ReadOutput(QProcess* process) {
    if (Result.OutOfMemory)
        return;
    try {
        const auto available = static_cast<std::size_t>(process->bytesAvailable());
        if (PastLimit(available))
            throw std::bad_alloc();
        Deliver(process->readAllStandardOutput());
    } catch (const std::bad_alloc&) {
        OutOfMemory(process);
    }
}

void TCvsRunner::Deliver(QByteArray chunk) {
    Result.BytesRead += static_cast<std::size_t>(chunk.size());
    if (Sink)
        Sink(std::move(chunk));
    else
        Result.Output.Append(std::move(chunk));
}

void TCvsRunner::ReadPipe(QProcess* process, bool drain) {
#ifdef Q_OS_UNIX
    for (int reads = 0; OutputPipe >= 0 && !Result.OutOfMemory; ++reads) {
        if (!drain && Full && Full()) {
            PipeNotifier->setEnabled(false);
            return;
        }
        if (!drain && reads == PipeReadsAtOnce)
            return;
        try {
            QByteArray chunk(PipeReadBytes, Qt::Uninitialized);
            const ssize_t got = ::read(OutputPipe, chunk.data(), PipeReadBytes);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return;
            if (got <= 0)
                return ClosePipe(); // the end of the output, or a pipe that broke
            if (PastLimit(static_cast<std::size_t>(got)))
                throw std::bad_alloc();
            chunk.truncate(got);
            if (got < PipeReadBytes)
                chunk.squeeze();
            Deliver(std::move(chunk));
        } catch (const std::bad_alloc&) {
            OutOfMemory(process);
        }
    }
#else
    (void)process;
    (void)drain;
#endif
}

void TCvsRunner::ClosePipe() {
#ifdef Q_OS_UNIX
    if (OutputPipe < 0)
        return;
    // The notifier may be the one whose signal is being handled.
    PipeNotifier->setEnabled(false);
    std::exchange(PipeNotifier, nullptr)->deleteLater();
    ::close(std::exchange(OutputPipe, -1));
#endif
}

void TCvsRunner::Resume() {
    if (PipeNotifier)
        PipeNotifier->setEnabled(true);
}

void TCvsRunner::OutOfMemory(QProcess* process) {
    Result.OutOfMemory = true;
    Result.BytesRead += static_cast<std::size_t>(process->bytesAvailable());
    Result.Output = TCvsOutput();
    process->closeReadChannel(QProcess::StandardOutput);
    ClosePipe();
    Signal(/*force=*/false);
    KillTimer.start();
}

void TCvsRunner::ReadErrors(const QByteArray& chunk) {
    qsizetype from = 0;
    while (from < chunk.size()) {
        const qsizetype end = chunk.indexOf('\n', from);
        const qsizetype to = end < 0 ? chunk.size() : end + 1;
        // A line longer than the whole store keeps only its beginning.
        const qsizetype room = TCvsResult::MaxErrorBytes - PendingErrorLine.size();
        PendingErrorLine.append(chunk.constData() + from, std::min(room, to - from));
        if (end >= 0)
            KeepErrorLine(std::exchange(PendingErrorLine, QByteArray()));
        from = to;
    }
}

void TCvsRunner::KeepErrorLine(QByteArray line) {
    if (line.isEmpty() || (!Result.Errors.isEmpty() && IsProgressLine(line)))
        return;
    const qsizetype room = TCvsResult::MaxErrorBytes - Result.Errors.size();
    Result.Errors.append(line.constData(), std::min(room, line.size()));
    if (!Result.Errors.endsWith('\n') && Result.Errors.size() < TCvsResult::MaxErrorBytes)
        Result.Errors.append('\n');
}

void TCvsRunner::Abort() {
    if (!Process || Result.Aborted)
        return;
    Result.Aborted = true;
    // A client that waits to write must be free to end.
    Full = nullptr;
    Resume();
    if (Process->state() == QProcess::NotRunning)
        return;
    Signal(/*force=*/false);
    KillTimer.start();
}

void TCvsRunner::Signal(bool force) {
    if (!Process || Process->state() == QProcess::NotRunning)
        return;
#ifdef Q_OS_UNIX
    if (const qint64 pid = Process->processId(); pid > 0) {
        ::kill(static_cast<pid_t>(-pid), force ? SIGKILL : SIGTERM);
        return;
    }
#endif
    if (force)
        Process->kill();
    else
        Process->terminate();
}

void TCvsRunner::Finish() {
    if (!Process)
        return;
    QProcess* process = Process;
    Process = nullptr;
    KillTimer.stop();
    Result.Started = !FailedToStart;
    if (Result.Started) {
        ReadOutput(process);
        ReadPipe(process, /*drain=*/true);
        ReadErrors(process->readAllStandardError());
        KeepErrorLine(std::exchange(PendingErrorLine, QByteArray()));
        Result.Crashed = process->exitStatus() == QProcess::CrashExit;
        Result.ExitCode = process->exitCode();
#ifdef Q_OS_UNIX
        // On Unix the exit code of a crash is the signal that ended the client.
        if (Result.Crashed)
            Result.Signal = Result.ExitCode;
#endif
    }
    ClosePipe();
    process->disconnect(this);
    process->deleteLater();
    Sink = nullptr;
    Full = nullptr;
    emit finished();
}

} // namespace quillon
