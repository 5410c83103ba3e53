// The comparison window, offscreen: its layout, drawing, strip, navigation and
// copy commands on recorded and made-up comparisons.
#include "fDiff.h"
#include "fPatch.h"

#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>

#include <gtest/gtest.h>

using namespace quillon;

namespace {

std::string Recorded(const QString& name) {
    QFile file(QStringLiteral(QUILLON_TEST_DATA "/diff/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
    return file.readAll().toStdString();
}

const TDiffRequest KindsRequest{"kinds.txt", 3, 3, "1.2", "1.1"};

// The client's six header lines, then lines of the given kinds, each with its
// row number as text: "<" removed, ">" added, "|" changed, " " equal.
std::string Output(const std::string& kinds) {
    std::string output = "Index: a\n=\nRCS file: a,v\nretrieving 1\nretrieving 2\ndiff\n";
    int row = 2;
    for (const char kind : kinds) {
        const std::string left = kind == '>' ? "" : "left " + std::to_string(row);
        const std::string right = kind == '<' ? "" : "right " + std::to_string(row);
        output += left + std::string(499 - left.size(), ' ') + kind + "    " + right + "\n";
        ++row;
    }
    return output;
}

QRgb Pixel(const QImage& image, int x, int y) {
    return image.pixel(x, y) & RGB_MASK;
}

QRgb Rgb(int r, int g, int b) {
    return qRgb(r, g, b) & RGB_MASK;
}

class DiffWindow : public ::testing::Test {
protected:
    void SetUp() override { QGuiApplication::clipboard()->setText(Sentinel); }
    void TearDown() override { Window.hide(); }

    void Load(const std::string& output, const TDiffRequest& request = KindsRequest) {
        Window.LoadDiff(request, output);
    }
    void ShowActive() {
        Window.show();
        Window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
        Window.Grid->setFocus();
    }
    void SelectRows(int anchor, int current) {
        auto* model = Window.Grid->model();
        Window.Grid->selectionModel()->setCurrentIndex(model->index(current, 0),
                                                       QItemSelectionModel::NoUpdate);
        Window.Grid->selectionModel()->select(
            QItemSelection(model->index(std::min(anchor, current), 0),
                           model->index(std::max(anchor, current), 1)),
            QItemSelectionModel::ClearAndSelect);
    }
    QString Clipboard() const { return QGuiApplication::clipboard()->text(); }

    const QString Sentinel = QStringLiteral("left alone");
    TfrmDiff Window;
};

} // namespace

TEST_F(DiffWindow, BeforeTheFirstLoadItHasItsPartsAndDoesNothing) {
    EXPECT_EQ(Window.objectName(), "frmDiff");
    EXPECT_EQ(Window.windowTitle(), "Diff");
    EXPECT_EQ(Window.size(), QSize(756, 577));
    EXPECT_TRUE(Window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(Window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_EQ(Window.findChild<QWidget*>("Paint"), Window.Paint);
    EXPECT_EQ(Window.findChild<QTableView*>("Grid"), Window.Grid);
    ASSERT_EQ(Window.findChild<QMenu*>("PopupMenu"), Window.PopupMenu);

    struct TItem {
        const char* Name;
        const char* Caption;
        QKeySequence Key;
    };
    const TItem items[] = {
        {"miPrev", "Previous changed line", QKeySequence(Qt::SHIFT | Qt::Key_Comma)},
        {"miNext", "Next changed line", QKeySequence(Qt::SHIFT | Qt::Key_Period)},
        {"miPrevChange", "Previous change", QKeySequence(Qt::ALT | Qt::Key_Up)},
        {"miNextChange", "Next change", QKeySequence(Qt::ALT | Qt::Key_Down)},
        {"N1", "", QKeySequence()},
        {"miCopy", "Copy", QKeySequence(Qt::CTRL | Qt::Key_C)},
        {"miCopyLeft", "Copy left", QKeySequence(Qt::CTRL | Qt::Key_L)},
        {"miCopyRight", "Copy right", QKeySequence(Qt::CTRL | Qt::Key_R)},
    };
    const QList<QAction*> actions = Window.PopupMenu->actions();
    ASSERT_EQ(actions.size(), 8);
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(items[i].Name);
        EXPECT_EQ(actions[i]->objectName(), items[i].Name);
        EXPECT_EQ(actions[i]->text(), items[i].Caption);
        EXPECT_EQ(actions[i]->shortcut(), items[i].Key);
        EXPECT_EQ(actions[i]->isSeparator(), i == 4);
    }

    EXPECT_EQ(Window.Lines(), nullptr);
    EXPECT_EQ(Window.Grid->model()->rowCount(), 100);
    EXPECT_EQ(Window.Grid->model()->columnCount(), 2);
    EXPECT_EQ(Window.CurrentRow(), 0);

    Window.show();
    // Nothing is drawn: the strip is not painted and the cells stay blank.
    const QImage cells = Window.Grid->viewport()->grab().toImage();
    EXPECT_EQ(Pixel(cells, 20, 11), Pixel(cells, 20, 11 + 22 * 3));
    SelectRows(0, 3);
    Window.miNextClick();
    Window.miPrevClick();
    Window.miNextChangeClick();
    Window.miPrevChangeClick();
    EXPECT_EQ(Window.CurrentRow(), 3);
    Window.miCopyClick();
    Window.miCopyLeftClick();
    Window.miCopyRightClick();
    EXPECT_EQ(Clipboard(), Sentinel);
    QTest::mousePress(Window.Paint, Qt::LeftButton, {}, QPoint(4, 200));
    QTest::mouseRelease(Window.Paint, Qt::LeftButton, {}, QPoint(4, 200));
    EXPECT_EQ(Window.TopRow(), 0);
}

TEST_F(DiffWindow, LoadSetsTheCaptionAndTheCellsOfEveryLine) {
    Load(Recorded("kinds.out"));
    EXPECT_EQ(Window.windowTitle(), "Diff: kinds.txt v1.2 (+3 -3)");
    ASSERT_NE(Window.Lines(), nullptr);
    const QAbstractItemModel& model = *Window.Grid->model();
    ASSERT_EQ(model.rowCount(), 12);
    EXPECT_EQ(model.index(0, 0).data().toString(), "File: kinds.txt");
    EXPECT_EQ(model.index(0, 1).data().toString(), "Lines changed: +3 -3");
    EXPECT_EQ(model.index(1, 0).data().toString(), "Revision: 1.1");
    EXPECT_EQ(model.index(1, 1).data().toString(), "Revision: 1.2");
    EXPECT_EQ(model.index(4, 0).data().toString(), "abc     after three");
    EXPECT_EQ(model.index(5, 1).data().toString(), "");
    EXPECT_EQ(model.index(10, 1).data().toString(), "added line");

    // Text that is not UTF-8 is read as Windows-1252; the client counts its
    // bytes above 127 as no column.
    Load(Output(" ") + "caf\xe9" + std::string(496, ' ') + "     caf\xe9\n");
    EXPECT_EQ(model.index(3, 0).data().toString(), QString::fromUtf8("café"));
    EXPECT_EQ(model.index(3, 1).data().toString(), QString::fromUtf8("café"));
}

TEST_F(DiffWindow, RowsAreFilledByKindAndDarkenedWhenSelected) {
    Load(Recorded("kinds.out"));
    Window.show();
    const int half = Window.Grid->viewport()->width() / 2;
    EXPECT_EQ(Window.Grid->columnWidth(0), half);
    EXPECT_EQ(Window.Grid->columnWidth(1), half);
    auto middle = [](int row) { return row * TfrmDiff::RowHeight + TfrmDiff::RowHeight / 2; };
    // A point of the row's fill clear of its texts, and the column separator.
    auto fill = [&](const QImage& image, int row) { return Pixel(image, half - 10, middle(row)); };
    auto separator = [&](const QImage& image, int row) { return Pixel(image, half, middle(row)); };

    // Row 0 is the current row and therefore selected.
    QImage image = Window.Grid->viewport()->grab().toImage();
    EXPECT_EQ(fill(image, 0), Rgb(235, 235, 0));
    EXPECT_EQ(separator(image, 0), Rgb(215, 215, 0));
    EXPECT_EQ(fill(image, 1), Rgb(255, 255, 0));
    EXPECT_EQ(separator(image, 1), Rgb(235, 235, 0));
    EXPECT_EQ(fill(image, 2), Rgb(255, 255, 255));
    EXPECT_EQ(separator(image, 2), Rgb(235, 235, 235));
    EXPECT_EQ(fill(image, 5), Rgb(255, 200, 200));
    EXPECT_EQ(fill(image, 7), Rgb(192, 220, 192));
    EXPECT_EQ(fill(image, 10), Rgb(166, 202, 240));
    EXPECT_EQ(fill(image, 9), Rgb(255, 255, 255));
    EXPECT_EQ(Pixel(image, half + 10, middle(1)), Rgb(255, 255, 0)); // right cell
    // The text is drawn, dark, in the row's middle.
    bool dark = false;
    for (int x = 4; x < 60; ++x)
        dark = dark || qGray(Pixel(image, x, middle(2))) < 100;
    EXPECT_TRUE(dark);

    SelectRows(9, 10);
    image = Window.Grid->viewport()->grab().toImage();
    EXPECT_EQ(fill(image, 0), Rgb(255, 255, 0));
    EXPECT_EQ(fill(image, 10), Rgb(146, 182, 220));
    EXPECT_EQ(separator(image, 10), Rgb(126, 162, 200));
    EXPECT_EQ(fill(image, 9), Rgb(235, 235, 235));
    EXPECT_EQ(separator(image, 9), Rgb(215, 215, 215));
    EXPECT_EQ(fill(image, 11), Rgb(255, 255, 255));
}

TEST_F(DiffWindow, AMessageWiderThanTheLeftColumnRunsOnIntoTheRight) {
    Load(Recorded("binary.out"));
    Window.resize(600, 300);
    Window.show();
    const int half = Window.Grid->viewport()->width() / 2;
    const QImage image = Window.Grid->viewport()->grab().toImage();
    const int middle = 2 * TfrmDiff::RowHeight + TfrmDiff::RowHeight / 2;
    int right = 0; // the last dark column of the message
    for (int x = 0; x < image.width(); ++x)
        if (qGray(Pixel(image, x, middle)) < 100)
            right = x;
    // The message is some 60 characters wide: well beyond the left column.
    EXPECT_GT(right, half + 40);
    EXPECT_LT(right, image.width() - 4);
}

TEST_F(DiffWindow, TheStripShowsTheChangesAndTheViewFrame) {
    Load(Recorded("kinds.out"));
    Window.resize(756, 480);
    Window.show();
    ASSERT_EQ(Window.Paint->width(), 9);
    ASSERT_EQ(Window.Paint->height(), 480);
    // 12 lines in 480 pixels: 40 a line; 21 rows in view, so the frame's
    // bottom edge lies below the strip.
    const QImage strip = Window.Paint->grab().toImage();
    EXPECT_EQ(Pixel(strip, 4, 100), Rgb(240, 240, 240)); // rows 2 to 4
    EXPECT_EQ(Pixel(strip, 4, 200), Rgb(255, 0, 0));     // row 5, removed
    EXPECT_EQ(Pixel(strip, 4, 280), Rgb(0, 128, 0));     // rows 7 and 8, changed
    EXPECT_EQ(Pixel(strip, 4, 340), Rgb(0, 128, 0));
    EXPECT_EQ(Pixel(strip, 4, 420), Rgb(0, 0, 255));    // row 10, added
    EXPECT_EQ(Pixel(strip, 4, 40), Rgb(240, 240, 240)); // header lines have no band
    EXPECT_EQ(Pixel(strip, 4, 0), Rgb(0, 0, 0));        // the frame's top edge
    EXPECT_EQ(Pixel(strip, 0, 100), Rgb(0, 0, 0));      // and its sides
    EXPECT_EQ(Pixel(strip, 8, 100), Rgb(0, 0, 0));
    EXPECT_EQ(Pixel(strip, 4, 479), Rgb(240, 240, 240));
}

TEST_F(DiffWindow, PressingAndDraggingOnTheStripScrollsWithItsRounding) {
    // 100 lines in a strip of 400 pixels: 4 pixels a line; 18 rows in view,
    // so the top row goes up to 82.
    Load(Output(std::string(98, ' ')));
    Window.resize(756, 400);
    Window.show();
    ASSERT_EQ(Window.Paint->height(), 400);
    ASSERT_EQ(Window.VisibleRows(), 18);
    const auto press = [&](int y) { QTest::mousePress(Window.Paint, Qt::LeftButton, {}, {4, y}); };
    const auto move = [&](int y) { QTest::mouseMove(Window.Paint, {4, y}); };

    press(0); // half a line or less: row -1, no scrolling
    EXPECT_EQ(Window.TopRow(), 0);
    move(8);
    EXPECT_EQ(Window.TopRow(), 1);
    move(14); // 3.5 goes to 4
    EXPECT_EQ(Window.TopRow(), 3);
    move(10); // 2.5 goes to 2
    EXPECT_EQ(Window.TopRow(), 1);
    move(332);
    EXPECT_EQ(Window.TopRow(), 82);
    move(336); // row 83 would scroll past the last page
    EXPECT_EQ(Window.TopRow(), 82);
    move(399);
    EXPECT_EQ(Window.TopRow(), 82);
    // The frame has followed: it starts at 82 lines down.
    const QImage strip = Window.Paint->grab().toImage();
    EXPECT_EQ(Pixel(strip, 4, 328), Rgb(0, 0, 0));
    EXPECT_EQ(Pixel(strip, 4, 320), Rgb(240, 240, 240));
    QTest::mouseRelease(Window.Paint, Qt::LeftButton, {}, {4, 399});
    move(40);
    EXPECT_EQ(Window.TopRow(), 82);

    // Another mouse button drags as well.
    QTest::mousePress(Window.Paint, Qt::RightButton, {}, {4, 44});
    EXPECT_EQ(Window.TopRow(), 10);
    QTest::mouseRelease(Window.Paint, Qt::RightButton, {}, {4, 44});
}

TEST_F(DiffWindow, NextAndPreviousGoToChangedLinesAndCollapseTheSelection) {
    Load(Recorded("kinds.out"));
    Window.show();
    ASSERT_EQ(Window.CurrentRow(), 0);
    std::vector<int> rows;
    for (int i = 0; i < 6; ++i) {
        Window.miNextClick();
        rows.push_back(Window.CurrentRow());
    }
    EXPECT_EQ(rows, (std::vector<int>{1, 5, 7, 8, 10, 10}));
    rows.clear();
    for (int i = 0; i < 6; ++i) {
        Window.miPrevClick();
        rows.push_back(Window.CurrentRow());
    }
    EXPECT_EQ(rows, (std::vector<int>{8, 7, 5, 1, 0, 0}));

    SelectRows(2, 6);
    Window.miNextClick();
    EXPECT_EQ(Window.CurrentRow(), 7);
    EXPECT_EQ(Window.SelectedRange(), std::pair(7, 7));

    // Without a change after the header lines, "next" from row 1 stays.
    Load(Recorded("spaces.out"));
    SelectRows(1, 1);
    Window.miNextClick();
    EXPECT_EQ(Window.CurrentRow(), 1);

    // A change far down is scrolled into view.
    Load(Output(std::string(150, ' ') + ">" + std::string(49, ' ')));
    SelectRows(1, 1);
    Window.miNextClick();
    EXPECT_EQ(Window.CurrentRow(), 152);
    EXPECT_LE(Window.TopRow(), 152);
    EXPECT_GT(Window.TopRow() + Window.VisibleRows(), 152);
}

TEST_F(DiffWindow, NextAndPreviousChangeStepByWholeBlocks) {
    Load(Recorded("kinds.out"));
    ShowActive();
    using TRange = std::optional<std::pair<int, int>>;
    std::vector<TRange> ranges;
    for (int i = 0; i < 4; ++i) {
        QTest::keyClick(Window.Grid, Qt::Key_Down, Qt::AltModifier);
        ranges.push_back(Window.SelectedRange());
    }
    EXPECT_EQ(ranges, (std::vector<TRange>{std::pair(5, 5), std::pair(7, 8), std::pair(10, 10),
                                           std::pair(10, 10)}));
    EXPECT_EQ(Window.CurrentRow(), 10);
    ranges.clear();
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(Window.Grid, Qt::Key_Up, Qt::AltModifier);
        ranges.push_back(Window.SelectedRange());
    }
    EXPECT_EQ(ranges, (std::vector<TRange>{std::pair(7, 8), std::pair(5, 5), std::pair(5, 5)}));
    // From the middle of a block, "previous" goes to the block before it.
    SelectRows(8, 8);
    Window.miPrevChangeClick();
    EXPECT_EQ(Window.SelectedRange(), std::pair(5, 5));

    // A block far down comes into view below three rows before it.
    Load(Output(std::string(150, ' ') + "<<|>" + std::string(46, ' ')));
    SelectRows(1, 1);
    Window.miNextChangeClick();
    EXPECT_EQ(Window.CurrentRow(), 152);
    EXPECT_EQ(Window.SelectedRange(), std::pair(152, 155));
    EXPECT_EQ(Window.TopRow(), 149);
}

// The columns x of a row's band in image whose colour is colour.
int ColumnsOf(const QImage& image, int row, QRgb colour, int from, int to) {
    int columns = 0;
    for (int x = from; x < to; ++x)
        for (int y = row * TfrmDiff::RowHeight; y < (row + 1) * TfrmDiff::RowHeight; ++y)
            if (Pixel(image, x, y) == (colour & RGB_MASK)) {
                ++columns;
                break;
            }
    return columns;
}

TEST_F(DiffWindow, NumbersEachSideAndMarksTheCharactersThatDiffer) {
    Load(Recorded("kinds.out"));
    Window.show();
    SelectRows(11, 11);
    const int half = Window.Grid->viewport()->width() / 2;
    const int margin = Window.TextLeft() - 4;
    const QRgb left = LeftChangeColor().rgb(), right = RightChangeColor().rgb();
    QImage image = Window.Grid->viewport()->grab().toImage();
    // A number in the margin: dark pixels on the row's fill.
    const auto numbered = [&](int row, int cellLeft) {
        for (int x = cellLeft + 1; x < cellLeft + margin; ++x)
            for (int y = row * TfrmDiff::RowHeight; y < (row + 1) * TfrmDiff::RowHeight; ++y)
                if (qGray(Pixel(image, x, y)) < 160)
                    return true;
        return false;
    };
    EXPECT_FALSE(numbered(0, 0));
    EXPECT_TRUE(numbered(2, 0));
    EXPECT_TRUE(numbered(5, 0)); // removed: the left side only
    EXPECT_FALSE(numbered(5, half));
    EXPECT_FALSE(numbered(10, 0)); // added: the right side only
    EXPECT_TRUE(numbered(10, half));

    // "to be changed" became "has been changed": five characters marked on
    // the left, eight on the right; nothing on the rows that are not changed.
    const int toBe = ColumnsOf(image, 7, left, 0, half);
    const int hasBeen = ColumnsOf(image, 7, right, half, image.width());
    EXPECT_GT(toBe, 0);
    EXPECT_NEAR(toBe / 5.0, hasBeen / 8.0, 0.5);
    EXPECT_EQ(ColumnsOf(image, 7, right, 0, half), 0);
    EXPECT_EQ(ColumnsOf(image, 7, left, half, image.width()), 0);
    for (const int row : {2, 5, 10})
        EXPECT_EQ(ColumnsOf(image, row, left, 0, image.width()) +
                      ColumnsOf(image, row, right, 0, image.width()),
                  0)
            << row;
    // Within the long line only the first seven letters differ.
    EXPECT_NEAR(ColumnsOf(image, 8, left, 0, half) / 7.0, toBe / 5.0, 0.5);

    // Scrolled sideways by ten characters: "CHANGED" is out of view, and
    // "first line", ten long, shows nothing; the numbers stay.
    ASSERT_TRUE(Window.sbHorizontal->isVisible());
    QTest::keyClick(Window.Grid, Qt::Key_Right);
    QTest::keyClick(Window.Grid, Qt::Key_Right);
    QTest::keyClick(Window.Grid, Qt::Key_Left);
    EXPECT_EQ(Window.FirstColumn(), 4);
    Window.sbHorizontal->setValue(10);
    image = Window.Grid->viewport()->grab().toImage();
    EXPECT_EQ(ColumnsOf(image, 8, right, half, image.width()), 0);
    EXPECT_EQ(ColumnsOf(image, 8, left, 0, half), 0);
    EXPECT_TRUE(numbered(2, 0));
    bool text = false;
    for (int x = margin + 4; x < half - 2; ++x)
        text = text || qGray(Pixel(image, x, 2 * TfrmDiff::RowHeight + 11)) < 100;
    EXPECT_FALSE(text);
    EXPECT_EQ(Window.sbHorizontal->maximum() + Window.sbHorizontal->pageStep(), 496);

    // A new comparison starts at the left; one whose texts fit has no scroll.
    Load(Recorded("kinds.out"));
    EXPECT_EQ(Window.FirstColumn(), 0);
    Load(Output("  "));
    EXPECT_FALSE(Window.sbHorizontal->isVisible());
}

TEST_F(DiffWindow, CopyGathersTheSelectedRowsAndNeverCopiesNothing) {
    Load(Recorded("kinds.out"));
    SelectRows(1, 0);
    Window.miCopyLeftClick();
    EXPECT_EQ(Clipboard(), "File: kinds.txt\nRevision: 1.1");
    Window.miCopyRightClick();
    EXPECT_EQ(Clipboard(), "Lines changed: +3 -3\nRevision: 1.2");
    Window.miCopyClick();
    const QStringList whole = Clipboard().split('\n');
    ASSERT_EQ(whole.size(), 2);
    EXPECT_EQ(whole[0], "File: kinds.txt" + QString(484, ' ') + "%    Lines changed: +3 -3");
    EXPECT_EQ(whole[1], "Revision: 1.1" + QString(486, ' ') + "%    Revision: 1.2");

    // Rows with empty texts at the start give nothing; after a text they
    // give empty lines.
    SelectRows(9, 11);
    Window.miCopyLeftClick();
    EXPECT_EQ(Clipboard(), "last line");
    Window.miCopyRightClick();
    EXPECT_EQ(Clipboard(), "added line\nlast line");
    SelectRows(4, 5);
    Window.miCopyRightClick();
    EXPECT_EQ(Clipboard(), "abc     after three\n");

    // Nothing gathered: the clipboard keeps what it had.
    QGuiApplication::clipboard()->setText(Sentinel);
    SelectRows(9, 9);
    Window.miCopyClick();
    Window.miCopyLeftClick();
    Window.miCopyRightClick();
    EXPECT_EQ(Clipboard(), Sentinel);
    SelectRows(5, 5);
    Window.miCopyRightClick();
    EXPECT_EQ(Clipboard(), Sentinel);
    Window.miCopyClick();
    EXPECT_EQ(Clipboard(), "removed line" + QString(487, ' ') + "<");
}

TEST_F(DiffWindow, ShortcutsWorkWithTheGridFocused) {
    Load(Recorded("kinds.out"));
    ShowActive();
    ASSERT_TRUE(Window.Grid->hasFocus());
    QTest::keyClick(Window.Grid, Qt::Key_Period, Qt::ShiftModifier);
    EXPECT_EQ(Window.CurrentRow(), 1);
    QTest::keyClick(Window.Grid, Qt::Key_Period, Qt::ShiftModifier);
    EXPECT_EQ(Window.CurrentRow(), 5);
    QTest::keyClick(Window.Grid, Qt::Key_Comma, Qt::ShiftModifier);
    EXPECT_EQ(Window.CurrentRow(), 1);
    QTest::keyClick(Window.Grid, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(Window.SelectedRange(), std::pair(1, 2));
    QTest::keyClick(Window.Grid, Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "Revision: 1.1\nfirst line");
    QTest::keyClick(Window.Grid, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), "Revision: 1.2\nfirst line");
    QTest::keyClick(Window.Grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard().split('\n').size(), 2);
    EXPECT_TRUE(Clipboard().startsWith("Revision: 1.1" + QString(486, ' ') + "%"));
}

TEST_F(DiffWindow, ANewLoadShowsTheTopAndKeepsTheCurrentRow) {
    Load(Output(std::string(200, ' ')));
    Window.show();
    SelectRows(150, 160);
    Window.SetTopRow(140);
    Load(Output(std::string(300, '>')));
    EXPECT_EQ(Window.TopRow(), 0);
    EXPECT_EQ(Window.CurrentRow(), 160);
    EXPECT_EQ(Window.SelectedRange(), std::pair(150, 160));

    // Fewer lines than the current row needs: the last row becomes current.
    Load(Recorded("kinds.out"));
    EXPECT_EQ(Window.CurrentRow(), 11);
    EXPECT_EQ(Window.SelectedRange(), std::pair(11, 11));
    EXPECT_EQ(Window.TopRow(), 0);
}

TEST_F(DiffWindow, AComparisonLoadedWhileHiddenOpensAtTheTop) {
    Load(Output(std::string(200, ' ')));
    Window.show();
    SelectRows(150, 160);
    Window.SetTopRow(140);
    Window.reject();
    Load(Output(std::string(300, '>')));
    Window.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(Window.TopRow(), 0);
}

TEST_F(DiffWindow, ClosingOnlyHidesAndTheNextShowingKeepsThePlace) {
    QWidget owner;
    owner.setGeometry(30, 20, 770, 580);
    owner.show();
    TfrmDiff window(&owner);
    window.LoadDiff(KindsRequest, Recorded("kinds.out"));
    window.show();
    const QPoint centred = window.pos();
    EXPECT_LE((window.geometry().center() - owner.geometry().center()).manhattanLength(), 2);
    window.resize(700, 500);
    window.reject();
    EXPECT_FALSE(window.isVisible());

    owner.move(0, 0);
    window.show();
    EXPECT_EQ(window.pos(), centred);
    EXPECT_EQ(window.size(), QSize(700, 500));
    EXPECT_EQ(window.windowTitle(), "Diff: kinds.txt v1.2 (+3 -3)");
    EXPECT_EQ(window.Grid->model()->rowCount(), 12);
}

// The patch window colours added and removed lines, saves the patch byte for
// byte or says why it could not, and copies it whole.
TEST(PatchWindow, ColoursSavesAndCopies) {
    TfrmPatch window;
    const std::string text = "Index: a.c\n--- a.c\n+++ a.c\n@@ -1 +1 @@\n-old\n+new \xe9\n";
    window.SetPatch(QStringLiteral("Patch"), text);
    auto* box = window.findChild<QPlainTextEdit*>(QStringLiteral("mmPatch"));
    ASSERT_TRUE(box);
    auto background = [box](int line) {
        const QTextBlock block = box->document()->findBlockByNumber(line);
        const auto formats = block.layout()->formats();
        return formats.isEmpty() ||
                       !formats.front().format.hasProperty(QTextFormat::BackgroundBrush)
                   ? QColor()
                   : formats.front().format.background().color();
    };
    EXPECT_EQ(background(4), PatchRemovedColor);
    EXPECT_EQ(background(5), PatchAddedColor);
    EXPECT_EQ(background(2), QColor());

    QTemporaryDir dir;
    QString chosen = dir.filePath("missing/x.patch");
    window.SetFileChooser([&] { return chosen; });
    window.miSaveClick();
    EXPECT_TRUE(window.StatusText().startsWith("Cannot save " + chosen + ": "));
    chosen = dir.filePath("x.patch");
    window.miSaveClick();
    EXPECT_EQ(window.StatusText(), "Saved to " + chosen);
    QFile saved(chosen);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll().toStdString(), text);

    window.miCopyClick();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), box->toPlainText());
    EXPECT_TRUE(box->toPlainText().contains(QStringLiteral("\n+new \u00e9")));
}
