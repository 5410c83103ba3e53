#include "CommandLine.h"

#include <gtest/gtest.h>

using namespace quillon;
using TMode = TCommandLine::TMode;

namespace {

TCommandLine Parse(std::initializer_list<const char*> arguments) {
    QStringList list;
    for (const char* a : arguments)
        list.append(QString::fromUtf8(a));
    return ParseCommandLine(list);
}

void ExpectError(std::initializer_list<const char*> arguments) {
    const TCommandLine c = Parse(arguments);
    EXPECT_EQ(c.Mode, TMode::Error);
    EXPECT_FALSE(c.Error.isEmpty());
}

} // namespace

TEST(CommandLine, WindowOpensExactlyOnePlainArgument) {
    const TCommandLine none = Parse({});
    EXPECT_EQ(none.Mode, TMode::Window);
    EXPECT_TRUE(none.Folder.isEmpty());
    EXPECT_TRUE(none.LogFile.isEmpty());

    const TCommandLine one = Parse({"/home/anna/work tree"});
    EXPECT_EQ(one.Mode, TMode::Window);
    EXPECT_EQ(one.Folder, QStringLiteral("/home/anna/work tree"));

    // A folder with a blank passed without quotation marks: nothing opens, the
    // usage is shown instead.
    ExpectError({"/home/anna/work", "tree"});
    ExpectError({"--log", "a.log", "/work/tree"});
    // After "--" every argument is a folder.
    EXPECT_EQ(Parse({"--", "--log"}).Folder, QStringLiteral("--log"));

    const TCommandLine relative = Parse({"."});
    EXPECT_EQ(relative.Folder, QStringLiteral("."));
    EXPECT_EQ(Parse({"-"}).Folder, QStringLiteral("-"));
}

TEST(CommandLine, SavedLog) {
    const TCommandLine c = Parse({"--log", "/tmp/cvs.log"});
    EXPECT_EQ(c.Mode, TMode::Window);
    EXPECT_EQ(c.LogFile, QStringLiteral("/tmp/cvs.log"));
    EXPECT_TRUE(c.Folder.isEmpty());

    ExpectError({"--log"});
    ExpectError({"--log", ""});
}

TEST(CommandLine, RepositoryRootAndModule) {
    const TCommandLine window = Parse({"--root", ":pserver:anna@host:/cvs", "demo"});
    EXPECT_EQ(window.Mode, TMode::Window);
    EXPECT_EQ(window.Place(), TCvsPlace::OfRepository(":pserver:anna@host:/cvs", "demo"));
    const TCommandLine exported = Parse({"--export", "files", "--root", "/cvs", "demo"});
    EXPECT_EQ(exported.Mode, TMode::Export);
    EXPECT_EQ(exported.Place(), TCvsPlace::OfRepository("/cvs", "demo"));
    EXPECT_EQ(Parse({"/w"}).Place(), TCvsPlace::OfFolder("/w"));

    ExpectError({"--root", "/cvs"});
    ExpectError({"--root", "", "demo"});
    ExpectError({"--root", "/cvs", "a", "b"});
    ExpectError({"--root", "/cvs", "--log", "a.log", "demo"});
    ExpectError({"--export", "files", "--root", "/cvs"});
}

TEST(CommandLine, ExportKindsAndSources) {
    const TCommandLine files = Parse({"--export", "files", "--log", "a.log"});
    EXPECT_EQ(files.Mode, TMode::Export);
    EXPECT_EQ(files.ExportKind, QStringLiteral("files"));
    EXPECT_EQ(files.LogFile, QStringLiteral("a.log"));
    EXPECT_EQ(files.Filter, 0);
    EXPECT_TRUE(files.Author.isEmpty());
    EXPECT_TRUE(files.Output.isEmpty());

    const TCommandLine history = Parse({"/work/tree", "--export", "history"});
    EXPECT_EQ(history.Mode, TMode::Export);
    EXPECT_EQ(history.ExportKind, QStringLiteral("history"));
    EXPECT_EQ(history.Folder, QStringLiteral("/work/tree"));
    EXPECT_TRUE(history.LogFile.isEmpty());

    ExpectError({"--export"});
    ExpectError({"--export", "Files", "--log", "a.log"});
    ExpectError({"--export", "revisions", "--log", "a.log"});
    // Exactly one source: a saved log or one folder.
    ExpectError({"--export", "files"});
    ExpectError({"--export", "files", "--log", "a.log", "/work/tree"});
    ExpectError({"--export", "files", "/work/a", "/work/b"});
}

