// The program's headless export, run as its own process on a log written by the
// real `cvs` client (tests/data/real-cvs.log, the history of
// scripts/make-cvs-history).
#include <QByteArray>
#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "ActivityChart.h"
#include "MainWindowFixture.h"
#include "Selectors.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int ProcessTimeoutMs = 30000;
const QString RealLog = QStringLiteral(QUILLON_TEST_DATA "/real-cvs.log");

using TRecord = std::vector<std::string>;

// Splits CSV text (RFC 4180, CR LF between records) into records of fields.
std::vector<TRecord> ReadCsv(const std::string& text) {
    std::vector<TRecord> records;
    TRecord record;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c != '"')
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            record.push_back(std::move(field));
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
            record.push_back(std::move(field));
            field.clear();
            records.push_back(std::move(record));
            record.clear();
        } else {
            field += c;
        }
    }
    EXPECT_FALSE(quoted) << "unterminated quoted field";
    EXPECT_TRUE(record.empty() && field.empty()) << "last record not ended by CR LF";
    return records;
}

struct TRun {
    int ExitCode = -1;
    std::string Out;
    std::string Err;
};

class ExportReal : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Home.isValid());
        Binary = qEnvironmentVariable("QUILLON_BINARY", QStringLiteral(QUILLON_BINARY_PATH));
        ASSERT_TRUE(QFile::exists(Binary)) << Binary.toStdString() << " not found";
    }

    // Starts the program with a home folder of its own, so that no settings of
    // the user are read.
    void Start(QProcess& process, const QStringList& arguments,
               const QString& program = QString()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), Home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), Home.filePath(QStringLiteral("config")));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(Home.path());
        process.start(program.isEmpty() ? Binary : program, arguments);
    }

    TRun Run(const QStringList& arguments) { return RunProgram(Binary, arguments); }
    TRun RunProgram(const QString& program, const QStringList& arguments) {
        QProcess process;
        Start(process, arguments, program);
        TRun run;
        EXPECT_TRUE(process.waitForFinished(ProcessTimeoutMs))
            << process.errorString().toStdString();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        run.ExitCode = process.exitCode();
        run.Out = process.readAllStandardOutput().toStdString();
        run.Err = process.readAllStandardError().toStdString();
        return run;
    }

    QString OutPath(const QString& name) const { return Home.filePath(name); }

    void SetCvsPath(const QString& folder) {
        QDir(Home.path()).mkpath("config/Tevrin");
        QFile settings(Home.filePath("config/Tevrin/Quillon.conf"));
        ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
        settings.write("[General]\nCVSPath=" + folder.toUtf8() + "\n");
    }

    static std::string ReadAll(const QString& path) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        return file.readAll().toStdString();
    }

    QTemporaryDir Home;
    QString Binary;
};

TEST_F(ExportReal, FilesListHoldsTheSummaryOfEveryFile) {
    const QString out = OutPath(QStringLiteral("files.csv"));
    const TRun run = Run({"--export", "files", "--log", RealLog, "-o", out});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Out, "");
    // Table order; counts for the default few-changes limit of 5.
    EXPECT_EQ(ReadAll(out),
              "File name,Head,No comments,No changes,Few changes,Added,Removed,Description\r\n"
              "README.txt,1.3,0,1,2,3,1,\r\n"
              "notes with blank.txt,1.2,1,1,1,2,0,\r\n"
              "old.txt,1.2,0,2,0,0,0,\r\n"
              "src/main.c,1.4,0,1,2,15,4,Entry point of the demo program.\r\n");
}

