#include "Commits.h"

#include "HugePages.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <future>
#include <limits>
#include <memory>

namespace quillon {

namespace {

constexpr std::uint32_t None = std::numeric_limits<std::uint32_t>::max();
constexpr double SecondsPerDay = 86400;

// A commit while it is being built.
struct TBuilt {
    double Date = 0;             // of its first revision
    double Newest = 0;           // the date of its newest revision
    std::uint32_t First = 0;     // its earliest revision's position in the table
    std::uint32_t CreatedAt = 0; // the step that made it
    std::uint32_t Count = 0;     // of its revisions
};

// A hash of text, eight bytes at a time.
std::uint64_t Hash(TText text) {
    constexpr std::uint64_t Multiplier = 0xff51afd7ed558ccdull;
    std::uint64_t h = 0x9e3779b97f4a7c15ull ^ text.size();
    auto mix = [&](std::uint64_t word) {
        h = (h ^ word) * Multiplier;
        h ^= h >> 32;
    };
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        mix(word);
    }
    if (i < text.size()) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + i, text.size() - i);
        mix(word);
    }
    return h ^ (h >> 29);
}

// What a revision is grouped by: its commit id, or else author and comment.
std::uint64_t KeyHash(const TRevisionInfo& revision) {
    return HasCommitId(revision) ? Hash(revision.CommitId)
                                 : Hash(revision.Author) * 31 ^ Hash(revision.Comment);
}

// A hash table from keys to commits that keeps no keys: a key is compared
// with the key of the commit a slot names. A slot holds the low half of the
// key's hash and the commit number plus 1; 0 when empty.
class TCommitIndex {
public:
    // Room for keys keys without growing.
    explicit TCommitIndex(std::size_t keys) {
        std::size_t size = 1024;
        while (size < 2 * (keys + 1))
            size *= 2;
        ReserveHuge(Slots, size);
        Slots.assign(size, 0);
    }
    // The commit whose key has hash and satisfies matches, or, when there is
    // none, made the commit of that key. Returns the slot's commit.
    template <typename TMatches>
    std::uint32_t FindOrAdd(std::size_t hash, std::uint32_t commit, TMatches matches) {
        if (2 * (Count + 1) > Slots.size())
            Grow();
        std::uint64_t& slot = Find(std::uint32_t(hash), matches);
        if (slot == 0) {
            slot = Slot(std::uint32_t(hash), commit);
            ++Count;
        }
        return Commit(slot);
    }
    // Makes commit the one of the key that has hash and satisfies matches.
    template <typename TMatches>
    void Replace(std::size_t hash, std::uint32_t commit, TMatches matches) {
        Find(std::uint32_t(hash), matches) = Slot(std::uint32_t(hash), commit);
    }

    static std::uint32_t Commit(std::uint64_t slot) { return std::uint32_t(slot >> 32) - 1; }
    static std::uint64_t Slot(std::uint32_t tag, std::uint32_t commit) {
        return (std::uint64_t(commit) + 1) << 32 | tag;
    }
    void Prefetch(std::size_t hash) const {
        __builtin_prefetch(&Slots[std::uint32_t(hash) & (Slots.size() - 1)]);
    }

private:
    template <typename TMatches> std::uint64_t& Find(std::uint32_t tag, TMatches matches) {
        const std::size_t mask = Slots.size() - 1;
        for (std::size_t i = tag & mask;; i = (i + 1) & mask) {
            std::uint64_t& slot = Slots[i];
            if (slot == 0 || (std::uint32_t(slot) == tag && matches(Commit(slot))))
                return slot;
        }
    }
    void Grow() {
        THugeVector<std::uint64_t> old(2 * Slots.size(), 0);
        old.swap(Slots);
        const std::size_t mask = Slots.size() - 1;
        for (const std::uint64_t slot : old) {
            if (slot == 0)
                continue;
            std::size_t i = std::uint32_t(slot) & mask;
            while (Slots[i] != 0)
                i = (i + 1) & mask;
            Slots[i] = slot;
        }
    }

    THugeVector<std::uint64_t> Slots;
    std::size_t Count = 0;
};

// What the grouping reads of a revision, gathered in table order so that the
// walk in date order reads one small record per revision.
struct TKey {
    std::uint64_t Hash;  // of the commit id, or else of author and comment
    std::uint32_t File;  // the position of the revision's file in the table
    std::uint32_t HasId; // whether the revision has a commit id
};

// The keys of the table's revisions from begin to end, at the same positions
// of keys.
void GatherKeys(const TRCSFileTable& table, std::size_t begin, std::size_t end, TKey* keys) {
    const TRCSFile* firstFile = table.Files().data();
    const auto revisions = table.Revisions();
    for (std::size_t i = begin; i < end; ++i)
        keys[i] = {KeyHash(revisions[i]), std::uint32_t(revisions[i].FileInfo - firstFile),
                   HasCommitId(revisions[i]) ? 1u : 0u};
}

