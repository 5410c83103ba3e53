#include "LogSummary.h"

#include <future>

namespace quillon {

TLogSummary SummarizeLog(const TRCSFileTable& table, std::int32_t linesLimit) {
    TLogSummary summary;
    summary.LinesLimit = linesLimit;
    // The history order is sorted on every core; the commits wait for it,
    // and the counters and the authors are built beside them.
    summary.HistoryOrder = HistoryOrder(table);
    auto beside = std::async(std::launch::async, [&] {
        summary.Files = CountFiles(table, linesLimit);
        summary.Authors = TAuthorIndex(table);
    });
    summary.Commits = TCommits(table, summary.HistoryOrder);
    beside.get();
    summary.FirstFile = table.Files().data();
    return summary;
}

} // namespace quillon
