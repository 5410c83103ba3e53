// The order of the history: newest first.
#pragma once

#include "RevisionModel.h"

#include <vector>

namespace quillon {

// Sorts revisions newest first; revisions of equal date keep the order they
// stand in (table order, then log order, when collected that way).
void SortNewestFirst(std::vector<TRevisionInfo*>& revisions);

} // namespace quillon
