// Tags and branches: the symbolic names of a file, read from its block of the
// log when asked for, and the revisions a branch or a range of tags keeps.
#pragma once

#include "RevisionModel.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillon {

enum class TNameKind {
    Tag,          // names one revision, e.g. 1.4
    Branch,       // names a branch by its magic number, e.g. 1.2.0.4 for 1.2.4
    VendorBranch, // a branch number of an odd count of parts, e.g. 1.1.1
};

struct TSymbolicName {
    TText Name;
    TText Number; // as the log gives it
    TNameKind Kind = TNameKind::Tag;
};

TNameKind NameKind(TText number);

// The number of the branch a branch name stands for: 1.2.0.4 gives 1.2.4, 1.1.1
// gives itself; empty for a tag.
std::string BranchNumber(TText number);

// Calls take(name, number) for each line of a symbol block in log order, until
// take returns false.
template <typename TTake> void ForEachNameLine(TText block, TTake take);

// Calls take(symbol) for each name of a symbol block in log order, until take
// returns false.
template <typename TTake> void ForEachSymbolicName(TText block, TTake take);

// Both for the symbol block of file, as the log holds it or packed.
template <typename TTake> void ForEachNameLine(const TRCSFile& file, TTake take);
template <typename TTake> void ForEachSymbolicName(const TRCSFile& file, TTake take);

// The most bytes PackNameLine writes for a line whose number has numberSize
// bytes.
constexpr std::size_t MaxPackedNameLine(std::size_t numberSize) {
    return 2 * ((sizeof(std::size_t) * 8 + 6) / 7) + numberSize;
}

// Writes one line of a packed symbol block at out, which has room for
// MaxPackedNameLine(number.size()) bytes: the index of its name and its
// number; before is the number of the line before, or empty. Returns the end
// of what it wrote.
char* PackNameLine(char* out, std::size_t nameIndex, TText number, TText before);

// The names of file, in log order.
std::vector<TSymbolicName> SymbolicNames(const TRCSFile& file);

// The tags on revision, in log order.
std::vector<TText> TagsOf(const TRevisionInfo& revision);

// The tags on revision joined by ", ".
std::string TagsText(const TRevisionInfo& revision);

// The name of the branch revision is on: empty on the trunk, the branch's
// number when no name is given to it.
std::string BranchNameOf(const TRevisionInfo& revision);

// Which revisions of one table a branch or a range keeps.
class TRevisionSelection {
public:
    TRevisionSelection() = default;
    explicit TRevisionSelection(const TRCSFileTable& table)
        : Table(&table), Kept(table.RevisionCount(), 0) {}

    bool Keeps(const TRevisionInfo& revision) const {
        return Kept[Table->RevisionIndex(revision)] != 0;
    }
    void Keep(const TRevisionInfo& revision) { Kept[Table->RevisionIndex(revision)] = 1; }

private:
    const TRCSFileTable* Table = nullptr;
    std::vector<char> Kept;
};

// The revisions on the trunk (numbers of two parts).
TRevisionSelection SelectTrunk(const TRCSFileTable& table);

// The revisions on the branch of that name in each file.
TRevisionSelection SelectBranch(const TRCSFileTable& table, TText name);

// The newest date of the revisions that carry the tag, in any file; 0 when
// none does.
double TagTime(const TRCSFileTable& table, TText tag);

// The changes from tag from to tag to: in each file the ancestors of to's
// revision that are not ancestors of from's. A file without from loses its
// revisions dated no later than from's time; a file without to keeps its
// trunk revisions dated no later than to's time. An empty to stands for each
// file's head, an empty from removes nothing.
TRevisionSelection SelectRange(const TRCSFileTable& table, TText from, TText to);

// The name and number of one line of a symbol block, without its line end,
// whose last colon is at colon: blanks and tabs before the name and blanks
// before the number are dropped, and blanks and control characters after it;
// false when either is then empty.
inline bool SplitNameLine(TText line, std::size_t colon, TText& name, TText& number) {
    std::size_t nameBegin = 0;
    while (nameBegin < colon && (line[nameBegin] == '\t' || line[nameBegin] == ' '))
        ++nameBegin;
    std::size_t numberBegin = colon + 1;
    while (numberBegin < line.size() && line[numberBegin] == ' ')
        ++numberBegin;
    std::size_t numberEnd = line.size();
    while (numberEnd > numberBegin && static_cast<unsigned char>(line[numberEnd - 1]) <= ' ')
        --numberEnd;
    if (nameBegin == colon || numberBegin == numberEnd)
        return false;
    name = line.substr(nameBegin, colon - nameBegin);
    number = line.substr(numberBegin, numberEnd - numberBegin);
    return true;
}

template <typename TTake> void ForEachNameLine(TText block, TTake take) {
    const char* p = block.data();
    const char* const end = p + block.size();
    while (p < end) {
        // One pass to the line's end (LF, CR LF or a lone CR), noting its
        // last colon.
        const char* colon = nullptr;
        const char* lineEnd = p;
        for (; lineEnd < end && *lineEnd != '\n' && *lineEnd != '\r'; ++lineEnd)
            if (*lineEnd == ':')
                colon = lineEnd;
        TText name, number;
        if (colon &&
            SplitNameLine(TText(p, static_cast<std::size_t>(lineEnd - p)),
                          static_cast<std::size_t>(colon - p), name, number) &&
            !take(name, number))
            return;
        p = lineEnd + 1;
    }
}

template <typename TTake> void ForEachSymbolicName(TText block, TTake take) {
    ForEachNameLine(block, [&take](TText name, TText number) {
        return take(TSymbolicName{name, number, NameKind(number)});
    });
}

// A packed line: the name's index, then the number's length, each in 7-bit
// groups, lowest first, the high bit set on all but the last; then the
// number's bytes. A length of 0 repeats the number of the line before.
inline std::size_t TakePackedCount(const char*& p) {
    std::size_t value = 0;
    for (int shift = 0;; shift += 7) {
        const auto byte = static_cast<unsigned char>(*p++);
        value |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            return value;
    }
}

template <typename TTake> void ForEachNameLine(const TRCSFile& file, TTake take) {
    if (!file.SymbolNames)
        return ForEachNameLine(file.SymbolBlock, take);
    const char* p = file.SymbolBlock.data();
    const char* const end = p + file.SymbolBlock.size();
    TText number;
    while (p < end) {
        const TText name = (*file.SymbolNames)[TakePackedCount(p)];
        if (const std::size_t size = TakePackedCount(p)) {
            number = TText(p, size);
            p += size;
        }
        if (!take(name, number))
            return;
    }
}

template <typename TTake> void ForEachSymbolicName(const TRCSFile& file, TTake take) {
    ForEachNameLine(file, [&take](TText name, TText number) {
        return take(TSymbolicName{name, number, NameKind(number)});
    });
}

} // namespace quillon
