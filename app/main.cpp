#include "app/Main.h"
#include "app/instance/MainInstance.h"

#include <QApplication>

int main(int argc, char* argv[])
{
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
