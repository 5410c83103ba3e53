#include "LogFile.h"

#include <QFile>

namespace quillon {

bool ReadLogFile(const QString& path, std::string& bytes, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    const qint64 size = file.size();
    bytes.resize(static_cast<std::size_t>(size));
    if (size > 0 && file.read(bytes.data(), size) != size) {
        error = file.errorString();
        return false;
    }
    // A file that grows, or no regular file: take whatever else it holds.
    char chunk[65536];
    for (qint64 n; (n = file.read(chunk, sizeof chunk)) > 0;)
        bytes.append(chunk, static_cast<std::size_t>(n));
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return false;
    }
    return true;
}

} // namespace quillon
