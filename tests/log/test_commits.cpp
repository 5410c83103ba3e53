#include "Commits.h"
#include "ParseLog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <optional>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using namespace quillon;

namespace {

struct TRev {
    std::string File;
    std::string Revision;
    std::string Date; // "YYYY-MM-DD HH:MM:SS", or an unreadable text
    std::string Author;
    std::string Comment;
    std::optional<std::string> CommitId = std::nullopt;
    int Added = 1;
};

// A log of the revisions, one file after another in the order they first
// name it, each file's revisions in the given order.
std::string MakeLog(const std::vector<TRev>& revisions) {
    std::vector<std::string> files;
    for (const auto& r : revisions)
        if (std::find(files.begin(), files.end(), r.File) == files.end())
            files.push_back(r.File);
    std::string log;
    for (const auto& file : files) {
        log += "RCS file: /repo/" + file + ",v\nWorking file: " + file + "\ndescription:\n";
        for (const auto& r : revisions) {
            if (r.File != file)
                continue;
            log += std::string(28, '-') + "\nrevision " + r.Revision + "\ndate: " + r.Date +
                   " +0000;  author: " + r.Author + ";  state: Exp;  lines: +" +
                   std::to_string(r.Added) + " -0;";
            if (r.CommitId)
                log += "  commitid: " + *r.CommitId + ";";
            log += "\n" + r.Comment + "\n";
        }
        log += std::string(77, '=') + "\n";
    }
    return log;
}

// Each commit, newest first, as "author: file revision, ..." in file order.
std::vector<std::string> Describe(const TRCSFileTable& table) {
    const auto history = HistoryOrder(table);
    const TCommits commits(table, history);
    const TCommitList list = ListCommits(commits, history);
    std::vector<std::string> described;
    for (const auto& row : list.Rows) {
        EXPECT_EQ(row.Count, row.Commit->RevisionCount);
        std::string text = std::string(row.Commit->First->Author) + ":";
        for (const auto* r : list.RevisionsOf(row))
            text += " " + std::string(r->FileInfo->WorkingFile) + " " + std::string(r->Revision);
        described.push_back(text);
    }
    return described;
}

std::vector<std::string> Describe(const std::vector<TRev>& revisions) {
    return Describe(*ParseLog(MakeLog(revisions)));
}

} // namespace

