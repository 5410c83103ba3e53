// A list model whose rows sort by a column, off the GUI thread: the model
// holds pointers to its rows, a worker sorts a copy of them, and the sorted
// copy replaces them with the persistent indexes (the selection, the current
// row) kept on their rows. The sort in force is applied again to new rows.
#pragma once

#include "LatestJob.h"

#include <QAbstractTableModel>

#include <algorithm>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace quillon {

// A revision number as a sort key: its numbers compare as numbers, part after
// part ("1.9" before "1.10", "1.2" before "1.2.2.1").
struct TRevisionKey {
    std::string_view Number;
    bool operator<(const TRevisionKey& other) const;
};

class TSortableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    // A column below 0 leaves the rows in the order they were given.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    int SortColumn() const { return Column; }
    Qt::SortOrder SortOrder() const { return Order; }

signals:
    // The rows are in the order of the sort in force.
    void sorted();

protected:
    // Starts sorting the rows by column; SortRows does the work.
    virtual void StartSort(int column, Qt::SortOrder order) = 0;
    // After the rows were replaced: sorts them by the sort in force, if any.
    void Resort();

    // Sorts a copy of rows by key(row) (reversed for a descending order, ties
    // kept in their order) on a worker, then makes it the rows.
    template <typename TRow, typename TKey>
    void SortRows(std::vector<TRow>& rows, TKey key, Qt::SortOrder order) {
        auto copy = std::make_shared<std::vector<TRow>>(rows);
        Job.Start(
            [copy, key, order](const std::atomic<bool>&) {
                using TKeyed = std::pair<decltype(key(copy->front())), TRow>;
                std::vector<TKeyed> keyed;
                keyed.reserve(copy->size());
                for (const TRow& row : *copy)
                    keyed.emplace_back(key(row), row);
                if (order == Qt::AscendingOrder)
                    std::stable_sort(
                        keyed.begin(), keyed.end(),
                        [](const TKeyed& a, const TKeyed& b) { return a.first < b.first; });
                else
                    std::stable_sort(
                        keyed.begin(), keyed.end(),
                        [](const TKeyed& a, const TKeyed& b) { return b.first < a.first; });
                for (std::size_t i = 0; i < keyed.size(); ++i)
                    (*copy)[i] = keyed[i].second;
                return copy;
            },
            [this, &rows](std::shared_ptr<std::vector<TRow>> sorted) {
                Replace(rows, std::move(*sorted));
            });
    }
    // Drops a sort that has not ended: the rows it sorted are gone.
    void CancelSort() { Job.Cancel(); }

private:
    template <typename TRow> void Replace(std::vector<TRow>& rows, std::vector<TRow> reordered) {
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        const QModelIndexList from = persistentIndexList();
        QModelIndexList to;
        for (const QModelIndex& index : from) {
            const auto at = std::find(reordered.begin(), reordered.end(),
                                      rows[static_cast<std::size_t>(index.row())]);
            to.append(index.sibling(static_cast<int>(at - reordered.begin()), index.column()));
        }
        rows = std::move(reordered);
        changePersistentIndexList(from, to);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
        emit this->sorted();
    }

    int Column = -1;
    Qt::SortOrder Order = Qt::AscendingOrder;
    TLatestJob Job{this};
};

} // namespace quillon
