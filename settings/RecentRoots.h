// The CVSROOTs the Open repository dialog offers: the last ones used, in the
// settings store.
#pragma once

#include <QSettings>
#include <QStringList>

namespace quillon {

inline constexpr int MaxRecentRoots = 10;

// The roots used last, the newest first; at most MaxRecentRoots.
QStringList RecentRoots(QSettings& store);

// Puts root first in the list, once, keeping at most MaxRecentRoots; false
// when the store could not be written. The caller removes any password.
bool RememberRoot(QSettings& store, const QString& root);

} // namespace quillon
