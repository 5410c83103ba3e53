#include "Windows.h"

#include "WindowLayout.h"

namespace quillon {

TWindows::TWindows() : frmOptions(&frmMain), frmDiff(&frmMain), frmAbout(&frmMain) {
    TMainWindowPeers peers;
    peers.Options = &frmOptions;
    peers.ShowOptions = [this] { return frmOptions.exec() == QDialog::Accepted; };
    peers.ShowAbout = [this] { frmAbout.exec(); };
    peers.ShowComparison = [this] { frmDiff.exec(); };
    frmMain.SetPeers(std::move(peers));
    frmMain.SetComparisonWindow(&frmDiff);
    KeepLayout(frmMain, TLayoutParts::All);
    KeepLayout(frmDiff, TLayoutParts::Geometry);
}

} // namespace quillon
