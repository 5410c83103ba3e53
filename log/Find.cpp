#include "Find.h"

#include "DisplayText.h"
#include "HugePages.h"
#include "Tags.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <future>
#include <numeric>
#include <unordered_map>

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

// Appends the text find compares for bytes: ASCII letters lowered, any other
// text folded as it is shown, in UTF-8.
void AppendFolded(std::string& out, std::string_view bytes) {
    if (IsAscii(bytes)) {
        for (const char c : bytes)
            out.push_back(static_cast<char>(AsciiLower[static_cast<unsigned char>(c)]));
        return;
    }
    const QByteArray folded = Fold(DisplayText(bytes)).toUtf8();
    out.append(folded.constData(), static_cast<std::size_t>(folded.size()));
}

// The text of the index whose bytes hold offset: the first from first on whose
// end lies past it. Called with ascending offsets, it gallops from the last.
std::size_t TextAt(const std::vector<std::size_t>& ends, std::size_t first, std::size_t offset) {
    std::size_t last = first + 1;
    while (last < ends.size() && ends[last - 1] <= offset) {
        const std::size_t width = last - first;
        first = last;
        last = std::min(ends.size(), last + 2 * width);
    }
    return static_cast<std::size_t>(
        std::upper_bound(ends.begin() + static_cast<std::ptrdiff_t>(first),
                         ends.begin() + static_cast<std::ptrdiff_t>(last), offset) -
        ends.begin());
}

// The texts that hold needle, marked; none once cancelled turns true.
std::vector<char> MarkTexts(const TFindIndex::TFoldedTexts& texts, std::string_view needle,
                            const std::atomic<bool>* cancelled) {
    const std::string_view folded = texts.Folded;
    const std::vector<std::size_t>& ends = texts.Ends;
    std::vector<char> hit(ends.size(), 0);
    std::size_t from = 0, text = 0, found = 0;
    while (from < folded.size()) {
        if (cancelled && ++found % CancelCheckRows == 0 && cancelled->load())
            return {};
        const std::size_t at = folded.find(needle, from);
        if (at >= folded.size())
            break;
        text = TextAt(ends, text, at);
        hit[text] = 1;
        from = ends[text] + 1;
    }
    return hit;
}

} // namespace

namespace {

// Adds texts to folded texts, each distinct text once.
class TFoldedTextsBuilder {
public:
    TFoldedTextsBuilder(TFindIndex::TFoldedTexts& texts, std::size_t expected) : Texts(texts) {
        Seen.reserve(expected);
    }
    // The text's position.
    std::uint32_t Add(std::string_view bytes) {
        const auto [at, added] =
            Seen.try_emplace(bytes, static_cast<std::uint32_t>(Texts.Ends.size()));
        if (added) {
            AppendFolded(Texts.Folded, bytes);
            Texts.Ends.push_back(Texts.Folded.size());
            Texts.Folded.push_back('\0');
            Texts.Raw.push_back(bytes);
        }
        return at->second;
    }

private:
    TFindIndex::TFoldedTexts& Texts;
    std::unordered_map<std::string_view, std::uint32_t> Seen;
};

} // namespace

TFindIndex::TFindIndex(const TRCSFileTable& table) {
    // The tags on a thread of their own, beside the other texts.
    auto tags = std::async(std::launch::async, [this, &table] { AddTags(table); });
    TFoldedTextsBuilder texts(Texts, table.RevisionCount() + table.FileCount());
    FileText.reserve(table.FileCount());
    for (const TRCSFile& file : table.Files())
        FileText.push_back(texts.Add(file.WorkingFile));
    CommentText.reserve(table.RevisionCount());
    AuthorText.reserve(table.RevisionCount());
    TText lastAuthor;
    std::uint32_t lastAuthorText = 0;
    for (const TRevisionInfo& revision : table.Revisions()) {
        CommentText.push_back(texts.Add(revision.Comment));
        // Runs of one author are common: their text is looked up once.
        if (AuthorText.empty() || revision.Author != lastAuthor) {
            lastAuthor = revision.Author;
            lastAuthorText = texts.Add(lastAuthor);
        }
        AuthorText.push_back(lastAuthorText);
    }
    tags.get();
}

void TFindIndex::AddTags(const TRCSFileTable& table) {
    TFoldedTextsBuilder names(TagNames, table.Names().size());
    // Files list mostly the same tags in the same order: the name seen at a
    // line's place in the last file is tried before the table of names.
    std::vector<std::pair<TText, std::uint32_t>> lastAt;
    const TRevisionInfo* const first = table.Revisions().data();
    for (const TRCSFile& file : table.Files()) {
        std::size_t line = 0;
        ForEachNameLine(file, [&](TText name, TText number) {
            if (NameKind(number) != TNameKind::Tag)
                return true;
            if (line == lastAt.size())
                lastAt.emplace_back();
            auto& [lastName, lastText] = lastAt[line++];
            if (lastName.data() == nullptr || lastName != name) {
                lastName = name;
                lastText = names.Add(name);
            }
            // A file has few revisions: looking through them is quicker than
            // a table of them.
            for (const TRevisionInfo& revision : file.Revisions)
                if (revision.Revision == number) {
                    TagRevisions.push_back(
                        {lastText, static_cast<std::uint32_t>(&revision - first)});
                    break;
                }
            return true;
        });
    }
}

