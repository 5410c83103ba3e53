// Loading a history: running the client or reading a saved log, parsing and
// checking it off the GUI thread, and the status of every step. Widget-free:
// the main window asks, the controller does and reports what happened.
#pragma once

#include "CvsPlace.h"
#include "CvsRunner.h"
#include "LogCache.h"
#include "LogSummary.h"
#include "RevisionModel.h"
#include "Settings.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <functional>
#include <limits>
#include <memory>

namespace quillon {

class TLogCacheWriter;
class TLogStream;

// What the program is doing. A command starts only while it is idle.
enum class TActivity {
    Idle,
    RunningClient, // the client runs, or has been asked to end and has not yet
    Working,       // a load or a re-check of the log is in progress
    Comparing,     // a comparison is being loaded or shown
};

// The status texts of loading.
namespace Status {
inline const QString Executing = QStringLiteral("Executing CVS command...");
inline const QString Done = QStringLiteral("Done");
inline const QString ParsingLog = QStringLiteral("Parsing log...");
inline const QString CheckingLog = QStringLiteral("Checking log...");
inline const QString ReadingLogFile = QStringLiteral("Reading log file...");
inline const QString Aborted = QStringLiteral("Aborted");
// While the cached history of a place is shown and the client runs.
inline const QString CachedRefreshing = QStringLiteral("Cached %1; refreshing...");
inline const QString AbortedCached = QStringLiteral("Aborted; the history cached %1 stays");
inline const QString CacheDiscarded = QStringLiteral("Cached history discarded: %1");
inline const QString CacheNotWritten = QStringLiteral("History not cached: %1");
inline const QString CacheNotCleared = QStringLiteral("Cache not cleared: %1");
} // namespace Status

class TLoadController : public QObject {
    Q_OBJECT
public:
    // settings: where the client is and the few-changes limit, read at each
    // step; they outlive the controller.
    explicit TLoadController(const TSettings& settings, QObject* parent = nullptr);
    ~TLoadController() override;

    TActivity Activity() const { return Runner.IsRunning() ? TActivity::RunningClient : Phase; }
    // May a command start now? Every command that would start work asks.
    bool MayStart() const { return Activity() == TActivity::Idle; }
    // May the views follow the user's choices now? While idle, and while a
    // cached history is shown during its refresh.
    bool MayBrowse() const { return MayStart() || (Refreshing && RCSFiles && FileSummary); }
    // While a cached history is shown and the client still runs, the status
    // that says so, once it has been shown; empty otherwise.
    QString RefreshingStatus() const;
    // Each sequence sets what it does; a running client counts by itself.
    void SetActivity(TActivity activity) { Phase = activity; }

    // The loaded table and its summary for the settings it was checked with;
    // none while nothing is loaded.
    const TRCSFileTablePtr& Table() const { return RCSFiles; }
    const TLogSummaryPtr& Summary() const { return FileSummary; }
    // Where the table shown, or the one being loaded, comes from; empty for a
    // saved log.
    const TCvsPlace& Place() const { return CurrentPlace; }

