#include "DateTime.h"
#include "ParseLog.h"

#include <gtest/gtest.h>

#include <string>

using namespace quillon;

namespace {

const std::string Rule28(28, '-');
const std::string Rule77(77, '=');

double Date(int y, int mo, int d, int h, int mi, int s) {
    return *EncodeDateTime({y, mo, d, h, mi, s});
}

std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const auto& l : lines)
        text += l + "\n";
    return text;
}

} // namespace

TEST(ParseLog, WorkedExampleFillsOneFileWithTwoRevisions) {
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
}
