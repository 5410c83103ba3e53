#include "Application.h"
#include "CommandLine.h"
#include "NativePath.h"
#include "SignalWatcher.h"
#include "Windows.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(quillon::DecodePath(argv[i]));
    const auto command = quillon::ParseCommandLine(arguments);
    using TMode = quillon::TCommandLine::TMode;
    switch (command.Mode) {
    case TMode::Help:
        std::fputs(quillon::UsageText().toLocal8Bit().constData(), stdout);
        return 0;
    case TMode::Version:
        std::fputs(quillon::VersionText().toLocal8Bit().constData(), stdout);
        return 0;
    case TMode::Error:
        std::fprintf(stderr, "quillon: %s\n\n%s", command.Error.toLocal8Bit().constData(),
                     quillon::UsageText().toLocal8Bit().constData());
        return 2;
    case TMode::Export: {
        QCoreApplication app(argc, argv);
        return quillon::RunExport(command, stdout, stderr);
    }
    case TMode::Window:
        break;
    }
    quillon::TApplication app(argc, argv);
    quillon::TWindows windows;
    QObject::connect(&app, &quillon::TApplication::errorRaised, &windows.frmMain,
                     &quillon::TfrmMain::ShowStatus);
    // Ended by a signal, the window closes, which ends a running client, and
    // the windows' end takes the client's whole process group with them.
    quillon::TSignalWatcher watcher({SIGINT, SIGTERM, SIGHUP});
    QObject::connect(&watcher, &quillon::TSignalWatcher::caught, &app, [&](int signalNumber) {
        windows.frmMain.close();
        app.exit(quillon::TSignalWatcher::ExitStatus(signalNumber));
    });
    windows.frmMain.SetStartPlace(command.Place());
    windows.frmMain.SetStartLogFile(command.LogFile);
    windows.frmMain.show();
    windows.frmMain.activateWindow();
    return app.exec();
}
