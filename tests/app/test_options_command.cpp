// The Options command of the main window: what it stores and rebuilds.
#include "FolderCommand.h"
#include "MainWindowFixture.h"
#include "Selectors.h"
#include "TestHome.h"
#include "fMain.h"
#include "fOptions.h"

#include "DisplayText.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

using namespace quillon;
using namespace quillon::test;

namespace {

// The main window with the Options dialog, over a temporary settings store
// and data folder. ShowOptions runs Answer instead of the modal loop.
class OptionsCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Home.IsValid());
        ASSERT_EQ(OpenSettingsStore()->fileName(), Home.StorePath());
    }

    // Puts values into the store before the window loads it.
    void Store(std::initializer_list<std::pair<const char*, QVariant>> values) {
        auto store = OpenSettingsStore();
        for (const auto& [name, value] : values)
            store->setValue(QString::fromLatin1(name), value);
        store->sync();
        ASSERT_EQ(store->status(), QSettings::NoError);
    }

    void CreateWindow() {
        Window = std::make_unique<test::TTestMainWindow>();
        Dialog = new TfrmOptions(Window.get());
        TMainWindowPeers peers;
        peers.ShowOptions = [this] {
            ++OptionsShown;
            return Answer && Answer(*Dialog);
        };
        peers.ShowAbout = [this] { ++AboutShown; };
        peers.Options = Dialog;
        Window->SetPeers(std::move(peers));
        QObject::connect(Window.get(), &TfrmMain::statusShown, Window.get(),
                         [this](const QString& message) { Messages.append(message); });
    }

    void LoadLog() {
        QSignalSpy finished(Window.get(), &TfrmMain::loadFinished);
        Window->OpenLogFile(QStringLiteral(QUILLON_TEST_DATA "/real-cvs.log"));
        ASSERT_TRUE(finished.wait(30000));
        ASSERT_TRUE(Window->Load().Table());
        ASSERT_EQ(Window->Load().Table()->FileCount(), 4u);
        // The load's place goes to the recent list in a write made aside.
        WaitForSettingsWritten();
    }

    // Chooses a filter entry and an author the way the selectors do.
    void Select(int filter, int author) {
        MainViews(*Window).cbxFilter->setCurrentIndex(filter);
        MainViews(*Window).cbxAuthors->setCurrentIndex(author);
        Window->FilterFiles();
    }

    // Runs the Options command; when it is confirmed, waits until the views
    // have been rebuilt.
    void RunOptions() {
        QSignalSpy filtered(Window.get(), &TfrmMain::filesFiltered);
        Messages.clear();
        Window->miOptionsClick();
        if (Answered)
            ASSERT_TRUE(QTest::qWaitFor([&] { return filtered.count() == 1; }, 30000));
        else
            QCoreApplication::processEvents();
        EXPECT_EQ(filtered.count(), Answered ? 1 : 0);
    }

    QStringList ListedFiles() {
        QStringList names;
        for (int row = 0; row < Window->FilesModel().rowCount(); ++row)
            names.append(DisplayText(Window->FilesModel().FileAt(row)->WorkingFile));
        return names;
    }

    int SelectedFileRow() {
        const QModelIndexList rows = MainViews(*Window).lvFiles->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.front().row() : -1;
    }

    // The counters of a file as the window's summary gives them.
    const TFileCounters* Counters(const char* name) {
        const TRCSFile* file = FindFile(*Window->Load().Table(), name);
        return file && Window->Load().Summary() ? &Window->Load().Summary()->Counters(*file)
                                                : nullptr;
    }

    QString StatusText() {
        auto* panel = Window->statusBar()->findChild<QLabel*>(QStringLiteral("StatusPanel5"));
        return panel ? panel->text() : QString();
    }

    QVariant Stored(const char* name) {
        return QSettings(Home.StorePath(), QSettings::IniFormat).value(QString::fromLatin1(name));
    }

    // Answer that sets the answer and whether it confirms.
    void Reply(bool confirm, std::function<void(TfrmOptions&)> edit) {
        Answered = confirm;
        Answer = [confirm, edit](TfrmOptions& dialog) {
            edit(dialog);
            return confirm;
        };
    }

    TTestHome Home;
    std::unique_ptr<test::TTestMainWindow> Window;
    TfrmOptions* Dialog = nullptr;
    std::function<bool(TfrmOptions&)> Answer;
    bool Answered = false;
    int OptionsShown = 0;
    int AboutShown = 0;
    QStringList Messages;
};

