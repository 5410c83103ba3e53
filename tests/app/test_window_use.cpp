// The main window as a person uses it: the keyboard, the status bar at the
// smallest size, columns wide enough for their texts, the author drop-down,
// fields too large to show whole, and the layout it is left with.
#include "MainWindowFixture.h"
#include "TestHome.h"

#include "CellText.h"
#include "CommentBox.h"
#include "ListModels.h"
#include "Selectors.h"
#include "WindowLayout.h"
#include "Windows.h"
#include "WorkerPool.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QTimer>

#include <tuple>
#include <vector>

using namespace quillon;
using namespace quillon::test;

namespace {

const QByteArray LongComment = QByteArray(25000, 'c');
const QByteArray LongAuthor = QByteArray(3000, 'a');
const QByteArray LongName = QByteArray(2000, 'n');

QByteArray Log() {
    auto file = [](const QByteArray& name, const QByteArray& author, const QByteArray& comment) {
        return "\nRCS file: /repo/" + name + ",v\nWorking file: " + name +
               "\nhead: 1.151\nbranch:\nlocks: strict\naccess list:\nsymbolic names:\n"
               "keyword substitution: kv\ndescription:\n"
               "----------------------------\nrevision 1.151\n"
               "date: 2004-12-17 19:05:03 +0000;  author: " +
               author + ";  state: Exp;  lines: +3 -1\n" + comment +
               "\n----------------------------\nrevision 1.150\n"
               "date: 2004-03-01 08:00:00 +0000;  author: bob;  state: Exp;\nFirst.\n"
               "=============================================================================\n";
    };
    return file("main.c", "bob", "Fix the loop.") + file(LongName, LongAuthor, LongComment);
}

class WindowUse : public ::testing::Test {
protected:
    void SetUp() override {
        QFile log(Dir.filePath("use.log"));
        ASSERT_TRUE(log.open(QIODevice::WriteOnly));
        log.write(Log());
        log.close();
        Window.OpenLogFile(log.fileName());
        ASSERT_TRUE(WaitForLoad(Window));
    }
    void ShowActive() {
        Window.show();
        Window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    }
    template <typename T> T* Find(const char* name) {
        return Window.findChild<T*>(QString::fromLatin1(name));
    }

    QTemporaryDir Dir;
    TfrmMain Window;
    TStatusRecorder Status{Window};
};

} // namespace

TEST_F(WindowUse, EnterOnAListRowDoesWhatADoubleClickDoes) {
    ShowActive();
    for (const char* name : {"lvFiles", "lvRevisions", "lvHistory"}) {
        auto* list = Find<QTableView>(name);
        Find<QTabWidget>("PageControl")->setCurrentIndex(list == Find<QTableView>("lvHistory"));
        list->setFocus();
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
            Status.Messages.clear();
            QTest::keyClick(list, key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            EXPECT_EQ(Status.Messages, QStringList{"No working folder to compare in"}) << name;
        }
    }
}

TEST_F(WindowUse, MenusOpenWithAltAndTheirLetterAndCommandsHaveShortcuts) {
    ShowActive();
    for (const auto& [key, name] : {std::pair(Qt::Key_F, "miFile"), std::pair(Qt::Key_V, "miView"),
                                    std::pair(Qt::Key_Question, "miHelp")}) {
        QMenu* menu = Find<QMenu>(name);
        QTest::keyClick(&Window, key, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); })) << name;
        menu->close();
    }

    auto* options = Find<QAction>("miOptions");
    ASSERT_FALSE(options->shortcut().isEmpty());
    QSignalSpy optionsChosen(options, &QAction::triggered);
    QTest::keySequence(&Window, options->shortcut());
    EXPECT_EQ(optionsChosen.count(), 1);

    auto* openLog = Find<QAction>("miOpenLog");
    EXPECT_EQ(openLog->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    QSignalSpy opened(openLog, &QAction::triggered);
    QTimer::singleShot(0, [] {
        if (QWidget* dialog = QApplication::activeModalWidget())
            dialog->close();
    });
    QTest::keySequence(&Window, openLog->shortcut());
    EXPECT_EQ(opened.count(), 1);
}

