// The cache of logs: the last log read for each place (a working folder, or a
// repository and module), kept compressed in the user's cache folder so that
// opening the place again shows its history before the client has ended.
// Every member only reads or writes files, so it may run on any thread.
#pragma once

#include <QDateTime>
#include <QString>

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
    // Keeps log, given in pieces, as the entry of place, whole or not at all (a temporary file
    // renamed over the old entry), readable by the user only; then drops the
    // least recently used entries beyond the limits. The reason on failure.
    QString Write(const QString& place, const std::vector<std::string_view>& log) const;
    // Removes every entry; the reason when one could not be removed.
    QString Clear() const;

private:
    void Trim() const;

    QString Folder;
};

} // namespace quillon
