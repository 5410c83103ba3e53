// libFuzzer target for the log parser. Any bytes must give a table; the target
// then walks all of it: every file and revision, the back-pointers, the order
// of the revision slices, every byte of every text (so that AddressSanitizer
// sees a text that outlived its bytes), where each text lies, the post-parse
// check and the three lookups on every file and revision.
#include "CheckLog.h"
#include "Commits.h"
#include "DateTime.h"
#include "ParseLog.h"
#include "RevisionModel.h"
#include "Tags.h"
#include "TextUtil.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

using namespace quillon;

namespace {

constexpr std::int32_t LinesLimit = 5; // the default few-changes threshold
constexpr double SecondsPerDay = 86400;
constexpr std::string_view FileEndRule(
    "============================================================================="); // 77
constexpr std::string_view RevisionRule("----------------------------");              // 28

// Lines starting with these are never message text: the parser handles them
// by their own rules.
constexpr std::array<std::string_view, 10> LinePrefixes = {
    "? ",      "RCS file: ",    "Working file: ", "head: ",    "branch: ",
    "locks: ", "description: ", RevisionRule,     "revision ", "date: "};

volatile unsigned char ByteSink;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "fuzz_parselog: %s\n", what);
    std::abort();
}

void Require(bool condition, const char* what) {
    if (!condition)
        Fail(what);
}

bool IsLineBreak(char c) {
    return c == '\n' || c == '\r';
}

class TWalk {
public:
    // logBegin is the table's copy of the log when known: the parser takes the
    // buffer of a string over, unless the string holds its bytes inline.
    TWalk(std::string_view input, const char* logBegin) : Input(input), LogBegin(logBegin) {}

    void Run(TRCSFileTable& table, int filesParsed) {
        Require(filesParsed == static_cast<int>(table.FileCount()),
                "the progress counter does not match the file count");
        Require(table.BadDates() >= 0, "negative count of bad dates");
        std::size_t revisions = 0;
        const TRevisionInfo* nextSlice = nullptr;
        for (auto& file : table.Files()) {
            WalkFile(table, file);
            revisions += file.Revisions.size();
            if (!file.Revisions.empty()) {
                Require(!nextSlice || file.Revisions.data() == nextSlice,
                        "revision slices are not consecutive in file order");
                nextSlice = file.Revisions.data() + file.Revisions.size();
            }
        }
        Require(revisions == table.RevisionCount(), "revision slices do not cover the store");

        ClearEmptyMessages(table);
        const auto counters = CountFiles(table, LinesLimit);
        Require(counters.size() == table.FileCount(), "counters do not match the files");
        for (std::size_t i = 0; i < counters.size(); ++i)
            WalkCounters(table.Files()[i], counters[i]);

        const auto history = HistoryOrder(table);
        const TCommits commits(table, history);
        std::size_t grouped = 0;
        for (const TCommit& commit : commits.Commits())
            grouped += commit.RevisionCount;
        Require(grouped == table.RevisionCount(), "the commits do not hold every revision once");
        for (const TRevisionInfo* revision : history) {
            Require(commits.CommitOf(*revision) < commits.Commits().size(),
                    "a revision belongs to no commit");
            Touch(TagsText(*revision));
        }
    }

private:
    // Reads every byte of text and, when the log's place is known, requires
    // the text to lie in it unchanged.
    void Text(std::string_view text, const char* what) {
        Touch(text);
        if (text.empty() || !LogBegin)
            return;
        Require(InLog(text), what);
        Require(std::memcmp(text.data(), Input.data() + (text.data() - LogBegin), text.size()) == 0,
                "a text differs from the log bytes it views");
    }

    void Touch(std::string_view text) {
        unsigned char sum = 0;
        for (const char c : text)
            sum = static_cast<unsigned char>(sum + static_cast<unsigned char>(c));
        ByteSink = sum;
    }

    bool InLog(std::string_view text) const {
        return text.data() >= LogBegin && text.data() + text.size() <= LogBegin + Input.size();
    }

