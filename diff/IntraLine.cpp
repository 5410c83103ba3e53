#include "IntraLine.h"

#include <algorithm>
#include <cstdint>

namespace quillon {

namespace {

// Beyond these the texts are not compared piece by piece.
constexpr std::size_t MaxPieces = 4000; // of both texts, after their common ends
constexpr int MaxEdits = 200;           // pieces removed and added

struct TPiece {
    std::uint32_t Start;
    std::uint32_t Size;
};

bool IsWordByte(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' ||
           c >= 0x80;
}

bool ContinuesSequence(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

std::vector<TPiece> Pieces(std::string_view text) {
    std::vector<TPiece> pieces;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto first = static_cast<unsigned char>(text[i]);
        std::size_t end = i + 1;
        if (IsWordByte(first))
            while (end < text.size() && IsWordByte(static_cast<unsigned char>(text[end])))
                ++end;
        else if (first == ' ')
            while (end < text.size() && text[end] == ' ')
                ++end;
        pieces.push_back({static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(end - i)});
        i = end;
    }
    return pieces;
}

// A change: pieces [A0, A1) of the left text stand where [B0, B1) of the right
// stand.
struct TChange {
    std::size_t A0, A1, B0, B1;
};

class TPieceDiff {
public:
    TPieceDiff(std::string_view left, std::string_view right)
        : Left(left), Right(right), A(Pieces(left)), B(Pieces(right)) {}

    std::vector<TChange> Changes() {
        std::size_t n = A.size(), m = B.size(), first = 0;
        while (first < n && first < m && Same(first, first))
            ++first;
        while (n > first && m > first && Same(n - 1, m - 1))
            --n, --m;
        if (first == n && first == m)
            return {};
        std::vector<TChange> changes;
        if (n - first + m - first > MaxPieces || !Align(first, n, first, m, changes))
            changes = {{first, n, first, m}};
        return changes;
    }

    // Byte ranges of a run of pieces of either side.
    TTextRange LeftBytes(std::size_t from, std::size_t to) const {
        return Bytes(A, from, to, Left);
    }
    TTextRange RightBytes(std::size_t from, std::size_t to) const {
        return Bytes(B, from, to, Right);
    }
    // The pieces [from, to) of the left text are blanks only.
    bool BlanksOnly(std::size_t from, std::size_t to) const {
        for (std::size_t i = from; i < to; ++i)
            if (Left[A[i].Start] != ' ')
                return false;
        return true;
    }

private:
    std::string_view Text(std::string_view text, TPiece piece) const {
        return text.substr(piece.Start, piece.Size);
    }
    bool Same(std::size_t a, std::size_t b) const { return Text(Left, A[a]) == Text(Right, B[b]); }
    static TTextRange Bytes(const std::vector<TPiece>& pieces, std::size_t from, std::size_t to,
                            std::string_view text) {
        if (from == to)
            return {from < pieces.size() ? pieces[from].Start : text.size(), 0};
        return {pieces[from].Start,
                pieces[to - 1].Start + pieces[to - 1].Size - pieces[from].Start};
    }

