#include "CheckLog.h"

#include <future>
#include <thread>

namespace quillon {

namespace {

// From this many revisions on, the comments are looked at on two threads:
// each look reads far from the last, and most of the time is the wait.
constexpr std::size_t ClearSideBySideFrom = 1 << 16;

void ClearEmptyMessages(std::span<TRevisionInfo> revisions) {
    for (TRevisionInfo& r : revisions)
        if (r.Comment.starts_with(EmptyLogMessage))
            r.Comment = {};
}

} // namespace

void ClearEmptyMessages(TRCSFileTable& table) {
    const std::span<TRevisionInfo> revisions = table.Revisions();
    if (revisions.size() < ClearSideBySideFrom || std::thread::hardware_concurrency() < 2)
        return ClearEmptyMessages(revisions);
    const std::size_t half = revisions.size() / 2;
    auto later =
        std::async(std::launch::async, [&] { ClearEmptyMessages(revisions.subspan(half)); });
    ClearEmptyMessages(revisions.first(half));
    later.get();
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
