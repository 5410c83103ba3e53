// The threads of the window's background work: searches, listings, indexes
// and selections. They stay off Qt's global pool, on whose threads the raster
// paint engine fills large areas while the GUI thread waits: a long job there
// would hold up every paint.
#pragma once

#include <QThreadPool>

namespace quillon {

QThreadPool& WorkerPool();

} // namespace quillon
