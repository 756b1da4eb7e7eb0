// vantrel-bench SUBCOMMAND ARGS...: headless benchmarks on the real program's
// code, offscreen, with a private HOME.
#include "BenchCommands.h"
#include "BenchSupport.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    BenchHome home;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));

    const QStringList args = QApplication::arguments().mid(1);
    for (const BenchEntry& entry : BenchCommands())
        if (!args.isEmpty() && args.first() == QLatin1String(entry.name))
            return entry.command(args.mid(1));

    std::fputs("usage:\n", stderr);
    for (const BenchEntry& entry : BenchCommands())
        std::fprintf(stderr, "  vantrel-bench %s\n", entry.usage);
    return 2;
}
