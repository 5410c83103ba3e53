#include "Authors.h"

#include "DisplayText.h"

#include <QSet>

#include <algorithm>
#include <unordered_set>

namespace quillon {

std::vector<TText> AuthorSpellings(const TRCSFileTable& table) {
    std::unordered_set<TText> met;
    std::vector<TText> spellings;
    for (const auto& file : table.Files())
        for (const auto& revision : file.Revisions)
            if (met.insert(revision.Author).second)
                spellings.push_back(revision.Author);
    return spellings;
}

std::vector<TText> AuthorList(std::span<const TText> spellings) {
    QSet<QString> keys;
    std::vector<std::pair<QString, TText>> authors;
    for (const TText spelling : spellings) {
        const QString key = CaseKey(spelling);
        if (keys.contains(key))
            continue;
        keys.insert(key);
        authors.emplace_back(DisplayText(spelling), spelling);
    }
    std::stable_sort(authors.begin(), authors.end(), [](const auto& a, const auto& b) {
        return QString::compare(a.first, b.first, Qt::CaseInsensitive) < 0;
    });
    std::vector<TText> names;
    names.reserve(authors.size());
    for (const auto& a : authors)
        names.push_back(a.second);
    return names;
}

std::vector<TText> AuthorList(const TRCSFileTable& table) {
    return AuthorList(AuthorSpellings(table));
}

} // namespace quillon
