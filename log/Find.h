// Find: the revisions whose comment, file name, author, revision number or
// tags hold a text, letter case aside. Texts are compared as they are shown
// (DisplayText), after Unicode case folding (the sharp s folded to "ss"), so
// "É" finds "é" and "STRASSE" finds "straße".
#pragma once

#include "RevisionModel.h"
#include "Tags.h"

#include <QString>

#include <atomic>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillon {

class TFindText {
public:
    TFindText() = default;
    explicit TFindText(const QString& text);

    // An empty text finds every revision.
    bool Empty() const { return Folded.isEmpty(); }
    const QString& Text() const { return Shown; }

    // Readies the test for the revisions of table: the tags whose names hold
    // the text are found once, not per revision. Until then each revision's
    // tags are read from its file's names.
    void Prepare(const TRCSFileTable& table);
    bool Matches(const TRevisionInfo& revision) const;
    // Whether the text shown for bytes holds the find text.
    bool Holds(std::string_view bytes) const;
    // Where the find text stands in shown, as (start, length) pairs, in order.
    std::vector<std::pair<qsizetype, qsizetype>> Spans(const QString& shown) const;

private:
    bool HoldsTag(const TRevisionInfo& revision) const;

    QString Shown;
    QString Folded;
    // The folded text's bytes when it is ASCII; empty otherwise.
    std::string AsciiFolded;
    // From Prepare: the revisions that carry a tag whose name holds the text.
    std::shared_ptr<const TRevisionSelection> Tagged;
};

// The rows that find matches, in their order. Once cancelled turns true the
// search stops and returns what it had found so far.
std::vector<const TRevisionInfo*> FindRevisions(std::span<const TRevisionInfo* const> rows,
                                                const TFindText& find,
                                                const std::atomic<bool>* cancelled = nullptr);

} // namespace quillon
