// peer [--profile divx|xvid] [--jobs N] [--runs N] [--by-hand] DIR: the same
// folder converted by Vantrel's front end and by what a user would otherwise
// type, `xargs -P N` of ffmpeg with the very argument lists Vantrel gives it,
// in alternation; prints each run, the medians and ranges of wall and CPU time
// of each whole process tree, and their ratios. With --by-hand the xargs line
// deinterlaces every frame, as the classic command line (-deinterlace, today
// -vf yadif) does, so the ratio shows what the converter saves a user.
#include "BenchCommands.h"
#include "BenchSupport.h"
#include "TimedRun.h"

#include "engine/ConversionProfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cstdio>

namespace {

int Usage()
{
    std::fputs("usage: vantrel-bench peer [--profile divx|xvid] [--jobs N] [--runs N] [--by-hand] DIR\n", stderr);
    return 2;
}

// A fresh, empty folder, so neither side ever meets the other's or its own earlier outputs.
QString EmptyFolder(const QString& path)
{
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

struct Side
{
    const char* name;
    QStringList command;
    QString outputs;
    std::vector<double> wall, cpu;
    int failures = 0;
};

int RunPeerBench(const QStringList& arguments)
{
    QStringList args = arguments;
    ConversionProfile profile = ConversionProfile::DivxAvi;
    int jobs = QThread::idealThreadCount();
    int runs = 5;
    bool byHand = false;
    while (!args.isEmpty() && args.first().startsWith(QLatin1String("--"))) {
        const QString option = args.takeFirst();
        if (option == QLatin1String("--by-hand")) {
            byHand = true;
            continue;
        }
        if (args.isEmpty())
            return Usage();
        const QString value = args.takeFirst();
        bool ok = true;
        if (option == QLatin1String("--profile") && (value == QLatin1String("divx") || value == QLatin1String("xvid")))
            profile = value == QLatin1String("xvid") ? ConversionProfile::XvidAvi : ConversionProfile::DivxAvi;
        else if (option == QLatin1String("--jobs"))
            jobs = value.toInt(&ok);
        else if (option == QLatin1String("--runs"))
            runs = value.toInt(&ok);
        else
            return Usage();
        if (!ok || jobs < 1 || runs < 1)
            return Usage();
    }
    if (args.size() != 1)
        return Usage();
    const QDir folder(QFileInfo(args.first()).absoluteFilePath());
    const QStringList names = folder.entryList({QStringLiteral("*.flv")}, QDir::Files, QDir::Name);
    if (names.isEmpty()) {
        std::fprintf(stderr, "peer: no FLV file in %s\n", qPrintable(folder.path()));
        return 2;
    }
    const QString root = QDir(QDir::tempPath()).filePath(QStringLiteral("peer-bench"));

    // Every file's list has as many arguments, so xargs takes them as fixed groups.
    Side peer{"xargs", {}, root + QStringLiteral("/xargs-out"), {}, {}};
    const QString listFile = root + QStringLiteral("/arguments");
    QDir().mkpath(root);
    QFile list(listFile);
    if (!list.open(QIODevice::WriteOnly))
        return 2;
    qsizetype group = 0;
    for (const QString& name : names) {
        const QString target
            = peer.outputs + QLatin1Char('/') + QFileInfo(name).completeBaseName() + QStringLiteral(".avi");
        QStringList one = ConversionProfiles::FfmpegArguments(profile, folder.filePath(name), target);
        if (byHand)
            one.replaceInStrings(QStringLiteral("yadif=deint=interlaced"), QStringLiteral("yadif"));
        group = one.size();
        for (const QString& argument : one)
            list.write(QFile::encodeName(argument) + '\0');
    }
    list.close();
    peer.command
        = QStringList{QStringLiteral("xargs"), QStringLiteral("-0"),   QStringLiteral("-a"), listFile,
                      QStringLiteral("-n"),    QString::number(group), QStringLiteral("-P"), QString::number(jobs),
                      QStringLiteral("ffmpeg")};

    Side vantrel{"vantrel", {}, root + QStringLiteral("/vantrel-out"), {}, {}};
    vantrel.command
        = QStringList{QCoreApplication::applicationDirPath() + QStringLiteral("/vantrel"),
                      QStringLiteral("--convert-to"),
                      profile == ConversionProfile::XvidAvi ? QStringLiteral("xvid") : QStringLiteral("divx"),
                      QStringLiteral("--outdir"),
                      vantrel.outputs,
                      QStringLiteral("--jobs"),
                      QString::number(jobs),
                      folder.path()};

    printLine(
        QStringLiteral(
            "peer: %1 files, %2 side by side, %3 runs each, alternating; the first pair warms up and is not counted%4")
            .arg(names.size())
            .arg(jobs)
            .arg(runs)
            .arg(byHand ? QStringLiteral("; xargs deinterlaces every frame") : QString()));
    const QString errors = root + QStringLiteral("/stderr-");
    for (int run = 0; run <= runs; ++run) {
        // Alternate which side goes first, so neither always meets a warmer or busier machine.
        Side* order[2] = {&vantrel, &peer};
        if (run % 2)
            std::swap(order[0], order[1]);
        for (Side* side : order) {
            EmptyFolder(side->outputs);
            const TimedRun timed = RunTimed(side->command, errors + QLatin1String(side->name));
            const int written
                = static_cast<int>(QDir(side->outputs).entryList({QStringLiteral("*.avi")}, QDir::Files).size());
            const bool failed = timed.exitCode != 0 || written != names.size();
            if (run == 0)
                continue;
            side->failures += failed ? 1 : 0;
            side->wall.push_back(timed.wallSeconds);
            side->cpu.push_back(timed.cpuSeconds);
            printLine(QStringLiteral("run %1 %2: wall %3 s, cpu %4 s, exit %5, %6 files written")
                          .arg(run)
                          .arg(QLatin1String(side->name), -7)
                          .arg(timed.wallSeconds, 0, 'f', 3)
                          .arg(timed.cpuSeconds, 0, 'f', 3)
                          .arg(timed.exitCode)
                          .arg(written));
        }
    }
    std::vector<double> wallRatio, cpuRatio;
    for (size_t i = 0; i < vantrel.wall.size(); ++i) {
        wallRatio.push_back(vantrel.wall[i] / peer.wall[i]);
        cpuRatio.push_back(vantrel.cpu[i] / peer.cpu[i]);
    }
    for (const Side* side : {&vantrel, &peer})
        printLine(QStringLiteral("%1 wall %2 s, cpu %3 s (median (min..max))")
                      .arg(QLatin1String(side->name), -7)
                      .arg(MedianAndRange(side->wall), MedianAndRange(side->cpu)));
    printLine(
        QStringLiteral(
            "vantrel/xargs: wall %1 (pairs %2), cpu %3 (pairs %4) (ratio of medians (range of each pair's ratio))")
            .arg(Median(vantrel.wall) / Median(peer.wall), 0, 'f', 3)
            .arg(MedianAndRange(wallRatio))
            .arg(Median(vantrel.cpu) / Median(peer.cpu), 0, 'f', 3)
            .arg(MedianAndRange(cpuRatio)));
    if (vantrel.failures + peer.failures > 0) {
        std::fprintf(stderr, "peer: %d vantrel and %d xargs runs failed; see %s*\n", vantrel.failures, peer.failures,
                     qPrintable(errors));
        return 1;
    }
    return 0;
}

const BenchRegistration registration("peer", "peer [--profile divx|xvid] [--jobs N] [--runs N] [--by-hand] DIR",
                                     &RunPeerBench);

} // namespace
