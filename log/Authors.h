// The distinct authors of a log, as the author selector lists them.
#pragma once

#include "RevisionModel.h"

#include <span>
#include <vector>

namespace quillon {

// Every exact spelling of an author in the table once, in the order met
// (table order, then log order).
std::vector<TText> AuthorSpellings(const TRCSFileTable& table);

// Every author of spellings (AuthorSpellings of a table) once: names equal
// without regard to case share one entry, spelled as first met. Sorted in
// ascending order compared without regard to case.
std::vector<TText> AuthorList(std::span<const TText> spellings);

// The author list of a table.
std::vector<TText> AuthorList(const TRCSFileTable& table);

} // namespace quillon
