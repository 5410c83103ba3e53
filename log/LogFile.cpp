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
// The bytes read at a time: small beside a log that is worth reading in pieces.
constexpr std::size_t ReadPieceSize = 1 << 20;
const QString NoAdminFolder = QStringLiteral("Not a CVS working folder: %1 (no CVS subfolder)");

} // namespace

bool ReadLogFile(const QString& path, TLogReader& reader, QString& error, std::size_t limit) {
    QFile file;
    if (!OpenForReading(file, path, error))
        return false;
    std::string piece(ReadPieceSize, '\0');
    for (qint64 n; (n = file.read(piece.data(), static_cast<qint64>(piece.size()))) > 0;) {
        if (static_cast<std::size_t>(n) > limit - std::min(limit, reader.Size()))
            throw std::bad_alloc();
        reader.Add(std::string_view(piece.data(), static_cast<std::size_t>(n)));
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
