// The positions of a log's authors in the author selector.
#pragma once

#include "RevisionModel.h"

#include <QHash>
#include <QString>

#include <memory>
#include <unordered_map>
#include <vector>

namespace quillon {

// The author selector's entries after "All users" (see AuthorList) and, for
// every spelling of an author in the log, the position of its entry, counted
// from 1. Spellings that differ only in letter case share a position.
class TAuthorIndex {
public:
    TAuthorIndex() = default;
    explicit TAuthorIndex(const TRCSFileTable& table);

    const std::vector<TText>& Names() const { return AuthorNames; }
    // The position of author's entry, or -1 when no entry matches it.
    int Position(TText author) const;

private:
    std::vector<TText> AuthorNames;
    std::unordered_map<TText, int> Positions; // every spelling met in the log
    QHash<QString, int> PositionsByKey;       // case keys of the entries
};

// An author index shared by those who look authors up in it; it keeps what
// holds the index (the summary of a table) alive.
using TAuthorIndexPtr = std::shared_ptr<const TAuthorIndex>;

} // namespace quillon
