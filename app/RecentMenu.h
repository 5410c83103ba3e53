// File > Recent: the folders and log files opened last, newest first. An
// entry found missing when chosen is greyed from then on, with its reason.
#pragma once

#include "RecentPlaces.h"

#include <QMenu>

#include <functional>
#include <map>

namespace quillon {

class TRecentMenu : public QMenu {
    Q_OBJECT
public:
    // open opens a place that exists; status shows why one cannot be opened.
    TRecentMenu(QWidget* parent, std::function<void(const TRecentPlace&)> open,
                std::function<void(const QString&)> status);

    // Stores place as the newest entry.
    void Add(const TRecentPlace& place);
    // Fills the menu from the store.
    void Rebuild();

private:
    void Choose(const TRecentPlace& place);

    std::function<void(const TRecentPlace&)> Open;
    std::function<void(const QString&)> Status;
    std::map<std::pair<TRecentPlace::TKind, QString>, QString> Missing; // with its reason
};

} // namespace quillon
