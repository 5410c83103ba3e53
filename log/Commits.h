// Commits: the revisions that were committed together, rebuilt from a file
// table. Revisions that carry a commit id belong to the commit of that id; the
// others are grouped by author, comment and time.
#pragma once

#include "HugePages.h"
#include "RevisionModel.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace quillon {

// A revision without a commit id joins a commit of the same author and comment
// whose newest revision is at most this many seconds older.
inline constexpr int CommitWindowSeconds = 300;

struct TCommit {
    double Date = 0;                      // of its earliest revision; 0 when none has a date
    const TRevisionInfo* First = nullptr; // its earliest revision: author, comment, commit id
    std::uint32_t RevisionCount = 0;      // of the whole table
};

// The commits of one table, newest first (equal dates in the order their
// earliest revisions come in the history; undated commits last).
class TCommits {
public:
    TCommits() = default;
    // historyOrder is HistoryOrder(table). alongside, when given, runs on a
    // thread of its own while the revisions are grouped one at a time, which
    // leaves the other cores free; it has ended, or thrown here, by the end.
    TCommits(const TRCSFileTable& table, std::span<const TRevisionInfo* const> historyOrder,
             const std::function<void()>& alongside = {});

    std::span<const TCommit> Commits() const { return CommitStore; }
    // The position in Commits() of the commit that holds revision, one of the
    // table's own.
    std::uint32_t CommitOf(const TRevisionInfo& revision) const {
        return RevisionCommits[static_cast<std::size_t>(&revision - FirstRevision)];
    }
    // The heap the commits keep.
    std::size_t Bytes() const {
        return CommitStore.capacity() * sizeof(TCommit) +
               RevisionCommits.capacity() * sizeof(std::uint32_t);
    }

private:
    THugeVector<TCommit> CommitStore;
    THugeVector<std::uint32_t> RevisionCommits; // per revision of the table, in its order
    const TRevisionInfo* FirstRevision = nullptr;
};

// A commit as a list shows it: counted over the revisions the list is made of.
struct TCommitRow {
    const TCommit* Commit = nullptr;
    std::uint32_t CommitPosition = 0; // in TCommits::Commits()
    std::uint32_t Begin = 0;          // its revisions in TCommitList::Revisions
    std::uint32_t Count = 0;
    std::int64_t Added = 0;
    std::int64_t Removed = 0;
};

struct TCommitList {
    std::vector<TCommitRow> Rows;                // newest first
    std::vector<const TRevisionInfo*> Revisions; // row after row, each sorted by file name

    std::span<const TRevisionInfo* const> RevisionsOf(const TCommitRow& row) const {
        return std::span(Revisions).subspan(row.Begin, row.Count);
    }
    // The row of the commit at position in TCommits::Commits(), or -1.
    int RowOf(std::uint32_t commitPosition) const;
};

// The commits that hold at least one of revisions (revisions of the commits'
// table), each with those of its revisions only.
TCommitList ListCommits(const TCommits& commits, std::span<const TRevisionInfo* const> revisions);

} // namespace quillon
