// The in-memory picture of one working folder's history: the file table, its
// files and their revisions, and the lookups the views and the comparison use.
#pragma once

#include "HugePages.h"

#include <atomic>
#include <cstdint>
#include <deque>
#include <list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

struct TRCSFile;

// Texts are views of bytes the table keeps: of the log, when the table took it
// over whole, or else of the table's own copies of the texts it uses. A text is
// never longer-lived than its table.
using TText = std::string_view;

struct TRevisionInfo {
    const TRCSFile* FileInfo = nullptr; // the file whose Revisions hold this revision
    TText Revision;                     // the number alone, e.g. "1.12"
    double Date = 0; // days since 1899-12-30, time of day as fraction; 0 = unknown
    TText Author;
    TText State;
    std::int32_t LinesAdded = 0;
    std::int32_t LinesRemoved = 0; // never negative
    TText Comment;                 // the log message, lines separated by the log's line breaks
    TText CommitId; // from "commitid: "; a null view when the log gives none (see HasCommitId)
};

// Whether the log gave the revision a commit id; an empty one counts.
inline bool HasCommitId(const TRevisionInfo& revision) {
    return revision.CommitId.data() != nullptr;
}

// What the log says of a few revisions only; kept beside the file's revisions
// so that every other revision does without the room.
struct TRevisionNotes {
    std::uint32_t Position = 0; // of the revision in its file's Revisions
    TText Locker;               // who holds a lock on it, from "locked by: "
    TText Branches;             // branch numbers from the "branches: " line, e.g. "1.2.2"
};

struct TRCSFile {
    TText RCSPath;
    TText WorkingFile;
    TText Head;
    TText Branch;
    TText Locks;
    TText Description;
    // The lines of the "symbolic names:" block as the log holds them, one
    // "<TAB>NAME: NUMBER" a line; or, when SymbolNames is set, packed: for each
    // line the index of its name in *SymbolNames and its number. Read with
    // ForEachNameLine (Tags.h).
    TText SymbolBlock;
    const std::vector<TText>* SymbolNames = nullptr;
    // The file's revisions in log order (newest first), a slice of the table's
    // revision store.
    std::span<const TRevisionInfo> Revisions;
    std::vector<TRevisionNotes> Notes; // the revisions that have any
};

// Who holds a lock on the revision; empty when nobody does.
TText Locker(const TRevisionInfo& revision);
// The branches that start at the revision; empty when none does.
TText Branches(const TRevisionInfo& revision);

// One symbolic name of a table: a branch when it names a branch in any file.
struct TNameEntry {
    TText Name;
    bool IsBranch = false;
};

// The file table. Owns the log text, every file and every revision; it is built
// by the log parser and replaced as a whole on every open or refresh.
// Once built it is shared as a const value: what the views derive from it
// (counters, history order, author index) lives beside it, not in it.
class TRCSFileTable {
public:
    TRCSFileTable() = default;
    TRCSFileTable(const TRCSFileTable&) = delete;
    TRCSFileTable& operator=(const TRCSFileTable&) = delete;

    std::span<TRCSFile> Files() { return FilesStore; }
    std::span<const TRCSFile> Files() const { return FilesStore; }
    // Every revision in log order, to amend a table being built.
    std::span<TRevisionInfo> Revisions() { return RevisionStore; }
    std::size_t FileCount() const { return FilesStore.size(); }
    std::size_t RevisionCount() const { return RevisionStore.size(); }
    // Every revision, file after file: each file's Revisions is a slice of it.
    std::span<const TRevisionInfo> Revisions() const { return RevisionStore; }
    // Number of "date: " lines whose date could not be read. Such a line leaves
    // the revision's Date as it was: 0 when no other date line set it.
    int BadDates() const { return BadDateCount; }
    // Every symbolic name of the log once, in byte order.
    const std::vector<TNameEntry>& Names() const { return NameStore; }
    // The position of one of the table's revisions in log order, from 0 to
    // RevisionCount() - 1.
    std::size_t RevisionIndex(const TRevisionInfo& revision) const {
        return static_cast<std::size_t>(&revision - RevisionStore.data());
    }
    // The log as read, when the table took it over whole; empty when the log
    // streamed in, as the table then keeps only the texts it uses.
    std::string_view Log() const { return WholeLog; }

private:
    friend class TLogParser;
    friend void NameRepositoryFiles(TRCSFileTable&, std::string_view, std::string_view);
    // The log taken over whole, or, when it streamed in, the texts the table
    // uses copied out of it into blocks that never move, and the names the
    // packed symbol blocks refer to: a list for each part the log was read in.
    std::string WholeLog;
    std::deque<THugeText> TextBlocks;
    std::list<std::vector<TText>> SymbolNameLists;
    std::list<std::string> ExtraTexts;        // texts not found verbatim in the log
    THugeVector<TRCSFile> FilesStore;         // log order
    THugeVector<TRevisionInfo> RevisionStore; // log order; files own slices of it
    std::vector<TNameEntry> NameStore;
    int BadDateCount = 0;
};

using TRCSFileTablePtr = std::shared_ptr<const TRCSFileTable>;

// Every revision of table, newest first; revisions of equal date in table
// order, then log order.
std::vector<const TRevisionInfo*> HistoryOrder(const TRCSFileTable& table);

// The numbers of a revision ("1.2.2.3" gives 1, 2, 2, 3); empty when the text
// is no revision number.
std::vector<long> RevisionParts(std::string_view number);

// First file whose WorkingFile equals name exactly, or none.
const TRCSFile* FindFile(const TRCSFileTable& table, std::string_view name);
// First revision of file whose Revision equals number exactly, or none.
const TRevisionInfo* FindRevision(const TRCSFile* file, std::string_view number);
// The revision that revision was committed on top of, or none. On a branch
// (a.b.c.d) that is a.b.c.(d-1), or the branch point a.b when d is 1; on the
// trunk (a.b) the next older trunk revision the log lists. The revision must
// be one of file's own (by identity) and its predecessor must be in the log.
const TRevisionInfo* FindPreviousRevision(const TRCSFile* file, const TRevisionInfo* revision);

} // namespace quillon