// The revisions in the order the grouping takes them, as positions in the
// table, with their dates: oldest first, equal dates in history order, the
// revisions without a date last.
struct TSteps {
    THugeVector<std::uint32_t> Revisions;
    THugeVector<double> Dates;
};

TSteps GroupingOrder(std::span<const TRevisionInfo* const> historyOrder,
                     const TRevisionInfo* firstRevision) {
    TSteps steps;
    ReserveHuge(steps.Revisions, historyOrder.size());
    ReserveHuge(steps.Dates, historyOrder.size());
    THugeVector<double> dates;
    ReserveHuge(dates, historyOrder.size());
    for (const TRevisionInfo* revision : historyOrder)
        dates.push_back(revision->Date);
    auto take = [&](std::size_t position) {
        steps.Revisions.push_back(
            static_cast<std::uint32_t>(historyOrder[position] - firstRevision));
        steps.Dates.push_back(dates[position]);
    };
    std::size_t dated = historyOrder.size();
    while (dated > 0 && dates[dated - 1] == 0)
        --dated;
    for (std::size_t end = dated; end > 0;) {
        std::size_t begin = end - 1;
        while (begin > 0 && dates[begin - 1] == dates[end - 1])
            --begin;
        for (std::size_t i = begin; i < end; ++i)
            take(i);
        end = begin;
    }
    for (std::size_t i = dated; i < historyOrder.size(); ++i)
        take(i);
    return steps;
}

} // namespace

TCommits::TCommits(const TRCSFileTable& table, std::span<const TRevisionInfo* const> historyOrder,
                   const std::function<void()>& alongside) {
    const auto revisions = table.Revisions();
    FirstRevision = revisions.data();
    // The grouping's buffers are on huge pages: a streamed parse frees the
    // huge pages of the log's rest as it reads it, and on a virtual machine
    // faulting in small pages took most of the grouping's time.
    // The keys are gathered on two threads, the order of the steps on one of
    // them: it takes about half as long as the keys.
    const auto keys = std::make_unique_for_overwrite<TKey[]>(revisions.size());
    AdviseHugePages(keys.get(), revisions.size() * sizeof(TKey));
    const std::size_t split = revisions.size() / 3 * 2;
    auto gathered = std::async(std::launch::async,
                               [&table, split, &keys] { GatherKeys(table, 0, split, keys.get()); });
    const TSteps steps = GroupingOrder(historyOrder, FirstRevision);
    GatherKeys(table, split, revisions.size(), keys.get());
    gathered.get();
    // From here on the grouping takes one core but at its very end.
    std::future<void> beside;
    if (alongside)
        beside = std::async(std::launch::async, alongside);
    const THugeVector<std::uint32_t>& order = steps.Revisions;
    ReserveHuge(RevisionCommits, revisions.size());
    RevisionCommits.assign(revisions.size(), None);

    std::size_t withId = 0;
    for (std::size_t i = 0; i < revisions.size(); ++i)
        withId += keys[i].HasId;
    THugeVector<TBuilt> built;
    ReserveHuge(built, order.size());
    TCommitIndex byId(withId);
    TCommitIndex byText(revisions.size() - withId); // the latest commit of an author and comment
    // Per step of a revision without a commit id, the step that took the
    // previous such revision of the same file.
    THugeVector<std::uint32_t> previousOfFile;
    ReserveHuge(previousOfFile, order.size());
    previousOfFile.assign(order.size(), None);
    std::vector<std::uint32_t> lastOfFile(table.FileCount(), None);

    auto firstOf = [&](std::uint32_t commit) -> const TRevisionInfo& {
        return revisions[built[commit].First];
    };
    // Whether commit holds a revision of the file whose latest step is last.
    auto holdsFile = [&](std::uint32_t commit, std::uint32_t last) {
        for (std::uint32_t step = last; step != None && step >= built[commit].CreatedAt;
             step = previousOfFile[step])
            if (RevisionCommits[order[step]] == commit)
                return true;
        return false;
    };
    auto joins = [&](std::uint32_t commit, double date, std::uint32_t last) {
        const double newest = built[commit].Newest;
        const bool inTime = date == 0
                                ? newest == 0
                                : newest != 0 && std::llround((date - newest) * SecondsPerDay) <=
                                                     CommitWindowSeconds;
        return inTime && !holdsFile(commit, last);
    };

    // The revisions are taken in date order, far apart in memory: what a step
    // needs is fetched a few steps ahead.
    constexpr std::uint32_t Ahead = 8;
    const auto count = static_cast<std::uint32_t>(order.size());
    for (std::uint32_t step = 0; step < count; ++step) {
        if (step + 2 * Ahead < count) {
            __builtin_prefetch(&keys[order[step + 2 * Ahead]]);
            __builtin_prefetch(&RevisionCommits[order[step + 2 * Ahead]]);
        }
        if (step + Ahead < count) {
            const TKey& near = keys[order[step + Ahead]];
            (near.HasId ? byId : byText).Prefetch(near.Hash);
            if (!near.HasId)
                __builtin_prefetch(&lastOfFile[near.File]);
        }
        const std::uint32_t position = order[step];
        const TKey& key = keys[position];
        const double date = steps.Dates[step];
        const auto next = static_cast<std::uint32_t>(built.size());
        std::uint32_t commit = next;
        if (key.HasId) {
            commit = byId.FindOrAdd(key.Hash, next, [&](std::uint32_t c) {
                return firstOf(c).CommitId == revisions[position].CommitId;
            });
        } else {
            const std::uint32_t last = lastOfFile[key.File];
            previousOfFile[step] = last;
            lastOfFile[key.File] = step;
            const TRevisionInfo& revision = revisions[position];
            auto sameText = [&](std::uint32_t c) {
                return firstOf(c).Author == revision.Author &&
                       firstOf(c).Comment == revision.Comment;
            };
            commit = byText.FindOrAdd(key.Hash, next, sameText);
            if (commit != next && !joins(commit, date, last)) {
                byText.Replace(key.Hash, next, sameText);
                commit = next;
            }
        }
        if (commit == next) {
            built.push_back({date, date, position, step, 1});
        } else {
            built[commit].Newest = std::max(built[commit].Newest, date);
            ++built[commit].Count;
        }
        RevisionCommits[position] = commit;
    }

    // Newest first: the dated commits were made oldest first, the undated
    // ones after them. A commit's date is its first revision's.
    auto dateOf = [&](std::size_t commit) { return built[commit].Date; };
    THugeVector<std::uint32_t> position;
    ReserveHuge(position, built.size());
    position.resize(built.size());
    std::size_t dated = 0;
    while (dated < built.size() && dateOf(dated) != 0)
        ++dated;
    std::uint32_t next = 0;
    for (std::size_t end = dated; end > 0;) {
        std::size_t begin = end - 1;
        while (begin > 0 && dateOf(begin - 1) == dateOf(end - 1))
            --begin;
        for (std::size_t i = begin; i < end; ++i)
            position[i] = next++;
        end = begin;
    }
    for (std::size_t i = dated; i < built.size(); ++i)
        position[i] = next++;
    // The revisions are told their commits' positions beside the making of
    // the commits.
    auto told = std::async(std::launch::async, [this, &position] {
        for (auto& commit : RevisionCommits)
            commit = position[commit];
    });
    ReserveHuge(CommitStore, built.size());
    CommitStore.resize(built.size());
    for (std::size_t i = 0; i < built.size(); ++i)
        CommitStore[position[i]] = {dateOf(i), &firstOf(std::uint32_t(i)), built[i].Count};
    told.get();
    if (beside.valid())
        beside.get();
}

