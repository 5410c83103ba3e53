#include "CheckLog.h"
#include "ParseLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quillon;

namespace {

const std::string Rule28(28, '-');
const std::string Rule77(77, '=');

struct Rev {
    std::string author;
    std::string lines; // the "lines: " field, or empty for none
    std::vector<std::string> message;
};

std::string FileLog(const std::string& name, const std::vector<Rev>& revisions) {
    std::string log = "RCS file: /repo/" + name + ",v\nWorking file: " + name + "\n";
    int number = static_cast<int>(revisions.size());
    for (const auto& r : revisions) {
        log += Rule28 + "\nrevision 1." + std::to_string(number--) +
               "\ndate: 2005-03-01 14:05:09 +0000;  author: " + r.author + ";  state: Exp;";
        if (!r.lines.empty())
            log += "  lines: " + r.lines;
        log += "\n";
        for (const auto& line : r.message)
            log += line + "\n";
    }
    return log + Rule77 + "\n";
}

// The counters of table's files after the check a load runs.
std::vector<TFileCounters> Check(TRCSFileTable& table, std::int32_t linesLimit) {
    ClearEmptyMessages(table);
    return CountFiles(table, linesLimit);
}

} // namespace

TEST(CheckLog, CountsLinesAndSetsTheLastAuthorOfOneFile) {
    auto table =
        ParseLog(FileLog("src/main.c", {{"anna", "+12 -3", {"Fix the parser.", "Second line."}},
                                        {"bob", "", {"Initial revision"}}}));
    const auto counters = Check(*table, 5);
    const TFileCounters& f = counters[0];
    EXPECT_EQ(f.LastAuthor, "anna");
    EXPECT_EQ(f.TotalAdded, 12);
    EXPECT_EQ(f.TotalRemoved, 3);
    EXPECT_EQ(f.NoComments, 0);
    EXPECT_EQ(f.NoChanges, 1);
    EXPECT_EQ(f.FewChanges, 0);
    EXPECT_FALSE(f.LastNoComment);
    EXPECT_FALSE(f.LastFewChanges);
}

TEST(CheckLog, FewChangesAndNoChangesAgainstTheLimit) {
    auto table = ParseLog(FileLog("a.c", {{"anna", "+0 -0", {"nothing changed"}},
                                          {"anna", "+2 -2", {"four"}},
                                          {"anna", "+3 -2", {"five"}},
                                          {"anna", "+0 -1", {"one"}},
                                          {"anna", "", {"initial"}}}) +
                          FileLog("b.c", {{"bob", "+4 -0", {"four"}}, {"bob", "", {"initial"}}}));
    const auto counters = Check(*table, 5);
    const TFileCounters& a = counters[0];
    EXPECT_EQ(a.NoChanges, 2);
    EXPECT_EQ(a.FewChanges, 2); // 4 and 1; 5 is not below the limit
    // A newest revision without changes counts as no change, yet as few changes
    // for the last-revision flag.
    EXPECT_TRUE(a.LastFewChanges);
    const TFileCounters& b = counters[1];
    EXPECT_EQ(b.FewChanges, 1);
    EXPECT_TRUE(b.LastFewChanges);

    // With limit 0 nothing counts as few changes, not even no change at all.
    const auto none = Check(*table, 0);
    EXPECT_EQ(none[0].NoChanges, 2);
    EXPECT_EQ(none[0].FewChanges, 0);
    EXPECT_FALSE(none[0].LastFewChanges);
    EXPECT_EQ(none[1].FewChanges, 0);
    EXPECT_FALSE(none[1].LastFewChanges);

    // A second check starts from zero.
    const auto many = Check(*table, 100);
    EXPECT_EQ(many[0].NoChanges, 2);
    EXPECT_EQ(many[0].FewChanges, 3);
    EXPECT_EQ(many[0].TotalAdded, 5);
    EXPECT_EQ(many[0].TotalRemoved, 5);
    EXPECT_EQ(many[1].TotalAdded, 4);
}

