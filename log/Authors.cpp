#include "Authors.h"

#include "DisplayText.h"

#include <QSet>

#include <algorithm>
#include <unordered_set>

namespace quillon {

std::vector<TText> AuthorList(const TRCSFileTable& table) {
    std::unordered_set<TText> spellings; // every exact spelling met so far
    QSet<QString> keys;
    std::vector<std::pair<QString, TText>> authors;
    for (const auto& file : table.Files()) {
        for (const auto& revision : file.Revisions) {
            if (!spellings.insert(revision.Author).second)
                continue;
            const QString key = CaseKey(revision.Author);
            if (keys.contains(key))
                continue;
            keys.insert(key);
            authors.emplace_back(DisplayText(revision.Author), revision.Author);
        }
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

} // namespace quillon
