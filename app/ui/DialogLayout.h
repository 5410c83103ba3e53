// The dialogs' layout: it keeps each widget at the place it is given.
#pragma once

#include <QLayout>
#include <QList>

namespace quillon {

// The given rectangle of a label, grown where its text needs more room in
// the font it got.
QRect FitText(const QWidget* label, const QRect& rect);

// Keeps each widget at a fixed distance from the edges it is anchored to.
class TAnchorLayout : public QLayout {
public:
    // base: the client size the rectangles of the widgets refer to; it is
    // also the smallest size of the window.
    TAnchorLayout(QWidget* parent, QSize base);
    ~TAnchorLayout() override;

    // Puts widget at rect of the base size. Anchored to the left and the right
    // edge it stretches with the window's width, anchored to the right edge
    // alone it moves with it; likewise top and bottom.
    void Add(QWidget* widget, const QRect& rect, Qt::Edges anchors);

    void addItem(QLayoutItem* item) override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    int count() const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    struct TItem {
        QLayoutItem* Item;
        QRect Rect;
        Qt::Edges Anchors;
    };
    QSize Base;
    QList<TItem> Items;
};

} // namespace quillon