TEST_F(WindowUse, AShortMessageIsWholeAtTheSmallestSize) {
    Window.resize(Window.minimumSize());
    ShowActive();
    auto* panel = Window.statusBar()->findChild<QLabel*>(QStringLiteral("StatusPanel5"));
    for (const QString& message : {QStringLiteral("Done"), QString(300, 'x')}) {
        Window.ShowStatus(message);
        QApplication::processEvents();
        EXPECT_LE(panel->mapTo(&Window, panel->rect().bottomRight()).x(), Window.width() - 1);
    }
    Window.ShowStatus(QStringLiteral("Done"));
    QApplication::processEvents();
    EXPECT_GE(panel->contentsRect().width(), panel->fontMetrics().horizontalAdvance("Done"));
}

TEST_F(WindowUse, ColumnsFitTheirHeadersAndValuesAndTheLastTakesTheRest) {
    ShowActive();
    // The columns of revision numbers and dates, by list, and its page.
    const std::tuple<const char*, std::vector<int>, int> lists[] = {
        {"lvFiles", {1}, 0}, {"lvRevisions", {0, 1}, 0}, {"lvHistory", {1, 2}, 1}};
    for (const auto& [name, values, page] : lists) {
        Find<QTabWidget>("PageControl")->setCurrentIndex(page);
        auto* list = Find<QTableView>(name);
        QHeaderView* header = list->horizontalHeader();
        const int last = header->count() - 1;
        for (int column = 0; column < last; ++column)
            EXPECT_GE(list->columnWidth(column), header->sectionSizeHint(column))
                << name << " " << column;
        for (const int column : values)
            EXPECT_GE(list->columnWidth(column),
                      static_cast<QAbstractItemView*>(list)->sizeHintForColumn(column))
                << name << " " << column;
        // No empty room after the last column.
        EXPECT_GE(header->sectionViewportPosition(last) + header->sectionSize(last),
                  list->viewport()->width())
            << name;
    }
}

TEST_F(WindowUse, TheAuthorDropDownShowsEightEntriesAndScrolls) {
    ShowActive();
    TOwnerDrawnSelector selector(&Window);
    for (int i = 0; i < 30; ++i)
        selector.addItem(QStringLiteral("author %1").arg(i));
    selector.setMaxVisibleItems(8);
    selector.show();
    selector.showPopup();
    QAbstractItemView* list = selector.view();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }));
    EXPECT_LE(list->viewport()->height(), 8 * list->sizeHintForRow(0));
    EXPECT_GT(list->verticalScrollBar()->maximum(), 0);
    selector.hidePopup();
}

TEST_F(WindowUse, CellsAndSelectorsShowTheBeginningOfHugeFields) {
    auto& history = Window.HistoryModel();
    int huge = -1;
    for (int row = 0; row < history.rowCount(); ++row)
        if (history.index(row, 3).data().toString().startsWith('a'))
            huge = row;
    ASSERT_GE(huge, 0);
    const QString ellipsis(QChar(0x2026));
    EXPECT_EQ(history.index(huge, 0).data().toString(), QString(1000, 'n') + ellipsis);
    EXPECT_EQ(history.index(huge, 3).data().toString(), QString(1000, 'a') + ellipsis);
    EXPECT_EQ(history.index(huge, 7).data().toString(), QString(1000, 'c') + ellipsis);
    EXPECT_EQ(history.index(huge, 7).data(Qt::ToolTipRole).toString(),
              QString(1000, 'c') + ellipsis);
    EXPECT_EQ(Window.FilesModel().index(1, 0).data(Qt::ToolTipRole).toString().size(), 1001);
    EXPECT_EQ(MainViews(Window).cbxAuthors->findText(QString(1000, 'a') + ellipsis), 1);

    // The comment box holds the whole comment, its one line shown as lines
    // short enough to lay out at once.
    Find<QTableView>("lvHistory")->selectRow(huge);
    auto* box = Find<QPlainTextEdit>("mmCommentsHistory");
    EXPECT_EQ(box->document()->blockCount(), 3);
    EXPECT_EQ(box->toPlainText().remove('\n'), QString(LongComment));
}