TEST_F(ExportReal, HistoryListsEveryRevisionNewestFirst) {
    const QString out = OutPath(QStringLiteral("history.csv"));
    const TRun run = Run({"--export", "history", "--log", RealLog, "-o", out});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
    const std::string csv = ReadAll(out);
    const auto records = ReadCsv(csv);
    ASSERT_EQ(records.size(), 13u);
    EXPECT_EQ(records[0], (TRecord{"File name", "Revision", "Date", "Author", "State", "Added",
                                   "Removed", "Comments", "Tags"}));

    // Newest first; the three revisions of the first commit share its date and
    // keep the order of the log.
    const std::vector<std::pair<std::string, std::string>> order = {
        {"src/main.c", "1.4"},
        {"src/main.c", "1.3"},
        {"notes with blank.txt", "1.2"},
        {"old.txt", "1.2"},
        {"README.txt", "1.3"},
        {"src/main.c", "1.2.2.1"},
        {"README.txt", "1.2"},
        {"notes with blank.txt", "1.1"},
        {"src/main.c", "1.2"},
        {"README.txt", "1.1"},
        {"old.txt", "1.1"},
        {"src/main.c", "1.1"},
    };
    for (std::size_t i = 1; i < records.size(); ++i) {
        ASSERT_EQ(records[i].size(), 9u) << "record " << i;
        EXPECT_EQ(std::make_pair(records[i][0], records[i][1]), order[i - 1]) << "record " << i;
        if (i > 1) {
            EXPECT_GE(records[i - 1][2], records[i][2]) << "record " << i;
        }
    }

    EXPECT_EQ(records[1], (TRecord{"src/main.c", "1.4", "2024-02-21 11:11:11", "bob", "Exp", "7",
                                   "0", "Add the -h option.", "release-1_1"}));
    // A Latin-1 message comes out as UTF-8.
    EXPECT_EQ(records[2], (TRecord{"src/main.c", "1.3", "2024-02-19 15:00:00", "anna", "Exp", "1",
                                   "1", "Café crème: greeting élargi.", ""}));
    EXPECT_EQ(records[4], (TRecord{"old.txt", "1.2", "2024-02-14 17:30:00", "bob", "dead", "0", "0",
                                   "Remove the old notes; they are in the README now.", ""}));
    // The empty message's marker is gone.
    EXPECT_EQ(records[8], (TRecord{"notes with blank.txt", "1.1", "2024-02-05 11:00:00", "carol",
                                   "Exp", "0", "0", "", "release-1_0"}));
    EXPECT_EQ(records[12], (TRecord{"src/main.c", "1.1", "2024-02-01 09:00:00", "anna", "Exp", "0",
                                    "0", "Initial version of the demo.", ""}));

    // Quoting as the file holds it: commas, doubled quotes, line breaks (the
    // CR LF message ends its lines with LF, as every other one).
    EXPECT_NE(csv.find("\r\nnotes with blank.txt,1.2,2024-02-16 09:45:00,carol,Exp,2,0,"
                       "\"Notizen ergänzt: Größe, café, naïve – 5 €.\",release-1_1\r\n"),
              std::string::npos);
    EXPECT_NE(csv.find("\r\nsrc/main.c,1.2.2.1,2024-02-09 08:20:00,anna,Exp,1,1,"
                       "\"Fix the version text, as \"\"bob\"\" asked.\n"
                       "Only on the maintenance branch, for now.\",\r\n"),
              std::string::npos);
    EXPECT_NE(csv.find("\r\nREADME.txt,1.2,2024-02-06 16:45:10,Joe,Exp,2,0,"
                       "\"Describe the build.\nRun make in the top folder.\",release-1_0\r\n"),
              std::string::npos);
    EXPECT_NE(csv.find("\r\nsrc/main.c,1.2,2024-02-02 14:15:30,bob,Exp,6,2,"
                       "\"Read the command-line arguments.\n\nThe -v option prints the version.\n"
                       "Any other argument is ignored.\",release-1_0\r\n"),
              std::string::npos);

    // Without -o the same bytes go to standard output.
    const TRun toStdout = Run({"--export", "history", "--log", RealLog});
    ASSERT_EQ(toStdout.ExitCode, 0) << toStdout.Err;
    EXPECT_EQ(toStdout.Out, csv);
}

TEST_F(ExportReal, UnreadableLogWritesNothing) {
    const QString missing = OutPath(QStringLiteral("no-such.log"));
    const QString out = OutPath(QStringLiteral("out.csv"));
    const TRun run = Run({"--export", "files", "--log", missing, "-o", out});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_NE(run.Err.find("no-such.log"), std::string::npos) << run.Err;
    EXPECT_EQ(run.Out, "");
    EXPECT_FALSE(QFile::exists(out));

    // An earlier export in the same place is left as it was.
    const QString earlier = OutPath(QStringLiteral("earlier.csv"));
    {
        QFile file(earlier);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("earlier export\r\n");
    }
    EXPECT_EQ(Run({"--export", "history", "--log", missing, "-o", earlier}).ExitCode, 1);
    EXPECT_EQ(ReadAll(earlier), "earlier export\r\n");
}

