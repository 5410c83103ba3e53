#include "DateTime.h"
#include "ParseLog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

using namespace quillon;

namespace {

const std::string Rule28(28, '-');
const std::string Rule77(77, '=');

double Date(int y, int mo, int d, int h, int mi, int s) {
    return *EncodeDateTime({y, mo, d, h, mi, s});
}

std::string Lines(std::initializer_list<std::string> lines, std::string_view eol = "\n") {
    std::string text;
    for (const auto& l : lines) {
        text += l;
        text += eol;
    }
    return text;
}

// A comment with every line break (CR LF, LF or a lone CR) made a LF.
std::string Lf(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string DateLine(std::string_view rest) {
    return "date: 2005-03-01 14:05:09 +0000;  author: anna;  state: Exp;  " + std::string(rest);
}

// One file with one revision whose "date: " line ends with linesField.
std::unique_ptr<TRCSFileTable> OneRevision(std::initializer_list<std::string> revisionLines) {
    std::string log = Lines({"RCS file: /repo/a.c,v", "Working file: a.c", Rule28});
    log += Lines(revisionLines);
    log += Lines({Rule77});
    return ParseLog(std::move(log));
}

const TRevisionInfo& Only(const std::unique_ptr<TRCSFileTable>& table) {
    return table->Files()[0].Revisions[0];
}

} // namespace

TEST(ParseLog, FillsOneFileWithTwoRevisions) {
    auto table = ParseLog(Lines({
        "RCS file: /repo/src/main.c,v",
        "Working file: src/main.c",
        "head: 1.3",
        "branch:",
        "locks: strict",
        "symbolic names:",
        "description:",
        Rule28,
        "revision 1.3",
        "date: 2005-03-01 14:05:09 +0000;  author: anna;  state: Exp;  lines: +12 -3",
        "Fix the parser.",
        "Second line.",
        Rule28,
        "revision 1.1",
        "date: 2005-02-20 18:30:00 +0000;  author: bob;  state: Exp;",
        "Initial revision",
        Rule77,
    }));
    ASSERT_EQ(table->FileCount(), 1u);
    const TRCSFile& f = table->Files()[0];
    EXPECT_EQ(f.RCSPath, "/repo/src/main.c,v");
    EXPECT_EQ(f.WorkingFile, "src/main.c");
    EXPECT_EQ(f.Head, "1.3");
    EXPECT_EQ(f.Branch, "");
    EXPECT_EQ(f.Locks, "strict");
    EXPECT_EQ(f.Description, "");
    ASSERT_EQ(f.Revisions.size(), 2u);
    const TRevisionInfo& r1 = f.Revisions[0];
    EXPECT_EQ(r1.FileInfo, &f);
    EXPECT_EQ(r1.Revision, "1.3");
    EXPECT_DOUBLE_EQ(r1.Date, Date(2005, 3, 1, 14, 5, 9));
    EXPECT_EQ(r1.Author, "anna");
    EXPECT_EQ(r1.State, "Exp");
    EXPECT_EQ(r1.LinesAdded, 12);
    EXPECT_EQ(r1.LinesRemoved, 3);
    EXPECT_EQ(r1.Comment, "Fix the parser.\nSecond line.");
    const TRevisionInfo& r2 = f.Revisions[1];
    EXPECT_EQ(r2.Revision, "1.1");
    EXPECT_DOUBLE_EQ(r2.Date, Date(2005, 2, 20, 18, 30, 0));
    EXPECT_EQ(r2.Author, "bob");
    EXPECT_EQ(r2.LinesAdded, 0);
    EXPECT_EQ(r2.LinesRemoved, 0);
    EXPECT_EQ(r2.Comment, "Initial revision");
    EXPECT_EQ(table->BadDates(), 0);
}

TEST(ParseLog, EmptyInputGivesEmptyTable) {
    auto table = ParseLog("");
    EXPECT_EQ(table->FileCount(), 0u);
    EXPECT_EQ(table->RevisionCount(), 0u);
    EXPECT_EQ(table->BadDates(), 0);
}

TEST(ParseLog, HeaderFieldsAreTrimmedExceptTheWorkingFile) {
    auto table = ParseLog(Lines({
        "RCS file:   /repo/a b.c,v  \t",
        "Working file:  a b.c ",
        "head:  1.7 ",
        "branch: 1.7.2 ",
        "locks:  strict\t",
        "description:  the main module ",
        "total revisions: 0",
        "keyword substitution: kv",
    }));
    ASSERT_EQ(table->FileCount(), 1u);
    const TRCSFile& f = table->Files()[0];
    EXPECT_EQ(f.RCSPath, "/repo/a b.c,v");
    EXPECT_EQ(f.WorkingFile, " a b.c ");
    EXPECT_EQ(f.Head, "1.7");
    EXPECT_EQ(f.Branch, "1.7.2");
    EXPECT_EQ(f.Locks, "strict");
    EXPECT_EQ(f.Description, "the main module");
    EXPECT_TRUE(f.Revisions.empty());
}

TEST(ParseLog, FilesAndRevisionsKeepTheLogOrder) {
    std::string log;
    for (const char* name : {"z.c", "a.c", "m.c"}) {
        log += Lines(
            {std::string("RCS file: /repo/") + name + ",v", std::string("Working file: ") + name});
        for (const char* number : {"1.3", "1.10", "1.2"})
            log += Lines({Rule28, std::string("revision ") + number, DateLine("lines: +1 -1"),
                          std::string(name) + " " + number});
        log += Lines({Rule77});
    }
    auto table = ParseLog(log);
    ASSERT_EQ(table->FileCount(), 3u);
    EXPECT_EQ(table->RevisionCount(), 9u);
    const char* names[] = {"z.c", "a.c", "m.c"};
    for (std::size_t i = 0; i < 3; ++i) {
        const TRCSFile& f = table->Files()[i];
        EXPECT_EQ(f.WorkingFile, names[i]);
        ASSERT_EQ(f.Revisions.size(), 3u);
        EXPECT_EQ(f.Revisions[0].Revision, "1.3");
        EXPECT_EQ(f.Revisions[1].Revision, "1.10");
        EXPECT_EQ(f.Revisions[2].Revision, "1.2");
        EXPECT_EQ(f.Revisions[1].Comment, std::string(names[i]) + " 1.10");
    }
}

// Every revision points back at the file that holds it, and the files' revision
// lists together cover the table's revisions exactly once, in order.
TEST(ParseLog, EveryRevisionBelongsToItsFileAndLiesInTheTable) {
    std::string log = Lines({"RCS file: /repo/empty,v", "Working file: empty"});
    for (int i = 0; i < 50; ++i) {
        log += Lines({"RCS file: /repo/f" + std::to_string(i) + ",v",
                      "Working file: f" + std::to_string(i)});
        for (int j = i % 4; j > 0; --j)
            log += Lines(
                {Rule28, "revision 1." + std::to_string(j), DateLine("lines: +1 -0"), "change"});
        log += Lines({Rule77, ""});
    }
    std::atomic<int> filesParsed{0};
    auto table = ParseLog(log, &filesParsed);
    ASSERT_EQ(table->FileCount(), 51u);
    EXPECT_EQ(filesParsed.load(), 51);
    EXPECT_TRUE(table->Files()[0].Revisions.empty());
    std::size_t total = 0;
    const TRevisionInfo* expectedNext = nullptr;
    for (auto& f : table->Files()) {
        if (!f.Revisions.empty()) {
            if (expectedNext) {
                EXPECT_EQ(&f.Revisions.front(), expectedNext);
            }
            expectedNext = &f.Revisions.back() + 1;
        }
        for (auto& r : f.Revisions)
            EXPECT_EQ(r.FileInfo, &f);
        total += f.Revisions.size();
    }
    EXPECT_EQ(total, table->RevisionCount());
    EXPECT_EQ(total, 73u);
}

TEST(ParseLog, CrLfLogReadsLikeLfLog) {
    const std::initializer_list<std::string> lines = {
        "RCS file: /repo/a.c,v",
        "Working file: a.c",
        "head: 1.2",
        "description:",
        Rule28,
        "revision 1.2",
        DateLine("lines: +4 -2"),
        "First line.",
        "",
        "Third line.",
        Rule28,
        "revision 1.1",
        DateLine(""),
        "Initial",
        Rule77,
        "",
    };
    auto lf = ParseLog(Lines(lines));
    auto crlf = ParseLog(Lines(lines, "\r\n"));
    ASSERT_EQ(crlf->FileCount(), 1u);
    const TRCSFile& a = lf->Files()[0];
    const TRCSFile& b = crlf->Files()[0];
    EXPECT_EQ(b.WorkingFile, "a.c");
    EXPECT_EQ(b.Head, "1.2");
    ASSERT_EQ(b.Revisions.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(b.Revisions[i].Revision, a.Revisions[i].Revision);
        EXPECT_EQ(b.Revisions[i].Date, a.Revisions[i].Date);
        EXPECT_EQ(b.Revisions[i].LinesAdded, a.Revisions[i].LinesAdded);
        EXPECT_EQ(b.Revisions[i].LinesRemoved, a.Revisions[i].LinesRemoved);
        EXPECT_EQ(b.Revisions[i].State, "Exp");
        EXPECT_EQ(Lf(b.Revisions[i].Comment), a.Revisions[i].Comment);
    }
    EXPECT_EQ(a.Revisions[0].Comment, "First line.\n\nThird line.");
    // The comment keeps the log's own line breaks.
    EXPECT_EQ(b.Revisions[0].Comment, "First line.\r\n\r\nThird line.");
    EXPECT_EQ(b.Revisions[1].Comment, "Initial");
}

TEST(ParseLog, LoneCarriageReturnEndsALine) {
    auto table =
        ParseLog("RCS file: /repo/a.c,v\rWorking file: a.c\r" + Rule28 + "\rrevision 1.1\r" +
                 DateLine("lines: +1 -2") + "\rone\rtwo\r\n" + "three");
    ASSERT_EQ(table->FileCount(), 1u);
    const TRCSFile& f = table->Files()[0];
    EXPECT_EQ(f.RCSPath, "/repo/a.c,v");
    EXPECT_EQ(f.WorkingFile, "a.c");
    ASSERT_EQ(f.Revisions.size(), 1u);
    EXPECT_EQ(f.Revisions[0].Revision, "1.1");
    EXPECT_EQ(f.Revisions[0].LinesRemoved, 2);
    EXPECT_EQ(Lf(f.Revisions[0].Comment), "one\ntwo\nthree");
}

// A log whose lines end in lone CRs is read in one pass, not once per line:
// reading to the end of this log for every line would take minutes, past the
// test's time limit.
TEST(ParseLog, LargeLoneCarriageReturnLogIsReadInLinearTime) {
    std::string log;
    for (int i = 0; i < 60000; ++i)
        log += "RCS file: /repo/f" + std::to_string(i) + ",v\rWorking file: f\r" + Rule28 +
               "\rrevision 1.1\r" + DateLine("lines: +1 -1") + "\rmessage\r";
    auto table = ParseLog(std::move(log));
    EXPECT_EQ(table->FileCount(), 60000u);
    EXPECT_EQ(table->RevisionCount(), 60000u);
}

TEST(ParseLog, QuestionMarkLinesAreSkippedEverywhere) {
    auto table = ParseLog(Lines({
        "? build/",
        "RCS file: /repo/a.c,v",
        "? a.o",
        "Working file: a.c",
        Rule28,
        "revision 1.1",
        DateLine(""),
        "first",
        "? not part of the message",
        "second",
        "?no blank: part of the message",
    }));
    ASSERT_EQ(table->FileCount(), 1u);
    EXPECT_EQ(table->Files()[0].WorkingFile, "a.c");
    EXPECT_EQ(Lf(Only(table).Comment), "first\nsecond\n?no blank: part of the message");
}

TEST(ParseLog, LinesBeforeTheFirstFileAreDropped) {
    auto table = ParseLog(Lines({
        "cvs log: Logging .",
        "Working file: ghost.c",
        "head: 9.9",
        Rule28,
        "revision 7.7",
        "date: 2005-13-01 14:05:09 +0000;  author: ghost;  state: Exp;  lines: +9 -9",
        "orphan message",
        "RCS file: /repo/a.c,v",
        "Working file: a.c",
        "revision 8.8",
        Rule28,
        "revision 1.1",
        DateLine("lines: +1 -1"),
        "real message",
        Rule77,
    }));
    ASSERT_EQ(table->FileCount(), 1u);
    EXPECT_EQ(table->RevisionCount(), 1u);
    const TRCSFile& f = table->Files()[0];
    EXPECT_EQ(f.WorkingFile, "a.c");
    EXPECT_EQ(f.Head, "");
    ASSERT_EQ(f.Revisions.size(), 1u);
    EXPECT_EQ(f.Revisions[0].Revision, "1.1");
    EXPECT_EQ(f.Revisions[0].Author, "anna");
    EXPECT_EQ(f.Revisions[0].Comment, "real message");
    // The orphan's unreadable date is not one of the table's.
    EXPECT_EQ(table->BadDates(), 0);
}

TEST(ParseLog, DateLineWithoutAnyRevisionIsHarmless) {
    auto table = ParseLog(Lines({
        "RCS file: /repo/a.c,v",
        "Working file: a.c",
        "date: 2005-03-01 14:05:09 +0000;  author: anna;",
        "text",
    }));
    ASSERT_EQ(table->FileCount(), 1u);
    EXPECT_EQ(table->RevisionCount(), 0u);
}

// Revision and date lines of a file before its first separator, and message
// lines after the equals-sign line, still go to the previous file's last
// revision.
// Also through a file without revisions, and when the log is read in parts:
// it is never cut before such files.
TEST(ParseLog, LinesBeforeTheFirstSeparatorGoToThePreviousFile) {
    for (const unsigned parts : {1u, 2u, 3u, 4u, 5u}) {
        SCOPED_TRACE(parts);
        auto table = ParseLog(
            Lines({
                "RCS file: /repo/a.c,v",
                "Working file: a.c",
                Rule28,
                "revision 1.1",
                "date: 2005-03-01 14:05:09 +0000;  author: anna;  state: Exp;",
                "message of a",
                Rule77,
                "after the rule",
                "",
                "RCS file: /repo/n.c,v",
                "Working file: n.c",
                Rule77,
                "RCS file: /repo/b.c,v",
                "Working file: b.c",
                "revision 4.4",
                "date: 2006-01-02 03:04:05 +0000;  author: bob;  state: dead;  lines: +2 -1",
                "stray",
                Rule28,
                "revision 1.1",
                DateLine(""),
                "message of b",
                Rule77,
            }),
            nullptr, parts);
        ASSERT_EQ(table->FileCount(), 3u);
        const TRCSFile& a = table->Files()[0];
        const TRCSFile& b = table->Files()[2];
        EXPECT_TRUE(table->Files()[1].Revisions.empty());
        ASSERT_EQ(a.Revisions.size(), 1u);
        ASSERT_EQ(b.Revisions.size(), 1u);
        const TRevisionInfo& last = a.Revisions[0];
        EXPECT_EQ(last.Revision, "4.4");
        EXPECT_EQ(last.Author, "bob");
        EXPECT_EQ(last.State, "dead");
        EXPECT_DOUBLE_EQ(last.Date, Date(2006, 1, 2, 3, 4, 5));
        EXPECT_EQ(last.LinesAdded, 2);
        EXPECT_EQ(last.LinesRemoved, 1);
        EXPECT_EQ(Lf(last.Comment), "message of a\nafter the rule\n\nstray");
        EXPECT_EQ(b.Revisions[0].Comment, "message of b");
    }
}

TEST(ParseLog, RulesOfHyphensStartRevisionsAndEqualsSignsAreLeftOut) {
    auto table = OneRevision({
        "revision 1.2",
        DateLine(""),
        "keep",
        std::string(27, '-') + " 27 hyphens are text",
        "x " + Rule77 + " inside a line",
        std::string(76, '=') + " 76 are text",
        std::string(40, '-'),
        "revision 1.1",
        DateLine(""),
        "second revision",
    });
    const TRCSFile& f = table->Files()[0];
    ASSERT_EQ(f.Revisions.size(), 2u);
    EXPECT_EQ(Lf(f.Revisions[0].Comment), "keep\n" + std::string(27, '-') +
                                              " 27 hyphens are text\n" + std::string(76, '=') +
                                              " 76 are text");
    EXPECT_EQ(f.Revisions[1].Revision, "1.1");
    EXPECT_EQ(f.Revisions[1].Comment, "second revision");
}

// The client writes a description on the lines after "description:", up to
// the rule that follows.
TEST(ParseLog, TheDescriptionIsTheLinesUpToTheFirstRule) {
    auto table = ParseLog(Lines(
        {
            "RCS file: /repo/a.c,v",
            "description:",
            "",
            "The main module.",
            "revision 2 of it",
            "",
            "Last line.",
            "",
            Rule28,
            "revision 1.1",
            "date: 2005-02-20 18:30:00 +0000;  author: bob;  state: Exp;",
            "description:",
            "in the message",
            Rule77,
            "RCS file: /repo/b.c,v",
            "description:",
            "Only line",
            Rule77,
            "RCS file: /repo/c.c,v",
            "description:",
            "cut short",
            "RCS file: /repo/d.c,v",
        },
        "\r\n"));
    ASSERT_EQ(table->FileCount(), 4u);
    const auto files = table->Files();
    EXPECT_EQ(Lf(files[0].Description), "The main module.\nrevision 2 of it\n\nLast line.");
    ASSERT_EQ(files[0].Revisions.size(), 1u);
    EXPECT_EQ(files[0].Revisions[0].Revision, "1.1");
    EXPECT_EQ(Lf(files[0].Revisions[0].Comment), "description:\nin the message");
    EXPECT_EQ(files[1].Description, "Only line");
    EXPECT_EQ(files[2].Description, "cut short");
    EXPECT_EQ(files[3].Description, "");
}

TEST(ParseLog, MessageLinesThatStartWithAPrefixAreHandledByThatRule) {
    auto table = OneRevision({
        "revision 1.5",
        DateLine(""),
        "Plan:",
        "revision 2 of the plan",
        "head: moved",
        "description: changed",
        "locks:no blank, so text",
    });
    const TRCSFile& f = table->Files()[0];
    const TRevisionInfo& r = Only(table);
    EXPECT_EQ(r.Revision, "2");
    EXPECT_EQ(f.Head, "moved");
    EXPECT_EQ(f.Description, "changed");
    EXPECT_EQ(Lf(r.Comment), "Plan:\nlocks:no blank, so text");
}

// A message line that reads like a date line but holds no date is counted as an
// unreadable date; it does not wipe out the date the revision already has.
TEST(ParseLog, MessageLineWithAnUnreadableDateKeepsTheRevisionDate) {
    auto table = OneRevision({
        "revision 1.5",
        DateLine("lines: +1 -1"),
        "Release plan",
        "date: to be agreed",
        "date: 2006-07-08 09:10:11 +0000;  author: bob;",
    });
    const TRevisionInfo& r = Only(table);
    EXPECT_DOUBLE_EQ(r.Date, Date(2006, 7, 8, 9, 10, 11));
    EXPECT_EQ(r.Author, "bob");
    EXPECT_EQ(r.Comment, "Release plan");
    EXPECT_EQ(table->BadDates(), 1);

    auto unreadable = OneRevision({"revision 1.5", DateLine(""), "date: to be agreed"});
    EXPECT_DOUBLE_EQ(Only(unreadable).Date, Date(2005, 3, 1, 14, 5, 9));
    EXPECT_EQ(unreadable->BadDates(), 1);
}

TEST(ParseLog, BlankLinesBeforeAndAfterAMessageAreDropped) {
    auto table = ParseLog(Lines({
        "RCS file: /repo/a.c,v",
        "Working file: a.c",
        Rule28,
        "revision 1.2",
        DateLine(""),
        "",
        "",
        "para one",
        "",
        "",
        "para two",
        "",
        Rule28,
        "revision 1.1",
        DateLine(""),
        "last",
        Rule77,
        "",
        "RCS file: /repo/b.c,v",
        "Working file: b.c",
        Rule28,
        "revision 1.1",
        DateLine(""),
        "",
        Rule77,
        "",
    }));
    ASSERT_EQ(table->FileCount(), 2u);
    const TRCSFile& a = table->Files()[0];
    EXPECT_EQ(a.Revisions[0].Comment, "para one\n\n\npara two");
    EXPECT_EQ(a.Revisions[1].Comment, "last");
    EXPECT_EQ(table->Files()[1].Revisions[0].Comment, "");
}

TEST(ParseLog, RevisionLineWithALockNote) {
    auto table = OneRevision({"revision 1.4\tlocked by: carol;", DateLine("")});
    EXPECT_EQ(Only(table).Revision, "1.4");
    EXPECT_EQ(Locker(Only(table)), "carol");

    auto plain = OneRevision({"revision  1.5  ", DateLine("")});
    EXPECT_EQ(Only(plain).Revision, "1.5");
    EXPECT_EQ(Locker(Only(plain)), "");
}

TEST(ParseLog, BranchesLineAfterTheDateLineIsNoMessageText) {
    auto table = OneRevision({
        "revision 1.2",
        DateLine("lines: +1 -1"),
        "branches:  1.2.2;",
        "Start the branch.",
        "branches:  in the message stay text",
    });
    EXPECT_EQ(Branches(Only(table)), "1.2.2");
    EXPECT_EQ(Lf(Only(table).Comment), "Start the branch.\nbranches:  in the message stay text");

    auto late = OneRevision({"revision 1.2", DateLine(""), "", "branches:  1.2.2;"});
    EXPECT_EQ(Branches(Only(late)), "");
    EXPECT_EQ(Only(late).Comment, "branches:  1.2.2;");
}

TEST(ParseLog, DateFieldSplit) {
    // Fields in another order, unknown fields in between.
    auto table = OneRevision({
        "revision 1.1",
        "date: 2005-03-01 14:05:09 +0000;  commitid: 1004E1f2;  state: dead;  author:  joe ;",
    });
    EXPECT_DOUBLE_EQ(Only(table).Date, Date(2005, 3, 1, 14, 5, 9));
    EXPECT_EQ(Only(table).Author, "joe");
    EXPECT_EQ(Only(table).State, "dead");

    // A remainder that matches no field and holds no ";" ends the split.
    auto odd = OneRevision({"revision 1.1", DateLine("mergepoint 1.1.2.1"), "message"});
    EXPECT_EQ(Only(odd).Author, "anna");
    EXPECT_EQ(Only(odd).Comment, "message");

    // Nothing after the lines field is read.
    auto after = OneRevision({"revision 1.1", "date: 2005-03-01 14:05:09 +0000;  author: anna;  "
                                              "lines: +5 -7;  state: dead;  author: bob;"});
    EXPECT_EQ(Only(after).LinesAdded, 5);
    EXPECT_EQ(Only(after).LinesRemoved, 7);
    EXPECT_EQ(Only(after).Author, "anna");
    EXPECT_EQ(Only(after).State, "");
}

TEST(ParseLog, LinesFieldVariants) {
    struct Case {
        std::string field;
        std::int32_t added;
        std::int32_t removed;
    };
    const std::vector<Case> cases = {
        {"", 0, 0},
        {"lines: +5 -7", 5, 7},
        {"lines: +5 -7;  commitid: 1004E1f2;", 5, 7},
        {"lines: +5  -7", 5, 7},
        {"lines: 5 7", 5, 7},
        {"lines: +0 -0", 0, 0},
        {"lines: +5", 5, 0},
        {"lines: +5;", 5, 0},
        {"lines: +5;  commitid: 1004E1f2;", 5, 0},
        {"lines: -7", 0, 7},
        {"lines: -7;  commitid: 1004E1f2;", 0, 7},
        {"lines: x -7", 0, 7},
        {"lines: +5 x", 5, 0},
        {"lines: ++5 --7", 0, 0},
        {"lines: +2147483647 -2147483647", 2147483647, 2147483647},
        {"lines: +99999999999 -3", 0, 3},
        {"lines: +3 -99999999999", 3, 0},
        {"lines: +3 -2147483648", 3, 0},
        {"lines: +99999999999", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        auto table = OneRevision({"revision 1.1", DateLine(c.field)});
        EXPECT_EQ(Only(table).LinesAdded, c.added);
        EXPECT_EQ(Only(table).LinesRemoved, c.removed);
        EXPECT_GE(Only(table).LinesRemoved, 0);
    }
}

TEST(ParseLog, DateLayouts) {
    struct Case {
        std::string text;
        double date;
    };
    const std::vector<Case> cases = {
        {"2005-03-01 14:05:09 +0000", Date(2005, 3, 1, 14, 5, 9)},
        {"2005-03-01 14:05:09 -0500", Date(2005, 3, 1, 14, 5, 9)},
        {"2005-03-01 14:05:09", Date(2005, 3, 1, 14, 5, 9)},
        {"2005/03/01 14:05:09", Date(2005, 3, 1, 14, 5, 9)},
        {"2005/03/01 14:05:09 +0000", Date(2005, 3, 1, 14, 5, 9)},
        {" 2004-02-29 23:59:59 ", Date(2004, 2, 29, 23, 59, 59)},
        {"2000-02-29 00:00:00", Date(2000, 2, 29, 0, 0, 0)},
        {"1850-06-15 06:00:00", Date(1850, 6, 15, 6, 0, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto table = OneRevision({"revision 1.1", "date: " + c.text + ";  author: anna;"});
        EXPECT_DOUBLE_EQ(Only(table).Date, c.date);
        EXPECT_EQ(Only(table).Author, "anna");
        EXPECT_EQ(table->BadDates(), 0);
    }
    EXPECT_LT(Date(1850, 6, 15, 6, 0, 0), 0);
}

TEST(ParseLog, UnreadableDatesLeaveZeroAndAreCounted) {
    const std::vector<std::string> bad = {
        "2005-13-01 14:05:09 +0000", // month
        "2005-02-29 14:05:09 +0000", // no leap year
        "1900-02-29 14:05:09 +0000", // no leap year either
        "2005-04-31 14:05:09 +0000", // day of the month
        "2005-03-00 14:05:09 +0000",
        "0000-03-01 14:05:09 +0000", // year
        "2005-03-01 24:00:00 +0000", // hour
        "2005-03-01 14:60:09 +0000", // minutes
        "2005-03-01 14:05:60 +0000", // seconds
        "2005-03/01 14:05:09 +0000", // mixed separators
        "2005-03-01T14:05:09",       "2005-03-01 14:05", "yesterday", "",
    };
    std::string log = Lines({"RCS file: /repo/a.c,v", "Working file: a.c"});
    for (const auto& date : bad)
        log += Lines({Rule28, "revision 1.1",
                      "date: " + date +
                          ";  author: anna;  state: Exp;  "
                          "lines: +1 -2",
                      "message"});
    log += Lines({Rule28, "revision 1.0", DateLine(""), "good", Rule77});
    auto table = ParseLog(log);
    ASSERT_EQ(table->FileCount(), 1u);
    const auto revisions = table->Files()[0].Revisions;
    ASSERT_EQ(revisions.size(), bad.size() + 1);
    EXPECT_EQ(table->BadDates(), static_cast<int>(bad.size()));
    for (std::size_t i = 0; i < bad.size(); ++i) {
        SCOPED_TRACE(bad[i]);
        EXPECT_EQ(revisions[i].Date, 0);
        EXPECT_EQ(revisions[i].Author, "anna");
        EXPECT_EQ(revisions[i].LinesRemoved, 2);
        EXPECT_EQ(revisions[i].Comment, "message");
    }
    EXPECT_DOUBLE_EQ(revisions.back().Date, Date(2005, 3, 1, 14, 5, 9));
}

TEST(ParseLog, TextsKeepTheLogBytes) {
    auto table = ParseLog(Lines({
        "RCS file: /repo/caf\xe9.c,v",
        "Working file: caf\xe9.c",
        Rule28,
        "revision 1.1",
        "date: 2005-03-01 14:05:09 +0000;  author: J\xc3\xb6rg;  state: Exp;",
        "Gr\xfc\xdf"
        "e \x93quoted\x94",
    }));
    const TRCSFile& f = table->Files()[0];
    EXPECT_EQ(f.WorkingFile, "caf\xe9.c");
    EXPECT_EQ(Only(table).Author, "J\xc3\xb6rg");
    EXPECT_EQ(Only(table).Comment, "Gr\xfc\xdf"
                                   "e \x93quoted\x94");
}

TEST(ParseLog, LastLineWithoutLineBreak) {
    auto table = ParseLog("RCS file: /repo/a.c,v\nWorking file: a.c\n" + Rule28 +
                          "\nrevision 1.1\n" + DateLine("lines: +1 -1") + "\nno break at the end");
    EXPECT_EQ(Only(table).Comment, "no break at the end");
    // A log shorter than the small-string buffer still yields valid views.
    auto tiny = ParseLog("RCS file: a");
    ASSERT_EQ(tiny->FileCount(), 1u);
    EXPECT_EQ(tiny->Files()[0].RCSPath, "a");
}
