#include "RevisionModel.h"

#include "HugePages.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <future>
#include <span>
#include <thread>
#include <utility>

namespace quillon {

namespace {

// The bits of a date, as a number that orders as the dates do; 0 and -0
// alike.
std::uint64_t SortableBits(double date) {
    const auto bits = std::bit_cast<std::uint64_t>(date + 0.0);
    constexpr std::uint64_t Sign = std::uint64_t(1) << 63;
    return bits & Sign ? ~bits : bits | Sign;
}

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

// A revision's place in the history order: the newer, the lower.
struct THistoryKey {
    std::uint64_t Order;
    const TRevisionInfo* Revision;
};

// From this many revisions on, the history order is sorted on two threads.
constexpr std::size_t SortSideBySideFrom = 1 << 16;

// The keys of revisions in history order, sorted by radix, a digit at a time
// from the lowest, each pass keeping the order of the one before: equal dates
// stay in the order of revisions. None to sort is the other half of a small
// table, sorted whole.
THugeVector<THistoryKey> SortedKeys(std::span<const TRevisionInfo> revisions) {
    if (revisions.empty())
        return {};
    constexpr int DigitBits = 16;
    constexpr std::size_t Digits = std::size_t(1) << DigitBits;
    THugeVector<THistoryKey> keys;
    ReserveHuge(keys, revisions.size());
    for (const auto& revision : revisions)
        keys.push_back({~SortableBits(revision.Date), &revision});
    THugeVector<THistoryKey> sorted;
    ReserveHuge(sorted, keys.size());
    sorted.resize(keys.size());
    std::vector<std::size_t> starts(Digits);
    for (int shift = 0; shift < 64; shift += DigitBits) {
        auto digit = [shift](const THistoryKey& key) {
            return static_cast<std::size_t>((key.Order >> shift) & (Digits - 1));
        };
        std::fill(starts.begin(), starts.end(), 0);
        for (const THistoryKey& key : keys)
            ++starts[digit(key)];
        // A digit that all keys share changes nothing.
        if (starts[digit(keys.front())] == keys.size())
            continue;
        std::size_t start = 0;
        for (std::size_t& count : starts)
            start += std::exchange(count, start);
        for (const THistoryKey& key : keys)
            sorted[starts[digit(key)]++] = key;
        keys.swap(sorted);
    }
    return keys;
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

std::vector<const TRevisionInfo*> HistoryOrder(const TRCSFileTable& table) {
    // The halves of a large table are sorted side by side, then merged, the
    // first half's revisions first among equal dates.
    const auto revisions = table.Revisions();
    const std::size_t half =
        revisions.size() >= SortSideBySideFrom && std::thread::hardware_concurrency() > 1
            ? revisions.size() / 2
            : revisions.size();
    auto later = std::async(half < revisions.size() ? std::launch::async : std::launch::deferred,
                            [&] { return SortedKeys(revisions.subspan(half)); });
    const THugeVector<THistoryKey> first = SortedKeys(revisions.first(half));
    const THugeVector<THistoryKey> second = later.get();
    std::vector<const TRevisionInfo*> order;
    ReserveHuge(order, revisions.size());
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < first.size() && j < second.size())
        order.push_back(second[j].Order < first[i].Order ? second[j++].Revision
                                                         : first[i++].Revision);
    for (; i < first.size(); ++i)
        order.push_back(first[i].Revision);
    for (; j < second.size(); ++j)
        order.push_back(second[j].Revision);
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
