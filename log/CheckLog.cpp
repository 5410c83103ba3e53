#include "CheckLog.h"

namespace quillon {

void ClearEmptyMessages(TRCSFileTable& table) {
    for (TRevisionInfo& r : table.Revisions())
        if (r.Comment.starts_with(EmptyLogMessage))
            r.Comment = {};
}

std::vector<TFileCounters> CountFiles(const TRCSFileTable& table, std::int32_t linesLimit) {
    std::vector<TFileCounters> counters(table.FileCount());
    auto out = counters.begin();
    for (const auto& file : table.Files()) {
        TFileCounters& c = *out++;
        bool newest = true;
        for (const auto& r : file.Revisions) {
            c.TotalAdded += r.LinesAdded;
            c.TotalRemoved += r.LinesRemoved;
            const std::int64_t changed = ChangedLines(r);
            if (r.Comment.empty())
                ++c.NoComments;
            if (changed == 0)
                ++c.NoChanges;
            else if (changed < linesLimit)
                ++c.FewChanges;
            if (newest) {
                c.LastAuthor = r.Author;
                c.LastNoComment = r.Comment.empty();
                c.LastFewChanges = changed < linesLimit;
                newest = false;
            }
        }
    }
    return counters;
}

} // namespace quillon
