// Runs the CVS client once in a working folder and hands back what it wrote.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QSocketNotifier>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <limits>
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
    QString Program;      // the client run
    QString Folder;       // the folder it ran in
    bool Started = false; // false: the client could not be started
    int FolderError = 0;  // with !Started, the errno of a folder that cannot be entered
    bool Aborted = false; // the run was ended by Abort
    // Memory ran out while the output was received: the output is dropped and
    // the client ended.
    bool OutOfMemory = false;
    std::size_t BytesRead = 0; // of standard output, whether kept or not
    int ExitCode = 0;          // meaningful when the client ended normally
    bool Crashed = false;      // the client ended abnormally
    int Signal = 0;            // with Crashed, the signal that ended it, when known
    TCvsOutput Output;         // standard output, as the client wrote it
    // The lines of standard error worth reading: the first line, and each
    // later one that is no progress report, up to MaxErrorBytes in all.
    QByteArray Errors;

    static constexpr qsizetype MaxErrorBytes = 64 * 1024;

    bool Failed() const { return OutOfMemory || Crashed || ExitCode != 0; }
    // A `cvs diff` could not compare: it ended abnormally or with an exit code
    // above 1 (1 only says that the texts differ), or it wrote nothing but a
    // complaint (a dead or unknown revision, for one).
    bool DiffFailed() const {
        return Crashed || ExitCode > 1 || (Output.empty() && !Errors.trimmed().isEmpty());
    }
    // The lines of Errors that are no progress report, or the first line
    // when every line is one; at most maxLines of them.
    QStringList ErrorLines(qsizetype maxLines) const;
};

// What the window and the export say about a run that went wrong.

// "out of memory while reading the log (N MB read)".
QString OutOfMemoryText(std::size_t bytesRead);

//
// The status for a run that leaves nothing to show: "CVS executable not
// found", "Folder not found: FOLDER", "Error: " and the OutOfMemoryText, or
// "CVS error: " and the client's first complaint (cut at MaxStatusErrorLength),
// the signal that ended it or its exit code.
QString CvsErrorText(const TCvsResult& result);
inline constexpr qsizetype MaxStatusErrorLength = 500;

// For a run whose partial log is shown: the status that says the log was cut
// short, when a signal ended the client; empty otherwise.
QString CvsIncompleteText(const TCvsResult& result);

// For a run whose log is shown although the client failed: "CVS reported: "
// and its first complaint; empty when it did not fail.
QString CvsReportedNote(const TCvsResult& result);

// The export's error for a run that failed, without the program's name: at
// most MaxExportErrorLines lines.
QString CvsExportErrorText(const TCvsResult& result);
inline constexpr qsizetype MaxExportErrorLines = 10;

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

    // A run whose output grows past bytes ends as out of memory, as when an
    // allocation for it fails; no limit but memory's by default.
    void SetOutputLimit(std::size_t bytes) { OutputLimit = bytes; }
    // Standard output of the next run goes to sink as it comes, on the
    // caller's thread, instead of into the result's Output. On Unix, while
    // full, when given, says so, no more is read until Resume(): the client
    // waits to write, and its output does not pile up in memory.
    void SetOutputSink(std::function<void(QByteArray)> sink, std::function<bool()> full = {}) {
        Sink = std::move(sink);
        Full = std::move(full);
    }
    // Reads the client's output on after full has said so.
    void Resume();

    // Starts program with arguments in folder; finished() follows, also when
    // the program cannot be started. A run never overlaps another.
    void Start(const QString& program, const QStringList& arguments, const QString& folder);
    bool IsRunning() const { return Process != nullptr; }
    // Ends a run: the client is asked to terminate, and killed if it has not
    // ended within the grace period; finished() reports the run as aborted.
    void Abort();
    // Bytes of standard output received so far in the current run.
    std::size_t BytesReceived() const { return Result.BytesRead; }
    // The outcome of the run that has just finished, handed over once.
    TCvsResult TakeResult() { return std::exchange(Result, TCvsResult{}); }

    static constexpr int KillGraceMs = 2000;

signals:
    void finished();

private:
    void ReadOutput(QProcess* process);
    // Reads the pipe the runner holds: until full says so, or, with drain,
    // all that is in it.
    void ReadPipe(QProcess* process, bool drain);
    void ClosePipe();
    void Deliver(QByteArray chunk);
    // Whether bytes more of standard output would take the run past the limit.
    bool PastLimit(std::size_t bytes) const {
        return bytes > OutputLimit - std::min(OutputLimit, Result.BytesRead);
    }
    void OutOfMemory(QProcess* process);
    void ReadErrors(const QByteArray& chunk);
    void KeepErrorLine(QByteArray line);
    // Asks the client to end, or ends it by force.
    void Signal(bool force);
    void Finish();

    QProcess* Process = nullptr;
    QTimer KillTimer;
    std::size_t OutputLimit = std::numeric_limits<std::size_t>::max();
    std::function<void(QByteArray)> Sink;
    std::function<bool()> Full;
    int OutputPipe = -1; // the read end of the client's standard output, when held here
    QSocketNotifier* PipeNotifier = nullptr;
    TCvsResult Result;
    bool FailedToStart = false;
    QByteArray PendingErrorLine; // standard error after its last line break
};

} // namespace quillon
