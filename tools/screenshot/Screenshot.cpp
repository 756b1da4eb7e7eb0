// Builds the program's real main window with a few files in its queue, grabs
// it and writes it as a PNG with the window's rounded outline cut out. Runs
// offscreen unless QT_QPA_PLATFORM says otherwise (to see it under a desktop
// theme), with a private, throw-away home, so the user's settings are never
// read or written.

#include "app/Main.h"
#include "model/QueueModel.h"
#include "support/PrivateHome.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

// A queue as a user would see it in the middle of a run.
void FillQueue(TfrmMain& window)
{
    const QString videos = QStringLiteral("/home/user/Videos/");
    QueueModel& queue = window.queue();
    queue.append(videos + QStringLiteral("holiday-2009.flv"), QStringLiteral("206"));
    queue.setState(0, RowState::Done);
    queue.setConvertedFile(0, QStringLiteral("AVI"));
    queue.append(videos + QStringLiteral("lecture-physics.flv"), QStringLiteral("3541"));
    queue.setState(1, RowState::Converting, 42);
    queue.append(videos + QStringLiteral("garden-party.flv"), QStringLiteral("95"));
    queue.append(videos + QStringLiteral("cartoon.flv"), QStringLiteral("412"));
    window.Edit1->setText(videos + QStringLiteral("cartoon.flv"));
    window.Edit2->setText(videos.chopped(1));
    window.Edit3->setText(videos + QStringLiteral("AVI"));
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    QTextStream err(stderr);
    if (argc != 2 || !home.isValid()) {
        err << "usage: vantrel-screenshot OUTPUT.png\n";
        return 2;
    }
    PointHomeInto(home.path());
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path() + QStringLiteral("/home/.config"));

    TfrmMain window;
    FillQueue(window);
    window.show();
    QApplication::processEvents();

    // Outside the rounded outline the desktop shows through.
    QImage shot = window.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    QImage cut(shot.size(), QImage::Format_ARGB32);
    cut.fill(Qt::transparent);
    {
        QPainter p(&cut);
        p.setClipRegion(window.mask());
        p.drawImage(0, 0, shot);
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    if (!cut.save(path, "PNG")) {
        err << "cannot write " << path << '\n';
        return 1;
    }
    return 0;
}
