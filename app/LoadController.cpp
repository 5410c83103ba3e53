#include "LoadController.h"

#include "CheckLog.h"
#include "LogFile.h"
#include "LogStream.h"
#include "ParseLog.h"

#include <optional>

namespace quillon {

namespace {

constexpr int ProgressIntervalMs = 250;
const QString NoLogFound = QStringLiteral("no CVS log found in %1");
const QString CachedDateFormat = QStringLiteral("yyyy-MM-dd hh:mm");

// A log read back from the cache, parsed and checked, or why it is not.
struct TCacheRead {
    TRCSFileTablePtr Table;
    TLogSummaryPtr Summary;
    QDateTime Saved;
    QString Error;
};

QString CachedDate(const QDateTime& saved) {
    return saved.toLocalTime().toString(CachedDateFormat);
}

} // namespace

TLoadController::TLoadController(const TSettings& settings, QObject* parent)
    : QObject(parent), Settings(settings) {
    Workers.setMaxThreadCount(2);
    CacheWorker.setMaxThreadCount(1);
    ProgressTimer.setInterval(ProgressIntervalMs);
    connect(&Runner, &TCvsRunner::finished, this, &TLoadController::RunnerFinished);
}

TLoadController::~TLoadController() {
    ++LoadGeneration;
    Workers.waitForDone();
    CacheWorker.waitForDone();
}

void TLoadController::ShowProgress(std::function<QString()> text) {
    ProgressTimer.disconnect();
    connect(&ProgressTimer, &QTimer::timeout, this, [this, text = std::move(text)] {
        if (const QString message = text(); !message.isEmpty())
            emit statusShown(message);
    });
    ProgressTimer.start();
}

void TLoadController::SetLoading(bool loading) {
    SetActivity(loading ? TActivity::Working : TActivity::Idle);
    emit loadingChanged(loading);
}

void TLoadController::DropTable() {
    emit tableDropped();
    RCSFiles.reset();
    FileSummary.reset();
}

void TLoadController::StartLoad(const QString& source) {
    ++LoadGeneration;
    if (Stream)
        std::exchange(Stream, nullptr)->Abandon();
    LoadBytes = 0;
    Source = source;
    CachePlace.clear();
    CacheEntry.reset();
    ReadingCache = false;
    AfterCache = nullptr;
    Refreshing = false;
    // The old table goes before the new one is built.
    DropTable();
    SetLoading(true);
    emit loadStarted(source);
}

void TLoadController::OpenPlace(const TCvsPlace& place) {
    if (!MayStart())
        return;
    StartLoad(place.DisplayName());
    CurrentPlace = place;
    if (!place.IsRepository())
        if (const QString problem = CheckWorkingFolder(place.Folder); !problem.isEmpty())
            return EndLoad(problem);
    // The log is parsed while the client writes it.
    FilesParsed = 0;
    TLogStream::TCopy copy;
    if (Settings.KeepCache) {
        CachePlace = place.IsRepository() ? place.Key() : TLogCache::FolderPlace(place.Folder);
        // The log is compressed into the cache as it arrives, and kept once
        // the load has succeeded.
        CacheEntry =
            std::make_shared<TLogCacheWriter>(TLogCache(TLogCache::DefaultFolder()), CachePlace);
        copy = [entry = CacheEntry](std::string_view bytes) { entry->Add(bytes); };
    }
    // While the copy falls behind, the client waits.
    auto resume = [this, generation = LoadGeneration] {
        if (generation == LoadGeneration)
            Runner.Resume();
    };
    Stream = TLogStream::Make(Workers, &FilesParsed, std::move(copy), [this, resume] {
        QMetaObject::invokeMethod(this, resume, Qt::QueuedConnection);
    });
    Runner.SetOutputSink([stream = Stream](QByteArray bytes) { stream->Add(std::move(bytes)); },
                         [stream = Stream] { return stream->Full(); });
    RunCVS(place.LogArguments(), place, [this](TCvsResult result) {
        if (!ReadingCache)
            return ClientEnded(std::move(result));
        auto held = std::make_shared<TCvsResult>(std::move(result));
        AfterCache = [this, held] { ClientEnded(std::move(*held)); };
    });
    if (!CachePlace.isEmpty())
        ReadCache(CachePlace);
}

void TLoadController::ClientEnded(TCvsResult result) {
    const bool cached = Refreshing;
    const auto stream = std::exchange(Stream, nullptr);
    if (stream->OutOfMemory()) {
        DropTable();
        return EndLoad(QStringLiteral("Error: ") + OutOfMemoryText(stream->Size()));
    }
    if (!result.Started || result.Aborted || result.OutOfMemory ||
        (result.Failed() && result.BytesRead == 0)) {
        stream->Abandon();
        if (!result.Started)
            return EndLoad(QString()); // the runner has said why
        if (result.Aborted)
            return EndLoad(cached ? Status::AbortedCached.arg(CachedDate(CachedAt))
                                  : Status::Aborted);
        return EndLoad(CvsErrorText(result));
    }
    emit statusShown(Status::Done);
    const QString incomplete = CvsIncompleteText(result);
    if (cached)
        SetActivity(TActivity::Working);
    ParseOutput([stream] { return stream->Finish(); }, stream->Size(),
                incomplete.isEmpty() ? CvsReportedNote(result) : QString(), incomplete);
}

void TLoadController::ReadCache(const QString& place) {
    ReadingCache = true;
    const int generation = LoadGeneration;
    const std::int32_t limit = Settings.LinesLimit;
    CacheWorker.start([this, generation, place, limit, named = CurrentPlace,
                       cache = TLogCache(TLogCache::DefaultFolder())] {
        auto read = std::make_shared<TCacheRead>();
        try {
            if (std::optional<TCachedLog> entry = cache.Read(place, read->Error)) {
                read->Saved = entry->Saved;
                const unsigned parts = ParseParts(entry->Log.size());
                std::shared_ptr<TRCSFileTable> table =
                    ParseLog(std::move(entry->Log), nullptr, parts);
                NameRepositoryFiles(*table, named);
                ClearEmptyMessages(*table);
                read->Summary = std::make_shared<TLogSummary>(SummarizeLog(*table, limit));
                read->Table = std::move(table);
            }
        } catch (const std::exception& e) {
            read->Table.reset();
            read->Error = QString::fromLocal8Bit(e.what());
        }
        QMetaObject::invokeMethod(
            this,
            [this, generation, read] {
                if (generation != LoadGeneration)
                    return;
                ReadingCache = false;
                if (!read->Error.isEmpty())
                    emit statusShown(Status::CacheDiscarded.arg(read->Error));
                if (read->Table) {
                    Refreshing = true;
                    RefreshShown = false;
                    CachedAt = read->Saved;
                    RCSFiles = std::move(read->Table);
                    FileSummary = std::move(read->Summary);
                    emit summaryChanged();
                    // A client that has already ended still has its output to
                    // be parsed: nothing else may start meanwhile.
                    SetActivity(AfterCache ? TActivity::Working : TActivity::Idle);
                    emit tableLoaded();
                    const QString refreshing = Status::CachedRefreshing.arg(CachedDate(CachedAt));
                    emit statusShown(refreshing);
                    RefreshShown = true;
                    ShowProgress([this, refreshing] {
                        if (Stream && Stream->OutOfMemory())
                            Runner.Abort(); // the load ends with the parse's report
                        const std::size_t bytes = Runner.BytesReceived();
                        return bytes
                                   ? QStringLiteral("%1 (%2 KB)").arg(refreshing).arg(bytes / 1024)
                                   : QString();
                    });
                }
                if (auto then = std::exchange(AfterCache, nullptr))
                    then();
            },
            Qt::QueuedConnection);
    });
}

QString TLoadController::RefreshingStatus() const {
    return Refreshing && RefreshShown && Runner.IsRunning()
               ? Status::CachedRefreshing.arg(CachedDate(CachedAt))
               : QString();
}

void TLoadController::StoreInCache() {
    CacheWorker.start([this, entry = std::exchange(CacheEntry, nullptr)] {
        const QString problem = entry->Keep();
        if (!problem.isEmpty())
            QMetaObject::invokeMethod(
                this, [this, problem] { emit statusShown(Status::CacheNotWritten.arg(problem)); },
                Qt::QueuedConnection);
    });
}

void TLoadController::ClearCache() {
    CacheWorker.start([this, cache = TLogCache(TLogCache::DefaultFolder())] {
        const QString problem = cache.Clear();
        if (!problem.isEmpty())
            QMetaObject::invokeMethod(
                this, [this, problem] { emit statusShown(Status::CacheNotCleared.arg(problem)); },
                Qt::QueuedConnection);
    });
}

void TLoadController::OpenLogFile(const QString& file) {
    if (!MayStart())
        return;
    StartLoad(file);
    CurrentPlace = {};
    emit statusShown(Status::ReadingLogFile);
    // The file is parsed as it is read; the parse ends once it has been.
    FilesParsed = 0;
    OffThread(
        [this, file, limit = ByteLimit] {
            auto reader = std::make_shared<TLogReader>(&FilesParsed);
            QString error;
            try {
                if (!ReadLogFile(file, *reader, error, limit))
                    reader.reset();
            } catch (const std::bad_alloc&) {
                LoadBytes = reader->Size();
                throw;
            }
            return std::make_pair(reader, error);
        },
        [this, file](std::pair<std::shared_ptr<TLogReader>, QString> read) {
            if (!read.first)
                return EndLoad(QStringLiteral("Cannot read %1: %2").arg(file, read.second));
            emit statusShown(Status::Done);
            const std::size_t size = read.first->Size();
            ParseOutput([reader = read.first] { return reader->Finish(); }, size, QString(),
                        QString());
        });
}

void TLoadController::RunCVS(const QStringList& arguments, const QString& folder,
                             std::function<void(TCvsResult)> done) {
    StartLockServiceIfNeeded(folder, Settings.CVSPath);
    RunProgram(CvsProgram(Settings.CVSPath), arguments, folder, std::move(done));
}

void TLoadController::RunProgram(const QString& program, const QStringList& arguments,
                                 const QString& folder, std::function<void(TCvsResult)> done) {
    emit statusShown(Status::Executing);
    RunnerDone = std::move(done);
    RunnerGeneration = LoadGeneration;
    ShowProgress([this] {
        if (Stream && Stream->OutOfMemory())
            Runner.Abort(); // the load ends with the parse's report
        const std::size_t bytes = Runner.BytesReceived();
        return bytes ? QStringLiteral("%1 (%2 KB)").arg(Status::Executing).arg(bytes / 1024)
                     : QString();
    });
    Runner.Start(program, arguments, folder);
}

void TLoadController::RunnerFinished() {
    ProgressTimer.stop();
    TCvsResult result = Runner.TakeResult();
    if (!result.Started)
        emit statusShown(CvsErrorText(result));
    auto done = std::exchange(RunnerDone, nullptr);
    if (done && RunnerGeneration == LoadGeneration)
        done(std::move(result));
}

template <typename TWork, typename TDone> void TLoadController::OffThread(TWork work, TDone done) {
    using TResult = decltype(work());
    const int generation = LoadGeneration;
    Workers.start([this, generation, work = std::move(work), done = std::move(done)]() mutable {
        auto result = std::make_shared<std::optional<TResult>>();
        QString error;
        try {
            result->emplace(work());
        } catch (const std::bad_alloc&) {
            error = OutOfMemoryText(LoadBytes);
        } catch (const std::exception& e) {
            error = QString::fromLocal8Bit(e.what());
        }
        QMetaObject::invokeMethod(
            this,
            [this, generation, result, error, done = std::move(done)]() mutable {
                if (generation != LoadGeneration)
                    return;
                if (!error.isEmpty()) {
                    // Nothing of a load that went wrong stays in view.
                    DropTable();
                    return EndLoad(QStringLiteral("Error: %1").arg(error));
                }
                done(std::move(**result));
            },
            Qt::QueuedConnection);
    });
}

void TLoadController::ParseOutput(std::function<std::unique_ptr<TRCSFileTable>()> parse,
                                  std::size_t size, QString warning, QString ending) {
    emit statusShown(Status::ParsingLog);
    ShowProgress([this] {
        return QStringLiteral("%1 (%2 files)").arg(Status::ParsingLog).arg(FilesParsed.load());
    });
    LoadBytes = size;
    OffThread(
        [parse = std::move(parse), place = CurrentPlace] {
            std::shared_ptr<TRCSFileTable> table = parse();
            ClearEmptyMessages(*table);
            NameRepositoryFiles(*table, place);
            return TRCSFileTablePtr(std::move(table));
        },
        [this, warning, ending](TRCSFileTablePtr table) {
            ProgressTimer.stop();
            emit statusShown(Status::Done);
            if (Refreshing)
                return Replace(std::move(table), warning, ending);
            Loaded(std::move(table), warning, ending);
        });
}

void TLoadController::Loaded(TRCSFileTablePtr table, QString warning, QString ending) {
    RCSFiles = std::move(table);
    CheckLog([this, warning, ending] {
        // The selections that the views' fill makes are followed.
        SetActivity(TActivity::Idle);
        emit tableLoaded();
        Finish(warning, ending);
    });
}

void TLoadController::Replace(TRCSFileTablePtr table, QString warning, QString ending) {
    // The cached table stays in view until the fresh one has its summary.
    emit statusShown(Status::CheckingLog);
    const std::int32_t limit = Settings.LinesLimit;
    OffThread(
        [table, limit] {
            return std::make_pair(
                table, TLogSummaryPtr(std::make_shared<TLogSummary>(SummarizeLog(*table, limit))));
        },
        [this, warning, ending](std::pair<TRCSFileTablePtr, TLogSummaryPtr> checked) {
            emit tableReplacing();
            Refreshing = false;
            RCSFiles = std::move(checked.first);
            FileSummary = std::move(checked.second);
            emit summaryChanged();
            emit statusShown(Status::Done);
            SetActivity(TActivity::Idle);
            emit tableReplaced();
            Finish(warning, ending);
        });
}

void TLoadController::Finish(const QString& warning, const QString& ending) {
    QStringList notes;
    if (RCSFiles->FileCount() == 0)
        notes.append(NoLogFound.arg(Source));
    if (const int bad = RCSFiles->BadDates())
        notes.append(QStringLiteral("%1 unreadable date%2").arg(bad).arg(bad == 1 ? "" : "s"));
    if (!warning.isEmpty())
        notes.append(warning);
    if (!ending.isEmpty())
        return EndLoad(ending);
    // Only a whole log is kept.
    if (CacheEntry)
        StoreInCache();
    EndLoad(notes.isEmpty() ? QString()
                            : QStringLiteral("%1 (%2)").arg(Status::Done, notes.join("; ")));
}

void TLoadController::EndLoad(const QString& message) {
    ProgressTimer.stop();
    CacheEntry.reset(); // a load that ends without its table keeps no log
    Refreshing = false;
    SetLoading(false);
    if (!message.isEmpty())
        emit statusShown(message);
    emit loadFinished();
}

void TLoadController::CheckLog(std::function<void()> then) {
    emit statusShown(Status::CheckingLog);
    emit checkStarted();
    const TActivity before = Phase;
    SetActivity(TActivity::Working);
    const TRCSFileTablePtr table = RCSFiles;
    const std::int32_t limit = Settings.LinesLimit;
    OffThread(
        [table, limit] {
            static const TRCSFileTable empty;
            return TLogSummaryPtr(
                std::make_shared<TLogSummary>(SummarizeLog(table ? *table : empty, limit)));
        },
        [this, before, then = std::move(then)](TLogSummaryPtr summary) {
            FileSummary = std::move(summary);
            emit summaryChanged();
            emit statusShown(Status::Done);
            SetActivity(before);
            then();
        });
}

void TLoadController::Abort() {
    if (Runner.IsRunning()) {
        Runner.Abort(); // the run ends through its finished report
        return;
    }
    if (Phase == TActivity::Working) {
        // The worker's result is dropped when it arrives; the table it works
        // on is no one else's. A cached history shown meanwhile stays.
        ++LoadGeneration;
        if (Refreshing)
            return EndLoad(Status::AbortedCached.arg(CachedDate(CachedAt)));
        DropTable();
        EndLoad(Status::Aborted);
    }
}

void TLoadController::SetByteLimit(std::size_t bytes) {
    ByteLimit = bytes;
    Runner.SetOutputLimit(bytes);
}

void TLoadController::Close() {
    SetActivity(TActivity::Idle);
    ++LoadGeneration;
    if (Stream)
        std::exchange(Stream, nullptr)->Abandon();
    Runner.Abort();
}

} // namespace quillon
