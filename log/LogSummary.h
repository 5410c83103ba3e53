// What a check derives from a file table for one few-changes limit, and the
// commits, which depend on the table alone. It is computed off the GUI thread
// from a const table and replaces the previous summary as a whole; the table
// itself never changes.
#pragma once

#include "AuthorIndex.h"
#include "CheckLog.h"
#include "Commits.h"
#include "RevisionModel.h"

#include <memory>
#include <vector>

namespace quillon {

struct TLogSummary {
    std::int32_t LinesLimit = 0;
    std::vector<TFileCounters> Files;               // in the table's file order
    std::vector<const TRevisionInfo*> HistoryOrder; // see quillon::HistoryOrder
    TAuthorIndex Authors;
    TCommits Commits;
    const TRCSFile* FirstFile = nullptr; // the table's first file

    // The counters of a file of the summarised table.
    const TFileCounters& Counters(const TRCSFile& file) const {
        return Files[static_cast<std::size_t>(&file - FirstFile)];
    }
};

using TLogSummaryPtr = std::shared_ptr<const TLogSummary>;

// The author index of summary, sharing its ownership; none without a summary.
inline TAuthorIndexPtr AuthorsOf(const TLogSummaryPtr& summary) {
    return summary ? TAuthorIndexPtr(summary, &summary->Authors) : nullptr;
}

TLogSummary SummarizeLog(const TRCSFileTable& table, std::int32_t linesLimit);

} // namespace quillon