// A FIFO named by -o is written in place, not replaced by a file; "-" stands
// for standard output.
TEST_F(ExportReal, OutputIntoAFifoOrStandardOutput) {
    const TRun expected = Run({"--export", "files", "--log", RealLog});
    ASSERT_EQ(expected.ExitCode, 0) << expected.Err;
    const QString fifo = OutPath(QStringLiteral("fifo"));
    const QByteArray name = QFile::encodeName(fifo);
    ASSERT_EQ(::mkfifo(name.constData(), 0600), 0);
    // Held open for reading and writing, the FIFO never blocks the export's open.
    const int fd = ::open(name.constData(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    const TRun run = Run({"--export", "files", "--log", RealLog, "-o", fifo});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    std::string received;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        received.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    EXPECT_EQ(received, expected.Out);
    struct stat info {};
    ASSERT_EQ(::stat(name.constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    const TRun dash = Run({"--export", "files", "--log", RealLog, "-o", "-"});
    EXPECT_EQ(dash.ExitCode, 0) << dash.Err;
    EXPECT_EQ(dash.Out, expected.Out);
    EXPECT_FALSE(QFile::exists(OutPath(QStringLiteral("-"))));
}

TEST_F(ExportReal, BadArgumentsExitWithStatusTwo) {
    const QString out = OutPath(QStringLiteral("out.csv"));
    const std::vector<QStringList> bad = {
        {"--export", "revisions", "--log", RealLog, "-o", out},
        {"--export", "files", "--log", RealLog, "--filter", "3", "-o", out},
        {"--export", "files", "-o", out},
        {"--export", "files", "--log", RealLog, "some-folder", "-o", out},
        {"--export", "files", "--log", RealLog, "--colour", "-o", out},
        {"--export", "files", "--log", RealLog, "-o"},
    };
    for (const QStringList& arguments : bad) {
        SCOPED_TRACE(arguments.join(QLatin1Char(' ')).toStdString());
        const TRun run = Run(arguments);
        EXPECT_EQ(run.ExitCode, 2);
        EXPECT_NE(run.Err.find("Usage:"), std::string::npos);
        EXPECT_EQ(run.Out, "");
        EXPECT_FALSE(QFile::exists(out));
    }
}

// --branch and --range pick revisions as the window does, for every export.
TEST_F(ExportReal, BranchesAndRangesOfAHistoryOfReleases) {
    QUILLON_USE_CVS_HISTORY(history);
    const QString folder = history.ReleasesFolder();
    auto rows = [this, &folder](const QStringList& options) {
        const TRun run = Run(QStringList{"--export"} + options + QStringList{folder});
        EXPECT_EQ(run.ExitCode, 0) << run.Err;
        std::vector<std::string> keys;
        const auto records = ReadCsv(run.Out);
        for (std::size_t i = 1; i < records.size(); ++i)
            keys.push_back(records[i][0] + (records[i][1].empty() ? "" : " " + records[i][1]));
        return keys;
    };
    using TKeys = std::vector<std::string>;
    EXPECT_EQ(rows({"history", "--branch", "VENDOR"}),
              (TKeys{"a.c 1.1.1.1", "b.c 1.1.1.1", "gone.c 1.1.1.1"}));
    EXPECT_EQ(rows({"history", "--branch", "TRUNK", "--range", "..REL_1"}),
              (TKeys{"a.c 1.2", "a.c 1.1", "b.c 1.1", "gone.c 1.1"}));
    EXPECT_EQ(rows({"history", "--range", "REL_1..REL_2"}),
              (TKeys{"b.c 1.2", "gone.c 1.2", "temp.c 1.2", "temp.c 1.1", "new.c 1.1"}));
    EXPECT_EQ(rows({"files", "--range", "REL_1..", "--branch", "TRUNK"}),
              (TKeys{"a.c 1.3", "b.c 1.2", "gone.c 1.2", "new.c 1.1", "temp.c 1.2"}));
    // The chart counts the commits of the branch.
    const TRun chart = Run({"--export", "chart", "--branch", "REL_1_FIX", folder});
    EXPECT_EQ(chart.Out, "Date,Value\r\n2024-03-05,1\r\n2024-03-06,1\r\n");

    for (const QStringList& options :
         {QStringList{"--branch", "REL_9"}, QStringList{"--range", "REL_1..REL_9"}}) {
        const TRun bad = Run(QStringList{"--export", "files"} + options + QStringList{folder});
        EXPECT_EQ(bad.ExitCode, 2);
        EXPECT_EQ(bad.Err, "quillon: Unknown tag: REL_9\n");
        EXPECT_EQ(bad.Out, "");
    }
}

// A working folder is read through the client, with the same result as its
// saved log; a client that fails or is missing writes nothing.
TEST_F(ExportReal, FolderRunsTheClient) {
    QUILLON_USE_CVS_HISTORY(history);
    const TRun fromLog = Run({"--export", "files", "--log", RealLog});
    const TRun fromFolder = Run({"--export", "files", history.WorkingFolder()});
    EXPECT_EQ(fromFolder.ExitCode, 0) << fromFolder.Err;
    EXPECT_EQ(fromFolder.Out, fromLog.Out);

    // A folder without the client's administrative folder, or none at all,
    // is refused before the client runs.
    QTemporaryDir notWorking;
    const QString out = OutPath("out.csv");
    const std::string noAdmin =
        "Not a CVS working folder: " + notWorking.path().toStdString() + " (no CVS subfolder)\n";
    const TRun failed = Run({"--export", "history", notWorking.path(), "-o", out});
    EXPECT_EQ(failed.ExitCode, 1);
    EXPECT_EQ(failed.Err, "quillon: " + noAdmin);
    EXPECT_FALSE(QFile::exists(out));
    const QString gone = notWorking.filePath("gone");
    const TRun notFound = Run({"--export", "history", gone});
    EXPECT_EQ(notFound.ExitCode, 1);
    EXPECT_EQ(notFound.Err, "quillon: Folder not found: " + gone.toStdString() + "\n");

    SetCvsPath(notWorking.filePath("nowhere"));
    const TRun missing = Run({"--export", "files", history.WorkingFolder(), "-o", out});
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_NE(missing.Err.find("CVS executable not found"), std::string::npos) << missing.Err;
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(Run({"--export", "files", notWorking.path()}).Err, "quillon: " + noAdmin);
}

// A repository's module is read with rlog, without a working folder: its
// subfolder, its removed (Attic) file and its file with a blank in its name
// get the names of the working folder's log, for a plain and a :fork: root.
TEST_F(ExportReal, RepositoryModuleListsAsItsWorkingFolder) {
    QUILLON_USE_CVS_HISTORY(history);
    for (const char* kind : {"files", "history", "commits"}) {
        const TRun fromFolder = Run({"--export", kind, history.WorkingFolder()});
        ASSERT_EQ(fromFolder.ExitCode, 0) << fromFolder.Err;
        for (const QString& root : {history.Repository(), ":fork:" + history.Repository()}) {
            const TRun fromRoot = Run({"--export", kind, "--root", root, "demo"});
            EXPECT_EQ(fromRoot.ExitCode, 0) << fromRoot.Err;
            EXPECT_EQ(fromRoot.Out, fromFolder.Out) << kind << " " << root.toStdString();
        }
    }
    // A module the repository lacks fails with the client's complaint.
    const TRun missing = Run({"--export", "files", "--root", history.Repository(), "nomodule"});
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_NE(missing.Err.find("nomodule"), std::string::npos) << missing.Err;
    EXPECT_EQ(missing.Out, "");
}

// --filter and --author give the rows the lists show for the same choices.
TEST_F(ExportReal, FiltersAgreeWithTheLists) {
    quillon::TfrmMain window;
    window.OpenLogFile(RealLog);
    ASSERT_TRUE(quillon::test::WaitForLoad(window));
    auto listed = [&window](const quillon::TRevisionListModel* history) {
        std::vector<std::string> names;
        const int rows = history ? history->rowCount() : window.FilesModel().rowCount();
        for (int row = 0; row < rows; ++row) {
            const QModelIndex cell =
                history ? history->index(row, 0) : window.FilesModel().index(row, 0);
            names.push_back(cell.data().toString().toStdString() +
                            (history ? "/" + history->index(row, 1).data().toString().toStdString()
                                     : std::string()));
        }
        return names;
    };
    auto exported = [&](const QStringList& arguments, bool history) {
        const TRun run = Run(arguments);
        EXPECT_EQ(run.ExitCode, 0) << run.Err;
        std::vector<std::string> names;
        const auto records = ReadCsv(run.Out);
        for (std::size_t i = 1; i < records.size(); ++i)
            names.push_back(records[i][0] + (history ? "/" + records[i][1] : std::string()));
        return names;
    };
    for (int mode = 0; mode <= 2; ++mode) {
        for (const QString& author : {QString(), QStringLiteral("JOE"), QStringLiteral("anna")}) {
            quillon::test::MainViews(window).cbxFilter->setCurrentIndex(mode);
            quillon::test::MainViews(window).cbxAuthors->setCurrentIndex(
                author.isEmpty() ? 0
                                 : quillon::test::MainViews(window).cbxAuthors->findText(
                                       author, Qt::MatchFixedString));
            window.FilterFiles();
            QStringList args = {"--log", RealLog, "--filter", QString::number(mode)};
            if (!author.isEmpty())
                args << "--author" << author;
            const std::string what =
                "mode " + std::to_string(mode) + " author " + author.toStdString();
            EXPECT_EQ(exported(QStringList{"--export", "files"} + args, false), listed(nullptr))
                << what;
            EXPECT_EQ(exported(QStringList{"--export", "history"} + args, true),
                      listed(&window.HistoryModel()))
                << what;
        }
    }
    // An author the log does not know lists nothing.
    EXPECT_TRUE(
        exported({"--export", "history", "--log", RealLog, "--author", "nobody"}, true).empty());
}

// The chart export holds the Charts page's bars for the same log and filters,
// without the days whose value is 0.
TEST_F(ExportReal, ChartValuesPerDay) {
    const TRun lines = Run({"--export", "chart", "--chart", "lines", "--log", RealLog});
    ASSERT_EQ(lines.ExitCode, 0) << lines.Err;
    EXPECT_EQ(lines.Out, "Date,Value\r\n2024-02-02,8\r\n2024-02-06,2\r\n2024-02-09,2\r\n"
                         "2024-02-12,2\r\n2024-02-16,2\r\n2024-02-19,2\r\n2024-02-21,7\r\n");

    quillon::TfrmMain window;
    window.OpenLogFile(RealLog);
    ASSERT_TRUE(quillon::test::WaitForLoad(window));
    auto* authors = window.findChild<QComboBox*>(QStringLiteral("cbxAuthors"));
    auto* modes = window.findChild<QComboBox*>(QStringLiteral("cbxChart"));
    auto* chart = window.findChild<quillon::TActivityChart*>();
    ASSERT_TRUE(authors && modes && chart);
    const int anna = authors->findText(QStringLiteral("anna"), Qt::MatchFixedString);
    authors->setCurrentIndex(anna);
    emit authors->activated(anna);
    for (const int mode : {0, 1}) {
        modes->setCurrentIndex(mode);
        emit modes->activated(mode);
        std::string shown = "Date,Value\r\n";
        for (const quillon::TChartBar& bar : chart->Data().Bars())
            if (bar.Total != 0)
                shown += QDate(1899, 12, 30)
                             .addDays(qint64(bar.Day))
                             .toString(Qt::ISODate)
                             .toStdString() +
                         "," + std::to_string(qint64(bar.Total)) + "\r\n";
        const TRun run = Run({"--export", "chart", "--chart", mode ? "lines" : "commits", "--log",
                              RealLog, "--author", "anna"});
        EXPECT_EQ(run.ExitCode, 0) << run.Err;
        EXPECT_EQ(run.Out, shown) << "mode " << mode;
    }
}

// A client that hangs, with a child of its own, is ended with its whole process
// group by a termination signal to the export (which exits with 128 and the
// signal's number) or to the window, or by --timeout; nothing is written.
TEST_F(ExportReal, HangingClientEndsWithItsProcessGroup) {
    // The fake client names its process group through a FIFO that it and its
    // child hold open until both have ended.
    QTemporaryDir bin, work;
    ASSERT_TRUE(QDir(work.path()).mkdir("CVS"));
    const QByteArray alive = QFile::encodeName(bin.filePath("alive"));
    ASSERT_EQ(::mkfifo(alive.constData(), 0600), 0);
    QFile client(bin.filePath("cvs"));
    ASSERT_TRUE(client.open(QIODevice::WriteOnly));
    client.write("#!/bin/sh\nexec 3>'" + alive + "'\necho $$ >&3\nsleep 100000 &\nwait\n");
    client.close();
    client.setPermissions(client.permissions() | QFileDevice::ExeOwner);
    SetCvsPath(bin.path());
    const QString out = OutPath("out.csv");

    const QStringList exportArguments = {"--export", "history", work.path(), "-o", out};
    auto run = [&](const QStringList& arguments, int signalNumber) {
        QProcess process;
        Start(process, arguments);
        const int fd = ::open(alive.constData(), O_RDONLY | O_NONBLOCK);
        pollfd wait{fd, POLLIN, 0};
        char text[32] = {};
        const bool started =
            ::poll(&wait, 1, ProcessTimeoutMs) == 1 && ::read(fd, text, sizeof text - 1) > 0;
        EXPECT_TRUE(started);
        const pid_t group = static_cast<pid_t>(std::atoi(text));
        if (started && signalNumber)
            ::kill(static_cast<pid_t>(process.processId()), signalNumber);
        EXPECT_TRUE(process.waitForFinished(ProcessTimeoutMs));
        // End of file once the client and its child have both ended.
        const bool ended = ::poll(&wait, 1, ProcessTimeoutMs) == 1 && ::read(fd, text, 1) == 0;
        EXPECT_TRUE(ended);
        if (!ended && group > 0)
            ::kill(-group, SIGKILL);
        ::close(fd);
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.readAllStandardOutput(), "");
        EXPECT_FALSE(QFile::exists(out));
        return std::make_pair(process.exitCode(), process.readAllStandardError().toStdString());
    };
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signalNumber);
        EXPECT_EQ(run(exportArguments, signalNumber).first, 128 + signalNumber);
    }
    EXPECT_EQ(
        run(exportArguments + QStringList{"--timeout", "1"}, 0),
        std::make_pair(1, std::string("quillon: the CVS client did not finish within 1 s\n")));
    // The window, opening the folder, ends the same way.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    EXPECT_EQ(run({work.path()}, SIGTERM).first, 128 + SIGTERM);
}

// A log without end runs out of memory (here the 2 GB of address space a shell
// limit leaves the export): the export says so and exits 1. Not under
// AddressSanitizer, which reserves more address space than that at start.
TEST_F(ExportReal, OutOfMemoryIsReported) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address space limit leaves no room for AddressSanitizer";
#endif
    const TRun run =
        RunProgram(QStringLiteral("/bin/sh"), {"-c", "ulimit -v 800000 && exec \"$0\" \"$@\"",
                                               Binary, "--export", "files", "--log", "/dev/zero"});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Err.rfind("quillon: out of memory while reading the log (", 0), 0u) << run.Err;
    EXPECT_NE(run.Err.find(" MB read)\n"), std::string::npos) << run.Err;
    EXPECT_EQ(run.Out, "");
}

