// Opening a list's row: by a double-click, or from the keyboard by Enter or
// the keypad's Enter on the current row.
#pragma once

#include <functional>

class QAbstractItemView;

namespace quillon {

void OnRowOpened(QAbstractItemView& list, std::function<void()> open);

} // namespace quillon
