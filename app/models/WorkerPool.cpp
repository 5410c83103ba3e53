#include "WorkerPool.h"

namespace quillon {

QThreadPool& WorkerPool() {
    static QThreadPool pool;
    return pool;
}

} // namespace quillon
