// Find: the revisions whose comment, file name, author, revision number or
// tags hold a text, letter case aside. Texts are compared as they are shown
// (DisplayText), after Unicode case folding (the sharp s folded to "ss"), so
// "É" finds "é" and "STRASSE" finds "straße".
#pragma once

#include "RevisionModel.h"
#include "Tags.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillon {

// The texts find looks in, folded once for one table: each distinct comment,
// author and file name once, one after the other, so that a search reads
// them in one pass instead of folding each revision's texts again.
class TFindIndex {
public:
    explicit TFindIndex(const TRCSFileTable& table);

    // The tags of each revision, as TagsText gives them: each distinct text
    // once, the first empty, and the position of each revision's, in log
    // order.
    struct TTagLists {
        std::vector<std::string> Texts;
        std::vector<std::uint32_t> TextOf;
    };
    TTagLists TagLists() const;

    // Texts folded for find, each once.
    struct TFoldedTexts {
        std::string Folded;            // one after the other, each ended by a NUL byte
        std::vector<std::size_t> Ends; // where each text's NUL stands, ascending
        std::vector<TText> Raw;        // each text as the log gives it
    };

    // Each distinct comment, author and file name as the log gives it, and
    // where a revision's comment (by its log order position) stands among them.
    std::span<const TText> Distinct() const { return Texts.Raw; }
    std::uint32_t CommentOf(std::size_t revision) const { return CommentText[revision]; }

private:
    friend class TFindText;
    void AddTags(const TRCSFileTable& table);

    // The comments, authors and file names.
    TFoldedTexts Texts;
    // The position of each revision's comment and author in Texts, in log order.
    std::vector<std::uint32_t> CommentText;
    std::vector<std::uint32_t> AuthorText;
    // The position of each file's name in Texts, in table order.
    std::vector<std::uint32_t> FileText;
    // The names of the tags.
    TFoldedTexts TagNames;
    // Each tag of each file: the position of its name in TagNames and the log
    // order position of the revision it stands on.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> TagRevisions;
};

// The find index of one table, built by whoever needs it first; the others
// wait for it.
class TLazyFindIndex {
public:
    const TFindIndex& Get(const TRCSFileTable& table);

private:
    std::once_flag Built;
    std::unique_ptr<const TFindIndex> Index;
};

class TFindText {
public:
    TFindText() = default;
    explicit TFindText(const QString& text);

    // An empty text finds every revision.
    bool Empty() const { return Folded.isEmpty(); }
    const QString& Text() const { return Shown; }

    // Readies the test for the revisions of table: the tags whose names hold
    // the text are found once, not per revision. Until then each revision's
    // tags are read from its file's names. With table's index every revision
    // is tested at once, and Matches only looks up the answer. Once cancelled
    // turns true the revisions are left untested, and none matches.
    void Prepare(const TRCSFileTable& table, const TFindIndex* index = nullptr,
                 const std::atomic<bool>* cancelled = nullptr);
    bool Matches(const TRevisionInfo& revision) const;
    // Whether the text shown for bytes holds the find text.
    bool Holds(std::string_view bytes) const;
    // Where the find text stands in shown, as (start, length) pairs, in order.
    std::vector<std::pair<qsizetype, qsizetype>> Spans(const QString& shown) const;

private:
    bool HoldsTag(const TRevisionInfo& revision) const;
    std::shared_ptr<const TRevisionSelection>
    PrepareIndexed(const TRCSFileTable& table, const TFindIndex& index,
                   const std::atomic<bool>* cancelled) const;

    QString Shown;
    QString Folded;
    // The folded text's bytes when it is ASCII; empty otherwise.
    std::string AsciiFolded;
    // From Prepare without an index: the revisions that carry a tag whose name
    // holds the text.
    std::shared_ptr<const TRevisionSelection> Tagged;
    // From Prepare with an index: the revisions the text matches.
    std::shared_ptr<const TRevisionSelection> Matched;
};

// The rows that find matches, in their order. Once cancelled turns true the
// search stops and returns what it had found so far.
std::vector<const TRevisionInfo*> FindRevisions(std::span<const TRevisionInfo* const> rows,
                                                const TFindText& find,
                                                const std::atomic<bool>* cancelled = nullptr);

} // namespace quillon
