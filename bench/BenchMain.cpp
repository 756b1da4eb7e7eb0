#include "Bench.h"

#include <QApplication>

#include <cstdio>

namespace {

std::vector<Benchmark*>& registry()
{
    static std::vector<Benchmark*> benchmarks;
    return benchmarks;
}

} // namespace

Benchmark::Benchmark(const char* name_, const char* summary_, Body body_)
    : name(QString::fromLatin1(name_)), summary(QString::fromLatin1(summary_)), body(std::move(body_))
{
    registry().push_back(this);
}

const std::vector<Benchmark*>& Benchmark::all()
{
    return registry();
}

void Report(const QString& name, double value, const QString& unit)
{
    std::printf("%s: %.3f %s\n", qPrintable(name), value, qPrintable(unit));
    std::fflush(stdout);
}

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantrel"));

    const QStringList wanted = QApplication::arguments().mid(1);
    if (wanted.contains(QStringLiteral("--list"))) {
        for (const Benchmark* b : Benchmark::all())
            std::printf("%-20s %s\n", qPrintable(b->name), qPrintable(b->summary));
        return 0;
    }
    int status = 0;
    for (const Benchmark* b : Benchmark::all()) {
        if (!wanted.isEmpty() && !wanted.contains(b->name))
            continue;
        std::printf("== %s: %s\n", qPrintable(b->name), qPrintable(b->summary));
        status |= b->body();
    }
    return status;
}
