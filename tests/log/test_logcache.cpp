#include "LogCache.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quillon;

namespace {

QString Place(int n) {
    return QStringLiteral("/work/place %1").arg(n);
}

} // namespace

TEST(LogCache, KeepsAnEntryPerPlaceForTheUserOnlyAndDropsTheLeastRecentlyUsed) {
    QTemporaryDir dir;
    const TLogCache cache(dir.filePath("cache/logs"));
    std::string log = "RCS file: a,v\n";
    for (int i = 0; i < 10000; ++i)
        log += "revision 1." + std::to_string(i) + "\n";
    ASSERT_EQ(cache.Write(Place(0), {log}), "");

    QString error;
    std::optional<TCachedLog> read = cache.Read(Place(0), error);
    ASSERT_TRUE(read) << error.toStdString();
    EXPECT_EQ(read->Log, log);
    EXPECT_LE(std::abs(read->Saved.secsTo(QDateTime::currentDateTimeUtc())), 60);
    EXPECT_LT(QFileInfo(cache.EntryPath(Place(0))).size(), qint64(log.size() / 4));
    EXPECT_FALSE(cache.Read(Place(1), error));
    EXPECT_EQ(error, "");
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ReadOther | QFileDevice::WriteOther;
    EXPECT_EQ(QFile::permissions(cache.EntryPath(Place(0))) & others, 0);
    EXPECT_EQ(QFile::permissions(cache.Path()) & others, 0);

    // Twenty entries at most: reading an entry makes it the last to go.
    for (int n = 1; n <= TLogCache::MaxEntries; ++n) {
        ASSERT_EQ(cache.Write(Place(n), {"log " + std::to_string(n)}), "");
        if (n == 5) {
            ASSERT_TRUE(cache.Read(Place(0), error));
        }
    }
    EXPECT_EQ(QDir(cache.Path()).entryList(QDir::Files | QDir::Hidden).size(),
              TLogCache::MaxEntries);
    EXPECT_TRUE(cache.Has(Place(0)));
    EXPECT_FALSE(cache.Has(Place(1)));
    EXPECT_TRUE(cache.Has(Place(2)));

    EXPECT_EQ(cache.Clear(), "");
    EXPECT_TRUE(QDir(cache.Path()).isEmpty());
}

TEST(LogCache, ADamagedEntryIsDiscardedAndAnUnwritableFolderSaysWhy) {
    QTemporaryDir dir;
    const TLogCache cache(dir.filePath("logs"));
    const std::string log(100000, 'x');
    auto damage = [&](auto change) {
        EXPECT_EQ(cache.Write(Place(0), {log}), "");
        QFile file(cache.EntryPath(Place(0)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QByteArray bytes = file.readAll();
        file.close();
        change(bytes);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        QString error;
        EXPECT_FALSE(cache.Read(Place(0), error));
        EXPECT_NE(error, "");
        EXPECT_FALSE(cache.Has(Place(0)));
    };
    damage([](QByteArray& bytes) { bytes[bytes.size() - 6] ^= 0x55; });
    damage([](QByteArray& bytes) { bytes.chop(10); });
    damage([](QByteArray& bytes) { bytes[0] = 'X'; });
    damage([](QByteArray& bytes) { bytes.append("more"); });
    damage([](QByteArray& bytes) { bytes.clear(); });
    // Frames whose sizes add up past any string's: a raw block of 100 bytes
    // each, under a size that wraps the log's length around to 50.
    damage([&](QByteArray& bytes) {
        bytes.truncate(8 + 8 + 4 + Place(0).toUtf8().size());
        for (const quint64 size : {~quint64(0) - 49, quint64(100)}) {
            bytes += QByteArray::fromHex("28b52ffde0");
            for (int i = 0; i < 8; ++i)
                bytes += static_cast<char>((size >> (8 * i)) & 0xFF);
            bytes += QByteArray::fromHex("210300") + QByteArray(100, 'r');
        }
    });

    // A folder that cannot be made: below a file.
    QFile file(dir.filePath("file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_NE(TLogCache(dir.filePath("file/logs")).Write(Place(0), {log}), "");
}

// A log longer than a frame, given in pieces that frames do not follow, reads
// back whole; a damaged frame after the first discards the entry.
TEST(LogCache, ALongLogIsKeptInFramesThatReadBackWhole) {
    QTemporaryDir dir;
    const TLogCache cache(dir.filePath("logs"));
    std::string log;
    for (int i = 0; log.size() < (std::size_t(40) << 20); ++i)
        log += "revision 1." + std::to_string(i) + "\n";
    const std::string_view text(log);
    const std::size_t cut = (std::size_t(4) << 20) - 7;
    TLogCacheWriter writer(cache, Place(0));
    for (const std::string_view piece :
         {text.substr(0, 1000), text.substr(1000, cut - 1000), text.substr(cut)})
        writer.Add(piece);
    ASSERT_EQ(writer.Keep(), "");
    QString error;
    std::optional<TCachedLog> read = cache.Read(Place(0), error);
    ASSERT_TRUE(read) << error.toStdString();
    EXPECT_TRUE(read->Log == log);

    QFile file(cache.EntryPath(Place(0)));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(file.size() - 100));
    file.write("damage");
    file.close();
    EXPECT_FALSE(cache.Read(Place(0), error));
    EXPECT_EQ(error, "damaged");
}