    // The shortest edit of A[a0, a1) into B[b0, b1) (Myers' greedy O(ND)
    // walk), as changes between the pieces both keep; false when it takes
    // more than MaxEdits.
    bool Align(std::size_t a0, std::size_t a1, std::size_t b0, std::size_t b1,
               std::vector<TChange>& changes) const {
        const auto n = static_cast<long>(a1 - a0), m = static_cast<long>(b1 - b0);
        const long limit = std::min<long>(MaxEdits, n + m);
        const long offset = limit + 1;
        std::vector<long> v(static_cast<std::size_t>(2 * offset + 1), 0);
        // trace[d] holds v[-d..d] as step d found it.
        std::vector<std::vector<long>> trace;
        auto at = [&](std::vector<long>& values, long k) -> long& {
            return values[static_cast<std::size_t>(k + offset)];
        };
        long found = -1;
        for (long d = 0; d <= limit && found < 0; ++d) {
            for (long k = -d; k <= d; k += 2) {
                long x = k == -d || (k != d && at(v, k - 1) < at(v, k + 1)) ? at(v, k + 1)
                                                                            : at(v, k - 1) + 1;
                long y = x - k;
                while (x < n && y < m &&
                       Same(a0 + static_cast<std::size_t>(x), b0 + static_cast<std::size_t>(y)))
                    ++x, ++y;
                at(v, k) = x;
                if (x >= n && y >= m)
                    found = d;
            }
            trace.emplace_back(v.begin() + (offset - d), v.begin() + (offset + d + 1));
        }
        if (found < 0)
            return false;

        // Back from the end: the pieces both keep, last first.
        std::vector<std::pair<long, long>> kept;
        long x = n, y = m;
        for (long d = found; d > 0; --d) {
            const std::vector<long>& before = trace[static_cast<std::size_t>(d - 1)];
            auto previous = [&](long k) { return before[static_cast<std::size_t>(k + d - 1)]; };
            const long k = x - y;
            const long from =
                k == -d || (k != d && previous(k - 1) < previous(k + 1)) ? k + 1 : k - 1;
            const long fromX = previous(from), fromY = fromX - from;
            while (x > fromX && y > fromY)
                kept.emplace_back(--x, --y);
            x = fromX;
            y = fromY;
        }
        while (x > 0 && y > 0)
            kept.emplace_back(--x, --y);
        std::reverse(kept.begin(), kept.end());

        long lastA = 0, lastB = 0;
        auto change = [&](long toA, long toB) {
            if (toA > lastA || toB > lastB)
                changes.push_back(
                    {a0 + static_cast<std::size_t>(lastA), a0 + static_cast<std::size_t>(toA),
                     b0 + static_cast<std::size_t>(lastB), b0 + static_cast<std::size_t>(toB)});
        };
        for (const auto& [keptA, keptB] : kept) {
            change(keptA, keptB);
            lastA = keptA + 1;
            lastB = keptB + 1;
        }
        change(n, m);
        return true;
    }

    std::string_view Left, Right;
    std::vector<TPiece> A, B;
};

// Narrows the two sides of a change by the characters they begin and end
// with alike, never within a UTF-8 sequence.
void TrimAlike(std::string_view left, std::string_view right, TTextRange& a, TTextRange& b) {
    const std::string_view x = left.substr(a.Start, a.Size), y = right.substr(b.Start, b.Size);
    const auto inSequence = [](std::string_view text, std::size_t at) {
        return at < text.size() && ContinuesSequence(static_cast<unsigned char>(text[at]));
    };
    std::size_t front = 0;
    while (front < x.size() && front < y.size() && x[front] == y[front])
        ++front;
    while (front > 0 && (inSequence(x, front) || inSequence(y, front)))
        --front;
    std::size_t back = 0;
    while (back < x.size() - front && back < y.size() - front &&
           x[x.size() - 1 - back] == y[y.size() - 1 - back])
        ++back;
    while (back > 0 && inSequence(x, x.size() - back))
        --back;
    a = {a.Start + front, a.Size - front - back};
    b = {b.Start + front, b.Size - front - back};
}

} // namespace

TIntraLine IntraLineChanges(std::string_view left, std::string_view right) {
    TPieceDiff diff(left, right);
    std::vector<TChange> changes = diff.Changes();
    // Changes parted by nothing but blanks are one.
    std::vector<TChange> joined;
    for (const TChange& change : changes) {
        if (!joined.empty() && diff.BlanksOnly(joined.back().A1, change.A0)) {
            joined.back().A1 = change.A1;
            joined.back().B1 = change.B1;
        } else {
            joined.push_back(change);
        }
    }
    TIntraLine result;
    for (const TChange& change : joined) {
        TTextRange a = diff.LeftBytes(change.A0, change.A1);
        TTextRange b = diff.RightBytes(change.B0, change.B1);
        TrimAlike(left, right, a, b);
        if (a.Size > 0)
            result.Left.push_back(a);
        if (b.Size > 0)
            result.Right.push_back(b);
    }
    return result;
}

} // namespace quillon
