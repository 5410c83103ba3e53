#include "Filter.h"

#include "CheckLog.h"

#include <algorithm>

namespace quillon {

std::vector<std::string> SplitMasks(const QString& masks) {
    std::vector<std::string> result;
    QString text = masks;
    text.remove(QLatin1Char(' '));
    for (const QString& mask : text.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        result.push_back(mask.toStdString());
    return result;
}

TFilter MakeFilter(TFilterMode mode, std::int32_t linesLimit, const QString& include,
                   const QString& exclude, int authorPosition, TAuthorIndexPtr authors) {
    TFilter filter;
    filter.Mode = mode;
    filter.LinesLimit = linesLimit;
    filter.Include = SplitMasks(include);
    filter.Exclude = SplitMasks(exclude);
    filter.AuthorPosition = authorPosition;
    filter.Authors = std::move(authors);
    return filter;
}

bool TFilter::Selected(const TRevisionInfo& revision) const {
    return (!Branch || Branch->Keeps(revision)) && (!Range || Range->Keeps(revision));
}

bool TFilter::FilePasses(const TRCSFile& file, const TFileCounters& counters) const {
    for (const auto& mask : Include)
        if (file.WorkingFile.find(mask) == std::string_view::npos)
            return false;
    for (const auto& mask : Exclude)
        if (file.WorkingFile.find(mask) != std::string_view::npos)
            return false;
    switch (Mode) {
    case TFilterMode::AllFiles:
        break;
    case TFilterMode::NoCommentInLast:
        if (!counters.LastNoComment)
            return false;
        break;
    case TFilterMode::FewChangesInLast:
        if (!counters.LastFewChanges)
            return false;
        break;
    }
    if (AuthorPosition != 0) {
        if (file.Revisions.empty() || !Authors ||
            Authors->Position(counters.LastAuthor) != AuthorPosition)
            return false;
    }
    if ((Branch || Range) &&
        std::none_of(file.Revisions.begin(), file.Revisions.end(),
                     [this](const TRevisionInfo& revision) { return Selected(revision); }))
        return false;
    return true;
}

bool TFilter::PassesEveryRevision() const {
    return Mode == TFilterMode::AllFiles && AuthorPosition == 0 && !Branch && !Range &&
           Find.Empty();
}

bool TFilter::RevisionPasses(const TRevisionInfo& revision) const {
    switch (Mode) {
    case TFilterMode::AllFiles:
        break;
    case TFilterMode::NoCommentInLast:
        if (!revision.Comment.empty())
            return false;
        break;
    case TFilterMode::FewChangesInLast:
        if (!(ChangedLines(revision) < LinesLimit))
            return false;
        break;
    }
    return (AuthorPosition == 0 ||
            (Authors && Authors->Position(revision.Author) == AuthorPosition)) &&
           Selected(revision) && Find.Matches(revision);
}

TViewRows FilterRows(const TRCSFileTable& table, const TLogSummary& summary,
                     const TFilter& filter) {
    TViewRows rows;
    const auto files = table.Files();
    std::vector<char> listed(files.size(), 0);
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!filter.FilePasses(files[i], summary.Files[i])) {
            ++rows.Skipped;
            continue;
        }
        listed[i] = 1;
        rows.Files.push_back(&files[i]);
    }
    if (rows.Skipped == 0 && filter.PassesEveryRevision()) {
        // The whole history, without a look at each revision.
        rows.History = summary.HistoryOrder;
        return rows;
    }
    auto passes = [&](const TRevisionInfo* revision) {
        return listed[static_cast<std::size_t>(revision->FileInfo - files.data())] &&
               filter.RevisionPasses(*revision);
    };
    for (const TRevisionInfo* revision : summary.HistoryOrder)
        if (passes(revision))
            rows.History.push_back(revision);
    return rows;
}

} // namespace quillon
