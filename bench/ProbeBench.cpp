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

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

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
        window->state().Jobs = jobs;
    const QString mediainfo = window->state().MediaInfoExe;

    QElapsedTimer clock;
    clock.start();
    window->AddFolder(folder);
    const qint64 vantrel = clock.nsecsElapsed();

    const QStringList found = window->FindFile1->Files;
    const QueueModel& queue = window->queue();
    QString shown = QStringLiteral("-");
    if (!prompts.shown().empty())
        shown = oneLine(prompts.shown().front().text);
    // Add Folder stops at the first file it refuses; that one was probed too.
    const int probed = std::min<int>(found.size(), queue.count() + (shown == QLatin1String("-") ? 0 : 1));
    for (int i = 0; i < found.size(); ++i) {
        const QString duration = i < queue.count() ? queue.duration(i) : QStringLiteral("-");
        const QString message = i == queue.count() ? shown : QStringLiteral("-");
        printLine(oneLine(Folders::FileNamePart(found.at(i))) + QLatin1Char('\t') + duration + QLatin1Char('\t') +
                  message);
    }
    if (found.isEmpty() && shown != QLatin1String("-"))
        printLine(QStringLiteral("-\t-\t") + shown);

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
    printLine(QStringLiteral("probe: %1 files, %2 side by side, vantrel %3 s, mediainfo alone one after another %4 s, ratio %5")
                  .arg(probed)
                  .arg(window->state().jobs())
                  .arg(SecondsText(vantrel), SecondsText(direct), QString::number(ratio, 'f', 2)));
    return 0;
}

const BenchRegistration registration("probe", "probe [--jobs N] DIR", &RunProbeBench);

} // namespace
