#include "DialogLayout.h"

#include <QWidget>

namespace quillon {

QRect FitText(const QWidget* label, const QRect& rect) {
    const QSize needed = label->sizeHint();
    return QRect(rect.topLeft(), rect.size().expandedTo(needed));
}

TAnchorLayout::TAnchorLayout(QWidget* parent, QSize base) : QLayout(parent), Base(base) {
    setContentsMargins(0, 0, 0, 0);
}

TAnchorLayout::~TAnchorLayout() {
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void TAnchorLayout::Add(QWidget* widget, const QRect& rect, Qt::Edges anchors) {
    addChildWidget(widget);
    Items.append({new QWidgetItem(widget), rect, anchors});
    invalidate();
}

void TAnchorLayout::addItem(QLayoutItem* item) {
    Items.append({item, item->geometry(), Qt::LeftEdge | Qt::TopEdge});
}

QLayoutItem* TAnchorLayout::itemAt(int index) const {
    return index >= 0 && index < Items.size() ? Items[index].Item : nullptr;
}

QLayoutItem* TAnchorLayout::takeAt(int index) {
    return index >= 0 && index < Items.size() ? Items.takeAt(index).Item : nullptr;
}

int TAnchorLayout::count() const {
    return static_cast<int>(Items.size());
}

QSize TAnchorLayout::sizeHint() const {
    return Base;
}

QSize TAnchorLayout::minimumSize() const {
    return Base;
}

void TAnchorLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    const int dx = rect.width() - Base.width();
    const int dy = rect.height() - Base.height();
    for (const TItem& item : Items) {
        QRect placed = item.Rect;
        if (item.Anchors & Qt::RightEdge) {
            if (item.Anchors & Qt::LeftEdge)
                placed.setWidth(std::max(0, placed.width() + dx));
            else
                placed.translate(dx, 0);
        }
        if (item.Anchors & Qt::BottomEdge) {
            if (item.Anchors & Qt::TopEdge)
                placed.setHeight(std::max(0, placed.height() + dy));
            else
                placed.translate(0, dy);
        }
        placed.translate(rect.topLeft());
        // A widget takes its rectangle as it is, whatever its size policy.
        if (QWidget* widget = item.Item->widget())
            widget->setGeometry(placed);
        else
            item.Item->setGeometry(placed);
    }
}

} // namespace quillon