    // A header or field text: one line at most, trimmed unless noted.
    void FieldText(std::string_view text, bool trimmed, const char* what) {
        Text(text, what);
        for (const char c : text)
            Require(!IsLineBreak(c), "a field text holds a line break");
        if (trimmed)
            Require(Trim(text) == text, "a field text is not trimmed");
    }

    // A comment is a view of consecutive log lines or, when lines between them
    // were left out, a copy of its lines joined by LF; either way its lines
    // appear in the log in order, after those of earlier comments.
    void Comment(std::string_view comment) {
        Touch(comment);
        if (comment.empty())
            return;
        Require(!IsLineBreak(comment.front()), "a comment starts with a line break");
        Require(comment.find(FileEndRule) == std::string_view::npos,
                "a comment holds the end-of-file rule");
        std::size_t start = 0;
        while (start <= comment.size()) {
            std::size_t end = start;
            while (end < comment.size() && !IsLineBreak(comment[end]))
                ++end;
            const std::string_view line = comment.substr(start, end - start);
            for (const auto prefix : LinePrefixes)
                Require(!line.starts_with(prefix), "a comment line starts with a line prefix");
            start = end + 1;
        }
        if (!LogBegin)
            return;
        if (InLog(comment)) {
            Text(comment, "a comment lies outside the log");
            const auto offset = static_cast<std::size_t>(comment.data() - LogBegin);
            Require(offset >= Cursor, "comments are out of log order");
            Cursor = offset + comment.size();
            return;
        }
        for (std::size_t from = 0; from <= comment.size();) {
            const std::size_t end = std::min(comment.find('\n', from), comment.size());
            const std::string_view line = comment.substr(from, end - from);
            const std::size_t found = Input.find(line, Cursor);
            Require(found != std::string_view::npos, "a copied comment line is not in the log");
            Cursor = found + line.size();
            from = end + 1;
        }
    }

    // A description is a view of consecutive log lines, none of which after
    // the first (the text of a "description: " line) is a rule or a file
    // header; it neither starts nor ends with a line break.
    void Description(std::string_view description) {
        Touch(description);
        if (description.empty())
            return;
        Require(!IsLineBreak(description.front()) && !IsLineBreak(description.back()),
                "a description starts or ends with a line break");
        std::size_t start = 0;
        while (start < description.size() && !IsLineBreak(description[start]))
            ++start;
        for (++start; start <= description.size();) {
            std::size_t end = start;
            while (end < description.size() && !IsLineBreak(description[end]))
                ++end;
            const std::string_view line = description.substr(start, end - start);
            Require(!line.starts_with(FileEndRule) && !line.starts_with(RevisionRule) &&
                        !line.starts_with("RCS file: "),
                    "a description holds a rule or a file header");
            start = end + 1;
        }
        if (LogBegin)
            Require(InLog(description), "a description lies outside the log");
    }

    void WalkFile(TRCSFileTable& table, TRCSFile& file) {
        FieldText(file.RCSPath, true, "RCSPath lies outside the log");
        FieldText(file.WorkingFile, false, "WorkingFile lies outside the log");
        FieldText(file.Head, true, "Head lies outside the log");
        FieldText(file.Branch, true, "Branch lies outside the log");
        FieldText(file.Locks, true, "Locks lies outside the log");
        Description(file.Description);

        const TRCSFile* found = FindFile(table, file.WorkingFile);
        Require(found && found->WorkingFile == file.WorkingFile && found <= &file,
                "FindFile misses a file of the table");

        for (const auto& revision : file.Revisions) {
            Require(revision.FileInfo == &file, "a revision's FileInfo is not its file");
            WalkRevision(file, revision);
        }
        for (const auto& name : SymbolicNames(file))
            Require(!LogBegin || (InLog(name.Name) && InLog(name.Number)),
                    "a symbolic name lies outside the log");
    }