// A client whose log never ends runs the parse out of memory while it still
// writes: the export ends the client, says so and exits 1.
TEST_F(ExportReal, AClientThatNeverEndsRunsTheParseOutOfMemory) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address space limit leaves no room for AddressSanitizer";
#endif
    QTemporaryDir bin, work;
    ASSERT_TRUE(QDir(work.path()).mkdir("CVS"));
    const QString pidFile = bin.filePath("pid");
    QFile client(bin.filePath("cvs"));
    ASSERT_TRUE(client.open(QIODevice::WriteOnly));
    client.write("#!/bin/sh\necho $$ > '" + QFile::encodeName(pidFile) +
                 "'\nprintf 'RCS file: a,v\\nWorking file: a\\n'\n"
                 "exec yes -- '----------------------------'\n");
    client.close();
    client.setPermissions(client.permissions() | QFileDevice::ExeOwner);
    SetCvsPath(bin.path());
    const TRun run =
        RunProgram(QStringLiteral("/bin/sh"), {"-c", "ulimit -v 800000 && exec \"$0\" \"$@\"",
                                               Binary, "--export", "files", work.path()});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.Err.rfind("quillon: out of memory while reading the log (", 0), 0u) << run.Err;
    EXPECT_EQ(run.Out, "");
    // The client is gone.
    const pid_t pid = static_cast<pid_t>(std::atoi(ReadAll(pidFile).c_str()));
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ::kill(pid, 0) != 0; }, ProcessTimeoutMs));
}

} // namespace

