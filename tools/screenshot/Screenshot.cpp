// Builds the program's real main window with a few files in its queue, grabs
// it and writes it as a PNG with the window's rounded outline cut out. Runs
// offscreen unless QT_QPA_PLATFORM says otherwise (to see it under a desktop
// theme), with a private, throw-away home, so the user's settings are never
// read or written. QT_SCALE_FACTOR=2 takes it at twice the size; --dark sets a
// dark desktop palette first, to see that the window keeps its own colours.

#include "app/Main.h"
#include "model/QueueModel.h"
#include "platform/Translations.h"
#include "support/PrivateHome.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
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
    queue.append(videos + QStringLiteral("holiday-2009.flv"), 206);
    queue.setState(0, RowState::Done);
    queue.setConvertedFile(0, QStringLiteral("AVI"));
    queue.append(videos + QStringLiteral("lecture-physics.flv"), 3541);
    queue.setState(1, RowState::Converting, 42);
    queue.append(videos + QStringLiteral("garden-party.flv"), 95);
    queue.setState(2, RowState::Failed);
    queue.setFailureDetail(2, QStringLiteral("ffmpeg ended with code 1: Invalid data found when processing input\n"
                                             "[flv @ 0x55d0] Packet mismatch"));
    queue.append(videos + QStringLiteral("cartoon.flv"), 412);
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
    const bool dark = argc == 3 && qstrcmp(argv[1], "--dark") == 0;
    if (argc != 2 + int(dark) || !home.isValid()) {
        err << "usage: vantrel-screenshot [--dark] OUTPUT.png\n";
        return 2;
    }
    PointHomeInto(home.path());
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));
    // In the language of the environment: LC_ALL=de_DE.UTF-8 shows the German window.
    Translations::Install(app);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, home.path() + QStringLiteral("/home/.config"));
    if (dark) {
        // The colours of a dark desktop theme (Adwaita's dark variant).
        QPalette palette(QColor(0x35, 0x35, 0x35), QColor(0x35, 0x35, 0x35));
        palette.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xec));
        palette.setColor(QPalette::Base, QColor(0x2d, 0x2d, 0x2d));
        palette.setColor(QPalette::Text, Qt::white);
        palette.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xec));
        QApplication::setPalette(palette);
    }

    TfrmMain window;
    FillQueue(window);
    window.show();
    QApplication::processEvents();

    // Outside the rounded outline the desktop shows through.
    QImage shot = window.grab().toImage().convertToFormat(QImage::Format_ARGB32);
    QImage cut(shot.size(), QImage::Format_ARGB32);
    cut.setDevicePixelRatio(shot.devicePixelRatio());
    cut.fill(Qt::transparent);
    {
        QPainter p(&cut);
        p.setClipRegion(window.mask());
        p.drawImage(0, 0, shot);
    }
    const QString path = QString::fromLocal8Bit(argv[argc - 1]);
    if (!cut.save(path, "PNG")) {
        err << "cannot write " << path << '\n';
        return 1;
    }
    return 0;
}