// A message too long to lay out at once shows its beginning at once and then
// all of it; a newer message wins over one still being built.
TEST(CommentBox, ShowsAHugeMessageWholeAndTheLatestMessageStays) {
    TCommentBox box;
    box.setFont(QFont(QStringLiteral("Courier"), 13));
    QSignalSpy shown(&box, &TCommentBox::commentShown);
    const std::size_t size = TCommentBox::AsyncCommentBytes + 1;
    auto bytes = std::make_shared<const std::string>(size, 'm');
    box.ShowComment(*bytes, bytes);
    bytes.reset(); // the box keeps the bytes while it reads them
    EXPECT_EQ(box.toPlainText(), QString(CellTextLimit, 'm') + CellTextEllipsis);
    ASSERT_TRUE(shown.wait());
    EXPECT_EQ(box.toPlainText(), CommentBoxText(std::string(size, 'm')));
    EXPECT_EQ(box.document()->blockCount(), static_cast<int>(size / CommentBoxLineLimit + 1));
    EXPECT_EQ(box.document()->defaultFont(), box.font());
    box.ShowComment("Fix.", nullptr);
    EXPECT_EQ(box.toPlainText(), "Fix.");

    const std::string huge(size, 'h');
    for (const bool clear : {false, true}) {
        box.ShowComment(huge, nullptr);
        if (clear)
            box.ClearComment();
        else
            box.ShowComment("Newer.", nullptr);
        WorkerPool().waitForDone();
        QCoreApplication::processEvents();
        EXPECT_EQ(box.toPlainText(), clear ? "" : "Newer.");
    }
    EXPECT_EQ(shown.count(), 1);
}

// Closed, the windows keep their layout in the store and open with it again;
// a place off every screen is passed over.
TEST(WindowLayout, TheWindowsOpenAsTheyWereLeft) {
    TTestHome home;
    const QRect place(30, 20, 640, 480), comparisonPlace(60, 40, 500, 300);
    QList<int> sizes;
    QByteArray columns;
    {
        TWindows windows;
        windows.frmMain.setGeometry(place);
        windows.frmMain.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&windows.frmMain));
        auto* split = windows.frmMain.findChild<QSplitter*>(QStringLiteral("splitFiles"));
        split->setSizes({100, split->height() - 100});
        sizes = split->sizes();
        QHeaderView* header = TMainViews(windows.frmMain).lvHistory->horizontalHeader();
        header->moveSection(2, 0);
        header->resizeSection(1, 123);
        columns = header->saveState();
        TMainViews(windows.frmMain).PageControl->setCurrentIndex(2);
        windows.frmMain.findChild<QComboBox*>(QStringLiteral("cbxChart"))->setCurrentIndex(1);
        windows.frmMain.close();
        windows.frmDiff.setGeometry(comparisonPlace);
        windows.frmDiff.show();
        windows.frmDiff.close();
    }
    {
        TWindows windows;
        windows.frmMain.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&windows.frmMain));
        EXPECT_EQ(windows.frmMain.geometry(), place);
        EXPECT_EQ(TMainViews(windows.frmMain).lvHistory->horizontalHeader()->saveState(), columns);
        EXPECT_EQ(windows.frmMain.findChild<QComboBox*>(QStringLiteral("cbxChart"))->currentIndex(),
                  1);
        EXPECT_EQ(windows.frmDiff.geometry(), comparisonPlace);
        QTabWidget* pages = TMainViews(windows.frmMain).PageControl;
        EXPECT_EQ(pages->currentIndex(), 2);
        pages->setCurrentIndex(0); // a page is laid out when it is shown
        auto* split = windows.frmMain.findChild<QSplitter*>(QStringLiteral("splitFiles"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return split->sizes() == sizes; }))
            << split->sizes()[0] << " " << split->sizes()[1];
    }

    const QRect unplaced = TfrmMain().geometry();
    OpenSettingsStore()->setValue(LayoutGroup + QStringLiteral("/frmMain/Geometry"),
                                  QRect(-5000, 20, 640, 480));
    TWindows windows;
    EXPECT_EQ(windows.frmMain.geometry(), unplaced);
    EXPECT_EQ(windows.frmMain.findChild<QComboBox*>(QStringLiteral("cbxChart"))->currentIndex(), 1);
}
