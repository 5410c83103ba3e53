#include "ColumnWidths.h"

#include "ListModels.h"

#include <QHeaderView>
#include <QIcon>
#include <QStyleOption>
#include <QTableView>

#include <algorithm>

namespace quillon {

namespace {

// The width the header section of column needs for its caption, and for the
// sort indicator where the header shows one.
int CaptionWidth(const QHeaderView& header, const QFont& font, int column) {
    QStyleOptionHeader option;
    option.initFrom(&header);
    // Measured in bold, as the header measures a caption that may be
    // highlighted.
    QFont bold = font;
    bold.setBold(true);
    option.fontMetrics = QFontMetrics(bold);
    option.section = column;
    option.text = header.model()->headerData(column, Qt::Horizontal).toString();
    option.textAlignment = header.defaultAlignment();
    const QSize size =
        header.style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), &header);
    if (!header.isSortIndicatorShown())
        return size.width();
    return size.width() + size.height() +
           header.style()->pixelMetric(QStyle::PM_HeaderMargin, &option, &header);
}

// The width a cell of column needs for the model's typical value.
int TypicalCellWidth(const QTableView& list, const QFont& font, int column) {
    const QAbstractItemModel& model = *list.model();
    const QString text = model.headerData(column, Qt::Horizontal, TypicalTextRole).toString();
    if (text.isEmpty())
        return 0;
    QStyleOptionViewItem option;
    option.initFrom(&list);
    option.widget = &list;
    option.font = font;
    option.font.setBold(true);
    option.fontMetrics = QFontMetrics(option.font);
    option.features = QStyleOptionViewItem::HasDisplay;
    option.text = text;
    option.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    const QVariant icon = model.headerData(column, Qt::Horizontal, TypicalIconRole);
    if (icon.canConvert<QIcon>()) {
        option.features |= QStyleOptionViewItem::HasDecoration;
        option.icon = icon.value<QIcon>();
        const int side = list.style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, &list);
        option.decorationSize = list.iconSize().isValid() ? list.iconSize() : QSize(side, side);
    }
    const int gridLine = list.showGrid() ? 1 : 0;
    return list.style()
               ->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), &list)
               .width() +
           gridLine;
}

} // namespace

void SetColumnWidths(QTableView& list, const QFont& font, std::initializer_list<int> minimums) {
    QHeaderView& header = *list.horizontalHeader();
    int column = 0;
    for (const int minimum : minimums) {
        list.setColumnWidth(column, std::max({minimum, CaptionWidth(header, font, column),
                                              TypicalCellWidth(list, font, column)}));
        ++column;
    }
    header.setStretchLastSection(true);
}

} // namespace quillon
