// Drop-down lists whose entries are drawn by the program: each entry in the
// colour and font its item carries (Qt::ForegroundRole, Qt::FontRole), on the
// window colour, highlighted or not; only a focus frame marks the highlighted
// entry. The closed list shows its chosen entry drawn the same way.
#pragma once

#include <QComboBox>
#include <QStyledItemDelegate>

namespace quillon {

class TSelectorEntryDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    static constexpr int EntryHeight = 13;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

class TOwnerDrawnSelector : public QComboBox {
    Q_OBJECT
public:
    explicit TOwnerDrawnSelector(QWidget* parent = nullptr);

    // Draws entry index within rect as the open list does.
    void DrawEntry(QPainter& painter, const QRect& rect, int index) const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace quillon