int TCommitList::RowOf(std::uint32_t commitPosition) const {
    const auto it = std::lower_bound(Rows.begin(), Rows.end(), commitPosition,
                                     [](const TCommitRow& row, std::uint32_t position) {
                                         return row.CommitPosition < position;
                                     });
    return it != Rows.end() && it->CommitPosition == commitPosition ? int(it - Rows.begin()) : -1;
}

TCommitList ListCommits(const TCommits& commits, std::span<const TRevisionInfo* const> revisions) {
    const auto all = commits.Commits();
    // Per commit, first its number of revisions, then its row.
    std::vector<std::uint32_t> rowOf;
    ReserveHuge(rowOf, all.size());
    rowOf.assign(all.size(), 0);
    for (const TRevisionInfo* revision : revisions)
        ++rowOf[commits.CommitOf(*revision)];
    TCommitList list;
    ReserveHuge(list.Rows,
                static_cast<std::size_t>(all.size() - static_cast<std::size_t>(std::count(
                                                          rowOf.begin(), rowOf.end(), 0u))));
    std::uint32_t begin = 0;
    for (std::uint32_t i = 0; i < all.size(); ++i) {
        if (rowOf[i] == 0) {
            rowOf[i] = None;
            continue;
        }
        list.Rows.push_back({&all[i], i, begin, 0, 0, 0});
        begin += rowOf[i];
        rowOf[i] = static_cast<std::uint32_t>(list.Rows.size() - 1);
    }
    ReserveHuge(list.Revisions, revisions.size());
    list.Revisions.resize(revisions.size());
    for (const TRevisionInfo* revision : revisions) {
        TCommitRow& row = list.Rows[rowOf[commits.CommitOf(*revision)]];
        list.Revisions[row.Begin + row.Count++] = revision;
        row.Added += revision->LinesAdded;
        row.Removed += revision->LinesRemoved;
    }
    for (const TCommitRow& row : list.Rows) {
        if (row.Count < 2)
            continue;
        const auto first = list.Revisions.begin() + row.Begin;
        std::stable_sort(first, first + row.Count,
                         [](const TRevisionInfo* a, const TRevisionInfo* b) {
                             return a->FileInfo->WorkingFile < b->FileInfo->WorkingFile;
                         });
    }
    return list;
}

} // namespace quillon
