#include "AuthorIndex.h"

#include "Authors.h"
#include "DisplayText.h"

namespace quillon {

TAuthorIndex::TAuthorIndex(const TRCSFileTable& table) : AuthorNames(AuthorList(table)) {
    for (std::size_t i = 0; i < AuthorNames.size(); ++i)
        PositionsByKey.insert(CaseKey(AuthorNames[i]), static_cast<int>(i) + 1);
    for (const auto& file : table.Files())
        for (const auto& revision : file.Revisions)
            if (!Positions.contains(revision.Author))
                Positions.emplace(revision.Author,
                                  PositionsByKey.value(CaseKey(revision.Author), -1));
}

int TAuthorIndex::Position(TText author) const {
    if (const auto it = Positions.find(author); it != Positions.end())
        return it->second;
    return PositionsByKey.value(CaseKey(author), -1);
}

} // namespace quillon
