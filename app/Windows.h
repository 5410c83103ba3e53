// The program's four windows, created once in a fixed order.
#pragma once

#include "fAbout.h"
#include "fDiff.h"
#include "fMain.h"
#include "fOptions.h"

namespace quillon {

struct TWindows {
    TWindows();

    TfrmMain frmMain;
    TfrmOptions frmOptions;
    TfrmDiff frmDiff;
    TfrmAbout frmAbout;
};

} // namespace quillon