// A working folder whose name is not UTF-8 is read as any other. The shell
// makes the name: no QString carries it to a process.
TEST_F(ExportReal, AFolderNamedInBytesThatAreNoUtf8IsRead) {
    QUILLON_USE_CVS_HISTORY(history);
    QTemporaryDir dir;
    const TRun run = RunProgram(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"),
         QStringLiteral("name=$(printf 'w\\377'); cd \"$1\" && cvs -f -Q -d \"$2\" checkout -d "
                        "\"$name\" demo && exec \"$3\" --export files \"$1/$name\""),
         QStringLiteral("sh"), dir.path(), history.WorkingFolder() + QStringLiteral("/../repo"),
         Binary});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Out, Run({"--export", "files", "--log", RealLog}).Out);
}

// So is a log file whose name is not UTF-8.
TEST_F(ExportReal, ALogFileNamedInBytesThatAreNoUtf8IsRead) {
    QTemporaryDir dir;
    const TRun run =
        RunProgram(QStringLiteral("/bin/sh"),
                   {QStringLiteral("-c"),
                    QStringLiteral("name=\"$1/$(printf 'l\\377')\"; cp \"$2\" \"$name\" && "
                                   "exec \"$3\" --export files --log \"$name\""),
                    QStringLiteral("sh"), dir.path(), RealLog, Binary});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    EXPECT_EQ(run.Out, Run({"--export", "files", "--log", RealLog}).Out);
}

