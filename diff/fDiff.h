// The comparison window: a revision and its predecessor side by side, with an
// overview strip of the changes, navigation between them and copying.
#pragma once

#include "DiffLines.h"

#include <QColor>
#include <QDialog>
#include <QFont>

#include <memory>
#include <optional>
#include <string_view>

class QAction;
class QMenu;
class QPainter;
class QTableView;

namespace quillon {

class TDiffGridModel;

// The fill of a grid row and the band of the overview strip by kind of line;
// unchanged lines have no band.
QColor RowColor(TDiffKind kind);
std::optional<QColor> StripColor(TDiffKind kind);
// Each channel 20 lower, not below 0: selected rows and the column separator.
QColor Darkened(const QColor& color);

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

    void miPrevClick();
    void miNextClick();
    void miCopyClick();
    void miCopyLeftClick();
    void miCopyRightClick();

    QWidget* Paint = nullptr;
    QTableView* Grid = nullptr;
    QMenu* PopupMenu = nullptr;
    QAction* miPrev = nullptr;
    QAction* miNext = nullptr;
    QAction* miCopy = nullptr;
    QAction* miCopyLeft = nullptr;
    QAction* miCopyRight = nullptr;

    static constexpr int RowHeight = 22;
    static constexpr int StripWidth = 9;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    friend class TDiffCellDelegate;

    QAction* AddCommand(const char* name, const QString& caption, const QKeySequence& key,
                        void (TfrmDiff::*handler)());
    void FormResize();
    void GridDrawCell(QPainter& painter, int column, int row, const QRect& rect, bool selected);
    // The row holds a text of the client's without a marker and a right text.
    bool IsMessage(int row) const;
    void GridTopLeftChanged();
    void PaintPaint();
    void PaintMouseDown(int y);
    void PaintMouseMove(int y);
    void PaintMouseUp();
    // Makes row the current row, the only one selected, and scrolls it into view.
    void GoToRow(int row);
    // Joins one text per row of the selected range and puts it on the clipboard.
    template <typename TText> void CopyRows(TText text);

    std::unique_ptr<TDiffLines> DiffLines;
    TDiffGridModel* Model = nullptr;
    QFont CellFont;
    bool Dragging = false;
};

} // namespace quillon
