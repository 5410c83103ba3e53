// The models of the file list, the revision list and the history list. A row's
// data is the file or revision it stands for; the file table owns them, and
// each model shares the ownership of the table and of the summary its rows
// were made with for as long as it holds the rows.
#pragma once

#include "ColumnCaptions.h"
#include "Find.h"
#include "LogSummary.h"
#include "RevisionModel.h"
#include "RowStyle.h"
#include "SortableModel.h"

#include <vector>

namespace quillon {

// Header data of a column for its width: a value as wide as the column's
// values commonly are (QString), and the icon its cells show before the text
// (QIcon).
inline constexpr int TypicalTextRole = Qt::UserRole + 1;
inline constexpr int TypicalIconRole = Qt::UserRole + 2;
// Cell data: whether find looks in the cell's text (bool).
inline constexpr int FindableRole = Qt::UserRole + 3;

// The table a model's rows point into and the summary they are shown with.
struct TRowSource {
    TRCSFileTablePtr Table;
    TLogSummaryPtr Summary;
    // The table's find index, where one is kept.
    std::shared_ptr<TLazyFindIndex> FindIndex;
};

class TFileListModel : public TSortableModel {
    Q_OBJECT
public:
    enum TColumn { FileName, Head, NoComments, NoChanges, FewChanges, Added, Removed, Description };
    static constexpr int ColumnCount = int(FileColumnCaptions.size());

    explicit TFileListModel(const TRowStyle& style, QObject* parent = nullptr);

    // Replaces every row at once; files belong to source's table.
    void Reset(TRowSource source, std::vector<const TRCSFile*> files);
    void Clear() { Reset({}, {}); }
    const TRCSFile* FileAt(int row) const;
    const TRowSource& Source() const { return RowSource; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

protected:
    void StartSort(int column, Qt::SortOrder order) override;

private:
    const TRowStyle& Style;
    TRowSource RowSource;
    std::vector<const TRCSFile*> Files;
};

class TRevisionListModel : public TSortableModel {
    Q_OBJECT
public:
    // The revision list shows one file's revisions; the history list shows the
    // file name in front of them.
    enum class TKind { Revisions, History };
    enum TColumn { FileName, Revision, Date, Author, State, Added, Removed, Comments, Tags };
    static constexpr int HistoryColumnCount = int(HistoryColumnCaptions.size());

    TRevisionListModel(TKind kind, const TRowStyle& style, QObject* parent = nullptr);

    // Replaces every row at once; revisions belong to source's table.
    void Reset(TRowSource source, std::vector<const TRevisionInfo*> revisions);
    void Clear() { Reset({}, {}); }
    const TRevisionInfo* RevisionAt(int row) const;
    const std::vector<const TRevisionInfo*>& Revisions() const { return Rows; }
    const TRowSource& Source() const { return RowSource; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

protected:
    void StartSort(int column, Qt::SortOrder order) override;

private:
    TColumn ColumnAt(int section) const;

    TKind Kind;
    const TRowStyle& Style;
    TRowSource RowSource;
    std::vector<const TRevisionInfo*> Rows;
};

} // namespace quillon
