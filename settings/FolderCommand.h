// The "Open with Quillon" command that file managers offer on folders.
//
// On Windows it is the shell verb HKEY_CLASSES_ROOT\Folder\shell\Open with
// Quillon, whose command is the program file's path followed by " "%1"". On
// other systems it is a desktop entry for folders named after the program's
// id, org.example.quillon.OpenFolder.desktop, in the user's applications
// folder ($XDG_DATA_HOME/applications), whose Exec line runs the program file
// with the folder.
#pragma once

#include <QString>

namespace quillon {

// The full path of the running program file.
QString RunningProgram();

// The command line that registers program for folders, as stored: the shell
// command on Windows, the Exec value of the desktop entry elsewhere.
QString FolderCommandLine(const QString& program);

#ifndef Q_OS_WIN
// The desktop entry file of the folder command.
QString FolderCommandEntryPath();
#endif

// True when the command exists and runs program.
bool IsFolderCommandRegistered(const QString& program = RunningProgram());

// Writes the command for program when enable is set, removes it otherwise.
// True only when the command has been written; a missing command to remove is
// no error. Shows no message.
bool RegisterFolderCommand(bool enable, const QString& program = RunningProgram());

} // namespace quillon