    void WalkRevision(const TRCSFile& file, const TRevisionInfo& revision) {
        FieldText(revision.Revision, true, "Revision lies outside the log");
        for (const char c : revision.Revision)
            Require(static_cast<unsigned char>(c) > ' ', "a revision number holds a blank");
        FieldText(revision.Author, true, "Author lies outside the log");
        FieldText(revision.State, true, "State lies outside the log");
        FieldText(Locker(revision), true, "Locker lies outside the log");
        FieldText(Branches(revision), true, "Branches lies outside the log");
        Comment(revision.Comment);

        Require(revision.LinesRemoved >= 0, "negative LinesRemoved");
        Require(std::isfinite(revision.Date), "a date is not finite");
        if (revision.Date != 0) {
            const TDateTimeParts parts = DecodeDateTime(revision.Date);
            const auto again = EncodeDateTime(parts);
            Require(again.has_value(), "a date decodes to no valid date");
            Require(std::fabs(*again - revision.Date) * SecondsPerDay < 0.5,
                    "a date does not survive decoding");
        }

        const TRevisionInfo* same = FindRevision(&file, revision.Revision);
        Require(same && same->Revision == revision.Revision && same <= &revision,
                "FindRevision misses a revision of its file");

        const TRevisionInfo* previous = FindPreviousRevision(&file, &revision);
        if (previous) {
            Require(previous != &revision, "a revision is its own predecessor");
            Require(previous >= file.Revisions.data() &&
                        previous < file.Revisions.data() + file.Revisions.size() &&
                        previous->FileInfo == &file,
                    "a predecessor lies outside the revision's file");
        }
        Require(!FindPreviousRevision(nullptr, &revision), "a predecessor without a file");
    }

    void WalkCounters(const TRCSFile& file, const TFileCounters& counters) {
        const auto count = static_cast<std::int64_t>(file.Revisions.size());
        Require(counters.NoComments >= 0 && counters.NoComments <= count,
                "NoComments out of range");
        Require(counters.NoChanges >= 0 && counters.FewChanges >= 0 &&
                    std::int64_t{counters.NoChanges} + counters.FewChanges <= count,
                "NoChanges or FewChanges out of range");
        Require(counters.TotalRemoved >= 0, "negative TotalRemoved");
        if (file.Revisions.empty()) {
            Require(counters.LastAuthor.empty() && !counters.LastNoComment &&
                        !counters.LastFewChanges,
                    "summary of a file without revisions is not empty");
            return;
        }
        Require(counters.LastAuthor.data() == file.Revisions.front().Author.data(),
                "LastAuthor is not the newest revision's author");
        for (const auto& revision : file.Revisions) {
            Touch(revision.Comment);
            Require(!revision.Comment.starts_with(EmptyLogMessage),
                    "an empty-message marker survived the check");
        }
    }

    std::string_view Input;
    const char* LogBegin;
    std::size_t Cursor = 0; // comments so far end before this offset of the log
};

// The lines of a file's symbol block, as it is read.
std::vector<std::pair<TText, TText>> NameLines(const TRCSFile& file) {
    std::vector<std::pair<TText, TText>> lines;
    ForEachNameLine(file, [&](TText name, TText number) {
        lines.emplace_back(name, number);
        return true;
    });
    return lines;
}

