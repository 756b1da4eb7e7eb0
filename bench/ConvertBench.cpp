// convert [--profile divx|xvid] DIR... OUT: queues every FLV file of each DIR,
// in the order given, through Add Folder, picks OUT as the work folder through
// Browse, presses the profile's button and waits for the run to end; then runs
// the same ffmpeg argument lists alone, one after another, and compares the times.
#include "BenchCommands.h"
#include "BenchSupport.h"

#include "app/Main.h"
#include "platform/CommandLine.h"
#include "engine/ConversionRun.h"
#include "platform/Folders.h"
#include "platform/Prompt.h"
#include "model/QueueModel.h"

#include <QDir>
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
    std::fputs("usage: vantrel-bench convert [--profile divx|xvid] DIR... OUT\n", stderr);
    return 2;
}

int RunConvertBench(const QStringList& arguments)
{
    QStringList args = arguments;
    bool xvid = false;
    if (args.size() >= 2 && args.first() == QLatin1String("--profile")) {
        if (args.at(1) != QLatin1String("divx") && args.at(1) != QLatin1String("xvid"))
            return Usage();
        xvid = args.at(1) == QLatin1String("xvid");
        args = args.mid(2);
    }
    if (args.size() < 2)
        return Usage();
    const QString out = QFileInfo(args.takeLast()).absoluteFilePath();
    QDir().mkpath(out);

    Prompt::Script prompts;
    const auto window = MakeBenchWindow();
    for (const QString& folder : args)
        window->AddFolder(QFileInfo(folder).absoluteFilePath());
    prompts.answerFolder(out);
    window->Button3Click();
    PrintShown(prompts);

    // What each started row ran, to run it again without the program.
    std::map<int, std::pair<QString, QString>> started; // row -> (target, arguments)
    std::map<int, QString> partials;                    // row -> ffmpeg's temporary output
    ConversionRun& run = window->conversion();
    QObject::connect(&run, &ConversionRun::rowStarted, [&](int row) {
        started[row] = {window->state().TargetFile, window->state().FfmpegArgs};
        partials[row] = run.partialFile();
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
        printLine(oneLine(Folders::FileNamePart(queue.path(row))) + QLatin1Char('\t') + queue.progress(row) +
                  QLatin1Char('\t') + queue.convertedFile(row) + QLatin1Char('\t') + target);
    }

    const QString ffmpeg = window->state().FfmpegExe;
    clock.restart();
    for (const auto& [row, what] : started) {
        QProcess alone;
        alone.setStandardInputFile(QProcess::nullDevice());
        alone.setStandardOutputFile(QProcess::nullDevice());
        alone.setStandardErrorFile(QProcess::nullDevice());
        alone.start(ffmpeg, CommandLine::Split(what.second));
        alone.waitForFinished(-1);
    }
    const qint64 direct = clock.nsecsElapsed();
    // ffmpeg alone wrote the run's temporary names; they are not outputs.
    for (const auto& [row, partial] : partials)
        QFile::remove(partial);

    const double ratio = !started.empty() && direct > 0 ? static_cast<double>(vantrel) / static_cast<double>(direct) : 0.0;
    printLine(QStringLiteral("convert: %1 files, vantrel %2 s, ffmpeg alone %3 s, ratio %4")
                  .arg(started.size())
                  .arg(SecondsText(vantrel), SecondsText(direct), QString::number(ratio, 'f', 3)));
    if (const int pending = PendingRows(queue); pending > 0) {
        std::fprintf(stderr, "convert: the run stopped with %d rows still Pending\n", pending);
        return 1;
    }
    return 0;
}

const BenchRegistration registration("convert", "convert [--profile divx|xvid] DIR... OUT", &RunConvertBench);

} // namespace
