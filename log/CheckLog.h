// The post-parse check: per-file summaries that the views and filters read.
#pragma once

#include "RevisionModel.h"

namespace quillon {

// The marker the client writes for a commit without a message.
inline constexpr std::string_view EmptyLogMessage = "*** empty log message ***";

// Lines added plus lines removed of a revision.
inline std::int64_t ChangedLines(const TRevisionInfo& r) {
    return std::int64_t{r.LinesAdded} + r.LinesRemoved;
}

// Empties every comment that begins with the empty-message marker and fills
// each file's summary fields (LastAuthor, totals, NoComments, NoChanges,
// FewChanges, LastNoComment, LastFewChanges) for the given few-changes limit.
void CheckFiles(TRCSFileTable& table, std::int32_t linesLimit);

} // namespace quillon
