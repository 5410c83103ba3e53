#include "LogSummary.h"

namespace quillon {

TLogSummary SummarizeLog(const TRCSFileTable& table, std::int32_t linesLimit) {
    TLogSummary summary;
    summary.LinesLimit = linesLimit;
    // The history order is sorted on every core, and the commits wait for it;
    // while they are grouped one revision at a time, the counters and the
    // authors are built beside them.
    summary.HistoryOrder = HistoryOrder(table);
    summary.Commits = TCommits(table, summary.HistoryOrder, [&] {
        summary.Files = CountFiles(table, linesLimit);
        summary.Authors = TAuthorIndex(table);
    });
    summary.FirstFile = table.Files().data();
    return summary;
}

} // namespace quillon
