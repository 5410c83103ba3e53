#include "CvsPlace.h"

#include "NativePath.h"
#include "RepositoryNames.h"

#include <QDir>

namespace quillon {

namespace {

const QString RootOption = QStringLiteral("-d");
const QString RevisionOption = QStringLiteral("-r");
const QString ToStandardOutput = QStringLiteral("-p");
const QString EndOfOptions = QStringLiteral("--");
const QString RepositoryName = QStringLiteral("%1 (%2)");
const QString FolderKey = QStringLiteral("folder:%1");
const QString RepositoryKey = QStringLiteral("root:%1\nmodule:%2");

} // namespace

QStringList TCvsPlace::Arguments(const QStringList& command) const {
    return IsRepository() ? QStringList{RootOption, Root} + command : command;
}

QString TCvsPlace::RunFolder() const {
    return IsRepository() ? QDir::tempPath() : Folder;
}

QStringList TCvsPlace::LogArguments() const {
    return IsRepository() ? QStringList{QStringLiteral("rlog"), Module}
                          : QStringList{QStringLiteral("log")};
}

QString TCvsPlace::RepositoryFile(const QString& file) const {
    if (!IsRepository())
        return file;
    QString module = Module;
    while (module.endsWith(QLatin1Char('/')))
        module.chop(1);
    return module + QLatin1Char('/') + file;
}

QStringList TCvsPlace::ShowFileArguments(const QString& file, const QString& revision) const {
    const QString command = IsRepository() ? QStringLiteral("checkout") : QStringLiteral("update");
    return {command,  ToStandardOutput, RevisionOption,
            revision, EndOfOptions,     RepositoryFile(file)};
}

QStringList TCvsPlace::AnnotateArguments(const QString& file, const QString& revision) const {
    const QString command =
        IsRepository() ? QStringLiteral("rannotate") : QStringLiteral("annotate");
    return {command,  QStringLiteral("-F"), RevisionOption,
            revision, EndOfOptions,         RepositoryFile(file)};
}

QString TCvsPlace::RepositoryPath() const {
    QString rest = Root;
    // ":method:" or ":method;option=value:" before the rest.
    if (rest.startsWith(QLatin1Char(':'))) {
        const qsizetype close = rest.indexOf(QLatin1Char(':'), 1);
        rest = close < 0 ? QString() : rest.mid(close + 1);
    }
    // "[user@]host[:[port]]" before the path, which starts at its first slash.
    const bool drive = rest.size() > 2 && rest[0].isLetter() && rest[1] == QLatin1Char(':') &&
                       (rest[2] == QLatin1Char('/') || rest[2] == QLatin1Char('\\'));
    if (!drive && !rest.startsWith(QLatin1Char('/'))) {
        const qsizetype slash = rest.indexOf(QLatin1Char('/'));
        rest = slash < 0 ? QString() : rest.mid(slash);
    }
    while (rest.size() > 1 && rest.endsWith(QLatin1Char('/')))
        rest.chop(1);
    return rest;
}

QString TCvsPlace::RootWithoutPassword() const {
    // "[user[:password]@]host" stands between the method and the path's first
    // slash.
    const qsizetype start =
        Root.startsWith(QLatin1Char(':')) ? Root.indexOf(QLatin1Char(':'), 1) + 1 : 0;
    if (start < 0 || (start == 0 && Root.startsWith(QLatin1Char('/'))))
        return Root;
    const qsizetype slash = Root.indexOf(QLatin1Char('/'), start);
    const qsizetype at = Root.lastIndexOf(QLatin1Char('@'), slash < 0 ? -1 : slash);
    if (at < start)
        return Root;
    const qsizetype colon = Root.indexOf(QLatin1Char(':'), start);
    if (colon < 0 || colon > at)
        return Root;
    return Root.left(colon) + Root.mid(at);
}

QString TCvsPlace::DisplayName() const {
    return IsRepository() ? RepositoryName.arg(Module, RootWithoutPassword()) : Folder;
}

QString TCvsPlace::Key() const {
    return IsRepository() ? RepositoryKey.arg(RootWithoutPassword(), Module)
                          : FolderKey.arg(Folder);
}

void NameRepositoryFiles(TRCSFileTable& table, const TCvsPlace& place) {
    if (!place.IsRepository())
        return;
    // The client names the RCS files by the system's bytes.
    const QByteArray path = EncodePath(place.RepositoryPath());
    const QByteArray module = EncodePath(place.Module);
    NameRepositoryFiles(table, std::string_view(path.constData(), path.size()),
                        std::string_view(module.constData(), module.size()));
}

} // namespace quillon
