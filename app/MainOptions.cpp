// The Options command of the main window.
#include "fMain.h"

namespace quillon {

void TfrmMain::miOptionsClick() {
    if (Busy || Loading)
        return;
    if (Peers.ShowOptions)
        Peers.ShowOptions();
}

} // namespace quillon
