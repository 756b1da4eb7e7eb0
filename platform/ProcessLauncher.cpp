#include "platform/ProcessLauncher.h"

#include "platform/CommandLine.h"
#include "platform/Folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

namespace ProcessLauncher {

LaunchPlan Plan(const QString& program, const QString& arguments)
{
    return Plan(program, CommandLine::Split(arguments));
}

LaunchPlan Plan(const QString& program, const QStringList& arguments)
{
    LaunchPlan plan;
    plan.program = program;
    plan.arguments = arguments;
    plan.workingFolder = Folders::FolderPart(program);
    if (plan.workingFolder.isEmpty())
        plan.workingFolder = Folders::FolderPart(FindProgram(program, QString()));
    return plan;
}

bool ShellExec(const QString& program, const QString& arguments, quint16 /*showCmd*/)
{
    LaunchPlan plan = Plan(program, arguments);
    // Started to live on its own.
    plan.diesWithParent = false;
    QProcess process;
    ApplyLaunchPlan(process, plan);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    return process.startDetached();
}

bool ShellExecWait(const QString& program, const QString& arguments, quint16 /*showCmd*/, ChildEnd* end)
{
    ChildProcess child;
    if (end)
        QObject::connect(&child, &ChildProcess::done, [end](const ChildEnd& e) { *end = e; });
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

bool ProgramExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QString StartFailureReason(const QString& errorText)
{
    // Qt names the system call it failed in ("execvp: Permission denied").
    static const QRegularExpression callName(QStringLiteral("^exec\\w*: "));
    return QString(errorText).remove(callName).trimmed();
}

QString CannotStartText(const QString& tool, const QString& path, const QString& reason, const QString& purpose)
{
    QString text
        = QCoreApplication::translate("ProcessLauncher", "The program \"%1\" (%2), which %3, could not be started")
              .arg(tool, path, purpose);
    const QString why = StartFailureReason(reason);
    if (!why.isEmpty())
        text += QStringLiteral(": ") + why;
    // Installing again mends only a program that is not there.
    if (!ProgramExists(path))
        return text
               + QCoreApplication::translate("ProcessLauncher",
                                             ". Please install the package \"%1\" again and start Vantrel again")
                     .arg(tool);
    return text
           + QCoreApplication::translate("ProcessLauncher",
                                         ". Make sure the \"%1\" found first on PATH is a working program")
                 .arg(tool);
}

QString FindProgram(const QString& name, const QString& extraFolder)
{
    if (name.isEmpty())
        return {};
    if (name.contains(QLatin1Char('/')))
        return ProgramExists(name) ? QDir::cleanPath(QFileInfo(name).absoluteFilePath()) : QString();

    QStringList searchList = QString::fromLocal8Bit(qgetenv("PATH")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    if (!extraFolder.isEmpty() && Folders::FolderExists(extraFolder))
        searchList.prepend(extraFolder);
    QString notRunnable;
    for (const QString& entry : std::as_const(searchList)) {
        const QString candidate = QDir::cleanPath(QDir(entry).absoluteFilePath(name));
        if (IsProgramFile(candidate))
            return candidate;
        if (notRunnable.isEmpty() && ProgramExists(candidate))
            notRunnable = candidate;
    }
    return notRunnable;
}

void WaitForProcess(ChildProcess& child)
{
    child.wait();
}

} // namespace ProcessLauncher
