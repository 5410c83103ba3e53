#include "FolderCommand.h"
#include "Selectors.h"
#include "TestHome.h"
#include "fMain.h"
#include "fOptions.h"

#include "DisplayText.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace quillon;
using namespace quillon::test;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The direct child of window that holds the keyboard focus.
QString FocusedControl(QWidget* window) {
    QWidget* focus = QApplication::focusWidget();
    while (focus && focus->parentWidget() != window)
        focus = focus->parentWidget();
    return focus ? focus->objectName() : QString();
}

// The dialog by itself, shown at its design size.
class OptionsDialog : public ::testing::Test {
protected:
    void SetUp() override {
        Dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dialog));
    }
    TfrmOptions Dialog;
};

// The main window with the Options dialog, over a temporary settings store
// and data folder. ShowOptions runs Answer instead of the modal loop.
class OptionsCommand : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Home.IsValid());
        ASSERT_EQ(OpenSettingsStore()->fileName(), Home.StorePath());
        Busy = false;
    }
    void TearDown() override { Busy = false; }

    // Puts values into the store before the window loads it.
    void Store(std::initializer_list<std::pair<const char*, QVariant>> values) {
        auto store = OpenSettingsStore();
        for (const auto& [name, value] : values)
            store->setValue(QString::fromLatin1(name), value);
        store->sync();
        ASSERT_EQ(store->status(), QSettings::NoError);
    }

    void CreateWindow() {
        Window = std::make_unique<TfrmMain>();
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
        ASSERT_TRUE(Window->RCSFiles);
        ASSERT_EQ(Window->RCSFiles->FileCount(), 4u);
    }

    // Chooses a filter entry and an author the way the selectors do.
    void Select(int filter, int author) {
        Window->cbxFilter->setCurrentIndex(filter);
        Window->cbxAuthors->setCurrentIndex(author);
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
            QTest::qWait(100);
        EXPECT_EQ(filtered.count(), Answered ? 1 : 0);
    }

    QStringList ListedFiles() {
        QStringList names;
        for (int row = 0; row < Window->FilesModel().rowCount(); ++row)
            names.append(DisplayText(Window->FilesModel().FileAt(row)->WorkingFile));
        return names;
    }

    int SelectedFileRow() {
        const QModelIndexList rows = Window->lvFiles->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.front().row() : -1;
    }

    TRCSFile* File(const char* name) {
        for (TRCSFile& file : Window->RCSFiles->Files())
            if (file.WorkingFile == name)
                return &file;
        return nullptr;
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
    std::unique_ptr<TfrmMain> Window;
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

TEST_F(OptionsDialog, HasTheControlsTextsAndPlacesOfItsDesign) {
    EXPECT_EQ(Dialog.objectName(), "frmOptions");
    EXPECT_EQ(Dialog.windowTitle(), "Options");
    EXPECT_EQ(Dialog.size(), QSize(423, 256));
    EXPECT_EQ(Dialog.font().pointSize(), 8);

    struct TControl {
        const char* Name;
        QString Text;
        QRect Rect;
        QRect Resized; // after growing the dialog by 100 × 50
    };
    const TControl controls[] = {
        {"chkOpen", "Open folders with Quillon", {8, 10, 406, 17}, {8, 10, 506, 17}},
        {"lblCVS", "CVS executable path", {8, 32, 100, 13}, {8, 32, 100, 13}},
        {"edCVS", "", {8, 48, 385, 21}, {8, 48, 485, 21}},
        {"btnCVS", "...", {393, 48, 21, 21}, {493, 48, 21, 21}},
        {"lblLinesLimit", "Number of lines to consider as few", {8, 80, 165, 13}, {8, 80, 165, 13}},
        {"edLinesLimit", "0", {8, 96, 406, 21}, {8, 96, 506, 21}},
        {"chkInclude",
         "Include files (use ; to separate filters)",
         {8, 122, 406, 17},
         {8, 122, 506, 17}},
        {"edInclude", "", {8, 144, 405, 21}, {8, 144, 505, 21}},
        {"chkExclude",
         "Exclude files (use ; to separate filters)",
         {8, 170, 406, 17},
         {8, 170, 506, 17}},
        {"edExclude", "", {8, 192, 405, 21}, {8, 192, 505, 21}},
        {"btnOk", "OK", {259, 223, 75, 25}, {359, 273, 75, 25}},
        {"btnCancel", "Cancel", {339, 223, 75, 25}, {439, 273, 75, 25}},
    };
    // Labels grow to their text where the design's box is too small for it.
    auto expectPlaced = [&](QWidget* widget, const QRect& rect) {
        const std::string name = widget->objectName().toStdString();
        if (qobject_cast<QLabel*>(widget)) {
            EXPECT_EQ(widget->pos(), rect.topLeft()) << name;
            EXPECT_EQ(widget->size(), rect.size().expandedTo(widget->sizeHint())) << name;
        } else {
            EXPECT_EQ(widget->geometry(), rect) << name;
        }
    };
    for (const TControl& control : controls) {
        auto* widget = Dialog.findChild<QWidget*>(QString::fromLatin1(control.Name));
        ASSERT_NE(widget, nullptr) << control.Name;
        EXPECT_EQ(widget->parentWidget(), &Dialog) << control.Name;
        QString text;
        if (auto* button = qobject_cast<QAbstractButton*>(widget))
            text = button->text();
        else if (auto* label = qobject_cast<QLabel*>(widget))
            text = label->text();
        else if (auto* edit = qobject_cast<QLineEdit*>(widget))
            text = edit->text();
        else if (auto* spin = qobject_cast<QSpinBox*>(widget))
            text = spin->text();
        EXPECT_EQ(text, control.Text) << control.Name;
        expectPlaced(widget, control.Rect);
    }
    EXPECT_EQ(Dialog.findChild<QWidget*>(QStringLiteral("udLinesLimit")), nullptr);
    EXPECT_EQ(Dialog.edLinesLimit->minimum(), 0);
    EXPECT_EQ(Dialog.edLinesLimit->maximum(), 100);
    EXPECT_EQ(Dialog.edLinesLimit->singleStep(), 1);
    EXPECT_TRUE(Dialog.btnOk->isDefault());
    EXPECT_FALSE(Dialog.btnCancel->isDefault());

    // The controls keep their distances to the edges they are anchored to.
    Dialog.resize(523, 306);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Dialog.size() == QSize(523, 306); }));
    QTest::qWait(20);
    for (const TControl& control : controls)
        expectPlaced(Dialog.findChild<QWidget*>(QString::fromLatin1(control.Name)),
                     control.Resized);
    // It does not shrink below its design.
    EXPECT_EQ(Dialog.minimumSize(), QSize(423, 256));
}

