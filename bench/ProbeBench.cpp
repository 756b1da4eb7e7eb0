// probe [--jobs N] DIR: adds every FLV file of DIR through Add Folder's own
// code, N files side by side (else the settings' default), and compares the
// time with running mediainfo alone on the same files, one after another.
#include "BenchCommands.h"
#include "BenchSupport.h"

#include "app/Main.h"
#include "platform/Folders.h"
#include "platform/Prompt.h"
#include "queue/FindFile.h"
#include "model/QueueModel.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

int RunProbeBench(const QStringList& arguments)
{
    QStringList args = arguments;
    int jobs = 0;
    if (args.size() == 3 && args.first() == QLatin1String("--jobs")) {
        bool ok = false;
        jobs = args.at(1).toInt(&ok);
        if (!ok || jobs < 1)
            jobs = -1;
        args = args.mid(2);
    }
    if (args.size() != 1 || jobs < 0) {
        std::fputs("usage: vantrel-bench probe [--jobs N] DIR\n", stderr);
        return 2;
    }
    const QString folder = QFileInfo(args.first()).absoluteFilePath();

    Prompt::Script prompts;
    const auto window = MakeBenchWindow();
    if (jobs > 0)
        window->session().settings().Jobs = jobs;
    const QString mediainfo = window->session().tools().MediaInfoExe;

    QElapsedTimer clock;
    clock.start();
    window->AddFolder(folder);
    while (window->AddingFiles())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const qint64 vantrel = clock.nsecsElapsed();

    const QStringList found = window->FindFile1->Files;
    const QueueModel& queue = window->queue();
    const QStringList queued = queue.PathList();
    // The add's one message, shown once the add has ended.
    QCoreApplication::processEvents();
    const QString shown
        = prompts.shown().empty() ? QString() : prompts.shown().front().text + prompts.shown().front().details;
    // Every file is measured; those passed over are in the message.
    const int probed = static_cast<int>(found.size());
    for (const QString& file : found) {
        const qsizetype row = queued.indexOf(file);
        const QString duration = row >= 0 ? QString::number(queue.seconds(int(row))) : QStringLiteral("-");
        const QString told = row < 0 && shown.contains(file) ? QStringLiteral("told") : QStringLiteral("-");
        printLine(oneLine(Folders::FileNamePart(file)) + QLatin1Char('\t') + duration + QLatin1Char('\t') + told);
    }

    if (mediainfo.isEmpty()) {
        std::fputs("mediainfo is not installed\n", stderr);
        return 1;
    }
    clock.restart();
    for (int i = 0; i < probed; ++i) {
        QProcess alone;
        alone.setStandardOutputFile(QProcess::nullDevice());
        alone.start(mediainfo, {QStringLiteral("--Inform=General;%Duration/String3%"), found.at(i)});
        alone.waitForFinished(-1);
    }
    const qint64 direct = clock.nsecsElapsed();

    const double ratio = direct > 0 ? static_cast<double>(vantrel) / static_cast<double>(direct) : 0.0;
    printLine(QStringLiteral(
                  "probe: %1 files, %2 side by side, vantrel %3 s, mediainfo alone one after another %4 s, ratio %5")
                  .arg(probed)
                  .arg(window->session().settings().jobs())
                  .arg(SecondsText(vantrel), SecondsText(direct), QString::number(ratio, 'f', 2)));
    return 0;
}

// Children of this process still alive (zombies not counted).
int LiveChildren()
{
    int live = 0;
    const QString self = QString::number(QCoreApplication::applicationPid());
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields.at(0) != "Z" && fields.at(1) == self.toLatin1())
            ++live;
    }
    return live;
}

