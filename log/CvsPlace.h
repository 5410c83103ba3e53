// Where a history is read and its commands run: a working folder, or a module
// of a repository read without one.
#pragma once

#include "RevisionModel.h"

#include <QString>
#include <QStringList>

namespace quillon {

struct TCvsPlace {
    QString Folder; // the working folder; empty for a repository
    QString Root;   // the CVSROOT of a repository, passed to the client untouched
    QString Module; // the module of Root

    static TCvsPlace OfFolder(const QString& folder) { return {folder, {}, {}}; }
    static TCvsPlace OfRepository(const QString& root, const QString& module) {
        return {{}, root, module};
    }

    bool IsRepository() const { return !Root.isEmpty(); }
    bool IsEmpty() const { return Folder.isEmpty() && Root.isEmpty(); }
    bool operator==(const TCvsPlace&) const = default;

    // The client's arguments for command here: "-d ROOT" before it for a
    // repository, command alone for a folder.
    QStringList Arguments(const QStringList& command) const;
    // The folder the client runs in: the working folder, or for a repository
    // the system's temporary folder, where no working folder's files matter.
    QString RunFolder() const;
    // The commands below are given without "-d ROOT": Arguments adds it.
    //
    // The command of the history: "log", or "rlog MODULE".
    QStringList LogArguments() const;
    // A file of the history as the repository's commands name it: MODULE/FILE
    // for a repository, FILE for a folder.
    QString RepositoryFile(const QString& file) const;
    // The command that writes a revision of a file to standard output:
    // "update -p -r REV -- FILE" in a folder, "checkout -p -r REV --
    // MODULE/FILE" for a repository.
    QStringList ShowFileArguments(const QString& file, const QString& revision) const;
    // The command of the annotated revision of a file: "annotate -F -r REV
    // -- FILE", or "rannotate -F -r REV -- MODULE/FILE".
    QStringList AnnotateArguments(const QString& file, const QString& revision) const;

    // The path of the repository on its host: the root after its method and
    // host ("/cvs" of ":pserver:me@host:2401/cvs"); without trailing slashes.
    QString RepositoryPath() const;
    // The root without a password given in it (":pserver:me:secret@host:/cvs"
    // gives ":pserver:me@host:/cvs"): what may be kept or shown.
    QString RootWithoutPassword() const;
    // What the window's title and the status name: the folder, or
    // "MODULE (ROOT)".
    QString DisplayName() const;
    // One text for each place, never the same for two: a key to keep things
    // of the place under; it holds no password.
    QString Key() const;
};

// Names the files of an `rlog` output of place's module by their RCS paths;
// leaves the table of a folder's log as it is.
void NameRepositoryFiles(TRCSFileTable& table, const TCvsPlace& place);

} // namespace quillon
