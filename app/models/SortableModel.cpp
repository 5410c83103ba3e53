#include "SortableModel.h"

#include <cstring>
#include <functional>
#include <numeric>

namespace quillon {

namespace {

constexpr int PackedParts = 4;
constexpr std::uint64_t PartLimit = 0xFFFF;
// The first size of the table of distinct texts; a power of two.
constexpr std::size_t InitialBuckets = 1024;

} // namespace

TRevisionKey::TRevisionKey(std::string_view number) : Number(number) {
    // Each part as its number + 1, so that a missing part (0) comes first. A
    // part too large for 16 bits stands at the limit, as does one that is
    // empty or holds more than digits: then the whole numbers decide.
    bool whole = true;
    std::uint64_t part = 0;
    std::size_t digits = 0;
    int parts = 0;
    auto endPart = [&] {
        if (digits == 0 || part + 1 >= PartLimit)
            whole = false;
        Packed = Packed << 16 | std::min(part + 1, PartLimit);
        part = digits = 0;
        ++parts;
    };
    for (const char c : number) {
        if (c == '.') {
            endPart();
            if (parts == PackedParts)
                return; // more parts follow: not whole
        } else if (c >= '0' && c <= '9') {
            part = std::min(part * 10 + static_cast<std::uint64_t>(c - '0'), PartLimit);
            ++digits;
        } else {
            part = PartLimit;
        }
    }
    if (number.empty()) {
        Whole = true;
        return;
    }
    endPart();
    Packed <<= 16 * (PackedParts - parts);
    Whole = whole;
}

namespace {

// The order of rows whose values are the distinct values' textOf[row], by
// less on the positions of two distinct values.
template <typename TLess>
std::vector<std::uint32_t> RankOrder(std::size_t distinct, std::span<const std::uint32_t> textOf,
                                     TLess less, bool descending) {
    std::vector<std::uint32_t> sorted(distinct);
    std::iota(sorted.begin(), sorted.end(), 0u);
    SortInHalves(sorted.begin(), sorted.end(), less);
    // The rank of each distinct value, one for values that compare equal
    // ("1.3" and "01.3"), then where each rank's rows begin.
    std::vector<std::uint32_t> rank(distinct);
    std::uint32_t last = 0;
    for (std::uint32_t r = 0; r < sorted.size(); ++r) {
        if (r > 0 && less(sorted[r - 1], sorted[r]))
            ++last;
        rank[sorted[r]] = last;
    }
    if (descending)
        for (std::uint32_t& r : rank)
            r = last - r;
    std::vector<std::uint32_t> begin(distinct + 1, 0);
    for (const std::uint32_t text : textOf)
        ++begin[rank[text] + 1];
    std::partial_sum(begin.begin(), begin.end(), begin.begin());
    std::vector<std::uint32_t> order(textOf.size());
    for (std::uint32_t i = 0; i < textOf.size(); ++i)
        order[begin[rank[textOf[i]]]++] = i;
    return order;
}

// The eight bytes of text from offset on, as one number in byte order.
std::uint64_t Prefix(std::string_view text, std::size_t offset) {
    unsigned char bytes[8] = {};
    if (offset < text.size())
        std::memcpy(bytes, text.data() + offset, std::min(text.size() - offset, sizeof bytes));
    std::uint64_t prefix = 0;
    for (const unsigned char byte : bytes)
        prefix = prefix << 8 | byte;
    return prefix;
}

} // namespace

std::vector<std::uint32_t> DistinctTextOrder(std::span<const std::string_view> distinct,
                                             std::span<const std::uint32_t> textOf,
                                             bool descending) {
    // The first sixteen bytes of each text as two numbers, that order most
    // pairs without reading the texts again.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> prefix(distinct.size());
    for (std::size_t d = 0; d < distinct.size(); ++d)
        prefix[d] = {Prefix(distinct[d], 0), Prefix(distinct[d], 8)};
    return RankOrder(
        distinct.size(), textOf,
        [&](std::uint32_t a, std::uint32_t b) {
            return prefix[a] != prefix[b] ? prefix[a] < prefix[b] : distinct[a] < distinct[b];
        },
        descending);
}

std::vector<std::uint32_t> TextOrder(std::span<const std::string_view> texts, bool descending,
                                     TTextOrder by) {
    // Each distinct text once, found again through a table of open
    // addressing by its hash.
    constexpr std::uint32_t Free = ~0u;
    std::vector<std::string_view> distinct;
    std::vector<std::size_t> hashes;
    std::vector<std::uint32_t> buckets(InitialBuckets, Free);
    std::vector<std::uint32_t> textOf(texts.size());
    const std::hash<std::string_view> hash;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string_view text = texts[i];
        // Runs of one text (one file's revisions) skip the table.
        if (i > 0 && text.data() == texts[i - 1].data() && text.size() == texts[i - 1].size()) {
            textOf[i] = textOf[i - 1];
            continue;
        }
        const std::size_t h = hash(text);
        std::size_t slot = h & (buckets.size() - 1);
        while (buckets[slot] != Free &&
               (hashes[buckets[slot]] != h || distinct[buckets[slot]] != text))
            slot = (slot + 1) & (buckets.size() - 1);
        if (buckets[slot] != Free) {
            textOf[i] = buckets[slot];
            continue;
        }
        textOf[i] = static_cast<std::uint32_t>(distinct.size());
        buckets[slot] = textOf[i];
        distinct.push_back(text);
        hashes.push_back(h);
        // At most half full: past that the table doubles.
        if (distinct.size() * 2 > buckets.size()) {
            buckets.assign(buckets.size() * 2, Free);
            for (std::uint32_t d = 0; d < distinct.size(); ++d) {
                std::size_t at = hashes[d] & (buckets.size() - 1);
                while (buckets[at] != Free)
                    at = (at + 1) & (buckets.size() - 1);
                buckets[at] = d;
            }
        }
    }
    if (by == TTextOrder::RevisionNumbers) {
        const std::vector<TRevisionKey> keys(distinct.begin(), distinct.end());
        return RankOrder(
            distinct.size(), textOf,
            [&](std::uint32_t a, std::uint32_t b) { return keys[a] < keys[b]; }, descending);
    }
    return DistinctTextOrder(distinct, textOf, descending);
}

bool TRevisionKey::operator<(const TRevisionKey& other) const {
    if (Packed != other.Packed)
        return Packed < other.Packed;
    if (Whole && other.Whole)
        return false;
    std::string_view a = Number, b = other.Number;
    while (!a.empty() && !b.empty()) {
        auto part = [](std::string_view& text) {
            const std::size_t dot = text.find('.');
            std::string_view digits = text.substr(0, dot);
            text = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);
            while (digits.size() > 1 && digits.front() == '0')
                digits.remove_prefix(1);
            return digits;
        };
        const std::string_view x = part(a), y = part(b);
        if (x.size() != y.size())
            return x.size() < y.size();
        if (x != y)
            return x < y;
    }
    return a.empty() && !b.empty();
}

void TSortableModel::sort(int column, Qt::SortOrder order) {
    Column = column;
    Order = order;
    Resort();
}

void TSortableModel::Resort() {
    if (Column >= 0 && Column < columnCount())
        StartSort(Column, Order);
}

} // namespace quillon
