// convert [--profile divx|xvid] [--jobs N] [--trace] DIR... OUT: queues every
// FLV file of each DIR, in the order given, through Add Folder, picks OUT as
// the work folder through Browse, presses the profile's button and waits for
// the run to end; then runs the same ffmpeg argument lists alone, one after
// another, and compares the times. --jobs sets how many files go side by side
// (else the settings' default); --trace adds to each row's line the distinct
// Progress texts the row showed, in order.
#include "BenchCommands.h"
#include "BenchSupport.h"

#include "app/Main.h"
#include "engine/ConversionProfile.h"
#include "engine/ConversionRun.h"
#include "platform/Folders.h"
#include "platform/Prompt.h"
#include "model/QueueModel.h"

#include <QDir>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cstdio>
#include <map>

namespace {

int PendingRows(const QueueModel& queue)
{
    int pending = 0;
    for (int row = 0; row < queue.count(); ++row)
        pending += queue.state(row) == RowState::Pending ? 1 : 0;
    return pending;
}

void PrintShown(Prompt::Script& prompts)
{
    for (const Prompt::Shown& shown : prompts.shown())
        if (shown.kind == Prompt::Kind::Message || shown.kind == Prompt::Kind::Error)
            std::fprintf(stderr, "shown: %s\n", oneLine(shown.text).toUtf8().constData());
    prompts.clear();
}

int Usage()
{
    std::fputs("usage: vantrel-bench convert [--profile divx|xvid] [--jobs N] [--trace] DIR... OUT\n", stderr);
    return 2;
}

int RunConvertBench(const QStringList& arguments)
{
    QStringList args = arguments;
    bool xvid = false;
    bool trace = false;
    int jobs = 0;
    while (!args.isEmpty() && args.first().startsWith(QLatin1String("--"))) {
        const QString option = args.takeFirst();
        if (option == QLatin1String("--trace")) {
            trace = true;
        } else if (option == QLatin1String("--profile") && !args.isEmpty()) {
            const QString profile = args.takeFirst();
            if (profile != QLatin1String("divx") && profile != QLatin1String("xvid"))
                return Usage();
            xvid = profile == QLatin1String("xvid");
        } else if (option == QLatin1String("--jobs") && !args.isEmpty()) {
            bool ok = false;
            jobs = args.takeFirst().toInt(&ok);
            if (!ok || jobs < 1)
                return Usage();
        } else {
            return Usage();
        }
    }
    if (args.size() < 2)
        return Usage();
    const QString out = QFileInfo(args.takeLast()).absoluteFilePath();
    QDir().mkpath(out);

    Prompt::Script prompts;
    const auto window = MakeBenchWindow();
    if (jobs > 0)
        window->session().settings().Jobs = jobs;
    for (const QString& folder : args)
        window->AddFolder(QFileInfo(folder).absoluteFilePath());
    while (window->AddingFiles())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    prompts.answerFolder(out);
    window->Button3Click();
    PrintShown(prompts);

    // What each started row ran, to run it again without the program.
    std::map<int, std::pair<QString, QStringList>> started; // row -> (target, arguments)
    ConversionRun& run = window->conversion();
    QObject::connect(&run, &ConversionRun::rowStarted, [&](quint64 id) {
        const int row = window->queue().rowOf(id);
        const QString target = window->queue().output(row);
        started[row] = {target, ConversionProfiles::FfmpegArguments(run.profile(), window->queue().path(row), target)};
    });
    // Each row's Progress texts as they change.
    std::map<int, QStringList> shown;
    const QueueModel& rows = window->queue();
    QObject::connect(&rows, &QueueModel::dataChanged, [&](const QModelIndex& from, const QModelIndex& to) {
        for (int row = from.row(); row <= to.row(); ++row) {
            QStringList& texts = shown[row];
            if (texts.isEmpty() || texts.constLast() != rows.progress(row))
                texts << rows.progress(row);
        }
    });
    // The run ends when no row is left to start, or when the next cannot start.
    QEventLoop loop;
    bool ended = false;
    QObject::connect(&run, &ConversionRun::runEnded, &loop, [&] {
        ended = true;
        loop.quit();
    });

    QElapsedTimer clock;
    clock.start();
    if (xvid)
        window->EzRgnBtn4Click();
    else
        window->EzRgnBtn3Click();
    if (!ended)
        loop.exec();
    const qint64 vantrel = clock.nsecsElapsed();
    PrintShown(prompts);

    const QueueModel& queue = window->queue();
    for (int row = 0; row < queue.count(); ++row) {
        const auto it = started.find(row);
        const QString target = it != started.end() ? it->second.first : QStringLiteral("-");
        QString line = oneLine(Folders::FileNamePart(queue.path(row))) + QLatin1Char('\t') + queue.progress(row)
                       + QLatin1Char('\t') + queue.convertedFile(row) + QLatin1Char('\t') + target;
        if (trace)
            line += QLatin1Char('\t') + shown[row].join(QLatin1Char('\t'));
        printLine(line);
    }

    const QString ffmpeg = window->session().tools().FfmpegExe;
    clock.restart();
    for (const auto& [row, what] : started) {
        QProcess alone;
        alone.setStandardInputFile(QProcess::nullDevice());
        alone.setStandardOutputFile(QProcess::nullDevice());
        alone.setStandardErrorFile(QProcess::nullDevice());
        // The run's ffmpeg wrote through a descriptor of its own; this one writes a scratch file.
        QStringList arguments = what.second;
        const QString scratch = out + QStringLiteral("/.bench-%1.avi").arg(row);
        arguments.last() = scratch;
        alone.start(ffmpeg, arguments);
        alone.waitForFinished(-1);
        QFile::remove(scratch);
    }
    const qint64 direct = clock.nsecsElapsed();

    const double ratio
        = !started.empty() && direct > 0 ? static_cast<double>(vantrel) / static_cast<double>(direct) : 0.0;
    printLine(QStringLiteral(
                  "convert: %1 files, %2 side by side, vantrel %3 s, ffmpeg alone one after another %4 s, ratio %5")
                  .arg(started.size())
                  .arg(window->session().settings().jobs())
                  .arg(SecondsText(vantrel), SecondsText(direct), QString::number(ratio, 'f', 3)));
    if (const int pending = PendingRows(queue); pending > 0) {
        std::fprintf(stderr, "convert: the run stopped with %d rows still Pending\n", pending);
        return 1;
    }
    return 0;
}

const BenchRegistration registration("convert", "convert [--profile divx|xvid] [--jobs N] [--trace] DIR... OUT",
                                     &RunConvertBench);

} // namespace
