#include "History.h"

#include <algorithm>

namespace quillon {

void SortNewestFirst(std::vector<TRevisionInfo*>& revisions) {
    std::stable_sort(
        revisions.begin(), revisions.end(),
        [](const TRevisionInfo* a, const TRevisionInfo* b) { return a->Date > b->Date; });
}

} // namespace quillon
