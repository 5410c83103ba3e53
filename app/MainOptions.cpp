// The Options command of the main window.
#include "fMain.h"

#include "FolderCommand.h"
#include "fOptions.h"

namespace quillon {

void TfrmMain::miOptionsClick() {
    if (!MayStart() || !Peers.Options || !Peers.ShowOptions)
        return;
    TfrmOptions& dialog = *Peers.Options;
    dialog.SetValues({IsFolderCommandRegistered(), Settings});
    if (!Peers.ShowOptions())
        return;

    const TOptionsValues values = dialog.Values();
    // Written again on every confirmation, for this program file.
    RegisterFolderCommand(values.FolderCommand);
    // Turning the cache off empties it.
    if (Settings.KeepCache && !values.Settings.KeepCache)
        Loader.ClearCache();
    Settings = values.Settings;
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
