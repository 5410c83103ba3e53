#include "Settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QThreadPool>

#include <utility>

namespace quillon {

namespace {

// A string value, or none when the value is missing or not a string.
std::optional<QString> ReadString(QSettings& store, const QString& name) {
    const QVariant value = store.value(name);
    if (!value.isValid())
        return QString();
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

// A number value, or none when the value is missing or not a number.
std::optional<int> ReadNumber(QSettings& store, const QString& name) {
    const QVariant value = store.value(name);
    if (!value.isValid())
        return std::nullopt;
    bool ok = false;
    int number = 0;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        number = static_cast<int>(value.toLongLong(&ok));
        break;
    case QMetaType::QString:
        number = value.toString().trimmed().toInt(&ok);
        break;
    default:
        break;
    }
    return ok ? std::optional<int>(number) : std::nullopt;
}

QThreadPool& SettingsWriter() {
    static QThreadPool* const pool = [] {
        static QThreadPool thread;
        thread.setMaxThreadCount(1); // the writes are made in order
        qAddPostRoutine([] { thread.waitForDone(); });
        return &thread;
    }();
    return *pool;
}

} // namespace

void WriteSettingsAside(std::function<void(QSettings&)> write) {
    SettingsWriter().start([write = std::move(write)] { write(*OpenSettingsStore()); });
}

void WaitForSettingsWritten() {
    SettingsWriter().waitForDone();
}

std::unique_ptr<QSettings> OpenSettingsStore() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QString::fromLatin1(SettingsOrganization),
                                       QString::fromLatin1(SettingsApplication));
}

void LoadSettings(TSettings& s, QSettings& store) {
    if (auto path = ReadString(store, QStringLiteral("CVSPath")))
        s.CVSPath = *path;
    if (s.CVSPath.isEmpty())
        s.CVSPath = DefaultCVSPath;
    const QFileInfo path(s.CVSPath);
    if (path.isFile())
        s.CVSPath = QDir::toNativeSeparators(path.path());
    s.LinesLimit = ReadNumber(store, QStringLiteral("LinesLimit")).value_or(DefaultLinesLimit);
    if (auto on = ReadNumber(store, QStringLiteral("DoInclude")))
        s.DoInclude = *on != 0;
    if (auto on = ReadNumber(store, QStringLiteral("DoExclude")))
        s.DoExclude = *on != 0;
    if (auto masks = ReadString(store, QStringLiteral("Include")))
        s.Include = *masks;
    if (auto masks = ReadString(store, QStringLiteral("Exclude")))
        s.Exclude = *masks;
    s.KeepCache = ReadNumber(store, QStringLiteral("KeepCache")).value_or(DefaultKeepCache) != 0;
}

bool SaveSettings(const TSettings& s, QSettings& store) {
    const std::pair<QString, QVariant> values[] = {
        {QStringLiteral("CVSPath"), s.CVSPath},
        {QStringLiteral("LinesLimit"), s.LinesLimit},
        {QStringLiteral("DoInclude"), s.DoInclude ? 1 : 0},
        {QStringLiteral("DoExclude"), s.DoExclude ? 1 : 0},
        {QStringLiteral("Include"), s.Include},
        {QStringLiteral("Exclude"), s.Exclude},
        {QStringLiteral("KeepCache"), s.KeepCache ? 1 : 0},
    };
    for (const auto& [name, value] : values)
        store.setValue(name, value);
    store.sync();
    if (store.status() == QSettings::NoError)
        return true;
    if (store.status() != QSettings::FormatError)
        return false;
    // A store whose file could not be parsed keeps reporting that even after
    // the file has been written anew: read the values back from a fresh store.
    const QSettings written(store.fileName(), store.format());
    if (written.status() != QSettings::NoError)
        return false;
    for (const auto& [name, value] : values)
        if (written.value(name).toString() != value.toString())
            return false;
    return true;
}

} // namespace quillon
