#include "AuthorIndex.h"

#include "Authors.h"
#include "DisplayText.h"

namespace quillon {

TAuthorIndex::TAuthorIndex(const TRCSFileTable& table) {
    const std::vector<TText> spellings = AuthorSpellings(table);
    AuthorNames = AuthorList(spellings);
    for (std::size_t i = 0; i < AuthorNames.size(); ++i)
        PositionsByKey.insert(CaseKey(AuthorNames[i]), static_cast<int>(i) + 1);
    Positions.reserve(spellings.size());
    for (const TText spelling : spellings)
        Positions.emplace(spelling, PositionsByKey.value(CaseKey(spelling), -1));
}

int TAuthorIndex::Position(TText author) const {
    if (const auto it = Positions.find(author); it != Positions.end())
        return it->second;
    return PositionsByKey.value(CaseKey(author), -1);
}

} // namespace quillon
