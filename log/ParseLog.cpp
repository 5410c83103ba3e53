#include "ParseLog.h"

#include "DateTime.h"
#include "HugePages.h"
#include "Tags.h"
#include "TextUtil.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <latch>
#include <limits>
#include <numeric>
#include <optional>
#include <thread>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

namespace quillon {

namespace {

// The first room the revision and file stores are given when they grow as the
// log streams.
constexpr std::size_t MinRevisionStore = 1024;
constexpr std::size_t MinFileStore = 256;
constexpr std::size_t MinPackedRoom = 256; // of a packed symbol block
// The most a block of a part of a streamed log's rest holds: the parts read
// side by side each keep two blocks while the rest still waits in memory.
constexpr std::size_t PartBlockSize = 2 << 20;
// The rooms of the text blocks that a streamed table copies its texts into:
// the first, and at most, one huge page.
constexpr std::size_t FirstTextBlockSize = 16 << 10;
constexpr std::size_t TextBlockSize = 2 << 20;
constexpr std::string_view RevisionRule = "----------------------------"; // 28 hyphens
constexpr std::string_view FileEndRule =
    "============================================================================="; // 77

std::string_view After(std::string_view text, std::size_t prefixLength) {
    return text.substr(prefixLength);
}

// The text before the first ";", or the whole text when there is none.
std::string_view BeforeSemicolon(std::string_view text) {
    return text.substr(0, text.find(';'));
}

// The text after the first ";", trimmed; empty when there is none.
std::string_view AfterSemicolon(std::string_view text) {
    const auto pos = text.find(';');
    return pos == std::string_view::npos ? std::string_view{} : Trim(text.substr(pos + 1));
}

// Reads an unsigned run of at most 9 digits from the front of text.
std::optional<int> TakeNumber(std::string_view& text) {
    std::size_t n = 0;
    int value = 0;
    while (n < text.size() && n < 9 && text[n] >= '0' && text[n] <= '9')
        value = value * 10 + (text[n++] - '0');
    if (n == 0)
        return std::nullopt;
    text.remove_prefix(n);
    return value;
}

bool TakeChar(std::string_view& text, char c) {
    if (text.empty() || text.front() != c)
        return false;
    text.remove_prefix(1);
    return true;
}

// "YYYY-MM-DD HH:NN:SS", "-" or "/" between the date parts, the time optional,
// anything after the seconds (the time-zone offset) ignored.
std::optional<double> ParseDate(std::string_view text) {
    text = Trim(text);
    TDateTimeParts p;
    auto year = TakeNumber(text);
    if (!year || text.empty() || (text.front() != '-' && text.front() != '/'))
        return std::nullopt;
    const char sep = text.front();
    text.remove_prefix(1);
    auto month = TakeNumber(text);
    if (!month || !TakeChar(text, sep))
        return std::nullopt;
    auto day = TakeNumber(text);
    if (!day)
        return std::nullopt;
    p.Year = *year;
    p.Month = *month;
    p.Day = *day;
    if (!text.empty()) {
        if (static_cast<unsigned char>(text.front()) > ' ')
            return std::nullopt;
        text = TrimLeft(text);
        if (!text.empty()) {
            auto hour = TakeNumber(text);
            if (!hour || !TakeChar(text, ':'))
                return std::nullopt;
            auto minute = TakeNumber(text);
            if (!minute || !TakeChar(text, ':'))
                return std::nullopt;
            auto second = TakeNumber(text);
            if (!second || (!text.empty() && static_cast<unsigned char>(text.front()) > ' '))
                return std::nullopt;
            p.Hour = *hour;
            p.Minute = *minute;
            p.Second = *second;
        }
    }
    return EncodeDateTime(p);
}

// A line count as the log writes it ("+12", "-3", "7"); 0 when unreadable.
std::int32_t LineCount(std::string_view text) {
    return ParseInt32(Trim(text)).value_or(0);
}

std::int32_t Magnitude(std::int32_t value) {
    return value == std::numeric_limits<std::int32_t>::min() ? 0 : (value < 0 ? -value : value);
}

// The number of lines that start with the revision rule after a LF: the
// number of revisions a log holds, give or take the rare rule after a lone CR
// or before the first file.
std::size_t CountRevisionRules(std::string_view log) {
    constexpr std::string_view RuleAfterLineFeed = "\n----------------------------";
    std::size_t count = log.starts_with(RevisionRule) ? 1 : 0;
    for (std::size_t pos = 0;; pos += RuleAfterLineFeed.size()) {
#ifdef __GLIBC__
        const void* hit = memmem(log.data() + pos, log.size() - pos, RuleAfterLineFeed.data(),
                                 RuleAfterLineFeed.size());
        if (!hit)
            break;
        pos = static_cast<std::size_t>(static_cast<const char*>(hit) - log.data());
#else
        pos = log.find(RuleAfterLineFeed, pos);
        if (pos == std::string_view::npos)
            break;
#endif
        ++count;
    }
    return count;
}

// The bytes at the start of a part of a log whose rules are counted, and the
// room its store is given beyond the revisions they make it expect.
constexpr std::size_t SampleBytes = 4 << 20;
constexpr double RevisionRoom = 1.25;

// The revisions of a part of a log made of slices, reckoned from the rules of
// its first SampleBytes, with room to spare: counting them all would hold the
// part back longer than a store too small takes to grow. A rule cut in two
// where two slices meet, or where the first slice meets what was read before,
// is counted in neither: each slice allows for one more.
class TRevisionReckoning {
public:
    void Add(std::string_view slice) {
        Bytes += slice.size();
        if (Sampled < SampleBytes) {
            const std::string_view sample = slice.substr(0, SampleBytes - Sampled);
            Rules += CountRevisionRules(sample) + 1;
            Sampled += sample.size();
        }
    }
    std::size_t Revisions() const {
        return Sampled == Bytes ? Rules
                                : static_cast<std::size_t>(
                                      static_cast<double>(Rules) * static_cast<double>(Bytes) /
                                      static_cast<double>(Sampled) * RevisionRoom);
    }

private:
    std::size_t Bytes = 0;
    std::size_t Sampled = 0;
    std::size_t Rules = 0;
};

} // namespace

// One pass over the log, line by line. Every line is recognised by the text it
// starts with; the first rule that matches decides what the line is.
class TLogParser {
public:
    // A parser of a log that streams in (Add) copies the texts the table uses
    // out of each block it reads the log in, so that the table does without
    // the log; a parser of parts (ParsePart) leaves them in the log.
    TLogParser(TRCSFileTable& table, std::atomic<int>* filesParsed, std::size_t blockSize)
        : Table(table), FilesParsed(filesParsed), BlockSize(blockSize) {}

