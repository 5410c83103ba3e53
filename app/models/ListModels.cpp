#include "ListModels.h"

#include "CellText.h"
#include "ColumnCaptions.h"
#include "DateTime.h"
#include "DisplayText.h"
#include "Tags.h"

#include <optional>

namespace quillon {

namespace {

// The comment in one cell: its lines joined by blanks.
QString CommentCell(TText comment) {
    return CellText(comment, DisplayComment).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

// The first line of a revision's tip: the branch it is on.
const QString OnTrunk = QStringLiteral("on the trunk");
const QString OnBranch = QStringLiteral("on branch: %1");

// As wide as revision numbers and dates commonly are.
const QString TypicalRevision = QStringLiteral("1.151");

QString TypicalDate() {
    static const QString date = FormatListDate(
        EncodeDateTime(
            {.Year = 2004, .Month = 5, .Day = 28, .Hour = 18, .Minute = 58, .Second = 58})
            .value_or(0));
    return date;
}

QString Number(std::int64_t value) {
    return QString::number(value);
}

QColor AuthorColor(const TRowSource& source, TText author) {
    return IndexColor(source.Summary ? source.Summary->Authors.Position(author) : -1);
}

} // namespace

TFileListModel::TFileListModel(const TRowStyle& style, QObject* parent)
    : TSortableModel(parent), Style(style) {}

void TFileListModel::Reset(TRowSource source, std::vector<const TRCSFile*> files) {
    CancelSort();
    beginResetModel();
    RowSource = std::move(source);
    Files = std::move(files);
    endResetModel();
    Resort();
}

void TFileListModel::StartSort(int column, Qt::SortOrder order) {
    const TLogSummaryPtr summary = RowSource.Summary;
    if (!summary)
        return;
    auto counter = [&](auto field) {
        SortRows(
            Files,
            [summary, field](const TRCSFile* f) {
                return static_cast<std::int64_t>(summary->Counters(*f).*field);
            },
            order);
    };
    switch (static_cast<TColumn>(column)) {
    case FileName:
        return SortRows(
            Files, [](const TRCSFile* f) { return f->WorkingFile; }, order);
    case Head:
        return SortRows(
            Files, [](const TRCSFile* f) { return TRevisionKey{f->Head}; }, order);
    case NoComments:
        return counter(&TFileCounters::NoComments);
    case NoChanges:
        return counter(&TFileCounters::NoChanges);
    case FewChanges:
        return counter(&TFileCounters::FewChanges);
    case Added:
        return counter(&TFileCounters::TotalAdded);
    case Removed:
        return counter(&TFileCounters::TotalRemoved);
    case Description:
        return SortRows(
            Files, [](const TRCSFile* f) { return f->Description; }, order);
    }
}

const TRCSFile* TFileListModel::FileAt(int row) const {
    return row >= 0 && row < static_cast<int>(Files.size()) ? Files[row] : nullptr;
}

int TFileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(Files.size());
}

int TFileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TFileListModel::data(const QModelIndex& index, int role) const {
    const TRCSFile* f = FileAt(index.row());
    if (!f || !RowSource.Summary)
        return {};
    const TFileCounters& c = RowSource.Summary->Counters(*f);
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case FileName:
            return CellText(f->WorkingFile);
        case Head:
            return CellText(f->Head);
        case NoComments:
            return Number(c.NoComments);
        case NoChanges:
            return Number(c.NoChanges);
        case FewChanges:
            return Number(c.FewChanges);
        case Added:
            return Number(c.TotalAdded);
        case Removed:
            return Number(c.TotalRemoved);
        case Description:
            return CommentCell(f->Description);
        }
        break;
    case Qt::DecorationRole:
        if (index.column() == FileName)
            return FileRowImage();
        break;
    case Qt::ForegroundRole:
        return AuthorColor(RowSource, c.LastAuthor);
    case Qt::FontRole:
        return Style.FileFont(c);
    case Qt::ToolTipRole:
        if (index.column() == FileName)
            return CellText(f->RCSPath);
        break;
    default:
        break;
    }
    return {};
}

QVariant TFileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromLatin1(FileColumnCaptions[section]);
    case TypicalTextRole:
        return section == Head ? TypicalRevision : QVariant();
    case TypicalIconRole:
        return section == FileName ? FileRowImage() : QVariant();
    default:
        return {};
    }
}

namespace {

// What use makes of the find index of source's table: the one kept beside
// the table, or one made for the call. No table: nothing.
template <typename TUse>
std::vector<std::uint32_t> WithFindIndex(const TRowSource& source, TUse use) {
    if (!source.Table)
        return {};
    std::optional<TLazyFindIndex> own;
    TLazyFindIndex& index = source.FindIndex ? *source.FindIndex : own.emplace();
    return use(index.Get(*source.Table));
}

} // namespace

TRevisionListModel::TRevisionListModel(TKind kind, const TRowStyle& style, QObject* parent)
    : TSortableModel(parent), Kind(kind), Style(style) {}