    // Loads the history of a working folder or a repository's module through
    // the client, or a saved log; loadFinished() follows, whatever the outcome.
    void OpenFolder(const QString& folder) { OpenPlace(TCvsPlace::OfFolder(folder)); }
    void OpenPlace(const TCvsPlace& place);
    void OpenLogFile(const QString& file);
    // Computes the summary of the table for the current settings off the GUI
    // thread, swaps it in (summaryChanged()), then calls then.
    void CheckLog(std::function<void()> then);
    // Runs the client with arguments in folder; done receives the outcome on
    // the GUI thread, unless the controller has been closed meanwhile.
    void RunCVS(const QStringList& arguments, const QString& folder,
                std::function<void(TCvsResult)> done);
    // Runs another program as the client runs, with the same status, Abort
    // and report.
    void RunProgram(const QString& program, const QStringList& arguments, const QString& folder,
                    std::function<void(TCvsResult)> done);
    // Runs the client with arguments in place (after "-d ROOT" for a
    // repository).
    void RunCVS(const QStringList& arguments, const TCvsPlace& place,
                std::function<void(TCvsResult)> done) {
        RunCVS(place.Arguments(arguments), place.RunFolder(), std::move(done));
    }
    // Ends the client, or abandons the load or check in progress.
    void Abort();
    // Removes every entry of the cache of logs; a failure is a status.
    void ClearCache();
    // Ends whatever runs, the client included, without a report.
    void Close();
    // A log longer than bytes, from the client or a file, ends its load as
    // out of memory; no limit but memory's by default.
    void SetByteLimit(std::size_t bytes);

signals:
    // Every status message, in order.
    void statusShown(const QString& message);
    // A load of source (a folder or a log file) has started.
    void loadStarted(const QString& source);
    // A load started (true) or ended (false).
    void loadingChanged(bool loading);
    // The table is about to go: nothing may show its rows any more.
    void tableDropped();
    // A check starts: the views show nothing while it runs.
    void checkStarted();
    // A new summary has been swapped in.
    void summaryChanged();
    // A new table and its summary are in, and the activity is idle.
    void tableLoaded();
    // The fresh table is about to replace the cached one shown; then its
    // summary comes (summaryChanged()) and tableReplaced() follows.
    void tableReplacing();
    void tableReplaced();
    // A load has ended, whatever its outcome.
    void loadFinished();

private:
    void StartLoad(const QString& source);
    void SetLoading(bool loading);
    void DropTable();
    void RunnerFinished();
    void ClientEnded(TCvsResult result);
    // Reads the cached log of place on the cache's thread, shows it, then
    // lets a client's result that came meanwhile go on.
    void ReadCache(const QString& place);
    void StoreInCache();
    void Replace(TRCSFileTablePtr table, QString warning, QString ending);
    void Finish(const QString& warning, const QString& ending);
    void ShowProgress(std::function<QString()> text);
    // Ends the parse of a log of size bytes off the GUI thread: parse hands
    // the table over. warning: a note for the final "Done"; ending: the final
    // status instead.
    void ParseOutput(std::function<std::unique_ptr<TRCSFileTable>()> parse, std::size_t size,
                     QString warning, QString ending);
    void Loaded(TRCSFileTablePtr table, QString warning, QString ending);
    void EndLoad(const QString& message);
    // Runs work on the worker thread and then done on the GUI thread, unless
    // the load it belongs to has been abandoned meanwhile.
    template <typename TWork, typename TDone> void OffThread(TWork work, TDone done);

    const TSettings& Settings;
    TCvsRunner Runner;
    std::function<void(TCvsResult)> RunnerDone;
    int RunnerGeneration = 0;
    QTimer ProgressTimer;
    std::atomic<int> FilesParsed{0};
    std::shared_ptr<TLogStream> Stream; // of the client's run in progress
    std::size_t ByteLimit = std::numeric_limits<std::size_t>::max();
    std::atomic<std::size_t> LoadBytes{0}; // the size of the log being read or parsed
    QThreadPool Workers;
    int LoadGeneration = 0;
    TActivity Phase = TActivity::Idle;
    QString Source;         // of the load in progress or the table shown
    TCvsPlace CurrentPlace; // of the client's load in progress or its table shown
    TRCSFileTablePtr RCSFiles;
    // The cache: reads and writes one after another on a thread of its own.
    QThreadPool CacheWorker;
    QString CachePlace;                          // of the load in progress; empty: none is kept
    std::shared_ptr<TLogCacheWriter> CacheEntry; // the load's log, kept when it succeeds
    bool ReadingCache = false;                   // a read of the cached log is under way
    std::function<void()> AfterCache;            // the client's end, held while reading
    bool Refreshing = false;                     // the table shown is the cache's; the client runs
    bool RefreshShown = false;                   // the refresh's status has been shown
    QDateTime CachedAt;                          // when the shown cached log was kept
    TLogSummaryPtr FileSummary;                  // of RCSFiles
};

} // namespace quillon