    // A whole log, the table's only block, read in parts side by side.
    static std::unique_ptr<TRCSFileTable> ParseWhole(std::string log, std::atomic<int>* filesParsed,
                                                     unsigned parts);

    // Reads parts of a log side by side on threads threads, the calling
    // thread one of them, part k with parsers[k]: each thread takes the next
    // part no thread has taken, so that one that ends its part early goes on
    // with another. Hands the first parser the whole table: count(k) tells
    // how many revisions part k holds, counted at their rule lines or reckoned
    // from some of them, so that each revision store is allocated once, the
    // first's for all of them; read(k) reads it. Throws what a part threw.
    template <typename TCount, typename TRead>
    static void ReadSideBySide(const std::vector<TLogParser*>& parsers, std::size_t threads,
                               TCount count, TRead read) {
        const std::size_t parts = parsers.size();
        threads = std::clamp<std::size_t>(threads, 1, parts);
        TLogParser& first = *parsers[0];
        std::vector<std::size_t> revisions(parts);
        std::latch counted(static_cast<std::ptrdiff_t>(threads));
        std::atomic<std::size_t> next{0};
        std::vector<std::exception_ptr> failures(parts);
        auto work = [&](std::size_t thread) {
            for (std::size_t k = thread; k < parts; k += threads)
                revisions[k] = count(k);
            counted.arrive_and_wait();
            // A part reads into the rooms of the blocks of the part before it
            // on the same thread: fresh memory is slow to write the first time.
            TLogParser* before = nullptr;
            for (std::size_t k; (k = next++) < parts; before = parsers[k]) {
                if (before)
                    parsers[k]->Spares.swap(before->Spares);
                try {
                    parsers[k]->Reserve(k == 0
                                            ? first.Table.RevisionStore.size() +
                                                  std::accumulate(revisions.begin(),
                                                                  revisions.end(), std::size_t(0))
                                            : revisions[k]);
                    read(k);
                } catch (...) {
                    failures[k] = std::current_exception();
                }
            }
            if (before)
                before->Spares.clear();
        };
        {
            std::vector<std::jthread> others;
            for (std::size_t thread = 1; thread < threads; ++thread)
                others.emplace_back(work, thread);
            work(0);
        }
        for (const std::exception_ptr& failure : failures)
            if (failure)
                std::rethrow_exception(failure);
        std::size_t total = 0;
        std::size_t files = 0;
        for (const TLogParser* parser : parsers) {
            total += parser->Table.RevisionStore.size();
            files += parser->Table.FilesStore.size();
        }
        first.Reserve(total);
        first.ReserveFiles(files);
        for (std::size_t k = 1; k < parts; ++k)
            first.Append(*parsers[k]);
        first.FinishTable();
    }

    void Reserve(std::size_t revisions) {
        ReserveHuge(Table.RevisionStore, revisions);
        RevisionFile.reserve(revisions);
    }

    // Parses the whole of a part of a log that another table keeps, up to
    // its end, which ends a line.
    void ParsePart(std::string_view part) {
        Next = part.data();
        ParseLines(part.data() + part.size(), /*last=*/true);
        EndParse();
    }

    // Room for files in all in the file store. The room is made side by side
    // first: most of a copy to fresh memory is the making of its pages.
    void ReserveFiles(std::size_t files) {
        if (files <= Table.FilesStore.capacity())
            return;
        THugeVector<TRCSFile> room;
        room.reserve(files);
        MakePages(room.data(), room.capacity() * sizeof(TRCSFile));
        std::move(Table.FilesStore.begin(), Table.FilesStore.end(), std::back_inserter(room));
        Table.FilesStore = std::move(room);
    }

    // Takes over the files and revisions of the parser of the part of the
    // log after this one's, as if this parser had read on.
    void Append(TLogParser& next) {
        const std::size_t files = Table.FilesStore.size();
        const std::size_t revisions = Table.RevisionStore.size();
        ReserveFiles(files + next.Table.FilesStore.size());
        std::move(next.Table.FilesStore.begin(), next.Table.FilesStore.end(),
                  std::back_inserter(Table.FilesStore));
        MakePages(Table.RevisionStore.data() + revisions,
                  next.Table.RevisionStore.size() * sizeof(TRevisionInfo));
        Table.RevisionStore.insert(Table.RevisionStore.end(), next.Table.RevisionStore.begin(),
                                   next.Table.RevisionStore.end());
        Table.ExtraTexts.splice(Table.ExtraTexts.end(), next.Table.ExtraTexts);
        Table.BadDateCount += next.Table.BadDateCount;
        for (const std::size_t first : next.FirstRevision)
            FirstRevision.push_back(first + revisions);
        for (const std::uint32_t file : next.RevisionFile)
            RevisionFile.push_back(static_cast<std::uint32_t>(file + files));
        for (const auto& [name, seen] : next.NamesSeen)
            NamesSeen[name].IsBranch |= seen.IsBranch;
        for (THugeText& block : next.Table.TextBlocks)
            Table.TextBlocks.push_back(std::move(block));
        Table.SymbolNameLists.splice(Table.SymbolNameLists.end(), next.Table.SymbolNameLists);
    }

