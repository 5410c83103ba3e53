// The widths of a list's columns. The widths of the layout were chosen for
// its own font; the font used instead where that one is missing is often
// larger, so they serve as minimums.
#pragma once

#include <initializer_list>

class QFont;
class QTableView;

namespace quillon {

// Sets each column of list to its minimum width, widened to show its caption
// and its typical value (TypicalTextRole, TypicalIconRole) in bold in font, the font the list
// shows; the last column takes the rest of the list's width.
void SetColumnWidths(QTableView& list, const QFont& font, std::initializer_list<int> minimums);

} // namespace quillon
