#include "CommandLine.h"

#include "AuthorIndex.h"
#include "CheckLog.h"
#include "CvsRunner.h"
#include "Export.h"
#include "Filter.h"
#include "LogFile.h"
#include "ParseLog.h"
#include "Settings.h"
#include "SignalWatcher.h"
#include "Version.h"

#include <QCommandLineParser>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <limits>
#include <new>

namespace quillon {

namespace {

const QString FilesKind = QStringLiteral("files");
const QString HistoryKind = QStringLiteral("history");
const QString ChartKind = QStringLiteral("chart");
const QString CommitsKind = QStringLiteral("commits");
// The --chart values, in the order of the chart modes.
const QStringList ChartModeNames = {QStringLiteral("commits"), QStringLiteral("lines")};
// The longest --timeout a timer can count, in seconds.
constexpr int MaxTimeout = std::numeric_limits<int>::max() / 1000;
const QString TimedOut = QStringLiteral("the CVS client did not finish within %1 s");
// Between the two tags of --range.
const QString RangeSeparator = QStringLiteral("..");
// The --branch name that stands for the trunk.
const QString TrunkName = QStringLiteral("TRUNK");
const QString UnknownTag = QStringLiteral("Unknown tag: %1");

} // namespace

QString UsageText() {
    return QStringLiteral(
        "Usage:\n"
        "  quillon [FOLDER]                 open a CVS working folder\n"
        "  quillon --log FILE               open a saved `cvs log` output\n"
        "  quillon --root CVSROOT MODULE    open a repository's module without a\n"
        "                                   working folder\n"
        "  quillon --help | --version       show this text or the version\n"
        "  quillon --export files|history|commits|chart\n"
        "          (--log FILE | --root CVSROOT MODULE | FOLDER)\n"
        "          [--filter 0|1|2] [--author NAME] [--chart commits|lines]\n"
        "          [--branch NAME|TRUNK] [--range FROM..TO] [--grep TEXT]\n"
        "          [--timeout SECONDS] [-o OUT.csv]\n"
        "\n"
        "The export writes the Files, History or Commits list, or the Charts\n"
        "page's values per day (Date,Value; --chart picks commits, the default,\n"
        "or changed lines), as CSV (UTF-8) to OUT.csv or to standard output (also\n"
        "for -o -). --filter\n"
        "picks the filter mode: 0 all files, 1 files without comments in the last\n"
        "revision, 2 files with few changes in the last revision; --author picks\n"
        "one author (letter case aside). The include and exclude masks of the\n"
        "settings apply as in the lists. --branch keeps the revisions on one branch\n"
        "(TRUNK: the trunk); --range keeps the changes from tag FROM to tag TO\n"
        "(FROM empty: from the start; TO empty: to the newest). --grep keeps the\n"
        "revisions whose comment, file name, author, revision or tags hold TEXT,\n"
        "letter case aside, as Find does in the lists (history, commits and chart\n"
        "exports). A working folder is\n"
        "read by running the CVS client's log command in it, a repository's module\n"
        "by its rlog command; --timeout ends the client, and the export, after\n"
        "that many seconds.\n"
        "\n"
        "Exit status: 0 done, 1 the log could not be read or the client failed,\n"
        "2 bad arguments or a tag or branch the log does not have (Unknown tag:\n"
        "NAME), 128 and the signal's number when ended by SIGHUP, SIGINT or SIGTERM.\n");
}

QString VersionText() {
    return QStringLiteral("%1 %2\n").arg(QLatin1String(ProgramName), QLatin1String(ProgramVersion));
}

TCommandLine ParseCommandLine(const QStringList& arguments) {
    TCommandLine command;
    auto fail = [&command](const QString& error) {
        command.Mode = TCommandLine::TMode::Error;
        command.Error = error;
        return command;
    };
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption exportKind(QStringLiteral("export"), {}, QStringLiteral("KIND"));
    const QCommandLineOption logFile(QStringLiteral("log"), {}, QStringLiteral("FILE"));
    const QCommandLineOption root(QStringLiteral("root"), {}, QStringLiteral("CVSROOT"));
    const QCommandLineOption filter(QStringLiteral("filter"), {}, QStringLiteral("MODE"));
    const QCommandLineOption author(QStringLiteral("author"), {}, QStringLiteral("NAME"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")}, {},
                                    QStringLiteral("FILE"));
    const QCommandLineOption chart(QStringLiteral("chart"), {}, QStringLiteral("MODE"));
    const QCommandLineOption timeout(QStringLiteral("timeout"), {}, QStringLiteral("SECONDS"));
    const QCommandLineOption branch(QStringLiteral("branch"), {}, QStringLiteral("NAME"));
    const QCommandLineOption range(QStringLiteral("range"), {}, QStringLiteral("FROM..TO"));
    const QCommandLineOption grep(QStringLiteral("grep"), {}, QStringLiteral("TEXT"));
    QCommandLineParser parser;
    parser.addOptions({help, version, exportKind, logFile, root, filter, author, output, chart,
                       timeout, branch, range, grep});
    // The parser reads its arguments after a program name.
    if (!parser.parse(QStringList{QString()} + arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (unknown.isEmpty())
            return fail(parser.errorText());
        const QString& name = unknown.front();
        return fail(QStringLiteral("unknown option \"%1%2\"")
                        .arg(name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--"), name));
    }
    if (parser.isSet(help)) {
        command.Mode = TCommandLine::TMode::Help;
        return command;
    }
    if (parser.isSet(version)) {
        command.Mode = TCommandLine::TMode::Version;
        return command;
    }
    const QStringList plain = parser.positionalArguments();
    if (parser.isSet(logFile)) {
        command.LogFile = parser.value(logFile);
        if (command.LogFile.isEmpty())
            return fail(QStringLiteral("--log needs a file"));
    }
    if (parser.isSet(root)) {
        command.Root = parser.value(root);
        if (command.Root.isEmpty())
            return fail(QStringLiteral("--root needs a CVSROOT"));
        if (parser.isSet(logFile))
            return fail(QStringLiteral("give --log FILE or --root CVSROOT MODULE, not both"));
        if (plain.size() != 1 || plain.front().isEmpty())
            return fail(QStringLiteral("--root CVSROOT needs one MODULE"));
    }
    if (parser.isSet(filter)) {
        const QString mode = parser.value(filter);
        bool ok = false;
        command.Filter = mode.toInt(&ok);
        if (!ok || command.Filter < 0 || command.Filter > 2)
            return fail(QStringLiteral("--filter takes 0, 1 or 2, not \"%1\"").arg(mode));
    }
    command.Author = parser.value(author);
    command.Branch = parser.value(branch);
    if (parser.isSet(branch) && command.Branch.isEmpty())
        return fail(QStringLiteral("--branch needs a name"));
    if (parser.isSet(range)) {
        const QString text = parser.value(range);
        const qsizetype dots = text.indexOf(RangeSeparator);
        if (dots < 0)
            return fail(QStringLiteral("--range takes FROM..TO, not \"%1\"").arg(text));
        command.HasRange = true;
        command.RangeFrom = text.left(dots);
        command.RangeTo = text.mid(dots + RangeSeparator.size());
    }
    command.Grep = parser.value(grep);
    if (parser.isSet(output)) {
        command.Output = parser.value(output);
        if (command.Output.isEmpty())
            return fail(QStringLiteral("-o needs a file"));
    }
    if (parser.isSet(timeout)) {
        bool ok = false;
        command.Timeout = parser.value(timeout).toInt(&ok);
        if (!ok || command.Timeout < 1 || command.Timeout > MaxTimeout)
            return fail(QStringLiteral("--timeout takes whole seconds from 1 to %1, not \"%2\"")
                            .arg(MaxTimeout)
                            .arg(parser.value(timeout)));
    }
    if (!parser.isSet(exportKind)) {
        if (parser.isSet(filter) || parser.isSet(author) || parser.isSet(output) ||
            parser.isSet(chart) || parser.isSet(timeout) || parser.isSet(branch) ||
            parser.isSet(range) || parser.isSet(grep))
            return fail(QStringLiteral("--filter, --author, --chart, --branch, --range, --grep, "
                                       "--timeout and -o belong to --export"));
        if (plain.size() > 1 || (plain.size() == 1 && !command.LogFile.isEmpty()))
            return fail(QStringLiteral("give one FOLDER or --log FILE, not %1 arguments")
                            .arg(plain.size() + (command.LogFile.isEmpty() ? 0 : 1)));
        if (!plain.isEmpty())
            (command.Root.isEmpty() ? command.Folder : command.Module) = plain.front();
        return command;
    }
    command.ExportKind = parser.value(exportKind);
    if (command.ExportKind != FilesKind && command.ExportKind != HistoryKind &&
        command.ExportKind != CommitsKind && command.ExportKind != ChartKind)
        return fail(QStringLiteral("--export takes files, history, commits or chart, not \"%1\"")
                        .arg(command.ExportKind));
    if (parser.isSet(chart)) {
        if (command.ExportKind != ChartKind)
            return fail(QStringLiteral("--chart belongs to --export chart"));
        const qsizetype mode = ChartModeNames.indexOf(parser.value(chart));
        if (mode < 0)
            return fail(QStringLiteral("--chart takes commits or lines, not \"%1\"")
                            .arg(parser.value(chart)));
        command.Chart = static_cast<TChartMode>(mode);
    }
    if (parser.isSet(grep) && command.ExportKind == FilesKind)
        return fail(QStringLiteral("--grep belongs to --export history, commits or chart"));
    command.Mode = TCommandLine::TMode::Export;
    if (command.LogFile.isEmpty() == (plain.size() != 1) || plain.size() > 1)
        return fail(QStringLiteral("--export needs either --log FILE or one FOLDER"));
    if (command.LogFile.isEmpty())
        (command.Root.isEmpty() ? command.Folder : command.Module) = plain.front();
    return command;
}

namespace {

// The -o name that stands for standard output.
const QString StandardOutput = QStringLiteral("-");

void Print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

// Runs the client's log command in place; false, with the reason in error,
// when it cannot be started, fails, runs longer than timeout seconds (when not
// 0) or is ended because the export caught a signal.
bool RunLog(const TSettings& settings, const TCvsPlace& place, int timeout, TSignalWatcher& watcher,
            TLogReader& reader, QString& error) {
    if (!place.IsRepository())
        error = CheckWorkingFolder(place.Folder);
    if (!error.isEmpty())
        return false;
    StartLockServiceIfNeeded(place.RunFolder(), settings.CVSPath);
    TCvsRunner runner;
    QEventLoop loop;
    QObject::connect(&runner, &TCvsRunner::finished, &loop, &QEventLoop::quit);
    QObject::connect(&watcher, &TSignalWatcher::caught, &runner, &TCvsRunner::Abort);
    QTimer limit;
    limit.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&limit, &QTimer::timeout, &runner, [&] {
        timedOut = true;
        runner.Abort();
    });
    // The log is parsed as it comes.
    runner.SetOutputSink([&reader](const QByteArray& bytes) {
        reader.Add(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    });
    runner.Start(CvsProgram(settings.CVSPath), place.Arguments(place.LogArguments()),
                 place.RunFolder());
    if (timeout > 0)
        limit.start(std::chrono::seconds(timeout));
    loop.exec();
    TCvsResult result = runner.TakeResult();
    if (timedOut) {
        error = TimedOut.arg(timeout);
        return false;
    }
    if (!result.Started || result.Failed() || result.Aborted) {
        error = CvsExportErrorText(result);
        return false;
    }
    return true;
}

// Has the log a tag or branch of that name?
bool NamesTag(const TRCSFileTable& table, const std::string& name) {
    const auto& names = table.Names();
    return std::binary_search(
        names.begin(), names.end(), TNameEntry{name},
        [](const TNameEntry& a, const TNameEntry& b) { return a.Name < b.Name; });
}

// The export's CSV of the log's bytes; false, with the name in unknown, when
// the branch or a tag of the range is not in the log.
bool MakeCsv(const TCommandLine& command, const TSettings& settings,
             std::shared_ptr<TRCSFileTable> parsed, std::string& csv, QString& unknown) {
    ClearEmptyMessages(*parsed);
    NameRepositoryFiles(*parsed, command.Place());
    const TRCSFileTablePtr table = std::move(parsed);
    const TLogSummaryPtr summary =
        std::make_shared<const TLogSummary>(SummarizeLog(*table, settings.LinesLimit));
    const TAuthorIndex& authors = summary->Authors;

    // The rows the lists would show through the same filters.
    int authorPosition = 0;
    if (!command.Author.isEmpty()) {
        const QByteArray name = command.Author.toUtf8();
        authorPosition =
            authors.Position(TText(name.constData(), static_cast<std::size_t>(name.size())));
        if (authorPosition < 0)
            authorPosition = NoAuthorPosition;
    }
    TFilter filter = MakeFilter(static_cast<TFilterMode>(command.Filter), settings.LinesLimit,
                                settings.DoInclude ? settings.Include : QString(),
                                settings.DoExclude ? settings.Exclude : QString(), authorPosition,
                                AuthorsOf(summary));
    for (const QString& name : {command.Branch == TrunkName ? QString() : command.Branch,
                                command.RangeFrom, command.RangeTo})
        if (!name.isEmpty() && !NamesTag(*table, name.toStdString())) {
            unknown = name;
            return false;
        }
    if (command.Branch == TrunkName)
        filter.Branch = std::make_shared<const TRevisionSelection>(SelectTrunk(*table));
    else if (!command.Branch.isEmpty())
        filter.Branch = std::make_shared<const TRevisionSelection>(
            SelectBranch(*table, command.Branch.toStdString()));
    filter.Find = TFindText(command.Grep);
    filter.Find.Prepare(*table);
    if (command.HasRange)
        filter.Range = std::make_shared<const TRevisionSelection>(
            SelectRange(*table, command.RangeFrom.toStdString(), command.RangeTo.toStdString()));
    TViewRows rows = FilterRows(*table, *summary, filter);
    if (command.ExportKind == FilesKind)
        csv = FilesCsv(rows.Files, *summary);
    else if (command.ExportKind == HistoryKind)
        csv = HistoryCsv(rows.History);
    else if (command.ExportKind == CommitsKind)
        csv = CommitsCsv(ListCommits(summary->Commits, rows.History));
    else
        csv = ChartCsv(TChartData(rows.History, command.Chart, table).Bars());
    return true;
}

} // namespace

int RunExport(const TCommandLine& command, std::FILE* out, std::FILE* err) {
    // A signal ends the client's process group as Abort does, and the export
    // without writing anything.
    TSignalWatcher watcher({SIGINT, SIGTERM, SIGHUP});
    TSettings settings;
    LoadSettings(settings, *OpenSettingsStore());
    TLogReader reader;
    std::string csv;
    QString error;
    try {
        if (!command.LogFile.isEmpty()) {
            if (!ReadLogFile(command.LogFile, reader, error)) {
                Print(err,
                      QStringLiteral("quillon: cannot read %1: %2\n").arg(command.LogFile, error));
                return 1;
            }
        } else if (!RunLog(settings, command.Place(), command.Timeout, watcher, reader, error)) {
            if (const int signalNumber = TSignalWatcher::Caught())
                return TSignalWatcher::ExitStatus(signalNumber);
            Print(err, QStringLiteral("quillon: %1\n").arg(error));
            return 1;
        }
        QString unknown;
        if (!MakeCsv(command, settings, reader.Finish(), csv, unknown)) {
            Print(err, QStringLiteral("quillon: %1\n").arg(UnknownTag.arg(unknown)));
            return 2;
        }
    } catch (const std::bad_alloc&) {
        // The log's size, or as much of it as had come when memory ran out.
        Print(err, QStringLiteral("quillon: %1\n").arg(OutOfMemoryText(reader.Size())));
        return 1;
    }

    if (const int signalNumber = TSignalWatcher::Caught())
        return TSignalWatcher::ExitStatus(signalNumber);
    if (command.Output.isEmpty() || command.Output == StandardOutput) {
        if (std::fwrite(csv.data(), 1, csv.size(), out) != csv.size() || std::fflush(out) != 0) {
            Print(err, QStringLiteral("quillon: cannot write the export\n"));
            return 1;
        }
        return 0;
    }
    if (!WriteOutputFile(command.Output, csv, error)) {
        Print(err, QStringLiteral("quillon: cannot write %1: %2\n").arg(command.Output, error));
        return 1;
    }
    return 0;
}

} // namespace quillon
