// The folders and log files opened last, newest first, kept in the settings
// store's Recent group beside the six settings.
#pragma once

#include <QSettings>
#include <QString>

#include <vector>

namespace quillon {

inline constexpr int RecentPlacesLimit = 10;

struct TRecentPlace {
    enum class TKind { Folder, LogFile };
    TKind Kind = TKind::Folder;
    QString Path;

    bool operator==(const TRecentPlace&) const = default;
};

// The stored places, newest first; entries that are damaged are passed over.
std::vector<TRecentPlace> LoadRecentPlaces(QSettings& store);
// The place as it is stored: by its absolute path.
TRecentPlace StoredPlace(TRecentPlace place);
// Puts place first, as stored, and drops an older entry of it and those past
// the limit.
void AddRecentPlace(const TRecentPlace& place, QSettings& store);

// Why place cannot be opened now ("not found", "not a folder", ...), or an
// empty text when it can.
QString MissingReason(const TRecentPlace& place);

} // namespace quillon
