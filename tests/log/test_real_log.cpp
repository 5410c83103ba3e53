// The parser, the post-parse check and the author list against logs written by
// the real `cvs` client (1.12.13) for the history that scripts/make-cvs-history
// commits; tests/data/README.md tells how the logs were recorded.
#include "Authors.h"
#include "CheckLog.h"
#include "DateTime.h"
#include "Filter.h"
#include "LogStream.h"
#include "LogSummary.h"
#include "ParseLog.h"
#include "Tags.h"

#include <QThreadPool>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <future>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace quillon;

constexpr int LinesLimit = 5;
constexpr std::string_view RepositoryPath = "/tmp/quillon-history/repo/demo/";

std::string ReadData(const std::string& name) {
    std::ifstream in(std::string(QUILLON_TEST_DATA) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot open " << name;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

double Utc(int year, int month, int day, int hour, int minute, int second) {
    const auto value = EncodeDateTime({year, month, day, hour, minute, second});
    EXPECT_TRUE(value.has_value());
    return value.value_or(-1);
}

struct TExpectedRevision {
    std::string Revision;
    double Date;
    std::string Author;
    std::string State;
    int Added;
    int Removed;
    std::string Comment; // as ClearEmptyMessages leaves it
    std::string Locker = {};
    std::string Branches = {};
};

struct TExpectedFile {
    std::string RCSPath;
    std::string WorkingFile;
    std::string Head;
    std::vector<TExpectedRevision> Revisions;
};

const std::string InitialComment = "Initial version of the demo.";

// What the script committed, in the order `cvs log` lists it.
std::vector<TExpectedFile> History() {
    return {
        {std::string(RepositoryPath) + "README.txt,v",
         "README.txt",
         "1.3",
         {
             {"1.3", Utc(2024, 2, 12, 13, 5, 0), "joe", "Exp", 1, 1, "Fix a typo in the README."},
             {"1.2", Utc(2024, 2, 6, 16, 45, 10), "Joe", "Exp", 2, 0,
              "Describe the build.\r\nRun make in the top folder."},
             {"1.1", Utc(2024, 2, 1, 9, 0, 0), "anna", "Exp", 0, 0, InitialComment},
         }},
        {std::string(RepositoryPath) + "notes with blank.txt,v",
         "notes with blank.txt",
         "1.2",
         {
             {"1.2", Utc(2024, 2, 16, 9, 45, 0), "carol", "Exp", 2, 0,
              "Notizen ergänzt: Größe, café, naïve – 5 €."},
             {"1.1", Utc(2024, 2, 5, 11, 0, 0), "carol", "Exp", 0, 0, ""},
         }},
        {std::string(RepositoryPath) + "Attic/old.txt,v",
         "old.txt",
         "1.2",
         {
             {"1.2", Utc(2024, 2, 14, 17, 30, 0), "bob", "dead", 0, 0,
              "Remove the old notes; they are in the README now."},
             {"1.1", Utc(2024, 2, 1, 9, 0, 0), "anna", "Exp", 0, 0, InitialComment},
         }},
        {std::string(RepositoryPath) + "src/main.c,v",
         "src/main.c",
         "1.4",
         {
             {"1.4", Utc(2024, 2, 21, 11, 11, 11), "bob", "Exp", 7, 0, "Add the -h option.", "bob"},
             // Latin-1 bytes, as the client stored them.
             {"1.3", Utc(2024, 2, 19, 15, 0, 0), "anna", "Exp", 1, 1,
              "Caf\xe9 cr\xe8me: greeting \xe9largi."},
             {"1.2", Utc(2024, 2, 2, 14, 15, 30), "bob", "Exp", 6, 2,
              "Read the command-line arguments.\n\nThe -v option prints the version.\nAny "
              "other argument is ignored.",
              "", "1.2.2"},
             {"1.1", Utc(2024, 2, 1, 9, 0, 0), "anna", "Exp", 0, 0, InitialComment},
             {"1.2.2.1", Utc(2024, 2, 9, 8, 20, 0), "anna", "Exp", 1, 1,
              "Fix the version text, as \"bob\" asked.\nOnly on the maintenance branch, for now."},
         }},
    };
}

void ExpectTableHoldsHistory(TRCSFileTable& table) {
    const auto expected = History();
    ASSERT_EQ(table.FileCount(), expected.size());
    EXPECT_EQ(table.RevisionCount(), 12u);
    EXPECT_EQ(table.BadDates(), 0);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const TExpectedFile& want = expected[i];
        TRCSFile& file = table.Files()[i];
        SCOPED_TRACE(want.WorkingFile);
        EXPECT_EQ(file.RCSPath, want.RCSPath);
        EXPECT_EQ(file.WorkingFile, want.WorkingFile);
        EXPECT_EQ(file.Head, want.Head);
        // The client writes "branch:" without a value after the colon: it sets
        // nothing. A description stands on the lines after "description:".
        EXPECT_EQ(file.Branch, "");
        EXPECT_EQ(file.Locks, "strict");
        EXPECT_EQ(file.Description,
                  file.WorkingFile == "src/main.c" ? "Entry point of the demo program." : "");
        ASSERT_EQ(file.Revisions.size(), want.Revisions.size());
        for (std::size_t j = 0; j < want.Revisions.size(); ++j) {
            const TExpectedRevision& w = want.Revisions[j];
            const TRevisionInfo& r = file.Revisions[j];
            SCOPED_TRACE(w.Revision);
            EXPECT_EQ(r.FileInfo, &file);
            EXPECT_EQ(r.Revision, w.Revision);
            EXPECT_DOUBLE_EQ(r.Date, w.Date);
            EXPECT_EQ(r.Author, w.Author);
            EXPECT_EQ(r.State, w.State);
            EXPECT_EQ(r.LinesAdded, w.Added);
            EXPECT_EQ(r.LinesRemoved, w.Removed);
            EXPECT_EQ(r.Comment, w.Comment);
            EXPECT_EQ(Locker(r), w.Locker);
            EXPECT_EQ(Branches(r), w.Branches);
        }
    }
}

TEST(RealLog, ParsesEveryFileAndRevisionOfTheClientsOutput) {
    std::atomic<int> filesParsed = 0;
    auto table = ParseLog(ReadData("real-cvs.log"), &filesParsed);
    EXPECT_EQ(filesParsed.load(), 4);
    ASSERT_EQ(table->FileCount(), 4u);

    // Before the check the empty message still holds the client's marker.
    const TRevisionInfo& emptyMessage = table->Files()[1].Revisions[1];
    EXPECT_EQ(emptyMessage.Comment, EmptyLogMessage);

    ClearEmptyMessages(*table);
    ExpectTableHoldsHistory(*table);
}

TEST(RealLog, CheckFillsTheFileSummaries) {
    auto table = ParseLog(ReadData("real-cvs.log"));
    ClearEmptyMessages(*table);
    const auto counters = CountFiles(*table, LinesLimit);
    ASSERT_EQ(counters.size(), 4u);
    struct TSummary {
        std::string LastAuthor;
        std::int64_t Added, Removed;
        int NoComments, NoChanges, FewChanges;
        bool LastNoComment, LastFewChanges;
    };
    const TSummary expected[] = {
        {"joe", 3, 1, 0, 1, 2, false, true},
        {"carol", 2, 0, 1, 1, 1, false, true},
        // The removal changes no lines: it counts as no change, and the newest
        // revision's 0 lies below the limit.
        {"bob", 0, 0, 0, 2, 0, false, true},
        {"bob", 15, 4, 0, 1, 2, false, false},
    };
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const TFileCounters& f = counters[i];
        const TSummary& want = expected[i];
        SCOPED_TRACE(std::string(table->Files()[i].WorkingFile));
        EXPECT_EQ(f.LastAuthor, want.LastAuthor);
        EXPECT_EQ(f.TotalAdded, want.Added);
        EXPECT_EQ(f.TotalRemoved, want.Removed);
        EXPECT_EQ(f.NoComments, want.NoComments);
        EXPECT_EQ(f.NoChanges, want.NoChanges);
        EXPECT_EQ(f.FewChanges, want.FewChanges);
        EXPECT_EQ(f.LastNoComment, want.LastNoComment);
        EXPECT_EQ(f.LastFewChanges, want.LastFewChanges);
    }

    // A limit of 0 makes no revision a few-changes one.
    for (const TFileCounters& f : CountFiles(*table, 0)) {
        EXPECT_EQ(f.FewChanges, 0);
        EXPECT_FALSE(f.LastFewChanges);
    }
}

