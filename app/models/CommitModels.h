// The models of the Commits page: the commits of the listed history and the
// revisions of one commit. Like the other list models they share the
// ownership of the table and summary their rows point into.
#pragma once

#include "Commits.h"
#include "ListModels.h"

#include <QAbstractTableModel>

#include <vector>

namespace quillon {

class TCommitListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum TColumn { Date, Author, Files, Added, Removed, Comments };
    static constexpr int ColumnCount = 6;

    explicit TCommitListModel(const TRowStyle& style, QObject* parent = nullptr);

    // Replaces every row at once; list is made from source's summary.
    void Reset(TRowSource source, TCommitList list);
    void Clear() { Reset({}, {}); }
    const TCommitRow* RowAt(int row) const;
    const TCommitList& List() const { return Commits; }
    const TRowSource& Source() const { return RowSource; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const TRowStyle& Style;
    TRowSource RowSource;
    TCommitList Commits;
};

class TCommitRevisionsModel : public QAbstractTableModel {
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

private:
    const TRowStyle& Style;
    TRowSource RowSource;
    std::vector<const TRevisionInfo*> Rows;
};

} // namespace quillon
