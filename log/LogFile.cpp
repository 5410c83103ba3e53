#include "LogFile.h"

#include "NativePath.h"

#include <QFile>

#include <algorithm>
#include <new>

namespace quillon {

namespace {

// The administrative subfolder the client keeps in every working folder.
const QString AdminFolder = QStringLiteral("CVS");
const QString FolderNotFound = QStringLiteral("Folder not found: %1");
const QString NoAdminFolder = QStringLiteral("Not a CVS working folder: %1 (no CVS subfolder)");

} // namespace

bool ReadLogFile(const QString& path, std::string& bytes, QString& error, std::size_t limit) {
    QFile file;
    if (!OpenForReading(file, path, error))
        return false;
    const qint64 size = file.size();
    if (static_cast<std::size_t>(size) <= limit) {
        bytes.resize(static_cast<std::size_t>(size));
        if (size > 0 && file.read(bytes.data(), size) != size) {
            error = file.errorString();
            return false;
        }
    }
    // A file that grows, one past the limit, or no regular file: take
    // whatever else it holds, up to the limit.
    char chunk[65536];
    for (qint64 n; (n = file.read(chunk, sizeof chunk)) > 0;) {
        if (static_cast<std::size_t>(n) > limit - std::min(limit, bytes.size()))
            throw std::bad_alloc();
        bytes.append(chunk, static_cast<std::size_t>(n));
    }
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return false;
    }
    return true;
}

QString FolderNotFoundText(const QString& folder) {
    return FolderNotFound.arg(folder);
}

QString CheckWorkingFolder(const QString& folder) {
    if (FolderErrno(folder) != 0)
        return FolderNotFoundText(folder);
    if (FolderErrno(folder + QLatin1Char('/') + AdminFolder) != 0)
        return NoAdminFolder.arg(folder);
    return {};
}

} // namespace quillon