TEST_F(OptionsDialog, TabsThroughItsControlsInRowOrder) {
    Dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Dialog));
    Dialog.chkOpen->setFocus();
    QStringList order{FocusedControl(&Dialog)};
    for (int i = 0; i < 10; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.append(FocusedControl(&Dialog));
    }
    EXPECT_EQ(order,
              QStringList({"chkOpen", "edCVS", "btnCVS", "edLinesLimit", "chkInclude", "edInclude",
                           "chkExclude", "edExclude", "btnOk", "btnCancel", "chkOpen"}));
}

TEST_F(OptionsDialog, ClosesWithOkOnlyThroughOkOrEnter) {
    Dialog.hide();
    struct TWay {
        const char* Name;
        std::function<void()> Close;
        int Result;
    };
    const TWay ways[] = {
        {"OK button", [&] { QTest::mouseClick(Dialog.btnOk, Qt::LeftButton); }, QDialog::Accepted},
        {"Enter in an edit", [&] { QTest::keyClick(Dialog.edInclude, Qt::Key_Return); },
         QDialog::Accepted},
        {"Enter in the number", [&] { QTest::keyClick(Dialog.edLinesLimit, Qt::Key_Return); },
         QDialog::Accepted},
        {"Cancel button", [&] { QTest::mouseClick(Dialog.btnCancel, Qt::LeftButton); },
         QDialog::Rejected},
        {"Escape", [&] { QTest::keyClick(Dialog.edCVS, Qt::Key_Escape); }, QDialog::Rejected},
        {"close box", [&] { Dialog.close(); }, QDialog::Rejected},
    };
    for (const TWay& way : ways) {
        Dialog.open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Dialog)) << way.Name;
        QSignalSpy finished(&Dialog, &QDialog::finished);
        way.Close();
        ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() == 1; }, 2000)) << way.Name;
        EXPECT_EQ(finished.front().front().toInt(), way.Result) << way.Name;
        EXPECT_FALSE(Dialog.isVisible()) << way.Name;
    }
}

TEST_F(OptionsDialog, NumberEditTakesOnlyValuesOfItsRange) {
    Dialog.edLinesLimit->setValue(500);
    EXPECT_EQ(Dialog.edLinesLimit->value(), 100);
    Dialog.edLinesLimit->setValue(-3);
    EXPECT_EQ(Dialog.edLinesLimit->value(), 0);
    Dialog.edLinesLimit->setValue(42);
    Dialog.edLinesLimit->setFocus();
    Dialog.edLinesLimit->selectAll();
    QTest::keyClicks(Dialog.edLinesLimit, QStringLiteral("250")); // "25" taken, "0" refused
    EXPECT_EQ(Dialog.edLinesLimit->value(), 25);
    QTest::keyClick(Dialog.edLinesLimit, Qt::Key_Up);
    EXPECT_EQ(Dialog.edLinesLimit->value(), 26);
}

