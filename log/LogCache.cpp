#include "LogCache.h"

#include "HugePages.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <zstd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

namespace quillon {

namespace {

// An entry: the magic, the time it was kept (milliseconds since the epoch,
// 8 bytes little-endian), the length of its place (4 bytes little-endian),
// the place in UTF-8, then the log as zstd frames, each with its size and
// checksum, so that they can be decompressed side by side.
constexpr char Magic[8] = {'Q', 'L', 'O', 'G', 'C', 'A', 'C', '1'};
constexpr int CompressionLevel = 1;
constexpr std::size_t ChunkBytes = std::size_t(1) << 20;
constexpr std::size_t FrameBytes = std::size_t(32) << 20; // of the log in each frame
const QString EntrySuffix = QStringLiteral(".log.zst");
const QString TemporaryPattern = QStringLiteral("/.entry-XXXXXX");
const QString LogsFolder = QStringLiteral("logs");
constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions FolderOwnerOnly = OwnerOnly | QFileDevice::ExeOwner;

// Where SetDefaultFolder moved the cache; empty: not moved. Reached through
// a function so that it is there before any other static object needs it.
QString& DefaultFolderOverride() {
    static QString folder;
    return folder;
}
std::mutex DefaultFolderLock;

void PutNumber(QByteArray& out, quint64 value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

quint64 GetNumber(const uchar* in, int bytes) {
    quint64 value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= quint64(in[i]) << (8 * i);
    return value;
}

QByteArray Header(const QString& place) {
    const QByteArray name = place.toUtf8();
    QByteArray header(Magic, sizeof Magic);
    PutNumber(header, static_cast<quint64>(QDateTime::currentMSecsSinceEpoch()), 8);
    PutNumber(header, static_cast<quint64>(name.size()), 4);
    return header + name;
}

using TCompressor = std::unique_ptr<ZSTD_CCtx, decltype(&ZSTD_freeCCtx)>;

// Compresses the log, given in pieces, into file a chunk at a time, in frames
// of FrameBytes: no second whole copy is made.
QString Compress(const std::vector<std::string_view>& pieces, QFile& file) {
    TCompressor context(ZSTD_createCCtx(), &ZSTD_freeCCtx);
    if (!context)
        return QStringLiteral("out of memory");
    std::size_t total = 0;
    for (const std::string_view piece : pieces)
        total += piece.size();
    ZSTD_CCtx_setParameter(context.get(), ZSTD_c_compressionLevel, CompressionLevel);
    ZSTD_CCtx_setParameter(context.get(), ZSTD_c_checksumFlag, 1);
    std::string out(ZSTD_CStreamOutSize(), '\0');
    auto run = [&](ZSTD_inBuffer& in, ZSTD_EndDirective mode) -> QString {
        std::size_t left = 0;
        do {
            ZSTD_outBuffer buffer{out.data(), out.size(), 0};
            left = ZSTD_compressStream2(context.get(), &buffer, &in, mode);
            if (ZSTD_isError(left))
                return QString::fromLatin1(ZSTD_getErrorName(left));
            if (file.write(out.data(), static_cast<qint64>(buffer.pos)) !=
                static_cast<qint64>(buffer.pos))
                return file.errorString();
        } while (mode == ZSTD_e_end ? left != 0 : in.pos < in.size);
        return QString();
    };
    if (total == 0) {
        ZSTD_CCtx_setPledgedSrcSize(context.get(), 0);
        ZSTD_inBuffer end{nullptr, 0, 0};
        return run(end, ZSTD_e_end);
    }
    std::size_t done = 0;
    std::size_t frameLeft = 0;
    for (const std::string_view piece : pieces)
        for (std::size_t offset = 0; offset < piece.size();) {
            if (frameLeft == 0) {
                frameLeft = std::min(FrameBytes, total - done);
                ZSTD_CCtx_setPledgedSrcSize(context.get(), frameLeft);
            }
            const std::size_t bytes = std::min({ChunkBytes, piece.size() - offset, frameLeft});
            ZSTD_inBuffer in{piece.data() + offset, bytes, 0};
            offset += bytes;
            done += bytes;
            frameLeft -= bytes;
            if (QString problem = run(in, frameLeft == 0 ? ZSTD_e_end : ZSTD_e_continue);
                !problem.isEmpty())
                return problem;
        }
    return QString();
}

struct TFrame {
    const uchar* Data;
    std::size_t Size;   // compressed
    std::size_t Offset; // of its bytes in the log
    std::size_t Bytes;  // of the log
};

// The frames of an entry, or none when they are damaged.
std::optional<std::vector<TFrame>> Frames(const uchar* data, std::size_t size) {
    std::vector<TFrame> frames;
    std::size_t offset = 0;
    for (std::size_t at = 0; at < size || frames.empty();) {
        const std::size_t frameSize = ZSTD_findFrameCompressedSize(data + at, size - at);
        if (ZSTD_isError(frameSize))
            return std::nullopt;
        const unsigned long long bytes = ZSTD_getFrameContentSize(data + at, frameSize);
        // A size that would take the log past any string's is damage too: the
        // offsets of the frames after it would wrap around.
        if (bytes == ZSTD_CONTENTSIZE_ERROR || bytes == ZSTD_CONTENTSIZE_UNKNOWN ||
            bytes > std::string().max_size() - offset)
            return std::nullopt;
        frames.push_back({data + at, frameSize, offset, static_cast<std::size_t>(bytes)});
        offset += static_cast<std::size_t>(bytes);
        at += frameSize;
    }
    return frames;
}

// Decompresses the frames into log, on as many threads as there are cores;
// false when one of them is damaged.
bool DecompressFrames(const std::vector<TFrame>& frames, std::string& log) {
    std::atomic<std::size_t> next{0};
    std::atomic<bool> damaged{false};
    auto run = [&] {
        for (std::size_t i = next++; i < frames.size() && !damaged; i = next++) {
            const TFrame& frame = frames[i];
            const std::size_t read =
                ZSTD_decompress(log.data() + frame.Offset, frame.Bytes, frame.Data, frame.Size);
            if (ZSTD_isError(read) || read != frame.Bytes)
                damaged = true;
        }
    };
    {
        const std::size_t threads =
            std::min<std::size_t>(std::max(std::thread::hardware_concurrency(), 1u), frames.size());
        std::vector<std::jthread> others;
        for (std::size_t k = 1; k < threads; ++k)
            others.emplace_back(run);
        run();
    }
    return !damaged;
}

// The log of an entry's bytes, or why there is none.
std::optional<TCachedLog> Decompress(const uchar* data, qint64 size, const QString& place,
                                     QString& error) {
    const QByteArray name = place.toUtf8();
    constexpr qint64 fixed = sizeof Magic + 8 + 4;
    if (size < fixed || std::memcmp(data, Magic, sizeof Magic) != 0) {
        error = QStringLiteral("not a cache entry");
        return std::nullopt;
    }
    const qint64 nameSize = static_cast<qint64>(GetNumber(data + sizeof Magic + 8, 4));
    if (nameSize != name.size() || size < fixed + nameSize ||
        std::memcmp(data + fixed, name.constData(), static_cast<std::size_t>(nameSize)) != 0) {
        error = QStringLiteral("the entry of another place");
        return std::nullopt;
    }
    const std::optional<std::vector<TFrame>> frames =
        Frames(data + fixed + nameSize, static_cast<std::size_t>(size - fixed - nameSize));
    if (!frames) {
        error = QStringLiteral("damaged");
        return std::nullopt;
    }
    TCachedLog entry;
    try {
        const std::size_t logSize = frames->back().Offset + frames->back().Bytes;
        entry.Log.reserve(logSize);
        AdviseHugePages(entry.Log.data(), entry.Log.capacity());
        MakePages(entry.Log.data(), entry.Log.capacity());
        entry.Log.resize(logSize);
    } catch (const std::bad_alloc&) {
        error = QStringLiteral("too large to read");
        return std::nullopt;
    }
    if (!DecompressFrames(*frames, entry.Log)) {
        error = QStringLiteral("damaged");
        return std::nullopt;
    }
    entry.Saved = QDateTime::fromMSecsSinceEpoch(
        static_cast<qint64>(GetNumber(data + sizeof Magic, 8)), Qt::UTC);
    return entry;
}

} // namespace

QString TLogCache::DefaultFolder() {
    {
        const std::lock_guard lock(DefaultFolderLock);
        if (!DefaultFolderOverride().isEmpty())
            return DefaultFolderOverride();
    }
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QLatin1Char('/') +
           LogsFolder;
}

void TLogCache::SetDefaultFolder(const QString& folder) {
    const std::lock_guard lock(DefaultFolderLock);
    DefaultFolderOverride() = folder;
}

QString TLogCache::FolderPlace(const QString& folder) {
    return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

QString TLogCache::EntryPath(const QString& place) const {
    const QByteArray key = QCryptographicHash::hash(place.toUtf8(), QCryptographicHash::Sha1);
    return Folder + QLatin1Char('/') + QString::fromLatin1(key.toHex()) + EntrySuffix;
}

bool TLogCache::Has(const QString& place) const {
    return QFileInfo::exists(EntryPath(place));
}

std::optional<TCachedLog> TLogCache::Read(const QString& place, QString& error) const {
    error.clear();
    QFile file(EntryPath(place));
    if (!file.exists())
        return std::nullopt;
    std::optional<TCachedLog> entry;
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
    } else if (file.size() == 0) {
        error = QStringLiteral("empty");
    } else if (const uchar* data = file.map(0, file.size())) {
        entry = Decompress(data, file.size(), place, error);
    } else {
        error = file.errorString();
    }
    file.close();
    if (entry) {
        // Used now: the last to go when the cache is trimmed.
        if (file.open(QIODevice::ReadWrite))
            file.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
    } else {
        // A damaged entry is never read again.
        file.remove();
    }
    return entry;
}

QString TLogCache::Write(const QString& place, const std::vector<std::string_view>& log) const {
    if (!QDir().mkpath(Folder))
        return QStringLiteral("cannot create %1").arg(Folder);
    QFile::setPermissions(Folder, FolderOwnerOnly);
    QTemporaryFile file(Folder + TemporaryPattern);
    if (!file.open())
        return QStringLiteral("%1: %2").arg(Folder, file.errorString());
    // QTemporaryFile makes its file readable by the user only.
    const QByteArray header = Header(place);
    QString problem =
        file.write(header) == header.size() ? Compress(log, file) : file.errorString();
    if (problem.isEmpty() && !file.flush())
        problem = file.errorString();
    if (!problem.isEmpty())
        return QStringLiteral("%1: %2").arg(Folder, problem);
    // A rename replaces the entry whole: a reader sees the old one or the new.
    std::error_code failed;
    std::filesystem::rename(QFile::encodeName(file.fileName()).toStdString(),
                            QFile::encodeName(EntryPath(place)).toStdString(), failed);
    if (failed)
        return QStringLiteral("%1: %2").arg(Folder, QString::fromLocal8Bit(failed.message()));
    file.setAutoRemove(false);
    Trim();
    return QString();
}

void TLogCache::Trim() const {
    const QFileInfoList entries = QDir(Folder).entryInfoList(
        {QLatin1Char('*') + EntrySuffix}, QDir::Files | QDir::Hidden, QDir::Time);
    qint64 total = 0;
    int kept = 0;
    for (const QFileInfo& entry : entries) {
        total += entry.size();
        if (kept < MaxEntries && total <= MaxBytes)
            ++kept;
        else
            QFile::remove(entry.filePath());
    }
}

QString TLogCache::Clear() const {
    QString problem;
    const QFileInfoList entries =
        QDir(Folder).entryInfoList({QLatin1Char('*') + EntrySuffix}, QDir::Files | QDir::Hidden);
    for (const QFileInfo& entry : entries) {
        QFile file(entry.filePath());
        if (!file.remove())
            problem = QStringLiteral("%1: %2").arg(entry.filePath(), file.errorString());
    }
    return problem;
}

} // namespace quillon
