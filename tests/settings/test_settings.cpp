#include "RecentPlaces.h"
#include "Settings.h"

#include <QDir>
#include <QFile>
#include <QPoint>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace quillon;

namespace {

// A settings store in an INI file of its own temporary folder.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Dir.isValid()); }

    QString IniPath() const { return Dir.filePath(QStringLiteral("Quillon.ini")); }

    std::unique_ptr<QSettings> Store() const {
        return std::make_unique<QSettings>(IniPath(), QSettings::IniFormat);
    }

    // Writes the given values to the store, then loads them into fresh settings.
    TSettings LoadWith(std::initializer_list<std::pair<const char*, QVariant>> values) const {
        {
            auto store = Store();
            for (const auto& [name, value] : values)
                store->setValue(QString::fromLatin1(name), value);
        }
        TSettings settings;
        LoadSettings(settings, *Store());
        return settings;
    }

    QTemporaryDir Dir;
};

} // namespace

TEST_F(SettingsTest, FirstRunGivesTheDefaults) {
    TSettings s;
    LoadSettings(s, *Store());
    EXPECT_EQ(s.CVSPath, QStringLiteral("/usr/bin"));
    EXPECT_EQ(s.LinesLimit, 5);
    EXPECT_TRUE(s.KeepCache);
    EXPECT_FALSE(s.DoInclude);
    EXPECT_FALSE(s.DoExclude);
    EXPECT_TRUE(s.Include.isEmpty());
    EXPECT_TRUE(s.Exclude.isEmpty());
}

TEST_F(SettingsTest, StoredValuesAreRead) {
    const TSettings s = LoadWith({{"CVSPath", QStringLiteral("/opt/cvs/bin")},
                                  {"LinesLimit", 500},
                                  {"DoInclude", 1},
                                  {"DoExclude", 7},
                                  {"Include", QStringLiteral("*.c;*.h")},
                                  {"Exclude", QStringLiteral("*.o")}});
    EXPECT_EQ(s.CVSPath, QStringLiteral("/opt/cvs/bin"));
    EXPECT_EQ(s.LinesLimit, 500);
    EXPECT_TRUE(s.DoInclude);
    EXPECT_TRUE(s.DoExclude);
    EXPECT_EQ(s.Include, QStringLiteral("*.c;*.h"));
    EXPECT_EQ(s.Exclude, QStringLiteral("*.o"));

    const TSettings off = LoadWith({{"DoInclude", 0}, {"DoExclude", 0}});
    EXPECT_FALSE(off.DoInclude);
    EXPECT_FALSE(off.DoExclude);
}

