#include "CommitModels.h"

#include "CellText.h"
#include "ColumnCaptions.h"
#include "DisplayText.h"

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
    : QAbstractTableModel(parent), Style(style) {}

void TCommitListModel::Reset(TRowSource source, TCommitList list) {
    beginResetModel();
    RowSource = std::move(source);
    Commits = std::move(list);
    endResetModel();
}

const TCommitRow* TCommitListModel::RowAt(int row) const {
    return row >= 0 && row < static_cast<int>(Commits.Rows.size()) ? &Commits.Rows[row] : nullptr;
}

int TCommitListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(Commits.Rows.size());
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
    : QAbstractTableModel(parent), Style(style) {}

void TCommitRevisionsModel::Reset(TRowSource source, std::vector<const TRevisionInfo*> revisions) {
    beginResetModel();
    RowSource = std::move(source);
    Rows = std::move(revisions);
    endResetModel();
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
    case Qt::ForegroundRole:
        return AuthorColor(RowSource, r->Author);
    case Qt::FontRole:
        return Style.RevisionFont(*r);
    default:
        break;
    }
    return {};
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