TEST(CheckLog, EmptyLogMessageCountsOnlyAtTheStart) {
    auto table = ParseLog(FileLog("a.c", {{"anna", "+1 -1", {"*** empty log message ***"}},
                                          {"anna", "+1 -1", {"Note: *** empty log message ***"}},
                                          {"anna", "+1 -1", {"*** empty log message ***", "more"}},
                                          {"anna", "+1 -1", {}},
                                          {"anna", "+1 -1", {"  *** empty log message ***"}}}));
    const auto counters = Check(*table, 5);
    const TFileCounters& f = counters[0];
    const auto revisions = table->Files()[0].Revisions;
    EXPECT_EQ(revisions[0].Comment, "");
    EXPECT_EQ(revisions[1].Comment, "Note: *** empty log message ***");
    EXPECT_EQ(revisions[2].Comment, "");
    EXPECT_EQ(revisions[4].Comment, "  *** empty log message ***");
    EXPECT_EQ(f.NoComments, 3);
    EXPECT_TRUE(f.LastNoComment);
}

TEST(CheckLog, EmptyLogMessagesAreClearedAllThroughALargeTable) {
    // Enough revisions for the comments to be looked at on two threads.
    constexpr int Count = 70000;
    std::vector<Rev> revisions(Count, {"anna", "+1 -1", {"Kept."}});
    for (const int at : {0, Count / 2 - 1, Count / 2, Count / 2 + 1, Count - 1})
        revisions[at].message = {"*** empty log message ***"};
    auto table = ParseLog(FileLog("a.c", revisions));
    ClearEmptyMessages(*table);
    int cleared = 0;
    for (const TRevisionInfo& r : table->Revisions()) {
        EXPECT_TRUE(r.Comment.empty() || r.Comment == "Kept.");
        cleared += r.Comment.empty() ? 1 : 0;
    }
    EXPECT_EQ(cleared, 5);
}

TEST(CheckLog, LastRevisionFlagsComeFromTheNewestRevision) {
    auto table = ParseLog(FileLog("a.c", {{"carol", "+100 -0", {"big"}}, {"dave", "+1 -0", {}}}));
    const auto counters = Check(*table, 5);
    const TFileCounters& f = counters[0];
    EXPECT_EQ(f.LastAuthor, "carol");
    EXPECT_FALSE(f.LastNoComment);
    EXPECT_FALSE(f.LastFewChanges);
    EXPECT_EQ(f.NoComments, 1);
    EXPECT_EQ(f.FewChanges, 1);
}

TEST(CheckLog, FileWithoutRevisionsKeepsZeroCounters) {
    auto table = ParseLog("RCS file: /repo/a.c,v\nWorking file: a.c\n" + Rule77 + "\n");
    const auto counters = Check(*table, 5);
    const TFileCounters& f = counters[0];
    EXPECT_TRUE(f.LastAuthor.empty());
    EXPECT_EQ(f.TotalAdded, 0);
    EXPECT_EQ(f.TotalRemoved, 0);
    EXPECT_EQ(f.NoComments, 0);
    EXPECT_EQ(f.NoChanges, 0);
    EXPECT_EQ(f.FewChanges, 0);
    EXPECT_FALSE(f.LastNoComment);
    EXPECT_FALSE(f.LastFewChanges);
}

TEST(CheckLog, TotalsBeyondThe32BitRange) {
    std::vector<Rev> revisions(3, Rev{"anna", "+2000000000 -2000000000", {"huge"}});
    auto table = ParseLog(FileLog("a.c", revisions));
    const auto counters = Check(*table, 5);
    const TFileCounters& f = counters[0];
    EXPECT_EQ(f.TotalAdded, 6000000000LL);
    EXPECT_EQ(f.TotalRemoved, 6000000000LL);
    // The sum of one revision's counts is beyond the 32-bit range too.
    EXPECT_EQ(f.FewChanges, 0);
    EXPECT_EQ(f.NoChanges, 0);
    EXPECT_FALSE(f.LastFewChanges);
}
