// The post-parse check: per-file counters that the views, filters and the
// export read.
#pragma once

#include "RevisionModel.h"

#include <vector>

namespace quillon {

// The marker the client writes for a commit without a message.
inline constexpr std::string_view EmptyLogMessage = "*** empty log message ***";

// Lines added plus lines removed of a revision.
inline std::int64_t ChangedLines(const TRevisionInfo& r) {
    return std::int64_t{r.LinesAdded} + r.LinesRemoved;
}

// What the file list shows of a file beyond the log's own fields.
struct TFileCounters {
    TText LastAuthor; // of the newest revision
    std::int64_t TotalAdded = 0;
    std::int64_t TotalRemoved = 0;
    std::int32_t NoComments = 0;
    std::int32_t NoChanges = 0;
    std::int32_t FewChanges = 0;
    bool LastNoComment = false;
    bool LastFewChanges = false;
};

// Empties every comment that begins with the empty-message marker. Runs once
// on a table just parsed, before anything else may read it.
void ClearEmptyMessages(TRCSFileTable& table);

// The counters of every file of table, in table order, for the given
// few-changes limit.
std::vector<TFileCounters> CountFiles(const TRCSFileTable& table, std::int32_t linesLimit);

} // namespace quillon