const QString FewChangesText =
    QStringLiteral("Show only files with number of changes in last revision less then %1");

} // namespace

TEST_F(OptionsCommand, OkStoresEveryControlAndRebuildsTheViews) {
    Store({{"CVSPath", QStringLiteral("/usr/local/cvs")},
           {"LinesLimit", 5},
           {"DoInclude", 0},
           {"Include", QStringLiteral("src")},
           {"DoExclude", 0},
           {"Exclude", QString()}});
    CreateWindow();
    LoadLog();
    Select(2, 0);
    EXPECT_EQ(ListedFiles(), QStringList({"README.txt", "notes with blank.txt", "old.txt"}));
    ASSERT_NE(Counters("src/main.c"), nullptr);
    EXPECT_EQ(Counters("src/main.c")->FewChanges, 2);
    // What the file list's rows were made with, as a view still showing them
    // holds it through the re-check.
    const TRowSource shown = Window->FilesModel().Source();
    const TRCSFile* shownMain = FindFile(*shown.Table, "src/main.c");
    Select(2, 1);
    ASSERT_NE(MainViews(*Window).cbxAuthors->currentText(), "All users");

    const TLogCache cache = test::TestLogCache.Cache();
    ASSERT_EQ(cache.Write(QStringLiteral("/a/place"), {"a log"}), "");
    ASSERT_TRUE(Window->Settings.KeepCache);
    QStringList filled;
    Reply(true, [&](TfrmOptions& d) {
        filled = {d.chkOpen->isChecked() ? "checked" : "cleared",
                  d.edCVS->text(),
                  d.edLinesLimit->text(),
                  d.chkInclude->isChecked() ? "checked" : "cleared",
                  d.edInclude->text(),
                  d.chkExclude->isChecked() ? "checked" : "cleared",
                  d.edExclude->text()};
        d.chkOpen->setChecked(true);
        d.edCVS->setText(QStringLiteral("/opt/cvs bin "));
        d.edLinesLimit->setValue(8);
        d.edInclude->setText(QStringLiteral("zzz"));
        d.chkExclude->setChecked(true);
        d.edExclude->setText(QStringLiteral("old; blank"));
        d.chkCache->setChecked(false);
    });
    RunOptions();
    EXPECT_EQ(OptionsShown, 1);
    EXPECT_EQ(filled,
              QStringList({"cleared", "/usr/local/cvs", "5", "cleared", "src", "cleared", ""}));

    // Stored as typed, and held in memory.
    EXPECT_EQ(Stored("CVSPath").toString(), "/opt/cvs bin ");
    EXPECT_EQ(Stored("LinesLimit").toInt(), 8);
    EXPECT_EQ(Stored("DoInclude").toInt(), 0);
    EXPECT_EQ(Stored("Include").toString(), "zzz");
    EXPECT_EQ(Stored("DoExclude").toInt(), 1);
    EXPECT_EQ(Stored("Exclude").toString(), "old; blank");
    // The cache is off and empty.
    EXPECT_EQ(Stored("KeepCache").toInt(), 0);
    EXPECT_FALSE(Window->Settings.KeepCache);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !cache.Has(QStringLiteral("/a/place")); }, 30000));
    EXPECT_EQ(Window->Settings.CVSPath, "/opt/cvs bin ");
    EXPECT_EQ(Window->Settings.LinesLimit, 8);
    EXPECT_FALSE(Window->Settings.DoInclude);
    EXPECT_TRUE(Window->Settings.DoExclude);
    EXPECT_TRUE(IsFolderCommandRegistered());

    // The views follow: the counters are recomputed for the new limit, the
    // third filter stays chosen with its new text, the author selector is back
    // at "All users" and the first file is selected.
    EXPECT_EQ(Counters("src/main.c")->FewChanges, 3);
    // The re-check made a new value from the same table and left the shown
    // one as it was.
    EXPECT_EQ(Window->Load().Table(), shown.Table);
    EXPECT_NE(Window->Load().Summary(), shown.Summary);
    EXPECT_EQ(shown.Summary->Counters(*shownMain).FewChanges, 2);
    EXPECT_EQ(shown.Summary->LinesLimit, 5);
    EXPECT_EQ(MainViews(*Window).cbxFilter->currentIndex(), 2);
    EXPECT_EQ(MainViews(*Window).cbxFilter->itemText(2), FewChangesText.arg(8));
    EXPECT_EQ(MainViews(*Window).cbxAuthors->currentIndex(), 0);
    EXPECT_EQ(MainViews(*Window).cbxAuthors->currentText(), "All users");
    EXPECT_EQ(ListedFiles(), QStringList({"README.txt", "src/main.c"}));
    EXPECT_EQ(SelectedFileRow(), 0);
    ASSERT_FALSE(Messages.isEmpty());
    EXPECT_EQ(Messages.front(), "Checking log...");
    EXPECT_TRUE(Messages.contains("Filtering files..."));
    EXPECT_EQ(Messages.back(), "Done");
    EXPECT_EQ(StatusText(), "Done");

    // A second confirmation: the include masks in force, the command removed.
    Reply(true, [&](TfrmOptions& d) {
        filled = {d.chkOpen->isChecked() ? "checked" : "cleared", d.edLinesLimit->text()};
        d.chkOpen->setChecked(false);
        d.chkInclude->setChecked(true);
        d.edInclude->setText(QStringLiteral("main"));
    });
    RunOptions();
    EXPECT_EQ(filled, QStringList({"checked", "8"}));
    EXPECT_EQ(Stored("DoInclude").toInt(), 1);
    EXPECT_EQ(Stored("Include").toString(), "main");
    EXPECT_EQ(ListedFiles(), QStringList({"src/main.c"}));
    EXPECT_FALSE(IsFolderCommandRegistered());
    EXPECT_FALSE(QFile::exists(Home.EntryPath()));
}

