// peer [--profile divx|xvid] [--jobs N] [--runs N] [--by-hand] DIR...: each
// folder converted by Vantrel's front end and by the same work typed by hand,
// `xargs -P N` of ffmpeg in name order with the profile's argument list as it
// stands (filters included, ffmpeg's own thread count), in alternation; prints
// each run, the medians and ranges of wall and CPU time of each whole process
// tree, and their ratios, then one line per folder. With --by-hand a third
// line deinterlaces every frame, as the classic command line (-deinterlace,
// today -vf yadif) does, and its ratio shows what the converter saves a user.
#include "BenchCommands.h"
#include "BenchSupport.h"
#include "TimedRun.h"

#include "engine/ConversionProfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

int Usage()
{
    std::fputs("usage: vantrel-bench peer [--profile divx|xvid] [--jobs N] [--runs N] [--by-hand] DIR...\n", stderr);
    return 2;
}

// A fresh, empty folder, so no side ever meets another's or its own earlier outputs.
QString EmptyFolder(const QString& path)
{
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    return path;
}

struct Side
{
    QString name;
    QStringList command;
    QString outputs;
    std::vector<double> wall, cpu;
    int failures = 0;
};

struct PeerOptions
{
    ConversionProfile profile = ConversionProfile::DivxAvi;
    int jobs = QThread::idealThreadCount();
    int runs = 5;
    bool byHand = false;
};

// Vantrel's ratios to each xargs line for one folder.
struct FolderRatios
{
    QString folder;
    QStringList ratios; // "wall W, cpu C" per xargs line
    int failures = 0;
};

// The xargs line converting names in folder with each file's arguments as
// made by arguments(source, target).
Side XargsSide(const QString& name, const QString& root, const QDir& folder, const QStringList& names, int jobs,
               const std::function<QStringList(const QString&, const QString&)>& arguments)
{
    Side side{name, {}, root + QLatin1Char('/') + name + QStringLiteral("-out"), {}, {}};
    const QString listFile = root + QLatin1Char('/') + name + QStringLiteral("-arguments");
    QFile list(listFile);
    if (!list.open(QIODevice::WriteOnly))
        return side;
    // Every file's list has as many arguments, so xargs takes them as fixed groups.
    qsizetype group = 0;
    for (const QString& file : names) {
        const QString target
            = side.outputs + QLatin1Char('/') + QFileInfo(file).completeBaseName() + QStringLiteral(".avi");
        const QStringList one = arguments(folder.filePath(file), target);
        group = one.size();
        for (const QString& argument : one)
            list.write(QFile::encodeName(argument) + '\0');
    }
    side.command
        = QStringList{QStringLiteral("xargs"), QStringLiteral("-0"),   QStringLiteral("-a"), listFile,
                      QStringLiteral("-n"),    QString::number(group), QStringLiteral("-P"), QString::number(jobs),
                      QStringLiteral("ffmpeg")};
    return side;
}