TFindIndex::TTagLists TFindIndex::TagLists() const {
    // The names on each revision, in the order of its file's names: where
    // each revision's begin, then the names.
    const std::size_t revisions = CommentText.size();
    std::vector<std::uint32_t> begin(revisions + 1, 0);
    for (const auto& [name, revision] : TagRevisions)
        ++begin[revision + 1];
    std::partial_sum(begin.begin(), begin.end(), begin.begin());
    std::vector<std::uint32_t> names(TagRevisions.size());
    {
        std::vector<std::uint32_t> next(begin.begin(), begin.end() - 1);
        for (const auto& [name, revision] : TagRevisions)
            names[next[revision]++] = name;
    }
    // Many revisions carry the same names (a tag of the whole module): each
    // list is joined once.
    TTagLists lists;
    lists.Texts.emplace_back();
    lists.TextOf.assign(revisions, 0);
    std::unordered_map<std::string_view, std::uint32_t> seen;
    for (std::size_t r = 0; r < revisions; ++r) {
        if (begin[r] == begin[r + 1])
            continue;
        const std::string_view list(reinterpret_cast<const char*>(names.data() + begin[r]),
                                    (begin[r + 1] - begin[r]) * sizeof(std::uint32_t));
        const auto [at, added] =
            seen.try_emplace(list, static_cast<std::uint32_t>(lists.Texts.size()));
        if (added) {
            std::string& text = lists.Texts.emplace_back();
            for (std::uint32_t k = begin[r]; k < begin[r + 1]; ++k)
                (text += k == begin[r] ? "" : ", ") += TagNames.Raw[names[k]];
        }
        lists.TextOf[r] = at->second;
    }
    return lists;
}

const TFindIndex& TLazyFindIndex::Get(const TRCSFileTable& table) {
    std::call_once(Built, [&] { Index = std::make_unique<const TFindIndex>(table); });
    return *Index;
}

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

void TFindText::Prepare(const TRCSFileTable& table, const TFindIndex* index,
                        const std::atomic<bool>* cancelled) {
    Tagged.reset();
    Matched.reset();
    if (Folded.isEmpty())
        return;
    if (index) {
        Matched = PrepareIndexed(table, *index, cancelled);
        return;
    }
    std::vector<TText> names; // in the table's byte order
    for (const TNameEntry& entry : table.Names())
        if (Holds(entry.Name))
            names.push_back(entry.Name);
    auto tagged = std::make_shared<TRevisionSelection>(table);
    if (!names.empty())
        for (const TRCSFile& file : table.Files())
            ForEachNameLine(file, [&](TText name, TText number) {
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

std::shared_ptr<const TRevisionSelection>
TFindText::PrepareIndexed(const TRCSFileTable& table, const TFindIndex& index,
                          const std::atomic<bool>* cancelled) const {
    auto matched = std::make_shared<TRevisionSelection>(table);
    const QByteArray needle = Folded.toUtf8();
    const std::string_view needleBytes(needle.constData(), static_cast<std::size_t>(needle.size()));
    const std::vector<char> hit = MarkTexts(index.Texts, needleBytes, cancelled);
    const std::vector<char> tagHit = MarkTexts(index.TagNames, needleBytes, cancelled);
    if (cancelled && cancelled->load())
        return matched;
    const std::span<const TRevisionInfo> revisions = table.Revisions();
    const bool anyTag = std::find(tagHit.begin(), tagHit.end(), 1) != tagHit.end();
    // Revision numbers hold digits and dots alone.
    const bool number = needleBytes.find_first_not_of("0123456789.") == std::string_view::npos;
    const TRCSFile* const files = table.Files().data();
    // Each half of the revisions and of the tags on a thread of its own; a
    // tagged revision is noted apart, as both halves may find it.
    auto half = [&](std::size_t which, std::vector<char>& tagged) {
        const std::size_t begin = which * revisions.size() / 2;
        const std::size_t end = (which + 1) * revisions.size() / 2;
        for (std::size_t i = begin; i < end; ++i) {
            const TRevisionInfo& revision = revisions[i];
            if (hit[index.CommentText[i]] || hit[index.AuthorText[i]] ||
                (revision.FileInfo &&
                 hit[index.FileText[static_cast<std::size_t>(revision.FileInfo - files)]]) ||
                (number && Holds(revision.Revision)))
                matched->Keep(revision);
        }
        if (!anyTag)
            return;
        tagged.assign(revisions.size(), 0);
        const std::size_t tags = index.TagRevisions.size();
        for (std::size_t t = which * tags / 2; t < (which + 1) * tags / 2; ++t)
            if (tagHit[index.TagRevisions[t].first])
                tagged[index.TagRevisions[t].second] = 1;
    };
    std::vector<char> firstTagged, secondTagged;
    auto first = std::async(std::launch::async, [&] { half(0, firstTagged); });
    half(1, secondTagged);
    first.get();
    if (anyTag)
        for (std::size_t i = 0; i < revisions.size(); ++i)
            if (firstTagged[i] || secondTagged[i])
                matched->Keep(revisions[i]);
    return matched;
}

bool TFindText::HoldsTag(const TRevisionInfo& revision) const {
    if (Tagged)
        return Tagged->Keeps(revision);
    const TRCSFile* file = revision.FileInfo;
    // A block as the log holds it is searched whole first.
    if (!file || (!file->SymbolNames && !Holds(file->SymbolBlock)))
        return false;
    bool found = false;
    ForEachNameLine(*file, [&](TText name, TText number) {
        found = number == revision.Revision && NameKind(number) == TNameKind::Tag && Holds(name);
        return !found;
    });
    return found;
}

bool TFindText::Matches(const TRevisionInfo& revision) const {
    if (Matched)
        return Matched->Keeps(revision);
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
    // Room for all: pages never written cost nothing, and growing would copy.
    ReserveHuge(found, rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (cancelled && i % CancelCheckRows == 0 && cancelled->load(std::memory_order_relaxed))
            break;
        if (find.Matches(*rows[i]))
            found.push_back(rows[i]);
    }
    return found;
}

} // namespace quillon