TEST_F(OptionsCommand, CancelChangesNothingNotEvenTheFolderCommand) {
    Store({{"CVSPath", QStringLiteral("/usr/local/cvs")},
           {"LinesLimit", 5},
           {"DoInclude", 1},
           {"Include", QStringLiteral("t")}});
    // Another copy of the program has registered the command.
    const QString otherCopy = QStringLiteral("/elsewhere/quillon");
    ASSERT_TRUE(RegisterFolderCommand(true, otherCopy));
    CreateWindow();
    LoadLog();
    Select(2, 1);
    const QByteArray store = ReadAll(Home.StorePath());
    const QByteArray entry = ReadAll(Home.EntryPath());
    const QStringList files = ListedFiles();
    const QString author = MainViews(*Window).cbxAuthors->currentText();
    ASSERT_FALSE(store.isEmpty());
    ASSERT_FALSE(entry.isEmpty());

    bool shownChecked = true;
    Reply(false, [&](TfrmOptions& d) {
        shownChecked = d.chkOpen->isChecked();
        d.chkOpen->setChecked(true);
        d.edCVS->setText(QStringLiteral("/x"));
        d.edLinesLimit->setValue(50);
        d.chkInclude->setChecked(false);
        d.edInclude->setText(QStringLiteral("y"));
        d.chkExclude->setChecked(true);
        d.edExclude->setText(QStringLiteral("z"));
    });
    RunOptions();
    EXPECT_EQ(OptionsShown, 1);
    EXPECT_FALSE(shownChecked);
    EXPECT_EQ(ReadAll(Home.StorePath()), store);
    EXPECT_EQ(ReadAll(Home.EntryPath()), entry);
    EXPECT_EQ(Window->Settings.CVSPath, "/usr/local/cvs");
    EXPECT_EQ(Window->Settings.LinesLimit, 5);
    EXPECT_TRUE(Window->Settings.DoInclude);
    EXPECT_EQ(Window->Settings.Include, "t");
    EXPECT_FALSE(Window->Settings.DoExclude);
    EXPECT_TRUE(Window->Settings.Exclude.isEmpty());
    EXPECT_EQ(MainViews(*Window).cbxFilter->itemText(2), FewChangesText.arg(5));
    EXPECT_EQ(MainViews(*Window).cbxAuthors->currentText(), author);
    EXPECT_EQ(ListedFiles(), files);
    EXPECT_TRUE(Messages.isEmpty());

    // OK with the box left cleared removes the other copy's command.
    Reply(true, [](TfrmOptions&) {});
    RunOptions();
    EXPECT_FALSE(QFile::exists(Home.EntryPath()));
    EXPECT_EQ(MainViews(*Window).cbxAuthors->currentIndex(), 0);
}

