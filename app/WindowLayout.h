// The windows' layout as the user left it, kept in the settings store's
// Layout group beside the six settings: a window's place, size and maximised
// state, and of its named children the splitters' positions, the lists'
// column widths and order, the page shown and the chart kind.
#pragma once

#include <QString>

class QRect;
class QSettings;
class QWidget;

namespace quillon {

inline const QString LayoutGroup = QStringLiteral("Layout");

enum class TLayoutParts {
    Geometry, // the window's place, size and maximised state
    All,      // and its splitters, lists, pages and chart kind
};

// Writes window's layout under its object name.
void SaveLayout(const QWidget& window, TLayoutParts parts, QSettings& store);
// Gives window the layout stored under its object name. Values that are
// missing, of the wrong kind or do not fit the window now are passed over; a
// geometry that lies off every screen is ignored.
void RestoreLayout(QWidget& window, TLayoutParts parts, QSettings& store);

// True when enough of rect lies on one of the screens to be seen and moved.
bool IsOnAScreen(const QRect& rect);

// Restores window's layout from the user's store now and writes it there
// whenever the window is closed or hidden by the program.
void KeepLayout(QWidget& window, TLayoutParts parts);

} // namespace quillon
