// skin [ROUNDS]: the skinned window's costs. Building and first painting the
// whole window, cutting each button's shape from its idle picture (with the
// row-run cut the button uses, and with one subtraction per key pixel for
// comparison), and redrawing a button on each hover change. Ends with the
// process's resident memory.
#include "BenchCommands.h"
#include "BenchSupport.h"

#include "app/Main.h"
#include "controls/EzRgnBtn.h"
#include "controls/Skin.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QFile>
#include <QRegion>

#include <cstdio>

namespace {

QString micros(qint64 nanoseconds, int count)
{
    return QString::number(static_cast<double>(nanoseconds) / 1e3 / count, 'f', 1);
}

// The shape the plain way: one one-pixel subtraction per key-coloured pixel.
QRegion PixelByPixelShape(const QImage& picture)
{
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = image.pixel(0, 0);
    QRegion region(image.rect());
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixel(x, y) == key)
                region -= QRegion(x, y, 1, 1);
    return region;
}

QString memoryLine()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return QStringLiteral("memory: unknown");
    QStringList parts;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:") || line.startsWith("VmHWM:"))
            parts << QString::fromLatin1(line.simplified());
    return QStringLiteral("memory: ") + parts.join(QStringLiteral(", "));
}

int RunSkinBench(const QStringList& arguments)
{
    const int rounds = arguments.isEmpty() ? 20 : arguments.first().toInt();
    if (rounds <= 0) {
        std::fputs("usage: vantrel-bench skin [ROUNDS]\n", stderr);
        return 2;
    }

    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < rounds; ++i) {
        const auto window = MakeBenchWindow();
        window->show();
        QCoreApplication::processEvents();
        (void)window->grab();
    }
    printLine(QStringLiteral("window: build, show and first paint %1 ms each (%2 rounds)")
                  .arg(QString::number(static_cast<double>(clock.nsecsElapsed()) / 1e6 / rounds, 'f', 2))
                  .arg(rounds));

    const int cuts = 200;
    for (const char* name : {"minimize-idle", "close-idle", "divx-idle", "xvid-idle", "background"}) {
        const QImage picture = Skin::Picture(QLatin1String(name));
        clock.restart();
        QRegion runs;
        for (int i = 0; i < cuts; ++i)
            runs = KeyColourShape(picture);
        const qint64 byRuns = clock.nsecsElapsed();
        clock.restart();
        QRegion pixels;
        for (int i = 0; i < cuts; ++i)
            pixels = PixelByPixelShape(picture);
        const qint64 byPixels = clock.nsecsElapsed();
        printLine(QStringLiteral("shape %1 (%2x%3): row runs %4 us, pixel by pixel %5 us, same region: %6")
                      .arg(QLatin1String(name))
                      .arg(picture.width())
                      .arg(picture.height())
                      .arg(micros(byRuns, cuts), micros(byPixels, cuts),
                           runs == pixels ? QStringLiteral("yes") : QStringLiteral("NO")));
    }

    const auto window = MakeBenchWindow();
    window->show();
    QCoreApplication::processEvents();
    TEzRgnBtn* button = window->EzRgnBtn3;
    const int changes = 2000;
    clock.restart();
    for (int i = 0; i < changes; ++i) {
        if (i % 2 == 0) {
            QEnterEvent enter(QPointF(20, 20), QPointF(20, 20), button->mapToGlobal(QPointF(20, 20)));
            QCoreApplication::sendEvent(button, &enter);
        } else {
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(button, &leave);
        }
    }
    printLine(QStringLiteral("hover change with immediate redraw: %1 us each (%2 changes)")
                  .arg(micros(clock.nsecsElapsed(), changes))
                  .arg(changes));
    printLine(memoryLine());
    return 0;
}

const BenchRegistration registration("skin", "skin [ROUNDS]", &RunSkinBench);

} // namespace
