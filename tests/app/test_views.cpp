// The file list, the revision list and the history list through the filters,
// driven in the real main window offscreen on a saved log.
#include "MainWindowFixture.h"

#include "ReadableText.h"
#include "Selectors.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyleOptionComboBox>
#include <QTableView>

#include <algorithm>
#include <functional>
#include <numeric>
#include <random>

using namespace quillon;
using namespace quillon::test;

namespace {

QByteArray Revision(const char* number, const char* date, const char* author, const char* lines,
                    const char* comment) {
    QByteArray text = QByteArray("----------------------------\nrevision ") + number +
                      "\ndate: " + date + " +0000;  author: " + author + ";  state: Exp;";
    if (*lines)
        text += QByteArray("  lines: ") + lines + ";";
    return text + "\n" + comment + "\n";
}

QByteArray File(const char* name, const QByteArray& revisions) {
    return QByteArray("\nRCS file: /repo/") + name + ",v\nWorking file: " + name +
           "\nhead: 1.1\nbranch:\nlocks: strict\naccess list:\nsymbolic names:\n"
           "keyword substitution: kv\ndescription:\n" +
           revisions +
           "=============================================================================\n";
}

// Four files: their newest revisions by bob, Bob, carol, and none.
QByteArray ViewsLog() {
    return File("src/main.c",
                Revision("1.3", "2004-03-07 09:05:03", "bob", "+3 -1", "Fix the loop.") +
                    Revision("1.2", "2004-03-05 10:00:00", "alice", "+10 -0",
                             "*** empty log message ***") +
                    Revision("1.1", "2004-03-01 08:00:00", "alice", "", "Initial revision")) +
           File("src/test/util_test.c",
                Revision("1.2", "2004-03-07 09:05:03", "Bob", "+4 -1", "") +
                    Revision("1.1", "2004-03-01 08:00:00", "carol", "", "Initial revision")) +
           File("doc/readme.txt", Revision("1.1", "2004-03-02 12:00:00", "carol", "",
                                           "Docs.\nSecond line.\nThird line.")) +
           File("empty.txt", "");
}

class Views : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QFile log(Dir.filePath("views.log"));
        ASSERT_TRUE(log.open(QIODevice::WriteOnly));
        log.write(ViewsLog());
        log.close();
        Window.Settings.LinesLimit = 5;
        Window.Settings.DoInclude = Window.Settings.DoExclude = false;
        Window.OpenLogFile(log.fileName());
        ASSERT_TRUE(WaitForLoad(Window));
    }

    QStringList Column(QAbstractItemModel& model, int column = 0) {
        QStringList texts;
        for (int row = 0; row < model.rowCount(); ++row)
            texts.append(model.index(row, column).data().toString());
        return texts;
    }

    QStringList Files() { return Column(Window.FilesModel()); }

    // The history as "file revision".
    QStringList History() {
        QStringList rows;
        auto& model = Window.HistoryModel();
        for (int row = 0; row < model.rowCount(); ++row)
            rows.append(model.index(row, 0).data().toString() + " " +
                        model.index(row, 1).data().toString());
        return rows;
    }

    void Choose(QComboBox* box, int index) {
        box->setCurrentIndex(index);
        emit box->activated(index);
    }

    void Masks(bool doInclude, const QString& include, bool doExclude, const QString& exclude) {
        Window.Settings.DoInclude = doInclude;
        Window.Settings.Include = include;
        Window.Settings.DoExclude = doExclude;
        Window.Settings.Exclude = exclude;
        Window.FilterFiles();
    }

    QTemporaryDir Dir;
    TTestMainWindow Window;
    QAbstractItemModelTester FilesTester{&Window.FilesModel()};
    QAbstractItemModelTester RevisionsTester{&Window.RevisionsModel()};
    QAbstractItemModelTester HistoryTester{&Window.HistoryModel()};
};

} // namespace

