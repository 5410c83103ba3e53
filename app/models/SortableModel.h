// A list model whose rows sort by a column, off the GUI thread: the model
// holds pointers to its rows, a worker sorts a copy of them, and the sorted
// copy replaces them with the persistent indexes (the selection, the current
// row) kept on their rows. The sort in force is applied again to new rows.
#pragma once

#include "LatestJob.h"

#include <QAbstractTableModel>

#include <algorithm>
#include <cstdint>
#include <future>
#include <memory>
#include <span>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace quillon {

// A revision number as a sort key: its numbers compare as numbers, part after
// part ("1.9" before "1.10", "1.2" before "1.2.2.1").
struct TRevisionKey {
    explicit TRevisionKey(std::string_view number);
    bool operator<(const TRevisionKey& other) const;

    // The first four parts, 16 bits each, in an order that agrees with the
    // whole number's: most comparisons end here.
    std::uint64_t Packed = 0;
    // Whether Packed holds the whole number: two such keys of one Packed are
    // equal.
    bool Whole = false;
    std::string_view Number;
};

// Sorts [first, last) stably: each half on a thread of its own, then the two
// merged.
template <typename TIterator, typename TLess>
void SortInHalves(TIterator first, TIterator last, TLess less) {
    const TIterator middle = first + (last - first) / 2;
    auto firstHalf = std::async(std::launch::async, [&] { std::stable_sort(first, middle, less); });
    std::stable_sort(middle, last, less);
    firstHalf.get();
    std::inplace_merge(first, middle, last, less);
}

// The order of texts by their bytes, or as revision numbers (reversed when
// descending, equal texts kept in their order), as positions into texts. Each distinct text is read
// once and sorted once; the rows then go to their places by count.
enum class TTextOrder { Bytes, RevisionNumbers };
std::vector<std::uint32_t> TextOrder(std::span<const std::string_view> texts, bool descending,
                                     TTextOrder by = TTextOrder::Bytes);
// The same order for rows whose texts are distinct[textOf[row]], distinct
// holding each text once.
std::vector<std::uint32_t> DistinctTextOrder(std::span<const std::string_view> distinct,
                                             std::span<const std::uint32_t> textOf,
                                             bool descending);

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
    // kept in their order) on a worker, then makes it the rows. Texts and
    // revision numbers go by TextOrder, other keys by SortInHalves.
    template <typename TRow, typename TKey>
    void SortRows(std::vector<TRow>& rows, TKey key, Qt::SortOrder order) {
        const bool descending = order == Qt::DescendingOrder;
        ReorderRows(rows, [key, descending](const std::vector<TRow>& from) {
            using TKeyType = decltype(key(from.front()));
            constexpr bool numbers = std::is_same_v<TKeyType, TRevisionKey>;
            if constexpr (numbers || std::is_same_v<TKeyType, std::string_view>) {
                std::vector<std::string_view> texts;
                texts.reserve(from.size());
                for (const TRow& row : from) {
                    if constexpr (numbers)
                        texts.push_back(key(row).Number);
                    else
                        texts.push_back(key(row));
                }
                return TextOrder(texts, descending,
                                 numbers ? TTextOrder::RevisionNumbers : TTextOrder::Bytes);
            } else {
                using TKeyed = std::pair<decltype(key(from.front())), std::uint32_t>;
                std::vector<TKeyed> keyed;
                keyed.reserve(from.size());
                for (const TRow& row : from)
                    keyed.emplace_back(key(row), static_cast<std::uint32_t>(keyed.size()));
                SortInHalves(keyed.begin(), keyed.end(),
                             [descending](const TKeyed& a, const TKeyed& b) {
                                 return descending ? b.first < a.first : a.first < b.first;
                             });
                std::vector<std::uint32_t> positions(keyed.size());
                for (std::size_t i = 0; i < keyed.size(); ++i)
                    positions[i] = keyed[i].second;
                return positions;
            }
        });
    }
    // Puts a copy of rows in the order positions(copy) gives, as positions in
    // copy, on a worker, then makes it the rows.
    template <typename TRow, typename TPositions>
    void ReorderRows(std::vector<TRow>& rows, TPositions positions) {
        auto copy = std::make_shared<std::vector<TRow>>(rows);
        Job.Start(
            [copy, positions](const std::atomic<bool>&) {
                TReordered<TRow> reordered{*copy, {}};
                const std::vector<std::uint32_t> order = positions(*copy);
                if (order.size() == copy->size()) {
                    reordered.NewRowOf.resize(order.size());
                    for (std::uint32_t i = 0; i < order.size(); ++i) {
                        reordered.Rows[i] = (*copy)[order[i]];
                        reordered.NewRowOf[order[i]] = i;
                    }
                }
                return reordered;
            },
            [this, &rows](TReordered<TRow> reordered) { Replace(rows, std::move(reordered)); });
    }
    // Drops a sort that has not ended: the rows it sorted are gone.
    void CancelSort() { Job.Cancel(); }

private:
    // Rows in their new order, and the new row of each old one (empty when
    // the order is unchanged).
    template <typename TRow> struct TReordered {
        std::vector<TRow> Rows;
        std::vector<std::uint32_t> NewRowOf;
    };

    template <typename TRow> void Replace(std::vector<TRow>& rows, TReordered<TRow> reordered) {
        emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
        const QModelIndexList from = persistentIndexList();
        QModelIndexList to;
        for (const QModelIndex& index : from) {
            const auto row = static_cast<std::size_t>(index.row());
            to.append(index.sibling(reordered.NewRowOf.empty()
                                        ? index.row()
                                        : static_cast<int>(reordered.NewRowOf[row]),
                                    index.column()));
        }
        rows = std::move(reordered.Rows);
        changePersistentIndexList(from, to);
        emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
        emit this->sorted();
    }

    int Column = -1;
    Qt::SortOrder Order = Qt::AscendingOrder;
    TLatestJob Job{this};
};

} // namespace quillon