// The history through each filter: the revisions of the files it lists that
// it passes, one by one, in the summary's order.
TEST(RealLog, FilteredHistoryHoldsWhatTheFilterPasses) {
    auto table = ParseLog(ReadData("real-cvs.log"));
    ClearEmptyMessages(*table);
    const TLogSummary summary = SummarizeLog(*table, LinesLimit);
    const auto authors = std::make_shared<const TAuthorIndex>(summary.Authors);
    std::vector<TFilter> filters = {
        TFilter{}, MakeFilter(TFilterMode::FewChangesInLast, LinesLimit, "", "", 0, authors),
        MakeFilter(TFilterMode::NoCommentInLast, LinesLimit, "", "", 0, authors),
        MakeFilter(TFilterMode::AllFiles, LinesLimit, "", "", 2, authors),
        MakeFilter(TFilterMode::AllFiles, LinesLimit, "", "main", 0, authors)};
    filters.emplace_back().Branch =
        std::make_shared<const TRevisionSelection>(SelectBranch(*table, "REL_1_FIX"));
    filters.emplace_back().Branch = std::make_shared<const TRevisionSelection>(SelectTrunk(*table));
    filters.emplace_back().Find = TFindText(QStringLiteral("parser"));
    std::size_t shorter = 0;
    for (const TFilter& filter : filters) {
        std::vector<const TRevisionInfo*> passed;
        for (const TRevisionInfo* revision : summary.HistoryOrder)
            if (filter.FilePasses(*revision->FileInfo, summary.Counters(*revision->FileInfo)) &&
                filter.RevisionPasses(*revision))
                passed.push_back(revision);
        EXPECT_EQ(FilterRows(*table, summary, filter).History, passed);
        shorter += passed.size() < summary.HistoryOrder.size();
    }
    EXPECT_EQ(shorter, filters.size() - 1);
}