    void Add(std::string_view bytes) {
        if (bytes.empty())
            return;
        if (!Block || Block->capacity() - Block->size() < bytes.size())
            NewBlock(bytes.size());
        Block->append(bytes);
        ParseLines(Block->data() + Block->size(), /*last=*/false);
    }

    // The log, or the part of it this parser reads, has ended.
    void End() {
        if (Block)
            ParseLines(Block->data() + Block->size(), /*last=*/true);
        EndParse();
        if (Block) {
            if (auto* f = CurrentFile())
                EndSymbols(*f);
            KeepTexts(*Block);
            Spares.Keep(std::move(*Block));
            Block.reset();
        }
    }

    std::size_t BlockBytes() const { return BlockSize; }
    // Reads a part of a large log: its texts go to rooms of a huge page from
    // the first, not to small ones first, whose pages are small too.
    void ReadsLargePart() { FirstTextRoom = TextBlockSize; }

private:
    static constexpr std::uint32_t NoSymbolId = UINT32_MAX;
    // The block read before and the one before it.
    static constexpr std::size_t MaxSpareRooms = 2;
    struct TNameSeen {
        bool IsBranch = false; // in any file
        long File = -1;        // the last file that listed it
        std::size_t Position = 0;
        std::uint32_t SymbolId = NoSymbolId; // in a packed symbol block
    };

    // The log has ended: what is being read is complete.
    void EndParse() {
        if (InDescription)
            DescriptionLine(RevisionRule, 0);
        FinishComment();
    }

    // Parses the lines from Next to end; the last line waits for more bytes
    // unless last is set, as a CR at the end may be the first half of a CR LF.
    void ParseLines(const char* const end, bool last) {
        const char* p = Next;
        while (p < end) {
            const char* nl = FindLineFeed(p, end);
            const char* lineEnd = nl ? nl : end;
            const char* next = nl ? nl + 1 : end;
            const char* cr = static_cast<const char*>(std::memchr(p, '\r', lineEnd - p));
            if (!nl && !last && (!cr || cr + 1 == end))
                break;
            if (cr) {
                if (cr + 1 != lineEnd)
                    next = cr + 1; // a lone CR ends the line too
                lineEnd = cr;
            }
            Line(std::string_view(p, lineEnd - p), LineNumber++);
            p = next;
        }
        Next = p;
    }

    // The first LF at or after p, or none before end. A search is not
    // repeated over bytes already searched, so that lines ended by lone CRs
    // do not make every line search the rest of the bytes.
    const char* FindLineFeed(const char* p, const char* end) {
        if (LineFeed && LineFeed >= p)
            return LineFeed;
        const char* from = NoLineFeedBefore && NoLineFeedBefore > p ? NoLineFeedBefore : p;
        LineFeed = static_cast<const char*>(std::memchr(from, '\n', end - from));
        NoLineFeedBefore = LineFeed ? nullptr : end;
        return LineFeed;
    }

    // Starts a block with room for bytes more and for what of the current
    // one is still in the making: the unparsed end, and the texts of several
    // lines being collected (a message, a description, the file's symbol
    // block), which are moved over so that each stays in one piece. The texts
    // read from the current block are copied out of it, and its room is kept
    // for the block after the new one.
    void NewBlock(std::size_t bytes) {
        const char* from = Next;
        if (Block) {
            if (!CommentLines.empty())
                from = std::min(from, CommentLines.front().Text.data());
            if (!DescriptionLines.empty())
                from = std::min(from, DescriptionLines.front().Text.data());
            if (auto* f = CurrentFile(); f && !f->SymbolBlock.empty())
                from = std::min(from, f->SymbolBlock.data());
        }
        const std::string_view carried =
            Block ? std::string_view(from, Block->data() + Block->size() - from)
                  : std::string_view{};
        const std::size_t room = std::max({BlockSize, carried.size() + bytes, 2 * carried.size()});
        THugeText block = Spares.Take(room);
        block.append(carried);
        auto moved = [&](TText& text) {
            if (!text.empty())
                text = TText(block.data() + (text.data() - from), text.size());
        };
        for (auto& l : CommentLines)
            moved(l.Text);
        for (auto& l : DescriptionLines)
            moved(l.Text);
        if (auto* f = CurrentFile())
            moved(f->SymbolBlock);
        moved(PackedNumber);
        Next = block.data() + (Next - from);
        if (Block) {
            KeepTexts(*Block);
            Spares.Keep(std::move(*Block));
        }
        Block = std::move(block);
        LineFeed = nullptr;
        NoLineFeedBefore = Block->data() + Block->size();
    }

    // Copies the texts of the files and revisions read since the last call
    // that lie in block out of it.
    void KeepTexts(const THugeText& block) {
        const char* const begin = block.data();
        const char* const end = begin + block.size();
        auto keep = [&](TText& text) {
            if (text.data() >= begin && text.data() <= end)
                text = CopyText(text);
        };
        auto keepRevision = [&](TRevisionInfo& r) {
            keep(r.Revision);
            keep(r.Comment);
            keep(r.CommitId);
            for (TText* text : {&r.Author, &r.State})
                if (text->data() >= begin && text->data() <= end)
                    *text = Intern(*text);
        };
        auto& files = Table.FilesStore;
        for (std::size_t i = KeptFiles; i < files.size(); ++i) {
            TRCSFile& f = files[i];
            for (TText* text :
                 {&f.RCSPath, &f.WorkingFile, &f.Head, &f.Branch, &f.Locks, &f.Description})
                keep(*text);
            for (TRevisionNotes& notes : f.Notes) {
                keep(notes.Locker);
                keep(notes.Branches);
            }
        }
        auto& revisions = Table.RevisionStore;
        for (std::size_t j = KeptRevisions; j < revisions.size(); ++j)
            keepRevision(revisions[j]);
        if (OrphanIsCurrent)
            keepRevision(Orphan);
        // The current revision may still be an earlier file's, and its notes
        // that file's.
        KeptFiles = CurrentFileIndex < 0 ? 0 : static_cast<std::size_t>(CurrentFileIndex);
        if (CurrentRevisionIndex >= 0)
            KeptFiles = std::min<std::size_t>(KeptFiles, RevisionFile[CurrentRevisionIndex]);
        KeptRevisions =
            CurrentRevisionIndex < 0 ? 0 : static_cast<std::size_t>(CurrentRevisionIndex);
    }

