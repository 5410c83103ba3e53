#include "Selectors.h"

#include "ReadableText.h"

#include <QPainter>
#include <QProxyStyle>
#include <QStylePainter>

namespace quillon {

namespace {

void DrawEntryText(QPainter& painter, const QRect& rect, const QModelIndex& index,
                   const QFont& baseFont, const QPalette& palette) {
    painter.save();
    painter.fillRect(rect, palette.color(QPalette::Base));
    const QVariant font = index.data(Qt::FontRole);
    painter.setFont(font.isValid() ? font.value<QFont>() : baseFont);
    const QVariant colour = index.data(Qt::ForegroundRole);
    painter.setPen(ReadableColor(colour.isValid() ? colour.value<QColor>() : QColor(Qt::black),
                                 palette.color(QPalette::Base)));
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     index.data(Qt::DisplayRole).toString());
    painter.restore();
}

// Some styles open a drop-down as a menu over the closed box that shows every
// entry at once; the selectors always open a list below the box that shows
// at most maxVisibleItems entries and scrolls.
class TListPopupStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

void TSelectorEntryDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    DrawEntryText(*painter, option.rect, index, option.font, option.palette);
    if (option.state & QStyle::State_Selected) {
        painter->save();
        QPen pen(Qt::black, 1, Qt::DotLine);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
        painter->restore();
    }
}

QSize TSelectorEntryDelegate::sizeHint(const QStyleOptionViewItem& option,
                                       const QModelIndex& index) const {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(EntryHeight, option.fontMetrics.height()));
    return size;
}

TOwnerDrawnSelector::TOwnerDrawnSelector(QWidget* parent) : QComboBox(parent) {
    auto* style = new TListPopupStyle;
    style->setParent(this);
    setStyle(style);
    setItemDelegate(new TSelectorEntryDelegate(this));
}

void TOwnerDrawnSelector::DrawEntry(QPainter& painter, const QRect& rect, int index) const {
    DrawEntryText(painter, rect, model()->index(index, modelColumn(), rootModelIndex()), font(),
                  palette());
}

void TOwnerDrawnSelector::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (currentIndex() < 0)
        return;
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    DrawEntry(painter, field, currentIndex());
}

} // namespace quillon
