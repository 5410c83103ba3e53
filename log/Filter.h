// The filters of the views and the export: masks, filter mode, author and
// find text.
#pragma once

#include "AuthorIndex.h"
#include "Find.h"
#include "LogSummary.h"
#include "RevisionModel.h"
#include "Tags.h"

#include <QString>

#include <memory>
#include <string>
#include <vector>

namespace quillon {

enum class TFilterMode { AllFiles = 0, NoCommentInLast = 1, FewChangesInLast = 2 };

// The masks of a mask text: blanks removed wherever they stand, split at ";",
// empty masks left out. "src; test" gives "src" and "test".
std::vector<std::string> SplitMasks(const QString& masks);

struct TFilter {
    TFilterMode Mode = TFilterMode::AllFiles;
    std::int32_t LinesLimit = 0;
    std::vector<std::string> Include; // masks in force; all must occur in the name
    std::vector<std::string> Exclude; // masks in force; none may occur in the name
    int AuthorPosition = 0;           // the selected author entry; 0 for all users
    TAuthorIndexPtr Authors;
    // The branch and the range of tags in force, if any, as selections of the
    // filtered table. With either, a file passes only when it has a revision
    // that both keep.
    std::shared_ptr<const TRevisionSelection> Branch;
    std::shared_ptr<const TRevisionSelection> Range;
    // The find text in force: only the revisions it matches pass.
    TFindText Find;

    bool FilePasses(const TRCSFile& file, const TFileCounters& counters) const;
    bool RevisionPasses(const TRevisionInfo& revision) const;
    // Whether RevisionPasses holds for every revision, whatever it is.
    bool PassesEveryRevision() const;

private:
    bool Selected(const TRevisionInfo& revision) const;
};

// An author position that no author has: nothing passes it.
inline constexpr int NoAuthorPosition = -1000;

// The filter of the given mode, limit, masks (empty when switched off) and
// author position.
TFilter MakeFilter(TFilterMode mode, std::int32_t linesLimit, const QString& include,
                   const QString& exclude, int authorPosition, TAuthorIndexPtr authors);

// What the file list and the history list show through a filter.
struct TViewRows {
    std::vector<const TRCSFile*> Files;        // table order
    std::vector<const TRevisionInfo*> History; // newest first; equal dates in table order
    int Skipped = 0;                           // files that got no row
};

// The files of table through filter, and its history in the summary's order;
// the summary is table's.
TViewRows FilterRows(const TRCSFileTable& table, const TLogSummary& summary, const TFilter& filter);

} // namespace quillon