    // The table's one copy of an author or a state. The few there are repeat
    // all through a log: a text is first compared with the last one interned
    // in its slot of RecentInterned, which its length and first letter pick.
    TText Intern(TText text) {
        TText& recent = RecentInterned[(text.size() * 31 +
                                        (text.empty() ? 0 : static_cast<unsigned char>(text[0]))) %
                                       RecentInterned.size()];
        if (recent.data() && recent == text)
            return recent;
        auto found = Interned.find(text);
        if (found == Interned.end())
            found = Interned.insert(CopyText(text)).first;
        return recent = *found;
    }

    // A copy of text in the table's own text blocks; never a null view.
    TText CopyText(TText text) {
        static constexpr char Empty[] = "";
        if (text.empty())
            return TText(Empty, 0);
        if (!TextBlock || TextBlock->capacity() - TextBlock->size() < text.size()) {
            // Small at first, for a short log; then a huge page each.
            const std::size_t room =
                TextBlock ? std::min(2 * TextBlock->capacity(), TextBlockSize) : FirstTextRoom;
            TextBlock = &Table.TextBlocks.emplace_back(std::max(room, text.size()));
        }
        const char* const at = TextBlock->data() + TextBlock->size();
        TextBlock->append(text);
        return TText(at, text.size());
    }

    // Packs the lines of the symbol block of a log that streams in as they
    // come: a line becomes the index of its name in the table's list and its
    // number. The names and numbers are those ForEachNameLine reads from the
    // block; name and number are the line's as the table notes them, and seen
    // the name's entry when it does, as for all but odd lines.
    void PackLine(std::string_view line, std::size_t colon, TText name, TText number,
                  TNameSeen* seen) {
        // The usual line, a tab, the name, its colon, a blank and the number,
        // is split alike both ways.
        const bool usual = seen && line[0] == '\t' && name.data() == line.data() + 1 &&
                           line[colon + 1] == ' ' && number.data() == line.data() + colon + 2;
        TText packedName = name;
        if (!usual && !SplitNameLine(line, colon, packedName, number))
            return;
        std::uint32_t id = 0;
        if (seen && packedName.data() == name.data()) {
            if (seen->SymbolId == NoSymbolId)
                seen->SymbolId = SymbolId(packedName);
            id = seen->SymbolId;
        } else {
            id = SymbolId(packedName);
        }
        Pack(id, number);
    }

    // Appends a line to the packed symbol block.
    void Pack(std::uint32_t id, TText number) {
        const std::size_t room = PackedSize + MaxPackedNameLine(number.size());
        if (room > PackedRoom) {
            const std::size_t grown = std::max({room, 2 * PackedRoom, MinPackedRoom});
            auto bigger = std::make_unique_for_overwrite<char[]>(grown);
            std::copy_n(Packed.get(), PackedSize, bigger.get());
            Packed = std::move(bigger);
            PackedRoom = grown;
        }
        PackedSize = static_cast<std::size_t>(
            PackNameLine(Packed.get() + PackedSize, id, number, PackedNumber) - Packed.get());
        PackedNumber = number;
    }

    // The lines of a symbol block between two of its name lines, when a file
    // has two lists of names; mostly there is only a line end, and no colon.
    void PackBetween(TText between) {
        // A line end alone, LF or CR LF, holds no line.
        if (between.size() <= 2 || between.find(':') == TText::npos)
            return;
        ForEachNameLine(between, [this](TText name, TText number) {
            Pack(SymbolId(name), number);
            return true;
        });
    }

    std::uint32_t SymbolId(TText name) {
        auto found = SymbolIds.find(name);
        if (found == SymbolIds.end()) {
            auto& names = PackedNames();
            names.push_back(CopyText(name));
            found = SymbolIds.emplace(names.back(), names.size() - 1).first;
        }
        return found->second;
    }

    std::vector<TText>& PackedNames() {
        if (Table.SymbolNameLists.empty())
            Table.SymbolNameLists.emplace_back();
        return Table.SymbolNameLists.front();
    }

    // The file's symbol block has ended: the packed one takes its place.
    void EndSymbols(TRCSFile& f) {
        if (!Block || f.SymbolNames || f.SymbolBlock.empty())
            return;
        f.SymbolBlock = CopyText(TText(Packed.get(), PackedSize));
        f.SymbolNames = &PackedNames();
        PackedSize = 0;
        PackedNumber = {};
    }

    struct TTextLine {
        std::size_t Number;
        std::string_view Text;
    };

    static bool Starts(std::string_view line, std::string_view prefix) {
        return line.starts_with(prefix);
    }

    TRCSFile* CurrentFile() {
        return CurrentFileIndex < 0 ? nullptr : &Table.FilesStore[CurrentFileIndex];
    }

    TRevisionInfo* CurrentRevision() {
        if (OrphanIsCurrent)
            return &Orphan;
        return CurrentRevisionIndex < 0 ? nullptr : &Table.RevisionStore[CurrentRevisionIndex];
    }