// The same log read in pieces, cut where the input says, into small blocks,
// or in parts side by side, gives the same table as the whole log.
void RequireSameTable(const TRCSFileTable& whole, const TRCSFileTable& pieces) {
    Require(whole.FileCount() == pieces.FileCount() &&
                whole.RevisionCount() == pieces.RevisionCount() &&
                whole.BadDates() == pieces.BadDates() &&
                whole.Names().size() == pieces.Names().size(),
            "a log read in pieces gives other counts");
    for (std::size_t i = 0; i < whole.Names().size(); ++i)
        Require(whole.Names()[i].Name == pieces.Names()[i].Name &&
                    whole.Names()[i].IsBranch == pieces.Names()[i].IsBranch,
                "a log read in pieces gives other names");
    for (std::size_t i = 0; i < whole.FileCount(); ++i) {
        const TRCSFile& a = whole.Files()[i];
        const TRCSFile& b = pieces.Files()[i];
        Require(a.RCSPath == b.RCSPath && a.WorkingFile == b.WorkingFile && a.Head == b.Head &&
                    a.Branch == b.Branch && a.Locks == b.Locks && a.Description == b.Description &&
                    NameLines(a) == NameLines(b) && a.Revisions.size() == b.Revisions.size(),
                "a log read in pieces gives another file");
        for (std::size_t j = 0; j < a.Revisions.size(); ++j) {
            const TRevisionInfo& r = a.Revisions[j];
            const TRevisionInfo& q = b.Revisions[j];
            Require(r.Revision == q.Revision && r.Author == q.Author && r.State == q.State &&
                        r.Comment == q.Comment && r.CommitId == q.CommitId &&
                        HasCommitId(r) == HasCommitId(q) && r.Date == q.Date &&
                        r.LinesAdded == q.LinesAdded && r.LinesRemoved == q.LinesRemoved &&
                        Locker(r) == Locker(q) && Branches(r) == Branches(q),
                    "a log read in pieces gives another revision");
        }
    }
}

// The cuts follow the bytes themselves: a piece ends after a byte whose low
// bits are all set, or after 97 bytes. With threads, the pieces after the first
// third of the log, joined up to 2000 bytes so that file headers fall within
// them, are read side by side on that many threads at its end.
std::unique_ptr<TRCSFileTable> ReadInPieces(std::string_view input, std::atomic<int>& filesParsed,
                                            unsigned threads = 1) {
    constexpr std::size_t BlockSize = 64;
    TLogReader reader(&filesParsed, BlockSize);
    std::vector<std::string_view> rest;
    std::vector<char> taken;
    auto piece = [&](std::string_view bytes) {
        if (threads > 1 && bytes.data() >= input.data() + input.size() / 3) {
            if (!rest.empty() && rest.back().size() + bytes.size() <= 2000)
                rest.back() =
                    std::string_view(rest.back().data(), rest.back().size() + bytes.size());
            else
                rest.push_back(bytes);
        } else
            reader.Add(bytes);
    };
    std::size_t from = 0;
    for (std::size_t i = 0; i < input.size(); ++i)
        if ((static_cast<unsigned char>(input[i]) & 7) == 7 || i + 1 - from == 97) {
            piece(input.substr(from, i + 1 - from));
            from = i + 1;
        }
    piece(input.substr(from));
    taken.resize(rest.size());
    auto table = threads > 1 ? reader.Finish(rest, threads, [&](std::size_t k) { taken[k] = 1; })
                             : reader.Finish();
    Require(reader.Size() == input.size(), "the reader lost bytes");
    Require(table->Log().empty(), "a table read in pieces keeps the log");
    // Each cut shares at most one piece between two parts, and there are
    // fewer cuts than five times the threads.
    Require(std::count(taken.begin(), taken.end(), 0) < 5 * static_cast<long>(threads),
            "pieces were kept that no part shares");
    return table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string log(input);
    const char* logBegin = log.capacity() > std::string().capacity() ? log.data() : nullptr;
    std::atomic<int> filesParsed{0};
    auto table = ParseLog(std::move(log), &filesParsed);
    Require(table != nullptr, "no table");
    std::atomic<int> piecesFilesParsed{0};
    auto pieces = ReadInPieces(input, piecesFilesParsed);
    RequireSameTable(*table, *pieces);
    std::atomic<int> partsFilesParsed{0};
    RequireSameTable(*table, *ReadInPieces(input, partsFilesParsed, 3));
    RequireSameTable(*table, *ParseLog(std::string(input), nullptr, 3));
    TWalk(input, logBegin).Run(*table, filesParsed.load());
    TWalk(input, nullptr).Run(*pieces, piecesFilesParsed.load());
    return 0;
}
