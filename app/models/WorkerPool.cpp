#include "WorkerPool.h"

#include <QCoreApplication>

namespace quillon {

QThreadPool& WorkerPool() {
    static QThreadPool* const pool = [] {
        static QThreadPool threads;
        // Waited for while the application object goes, as Qt waits for its
        // global pool.
        qAddPostRoutine([] { threads.waitForDone(); });
        return &threads;
    }();
    return *pool;
}

} // namespace quillon
