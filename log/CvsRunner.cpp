#include "CvsRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#ifdef Q_OS_UNIX
#include <csignal>
#include <unistd.h>
#endif

namespace quillon {

namespace {

constexpr auto LocalRootPrefix = ":local:";

// The client reports its progress on standard error too: "cvs log: Logging src".
bool IsProgressLine(const QString& line) {
    static const QRegularExpression progress(QStringLiteral("^\\S+ [a-z]+: Logging "));
    return progress.match(line).hasMatch();
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

QString TCvsResult::FirstErrorLine() const {
    const QStringList lines = QString::fromLocal8Bit(Errors).split(
        QRegularExpression(QStringLiteral("\r\n|\n|\r")), Qt::SkipEmptyParts);
    for (const QString& line : lines)
        if (!IsProgressLine(line))
            return line.trimmed();
    return lines.isEmpty() ? QString() : lines.front().trimmed();
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
    QFile root(QDir(workingFolder).filePath(QStringLiteral("CVS/Root")));
    if (!root.open(QIODevice::ReadOnly))
        return false;
    if (!root.read(qstrlen(LocalRootPrefix)).startsWith(LocalRootPrefix))
        return false;
    return QFileInfo(LockServiceProgram(cvsFolder)).isFile();
}

void StartLockServiceIfNeeded(const QString& workingFolder, const QString& cvsFolder) {
    if (NeedsLockService(workingFolder, cvsFolder))
        QProcess::startDetached(LockServiceProgram(cvsFolder), {QStringLiteral("-systray")},
                                workingFolder);
}

TCvsRunner::TCvsRunner(QObject* parent) : QObject(parent) {
    KillTimer.setSingleShot(true);
    KillTimer.setInterval(KillGraceMs);
    connect(&KillTimer, &QTimer::timeout, this, [this] { Signal(/*force=*/true); });
}

TCvsRunner::~TCvsRunner() {
    if (Process) {
        Process->disconnect(this);
        Signal(/*force=*/true);
        Process->waitForFinished(KillGraceMs);
        delete Process;
    }
}

void TCvsRunner::Start(const QString& program, const QStringList& arguments,
                       const QString& folder) {
    Q_ASSERT(!Process);
    Result = TCvsResult{};
    FailedToStart = false;
    Process = new QProcess(this);
    Process->setWorkingDirectory(folder);
    Process->setProgram(program);
    Process->setArguments(arguments);
    Process->setStandardInputFile(QProcess::nullDevice());
#ifdef Q_OS_UNIX
    // The client and whatever it starts (a remote shell, say) form a process
    // group of their own, so that Abort ends all of them.
    Process->setChildProcessModifier([] { ::setpgid(0, 0); });
#endif
    connect(Process, &QProcess::readyReadStandardOutput, this, &TCvsRunner::ReadOutput);
    connect(Process, &QProcess::readyReadStandardError, this,
            [this] { Result.Errors += Process->readAllStandardError(); });
    connect(Process, &QProcess::finished, this, &TCvsRunner::Finish);
    connect(Process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            FailedToStart = true;
            Finish();
        }
    });
    // A working folder that does not exist fails the start, like a missing client.
    if (!QFileInfo(folder).isDir()) {
        FailedToStart = true;
        QMetaObject::invokeMethod(this, &TCvsRunner::Finish, Qt::QueuedConnection);
        return;
    }
    Process->start();
}

void TCvsRunner::ReadOutput() {
    const QByteArray chunk = Process->readAllStandardOutput();
    Result.Output.Append(chunk);
}

void TCvsRunner::Abort() {
    if (!Process || Result.Aborted)
        return;
    Result.Aborted = true;
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
        const QByteArray rest = process->readAllStandardOutput();
        Result.Output.Append(rest);
        Result.Errors += process->readAllStandardError();
        Result.Crashed = process->exitStatus() == QProcess::CrashExit;
        Result.ExitCode = process->exitCode();
    }
    process->disconnect(this);
    process->deleteLater();
    emit finished();
}

} // namespace quillon