TEST_F(Views, ListsShowEveryFileAndRevisionWithTheirColumns) {
    EXPECT_EQ(Files(),
              QStringList({"src/main.c", "src/test/util_test.c", "doc/readme.txt", "empty.txt"}));
    auto& files = Window.FilesModel();
    QStringList captions;
    for (int c = 0; c < files.columnCount(); ++c)
        captions.append(files.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
    EXPECT_EQ(captions, QStringList({"File name", "Head", "No comments", "No changes",
                                     "Few changes", "Added", "Removed", "Description"}));
    EXPECT_EQ(MainViews(Window).lvFiles->columnWidth(0), 280);
    EXPECT_EQ(Column(files, 2), QStringList({"1", "1", "0", "0"}));
    EXPECT_EQ(Column(files, 3), QStringList({"1", "1", "1", "0"}));
    EXPECT_EQ(Column(files, 4), QStringList({"1", "0", "0", "0"}));
    EXPECT_EQ(Column(files, 5), QStringList({"13", "4", "0", "0"}));
    EXPECT_FALSE(files.index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());

    // The first file is selected; its revisions in log order, the newest selected.
    auto& revisions = Window.RevisionsModel();
    EXPECT_EQ(Column(revisions), QStringList({"1.3", "1.2", "1.1"}));
    EXPECT_EQ(revisions.index(0, 1).data().toString(), "7 Mar 2004 09:05:03");
    EXPECT_EQ(MainViews(Window).mmComments->toPlainText(), "Fix the loop.");
    EXPECT_EQ(MainViews(Window).lvRevisions->selectionModel()->selectedRows().value(0).row(), 0);

    // History: newest first; equal dates keep table order.
    EXPECT_EQ(History(),
              QStringList({"src/main.c 1.3", "src/test/util_test.c 1.2", "src/main.c 1.2",
                           "doc/readme.txt 1.1", "src/main.c 1.1", "src/test/util_test.c 1.1"}));
    EXPECT_EQ(Window.HistoryModel().index(0, 2).data().toString(), "7 Mar 2004 09:05:03");
    EXPECT_EQ(MainViews(Window).mmCommentsHistory->toPlainText(), "Fix the loop.");

    // A three-line comment: three lines in the box, one cell in the list.
    MainViews(Window).lvHistory->selectRow(3);
    EXPECT_EQ(MainViews(Window).mmCommentsHistory->toPlainText(),
              "Docs.\nSecond line.\nThird line.");
    EXPECT_EQ(MainViews(Window).mmCommentsHistory->document()->blockCount(), 3);
    EXPECT_FALSE(Window.HistoryModel().index(3, 7).data().toString().contains('\n'));
    EXPECT_EQ(PanelText(Window, 4), "History: 6");
}

TEST_F(Views, MasksKeepFilesThatHoldEveryIncludeAndNoExcludeMask) {
    Masks(true, "src; test", false, "");
    EXPECT_EQ(Files(), QStringList({"src/test/util_test.c"}));
    EXPECT_EQ(Window.SkippedCount, 3);
    EXPECT_EQ(PanelText(Window, 2), "Skipped: 3");
    EXPECT_EQ(History(), QStringList({"src/test/util_test.c 1.2", "src/test/util_test.c 1.1"}));

    Masks(true, "SRC", false, "");
    EXPECT_TRUE(Files().isEmpty());  // letter case counts
    Masks(true, "s r c", false, ""); // blanks go, also inside a mask
    EXPECT_EQ(Files().size(), 2);
    Masks(true, "*.c", false, ""); // no wildcards
    EXPECT_TRUE(Files().isEmpty());
    Masks(true, ";;", false, "");
    EXPECT_EQ(Files().size(), 4);
    Masks(false, "nothing matches this", false, "");
    EXPECT_EQ(Files().size(), 4);
    Masks(false, "", true, ".txt;doc");
    EXPECT_EQ(Files(), QStringList({"src/main.c", "src/test/util_test.c"}));
    Masks(true, "src", true, "test");
    EXPECT_EQ(Files(), QStringList({"src/main.c"}));
    EXPECT_EQ(Window.SkippedCount, 3);
}

TEST_F(Views, FilterModesSelectFilesByTheirNewestRevisionAndRevisionsByThemselves) {
    Choose(MainViews(Window).cbxFilter, 1); // no comment in the last revision
    EXPECT_EQ(Files(), QStringList({"src/test/util_test.c"}));
    EXPECT_EQ(History(), QStringList({"src/test/util_test.c 1.2"}));
    EXPECT_EQ(Column(Window.RevisionsModel()), QStringList({"1.2"}));
    EXPECT_EQ(MainViews(Window).mmComments->toPlainText(), "");

    Choose(MainViews(Window).cbxFilter, 2); // fewer than 5 lines in the last revision
    EXPECT_EQ(Files(), QStringList({"src/main.c", "doc/readme.txt"}));
    EXPECT_EQ(History(), QStringList({"src/main.c 1.3", "doc/readme.txt 1.1", "src/main.c 1.1"}));

    Window.Settings.LinesLimit = 0;
    Window.CheckLog([this] { Window.FilterFiles(); });
    ASSERT_TRUE(QSignalSpy(&Window, &TfrmMain::filesFiltered).wait(5000));
    EXPECT_TRUE(Files().isEmpty());
    EXPECT_TRUE(History().isEmpty());
    // Nothing listed: no stale revisions or comments stay behind.
    EXPECT_EQ(Window.RevisionsModel().rowCount(), 0);
    EXPECT_TRUE(MainViews(Window).mmComments->toPlainText().isEmpty());
    EXPECT_TRUE(MainViews(Window).mmCommentsHistory->toPlainText().isEmpty());
    EXPECT_EQ(Window.SkippedCount, 4);
}

TEST_F(Views, AuthorFilterIgnoresLetterCase) {
    QStringList authors;
    for (int i = 0; i < MainViews(Window).cbxAuthors->count(); ++i)
        authors.append(MainViews(Window).cbxAuthors->itemText(i));
    EXPECT_EQ(authors, QStringList({"All users", "alice", "bob", "carol"}));

    Choose(MainViews(Window).cbxAuthors, 2); // bob, also spelled Bob
    EXPECT_EQ(Files(), QStringList({"src/main.c", "src/test/util_test.c"}));
    EXPECT_EQ(History(), QStringList({"src/main.c 1.3", "src/test/util_test.c 1.2"}));
    EXPECT_EQ(Column(Window.RevisionsModel()), QStringList({"1.3"}));

    Choose(MainViews(Window).cbxAuthors, 1); // alice wrote no newest revision
    EXPECT_TRUE(Files().isEmpty());
    EXPECT_TRUE(History().isEmpty());

    Choose(MainViews(Window).cbxAuthors, 0);
    EXPECT_EQ(Files().size(), 4);

    // While a command runs, a choice changes the selector but rebuilds nothing.
    Window.SetActivity(TActivity::Working);
    Choose(MainViews(Window).cbxAuthors, 3);
    EXPECT_EQ(Files().size(), 4);
    Window.SetActivity(TActivity::Idle);
}

TEST_F(Views, EveryRebuildSelectsTheFirstFile) {
    MainViews(Window).lvFiles->selectRow(2);
    EXPECT_EQ(Column(Window.RevisionsModel()), QStringList({"1.1"}));
    EXPECT_EQ(MainViews(Window).mmComments->toPlainText(), "Docs.\nSecond line.\nThird line.");
    Choose(MainViews(Window).cbxFilter, 0);
    EXPECT_EQ(MainViews(Window).lvFiles->selectionModel()->selectedRows().value(0).row(), 0);
    EXPECT_EQ(Column(Window.RevisionsModel()), QStringList({"1.3", "1.2", "1.1"}));
    EXPECT_EQ(MainViews(Window).mmComments->toPlainText(), "Fix the loop.");
    EXPECT_EQ(PanelText(Window, 3), "Revisions: 3");

    // A file without revisions gives an empty revision list and comment box.
    MainViews(Window).lvFiles->selectRow(3);
    EXPECT_EQ(Window.RevisionsModel().rowCount(), 0);
    EXPECT_TRUE(MainViews(Window).mmComments->toPlainText().isEmpty());
}

TEST_F(Views, RowsTakeTheirAuthorsColourBoldAndUnderline) {
    EXPECT_EQ(IndexColor(0), QColor(0, 0, 0));
    EXPECT_EQ(IndexColor(1), QColor(128, 0, 0));
    EXPECT_EQ(IndexColor(14), QColor(0, 255, 255));
    EXPECT_EQ(IndexColor(15), QColor(0, 0, 0));
    EXPECT_EQ(IndexColor(16), QColor(128, 0, 0));
    EXPECT_EQ(IndexColor(-1), QColor(0, 0, 0));

    auto colour = [](QAbstractItemModel& model, int row) {
        return model.index(row, 0).data(Qt::ForegroundRole).value<QColor>();
    };
    auto font = [](QAbstractItemModel& model, int row) {
        return model.index(row, 0).data(Qt::FontRole).value<QFont>();
    };
    auto& files = Window.FilesModel();
    EXPECT_EQ(colour(files, 0), QColor(0, 128, 0));   // bob: position 2, green
    EXPECT_EQ(colour(files, 1), QColor(0, 128, 0));   // Bob shares bob's colour
    EXPECT_EQ(colour(files, 2), QColor(128, 128, 0)); // carol: olive
    EXPECT_EQ(colour(files, 3), QColor(0, 0, 0));     // no revisions: black, regular
    EXPECT_FALSE(font(files, 3).bold());
    EXPECT_FALSE(font(files, 3).underline());
    EXPECT_TRUE(font(files, 0).underline()); // 3 + 1 lines < 5
    EXPECT_FALSE(font(files, 0).bold());
    EXPECT_TRUE(font(files, 1).bold());       // no comment
    EXPECT_FALSE(font(files, 1).underline()); // 4 + 1 lines

    auto& history = Window.HistoryModel(); // main.c 1.3, util 1.2, main.c 1.2, readme 1.1, ...
    EXPECT_EQ(colour(history, 2), QColor(128, 0, 0)); // alice
    EXPECT_TRUE(font(history, 2).bold());             // emptied "*** empty log message ***"
    EXPECT_FALSE(font(history, 2).underline());       // 10 lines
    EXPECT_TRUE(font(history, 3).underline());        // an initial revision: 0 lines
    EXPECT_EQ(history.index(0, 5).data(Qt::FontRole).value<QFont>(), font(history, 0));

    // The selectors are drawn as the legend of the lists.
    EXPECT_TRUE(MainViews(Window).cbxFilter->itemData(1, Qt::FontRole).value<QFont>().bold());
    EXPECT_TRUE(MainViews(Window).cbxFilter->itemData(2, Qt::FontRole).value<QFont>().underline());
    EXPECT_FALSE(MainViews(Window).cbxFilter->itemData(0, Qt::FontRole).isValid());
    EXPECT_EQ(MainViews(Window).cbxAuthors->itemData(2, Qt::ForegroundRole).value<QColor>(),
              QColor(0, 128, 0));
    EXPECT_EQ(MainViews(Window).cbxAuthors->itemData(0, Qt::ForegroundRole).value<QColor>(),
              QColor(0, 0, 0));

    // A lower limit re-evaluates the underline at once.
    Window.Settings.LinesLimit = 0;
    Window.FilterFiles();
    EXPECT_FALSE(Window.HistoryModel().index(3, 0).data(Qt::FontRole).value<QFont>().underline());
}

TEST_F(Views, ClosedSelectorsShowTheirEntryAsTheListDrawsIt) {
    Window.resize(796, 640);
    Window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window));
    MainViews(Window).cbxAuthors->setCurrentIndex(2);
    const QImage closed = MainViews(Window).cbxAuthors->grab().toImage();
    int green = 0;
    for (int y = 0; y < closed.height(); ++y)
        for (int x = 0; x < closed.width(); ++x)
            if (const QColor c = closed.pixelColor(x, y);
                c.green() > c.red() + 40 && c.green() > c.blue() + 40)
                ++green;
    EXPECT_GT(green, 5); // "bob" in green
    MainViews(Window).cbxAuthors->setCurrentIndex(0);
    int greenAfter = 0;
    const QImage allUsers = MainViews(Window).cbxAuthors->grab().toImage();
    for (int y = 0; y < allUsers.height(); ++y)
        for (int x = 0; x < allUsers.width(); ++x)
            if (const QColor c = allUsers.pixelColor(x, y);
                c.green() > c.red() + 40 && c.green() > c.blue() + 40)
                ++greenAfter;
    EXPECT_EQ(greenAfter, 0); // "All users" in black
}

