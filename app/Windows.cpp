#include "Windows.h"

#include "WindowLayout.h"

namespace quillon {

TWindows::TWindows()
    : frmOptions(&frmMain), frmDiff(&frmMain), frmPatch(&frmMain), frmFileText(&frmMain),
      frmAnnotate(&frmMain), frmAbout(&frmMain) {
    TMainWindowPeers peers;
    peers.Options = &frmOptions;
    peers.ShowOptions = [this] { return frmOptions.exec() == QDialog::Accepted; };
    peers.ShowAbout = [this] { frmAbout.exec(); };
    peers.ShowComparison = [this] { frmDiff.exec(); };
    peers.ShowPatch = [this] { frmPatch.exec(); };
    peers.ShowFileText = [this] { frmFileText.exec(); };
    peers.ShowAnnotation = [this] {
        if (!frmAnnotate.isVisible())
            frmAnnotate.exec();
    };
    frmMain.SetPeers(std::move(peers));
    frmMain.SetComparisonWindow(&frmDiff);
    frmMain.SetPatchWindow(&frmPatch);
    frmMain.SetFileTextWindow(&frmFileText);
    frmMain.SetAnnotationWindow(&frmAnnotate);
    KeepLayout(frmMain, TLayoutParts::All);
    KeepLayout(frmDiff, TLayoutParts::Geometry);
    KeepLayout(frmPatch, TLayoutParts::Geometry);
    KeepLayout(frmFileText, TLayoutParts::Geometry);
    KeepLayout(frmAnnotate, TLayoutParts::Geometry);
}

} // namespace quillon