TEST(Commits, RealHistoryGroupsTheSameWithAndWithoutCommitIds) {
    std::ifstream in(std::string(QUILLON_TEST_DATA) + "/real-cvs-commits.log", std::ios::binary);
    ASSERT_TRUE(in.good());
    const std::string log{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::vector<std::string> expected = {
        "joe: README.txt 1.5 src/greet.c 1.3 src/greet.h 1.2",
        "bob: README.txt 1.4",
        "carol: notes with blank.txt 1.3",
        "anna: src/main.c 1.7",
        "anna: src/greet.c 1.2 src/main.c 1.6",
        "anna: src/greet.c 1.1 src/greet.h 1.1 src/main.c 1.5",
        "bob: src/main.c 1.4",
        "anna: src/main.c 1.3",
        "carol: notes with blank.txt 1.2",
        "bob: old.txt 1.2",
        "joe: README.txt 1.3",
        "anna: src/main.c 1.2.2.1",
        "Joe: README.txt 1.2",
        "carol: notes with blank.txt 1.1",
        "bob: src/main.c 1.2",
        "anna: README.txt 1.1 old.txt 1.1 src/main.c 1.1",
    };
    const auto withIds = ParseLog(log);
    for (const auto& r : withIds->Revisions())
        EXPECT_TRUE(HasCommitId(r) && r.CommitId.size() == 19) << r.CommitId;
    EXPECT_EQ(Describe(*withIds), expected);

    const auto withoutIds = ParseLog(std::regex_replace(log, std::regex("  commitid: [^;]*;"), ""));
    for (const auto& r : withoutIds->Revisions())
        EXPECT_FALSE(HasCommitId(r));
    EXPECT_EQ(Describe(*withoutIds), expected);
}

TEST(Commits, TimeGroupingAndOddInput) {
    // The same author and message a minute apart on the same file: two commits.
    EXPECT_EQ(Describe({{"a.c", "1.2", "2024-01-01 10:01:00", "anna", "Tidy."},
                        {"a.c", "1.1", "2024-01-01 10:00:00", "anna", "Tidy."},
                        {"b.c", "1.1", "2024-01-01 10:00:30", "anna", "Tidy."}}),
              (std::vector<std::string>{"anna: a.c 1.2", "anna: a.c 1.1 b.c 1.1"}));
    // The same message by two authors in the same second: two commits, in
    // history order.
    EXPECT_EQ(Describe({{"a.c", "1.1", "2024-01-01 10:00:00", "bob", "Notes."},
                        {"b.c", "1.1", "2024-01-01 10:00:00", "carol", "Notes."}}),
              (std::vector<std::string>{"bob: a.c 1.1", "carol: b.c 1.1"}));
    // Files dated four minutes apart, each within the window of the one
    // before: one commit; 301 seconds on, a new one; another message, another.
    EXPECT_EQ(
        Describe({{"a.c", "1.1", "2024-01-01 10:00:00", "anna", "Big."},
                  {"b.c", "1.1", "2024-01-01 10:04:00", "anna", "Big."},
                  {"c.c", "1.1", "2024-01-01 10:09:01", "anna", "Big."},
                  {"d.c", "1.1", "2024-01-01 10:09:00", "anna", "Other."}}),
        (std::vector<std::string>{"anna: c.c 1.1", "anna: d.c 1.1", "anna: a.c 1.1 b.c 1.1"}));
    // An empty commit id and one of odd characters are ids like any other;
    // undated revisions group by the same rule and come last.
    const std::vector<std::string> odd = Describe({
        {"a.c", "1.3", "2024-01-01 10:00:00", "anna", "One.", ""},
        {"a.c", "1.2", "garbage", "anna", "Lost."},
        {"a.c", "1.1", "2024-01-01 09:00:00", "bob", "Two.", "\"x,y\""},
        {"b.c", "1.2", "2024-01-01 12:00:00", "carol", "Three.", ""},
        {"b.c", "1.1", "2024-01-01 09:30:00", "dan", "Four.", "\"x,y\""},
        {"c.c", "1.1", "garbage", "anna", "Lost."},
    });
    EXPECT_EQ(odd, (std::vector<std::string>{"anna: a.c 1.3 b.c 1.2", "bob: a.c 1.1 b.c 1.1",
                                             "anna: a.c 1.2 c.c 1.1"}));
}

TEST(Commits, WhatRunsAlongsideHasEndedOrThrownByTheEnd) {
    const auto table = ParseLog(MakeLog({{"a.c", "1.1", "2024-01-01 10:00:00", "anna", "One."},
                                         {"b.c", "1.1", "2024-01-01 10:00:10", "anna", "One."}}));
    const auto history = HistoryOrder(*table);
    std::atomic<bool> ended = false;
    const TCommits commits(*table, history, [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ended = true;
    });
    EXPECT_TRUE(ended);
    EXPECT_EQ(commits.Commits().size(), 1u);
    EXPECT_THROW(TCommits(*table, history, [] { throw std::runtime_error("alongside"); }),
                 std::runtime_error);
}

TEST(Commits, ListCountsTheListedRevisionsOnly) {
    const auto table = ParseLog(MakeLog({
        {"z.c", "1.1", "2024-01-01 10:00:00", "anna", "Start.", "A", 5},
        {"a.c", "1.1", "2024-01-01 10:00:01", "anna", "Start.", "A", 7},
        {"m.c", "1.1", "2024-01-01 10:00:02", "anna", "Start.", "A", 11},
        {"m.c", "1.2", "2024-01-02 10:00:00", "bob", "Next.", "B", 2},
    }));
    const auto history = HistoryOrder(*table);
    const TCommits commits(*table, history);
    ASSERT_EQ(commits.Commits().size(), 2u);
    const auto& start = commits.Commits()[1];
    EXPECT_EQ(start.First->FileInfo->WorkingFile, "z.c");
    EXPECT_EQ(start.RevisionCount, 3u);

    // Without a.c 1.1 and m.c 1.2: one row, two revisions in file order.
    std::vector<const TRevisionInfo*> listed;
    for (const auto* r : history)
        if (r->FileInfo->WorkingFile != "a.c" && r->Revision != "1.2")
            listed.push_back(r);
    const TCommitList list = ListCommits(commits, listed);
    ASSERT_EQ(list.Rows.size(), 1u);
    EXPECT_EQ(list.Rows[0].Added, 16);
    const auto revisions = list.RevisionsOf(list.Rows[0]);
    ASSERT_EQ(revisions.size(), 2u);
    EXPECT_EQ(revisions[0]->FileInfo->WorkingFile, "m.c");
    EXPECT_EQ(revisions[1]->FileInfo->WorkingFile, "z.c");
    EXPECT_EQ(list.RowOf(commits.CommitOf(*revisions[0])), 0);
    EXPECT_EQ(list.RowOf(0), -1);
}
