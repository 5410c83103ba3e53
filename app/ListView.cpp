#include "ListView.h"

#include "ColumnWidths.h"
#include "ReadableText.h"

#include <QHeaderView>
#include <QTableView>

namespace quillon {

namespace {

// Room above and below a row's text.
constexpr int RowPadding = 6;

} // namespace

QTableView* CreateListView(QAbstractItemModel* model, const QWidget& owner,
                           std::initializer_list<int> widths) {
    auto* list = new QTableView;
    list->setModel(model);
    list->setItemDelegate(new TReadableTextDelegate(list));
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setShowGrid(true);
    list->setWordWrap(false);
    list->setTabKeyNavigation(false);
    list->verticalHeader()->hide();
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(owner.fontMetrics().height() + RowPadding);
    list->horizontalHeader()->setSectionsMovable(true);
    list->horizontalHeader()->setHighlightSections(false);
    list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // A click on a column's header sorts by it, a second one reverses the
    // order; until then the rows keep the order they were given in.
    list->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    list->setSortingEnabled(true);
    SetColumnWidths(*list, owner.font(), widths);
    // The selection stays as visible without the focus as with it.
    QPalette palette = list->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    list->setPalette(palette);
    return list;
}

} // namespace quillon