FolderRatios CompareFolder(const QString& path, const PeerOptions& options)
{
    const QDir folder(QFileInfo(path).absoluteFilePath());
    const QStringList names = folder.entryList({QStringLiteral("*.flv")}, QDir::Files, QDir::Name);
    if (names.isEmpty()) {
        std::fprintf(stderr, "peer: no FLV file in %s\n", qPrintable(folder.path()));
        return {folder.path(), {}, 1};
    }
    const QString root = QDir(QDir::tempPath()).filePath(QStringLiteral("peer-bench"));
    QDir().mkpath(root);

    std::vector<Side> sides;
    Side vantrel{QStringLiteral("vantrel"), {}, root + QStringLiteral("/vantrel-out"), {}, {}};
    vantrel.command
        = QStringList{QCoreApplication::applicationDirPath() + QStringLiteral("/vantrel"),
                      QStringLiteral("--convert-to"),
                      options.profile == ConversionProfile::XvidAvi ? QStringLiteral("xvid") : QStringLiteral("divx"),
                      QStringLiteral("--outdir"),
                      vantrel.outputs,
                      QStringLiteral("--jobs"),
                      QString::number(options.jobs),
                      folder.path()};
    sides.push_back(vantrel);
    sides.push_back(XargsSide(QStringLiteral("xargs"), root, folder, names, options.jobs,
                              [&](const QString& source, const QString& target) {
                                  return ConversionProfiles::FfmpegArguments(options.profile, source, target);
                              }));
    if (options.byHand)
        sides.push_back(XargsSide(QStringLiteral("yadif"), root, folder, names, options.jobs,
                                  [&](const QString& source, const QString& target) {
                                      return ConversionProfiles::FfmpegArguments(options.profile, source, target)
                                          .replaceInStrings(QStringLiteral("yadif=deint=interlaced"),
                                                            QStringLiteral("yadif"));
                                  }));

    printLine(QStringLiteral("peer: %1: %2 files, %3 side by side, %4 runs each, alternating; the first round warms "
                             "up and is not counted%5")
                  .arg(folder.path())
                  .arg(names.size())
                  .arg(options.jobs)
                  .arg(options.runs)
                  .arg(options.byHand ? QStringLiteral("; yadif is xargs deinterlacing every frame") : QString()));
    const QString errors = root + QStringLiteral("/stderr-");
    for (int run = 0; run <= options.runs; ++run) {
        // Each round starts with another side, so none always meets a warmer or busier machine.
        std::vector<Side*> order;
        for (Side& side : sides)
            order.push_back(&side);
        std::rotate(order.begin(), order.begin() + run % static_cast<int>(order.size()), order.end());
        for (Side* side : order) {
            EmptyFolder(side->outputs);
            const TimedRun timed = RunTimed(side->command, errors + side->name);
            const int written
                = static_cast<int>(QDir(side->outputs).entryList({QStringLiteral("*.avi")}, QDir::Files).size());
            if (run == 0)
                continue;
            side->failures += timed.exitCode != 0 || written != names.size() ? 1 : 0;
            side->wall.push_back(timed.wallSeconds);
            side->cpu.push_back(timed.cpuSeconds);
            printLine(QStringLiteral("run %1 %2: wall %3 s, cpu %4 s, exit %5, %6 files written")
                          .arg(run)
                          .arg(side->name, -7)
                          .arg(timed.wallSeconds, 0, 'f', 3)
                          .arg(timed.cpuSeconds, 0, 'f', 3)
                          .arg(timed.exitCode)
                          .arg(written));
        }
    }
    FolderRatios result{folder.path(), {}, 0};
    for (const Side& side : sides) {
        result.failures += side.failures;
        printLine(QStringLiteral("%1 wall %2 s, cpu %3 s (median (min..max))")
                      .arg(side.name, -7)
                      .arg(MedianAndRange(side.wall), MedianAndRange(side.cpu)));
    }
    for (size_t s = 1; s < sides.size(); ++s) {
        const Side& peer = sides[s];
        std::vector<double> wallRatio, cpuRatio;
        for (size_t i = 0; i < sides[0].wall.size(); ++i) {
            wallRatio.push_back(sides[0].wall[i] / peer.wall[i]);
            cpuRatio.push_back(sides[0].cpu[i] / peer.cpu[i]);
        }
        const double wall = Median(sides[0].wall) / Median(peer.wall);
        const double cpu = Median(sides[0].cpu) / Median(peer.cpu);
        printLine(QStringLiteral("vantrel/%1: wall %2 (pairs %3), cpu %4 (pairs %5) (ratio of medians (range of each "
                                 "pair's ratio))")
                      .arg(peer.name)
                      .arg(wall, 0, 'f', 3)
                      .arg(MedianAndRange(wallRatio))
                      .arg(cpu, 0, 'f', 3)
                      .arg(MedianAndRange(cpuRatio)));
        result.ratios << QStringLiteral("%1 wall %2, cpu %3").arg(peer.name).arg(wall, 0, 'f', 3).arg(cpu, 0, 'f', 3);
    }
    if (result.failures > 0)
        std::fprintf(stderr, "peer: %d runs failed in %s; see %s*\n", result.failures, qPrintable(folder.path()),
                     qPrintable(errors));
    return result;
}

int RunPeerBench(const QStringList& arguments)
{
    QStringList args = arguments;
    PeerOptions options;
    while (!args.isEmpty() && args.first().startsWith(QLatin1String("--"))) {
        const QString option = args.takeFirst();
        if (option == QLatin1String("--by-hand")) {
            options.byHand = true;
            continue;
        }
        if (args.isEmpty())
            return Usage();
        const QString value = args.takeFirst();
        bool ok = true;
        if (option == QLatin1String("--profile") && (value == QLatin1String("divx") || value == QLatin1String("xvid")))
            options.profile = value == QLatin1String("xvid") ? ConversionProfile::XvidAvi : ConversionProfile::DivxAvi;
        else if (option == QLatin1String("--jobs"))
            options.jobs = value.toInt(&ok);
        else if (option == QLatin1String("--runs"))
            options.runs = value.toInt(&ok);
        else
            return Usage();
        if (!ok || options.jobs < 1 || options.runs < 1)
            return Usage();
    }
    if (args.isEmpty())
        return Usage();
    std::vector<FolderRatios> folders;
    for (const QString& folder : args)
        folders.push_back(CompareFolder(folder, options));
    int failures = 0;
    printLine(QStringLiteral("peer: vantrel's ratio to each line, per folder (ratio of medians; lower is better)"));
    for (const FolderRatios& folder : folders) {
        failures += folder.failures;
        printLine(QStringLiteral("%1\t%2").arg(folder.folder, folder.ratios.join(QStringLiteral("; "))));
    }
    return failures > 0 ? 1 : 0;
}

const BenchRegistration registration("peer", "peer [--profile divx|xvid] [--jobs N] [--runs N] [--by-hand] DIR...",
                                     &RunPeerBench);

} // namespace
