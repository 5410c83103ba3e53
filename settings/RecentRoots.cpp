#include "RecentRoots.h"

namespace quillon {

namespace {

const QString RecentRootsKey = QStringLiteral("RecentRoots");

} // namespace

QStringList RecentRoots(QSettings& store) {
    QStringList roots = store.value(RecentRootsKey).toStringList();
    roots.removeAll(QString());
    roots.removeDuplicates();
    return roots.mid(0, MaxRecentRoots);
}

bool RememberRoot(QSettings& store, const QString& root) {
    QStringList roots = RecentRoots(store);
    roots.removeAll(root);
    roots.prepend(root);
    store.setValue(RecentRootsKey, roots.mid(0, MaxRecentRoots));
    store.sync();
    return store.status() == QSettings::NoError;
}

} // namespace quillon
