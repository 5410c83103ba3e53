#include "RevisionModel.h"

#include "HugePages.h"

#include <algorithm>
#include <charconv>

namespace quillon {

namespace {

const TRevisionNotes* NotesOf(const TRevisionInfo& revision) {
    const TRCSFile* file = revision.FileInfo;
    if (!file || file->Revisions.empty() || &revision < file->Revisions.data() ||
        &revision >= file->Revisions.data() + file->Revisions.size())
        return nullptr;
    const auto position = static_cast<std::uint32_t>(&revision - file->Revisions.data());
    for (const auto& notes : file->Notes)
        if (notes.Position == position)
            return &notes;
    return nullptr;
}

} // namespace

TText Locker(const TRevisionInfo& revision) {
    const TRevisionNotes* notes = NotesOf(revision);
    return notes ? notes->Locker : TText{};
}

TText Branches(const TRevisionInfo& revision) {
    const TRevisionNotes* notes = NotesOf(revision);
    return notes ? notes->Branches : TText{};
}

std::vector<std::string_view> TRCSFileTable::LogPieces() const {
    std::vector<std::string_view> pieces;
    for (std::size_t i = 0; i < LogBlocks.size(); ++i)
        pieces.emplace_back(LogBlocks[i].data(),
                            i < LogSizes.size() ? LogSizes[i] : LogBlocks[i].size());
    return pieces;
}

std::vector<const TRevisionInfo*> HistoryOrder(const TRCSFileTable& table) {
    // Files own consecutive slices of the revision store, in table order.
    struct TKey {
        double Date;
        const TRevisionInfo* Revision;
    };
    std::vector<TKey> keys;
    ReserveHuge(keys, table.RevisionCount());
    for (const auto& file : table.Files())
        for (const auto& revision : file.Revisions)
            keys.push_back({revision.Date, &revision});
    std::stable_sort(keys.begin(), keys.end(),
                     [](const TKey& a, const TKey& b) { return a.Date > b.Date; });
    std::vector<const TRevisionInfo*> order;
    ReserveHuge(order, keys.size());
    for (const TKey& key : keys)
        order.push_back(key.Revision);
    return order;
}

const TRCSFile* FindFile(const TRCSFileTable& table, std::string_view name) {
    for (const auto& file : table.Files())
        if (file.WorkingFile == name)
            return &file;
    return nullptr;
}

const TRevisionInfo* FindRevision(const TRCSFile* file, std::string_view number) {
    if (!file)
        return nullptr;
    for (const auto& revision : file->Revisions)
        if (revision.Revision == number)
            return &revision;
    return nullptr;
}

std::vector<long> RevisionParts(std::string_view number) {
    std::vector<long> parts;
    const char* p = number.data();
    const char* const end = p + number.size();
    while (p < end) {
        long value = 0;
        const auto [next, ec] = std::from_chars(p, end, value);
        if (ec != std::errc{} || value < 0)
            return {};
        parts.push_back(value);
        if (next == end)
            break;
        if (*next != '.' || next + 1 == end)
            return {};
        p = next + 1;
    }
    return parts;
}

namespace {

std::string JoinParts(const std::vector<long>& parts, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        if (i)
            text += '.';
        text += std::to_string(parts[i]);
    }
    return text;
}

} // namespace

const TRevisionInfo* FindPreviousRevision(const TRCSFile* file, const TRevisionInfo* revision) {
    if (!file || !revision || file->Revisions.size() < 2)
        return nullptr;
    const auto revisions = file->Revisions;
    const auto it = std::find_if(revisions.begin(), revisions.end(),
                                 [&](const TRevisionInfo& r) { return &r == revision; });
    if (it == revisions.end())
        return nullptr;
    const auto parts = RevisionParts(revision->Revision);
    if (parts.size() == 2) {
        // Trunk: the next older trunk revision that the log lists.
        for (auto older = it + 1; older != revisions.end(); ++older)
            if (RevisionParts(older->Revision).size() == 2)
                return &*older;
        return nullptr;
    }
    if (parts.size() < 4 || parts.size() % 2 != 0) {
        // Not a revision number CVS writes: the entry the log lists next.
        return it + 1 != revisions.end() ? &*(it + 1) : nullptr;
    }
    std::string previous = parts.back() > 1 ? JoinParts(parts, parts.size() - 1) + '.' +
                                                  std::to_string(parts.back() - 1)
                                            : JoinParts(parts, parts.size() - 2);
    return FindRevision(file, previous);
}

} // namespace quillon
