// Find: the revisions whose comment, file name, author, revision number or
// tags hold a text, letter case aside. Texts are compared as they are shown
// (DisplayText), after Unicode case folding (the sharp s folded to "ss"), so
// "É" finds "é" and "STRASSE" finds "straße".
#pragma once

#include "RevisionModel.h"

#include <QString>

#include <atomic>
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
};

// The rows that find matches, in their order. Once cancelled turns true the
// search stops and returns what it had found so far.
std::vector<const TRevisionInfo*> FindRevisions(std::span<const TRevisionInfo* const> rows,
                                                const TFindText& find,
                                                const std::atomic<bool>* cancelled = nullptr);

} // namespace quillon