TEST_F(OptionsCommand, StoredLimitAboveTheRangeShowsAndStoresTheBound) {
    Store({{"LinesLimit", 500}});
    CreateWindow();
    EXPECT_EQ(Window->Settings.LinesLimit, 500);
    EXPECT_EQ(MainViews(*Window).cbxFilter->itemText(2), FewChangesText.arg(500));
    MainViews(*Window).cbxFilter->setCurrentIndex(2);

    QString shown;
    Reply(true, [&](TfrmOptions& d) { shown = d.edLinesLimit->text(); });
    RunOptions();
    EXPECT_EQ(shown, "100");
    EXPECT_EQ(Stored("LinesLimit").toInt(), 100);
    EXPECT_EQ(Window->Settings.LinesLimit, 100);
    EXPECT_EQ(MainViews(*Window).cbxFilter->itemText(2), FewChangesText.arg(100));
    EXPECT_EQ(MainViews(*Window).cbxFilter->currentIndex(), 2);
    // With no folder open the views stay empty.
    EXPECT_EQ(Window->FilesModel().rowCount(), 0);
}

TEST_F(OptionsCommand, StoredTextsLongerThanAnEditsDefaultLimitSurviveOk) {
    const QString mask = QString(40000, 'm') + QStringLiteral("*.c");
    Store({{"Include", mask}, {"Exclude", mask}, {"CVSPath", mask}});
    CreateWindow();
    Reply(true, [](TfrmOptions&) {});
    RunOptions();
    EXPECT_EQ(Stored("Include").toString(), mask);
    EXPECT_EQ(Stored("Exclude").toString(), mask);
    EXPECT_EQ(Stored("CVSPath").toString(), mask);
}

TEST_F(OptionsCommand, OptionsAndAboutAreRefusedWhileBusy) {
    CreateWindow();
    Reply(false, [](TfrmOptions& d) { d.edCVS->setText(QStringLiteral("/typed")); });

    Window->SetActivity(TActivity::Working);
    Window->miOptionsClick();
    Window->miAboutClick();
    EXPECT_EQ(OptionsShown, 0);
    EXPECT_EQ(AboutShown, 0);
    EXPECT_TRUE(Dialog->edCVS->text().isEmpty()); // not even filled
    Window->SetActivity(TActivity::Idle);

    // While a log is being loaded.
    QSignalSpy finished(Window.get(), &TfrmMain::loadFinished);
    Window->OpenLogFile(QStringLiteral(QUILLON_TEST_DATA "/real-cvs.log"));
    Window->miOptionsClick();
    Window->miAboutClick();
    EXPECT_EQ(OptionsShown, 0);
    EXPECT_EQ(AboutShown, 0);
    ASSERT_TRUE(finished.wait(30000));

    Window->miOptionsClick();
    Window->miAboutClick();
    EXPECT_EQ(OptionsShown, 1);
    EXPECT_EQ(AboutShown, 1);
    EXPECT_EQ(Dialog->edCVS->text(), "/typed");
}

TEST_F(OptionsCommand, ReportsSettingsThatCouldNotBeSavedAndStillRebuilds) {
    // The store's file is taken by a folder (permission bits would not stop
    // a test run as root).
    ASSERT_TRUE(QDir().mkpath(Home.StorePath()));
    CreateWindow();
    LoadLog();
    Select(2, 1);
    Reply(true, [](TfrmOptions& d) { d.edLinesLimit->setValue(9); });
    RunOptions();
    EXPECT_TRUE(QFileInfo(Home.StorePath()).isDir());
    EXPECT_EQ(Window->Settings.LinesLimit, 9);
    EXPECT_EQ(MainViews(*Window).cbxFilter->itemText(2), FewChangesText.arg(9));
    EXPECT_EQ(MainViews(*Window).cbxAuthors->currentIndex(), 0);
    EXPECT_EQ(ListedFiles(),
              QStringList({"README.txt", "notes with blank.txt", "old.txt", "src/main.c"}));
    ASSERT_FALSE(Messages.isEmpty());
    EXPECT_EQ(Messages.back(), "Settings could not be saved");
    EXPECT_EQ(StatusText(), "Settings could not be saved");
}