TEST_F(SettingsTest, ValuesOfTheWrongTypeCountAsMissing) {
    {
        auto store = Store();
        store->setValue(QStringLiteral("LinesLimit"), QStringLiteral("many"));
        store->setValue(QStringLiteral("DoInclude"), QStringLiteral("yes"));
        store->setValue(QStringLiteral("DoExclude"), QPoint(1, 2));
        store->setValue(QStringLiteral("Include"), QPoint(3, 4));
        store->setValue(QStringLiteral("Exclude"),
                        QStringList{QStringLiteral("a"), QStringLiteral("b")});
        store->setValue(QStringLiteral("CVSPath"), QPoint(5, 6));
    }
    // Switches and masks of the wrong type leave the fields as they were.
    TSettings s;
    s.DoInclude = true;
    s.DoExclude = true;
    s.Include = QStringLiteral("keep.in");
    s.Exclude = QStringLiteral("keep.ex");
    LoadSettings(s, *Store());
    EXPECT_EQ(s.CVSPath, QStringLiteral("/usr/bin"));
    EXPECT_EQ(s.LinesLimit, 5);
    EXPECT_TRUE(s.DoInclude);
    EXPECT_TRUE(s.DoExclude);
    EXPECT_EQ(s.Include, QStringLiteral("keep.in"));
    EXPECT_EQ(s.Exclude, QStringLiteral("keep.ex"));

    for (const char* text : {"", "5.5", "12abc", "99999999999"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(LoadWith({{"LinesLimit", QString::fromLatin1(text)}}).LinesLimit, 5);
    }
}

TEST_F(SettingsTest, MissingMasksReadAsEmpty) {
    TSettings s;
    s.Include = QStringLiteral("old");
    s.Exclude = QStringLiteral("old");
    s.DoInclude = true;
    LoadSettings(s, *Store());
    EXPECT_TRUE(s.Include.isEmpty());
    EXPECT_TRUE(s.Exclude.isEmpty());
    // A missing switch leaves the field unchanged.
    EXPECT_TRUE(s.DoInclude);
}

TEST_F(SettingsTest, CVSPathOfAnExistingFileIsReducedToItsFolder) {
    ASSERT_TRUE(QDir(Dir.path()).mkpath(QStringLiteral("cvs dir/sub")));
    const QString folder = Dir.filePath(QStringLiteral("cvs dir"));
    const QString program = folder + QStringLiteral("/cvs");
    QFile file(program);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    EXPECT_EQ(LoadWith({{"CVSPath", program}}).CVSPath, folder);
    // A folder, or a path that names nothing, is used unchanged.
    EXPECT_EQ(LoadWith({{"CVSPath", folder}}).CVSPath, folder);
    const QString missing = folder + QStringLiteral("/sub/cvs");
    EXPECT_EQ(LoadWith({{"CVSPath", missing}}).CVSPath, missing);
    // An empty value gives the default folder.
    EXPECT_EQ(LoadWith({{"CVSPath", QString()}}).CVSPath, QStringLiteral("/usr/bin"));
}

TEST_F(SettingsTest, SavedSettingsLoadBackUnchanged) {
    TSettings saved;
    saved.CVSPath = QStringLiteral("/opt/my cvs/bin");
    saved.LinesLimit = 17;
    saved.DoInclude = true;
    saved.DoExclude = false;
    saved.Include = QStringLiteral("*.c, *.h;\"quoted\";caf\u00e9;back\\slash");
    saved.Exclude = QStringLiteral("=;#x;[y]");
    {
        auto store = Store();
        EXPECT_TRUE(SaveSettings(saved, *store));
    }
    TSettings loaded;
    loaded.DoExclude = true;
    loaded.KeepCache = true;
    LoadSettings(loaded, *Store());
    EXPECT_FALSE(loaded.KeepCache);
    EXPECT_EQ(loaded.CVSPath, saved.CVSPath);
    EXPECT_EQ(loaded.LinesLimit, 17);
    EXPECT_TRUE(loaded.DoInclude);
    EXPECT_FALSE(loaded.DoExclude);
    EXPECT_EQ(loaded.Include, saved.Include);
    EXPECT_EQ(loaded.Exclude, saved.Exclude);

    // Saving again overwrites every value.
    saved.LinesLimit = 0;
    saved.DoInclude = false;
    saved.Include.clear();
    EXPECT_TRUE(SaveSettings(saved, *Store()));
    LoadSettings(loaded, *Store());
    EXPECT_EQ(loaded.LinesLimit, 0);
    EXPECT_FALSE(loaded.DoInclude);
    EXPECT_TRUE(loaded.Include.isEmpty());
    const auto store = Store();
    EXPECT_EQ(store->allKeys().size(), 7);
}

// A damaged settings file is replaced by the saved settings, and the save says so.
TEST_F(SettingsTest, SaveOverADamagedFileSucceeds) {
    {
        QFile file(IniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[General\nLinesLimit=7\n");
    }
    auto store = Store();
    TSettings s;
    LoadSettings(s, *store);
    EXPECT_EQ(s.CVSPath, QStringLiteral("/usr/bin"));
    s.LinesLimit = 9;
    s.Include = QStringLiteral("*.c");
    EXPECT_TRUE(SaveSettings(s, *store));
    TSettings loaded;
    LoadSettings(loaded, *Store());
    EXPECT_EQ(loaded.LinesLimit, 9);
    EXPECT_EQ(loaded.Include, QStringLiteral("*.c"));
}

// A store whose file cannot be created, even by root: its folder is a file.
TEST_F(SettingsTest, SaveReportsAStoreThatCannotBeWritten) {
    const QString blocker = Dir.filePath(QStringLiteral("not a folder"));
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    QSettings store(blocker + QStringLiteral("/Quillon.ini"), QSettings::IniFormat);
    TSettings s;
    s.CVSPath = QStringLiteral("/usr/bin");
    EXPECT_FALSE(SaveSettings(s, store));

    // A store path that is a folder cannot be written either.
    QSettings folderStore(Dir.path(), QSettings::IniFormat);
    EXPECT_FALSE(SaveSettings(s, folderStore));
}

TEST(SettingsStore, TheUserStoreIsTevrinQuillon) {
    // Test mode (set by the test program) keeps this away from the user's own store.
    ASSERT_TRUE(QStandardPaths::isTestModeEnabled());
    const auto store = OpenSettingsStore();
    EXPECT_EQ(store->organizationName(), QStringLiteral("Tevrin"));
    EXPECT_EQ(store->applicationName(), QStringLiteral("Quillon"));
    EXPECT_EQ(store->scope(), QSettings::UserScope);
    EXPECT_TRUE(store->fileName().contains(QStringLiteral("/Tevrin/Quillon")));
}

// Writes handed aside are made one after another, in order, and every store
// of the user sees them once they are waited for.
TEST(SettingsStore, WritesAsideAreMadeInOrder) {
    const QString key = QStringLiteral("WritesAside");
    OpenSettingsStore()->remove(key);
    for (int i = 0; i < 20; ++i)
        WriteSettingsAside([i, key](QSettings& store) {
            store.setValue(key, store.value(key).toStringList() << QString::number(i));
        });
    WaitForSettingsWritten();
    const auto store = OpenSettingsStore();
    const QStringList written = store->value(key).toStringList();
    store->remove(key);
    ASSERT_EQ(written.size(), 20);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(written[i], QString::number(i));
}

// The recent places: newest first, each once, at most ten; a folder and a log
// file of the same path are two places; damaged entries are passed over.
TEST_F(SettingsTest, RecentPlacesKeepTheNewestTenOnce) {
    auto store = Store();
    using enum TRecentPlace::TKind;
    for (int i = 0; i < 12; ++i)
        AddRecentPlace({Folder, QStringLiteral("/f%1").arg(i)}, *store);
    AddRecentPlace({Folder, QStringLiteral("/f5")}, *store);
    AddRecentPlace({LogFile, QStringLiteral("/f5")}, *store);
    std::vector<TRecentPlace> places = LoadRecentPlaces(*store);
    ASSERT_EQ(places.size(), 10u);
    EXPECT_EQ(places[0], (TRecentPlace{LogFile, QStringLiteral("/f5")}));
    EXPECT_EQ(places[1], (TRecentPlace{Folder, QStringLiteral("/f5")}));
    EXPECT_EQ(places[2], (TRecentPlace{Folder, QStringLiteral("/f11")}));
    EXPECT_EQ(places[9], (TRecentPlace{Folder, QStringLiteral("/f3")}));

    store->setValue(QStringLiteral("Recent/1/Kind"), QStringLiteral("disk"));
    store->setValue(QStringLiteral("Recent/3/Path"), QString());
    places = LoadRecentPlaces(*store);
    ASSERT_EQ(places.size(), 8u);
    EXPECT_EQ(places[0], (TRecentPlace{Folder, QStringLiteral("/f5")}));
    EXPECT_EQ(places[1], (TRecentPlace{Folder, QStringLiteral("/f10")}));

    AddRecentPlace({Folder, QStringLiteral("relative")}, *store);
    EXPECT_EQ(LoadRecentPlaces(*store)[0].Path, QDir::current().filePath("relative"));

    EXPECT_EQ(MissingReason({Folder, Dir.path()}), QString());
    EXPECT_EQ(MissingReason({LogFile, Dir.path()}), "not a file");
    EXPECT_EQ(MissingReason({Folder, Dir.filePath("none")}), "not found");
}
