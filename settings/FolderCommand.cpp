#include "FolderCommand.h"

#include "Version.h"

#include <QCoreApplication>
#include <QDir>

#ifdef Q_OS_WIN
#include <QSettings>
#else
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <optional>
#endif

namespace quillon {

QString RunningProgram() {
    return QDir::toNativeSeparators(QCoreApplication::applicationFilePath());
}

#ifdef Q_OS_WIN

namespace {

const QString VerbParentKey = QStringLiteral("HKEY_CLASSES_ROOT\\Folder\\shell");
const QString VerbName = QStringLiteral("Open with Quillon");
const QString CommandKey =
    VerbParentKey + QLatin1Char('\\') + VerbName + QStringLiteral("\\command");
// How QSettings names a registry key's default (unnamed) value.
const QString DefaultValueName = QStringLiteral("Default");
// The folder the shell passes, in quotation marks.
const QString FolderPlaceholder = QStringLiteral(" \"%1\"");

} // namespace

QString FolderCommandLine(const QString& program) {
    return QDir::toNativeSeparators(program) + FolderPlaceholder;
}

bool IsFolderCommandRegistered(const QString& program) {
    const QSettings key(CommandKey, QSettings::NativeFormat);
    const QVariant value = key.value(DefaultValueName);
    return key.status() == QSettings::NoError && value.typeId() == QMetaType::QString &&
           value.toString() == FolderCommandLine(program);
}

bool RegisterFolderCommand(bool enable, const QString& program) {
    if (enable) {
        QSettings key(CommandKey, QSettings::NativeFormat);
        key.setValue(DefaultValueName, FolderCommandLine(program));
        key.sync();
        return key.status() == QSettings::NoError;
    }
    QSettings verbs(VerbParentKey, QSettings::NativeFormat);
    verbs.remove(VerbName); // the verb key with everything below it
    verbs.sync();
    return false;
}

#else

namespace {

const QString EntryFileName = QLatin1String(ProgramId) + QStringLiteral(".OpenFolder.desktop");
// The name earlier versions gave the entry: it still counts, and registering or
// removing the command removes it, so that no folder is offered the command twice.
const QString EarlierEntryFileName = QStringLiteral("quillon-open-folder.desktop");

QString EarlierEntryPath(const QString& entryPath) {
    return QFileInfo(entryPath).dir().filePath(EarlierEntryFileName);
}

const QString ApplicationsFolder = QStringLiteral("applications");
const QString EntryGroup = QStringLiteral("[Desktop Entry]");
const QString ExecKey = QStringLiteral("Exec");
// The field code that stands for the chosen folder's local path.
const QString FolderFieldCode = QStringLiteral(" %f");
const QString EntryText = QStringLiteral("[Desktop Entry]\n"
                                         "Type=Application\n"
                                         "Name=Open with Quillon\n"
                                         "Exec=%1\n"
                                         "Icon=%2\n"
                                         "MimeType=inode/directory;\n"
                                         "NoDisplay=true\n");

// Characters that make an Exec argument need quotation marks.
const QString ReservedCharacters = QStringLiteral(" \t\n\r\"'\\><~|&;$*?#`()");
// Characters that take a backslash inside quotation marks.
const QString QuotedEscapes = QStringLiteral("\"`$\\");

// One Exec argument as the desktop entry format wants it: in quotation marks
// when it holds a reserved character, literal percent signs doubled, and then
// the escapes of a string value applied to the result.
QString ExecArgument(const QString& argument) {
    const bool quote = std::any_of(argument.begin(), argument.end(),
                                   [](QChar c) { return ReservedCharacters.contains(c); });
    QString quoted;
    if (quote)
        quoted += QLatin1Char('"');
    for (const QChar c : argument) {
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        else if (quote && QuotedEscapes.contains(c))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    if (quote)
        quoted += QLatin1Char('"');

    QString value;
    for (const QChar c : quoted) {
        switch (c.unicode()) {
        case '\\':
            value += QStringLiteral("\\\\");
            break;
        case '\n':
            value += QStringLiteral("\\n");
            break;
        case '\t':
            value += QStringLiteral("\\t");
            break;
        case '\r':
            value += QStringLiteral("\\r");
            break;
        default:
            value += c;
        }
    }
    return value;
}

// The user's data folder: $XDG_DATA_HOME when it holds an absolute path, the
// platform's default (~/.local/share) otherwise.
QString DataHome() {
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return xdg;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

// The Exec value of the entry's main group, or none.
std::optional<QString> ReadExec(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    bool inMainGroup = false;
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == EntryGroup;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (inMainGroup && equals > 0 && line.left(equals).trimmed() == ExecKey) {
            QString value = line.mid(equals + 1);
            while (value.startsWith(QLatin1Char(' ')))
                value.remove(0, 1);
            return value;
        }
    }
    return std::nullopt;
}

} // namespace

QString FolderCommandLine(const QString& program) {
    return ExecArgument(program) + FolderFieldCode;
}

QString FolderCommandEntryPath() {
    const QString home = DataHome();
    if (home.isEmpty())
        return {};
    return QDir(home).filePath(ApplicationsFolder + QLatin1Char('/') + EntryFileName);
}

bool IsFolderCommandRegistered(const QString& program) {
    const QString path = FolderCommandEntryPath();
    if (path.isEmpty())
        return false;
    const QString line = FolderCommandLine(program);
    return ReadExec(path) == line || ReadExec(EarlierEntryPath(path)) == line;
}

bool RegisterFolderCommand(bool enable, const QString& program) {
    const QString path = FolderCommandEntryPath();
    if (path.isEmpty())
        return false;
    QFile::remove(EarlierEntryPath(path));
    if (!enable) {
        QFile::remove(path);
        return false;
    }
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(EntryText.arg(FolderCommandLine(program), QLatin1String(ProgramId)).toUtf8());
    return file.commit();
}

#endif

} // namespace quillon
