#include "ParseLog.h"
#include "RepositoryNames.h"

#include <gtest/gtest.h>

#include <string>

using namespace quillon;

TEST(RepositoryNames, RcsPathLosesRepositoryModuleAndAtticFolders) {
    EXPECT_EQ(RepositoryFileName("/cvs/demo/README.txt,v", "/cvs", "demo"), "README.txt");
    EXPECT_EQ(RepositoryFileName("/cvs/demo/src/main.c,v", "/cvs/", "demo/"), "src/main.c");
    EXPECT_EQ(RepositoryFileName("/cvs/demo/Attic/old.txt,v", "/cvs", "demo"), "old.txt");
    EXPECT_EQ(RepositoryFileName("/cvs/demo/src/Attic/a b.c,v", "/cvs", "demo"), "src/a b.c");
    // Only a folder named Attic is one; a module of several folders goes whole.
    EXPECT_EQ(RepositoryFileName("/cvs/demo/MyAttic/x,v", "/cvs", "demo"), "MyAttic/x");
    EXPECT_EQ(RepositoryFileName("/cvs/a/b/Attic/x,v", "/cvs", "a/b"), "x");
    // The client's path to the repository differs from the root's (a link).
    EXPECT_EQ(RepositoryFileName("/real/cvs/demo/src/x.c,v", "/cvs", "demo"), "src/x.c");
    EXPECT_EQ(RepositoryFileName("/elsewhere/x.c,v", "/cvs", "demo"), "/elsewhere/x.c");
}

TEST(RepositoryNames, FilesOfAnRlogOutputAreNamedAndKeepTheirNamesAfterTheLog) {
    const std::string rule(28, '-');
    const std::string end(77, '=');
    auto table = ParseLog("RCS file: /cvs/demo/src/main.c,v\nhead: 1.1\n" + rule + "\n" + end +
                          "\nRCS file: /cvs/demo/Attic/old.txt,v\nhead: 1.2\n" + end +
                          "\nRCS file: /cvs/x.c,v\nWorking file: kept.c\n" + end + "\n");
    NameRepositoryFiles(*table, "/cvs", "demo");
    ASSERT_EQ(table->FileCount(), 3u);
    EXPECT_EQ(table->Files()[0].WorkingFile, "src/main.c");
    EXPECT_EQ(table->Files()[1].WorkingFile, "old.txt");
    EXPECT_EQ(table->Files()[2].WorkingFile, "kept.c");
    EXPECT_EQ(table->Files()[0].RCSPath, "/cvs/demo/src/main.c,v");
}