TEST(RealLog, AuthorsDifferingOnlyInCaseShareOneEntry) {
    auto table = ParseLog(ReadData("real-cvs.log"));
    const std::vector<TText> expected = {"anna", "bob", "carol", "joe"};
    EXPECT_EQ(AuthorList(*table), expected);
}

TEST(RealLog, PredecessorsFollowTheTrunkAndTheBranch) {
    auto table = ParseLog(ReadData("real-cvs.log"));
    const TRCSFile* main = FindFile(*table, "src/main.c");
    ASSERT_NE(main, nullptr);
    auto previous = [main](std::string_view number) -> std::string {
        const TRevisionInfo* r = FindPreviousRevision(main, FindRevision(main, number));
        return r ? std::string(r->Revision) : "none";
    };
    EXPECT_EQ(previous("1.4"), "1.3");
    EXPECT_EQ(previous("1.2"), "1.1");
    // The branch revision stands after 1.1 in the log; it was made from 1.2.
    EXPECT_EQ(previous("1.2.2.1"), "1.2");
    EXPECT_EQ(previous("1.1"), "none");

    const TRCSFile* removed = FindFile(*table, "old.txt");
    ASSERT_NE(removed, nullptr);
    const TRevisionInfo* dead = FindRevision(removed, "1.2");
    ASSERT_NE(dead, nullptr);
    EXPECT_EQ(FindPreviousRevision(removed, dead), FindRevision(removed, "1.1"));
    EXPECT_NE(FindFile(*table, "notes with blank.txt"), nullptr);
}

