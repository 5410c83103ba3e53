// The program's windows, created once in a fixed order.
#pragma once

#include "fAbout.h"
#include "fAnnotate.h"
#include "fDiff.h"
#include "fFileText.h"
#include "fMain.h"
#include "fOptions.h"
#include "fPatch.h"

namespace quillon {

struct TWindows {
    TWindows();

    TfrmMain frmMain;
    TfrmOptions frmOptions;
    TfrmDiff frmDiff;
    TfrmPatch frmPatch;
    TfrmFileText frmFileText;
    TfrmAnnotate frmAnnotate;
    TfrmAbout frmAbout;
};

} // namespace quillon