// probe-close [--jobs N] [--after ROWS] DIR: Add Folder on DIR, and once ROWS
// files are queued a Close posted as the user's click is: how long until the
// window takes it, and how long the Close button's clean-up then takes.
int RunProbeCloseBench(const QStringList& arguments)
{
    QStringList args = arguments;
    int jobs = 0;
    int after = 100;
    while (args.size() > 2 && args.first().startsWith(QLatin1String("--"))) {
        (args.first() == QLatin1String("--jobs") ? jobs : after) = args.at(1).toInt();
        args = args.mid(2);
    }
    if (args.size() != 1 || jobs < 0 || after < 0) {
        std::fputs("usage: vantrel-bench probe-close [--jobs N] [--after ROWS] DIR\n", stderr);
        return 2;
    }
    Prompt::Script prompts;
    const auto window = MakeBenchWindow();
    if (jobs > 0)
        window->session().settings().Jobs = jobs;
    window->show();
    window->AddFolder(QFileInfo(args.first()).absoluteFilePath());
    while (window->AddingFiles() && window->queue().count() < after)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (!window->AddingFiles()) {
        std::fputs("the folder was measured before the Close; give more files\n", stderr);
        return 1;
    }
    const QString line = window->MeasuringLine->text();
    QElapsedTimer clock;
    clock.start();
    qint64 taken = -1;
    qint64 cleaned = -1;
    QMetaObject::invokeMethod(
        window.get(),
        [&] {
            taken = clock.nsecsElapsed();
            // What the Close button does before the process ends.
            window->FormDestroy();
            cleaned = clock.nsecsElapsed();
        },
        Qt::QueuedConnection);
    while (cleaned < 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    printLine(QStringLiteral("probe-close: %1 files found, %2 queued, shown \"%3\", %4 side by side; "
                             "Close taken after %5 s, clean-up %6 s, total %7 s; probes left running: %8")
                  .arg(window->FindFile1->Files.size())
                  .arg(window->queue().count())
                  .arg(line)
                  .arg(window->session().settings().jobs())
                  .arg(SecondsText(taken), SecondsText(cleaned - taken), SecondsText(cleaned))
                  .arg(LiveChildren()));
    return 0;
}

// probe-missing N: a later copy's message naming N paths that do not exist,
// as the window takes it: how long until its one message, and how long that is.
int RunProbeMissingBench(const QStringList& arguments)
{
    bool ok = false;
    const int count = arguments.size() == 1 ? arguments.first().toInt(&ok) : 0;
    if (!ok || count < 1) {
        std::fputs("usage: vantrel-bench probe-missing N\n", stderr);
        return 2;
    }
    QStringList paths;
    paths.reserve(count);
    for (int i = 0; i < count; ++i)
        paths << QStringLiteral("/nonexistent/vantrel-bench/%1.flv").arg(i);
    Prompt::Script prompts;
    const auto window = MakeBenchWindow();
    QElapsedTimer clock;
    clock.start();
    // The longest the event loop was held: the window's longest freeze.
    qint64 lastTick = 0;
    qint64 longest = 0;
    QTimer ticks;
    ticks.setInterval(0);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - lastTick);
        lastTick = now;
    });
    ticks.start();
    window->OpenPaths(paths);
    while (prompts.shown().empty())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const qint64 taken = clock.nsecsElapsed();
    const Prompt::Shown& told = prompts.shown().front();
    printLine(QStringLiteral("probe-missing: %1 paths, one message after %2 s, event loop held %7 s at most, "
                             "%3 messages, text %4 lines, details %5 lines (%6 characters)")
                  .arg(count)
                  .arg(SecondsText(taken))
                  .arg(prompts.shown().size())
                  .arg(told.text.count(QLatin1Char('\n')) + 1)
                  .arg(told.details.isEmpty() ? 0 : told.details.count(QLatin1Char('\n')) + 1)
                  .arg(told.details.size())
                  .arg(SecondsText(longest)));
    return 0;
}

const BenchRegistration registration("probe", "probe [--jobs N] DIR", &RunProbeBench);
const BenchRegistration missingRegistration("probe-missing", "probe-missing N", &RunProbeMissingBench);
const BenchRegistration closeRegistration("probe-close", "probe-close [--jobs N] [--after ROWS] DIR",
                                          &RunProbeCloseBench);

} // namespace