// The client in client/server mode (":fork:") reports files it does not know
// with "? " lines before the log; they are no part of the history.
TEST(RealLog, ClientServerOutputGivesTheSameTable) {
    const std::string log = ReadData("real-cvs-fork.log");
    ASSERT_TRUE(log.starts_with("? scratch.txt\n? src/draft.c\n"));
    auto table = ParseLog(log);
    ClearEmptyMessages(*table);
    ExpectTableHoldsHistory(*table);
}

// Everything a table holds, as text, to compare two tables.
std::string Describe(const TRCSFileTable& table) {
    std::string text = std::to_string(table.BadDates()) + "\n";
    for (const auto& name : table.Names())
        text += std::string(name.Name) + (name.IsBranch ? " branch\n" : "\n");
    for (const auto& f : table.Files()) {
        for (const TText t : {f.RCSPath, f.WorkingFile, f.Head, f.Branch, f.Locks, f.Description})
            (text += t) += '|';
        ForEachNameLine(f, [&](TText name, TText number) {
            (((text += name) += ':') += number) += '|';
            return true;
        });
        for (const auto& r : f.Revisions) {
            for (const TText t :
                 {r.Revision, r.Author, r.State, r.Comment, r.CommitId, Locker(r), Branches(r)})
                (text += t) += '|';
            text += std::to_string(r.Date) + ' ' + std::to_string(r.LinesAdded) + ' ' +
                    std::to_string(r.LinesRemoved) + (HasCommitId(r) ? " id" : "") + '\n';
        }
    }
    return text;
}

// The same log with every line break made the given one.
std::string WithLineBreaks(const std::string& log, std::string_view eol) {
    std::string out;
    for (const char c : log)
        c == '\n' ? out.append(eol) : out.append(1, c);
    return out;
}

// A whole log read in parts side by side gives the table of one pass.
TEST(RealLog, ALogReadInPartsGivesTheTableOfOnePass) {
    const std::string recorded = ReadData("real-cvs.log");
    for (const std::string& log : {recorded + recorded + recorded, WithLineBreaks(recorded, "\r\n"),
                                   ReadData("real-cvs-fork.log")}) {
        const std::string whole = Describe(*ParseLog(log));
        for (unsigned parts = 2; parts <= 7; ++parts)
            EXPECT_EQ(Describe(*ParseLog(log, nullptr, parts)), whole) << parts;
    }
}