// Commits of a log with several multi-file commits: newest first, a row's
// comment whole and its revisions by file name; the author filter governs
// them as it governs the history.
TEST_F(ExportReal, CommitsOfTheRealHistory) {
    const QString log = QStringLiteral(QUILLON_TEST_DATA "/real-cvs-commits.log");
    const TRun all = Run({"--export", "commits", "--log", log});
    ASSERT_EQ(all.ExitCode, 0) << all.Err;
    const auto records = ReadCsv(all.Out);
    ASSERT_EQ(records.size(), 17u);
    EXPECT_EQ(records[0], (TRecord{"Date", "Author", "Files", "Added", "Removed", "Commit id",
                                   "Comments", "Revisions"}));
    EXPECT_EQ(records[1],
              (TRecord{"2024-02-26 08:30:00", "joe", "3", "3", "1", "10065DC4C0879D677B8",
                       "Drop greet.h; declare greet where it is used.\nThe header held one line.",
                       "1.5 README.txt\n1.3 src/greet.c\n1.2 src/greet.h"}));
    EXPECT_EQ(records[16][6], "Initial version of the demo.");
    EXPECT_EQ(records[16][7], "1.1 README.txt\n1.1 old.txt\n1.1 src/main.c");

    const TRun anna = Run({"--export", "commits", "--log", log, "--author", "anna"});
    ASSERT_EQ(anna.ExitCode, 0) << anna.Err;
    std::vector<std::string> dates;
    for (const auto& record : ReadCsv(anna.Out))
        dates.push_back(record[0] + " " + record[2]);
    // anna is the last author of src/main.c alone: her commits count that file.
    EXPECT_EQ(dates, (std::vector<std::string>{"Date Files", "2024-02-22 10:06:00 1",
                                               "2024-02-22 10:05:00 1", "2024-02-22 10:00:00 1",
                                               "2024-02-19 15:00:00 1", "2024-02-09 08:20:00 1",
                                               "2024-02-01 09:00:00 1"}));
}