TEST(CommandLine, ExportOptions) {
    const TCommandLine c = Parse({"--export", "history", "--log", "a.log", "--filter", "2",
                                  "--author", "J\xc3\xb6rg", "-o", "out file.csv"});
    EXPECT_EQ(c.Mode, TMode::Export);
    EXPECT_EQ(c.Filter, 2);
    EXPECT_EQ(c.Author, QString::fromUtf8("J\xc3\xb6rg"));
    EXPECT_EQ(c.Output, QStringLiteral("out file.csv"));

    EXPECT_EQ(Parse({"--export", "files", "--log", "a", "--output", "b.csv"}).Output,
              QStringLiteral("b.csv"));
    for (const char* mode : {"0", "1", "2"})
        EXPECT_EQ(Parse({"--export", "files", "--log", "a", "--filter", mode}).Mode, TMode::Export);
    // An empty author stands for all users.
    EXPECT_EQ(Parse({"--export", "files", "--log", "a", "--author", ""}).Mode, TMode::Export);

    for (const char* mode : {"3", "-1", "x", "", "1.0"}) {
        SCOPED_TRACE(mode);
        ExpectError({"--export", "files", "--log", "a", "--filter", mode});
    }
    ExpectError({"--export", "files", "--log", "a", "--filter"});
    ExpectError({"--export", "files", "--log", "a", "--author"});
    ExpectError({"--export", "files", "--log", "a", "-o"});
    ExpectError({"--export", "files", "--log", "a", "-o", ""});
}

TEST(CommandLine, ChartExport) {
    EXPECT_EQ(Parse({"--export", "chart", "--log", "a"}).Chart, TChartMode::Commits);
    EXPECT_EQ(Parse({"--export", "chart", "--log", "a", "--chart", "lines"}).Chart,
              TChartMode::ChangedLines);
    ExpectError({"--export", "chart", "--log", "a", "--chart", "days"});
    ExpectError({"--export", "history", "--log", "a", "--chart", "lines"});
    ExpectError({"--chart", "lines", "/work/tree"});
}

TEST(CommandLine, Timeout) {
    EXPECT_EQ(Parse({"--export", "files", "/work/tree"}).Timeout, 0);
    EXPECT_EQ(Parse({"--export", "files", "/work/tree", "--timeout", "90"}).Timeout, 90);
    for (const char* seconds : {"0", "-5", "1.5", "x", "99999999"}) {
        SCOPED_TRACE(seconds);
        ExpectError({"--export", "files", "/work/tree", "--timeout", seconds});
    }
    ExpectError({"--timeout", "5", "/work/tree"});
}

TEST(CommandLine, ExportOptionsNeedExport) {
    ExpectError({"--filter", "1", "/work/tree"});
    ExpectError({"--author", "anna"});
    ExpectError({"-o", "out.csv", "--log", "a.log"});
}

TEST(CommandLine, UnknownOptionsHelpAndVersion) {
    const TCommandLine unknown = Parse({"--verbose", "/work/tree"});
    EXPECT_EQ(unknown.Mode, TMode::Error);
    EXPECT_TRUE(unknown.Error.contains(QStringLiteral("--verbose")));
    ExpectError({"-x"});

    EXPECT_EQ(Parse({"--help"}).Mode, TMode::Help);
    EXPECT_EQ(Parse({"/work/tree", "-h"}).Mode, TMode::Help);
    EXPECT_FALSE(UsageText().isEmpty());
    EXPECT_EQ(Parse({"--version"}).Mode, TMode::Version);
    EXPECT_EQ(Parse({"-v"}).Mode, TMode::Version);
    EXPECT_EQ(VersionText(), QStringLiteral("Quillon " QUILLON_PROJECT_VERSION "\n"));
}
