#include "CommitModels.h"

#include "CellText.h"
#include "ColumnCaptions.h"
#include "DisplayText.h"

#include <algorithm>

namespace quillon {

namespace {

// The page's columns among the export's.
constexpr std::array<int, TCommitListModel::ColumnCount> CommitCaptionOf = {0, 1, 2, 3, 4, 6};
constexpr std::array<int, TCommitRevisionsModel::ColumnCount> RevisionCaptionOf = {0, 1, 5, 6};

QColor AuthorColor(const TRowSource& source, TText author) {
    return IndexColor(source.Summary ? source.Summary->Authors.Position(author) : -1);
}

// The first line of a comment.
TText FirstLine(TText comment) {
    return comment.substr(0, comment.find_first_of("\r\n"));
}

} // namespace

TCommitListModel::TCommitListModel(const TRowStyle& style, QObject* parent)
    : TSortableModel(parent), Style(style) {}

void TCommitListModel::Reset(TRowSource source, TCommitList list) {
    CancelSort();
    beginResetModel();
    RowSource = std::move(source);
    Commits = std::move(list);
    Shown.clear();
    Shown.reserve(Commits.Rows.size());
    for (const TCommitRow& row : Commits.Rows)
        Shown.push_back(&row);
    endResetModel();
    Resort();
}

void TCommitListModel::StartSort(int column, Qt::SortOrder order) {
    using TRow = const TCommitRow*;
    switch (static_cast<TColumn>(column)) {
    case Date:
        return SortRows(
            Shown, [](TRow r) { return r->Commit->Date; }, order);
    case Author:
        return SortRows(
            Shown, [](TRow r) { return r->Commit->First->Author; }, order);
    case Files:
        return SortRows(
            Shown, [](TRow r) { return r->Count; }, order);
    case Added:
        return SortRows(
            Shown, [](TRow r) { return r->Added; }, order);
    case Removed:
        return SortRows(
            Shown, [](TRow r) { return r->Removed; }, order);
    case Comments:
        return SortRows(
            Shown, [](TRow r) { return FirstLine(r->Commit->First->Comment); }, order);
    }
}

const TCommitRow* TCommitListModel::RowAt(int row) const {
    return row >= 0 && row < static_cast<int>(Shown.size()) ? Shown[row] : nullptr;
}

int TCommitListModel::RowOfCommit(std::uint32_t commitPosition) const {
    const int listRow = Commits.RowOf(commitPosition);
    if (listRow < 0)
        return -1;
    const auto at = std::find(Shown.begin(), Shown.end(), &Commits.Rows[listRow]);
    return static_cast<int>(at - Shown.begin());
}

int TCommitListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(Shown.size());
}

int TCommitListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TCommitListModel::data(const QModelIndex& index, int role) const {
    const TCommitRow* row = RowAt(index.row());
    if (!row)
        return {};
    const TRevisionInfo& first = *row->Commit->First;
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case Date:
            return FormatListDate(row->Commit->Date);
        case Author:
            return CellText(first.Author);
        case Files:
            return QString::number(row->Count);
        case Added:
            return QString::number(row->Added);
        case Removed:
            return QString::number(row->Removed);
        case Comments:
            return CellText(FirstLine(first.Comment));
        }
        break;
    case Qt::DecorationRole:
        if (index.column() == Date)
            return RevisionRowImage();
        break;
    case FindableRole:
        return index.column() == Author || index.column() == Comments;
    case Qt::ForegroundRole:
        return AuthorColor(RowSource, first.Author);
    case Qt::FontRole:
        return Style.Font;
    case Qt::ToolTipRole:
        if (index.column() == Comments)
            return CellText(first.Comment, DisplayComment);
        if (index.column() == Date && HasCommitId(first))
            return QStringLiteral("commitid: %1").arg(CellText(first.CommitId));
        break;
    default:
        break;
    }
    return {};
}

QVariant TCommitListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromLatin1(CommitColumnCaptions[CommitCaptionOf[section]]);
    case TypicalIconRole:
        return section == Date ? RevisionRowImage() : QVariant();
    default:
        return {};
    }
}

TCommitRevisionsModel::TCommitRevisionsModel(const TRowStyle& style, QObject* parent)
    : TSortableModel(parent), Style(style) {}

void TCommitRevisionsModel::Reset(TRowSource source, std::vector<const TRevisionInfo*> revisions) {
    CancelSort();
    beginResetModel();
    RowSource = std::move(source);
    Rows = std::move(revisions);
    endResetModel();
    Resort();
}

const TRevisionInfo* TCommitRevisionsModel::RevisionAt(int row) const {
    return row >= 0 && row < static_cast<int>(Rows.size()) ? Rows[row] : nullptr;
}

int TCommitRevisionsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(Rows.size());
}

int TCommitRevisionsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TCommitRevisionsModel::data(const QModelIndex& index, int role) const {
    const TRevisionInfo* r = RevisionAt(index.row());
    if (!r)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case FileName:
            return CellText(r->FileInfo->WorkingFile);
        case Revision:
            return CellText(r->Revision);
        case Added:
            return QString::number(r->LinesAdded);
        case Removed:
            return QString::number(r->LinesRemoved);
        }
        break;
    case Qt::DecorationRole:
        if (index.column() == FileName)
            return RevisionRowImage();
        break;
    case FindableRole:
        return index.column() == FileName || index.column() == Revision;
    case Qt::ForegroundRole:
        return AuthorColor(RowSource, r->Author);
    case Qt::FontRole:
        return Style.RevisionFont(*r);
    default:
        break;
    }
    return {};
}

void TCommitRevisionsModel::StartSort(int column, Qt::SortOrder order) {
    using TRow = const TRevisionInfo*;
    switch (static_cast<TColumn>(column)) {
    case FileName:
        return SortRows(
            Rows, [](TRow r) { return r->FileInfo->WorkingFile; }, order);
    case Revision:
        return SortRows(
            Rows, [](TRow r) { return TRevisionKey{r->Revision}; }, order);
    case Added:
        return SortRows(
            Rows, [](TRow r) { return r->LinesAdded; }, order);
    case Removed:
        return SortRows(
            Rows, [](TRow r) { return r->LinesRemoved; }, order);
    }
}

QVariant TCommitRevisionsModel::headerData(int section, Qt::Orientation orientation,
                                           int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromLatin1(HistoryColumnCaptions[RevisionCaptionOf[section]]);
    case TypicalIconRole:
        return section == FileName ? RevisionRowImage() : QVariant();
    default:
        return {};
    }
}

} // namespace quillon
