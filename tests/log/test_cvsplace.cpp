#include "CvsPlace.h"

#include <gtest/gtest.h>

using namespace quillon;

TEST(CvsPlace, RootsOfEveryMethodGiveThePathAfterTheirHost) {
    auto path = [](const char* root) {
        return TCvsPlace::OfRepository(QString::fromUtf8(root), "m").RepositoryPath();
    };
    EXPECT_EQ(path("/var/cvs/"), "/var/cvs");
    EXPECT_EQ(path(":local:/var/cvs"), "/var/cvs");
    EXPECT_EQ(path(":fork:/var/cvs"), "/var/cvs");
    EXPECT_EQ(path(":ext:anna@host.example:/var/cvs"), "/var/cvs");
    EXPECT_EQ(path(":pserver:anna@host.example:2401/var/cvs"), "/var/cvs");
    EXPECT_EQ(path(":pserver;port=2401:anna@host.example:/var/cvs"), "/var/cvs");
    EXPECT_EQ(path("anna@host.example:/var/cvs"), "/var/cvs");
    EXPECT_EQ(path(":local:C:/cvs"), "C:/cvs");
}

TEST(CvsPlace, RepositoryCommandsNameTheRootAndTheModulesFile) {
    const TCvsPlace folder = TCvsPlace::OfFolder("/w");
    const TCvsPlace repository = TCvsPlace::OfRepository(":pserver:a@h:/cvs", "demo/");
    EXPECT_EQ(folder.Arguments(folder.LogArguments()), QStringList{"log"});
    EXPECT_EQ(folder.RunFolder(), "/w");
    EXPECT_EQ(repository.Arguments(repository.LogArguments()),
              (QStringList{"-d", ":pserver:a@h:/cvs", "rlog", "demo/"}));
    EXPECT_EQ(folder.ShowFileArguments("a b.c", "1.2"),
              (QStringList{"update", "-p", "-r", "1.2", "--", "a b.c"}));
    EXPECT_EQ(repository.ShowFileArguments("src/a.c", "1.2"),
              (QStringList{"checkout", "-p", "-r", "1.2", "--", "demo/src/a.c"}));
    EXPECT_EQ(repository.AnnotateArguments("a.c", "1.3"),
              (QStringList{"rannotate", "-F", "-r", "1.3", "--", "demo/a.c"}));
    EXPECT_NE(repository.Key(), TCvsPlace::OfRepository(":pserver:a@h:/cvs", "demo2").Key());
    EXPECT_NE(folder.Key(), TCvsPlace::OfRepository("/w", "").Key());
}

TEST(CvsPlace, APasswordInTheRootIsNeitherKeptNorShown) {
    auto kept = [](const char* root) {
        return TCvsPlace::OfRepository(QString::fromUtf8(root), "m").RootWithoutPassword();
    };
    EXPECT_EQ(kept(":pserver:anna:s3cr@t@host:2401/cvs"), ":pserver:anna@host:2401/cvs");
    EXPECT_EQ(kept(":pserver:anna@host:/cvs"), ":pserver:anna@host:/cvs");
    EXPECT_EQ(kept(":ext:anna@host:/c@vs"), ":ext:anna@host:/c@vs");
    EXPECT_EQ(kept("/var/c:v@s"), "/var/c:v@s");
    const TCvsPlace secret = TCvsPlace::OfRepository(":pserver:anna:pw@host:/cvs", "m");
    EXPECT_FALSE(secret.Key().contains("pw"));
    EXPECT_FALSE(secret.DisplayName().contains("pw"));
    EXPECT_EQ(secret.Arguments({}), (QStringList{"-d", ":pserver:anna:pw@host:/cvs"}));
}
