// The Options command of the main window.
#include "fMain.h"

#include "FolderCommand.h"
#include "fOptions.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>

namespace quillon {

void TfrmMain::miOptionsClick() {
    if (!MayStart() || !Peers.Options || !Peers.ShowOptions)
        return;
    TfrmOptions& dialog = *Peers.Options;
    dialog.chkOpen->setChecked(IsFolderCommandRegistered());
    dialog.edCVS->setText(Settings.CVSPath);
    // A stored limit outside the dialog's range shows as the nearest bound.
    dialog.edLinesLimit->setValue(Settings.LinesLimit);
    dialog.chkInclude->setChecked(Settings.DoInclude);
    dialog.edInclude->setText(Settings.Include);
    dialog.chkExclude->setChecked(Settings.DoExclude);
    dialog.edExclude->setText(Settings.Exclude);
    if (!Peers.ShowOptions())
        return;

    // Written again on every confirmation, for this program file.
    RegisterFolderCommand(dialog.chkOpen->isChecked());
    Settings.CVSPath = dialog.edCVS->text();
    Settings.LinesLimit = dialog.edLinesLimit->value();
    Settings.DoInclude = dialog.chkInclude->isChecked();
    Settings.Include = dialog.edInclude->text();
    Settings.DoExclude = dialog.chkExclude->isChecked();
    Settings.Exclude = dialog.edExclude->text();
    const bool saved = SaveSettings(Settings, *OpenSettingsStore());
    UpdateFilterTexts();
    // The views follow the new settings even when they could not be stored;
    // the failure is the last word in the status bar.
    CheckLog([this, saved] {
        FilterFiles();
        if (!saved)
            ShowStatus(Status::SettingsNotSaved);
    });
}

} // namespace quillon
