// The models of the Commits page: the commits of the listed history and the
// revisions of one commit. Like the other list models they share the
// ownership of the table and summary their rows point into.
#pragma once

#include "Commits.h"
#include "ListModels.h"

#include <vector>

namespace quillon {

class TCommitListModel : public TSortableModel {
    Q_OBJECT
public:
    enum TColumn { Date, Author, Files, Added, Removed, Comments };
    static constexpr int ColumnCount = 6;

    explicit TCommitListModel(const TRowStyle& style, QObject* parent = nullptr);

    // Replaces every row at once; list is made from source's summary.
    void Reset(TRowSource source, TCommitList list);
    void Clear() { Reset({}, {}); }
    const TCommitRow* RowAt(int row) const;
    // The row that shows the commit at position in TCommits::Commits(), or -1.
    int RowOfCommit(std::uint32_t commitPosition) const;
    const TCommitList& List() const { return Commits; }
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
    TCommitList Commits;
    std::vector<const TCommitRow*> Shown; // the rows of Commits, in the order shown
};

class TCommitRevisionsModel : public TSortableModel {
    Q_OBJECT
public:
    enum TColumn { FileName, Revision, Added, Removed };
    static constexpr int ColumnCount = 4;

    explicit TCommitRevisionsModel(const TRowStyle& style, QObject* parent = nullptr);

    void Reset(TRowSource source, std::vector<const TRevisionInfo*> revisions);
    void Clear() { Reset({}, {}); }
    const TRevisionInfo* RevisionAt(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

protected:
    void StartSort(int column, Qt::SortOrder order) override;

private:
    const TRowStyle& Style;
    TRowSource RowSource;
    std::vector<const TRevisionInfo*> Rows;
};

} // namespace quillon
