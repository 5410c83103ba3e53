#include "Fonts.h"

#include <QWidget>

namespace quillon {

namespace {

const QString DialogFallbackFamily = QStringLiteral("Arial");

} // namespace

bool FontInstalled(const QString& family) {
    return QFontDatabase::families().contains(family);
}

void UseWindowFont(QWidget& window) {
    if (FontInstalled(WindowFontFamily))
        window.setFont(
            FontOrSystem(WindowFontFamily, QFontDatabase::GeneralFont, WindowFontPixels));
}

QFont DialogFont(const QString& family, int points) {
    return QFont(FontInstalled(family) ? family : DialogFallbackFamily, points);
}

QFont FontOrSystem(const QString& family, QFontDatabase::SystemFont fallback, int pixels) {
    QFont font = FontInstalled(family) ? QFont(family) : QFontDatabase::systemFont(fallback);
    font.setPixelSize(pixels);
    return font;
}

} // namespace quillon
