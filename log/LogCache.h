// The cache of logs: the last log read for each place (a working folder, or a
// repository and module), kept compressed in the user's cache folder so that
// opening the place again shows its history before the client has ended.
// Every member only reads or writes files, so it may run on any thread.
#pragma once

#include <QDateTime>
#include <QString>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// One entry as read back.
struct TCachedLog {
    std::string Log;
    QDateTime Saved; // when the log was kept
};

class TLogCache {
public:
    // At most this many entries, the most recently used, and this many bytes
    // on disk in all.
    static constexpr int MaxEntries = 20;
    static constexpr qint64 MaxBytes = qint64(2) * 1024 * 1024 * 1024;

    explicit TLogCache(QString folder) : Folder(std::move(folder)) {}

    // The folder of the user's cache where the logs live; tests and the
    // benchmark move it with SetDefaultFolder.
    static QString DefaultFolder();
    static void SetDefaultFolder(const QString& folder);

    const QString& Path() const { return Folder; }
    // The place of a working folder: its absolute, clean path.
    static QString FolderPlace(const QString& folder);
    // The file holding the entry of place.
    QString EntryPath(const QString& place) const;
    bool Has(const QString& place) const;

    // The entry of place. An entry that cannot be read or is damaged is
    // removed; error then says why. No entry: none and an empty error.
    std::optional<TCachedLog> Read(const QString& place, QString& error) const;
    // Keeps log as the entry of place, as a TLogCacheWriter does. The reason
    // on failure.
    QString Write(const QString& place, std::string_view log) const;
    // Removes every entry; the reason when one could not be removed.
    QString Clear() const;

private:
    friend class TLogCacheWriter;
    void Trim() const;

    QString Folder;
};

// The entry of a place written while its log arrives: the log is compressed
// as it is added, into a temporary file readable by the user only, which Keep
// renames over the old entry, so that the entry is replaced whole or not at
// all. A writer that is not kept leaves the old entry as it was. The file is
// made on the first call, on the thread that writes.
class TLogCacheWriter {
public:
    TLogCacheWriter(TLogCache cache, const QString& place);
    ~TLogCacheWriter();
    TLogCacheWriter(const TLogCacheWriter&) = delete;
    TLogCacheWriter& operator=(const TLogCacheWriter&) = delete;

    // The next bytes of the log. After a failure, bytes are dropped.
    void Add(std::string_view bytes);
    // The log has ended: the entry replaces the old one, and the least
    // recently used entries beyond the limits go. The reason on failure.
    QString Keep();

private:
    struct TState;
    void Open();
    void Compress();

    TLogCache Cache;
    QString Place;
    std::unique_ptr<TState> State;
    bool Opened = false;
    QString Problem; // the first failure
};

} // namespace quillon
