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
// checksum, so that they can be decompressed side by side. An empty log is one
// empty frame.
constexpr char Magic[8] = {'Q', 'L', 'O', 'G', 'C', 'A', 'C', '1'};
constexpr int CompressionLevel = 1;
constexpr std::size_t FrameBytes = std::size_t(4) << 20; // of the log in each frame
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

QString TLogCache::Write(const QString& place, std::string_view log) const {
    TLogCacheWriter writer(*this, place);
    writer.Add(log);
    return writer.Keep();
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

struct TLogCacheWriter::TState {
    QTemporaryFile File;
    TCompressor Context{ZSTD_createCCtx(), &ZSTD_freeCCtx};
    std::string Frame; // the log not yet compressed, less than FrameBytes
    std::string Out;
    bool AnyFrame = false;

    explicit TState(const QString& pattern) : File(pattern) {}
};

TLogCacheWriter::TLogCacheWriter(TLogCache cache, const QString& place)
    : Cache(std::move(cache)), Place(place) {}

void TLogCacheWriter::Open() {
    Opened = true;
    const QString& folder = Cache.Folder;
    if (!QDir().mkpath(folder)) {
        Problem = QStringLiteral("cannot create %1").arg(folder);
        return;
    }
    QFile::setPermissions(folder, FolderOwnerOnly);
    try {
        State = std::make_unique<TState>(folder + TemporaryPattern);
    } catch (const std::bad_alloc&) {
        Problem = QStringLiteral("%1: out of memory").arg(folder);
        return;
    }
    // QTemporaryFile makes its file readable by the user only.
    const QByteArray header = Header(Place);
    if (!State->File.open() || State->File.write(header) != header.size())
        Problem = QStringLiteral("%1: %2").arg(folder, State->File.errorString());
    else if (!State->Context)
        Problem = QStringLiteral("%1: out of memory").arg(folder);
    if (!Problem.isEmpty())
        State.reset();
}

TLogCacheWriter::~TLogCacheWriter() = default;

void TLogCacheWriter::Add(std::string_view bytes) {
    if (!Opened)
        Open();
    while (State && !bytes.empty()) {
        try {
            if (State->Frame.capacity() < FrameBytes)
                State->Frame.reserve(FrameBytes);
        } catch (const std::bad_alloc&) {
            Problem = QStringLiteral("%1: out of memory").arg(Cache.Folder);
            State.reset();
            return;
        }
        const std::size_t taken = std::min(bytes.size(), FrameBytes - State->Frame.size());
        State->Frame.append(bytes.substr(0, taken));
        bytes.remove_prefix(taken);
        if (State->Frame.size() == FrameBytes)
            Compress();
    }
}

// Writes the log not yet compressed as one frame, which records its size.
void TLogCacheWriter::Compress() {
    try {
        State->Out.resize(ZSTD_compressBound(State->Frame.size()));
    } catch (const std::bad_alloc&) {
        Problem = QStringLiteral("%1: out of memory").arg(Cache.Folder);
        State.reset();
        return;
    }
    ZSTD_CCtx* context = State->Context.get();
    ZSTD_CCtx_setParameter(context, ZSTD_c_compressionLevel, CompressionLevel);
    ZSTD_CCtx_setParameter(context, ZSTD_c_checksumFlag, 1);
    const std::size_t size = ZSTD_compress2(context, State->Out.data(), State->Out.size(),
                                            State->Frame.data(), State->Frame.size());
    if (ZSTD_isError(size))
        Problem = QStringLiteral("%1: %2").arg(Cache.Folder,
                                               QString::fromLatin1(ZSTD_getErrorName(size)));
    else if (State->File.write(State->Out.data(), static_cast<qint64>(size)) !=
             static_cast<qint64>(size))
        Problem = QStringLiteral("%1: %2").arg(Cache.Folder, State->File.errorString());
    if (!Problem.isEmpty())
        return State.reset();
    State->Frame.clear();
    State->AnyFrame = true;
}

QString TLogCacheWriter::Keep() {
    if (!Opened)
        Open();
    if (State && (!State->Frame.empty() || !State->AnyFrame))
        Compress();
    if (State && !State->File.flush())
        Problem = QStringLiteral("%1: %2").arg(Cache.Folder, State->File.errorString());
    if (!Problem.isEmpty() || !State)
        return Problem;
    // A rename replaces the entry whole: a reader sees the old one or the new.
    std::error_code failed;
    std::filesystem::rename(QFile::encodeName(State->File.fileName()).toStdString(),
                            QFile::encodeName(Cache.EntryPath(Place)).toStdString(), failed);
    if (failed) {
        Problem =
            QStringLiteral("%1: %2").arg(Cache.Folder, QString::fromLocal8Bit(failed.message()));
        return Problem;
    }
    State->File.setAutoRemove(false);
    State.reset();
    Cache.Trim();
    return QString();
}

} // namespace quillon
