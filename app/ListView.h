// The table view every list of the main window is: whole rows selected one at
// a time, no editing, sorted by a click on a column's header, fixed row
// heights.
#pragma once

#include <initializer_list>

class QAbstractItemModel;
class QTableView;
class QWidget;

namespace quillon {

// A list over model in the font of owner, its columns at least widths wide.
QTableView* CreateListView(QAbstractItemModel* model, const QWidget& owner,
                           std::initializer_list<int> widths);

} // namespace quillon
