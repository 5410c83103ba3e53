#include "RecentMenu.h"

#include "Settings.h"

#include <QStyle>

namespace quillon {

namespace {

const QString MenuCaption = QStringLiteral("&Recent");
const QString EmptyCaption = QStringLiteral("No recent folders");
const QString CannotOpen = QStringLiteral("Cannot open %1: %2");

std::pair<TRecentPlace::TKind, QString> KeyOf(const TRecentPlace& place) {
    return {place.Kind, place.Path};
}

} // namespace

TRecentMenu::TRecentMenu(QWidget* parent, std::function<void(const TRecentPlace&)> open,
                         std::function<void(const QString&)> status)
    : QMenu(MenuCaption, parent), Open(std::move(open)), Status(std::move(status)) {
    setObjectName(QStringLiteral("miRecent"));
    connect(this, &QMenu::aboutToShow, this, &TRecentMenu::Rebuild);
    Rebuild();
}

void TRecentMenu::Add(const TRecentPlace& place) {
    const TRecentPlace stored = StoredPlace(place);
    Missing.erase(KeyOf(stored));
    // Written aside: a load's end never waits for the disk.
    WriteSettingsAside([stored](QSettings& store) { AddRecentPlace(stored, store); });
}

void TRecentMenu::Rebuild() {
    clear();
    WaitForSettingsWritten();
    const std::vector<TRecentPlace> places = LoadRecentPlaces(*OpenSettingsStore());
    if (places.empty())
        addAction(EmptyCaption)->setEnabled(false);
    int number = 0;
    for (const TRecentPlace& place : places) {
        QString text = QStringLiteral("&%1 %2").arg(++number % 10).arg(place.Path);
        const auto missing = Missing.find(KeyOf(place));
        if (missing != Missing.end())
            text += QStringLiteral(" (%1)").arg(missing->second);
        QAction* action = addAction(style()->standardIcon(place.Kind == TRecentPlace::TKind::Folder
                                                              ? QStyle::SP_DirIcon
                                                              : QStyle::SP_FileIcon),
                                    text);
        action->setEnabled(missing == Missing.end());
        connect(action, &QAction::triggered, this, [this, place] { Choose(place); });
    }
}

void TRecentMenu::Choose(const TRecentPlace& place) {
    const QString reason = MissingReason(place);
    if (reason.isEmpty())
        return Open(place);
    Missing[KeyOf(place)] = reason;
    Status(CannotOpen.arg(place.Path, reason));
}

} // namespace quillon
