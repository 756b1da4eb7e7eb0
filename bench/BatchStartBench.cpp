// batch-start [--runs N] FILE: what the probe's batch helper costs of its own.
// Times N starts each, in alternation, of a tool run directly and of the
// same tool run through the probe's four batch lines by vantrel-batch, once
// with /bin/true as the tool (the helper's own start) and once with the real
// mediainfo measuring FILE (its share of a probe), and prints the medians.
#include "BenchCommands.h"
#include "BenchSupport.h"
#include "TimedRun.h"

#include "queue/DurationProbe.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>

namespace {

int Usage()
{
    std::fputs("usage: vantrel-bench batch-start [--runs N] FILE\n", stderr);
    return 2;
}

int RunBatchStartBench(const QStringList& arguments)
{
    QStringList args = arguments;
    int runs = 200;
    if (args.size() == 3 && args.first() == QLatin1String("--runs")) {
        bool ok = false;
        runs = args.at(1).toInt(&ok);
        if (!ok || runs < 1)
            return Usage();
        args = args.mid(2);
    }
    if (args.size() != 1 || !QFileInfo(args.first()).isFile())
        return Usage();
    const QString source = QFileInfo(args.first()).absoluteFilePath();
    const QString mediainfo = QStandardPaths::findExecutable(QStringLiteral("mediainfo"));
    const QString batch = QCoreApplication::applicationDirPath() + QStringLiteral("/vantrel-batch");
    const QString folder = QDir(QDir::tempPath()).filePath(QStringLiteral("batch-start/"));
    QDir().mkpath(folder);

    printLine(QStringLiteral("batch-start: %1 starts of each, alternating; milliseconds per start, median (min..max)")
                  .arg(runs));
    for (const QString& tool : {QStringLiteral("/bin/true"), mediainfo}) {
        const QString file = folder + QFileInfo(tool).fileName() + QStringLiteral(".bat");
        QFile text(file);
        if (!text.open(QIODevice::WriteOnly)
            || text.write(DurationProbe::BatchText(source, folder, tool, QStringLiteral("answer.txt"))) < 0)
            return 1;
        text.close();
        const QStringList direct{tool, QStringLiteral("--Inform=General;%Duration/String3%"), source};
        const QStringList helped{batch, file};
        std::vector<double> wall[2], cpu[2];
        for (int run = 0; run < runs; ++run) {
            for (int side = 0; side < 2; ++side) {
                const TimedRun timed = RunTimed((side + run) % 2 ? helped : direct);
                const int which = (side + run) % 2;
                wall[which].push_back(timed.wallSeconds * 1000);
                cpu[which].push_back(timed.cpuSeconds * 1000);
            }
        }
        const double ownWall = Median(wall[1]) - Median(wall[0]);
        const double ownCpu = Median(cpu[1]) - Median(cpu[0]);
        printLine(QStringLiteral("%1 alone: wall %2, cpu %3")
                      .arg(tool, MedianAndRange(wall[0], 2), MedianAndRange(cpu[0], 2)));
        printLine(QStringLiteral("%1 through vantrel-batch: wall %2, cpu %3")
                      .arg(tool, MedianAndRange(wall[1], 2), MedianAndRange(cpu[1], 2)));
        printLine(QStringLiteral("the helper's own share: wall %1 ms, cpu %2 ms per start")
                      .arg(ownWall, 0, 'f', 2)
                      .arg(ownCpu, 0, 'f', 2));
    }
    return 0;
}

const BenchRegistration registration("batch-start", "batch-start [--runs N] FILE", &RunBatchStartBench);

} // namespace
