// The distinct authors of a log, as the author selector lists them.
#pragma once

#include "RevisionModel.h"

#include <vector>

namespace quillon {

// Every author of the table once: names equal without regard to case share one
// entry, spelled as first met (table order, then log order). Sorted in
// ascending order compared without regard to case.
std::vector<TText> AuthorList(const TRCSFileTable& table);

} // namespace quillon