    void Line(std::string_view line, std::size_t lineNumber) {
        if (InDescription && DescriptionLine(line, lineNumber))
            return;
        if (InSymbols) {
            if (line.starts_with('\t'))
                return SymbolLine(line);
            InSymbols = false;
        }
        const bool afterDate = AfterDate;
        AfterDate = false;
        if (!line.empty()) {
            switch (line.front()) {
            case '?':
                if (Starts(line, "? "))
                    return;
                break;
            case 'R':
                if (Starts(line, "RCS file: "))
                    return NewFile(Trim(After(line, 10)));
                break;
            case 'W':
                if (Starts(line, "Working file: ")) {
                    if (auto* f = CurrentFile())
                        f->WorkingFile = After(line, 14);
                    return;
                }
                break;
            case 'h':
                if (Starts(line, "head: ")) {
                    if (auto* f = CurrentFile())
                        f->Head = Trim(After(line, 6));
                    return;
                }
                break;
            case 'b':
                if (Starts(line, "branch: ")) {
                    if (auto* f = CurrentFile())
                        f->Branch = Trim(After(line, 8));
                    return;
                }
                if (afterDate && Starts(line, "branches: ")) {
                    if (auto* notes = CurrentNotes()) {
                        auto branches = Trim(After(line, 10));
                        if (branches.ends_with(';'))
                            branches = Trim(branches.substr(0, branches.size() - 1));
                        notes->Branches = branches;
                    }
                    return;
                }
                break;
            case 'l':
                if (Starts(line, "locks: ")) {
                    if (auto* f = CurrentFile())
                        f->Locks = Trim(After(line, 7));
                    return;
                }
                break;
            case 's':
                if (Starts(line, "symbolic names:") && !Collecting) {
                    InSymbols = CurrentFile() != nullptr;
                    return;
                }
                break;
            case 'd':
                if (Starts(line, "description:")) {
                    const auto text = Trim(After(line, 12));
                    // A header line that ends at its colon: the description
                    // is on the lines after it.
                    if (text.empty() && !Collecting) {
                        InDescription = CurrentFile() != nullptr;
                        return;
                    }
                    if (Starts(line, "description: ")) {
                        if (auto* f = CurrentFile())
                            f->Description = text;
                        return;
                    }
                }
                if (Starts(line, "date: ")) {
                    DateLine(line);
                    Collecting = true;
                    AfterDate = true;
                    return;
                }
                break;
            case '-':
                if (Starts(line, RevisionRule))
                    return NewRevision();
                break;
            case 'r':
                if (Starts(line, "revision ")) {
                    if (auto* r = CurrentRevision())
                        RevisionLine(*r, Trim(After(line, 9)));
                    return;
                }
                break;
            default:
                break;
            }
        }
        MessageLine(line, lineNumber);
    }

    // A line of the file's symbolic names: the block is widened to end with
    // it, and its name noted once for the table. Neighbouring files mostly
    // list the same names in the same order: a name is first compared with the
    // one after the previous file's last match, and looked up only when that
    // differs; a name the previous file had too then sets the place to compare
    // with next.
    void SymbolLine(std::string_view line) {
        TText& block = CurrentFile()->SymbolBlock;
        if (Block && !block.empty())
            PackBetween(TText(block.data() + block.size(),
                              static_cast<std::size_t>(line.data() - block.data()) - block.size()));
        const char* begin = block.empty() ? line.data() : block.data();
        block = TText(begin, static_cast<std::size_t>(line.data() + line.size() - begin));
        // The number is short: its colon is found from the line's end.
        const auto colon = line.rfind(':');
        if (colon == std::string_view::npos)
            return;
        const TText name = TrimLeft(line.substr(0, colon));
        const TText number = Trim(line.substr(colon + 1));
        TNameSeen* seen = name.empty() || number.empty() ? nullptr : NoteName(name, number);
        if (Block)
            PackLine(line, colon, name, number, seen);
    }

    TNameSeen* NoteName(TText name, TText number) {
        TNameSeen* seen = nullptr;
        TText kept = name; // the name as the table keeps it
        if (NameCursor < PreviousNames.size() && PreviousNames[NameCursor].first == name) {
            std::tie(kept, seen) = PreviousNames[NameCursor++];
        } else {
            auto found = NamesSeen.find(name);
            if (found == NamesSeen.end())
                found = NamesSeen.emplace(Block ? CopyText(name) : name, TNameSeen()).first;
            kept = found->first;
            seen = &found->second;
            if (seen->File == PreviousNamesFile)
                NameCursor = seen->Position + 1;
        }
        seen->File = CurrentFileIndex;
        seen->Position = CurrentNames.size();
        if (!seen->IsBranch && NameKind(number) != TNameKind::Tag)
            seen->IsBranch = true;
        CurrentNames.emplace_back(kept, seen);
        return seen;
    }

    // The notes of the current revision, made when first asked for; none for
    // a revision that belongs to no file.
    TRevisionNotes* CurrentNotes() {
        if (OrphanIsCurrent || CurrentRevisionIndex < 0)
            return nullptr;
        const std::uint32_t file = RevisionFile[CurrentRevisionIndex];
        const auto position =
            static_cast<std::uint32_t>(CurrentRevisionIndex - FirstRevision[file]);
        auto& notes = Table.FilesStore[file].Notes;
        if (notes.empty() || notes.back().Position != position)
            notes.push_back({position, {}, {}});
        return &notes.back();
    }

    // A line of the file's description, which ends at the first rule (or at
    // the next file of a log cut short); false for the line that ends it,
    // which is read as any other line.
    bool DescriptionLine(std::string_view line, std::size_t lineNumber) {
        if (!Starts(line, RevisionRule) && !Starts(line, FileEndRule) &&
            !Starts(line, "RCS file: ")) {
            if (!line.empty() || !DescriptionLines.empty())
                DescriptionLines.push_back({lineNumber, line});
            return true;
        }
        InDescription = false;
        if (auto* f = CurrentFile())
            f->Description = JoinLines(DescriptionLines);
        DescriptionLines.clear();
        return false;
    }

