// Runs the CVS client once in a working folder and hands back what it wrote.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <string>
#include <utility>
#include <vector>

namespace quillon {

// What the client wrote to standard output, kept in the pieces it came in so
// that receiving it never copies what came before; joined once, by Take(),
// where the time for that is no one's wait.
class TCvsOutput {
public:
    TCvsOutput() = default;
    explicit TCvsOutput(std::string bytes) : Size(bytes.size()), Joined(std::move(bytes)) {}

    void Append(QByteArray chunk) {
        Size += static_cast<std::size_t>(chunk.size());
        if (!chunk.isEmpty())
            Chunks.push_back(std::move(chunk));
    }
    bool empty() const { return Size == 0; }
    std::size_t size() const { return Size; }
    // The whole output in one piece; the pieces are released on the way.
    std::string Take();

private:
    std::size_t Size = 0;
    std::string Joined;
    std::vector<QByteArray> Chunks;
};

struct TCvsResult {
    bool Started = false; // false: the client could not be started
    bool Aborted = false; // the run was ended by Abort
    int ExitCode = 0;     // meaningful when the client ended normally
    bool Crashed = false; // the client ended abnormally
    TCvsOutput Output;    // standard output, as the client wrote it
    QByteArray Errors;    // standard error, as the client wrote it

    bool Failed() const { return Crashed || ExitCode != 0; }
    // The first line of standard error that is no progress report, or the
    // first line at all when every line is one.
    QString FirstErrorLine() const;
};

// The client's program file in a folder: "cvs", or "cvs.exe" on Windows.
QString CvsProgram(const QString& cvsFolder);

// The CVSNT lock service program in a folder: "cvslock", or "cvslock.exe".
QString LockServiceProgram(const QString& cvsFolder);

// True when the working folder uses a local repository (its CVS/Root starts
// with ":local:") and the lock service exists in cvsFolder.
bool NeedsLockService(const QString& workingFolder, const QString& cvsFolder);

// Starts the lock service, detached and without waiting, when the working
// folder needs it.
void StartLockServiceIfNeeded(const QString& workingFolder, const QString& cvsFolder);

// One run of the client, driven by QProcess signals: the caller's thread never
// waits. The client's standard output is collected through a pipe.
class TCvsRunner : public QObject {
    Q_OBJECT
public:
    explicit TCvsRunner(QObject* parent = nullptr);
    ~TCvsRunner() override;

    // Starts program with arguments in folder; finished() follows, also when
    // the program cannot be started. A run never overlaps another.
    void Start(const QString& program, const QStringList& arguments, const QString& folder);
    bool IsRunning() const { return Process != nullptr; }
    // Ends a run: the client is asked to terminate, and killed if it has not
    // ended within the grace period; finished() reports the run as aborted.
    void Abort();
    // Bytes of standard output received so far in the current run.
    std::size_t BytesReceived() const { return Result.Output.size(); }
    // The outcome of the run that has just finished, handed over once.
    TCvsResult TakeResult() { return std::exchange(Result, TCvsResult{}); }

    static constexpr int KillGraceMs = 2000;

signals:
    void finished();

private:
    void ReadOutput();
    // Asks the client to end, or ends it by force.
    void Signal(bool force);
    void Finish();

    QProcess* Process = nullptr;
    QTimer KillTimer;
    TCvsResult Result;
    bool FailedToStart = false;
};

} // namespace quillon