// On a dark palette the author colours too close to the background are
// lightened where they are drawn; the lists' data keep them as they are.
TEST_F(Views, AuthorColoursStayReadableOnADarkPalette) {
    const QColor dark(30, 30, 30), light(Qt::white);
    for (const QRgb author : AuthorColors)
        for (const QColor& background : {dark, light})
            EXPECT_GE(Contrast(ReadableColor(author, background), background), MinimumTextContrast)
                << QColor(author).name().toStdString() << " on " << background.name().toStdString();
    EXPECT_EQ(ReadableColor(QColor(255, 255, 0), dark), QColor(255, 255, 0));
    EXPECT_EQ(ReadableColor(QColor(0, 0, 0), light), QColor(0, 0, 0));

    QPalette palette;
    palette.setColor(QPalette::Base, dark);
    palette.setColor(QPalette::Window, dark);
    Window.setPalette(palette);
    Window.resize(796, 640);
    Window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window));
    auto lightPixels = [](QWidget* widget, QRect area) {
        const QImage image = widget->grab(area).toImage();
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += image.pixelColor(x, y).lightness() > 100;
        return count;
    };
    // The file without revisions: black, on the Revisions count.
    QTableView* files = MainViews(Window).lvFiles;
    files->clearSelection();
    const QModelIndex black = Window.FilesModel().index(3, 1);
    EXPECT_EQ(black.data(Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 0));
    EXPECT_GT(lightPixels(files->viewport(), files->visualRect(black).adjusted(2, 2, -2, -2)), 5);
    // "All users" in the closed author selector.
    TOwnerDrawnSelector* authors = MainViews(Window).cbxAuthors;
    authors->setCurrentIndex(0);
    QStyleOptionComboBox box;
    box.initFrom(authors);
    const QRect field = authors->style()->subControlRect(QStyle::CC_ComboBox, &box,
                                                         QStyle::SC_ComboBoxEditField, authors);
    EXPECT_GT(lightPixels(authors, field.adjusted(1, 1, -1, -1)), 5);
}

