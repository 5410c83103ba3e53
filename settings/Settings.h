// The stored settings and their per-user store.
#pragma once

#include <QSettings>
#include <QString>

#include <functional>
#include <memory>

namespace quillon {

inline constexpr auto SettingsOrganization = "Tevrin";
inline constexpr auto SettingsApplication = "Quillon";

#ifdef Q_OS_WIN
inline const QString DefaultCVSPath = QStringLiteral("C:\\Program Files\\GNU\\WinCvs 1.3\\CVSNT");
#else
inline const QString DefaultCVSPath = QStringLiteral("/usr/bin");
#endif
inline constexpr int DefaultLinesLimit = 5;
inline constexpr bool DefaultKeepCache = true;

struct TSettings {
    QString CVSPath;    // folder of the CVS executable, no trailing separator
    int LinesLimit = 0; // a revision changing fewer lines counts as a few-changes one
    bool DoInclude = false;
    bool DoExclude = false;
    QString Include; // masks separated by ";"
    QString Exclude;
    // Keep each history read through the client in the cache, and show it at
    // once when its place is opened again.
    bool KeepCache = false;
};

// The current user's store: HKEY_CURRENT_USER\Software\Tevrin\Quillon on
// Windows, the per-user configuration file elsewhere.
std::unique_ptr<QSettings> OpenSettingsStore();

// Runs write on a store of its own, on the one thread that writes settings
// aside, after the writes handed over before it: the window never waits for
// the disk. Stores in this process see a write once it is made, and the
// writes still to come are made before the application object goes.
void WriteSettingsAside(std::function<void(QSettings&)> write);
// Waits for the writes handed over so far.
void WaitForSettingsWritten();

// Reads the settings. Each value is read by itself; a missing value or one
// of the wrong type leaves its default (or, for the switches and masks, the
// field unchanged).
void LoadSettings(TSettings& settings, QSettings& store);

// Writes the six settings in their fixed order, then the cache switch; false when the store could
// not be written.
bool SaveSettings(const TSettings& settings, QSettings& store);

} // namespace quillon
