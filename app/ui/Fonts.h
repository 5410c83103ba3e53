// The program's fonts by family name. The families the windows name are
// common on Windows and often missing elsewhere; each function says what
// stands in for a missing one.
#pragma once

#include <QFont>
#include <QFontDatabase>

class QWidget;

namespace quillon {

// The font of the windows' own texts.
inline const QString WindowFontFamily = QStringLiteral("Tahoma");
inline constexpr int WindowFontPixels = 11; // 8 points on a screen of 96 dots per inch

// Whether family itself is installed, not a font the system would substitute.
bool FontInstalled(const QString& family);

// Gives window the window font where it is installed; elsewhere the window
// keeps the desktop's font.
void UseWindowFont(QWidget& window);

// family at points; where it is not installed, Arial, which the system maps
// to a font of the same metrics.
QFont DialogFont(const QString& family, int points);

// family at pixels; where it is not installed, the desktop's font of kind
// fallback, at that size.
QFont FontOrSystem(const QString& family, QFontDatabase::SystemFont fallback, int pixels);

} // namespace quillon