// The row images are drawn at the screen's scale, not enlarged.
TEST(RowImages, AreSharpAtTwiceTheSize) {
    for (const QIcon& image : {FileRowImage(), RevisionRowImage()}) {
        const QPixmap scaled = image.pixmap(QSize(16, 16), 2.0);
        EXPECT_EQ(scaled.size(), QSize(32, 32));
        EXPECT_EQ(scaled.devicePixelRatio(), 2.0);
    }
}

// Find marks its text only in the cells it looks in: the author "alice",
// not the month "Mar" of the same row's date.
TEST_F(Views, FindMarksTheTextOnlyWhereItLooks) {
    QTableView* list = MainViews(Window).lvHistory;
    auto& model = Window.HistoryModel();
    MainViews(Window).PageControl->setCurrentIndex(1);
    Window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window));
    QSignalSpy found(&Window, &TfrmMain::findFinished);
    Window.miFindClick();
    Window.findChild<QLineEdit*>(QStringLiteral("edFind"))->setText(QStringLiteral("a"));
    ASSERT_TRUE(found.wait());
    int row = 0;
    while (row < model.rowCount() &&
           model.index(row, TRevisionListModel::Author).data().toString() != "alice")
        ++row;
    ASSERT_LT(row, model.rowCount());
    ASSERT_TRUE(model.index(row, TRevisionListModel::Date).data().toString().contains("Mar"));
    const QImage shown = list->viewport()->grab().toImage();
    auto marked = [&](int column) {
        const QRect cell = list->visualRect(model.index(row, column));
        int pixels = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                pixels += shown.pixelColor(x, y) == QColor(255, 221, 51);
        return pixels;
    };
    EXPECT_GT(marked(TRevisionListModel::Author), 5);
    EXPECT_EQ(marked(TRevisionListModel::Date), 0);
}

