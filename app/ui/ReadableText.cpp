#include "ReadableText.h"

#include <cmath>

namespace quillon {

namespace {

// The steps in which text is mixed towards white or black.
constexpr int MixSteps = 20;

double Linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * Linear(rgb.redF()) + 0.7152 * Linear(rgb.greenF()) +
           0.0722 * Linear(rgb.blueF());
}

QColor Mix(const QColor& from, const QColor& to, double share) {
    auto channel = [share](float a, float b) { return a + (b - a) * share; };
    const QColor f = from.toRgb(), t = to.toRgb();
    return QColor::fromRgbF(channel(f.redF(), t.redF()), channel(f.greenF(), t.greenF()),
                            channel(f.blueF(), t.blueF()));
}

} // namespace

double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor ReadableColor(const QColor& text, const QColor& background) {
    if (Contrast(text, background) >= MinimumTextContrast)
        return text;
    const QColor away = Luminance(background) < 0.5 ? QColor(Qt::white) : QColor(Qt::black);
    for (int step = 1; step < MixSteps; ++step) {
        const QColor mixed = Mix(text, away, double(step) / MixSteps);
        if (Contrast(mixed, background) >= MinimumTextContrast)
            return mixed;
    }
    return away;
}

void TReadableTextDelegate::initStyleOption(QStyleOptionViewItem* option,
                                            const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->palette.setColor(QPalette::Text, ReadableColor(option->palette.color(QPalette::Text),
                                                           option->palette.color(QPalette::Base)));
}

} // namespace quillon
