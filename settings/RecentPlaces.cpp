#include "RecentPlaces.h"

#include <QFileInfo>

#include <algorithm>

namespace quillon {

namespace {

const QString RecentGroup = QStringLiteral("Recent");
const QString KindKey = QStringLiteral("Kind");
const QString PathKey = QStringLiteral("Path");
const QString FolderKind = QStringLiteral("folder");
const QString LogFileKind = QStringLiteral("log");

} // namespace

std::vector<TRecentPlace> LoadRecentPlaces(QSettings& store) {
    std::vector<TRecentPlace> places;
    const int count = store.beginReadArray(RecentGroup);
    for (int i = 0; i < count && int(places.size()) < RecentPlacesLimit; ++i) {
        store.setArrayIndex(i);
        const QString kind = store.value(KindKey).toString();
        const QString path = store.value(PathKey).toString();
        if (path.isEmpty() || (kind != FolderKind && kind != LogFileKind))
            continue;
        const TRecentPlace place{
            kind == FolderKind ? TRecentPlace::TKind::Folder : TRecentPlace::TKind::LogFile, path};
        if (std::find(places.begin(), places.end(), place) == places.end())
            places.push_back(place);
    }
    store.endArray();
    return places;
}

TRecentPlace StoredPlace(TRecentPlace place) {
    // A place opened by a relative path is kept by its absolute one.
    place.Path = QFileInfo(place.Path).absoluteFilePath();
    return place;
}

void AddRecentPlace(const TRecentPlace& added, QSettings& store) {
    const TRecentPlace place = StoredPlace(added);
    std::vector<TRecentPlace> places = LoadRecentPlaces(store);
    std::erase(places, place);
    places.insert(places.begin(), place);
    if (places.size() > RecentPlacesLimit)
        places.resize(RecentPlacesLimit);
    store.remove(RecentGroup);
    store.beginWriteArray(RecentGroup, int(places.size()));
    for (int i = 0; i < int(places.size()); ++i) {
        store.setArrayIndex(i);
        store.setValue(KindKey, places[std::size_t(i)].Kind == TRecentPlace::TKind::Folder
                                    ? FolderKind
                                    : LogFileKind);
        store.setValue(PathKey, places[std::size_t(i)].Path);
    }
    store.endArray();
}

QString MissingReason(const TRecentPlace& place) {
    const QFileInfo info(place.Path);
    if (!info.exists())
        return QStringLiteral("not found");
    const bool folder = place.Kind == TRecentPlace::TKind::Folder;
    if (folder && !info.isDir())
        return QStringLiteral("not a folder");
    if (!folder && !info.isFile())
        return QStringLiteral("not a file");
    if (!info.isReadable())
        return QStringLiteral("not readable");
    return {};
}

} // namespace quillon