// The Commits page lists what the commit export writes, through the same
// filters; "Show commit" finds a history row's commit, and opening one of its
// revisions compares it as the History page does.
TEST_F(ExportReal, CommitsPageAgreesWithTheExport) {
    const QString log = QStringLiteral(QUILLON_TEST_DATA "/real-cvs-commits.log");
    quillon::test::TTestMainWindow window;
    window.OpenLogFile(log);
    ASSERT_TRUE(quillon::test::WaitForLoad(window));
    const auto views = quillon::test::MainViews(window);
    auto* commits = window.findChild<QTableView*>(QStringLiteral("lvCommits"));
    auto* revisions = window.findChild<QTableView*>(QStringLiteral("lvCommitRevisions"));
    auto* panel = window.findChild<QLabel*>(QStringLiteral("StatusPanelCommits"));
    ASSERT_TRUE(commits && revisions && panel);
    const int joe = views.cbxAuthors->findText(QStringLiteral("joe"), Qt::MatchFixedString);
    for (const int author : {0, joe}) {
        views.cbxAuthors->setCurrentIndex(author);
        emit views.cbxAuthors->activated(author);
        QStringList arguments = {"--export", "commits", "--log", log};
        if (author != 0)
            arguments += {"--author", "joe"};
        const auto records = ReadCsv(Run(arguments).Out);
        ASSERT_EQ(commits->model()->rowCount() + 1, int(records.size()));
        EXPECT_EQ(panel->text(), QStringLiteral("Commits: %1").arg(records.size() - 1));
        for (int row = 0; row < commits->model()->rowCount(); ++row) {
            TRecord shown;
            for (const int column : {1, 2, 3, 4, 5})
                shown.push_back(
                    commits->model()->index(row, column).data().toString().toStdString());
            const TRecord& exported = records[std::size_t(row) + 1];
            EXPECT_EQ(shown, (TRecord{exported[1], exported[2], exported[3], exported[4],
                                      exported[6].substr(0, exported[6].find('\n'))}));
        }
    }

    // joe's history: three revisions of one commit, then README.txt 1.3 of
    // the second.
    views.lvHistory->selectRow(3);
    window.findChild<QAction*>(QStringLiteral("miShowCommit"))->trigger();
    EXPECT_EQ(views.PageControl->currentWidget()->objectName(), "tsCommits");
    EXPECT_EQ(commits->selectionModel()->selectedRows().value(0).row(), 1);
    ASSERT_EQ(revisions->model()->rowCount(), 1);
    EXPECT_EQ(revisions->model()->index(0, 1).data().toString(), "1.3");
    quillon::test::TStatusRecorder status(window);
    QTest::keyClick(revisions, Qt::Key_Return);
    EXPECT_EQ(status.Messages, QStringList{"No working folder to compare in"});
}

