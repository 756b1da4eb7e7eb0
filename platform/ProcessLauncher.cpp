#include "platform/ProcessLauncher.h"

#include "platform/CommandLine.h"
#include "platform/Folders.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>

namespace ProcessLauncher {

LaunchPlan Plan(const QString& program, const QString& arguments)
{
    LaunchPlan plan;
    plan.program = program;
    plan.arguments = CommandLine::Split(arguments);
    plan.workingFolder = Folders::FolderPart(program);
    if (plan.workingFolder.isEmpty())
        plan.workingFolder = Folders::FolderPart(FindProgram(program, QString()));
    return plan;
}

bool ShellExec(const QString& program, const QString& arguments, quint16 /*showCmd*/)
{
    const LaunchPlan plan = Plan(program, arguments);
    QProcess process;
    ApplyLaunchPlan(process, plan);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    return process.startDetached();
}

bool ShellExecWait(const QString& program, const QString& arguments, quint16 /*showCmd*/)
{
    ChildProcess child;
    if (!child.start(Plan(program, arguments)))
        return false;
    WaitForProcess(child);
    return true;
}

bool IsProgramFile(const QString& path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.isFile() && info.isExecutable();
}

QString FindProgram(const QString& name, const QString& extraFolder)
{
    if (name.isEmpty())
        return {};
    QString result;
    if (IsProgramFile(name)) {
        result = name;
    } else if (!name.contains(QLatin1Char('/'))) {
        QStringList searchList = QString::fromLocal8Bit(qgetenv("PATH")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
        if (!extraFolder.isEmpty() && Folders::FolderExists(extraFolder))
            searchList.prepend(extraFolder);
        for (const QString& entry : std::as_const(searchList)) {
            const QString candidate = entry.endsWith(QLatin1Char('/')) ? entry + name : entry + QLatin1Char('/') + name;
            if (IsProgramFile(candidate)) {
                result = candidate;
                break;
            }
        }
    }
    if (!result.isEmpty() && result.compare(name, Qt::CaseInsensitive) == 0 && QFileInfo(result).isRelative()) {
        QString current = QDir::currentPath();
        if (!current.endsWith(QLatin1Char('/')))
            current += QLatin1Char('/');
        result = current + result;
    }
    return result;
}

void WaitForProcess(ChildProcess& child)
{
    if (!child.isRunning())
        return;
    QEventLoop loop;
    QObject::connect(&child, &ChildProcess::done, &loop, &QEventLoop::quit);
    if (child.isRunning())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace ProcessLauncher
