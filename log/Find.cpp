#include "Find.h"

#include "DisplayText.h"
#include "Tags.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace quillon {

namespace {

// How many rows the search goes through between two looks at the cancel flag.
constexpr std::size_t CancelCheckRows = 4096;

constexpr std::array<unsigned char, 256> MakeAsciiLower() {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return table;
}

constexpr std::array<unsigned char, 256> AsciiLower = MakeAsciiLower();

bool IsAscii(std::string_view bytes) {
    constexpr std::uint64_t high = 0x8080808080808080ULL;
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + i, 8);
        if (word & high)
            return false;
    }
    for (; i < bytes.size(); ++i)
        if (static_cast<unsigned char>(bytes[i]) & 0x80)
            return false;
    return true;
}

// Whether ASCII haystack holds needle (lower case ASCII), letter case aside.
bool HoldsAscii(std::string_view haystack, std::string_view needle) {
    if (needle.size() > haystack.size())
        return false;
    const auto first = static_cast<unsigned char>(needle[0]);
    const std::size_t last = haystack.size() - needle.size();
    for (std::size_t i = 0; i <= last; ++i) {
        if (AsciiLower[static_cast<unsigned char>(haystack[i])] != first)
            continue;
        std::size_t k = 1;
        while (k < needle.size() && AsciiLower[static_cast<unsigned char>(haystack[i + k])] ==
                                        static_cast<unsigned char>(needle[k]))
            ++k;
        if (k == needle.size())
            return true;
    }
    return false;
}

// Case folding: QString's simple folding, and the full folding of the sharp s
// to "ss", so that "STRASSE" finds "Straße".
QString Fold(const QString& text) {
    QString folded = text.toCaseFolded();
    folded.replace(QChar(0x00DF), QLatin1String("ss"));
    return folded;
}

} // namespace

TFindText::TFindText(const QString& text) : Shown(text), Folded(Fold(text)) {
    const QByteArray bytes = Folded.toUtf8();
    const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (IsAscii(view))
        AsciiFolded = view;
}

bool TFindText::Holds(std::string_view bytes) const {
    if (Folded.isEmpty())
        return true;
    if (IsAscii(bytes)) {
        // ASCII folds to ASCII alone, so only an ASCII text can be found in it.
        return !AsciiFolded.empty() && HoldsAscii(bytes, AsciiFolded);
    }
    return Fold(DisplayText(bytes)).contains(Folded);
}

void TFindText::Prepare(const TRCSFileTable& table) {
    Tagged.reset();
    if (Folded.isEmpty())
        return;
    std::vector<TText> names; // in the table's byte order
    for (const TNameEntry& entry : table.Names())
        if (Holds(entry.Name))
            names.push_back(entry.Name);
    auto tagged = std::make_shared<TRevisionSelection>(table);
    if (!names.empty())
        for (const TRCSFile& file : table.Files())
            ForEachNameLine(file.SymbolBlock, [&](TText name, TText number) {
                if (NameKind(number) == TNameKind::Tag &&
                    std::binary_search(names.begin(), names.end(), name))
                    for (const TRevisionInfo& revision : file.Revisions)
                        if (revision.Revision == number) {
                            tagged->Keep(revision);
                            break;
                        }
                return true;
            });
    Tagged = std::move(tagged);
}

bool TFindText::HoldsTag(const TRevisionInfo& revision) const {
    if (Tagged)
        return Tagged->Keeps(revision);
    const TRCSFile* file = revision.FileInfo;
    if (!file || !Holds(file->SymbolBlock))
        return false;
    bool found = false;
    ForEachNameLine(file->SymbolBlock, [&](TText name, TText number) {
        found = number == revision.Revision && NameKind(number) == TNameKind::Tag && Holds(name);
        return !found;
    });
    return found;
}

bool TFindText::Matches(const TRevisionInfo& revision) const {
    return Folded.isEmpty() || Holds(revision.Comment) ||
           (revision.FileInfo && Holds(revision.FileInfo->WorkingFile)) || Holds(revision.Author) ||
           Holds(revision.Revision) || HoldsTag(revision);
}

std::vector<std::pair<qsizetype, qsizetype>> TFindText::Spans(const QString& shown) const {
    std::vector<std::pair<qsizetype, qsizetype>> spans;
    if (Folded.isEmpty())
        return spans;
    // The folded text, and for each of its code units where its character
    // begins and ends in shown.
    QString folded;
    std::vector<std::pair<qsizetype, qsizetype>> origin;
    folded.reserve(shown.size());
    origin.reserve(static_cast<std::size_t>(shown.size()));
    for (qsizetype i = 0; i < shown.size();) {
        const qsizetype length = shown.at(i).isHighSurrogate() && i + 1 < shown.size() &&
                                         shown.at(i + 1).isLowSurrogate()
                                     ? 2
                                     : 1;
        const QString one = Fold(shown.mid(i, length));
        folded += one;
        origin.insert(origin.end(), static_cast<std::size_t>(one.size()), {i, i + length});
        i += length;
    }
    for (qsizetype at = folded.indexOf(Folded); at >= 0;
         at = folded.indexOf(Folded, at + Folded.size())) {
        const qsizetype begin = origin[static_cast<std::size_t>(at)].first;
        const qsizetype end = origin[static_cast<std::size_t>(at + Folded.size() - 1)].second;
        spans.emplace_back(begin, end - begin);
    }
    return spans;
}

std::vector<const TRevisionInfo*> FindRevisions(std::span<const TRevisionInfo* const> rows,
                                                const TFindText& find,
                                                const std::atomic<bool>* cancelled) {
    std::vector<const TRevisionInfo*> found;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (cancelled && i % CancelCheckRows == 0 && cancelled->load(std::memory_order_relaxed))
            break;
        if (find.Matches(*rows[i]))
            found.push_back(rows[i]);
    }
    return found;
}

} // namespace quillon
