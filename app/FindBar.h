// Find in the lists: the find field above the pages, the search that narrows
// the history off the GUI thread, and the delegate that highlights the found
// text in the cells.
#pragma once

#include "ChartData.h"
#include "Commits.h"
#include "Find.h"
#include "LatestJob.h"
#include "ListModels.h"
#include "ReadableText.h"

#include <QWidget>

#include <memory>
#include <vector>

class QLineEdit;

namespace quillon {

// The find field: Esc in it clears it and closes the bar.
class TFindBar : public QWidget {
    Q_OBJECT
public:
    explicit TFindBar(QWidget* parent = nullptr);

    // Shows the bar and puts the focus in the field, its text selected.
    void Open();
    // Clears the field and hides the bar.
    void Close();
    QString Text() const;

signals:
    void textChanged(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* edFind = nullptr;
};

using THistoryRows = std::shared_ptr<const std::vector<const TRevisionInfo*>>;

// What a search found: the matching history rows and their commits.
struct TFoundRows {
    TRowSource Source;
    std::vector<const TRevisionInfo*> History;
    TCommitList Commits;
    TChartData Chart;
};

// Narrows history rows to those a find text matches, on a worker thread; a
// newer search cancels an older one, whose result is never delivered.
class TFindSearch : public QObject {
    Q_OBJECT
public:
    explicit TFindSearch(QObject* parent = nullptr) : QObject(parent) {}

    // rows belong to source's table; the found rows' chart is built in chartMode.
    void Start(TRowSource source, THistoryRows rows, TFindText find, TChartMode chartMode);
    // The find index of table, the same for each call until the table goes.
    std::shared_ptr<TLazyFindIndex> IndexFor(const TRCSFileTablePtr& table);
    // Starts building source's find index on a worker; searches wait for it.
    static void BuildIndex(const TRowSource& source);
    void Cancel() { Job.Cancel(); }
    // Cancels the search and lets go of the index: the table is going.
    void Drop();

signals:
    void found(std::shared_ptr<TFoundRows> rows);

private:
    TLatestJob Job{this};
    std::weak_ptr<const TRCSFileTable> IndexedTable;
    std::shared_ptr<TLazyFindIndex> Index;
};

// Draws the cells as TReadableTextDelegate does, the find text marked in the
// cells find looks in (FindableRole).
class TFindHighlightDelegate : public TReadableTextDelegate {
public:
    using TReadableTextDelegate::TReadableTextDelegate;

    void SetFind(const TFindText& find) { Find = find; }
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    TFindText Find;
};

} // namespace quillon