// A click on a column's header sorts the list by it, numbers as numbers and
// dates as dates, a second click reverses the order; the selected revision
// stays selected, and the sort holds for the rows of a new filter.
TEST_F(Views, HeaderClicksSortKeepingTheSelectedRow) {
    QTableView* list = MainViews(Window).lvHistory;
    auto& model = Window.HistoryModel();
    MainViews(Window).PageControl->setCurrentIndex(1);
    Window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window));
    auto click = [&](int column) {
        QSignalSpy sorted(&model, &TSortableModel::sorted);
        QHeaderView* header = list->horizontalHeader();
        QTest::mouseClick(
            header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
        ASSERT_TRUE(sorted.wait());
    };
    auto selected = [&] {
        const QModelIndexList rows = list->selectionModel()->selectedRows();
        return rows.size() == 1 ? History().value(rows.front().row()) : QString();
    };
    auto datesAscending = [&] {
        std::vector<double> dates;
        for (int row = 0; row < model.rowCount(); ++row)
            dates.push_back(model.RevisionAt(row)->Date);
        return std::is_sorted(dates.begin(), dates.end());
    };
    list->selectRow(2);
    ASSERT_EQ(selected(), "src/main.c 1.2");

    click(TRevisionListModel::Added);
    EXPECT_EQ(Column(model, TRevisionListModel::Added),
              QStringList({"0", "0", "0", "3", "4", "10"}));
    EXPECT_EQ(selected(), "src/main.c 1.2");
    click(TRevisionListModel::Added);
    EXPECT_EQ(Column(model, TRevisionListModel::Added),
              QStringList({"10", "4", "3", "0", "0", "0"}));
    EXPECT_EQ(selected(), "src/main.c 1.2");
    click(TRevisionListModel::Date);
    EXPECT_TRUE(datesAscending());
    EXPECT_EQ(selected(), "src/main.c 1.2");

    QSignalSpy sorted(&model, &TSortableModel::sorted);
    Window.FilterFiles();
    ASSERT_TRUE(sorted.wait());
    EXPECT_TRUE(datesAscending());

    EXPECT_TRUE(TRevisionKey{"1.9"} < TRevisionKey{"1.10"});
    EXPECT_TRUE(TRevisionKey{"1.2"} < TRevisionKey{"1.2.2.1"});
    EXPECT_FALSE(TRevisionKey{"1.10"} < TRevisionKey{"1.9"});
}

