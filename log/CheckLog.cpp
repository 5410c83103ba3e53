#include "CheckLog.h"

namespace quillon {

void CheckFiles(TRCSFileTable& table, std::int32_t linesLimit) {
    for (auto& file : table.Files()) {
        file.LastNoComment = false;
        file.LastFewChanges = false;
        file.TotalAdded = 0;
        file.TotalRemoved = 0;
        file.NoComments = 0;
        file.NoChanges = 0;
        file.FewChanges = 0;
        bool newest = true;
        for (auto& r : file.Revisions) {
            if (r.Comment.starts_with(EmptyLogMessage))
                r.Comment = {};
            file.TotalAdded += r.LinesAdded;
            file.TotalRemoved += r.LinesRemoved;
            const std::int64_t changed = ChangedLines(r);
            if (r.Comment.empty())
                ++file.NoComments;
            if (changed == 0)
                ++file.NoChanges;
            else if (changed < linesLimit)
                ++file.FewChanges;
            if (newest) {
                file.LastAuthor = r.Author;
                file.LastNoComment = r.Comment.empty();
                file.LastFewChanges = changed < linesLimit;
                newest = false;
            }
        }
    }
}

} // namespace quillon
