// Quillon's command line: the folder or saved log to open, or a headless export.
#pragma once

#include "ChartData.h"
#include "CvsPlace.h"

#include <QString>
#include <QStringList>

#include <cstdio>

namespace quillon {

struct TCommandLine {
    enum class TMode { Window, Export, Help, Version, Error };
    TMode Mode = TMode::Window;
    QString Folder;     // the working folder to open (exactly one plain argument)
    QString LogFile;    // --log FILE: a saved `cvs log` output
    QString Root;       // --root CVSROOT: a repository, whose module the plain argument names
    QString Module;     // with Root, the module to read
    QString ExportKind; // "files", "history", "commits" or "chart"
    TChartMode Chart = TChartMode::Commits; // --chart: what the chart export counts
    int Filter = 0;                         // --filter: the filter mode
    QString Author;                         // --author: the author filter, empty for all users
    QString Branch;        // --branch: a branch name or TRUNK; empty for all branches
    bool HasRange = false; // --range FROM..TO given
    QString RangeFrom;     // empty: nothing removed
    QString RangeTo;       // empty: each file's newest revision
    QString Grep;          // --grep: the find text the history keeps to; empty for all
    QString Output;        // -o: the CSV file; standard output when empty or "-"
    int Timeout = 0;       // --timeout: seconds the client may run; 0 for no limit
    QString Error;         // what is wrong with the arguments

    // The folder or the repository's module to read; empty for none.
    TCvsPlace Place() const {
        return Root.isEmpty() ? TCvsPlace::OfFolder(Folder) : TCvsPlace::OfRepository(Root, Module);
    }
};

// Reads the arguments after the program name.
TCommandLine ParseCommandLine(const QStringList& arguments);

QString UsageText();

// The program's name and version, for --version.
QString VersionText();

// Runs an export; returns the process exit status (0 done, 1 input not
// readable, 2 bad arguments or a tag or branch the log does not name, 128 and the signal's number
// when ended by SIGINT, SIGTERM or SIGHUP, which end the client's whole process group too).
// Messages go to err.
int RunExport(const TCommandLine& command, std::FILE* out, std::FILE* err);

} // namespace quillon