    void NewFile(std::string_view rcsPath) {
        if (auto* f = CurrentFile())
            EndSymbols(*f);
        if (!CurrentNames.empty()) {
            std::swap(PreviousNames, CurrentNames);
            CurrentNames.clear();
            PreviousNamesFile = CurrentFileIndex;
        }
        NameCursor = 0;
        if (auto& store = Table.FilesStore; store.size() == store.capacity())
            ReserveHuge(store, std::max(store.capacity() * 2, MinFileStore));
        Table.FilesStore.emplace_back().RCSPath = rcsPath;
        FirstRevision.push_back(Table.RevisionStore.size());
        CurrentFileIndex = static_cast<long>(Table.FilesStore.size()) - 1;
        Collecting = false;
        if (FilesParsed)
            FilesParsed->store(static_cast<int>(Table.FilesStore.size()),
                               std::memory_order_relaxed);
    }

    void NewRevision() {
        FinishComment();
        Collecting = false;
        if (CurrentFileIndex < 0) {
            // A revision before any file header belongs to no file: it is filled
            // like any other and then dropped.
            Orphan = TRevisionInfo{};
            OrphanIsCurrent = true;
            return;
        }
        OrphanIsCurrent = false;
        if (auto& store = Table.RevisionStore; store.size() == store.capacity()) {
            // The store grows while the log streams; each new one is written whole.
            ReserveHuge(store, std::max(store.capacity() * 2, MinRevisionStore));
            ReserveHuge(RevisionFile, store.capacity());
        }
        Table.RevisionStore.emplace_back();
        CurrentRevisionIndex = static_cast<long>(Table.RevisionStore.size()) - 1;
        RevisionFile.push_back(static_cast<std::uint32_t>(CurrentFileIndex));
    }

    // "revision 1.4", optionally followed by a tab and "locked by: carol;".
    void RevisionLine(TRevisionInfo& r, std::string_view text) {
        std::size_t numberEnd = 0;
        while (numberEnd < text.size() && static_cast<unsigned char>(text[numberEnd]) > ' ')
            ++numberEnd;
        r.Revision = text.substr(0, numberEnd);
        constexpr std::string_view LockedBy = "locked by: ";
        const auto lock = text.find(LockedBy, numberEnd);
        if (lock != std::string_view::npos)
            if (auto* notes = CurrentNotes())
                notes->Locker = Trim(BeforeSemicolon(text.substr(lock + LockedBy.size())));
    }

    void DateLine(std::string_view rest) {
        TRevisionInfo* r = CurrentRevision();
        while (!rest.empty()) {
            if (Starts(rest, "date: ")) {
                rest = After(rest, 6);
                // An unreadable date is counted and changes nothing: a new
                // revision keeps Date 0, and a message line that merely starts
                // like a date line does not wipe out the date already read.
                if (r) {
                    if (auto date = ParseDate(BeforeSemicolon(rest)))
                        r->Date = *date;
                    else if (!OrphanIsCurrent)
                        ++Table.BadDateCount;
                }
            } else if (Starts(rest, "author: ")) {
                rest = After(rest, 8);
                if (r)
                    r->Author = Trim(BeforeSemicolon(rest));
            } else if (Starts(rest, "state: ")) {
                rest = After(rest, 7);
                if (r)
                    r->State = Trim(BeforeSemicolon(rest));
            } else if (Starts(rest, "lines: ")) {
                if (r)
                    LinesField(*r, Trim(After(rest, 7)));
                // After the lines field only the commit id is read.
                for (rest = AfterSemicolon(rest); !rest.empty(); rest = AfterSemicolon(rest))
                    if (Starts(rest, "commitid: ") && r)
                        r->CommitId = CommitIdField(rest);
                return;
            } else if (Starts(rest, "commitid: ")) {
                if (r)
                    r->CommitId = CommitIdField(rest);
            }
            rest = AfterSemicolon(rest);
        }
    }

    // The text of "commitid: ID;"; a view into the field, so never a null
    // view even when the id is empty.
    static std::string_view CommitIdField(std::string_view field) {
        return Trim(BeforeSemicolon(After(field, 10)));
    }

    // "+12 -3": lines added, then lines removed. A single count stands for
    // added lines, or for removed lines when it carries a minus sign. Fields
    // after the ";" do not belong to the counts.
    static void LinesField(TRevisionInfo& r, std::string_view text) {
        text = Trim(BeforeSemicolon(text));
        const auto blank = text.find(' ');
        if (blank == std::string_view::npos) {
            const auto count = LineCount(text);
            r.LinesAdded = count < 0 ? 0 : count;
            r.LinesRemoved = count < 0 ? Magnitude(count) : 0;
            return;
        }
        r.LinesAdded = LineCount(text.substr(0, blank));
        r.LinesRemoved = Magnitude(LineCount(text.substr(blank + 1)));
    }

    void MessageLine(std::string_view line, std::size_t lineNumber) {
        if (!Collecting || !CurrentRevision())
            return;
        if (line.size() >= FileEndRule.size() && line.find(FileEndRule) != std::string_view::npos)
            return;
        if (line.empty() && CommentLines.empty())
            return; // blank lines before a message are not part of it
        CommentLines.push_back({lineNumber, line});
    }

    // Ends the current revision's message.
    void FinishComment() {
        if (TRevisionInfo* r = CurrentRevision(); r && !CommentLines.empty())
            r->Comment = JoinLines(CommentLines);
        CommentLines.clear();
    }

