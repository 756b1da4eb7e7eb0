#include "BenchSupport.h"

#include "support/PrivateHome.h"

#include <cstdio>

#include "BenchCommands.h"

#include "app/Main.h"

#include <QDir>
#include <QSettings>

BenchHome::BenchHome()
{
    PointHomeInto(m_dir.path());
}

std::unique_ptr<TfrmMain> MakeBenchWindow()
{
    return std::make_unique<TfrmMain>();
}

QString SecondsText(qint64 nanoseconds)
{
    return QString::number(static_cast<double>(nanoseconds) / 1e9, 'f', 3);
}

BenchRegistration::BenchRegistration(const char* name, const char* usage, BenchCommand command)
{
    const_cast<std::vector<BenchEntry>&>(BenchCommands()).push_back({name, usage, command});
}

const std::vector<BenchEntry>& BenchCommands()
{
    static std::vector<BenchEntry> commands;
    return commands;
}

void printLine(const QString& line)
{
    std::fputs(line.toUtf8().constData(), stdout);
    std::fputc('\n', stdout);
}

QString oneLine(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\t'), QLatin1Char(' '));
}
