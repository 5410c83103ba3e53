#include "ParseLog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quillon;

namespace {

const std::string Rule28(28, '-');
const std::string Rule77(77, '=');

// A log of files, each given by its working-file name and its revision
// numbers in log order.
std::unique_ptr<TRCSFileTable>
Log(std::initializer_list<std::pair<std::string, std::vector<std::string>>> files) {
    std::string log;
    for (const auto& [name, numbers] : files) {
        log += "RCS file: /repo/" + name + ",v\nWorking file: " + name + "\n";
        for (const auto& number : numbers)
            log += Rule28 + "\nrevision " + number +
                   "\ndate: 2005-03-01 14:05:09 +0000;  author: anna;  state: Exp;\nmessage\n";
        log += Rule77 + "\n";
    }
    return ParseLog(std::move(log));
}

// The number of the revision FindPreviousRevision gives for the revision
// numbered `number` of the first file, or "none".
std::string Previous(TRCSFileTable& table, std::string_view number) {
    TRCSFile* file = &table.Files()[0];
    const TRevisionInfo* previous = FindPreviousRevision(file, FindRevision(file, number));
    return previous ? std::string(previous->Revision) : std::string("none");
}

} // namespace

TEST(RevisionModel, NewObjectsAreEmpty) {
    const TRCSFile file;
    EXPECT_TRUE(file.Revisions.empty());
    const TRevisionInfo revision;
    EXPECT_EQ(revision.FileInfo, nullptr);
    EXPECT_EQ(revision.Date, 0);
    EXPECT_EQ(revision.LinesAdded, 0);
    EXPECT_EQ(revision.LinesRemoved, 0);
    EXPECT_TRUE(revision.Comment.empty());
}

TEST(RevisionModel, FindFileMatchesTheWholeNameExactly) {
    auto table = Log({{"src/Main.c", {"1.1"}},
                      {"src/main.c", {"1.2", "1.1"}},
                      {"src/main.c", {"1.9"}},
                      {"util.c", {}}});
    ASSERT_EQ(table->FileCount(), 4u);
    EXPECT_EQ(FindFile(*table, "src/Main.c"), &table->Files()[0]);
    // Two files with the same name: the first one.
    EXPECT_EQ(FindFile(*table, "src/main.c"), &table->Files()[1]);
    EXPECT_EQ(FindFile(*table, "util.c"), &table->Files()[3]);
    EXPECT_EQ(FindFile(*table, "SRC/MAIN.C"), nullptr);
    EXPECT_EQ(FindFile(*table, "main.c"), nullptr);
    EXPECT_EQ(FindFile(*table, "src/main.c "), nullptr);
    EXPECT_EQ(FindFile(*table, ""), nullptr);

    auto empty = ParseLog("");
    EXPECT_EQ(FindFile(*empty, "src/main.c"), nullptr);
}

TEST(RevisionModel, FindRevisionMatchesTheWholeNumberExactly) {
    auto table = Log({{"a.c", {"1.10", "1.1", "1.1.2.1"}}});
    TRCSFile* file = &table->Files()[0];
    EXPECT_EQ(FindRevision(file, "1.1"), &file->Revisions[1]);
    EXPECT_EQ(FindRevision(file, "1.10"), &file->Revisions[0]);
    EXPECT_EQ(FindRevision(file, "1.1.2.1"), &file->Revisions[2]);
    EXPECT_EQ(FindRevision(file, "1.2"), nullptr);
    EXPECT_EQ(FindRevision(file, "1.1.2"), nullptr);
    EXPECT_EQ(FindRevision(file, ""), nullptr);
    EXPECT_EQ(FindRevision(nullptr, "1.1"), nullptr);
}

TEST(RevisionModel, FindPreviousRevisionWithoutBranchesIsTheNextEntry) {
    auto table = Log({{"a.c", {"1.4", "1.3", "1.2", "1.1"}}, {"b.c", {"1.1"}}});
    TRCSFile* a = &table->Files()[0];
    TRCSFile* b = &table->Files()[1];
    for (std::size_t i = 0; i + 1 < a->Revisions.size(); ++i)
        EXPECT_EQ(FindPreviousRevision(a, &a->Revisions[i]), &a->Revisions[i + 1]);
    // The last revision listed, and the only revision of a file, have none.
    EXPECT_EQ(FindPreviousRevision(a, &a->Revisions.back()), nullptr);
    EXPECT_EQ(FindPreviousRevision(b, &b->Revisions[0]), nullptr);
    EXPECT_EQ(FindPreviousRevision(nullptr, &a->Revisions[0]), nullptr);
    EXPECT_EQ(FindPreviousRevision(a, nullptr), nullptr);
}

TEST(RevisionModel, FindPreviousRevisionGoesByIdentityWithinTheFile) {
    auto table = Log({{"a.c", {"1.2", "1.1"}}, {"b.c", {"1.2", "1.1"}}});
    TRCSFile* a = &table->Files()[0];
    TRCSFile* b = &table->Files()[1];
    // A revision of another file, even one with the same number, has none here.
    EXPECT_EQ(FindPreviousRevision(a, &b->Revisions[0]), nullptr);
    EXPECT_EQ(FindPreviousRevision(b, &b->Revisions[0]), &b->Revisions[1]);
    // A copy is not the revision itself.
    const TRevisionInfo copy = a->Revisions[0];
    EXPECT_EQ(FindPreviousRevision(a, &copy), nullptr);
}

TEST(RevisionModel, FindPreviousRevisionFollowsBranches) {
    // The order in which the client lists a file with branches: the trunk
    // newest first, then the branches.
    auto table =
        Log({{"a.c",
              {"1.3", "1.2", "1.1", "1.2.2.2", "1.2.2.1", "1.2.2.1.2.1", "1.1.4.1", "1.1.1.1"}}});
    EXPECT_EQ(Previous(*table, "1.3"), "1.2");
    EXPECT_EQ(Previous(*table, "1.2"), "1.1");
    EXPECT_EQ(Previous(*table, "1.1"), "none");
    EXPECT_EQ(Previous(*table, "1.2.2.2"), "1.2.2.1");
    EXPECT_EQ(Previous(*table, "1.2.2.1"), "1.2");
    EXPECT_EQ(Previous(*table, "1.2.2.1.2.1"), "1.2.2.1");
    EXPECT_EQ(Previous(*table, "1.1.4.1"), "1.1");
    EXPECT_EQ(Previous(*table, "1.1.1.1"), "1.1");

    // A trunk revision skips branch revisions that stand between it and the
    // next older trunk revision.
    auto mixed = Log({{"b.c", {"1.2", "1.1.2.1", "1.1"}}});
    EXPECT_EQ(Previous(*mixed, "1.2"), "1.1");
    EXPECT_EQ(Previous(*mixed, "1.1.2.1"), "1.1");

    // The revision a branch starts from is not in the log: none.
    auto cut = Log({{"c.c", {"1.5", "1.4", "1.2.2.3", "1.2.2.1"}}});
    EXPECT_EQ(Previous(*cut, "1.2.2.1"), "none");
    EXPECT_EQ(Previous(*cut, "1.2.2.3"), "none");
    EXPECT_EQ(Previous(*cut, "1.4"), "none");
    EXPECT_EQ(Previous(*cut, "1.5"), "1.4");
}