void TRevisionListModel::Reset(TRowSource source, std::vector<const TRevisionInfo*> revisions) {
    CancelSort();
    beginResetModel();
    RowSource = std::move(source);
    Rows = std::move(revisions);
    endResetModel();
    Resort();
}

void TRevisionListModel::StartSort(int column, Qt::SortOrder order) {
    using TRow = const TRevisionInfo*;
    switch (ColumnAt(column)) {
    case FileName:
        return SortRows(
            Rows, [](TRow r) { return r->FileInfo->WorkingFile; }, order);
    case Revision:
        return SortRows(
            Rows, [](TRow r) { return TRevisionKey{r->Revision}; }, order);
    case Date:
        return SortRows(
            Rows, [](TRow r) { return r->Date; }, order);
    case Author:
        return SortRows(
            Rows, [](TRow r) { return r->Author; }, order);
    case State:
        return SortRows(
            Rows, [](TRow r) { return r->State; }, order);
    case Added:
        return SortRows(
            Rows, [](TRow r) { return r->LinesAdded; }, order);
    case Removed:
        return SortRows(
            Rows, [](TRow r) { return r->LinesRemoved; }, order);
    case Comments:
        // The comments, each once, and the tags of every revision, from the
        // find index.
        return ReorderRows(Rows, [source = RowSource, order](const std::vector<TRow>& rows) {
            return WithFindIndex(source, [&](const TFindIndex& index) {
                std::vector<std::uint32_t> textOf;
                textOf.reserve(rows.size());
                for (const TRow r : rows)
                    textOf.push_back(index.CommentOf(source.Table->RevisionIndex(*r)));
                return DistinctTextOrder(index.Distinct(), textOf, order == Qt::DescendingOrder);
            });
        });
    case Tags:
        return ReorderRows(Rows, [source = RowSource, order](const std::vector<TRow>& rows) {
            return WithFindIndex(source, [&](const TFindIndex& index) {
                const TFindIndex::TTagLists lists = index.TagLists();
                const std::vector<std::string_view> texts(lists.Texts.begin(), lists.Texts.end());
                std::vector<std::uint32_t> textOf;
                textOf.reserve(rows.size());
                for (const TRow r : rows)
                    textOf.push_back(lists.TextOf[source.Table->RevisionIndex(*r)]);
                return DistinctTextOrder(texts, textOf, order == Qt::DescendingOrder);
            });
        });
    }
}

const TRevisionInfo* TRevisionListModel::RevisionAt(int row) const {
    return row >= 0 && row < static_cast<int>(Rows.size()) ? Rows[row] : nullptr;
}

int TRevisionListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(Rows.size());
}

int TRevisionListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid()
               ? 0
               : (Kind == TKind::History ? HistoryColumnCount : HistoryColumnCount - 1);
}

TRevisionListModel::TColumn TRevisionListModel::ColumnAt(int section) const {
    return static_cast<TColumn>(Kind == TKind::History ? section : section + 1);
}

QVariant TRevisionListModel::data(const QModelIndex& index, int role) const {
    const TRevisionInfo* r = RevisionAt(index.row());
    if (!r || index.column() < 0 || index.column() >= columnCount())
        return {};
    const TColumn column = ColumnAt(index.column());
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case FileName:
            return CellText(r->FileInfo->WorkingFile);
        case Revision:
            return CellText(r->Revision);
        case Date:
            return FormatListDate(r->Date);
        case Author:
            return CellText(r->Author);
        case State:
            return CellText(r->State);
        case Added:
            return Number(r->LinesAdded);
        case Removed:
            return Number(r->LinesRemoved);
        case Comments:
            return CommentCell(r->Comment);
        case Tags:
            return CellText(TagsText(*r));
        }
        break;
    case Qt::DecorationRole:
        if (index.column() == 0)
            return RevisionRowImage();
        break;
    case FindableRole:
        return column == FileName || column == Revision || column == Author || column == Comments ||
               column == Tags;
    case Qt::ForegroundRole:
        return AuthorColor(RowSource, r->Author);
    case Qt::FontRole:
        return Style.RevisionFont(*r);
    case Qt::ToolTipRole:
        if (column == Comments)
            return CellText(r->Comment, DisplayComment);
        if (column == Revision) {
            QStringList notes;
            const std::string branch = BranchNameOf(*r);
            notes.append(branch.empty() ? OnTrunk : OnBranch.arg(CellText(branch)));
            if (const TText locker = Locker(*r); !locker.empty())
                notes.append(QStringLiteral("locked by: %1").arg(CellText(locker)));
            if (const TText branches = Branches(*r); !branches.empty())
                notes.append(QStringLiteral("branches: %1").arg(CellText(branches)));
            return notes.join(QLatin1Char('\n'));
        }
        break;
    default:
        break;
    }
    return {};
}

QVariant TRevisionListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    const TColumn column = ColumnAt(section);
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromLatin1(HistoryColumnCaptions[column]);
    case TypicalTextRole:
        if (column == Revision)
            return TypicalRevision;
        return column == Date ? TypicalDate() : QVariant();
    case TypicalIconRole:
        return section == 0 ? RevisionRowImage() : QVariant();
    default:
        return {};
    }
}

} // namespace quillon
