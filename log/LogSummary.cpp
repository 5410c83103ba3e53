#include "LogSummary.h"

namespace quillon {

TLogSummary SummarizeLog(const TRCSFileTable& table, std::int32_t linesLimit) {
    TLogSummary summary;
    summary.LinesLimit = linesLimit;
    summary.Files = CountFiles(table, linesLimit);
    summary.HistoryOrder = HistoryOrder(table);
    summary.Authors = TAuthorIndex(table);
    summary.Commits = TCommits(table, summary.HistoryOrder);
    summary.FirstFile = table.Files().data();
    return summary;
}

} // namespace quillon
