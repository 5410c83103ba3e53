// Text colours that stay readable on the palette shown: a colour too close to
// its background is lightened or darkened for display; the colour the model
// or the settings give is never changed.
#pragma once

#include <QColor>
#include <QStyledItemDelegate>

namespace quillon {

// The contrast (the ratio of the lighter colour's relative luminance to the
// darker one's, each plus 0.05) that text keeps to its background at least.
inline constexpr double MinimumTextContrast = 4.5;

// The contrast of two colours, from 1 (the same) to 21 (black and white).
double Contrast(const QColor& a, const QColor& b);

// text itself when its contrast to background is at least
// MinimumTextContrast; otherwise text mixed with white on a dark background
// or with black on a light one, just enough to reach it.
QColor ReadableColor(const QColor& text, const QColor& background);

// Draws the items of a list with their own text colour made readable on the
// list's background.
class TReadableTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

} // namespace quillon