    // The lines, joined by LF, without the empty lines at their end; lines
    // that stand in the log as one piece are kept as a view of it.
    std::string_view JoinLines(std::vector<TTextLine>& lines) {
        while (!lines.empty() && lines.back().Text.empty())
            lines.pop_back();
        if (lines.empty())
            return {};
        bool inOnePiece = true;
        for (std::size_t i = 1; i < lines.size() && inOnePiece; ++i)
            inOnePiece = lines[i].Number == lines[i - 1].Number + 1;
        const auto first = lines.front().Text;
        const auto last = lines.back().Text;
        if (inOnePiece)
            return std::string_view(first.data(), last.data() + last.size() - first.data());
        std::string& text = Table.ExtraTexts.emplace_back();
        for (const auto& l : lines) {
            if (&l != &lines.front())
                text += '\n';
            text += l.Text;
        }
        return text;
    }

public:
    void FinishTable() {
        Table.FilesStore.shrink_to_fit();
        auto& names = Table.NameStore;
        names.reserve(NamesSeen.size());
        for (const auto& [name, seen] : NamesSeen)
            names.push_back({name, seen.IsBranch});
        std::sort(names.begin(), names.end(),
                  [](const TNameEntry& a, const TNameEntry& b) { return a.Name < b.Name; });
        auto& files = Table.FilesStore;
        auto& revisions = Table.RevisionStore;
        for (std::size_t i = 0; i < files.size(); ++i) {
            const std::size_t first = FirstRevision[i];
            const std::size_t last = i + 1 < files.size() ? FirstRevision[i + 1] : revisions.size();
            files[i].Revisions =
                std::span<const TRevisionInfo>(revisions.data() + first, last - first);
        }
        for (std::size_t j = 0; j < revisions.size(); ++j)
            revisions[j].FileInfo = &files[RevisionFile[j]];
    }

private:
    TRCSFileTable& Table;
    std::atomic<int>* FilesParsed;
    const std::size_t BlockSize;
    std::optional<THugeText> Block;    // of a log that streams in
    TSpareRooms Spares{MaxSpareRooms}; // rooms of blocks read, for the blocks to come
    const char* Next = nullptr;        // the first byte not yet parsed
    const char* LineFeed = nullptr;
    const char* NoLineFeedBefore = nullptr;
    std::size_t LineNumber = 0;
    long CurrentFileIndex = -1;
    long CurrentRevisionIndex = -1;
    bool OrphanIsCurrent = false;
    TRevisionInfo Orphan;
    bool Collecting = false;
    bool AfterDate = false;
    bool InDescription = false; // in a file's description
    bool InSymbols = false;     // in a file's symbolic names
    std::unordered_map<TText, TNameSeen> NamesSeen;
    // The names of the current file and of the last one before it that had any.
    std::vector<std::pair<TText, TNameSeen*>> CurrentNames, PreviousNames;
    long PreviousNamesFile = -1;
    std::size_t NameCursor = 0;              // in PreviousNames
    std::vector<TTextLine> CommentLines;     // of the message being read
    std::vector<TTextLine> DescriptionLines; // of the description being read
    std::vector<std::size_t> FirstRevision;  // per file: index of its first revision
    THugeVector<std::uint32_t> RevisionFile; // per revision: index of its file
    // Of the texts copied out of the blocks of a log that streams in.
    THugeText* TextBlock = nullptr; // the last of the table's text blocks
    std::size_t FirstTextRoom = FirstTextBlockSize;
    std::size_t KeptFiles = 0;              // the files and revisions before these
    std::size_t KeptRevisions = 0;          // use no text of the block being read
    std::unordered_set<TText> Interned;     // authors and states
    std::array<TText, 64> RecentInterned{}; // of Interned, or null views
    // The symbol block of the current file, packed so far.
    std::unordered_map<TText, std::uint32_t> SymbolIds; // in PackedNames()
    std::unique_ptr<char[]> Packed;
    std::size_t PackedSize = 0;
    std::size_t PackedRoom = 0;
    TText PackedNumber; // of its last line, in the block
};

TLogReader::TLogReader(std::atomic<int>* filesParsed, std::size_t blockSize)
    : Table(std::make_unique<TRCSFileTable>()),
      Parser(std::make_unique<TLogParser>(*Table, filesParsed, blockSize)) {}

TLogReader::~TLogReader() = default;

void TLogReader::Add(std::string_view bytes) {
    Parser->Add(bytes);
    AddedBytes += bytes.size();
}

std::unique_ptr<TRCSFileTable> TLogReader::Finish() {
    Parser->End();
    Parser->FinishTable();
    Parser.reset();
    return std::move(Table);
}

namespace {

// Whether the file whose header starts text is read alone as it is read
// after the files before it. Up to the next rule, revision and date lines
// still fill the last revision read before it, through the headers of files
// without revisions too: there must be none. When no rule follows, only the
// log's end (endsLog) tells.
bool ReadsAlone(std::string_view text, bool endsLog) {
    std::size_t end = text.find_first_of("\r\n");
    while (end != std::string_view::npos) {
        const std::string_view line = text.substr(end + 1);
        if (line.starts_with(RevisionRule))
            return true;
        if (line.starts_with("revision ") || line.starts_with("date: "))
            return false;
        end = text.find_first_of("\r\n", end + 1);
    }
    return endsLog;
}

// The log cut into at most parts pieces of about equal size, each but the
// first beginning with a file header that reads alone.
std::vector<std::string_view> CutAtFileHeaders(std::string_view log, unsigned parts) {
    constexpr std::string_view Header = "\nRCS file: ";
    std::vector<std::string_view> pieces;
    std::size_t from = 0;
    for (unsigned k = 1; k < parts; ++k) {
        std::size_t hit = log.find(Header, std::max(from, log.size() / parts * k));
        while (hit != std::string_view::npos && !ReadsAlone(log.substr(hit + 1), true))
            hit = log.find(Header, hit + 1);
        if (hit == std::string_view::npos)
            break;
        pieces.push_back(log.substr(from, hit + 1 - from));
        from = hit + 1;
    }
    pieces.push_back(log.substr(from));
    return pieces;
}

// Where the log made of pieces is cut to be read on threads threads: all but
// its last 1/FineShare into one part for each thread, and that last share into
// FinePartsPerThread small parts for each, which the threads that end their
// first part early take, so that the threads end close together. Each small
// part takes FineTaken of the share still left, so that they shrink and the
// last ones, on which the threads end, are the shortest. A cut is made before
// the header of a file that reads alone within its piece.
struct TCut {
    std::size_t Piece;
    std::size_t Offset;
};

constexpr std::size_t FineShare = 4;
constexpr unsigned FinePartsPerThread = 4;
constexpr double FineTaken = 0.4;

std::vector<TCut> CutPiecesAtFileHeaders(std::span<const std::string_view> pieces,
                                         unsigned threads) {
    constexpr std::string_view Header = "\nRCS file: ";
    std::size_t total = 0;
    for (const std::string_view piece : pieces)
        total += piece.size();
    std::vector<std::size_t> targets; // where each cut is looked for, in the log
    if (threads > 1) {
        const std::size_t fine = total / FineShare;
        for (unsigned k = 1; k <= threads; ++k)
            targets.push_back((total - fine) / threads * k);
        const unsigned fineParts = threads * FinePartsPerThread;
        double left = static_cast<double>(fine);
        for (unsigned k = 1; k < fineParts; ++k) {
            left *= 1 - FineTaken;
            targets.push_back(total - static_cast<std::size_t>(left));
        }
    }
    std::vector<TCut> cuts;
    std::size_t piece = 0;
    std::size_t pieceStart = 0; // of pieces[piece] in the log
    std::size_t from = 0;       // where the next search starts, in the log
    for (const std::size_t target : targets) {
        from = std::max(from, target);
        bool found = false;
        for (; piece < pieces.size(); pieceStart += pieces[piece++].size()) {
            const std::string_view text = pieces[piece];
            if (from >= pieceStart + text.size())
                continue;
            std::size_t hit = text.find(Header, from - pieceStart);
            while (hit != std::string_view::npos && !ReadsAlone(text.substr(hit + 1), false))
                hit = text.find(Header, hit + 1);
            if (hit != std::string_view::npos) {
                cuts.push_back({piece, hit + 1});
                from = pieceStart + hit + 2;
                found = true;
                break;
            }
            from = pieceStart + text.size();
        }
        if (!found)
            break;
    }
    return cuts;
}

} // namespace

std::unique_ptr<TRCSFileTable> TLogReader::Finish(std::span<const std::string_view> rest,
                                                  unsigned threads,
                                                  const std::function<void(std::size_t)>& taken) {
    const std::vector<TCut> cuts = CutPiecesAtFileHeaders(rest, threads);
    const std::size_t count = cuts.size() + 1;
    // Part k reads from cut k - 1 to cut k; this reader's own parser, part 0.
    auto forEachSlice = [&](std::size_t k, auto take) {
        const TCut from = k == 0 ? TCut{0, 0} : cuts[k - 1];
        const TCut to = k < cuts.size() ? cuts[k] : TCut{rest.size(), 0};
        for (std::size_t piece = from.Piece; piece <= to.Piece && piece < rest.size(); ++piece) {
            const std::size_t begin = piece == from.Piece ? from.Offset : 0;
            const std::size_t end = piece == to.Piece ? to.Offset : rest[piece].size();
            // A piece that two parts share is let go only at the end.
            take(rest[piece].substr(begin, end - begin), begin == 0 && piece != to.Piece, piece);
        }
    };
    for (const std::string_view piece : rest)
        AddedBytes += piece.size();
    std::vector<std::unique_ptr<TRCSFileTable>> partTables;
    std::vector<TLogParser*> parsers{Parser.get()};
    std::vector<std::unique_ptr<TLogParser>> partParsers;
    for (std::size_t k = 1; k < count; ++k) {
        parsers.push_back(partParsers
                              .emplace_back(std::make_unique<TLogParser>(
                                  *partTables.emplace_back(std::make_unique<TRCSFileTable>()),
                                  nullptr, std::min(Parser->BlockBytes(), PartBlockSize)))
                              .get());
        parsers.back()->ReadsLargePart();
    }
    TLogParser::ReadSideBySide(
        parsers, threads,
        [&](std::size_t k) {
            TRevisionReckoning reckoning;
            forEachSlice(k,
                         [&](std::string_view slice, bool, std::size_t) { reckoning.Add(slice); });
            return reckoning.Revisions();
        },
        [&](std::size_t k) {
            forEachSlice(k, [&](std::string_view slice, bool alone, std::size_t piece) {
                parsers[k]->Add(slice);
                if (taken && alone)
                    taken(piece);
            });
            parsers[k]->End();
        });
    Parser.reset();
    return std::move(Table);
}

std::unique_ptr<TRCSFileTable>
TLogParser::ParseWhole(std::string log, std::atomic<int>* filesParsed, unsigned parts) {
    auto table = std::make_unique<TRCSFileTable>();
    const std::vector<std::string_view> pieces =
        CutAtFileHeaders(table->WholeLog = std::move(log), parts);
    const std::size_t count = pieces.size();
    std::vector<std::unique_ptr<TRCSFileTable>> partTables;
    std::vector<std::unique_ptr<TLogParser>> owned;
    std::vector<TLogParser*> parsers;
    for (std::size_t k = 0; k < count; ++k)
        parsers.push_back(
            owned
                .emplace_back(std::make_unique<TLogParser>(
                    k == 0 ? *table : *partTables.emplace_back(std::make_unique<TRCSFileTable>()),
                    k == 0 ? filesParsed : nullptr, TLogReader::DefaultBlockSize))
                .get());
    ReadSideBySide(
        parsers, count,
        [&](std::size_t k) {
            TRevisionReckoning reckoning;
            reckoning.Add(pieces[k]);
            return reckoning.Revisions();
        },
        [&](std::size_t k) { parsers[k]->ParsePart(pieces[k]); });
    return table;
}

std::unique_ptr<TRCSFileTable> ParseLog(std::string log, std::atomic<int>* filesParsed,
                                        unsigned parts) {
    return TLogParser::ParseWhole(std::move(log), filesParsed, std::max(parts, 1u));
}

unsigned ParseParts(std::size_t logBytes) {
    constexpr std::size_t MinPartBytes = 32 << 20;
    return static_cast<unsigned>(std::clamp<std::size_t>(
        logBytes / MinPartBytes, 1, std::max(std::thread::hardware_concurrency(), 1u)));
}

} // namespace quillon
