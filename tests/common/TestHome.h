// A temporary home for the tests of the Options dialog and the folder command:
// the settings store and the user's data folder ($XDG_DATA_HOME) both live in
// a temporary folder while the object exists.
#pragma once

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace quillon::test {

// The whole content of a file, or nothing when it cannot be read.
inline QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class TTestHome {
public:
    TTestHome()
        : OldDataHome(qgetenv("XDG_DATA_HOME")),
          HadDataHome(qEnvironmentVariableIsSet("XDG_DATA_HOME")) {
        qputenv("XDG_DATA_HOME", DataHome().toLocal8Bit());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, ConfigHome());
    }
    ~TTestHome() {
        if (HadDataHome)
            qputenv("XDG_DATA_HOME", OldDataHome);
        else
            qunsetenv("XDG_DATA_HOME");
    }
    TTestHome(const TTestHome&) = delete;
    TTestHome& operator=(const TTestHome&) = delete;

    bool IsValid() const { return Dir.isValid(); }
    QString Path(const QString& relative) const { return Dir.filePath(relative); }
    QString DataHome() const { return Dir.filePath(QStringLiteral("data")); }
    QString ConfigHome() const { return Dir.filePath(QStringLiteral("config")); }
    // Where the folder command's desktop entry belongs.
    QString EntryPath() const {
        return DataHome() + QStringLiteral("/applications/org.example.quillon.OpenFolder.desktop");
    }
    // The file of the settings store.
    QString StorePath() const { return ConfigHome() + QStringLiteral("/Tevrin/Quillon.conf"); }

private:
    QTemporaryDir Dir;
    QByteArray OldDataHome;
    bool HadDataHome;
};

} // namespace quillon::test
