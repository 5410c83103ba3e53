#include "CommandLine.h"

#include "CheckLog.h"
#include "Export.h"
#include "History.h"
#include "ParseLog.h"
#include "Settings.h"

#include <QFile>
#include <QSaveFile>

namespace quillon {

QString UsageText() {
    return QStringLiteral(
        "Usage:\n"
        "  quillon [FOLDER]                 open a CVS working folder\n"
        "  quillon --log FILE               open a saved `cvs log` output\n"
        "  quillon --export files|history (--log FILE | FOLDER)\n"
        "          [--filter 0|1|2] [--author NAME] [-o OUT.csv]\n"
        "\n"
        "The export writes the Files or History list as CSV (UTF-8) to OUT.csv or\n"
        "to standard output. --filter picks the filter mode: 0 all files, 1 files\n"
        "without comments in the last revision, 2 files with few changes in the\n"
        "last revision; --author picks one author. Both are accepted and not yet\n"
        "applied: the export lists every file and every revision.\n");
}

TCommandLine ParseCommandLine(const QStringList& arguments) {
    TCommandLine command;
    QStringList plain;
    auto fail = [&command](const QString& error) {
        command.Mode = TCommandLine::TMode::Error;
        command.Error = error;
        return command;
    };
    bool exporting = false, filterGiven = false, authorGiven = false, outputGiven = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        auto value = [&](QString& target) {
            if (i + 1 >= arguments.size())
                return false;
            target = arguments[++i];
            return true;
        };
        if (arg == QLatin1String("-h") || arg == QLatin1String("--help")) {
            command.Mode = TCommandLine::TMode::Help;
            return command;
        }
        if (arg == QLatin1String("--export")) {
            if (!value(command.ExportKind))
                return fail(QStringLiteral("--export needs files or history"));
            if (command.ExportKind != QLatin1String("files") &&
                command.ExportKind != QLatin1String("history"))
                return fail(QStringLiteral("--export takes files or history, not \"%1\"")
                                .arg(command.ExportKind));
            exporting = true;
        } else if (arg == QLatin1String("--log")) {
            if (!value(command.LogFile) || command.LogFile.isEmpty())
                return fail(QStringLiteral("--log needs a file"));
        } else if (arg == QLatin1String("--filter")) {
            QString mode;
            if (!value(mode))
                return fail(QStringLiteral("--filter needs 0, 1 or 2"));
            bool ok = false;
            command.Filter = mode.toInt(&ok);
            if (!ok || command.Filter < 0 || command.Filter > 2)
                return fail(QStringLiteral("--filter takes 0, 1 or 2, not \"%1\"").arg(mode));
            filterGiven = true;
        } else if (arg == QLatin1String("--author")) {
            if (!value(command.Author))
                return fail(QStringLiteral("--author needs a name"));
            authorGiven = true;
        } else if (arg == QLatin1String("-o") || arg == QLatin1String("--output")) {
            if (!value(command.Output) || command.Output.isEmpty())
                return fail(QStringLiteral("-o needs a file"));
            outputGiven = true;
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            return fail(QStringLiteral("unknown option \"%1\"").arg(arg));
        } else {
            plain.append(arg);
        }
    }
    if (!exporting) {
        if (filterGiven || authorGiven || outputGiven)
            return fail(QStringLiteral("--filter, --author and -o belong to --export"));
        // Exactly one plain argument names the folder to open; any other number
        // opens nothing.
        if (command.LogFile.isEmpty() && plain.size() == 1)
            command.Folder = plain.front();
        return command;
    }
    command.Mode = TCommandLine::TMode::Export;
    if (command.LogFile.isEmpty() == (plain.size() != 1) || plain.size() > 1)
        return fail(QStringLiteral("--export needs either --log FILE or one FOLDER"));
    if (command.LogFile.isEmpty())
        command.Folder = plain.front();
    return command;
}

namespace {

bool ReadWholeFile(const QString& path, std::string& bytes, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    const qint64 size = file.size();
    bytes.resize(static_cast<std::size_t>(size));
    if (size > 0 && file.read(bytes.data(), size) != size) {
        error = file.errorString();
        return false;
    }
    // A file that grows or is no regular file: take whatever else it holds.
    char chunk[65536];
    for (qint64 n; (n = file.read(chunk, sizeof chunk)) > 0;)
        bytes.append(chunk, static_cast<std::size_t>(n));
    return true;
}

void Print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

} // namespace

int RunExport(const TCommandLine& command, std::FILE* out, std::FILE* err) {
    if (command.LogFile.isEmpty()) {
        Print(err, QStringLiteral("quillon: exporting a working folder is not available yet; "
                                  "use --log FILE\n"));
        return 2;
    }
    std::string log;
    QString error;
    if (!ReadWholeFile(command.LogFile, log, error)) {
        Print(err, QStringLiteral("quillon: cannot read %1: %2\n").arg(command.LogFile, error));
        return 1;
    }
    TSettings settings;
    LoadSettings(settings, *OpenSettingsStore());
    auto table = ParseLog(std::move(log));
    CheckFiles(*table, settings.LinesLimit);

    std::string csv;
    if (command.ExportKind == QLatin1String("files")) {
        std::vector<const TRCSFile*> files;
        files.reserve(table->FileCount());
        for (const auto& f : table->Files())
            files.push_back(&f);
        csv = FilesCsv(files);
    } else {
        std::vector<TRevisionInfo*> revisions;
        revisions.reserve(table->RevisionCount());
        for (auto& f : table->Files())
            for (auto& r : f.Revisions)
                revisions.push_back(&r);
        SortNewestFirst(revisions);
        csv = HistoryCsv(revisions);
    }

    if (command.Output.isEmpty()) {
        if (std::fwrite(csv.data(), 1, csv.size(), out) != csv.size() || std::fflush(out) != 0) {
            Print(err, QStringLiteral("quillon: cannot write the export\n"));
            return 1;
        }
        return 0;
    }
    QSaveFile file(command.Output);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(csv.data(), static_cast<qint64>(csv.size())) != qint64(csv.size()) ||
        !file.commit()) {
        Print(err, QStringLiteral("quillon: cannot write %1: %2\n")
                       .arg(command.Output, file.errorString()));
        return 1;
    }
    return 0;
}

} // namespace quillon