// Typing in the find field narrows the History and Commits pages and the
// revision list to the revisions whose comment, file name, author, revision or
// tags hold the text, letter case and encoding aside; --grep exports the same
// rows. Esc clears the field and shows every row again.
TEST_F(ExportReal, FindAgreesWithGrep) {
    quillon::test::TTestMainWindow window;
    window.OpenLogFile(RealLog);
    ASSERT_TRUE(quillon::test::WaitForLoad(window));
    const auto views = quillon::test::MainViews(window);
    auto* field = window.findChild<QLineEdit*>(QStringLiteral("edFind"));
    auto* commits = window.findChild<QTableView*>(QStringLiteral("lvCommits"));
    ASSERT_TRUE(field && commits);
    const int everything = window.HistoryModel().rowCount();
    window.show();
    window.findChild<QAction*>(QStringLiteral("miFind"))->trigger();
    EXPECT_TRUE(field->isVisibleTo(&window));
    auto type = [&](const char* text, int key = 0) {
        QSignalSpy found(&window, &quillon::TfrmMain::findFinished);
        field->selectAll();
        if (key)
            QTest::keyClick(field, Qt::Key(key));
        else
            QTest::keyClicks(field, QString::fromUtf8(text));
        EXPECT_TRUE(found.wait()) << text;
    };
    auto history = [&window] {
        std::vector<std::string> rows;
        for (int row = 0; row < window.HistoryModel().rowCount(); ++row)
            rows.push_back(window.HistoryModel().index(row, 0).data().toString().toStdString() +
                           "/" +
                           window.HistoryModel().index(row, 1).data().toString().toStdString());
        return rows;
    };
    auto grep = [&](const char* kind, const char* text) {
        const TRun run =
            Run({"--export", kind, "--log", RealLog, "--grep", QString::fromUtf8(text)});
        EXPECT_EQ(run.ExitCode, 0) << run.Err;
        return ReadCsv(run.Out);
    };
    struct TCase {
        const char* Text;
        std::size_t Rows;
    };
    // "CAFÉ": a UTF-8 comment and a Windows-1252 one; "GRÖSSE": "Größe";
    // "RELEASE-1_1": a tag on three files; "maint-1_0" names a branch, no tag.
    for (const TCase& c : {TCase{"CAFÉ", 2}, TCase{"GRÖSSE", 1}, TCase{"RELEASE-1_1", 3},
                           TCase{"maint-1_0", 0}, TCase{"JOE", 2}}) {
        type(c.Text);
        const std::vector<std::string> shown = history();
        EXPECT_EQ(shown.size(), c.Rows) << c.Text;
        std::vector<std::string> exported;
        const auto records = grep("history", c.Text);
        for (std::size_t i = 1; i < records.size(); ++i)
            exported.push_back(records[i][0] + "/" + records[i][1]);
        EXPECT_EQ(exported, shown) << c.Text;
        EXPECT_EQ(int(grep("commits", c.Text).size()) - 1, commits->model()->rowCount()) << c.Text;
        EXPECT_EQ(quillon::test::PanelText(window, 5), QStringLiteral("Matches: %1").arg(c.Rows));
    }

    // The revision list of a file follows; F3 steps through its rows.
    type("release-1_");
    views.PageControl->setCurrentIndex(0);
    views.lvFiles->selectRow(window.FilesModel().rowCount() - 1);
    ASSERT_EQ(window.RevisionsModel().rowCount(), 2);
    EXPECT_EQ(views.lvRevisions->currentIndex().row(), 0);
    window.findChild<QAction*>(QStringLiteral("miFindNext"))->trigger();
    EXPECT_EQ(views.lvRevisions->currentIndex().row(), 1);
    window.findChild<QAction*>(QStringLiteral("miFindPrevious"))->trigger();
    EXPECT_EQ(views.lvRevisions->currentIndex().row(), 0);

    type(nullptr, Qt::Key_Escape);
    EXPECT_EQ(window.HistoryModel().rowCount(), everything);
    EXPECT_TRUE(field->text().isEmpty());
    EXPECT_FALSE(field->isVisibleTo(&window));
}
