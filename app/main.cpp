#include "app/ConsoleFrontEnd.h"
#include "app/ConsoleOptions.h"
#include "app/Main.h"
#include "app/instance/MainInstance.h"

#include <QApplication>
#include <QCoreApplication>

namespace {

// The command line as the application object would give it, before there is one.
QStringList Arguments(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace

int main(int argc, char* argv[])
{
    // The front end needs no display: it never connects to the window system.
    const QStringList arguments = Arguments(argc, argv);
    if (ConsoleOptions::Wanted(arguments)) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Vantrel"));
        ConsoleFrontEnd frontEnd(ConsoleOptions::Parse(arguments));
        return frontEnd.exec();
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vantrel"));
    // Only the program itself may end its process when another copy runs.
    TMainInstance::setEnabled(true);
    TfrmMain frmMain;
    frmMain.show();
    // Files and folders given (Open With, a file manager's drop on the icon).
    frmMain.OpenPaths(TMainInstance::GivenPaths(QCoreApplication::arguments().mid(1)));
    return app.exec();
}