// The fast orders of texts and revision numbers agree with a plain stable
// sort: long shared beginnings, duplicates, bytes above 127, parts past 16
// bits, more than four parts, leading zeros; ties keep their order both ways.
TEST(SortOrders, AgreeWithAPlainStableSort) {
    std::mt19937 random(7);
    auto check = [&](const std::vector<std::string>& pool, TTextOrder by, auto less) {
        std::vector<std::string_view> texts;
        for (int i = 0; i < 3000; ++i)
            texts.push_back(pool[random() % pool.size()]);
        for (const bool descending : {false, true}) {
            std::vector<std::uint32_t> expected(texts.size());
            std::iota(expected.begin(), expected.end(), 0u);
            std::stable_sort(
                expected.begin(), expected.end(), [&](std::uint32_t a, std::uint32_t b) {
                    return descending ? less(texts[b], texts[a]) : less(texts[a], texts[b]);
                });
            EXPECT_EQ(TextOrder(texts, descending, by), expected) << descending;
        }
    };
    check({"", "a", "ab", "src/common/prefix/file1.c", "src/common/prefix/file2.c",
           "src/common/prefix/file1.c.orig", "\xc3\xa9t\xc3\xa9", "Zed", "zed",
           std::string("a\0b", 3)},
          TTextOrder::Bytes, std::less<std::string_view>());
    check({"1.1", "1.2", "1.9", "1.10", "01.3", "1.3", "1.2.2.1", "1.2.2.10", "1.65534", "1.65535",
           "1.70000", "1.2.3.4", "1.2.3.4.5", "1.2.3.4.6", "2.1"},
          TTextOrder::RevisionNumbers, [](std::string_view a, std::string_view b) {
              const std::vector<long> x = RevisionParts(a), y = RevisionParts(b);
              return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end());
          });
}
