#include "NativePath.h"

#include <QFileInfo>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quillon {

namespace {

// The lone surrogates that stand for bytes of a path that are not UTF-8.
constexpr char16_t EscapedByteBase = 0xDC00;

bool IsEscapedByte(const QString& path, qsizetype i) {
    const char16_t u = path[i].unicode();
    return u >= EscapedByteBase + 0x80 && u <= EscapedByteBase + 0xFF &&
           (i == 0 || !path[i - 1].isHighSurrogate());
}

// The length of the UTF-8 sequence that a lead byte starts; 0 for no lead byte.
qsizetype Utf8Length(unsigned char lead) {
    return lead < 0x80   ? 1
           : lead < 0xC2 ? 0
           : lead < 0xE0 ? 2
           : lead < 0xF0 ? 3
           : lead < 0xF5 ? 4
                         : 0;
}

} // namespace

QString DecodePath(QByteArrayView native) {
    if (native.isValidUtf8())
        return QString::fromUtf8(native);
    QString path;
    for (qsizetype i = 0; i < native.size();) {
        const auto lead = static_cast<unsigned char>(native[i]);
        const qsizetype length = Utf8Length(lead);
        if (length > 0 && i + length <= native.size() && native.sliced(i, length).isValidUtf8()) {
            path += QString::fromUtf8(native.sliced(i, length));
            i += length;
        } else {
            path += QChar(static_cast<char16_t>(EscapedByteBase + lead));
            ++i;
        }
    }
    return path;
}

QByteArray EncodePath(const QString& path) {
    QByteArray native;
    qsizetype run = 0; // the start of the text not yet encoded
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (!IsEscapedByte(path, i))
            continue;
        native += path.sliced(run, i - run).toUtf8();
        native += static_cast<char>(path[i].unicode() - EscapedByteBase);
        run = i + 1;
    }
    return native + path.sliced(run).toUtf8();
}

bool OpenForReading(QFile& file, const QString& path, QString& error) {
#ifdef Q_OS_UNIX
    const int fd = ::open(EncodePath(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return true;
    ::close(fd);
#else
    file.setFileName(path);
    if (file.open(QIODevice::ReadOnly))
        return true;
#endif
    error = file.errorString();
    return false;
}

int FolderErrno(const QString& path) {
#ifdef Q_OS_UNIX
    const QByteArray native = EncodePath(path);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0)
        return errno;
    if (!S_ISDIR(info.st_mode))
        return ENOTDIR;
    return ::access(native.constData(), X_OK) == 0 ? 0 : errno;
#else
    return QFileInfo(path).isDir() ? 0 : ENOENT;
#endif
}

} // namespace quillon