// A log cut at any byte (inside a line, a UTF-8 sequence, a CR LF or a rule)
// and read in blocks too small for a line gives the same table as the whole
// log, which keeps its own copies of the texts and none of the log.
TEST(RealLog, ALogReadInPiecesGivesTheTableOfTheWholeLog) {
    const std::string recorded = ReadData("real-cvs.log");
    // Until the next rule, the lines of a revision fill the last one read,
    // an earlier file's, and its notes, even after another file's header.
    const std::string late = "RCS file: a,v\nWorking file: a\nsymbolic names:\n\tT: 1.1\n"
                             "description:\n----------------------------\nrevision 1.1\n"
                             "date: 2024/01/01 10:00:00;  author: ann;  state: Exp;\nfirst\n"
                             "=====\nRCS file: b,v\nWorking file: b\n"
                             "revision 1.2\tlocked by: bob;\n"
                             "date: 2024/01/02 10:00:00;  author: bob;  state: Dead;\n"
                             "branches:  1.2.2;\nsecond\n";
    for (const std::string& log :
         {recorded, ReadData("real-cvs-fork.log"), WithLineBreaks(recorded, "\r\n"),
          WithLineBreaks(recorded, "\r"), late}) {
        const std::string whole = Describe(*ParseLog(log));
        ASSERT_GT(whole.size(), log == late ? 50u : 1000u);
        auto read = [&](std::size_t blockSize, const std::vector<std::size_t>& cuts) {
            std::atomic<int> filesParsed{0};
            TLogReader reader(&filesParsed, blockSize);
            std::size_t from = 0;
            for (const std::size_t cut : cuts) {
                reader.Add(std::string_view(log).substr(from, cut - from));
                from = cut;
            }
            reader.Add(std::string_view(log).substr(from));
            EXPECT_EQ(reader.Size(), log.size());
            auto table = reader.Finish();
            EXPECT_EQ(filesParsed.load(), static_cast<int>(table->FileCount()));
            EXPECT_TRUE(table->Log().empty());
            return Describe(*table);
        };
        for (std::size_t cut = 0; cut <= log.size(); ++cut) {
            SCOPED_TRACE(cut);
            ASSERT_EQ(read(TLogReader::DefaultBlockSize, {cut}), whole);
            ASSERT_EQ(read(cut / 4 + 1, {cut}), whole);
        }
        std::vector<std::size_t> everyByte(log.size());
        for (std::size_t i = 0; i < log.size(); ++i)
            everyByte[i] = i;
        EXPECT_EQ(read(1, everyByte), whole);
        EXPECT_EQ(read(64, everyByte), whole);
        // The rest of the log, in two pieces, read side by side on three
        // threads at its end, in up to fifteen parts; a piece two parts share
        // is kept to the end.
        std::size_t shared = 0;
        for (std::size_t cut = 0; cut <= log.size(); cut += 61) {
            SCOPED_TRACE(cut);
            TLogReader reader(nullptr, 64);
            reader.Add(std::string_view(log).substr(0, cut));
            const std::string_view rest = std::string_view(log).substr(cut);
            const std::vector<std::string_view> pieces{rest.substr(0, rest.size() / 2),
                                                       rest.substr(rest.size() / 2)};
            std::vector<int> taken(pieces.size());
            const auto table = reader.Finish(pieces, 3, [&](std::size_t k) { ++taken[k]; });
            ASSERT_EQ(Describe(*table), whole);
            EXPECT_EQ(reader.Size(), log.size());
            EXPECT_LE(*std::max_element(taken.begin(), taken.end()), 1);
            shared += static_cast<std::size_t>(std::count(taken.begin(), taken.end(), 0));
        }
        // File headers after a lone CR are not cut at.
        if (log != late && log.find("\nRCS file: ") != std::string::npos) {
            EXPECT_GT(shared, 10u);
        }
    }
    // Several blocks of huge-page size.
    std::string large;
    while (large.size() < (5u << 20))
        large += recorded;
    TLogReader reader(nullptr, 2u << 20);
    for (std::size_t from = 0; from < large.size(); from += 300'007)
        reader.Add(std::string_view(large).substr(from, 300'007));
    const auto table = reader.Finish();
    EXPECT_EQ(Describe(*table), Describe(*ParseLog(large)));
}

// A client that ends long before the parse has caught up: the stream reads
// the rest in parts on a thread for each core, and lets go of its pieces
// meanwhile. The first file's description is longer than the bytes each part
// reckons its revisions from, so that the first part has far more than it
// expects.
TEST(RealLog, AStreamReadsTheRestInParts) {
    const std::string recorded = ReadData("real-cvs.log");
    std::string log = "RCS file: /r/long,v\nWorking file: long\nhead: 1.1\ndescription:\n";
    while (log.size() < (5u << 20))
        log += "A long description.\n";
    log += "----------------------------\nrevision 1.1\n"
           "date: 2024-02-12 13:05:00 +0000;  author: joe;  state: Exp;\nfirst\n"
           "=============================================================================\n";
    while (log.size() < (68u << 20))
        log += recorded;
    // The pool's one thread is held until Finish waits, so that the stream
    // parses nothing before it.
    QThreadPool pool;
    pool.setMaxThreadCount(1);
    std::promise<void> go;
    pool.start([held = go.get_future().share()] { held.wait(); });
    std::atomic<int> filesParsed{0};
    const auto stream = TLogStream::Make(pool, &filesParsed);
    constexpr std::size_t Piece = 64 << 10;
    for (std::size_t from = 0; from < log.size(); from += Piece)
        stream->Add(QByteArray(log.data() + from,
                               static_cast<qsizetype>(std::min(Piece, log.size() - from))));
    auto finished = std::async(std::launch::async, [&stream] { return stream->Finish(); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    go.set_value();
    const auto table = finished.get();
    EXPECT_EQ(stream->Size(), log.size());
    EXPECT_EQ(Describe(*table), Describe(*ParseLog(log)));
}

// A stream whose parse keeps up reads the later pieces into the rooms of the
// pieces it has read; a piece larger than a room gets one of its own. The
// parse and the copy each get every byte in order.
TEST(LogStream, RoomsAreUsedAgainOnlyOnceTheirPiecesHaveBeenRead) {
    const std::string recorded = ReadData("real-cvs.log");
    std::string log;
    while (log.size() < 6 * TLogStream::RoomBytes)
        log += recorded;
    const int filesPerCopy = ParseLog(recorded)->FileCount();
    QThreadPool pool;
    pool.setMaxThreadCount(2);
    std::string copied;
    std::atomic<int> filesParsed{0};
    const auto stream =
        TLogStream::Make(pool, &filesParsed, [&](std::string_view bytes) { copied += bytes; });
    for (std::size_t from = 0, piece = 0; from < log.size(); ++piece) {
        const std::size_t size =
            std::min(log.size() - from, piece % 50 == 49 ? TLogStream::RoomBytes + 1 : 64u << 10);
        stream->Add(QByteArray(log.data() + from, static_cast<qsizetype>(size)));
        from += size;
        // The parse catches up with the files added whole before more come.
        const int whole = static_cast<int>(from / recorded.size()) * filesPerCopy - 1;
        for (int waited = 0; filesParsed < whole && waited < 10000; ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const auto table = stream->Finish();
    EXPECT_TRUE(copied == log);
    EXPECT_EQ(Describe(*table), Describe(*ParseLog(log)));
}

// A copy that falls behind fills the stream, which is drained once the copy
// has caught up.
TEST(LogStream, ACopyThatFallsBehindFillsTheStreamUntilItCatchesUp) {
    QThreadPool pool;
    pool.setMaxThreadCount(2);
    std::promise<void> go;
    const std::shared_future<void> held = go.get_future().share();
    std::atomic<std::size_t> copied{0};
    std::atomic<int> drained{0};
    std::atomic<int> filesParsed{0};
    const auto stream = TLogStream::Make(
        pool, &filesParsed,
        [&](std::string_view bytes) {
            held.wait();
            copied += bytes.size();
        },
        [&] { ++drained; });
    const QByteArray piece(1 << 20, '\n');
    const std::size_t pieces = TLogStream::CopyFullAbove / piece.size();
    for (std::size_t i = 0; i < pieces; ++i)
        stream->Add(piece);
    EXPECT_FALSE(stream->Full());
    stream->Add(piece);
    EXPECT_TRUE(stream->Full());
    EXPECT_EQ(drained, 0);

    go.set_value();
    for (int waited = 0; drained == 0 && waited < 30000; waited += 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(drained, 1);
    EXPECT_FALSE(stream->Full());
    EXPECT_EQ(stream->Finish()->FileCount(), 0);
    EXPECT_EQ(copied, (pieces + 1) * piece.size());
}

} // namespace
