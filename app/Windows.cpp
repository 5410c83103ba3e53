#include "Windows.h"

#include "WindowLayout.h"

namespace quillon {

TWindows::TWindows()
    : frmOptions(&frmMain), frmDiff(&frmMain), frmPatch(&frmMain), frmAbout(&frmMain) {
    TMainWindowPeers peers;
    peers.Options = &frmOptions;
    peers.ShowOptions = [this] { return frmOptions.exec() == QDialog::Accepted; };
    peers.ShowAbout = [this] { frmAbout.exec(); };
    peers.ShowComparison = [this] { frmDiff.exec(); };
    peers.ShowPatch = [this] { frmPatch.exec(); };
    frmMain.SetPeers(std::move(peers));
    frmMain.SetComparisonWindow(&frmDiff);
    frmMain.SetPatchWindow(&frmPatch);
    KeepLayout(frmMain, TLayoutParts::All);
    KeepLayout(frmDiff, TLayoutParts::Geometry);
    KeepLayout(frmPatch, TLayoutParts::Geometry);
}

} // namespace quillon