TEST_F(OptionsDialog, FolderButtonPreselectsAnExistingFolderOnly) {
    QTemporaryDir existing;
    QStringList starts;
    QString choice;
    Dialog.SetFolderChooser([&](const QString& start) {
        starts.append(start);
        return choice;
    });

    Dialog.edCVS->setText(existing.path());
    QTest::mouseClick(Dialog.btnCVS, Qt::LeftButton);
    EXPECT_EQ(Dialog.edCVS->text(), existing.path()); // cancelled

    Dialog.edCVS->setText(QStringLiteral("/no/such/folder"));
    Dialog.btnCVSClick();
    EXPECT_EQ(Dialog.edCVS->text(), "/no/such/folder");

    Dialog.edCVS->clear();
    choice = existing.path();
    Dialog.btnCVSClick();
    EXPECT_EQ(Dialog.edCVS->text(), existing.path());
    EXPECT_EQ(starts, QStringList({existing.path(), QString(), QString()}));
}

TEST_F(OptionsDialog, FolderButtonOpensTheFolderSelection) {
    QTemporaryDir existing;
    Dialog.edCVS->setText(existing.path());
    QString title, folder;
    bool dirsOnly = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* chooser = qobject_cast<QFileDialog*>(widget);
                chooser && chooser->isVisible()) {
                title = chooser->windowTitle();
                folder = chooser->directory().absolutePath();
                dirsOnly = chooser->testOption(QFileDialog::ShowDirsOnly) &&
                           chooser->fileMode() == QFileDialog::Directory;
                chooser->reject();
            }
    });
    poll.start(20);
    Dialog.btnCVSClick();
    poll.stop();
    EXPECT_EQ(title, "Select CVS executable folder");
    EXPECT_EQ(folder, QDir(existing.path()).absolutePath());
    EXPECT_TRUE(dirsOnly);
    EXPECT_EQ(Dialog.edCVS->text(), existing.path());
}

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
    ASSERT_NE(File("src/main.c"), nullptr);
    EXPECT_EQ(File("src/main.c")->FewChanges, 2);
    Select(2, 1);
    ASSERT_NE(Window->cbxAuthors->currentText(), "All users");

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
    EXPECT_EQ(Window->Settings.CVSPath, "/opt/cvs bin ");
    EXPECT_EQ(Window->Settings.LinesLimit, 8);
    EXPECT_FALSE(Window->Settings.DoInclude);
    EXPECT_TRUE(Window->Settings.DoExclude);
    EXPECT_TRUE(IsFolderCommandRegistered());

    // The views follow: the counters are recomputed for the new limit, the
    // third filter stays chosen with its new text, the author selector is back
    // at "All users" and the first file is selected.
    EXPECT_EQ(File("src/main.c")->FewChanges, 3);
    EXPECT_EQ(Window->cbxFilter->currentIndex(), 2);
    EXPECT_EQ(Window->cbxFilter->itemText(2), FewChangesText.arg(8));
    EXPECT_EQ(Window->cbxAuthors->currentIndex(), 0);
    EXPECT_EQ(Window->cbxAuthors->currentText(), "All users");
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
    const QString author = Window->cbxAuthors->currentText();
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
    EXPECT_EQ(Window->cbxFilter->itemText(2), FewChangesText.arg(5));
    EXPECT_EQ(Window->cbxAuthors->currentText(), author);
    EXPECT_EQ(ListedFiles(), files);
    EXPECT_TRUE(Messages.isEmpty());

    // OK with the box left cleared removes the other copy's command.
    Reply(true, [](TfrmOptions&) {});
    RunOptions();
    EXPECT_FALSE(QFile::exists(Home.EntryPath()));
    EXPECT_EQ(Window->cbxAuthors->currentIndex(), 0);
}

TEST_F(OptionsCommand, StoredLimitAboveTheRangeShowsAndStoresTheBound) {
    Store({{"LinesLimit", 500}});
    CreateWindow();
    EXPECT_EQ(Window->Settings.LinesLimit, 500);
    EXPECT_EQ(Window->cbxFilter->itemText(2), FewChangesText.arg(500));
    Window->cbxFilter->setCurrentIndex(2);

    QString shown;
    Reply(true, [&](TfrmOptions& d) { shown = d.edLinesLimit->text(); });
    RunOptions();
    EXPECT_EQ(shown, "100");
    EXPECT_EQ(Stored("LinesLimit").toInt(), 100);
    EXPECT_EQ(Window->Settings.LinesLimit, 100);
    EXPECT_EQ(Window->cbxFilter->itemText(2), FewChangesText.arg(100));
    EXPECT_EQ(Window->cbxFilter->currentIndex(), 2);
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

    Busy = true;
    Window->miOptionsClick();
    Window->miAboutClick();
    EXPECT_EQ(OptionsShown, 0);
    EXPECT_EQ(AboutShown, 0);
    EXPECT_TRUE(Dialog->edCVS->text().isEmpty()); // not even filled
    Busy = false;

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
    EXPECT_EQ(Window->cbxFilter->itemText(2), FewChangesText.arg(9));
    EXPECT_EQ(Window->cbxAuthors->currentIndex(), 0);
    EXPECT_EQ(ListedFiles(),
              QStringList({"README.txt", "notes with blank.txt", "old.txt", "src/main.c"}));
    ASSERT_FALSE(Messages.isEmpty());
    EXPECT_EQ(Messages.back(), "Settings could not be saved");
    EXPECT_EQ(StatusText(), "Settings could not be saved");
}
