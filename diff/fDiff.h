// The comparison window: a revision and its predecessor side by side, with an
// overview strip of the changes, navigation between them and copying.
#pragma once

#include "DiffLines.h"
#include "IntraLine.h"

#include <QColor>
#include <QDialog>
#include <QFont>

#include <memory>
#include <optional>
#include <string_view>

class QAction;
class QMenu;
class QPainter;
class QScrollBar;
class QTableView;

namespace quillon {

class TDiffGridModel;

// The fill of a grid row and the band of the overview strip by kind of line;
// unchanged lines have no band.
QColor RowColor(TDiffKind kind);
std::optional<QColor> StripColor(TDiffKind kind);
// Each channel 20 lower, not below 0: selected rows and the column separator.
QColor Darkened(const QColor& color);
// The fill behind the characters of a changed line that differ: on the left
// (older) side and on the right (newer) side.
QColor LeftChangeColor();
QColor RightChangeColor();

class TfrmDiff : public QDialog {
    Q_OBJECT
public:
    explicit TfrmDiff(QWidget* parent = nullptr);
    ~TfrmDiff() override;

    // Shows a new comparison: sets the caption, rebuilds the lines from the
    // request and the client's output, and fills the grid.
    void LoadDiff(const TDiffRequest& request, std::string_view output);
    // Shows the lines in the grid from the top; the current row and the
    // selection keep their rows.
    void FillGrid();

    // The lines of the last comparison; none before the first load.
    const TDiffLines* Lines() const { return DiffLines.get(); }
    int CurrentRow() const;
    // The first and last row of the selected range; the current row is always
    // in it. None while the grid has no current row.
    std::optional<std::pair<int, int>> SelectedRange() const;
    int TopRow() const;
    void SetTopRow(int row);
    // Rows that fit the grid's height completely.
    int VisibleRows() const;
    // The first character shown of each text: the horizontal scroll.
    int FirstColumn() const;
    // Pixels from a cell's left edge to its text: the margin of line numbers.
    int TextLeft() const;

    void miPrevClick();
    void miNextClick();
    // The first row of the previous or next block of changes becomes the
    // current row, the whole block selected and in view where it fits.
    void miPrevChangeClick();
    void miNextChangeClick();
    void miCopyClick();
    void miCopyLeftClick();
    void miCopyRightClick();

    QWidget* Paint = nullptr;
    QTableView* Grid = nullptr;
    QScrollBar* sbHorizontal = nullptr; // shown while a text is wider than its cell
    QMenu* PopupMenu = nullptr;
    QAction* miPrev = nullptr;
    QAction* miNext = nullptr;
    QAction* miPrevChange = nullptr;
    QAction* miNextChange = nullptr;
    QAction* miCopy = nullptr;
    QAction* miCopyLeft = nullptr;
    QAction* miCopyRight = nullptr;

    static constexpr int RowHeight = 22;
    static constexpr int StripWidth = 9;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    friend class TDiffCellDelegate;

    QAction* AddCommand(const char* name, const QString& caption, const QKeySequence& key,
                        void (TfrmDiff::*handler)());
    void FormResize();
    // The horizontal scroll's range: the widest text less what a cell shows.
    void UpdateHorizontalRange();
    void GridDrawCell(QPainter& painter, int column, int row, const QRect& rect, bool selected);
    // The differing characters of a changed row, kept for the last row asked.
    const TIntraLine& RowChanges(std::size_t row);
    void GridTopLeftChanged();
    void PaintPaint();
    void PaintMouseDown(int y);
    void PaintMouseMove(int y);
    void PaintMouseUp();
    // Makes row the current row, the only one selected, and scrolls it into view.
    void GoToRow(int row);
    void GoToBlock(std::size_t first);
    // Joins one text per row of the selected range and puts it on the clipboard.
    template <typename TText> void CopyRows(TText text);

    std::unique_ptr<TDiffLines> DiffLines;
    TDiffGridModel* Model = nullptr;
    QFont CellFont;
    bool Dragging = false;
    std::optional<std::pair<std::size_t, TIntraLine>> LastRowChanges;
};

} // namespace quillon
