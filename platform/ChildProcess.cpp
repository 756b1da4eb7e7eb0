#include "platform/ChildProcess.h"

#include "platform/Error.h"

#include <QFileInfo>
#include <QProcess>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

QString lastLines(const QString& kept, int count)
{
    // Progress lines end in a carriage return; count them as lines too.
    QString text = kept;
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString& line : lines)
        line = line.trimmed();
    lines.removeAll(QString());
    if (lines.size() > count)
        lines = lines.mid(lines.size() - count);
    return lines.join(QLatin1Char('\n'));
}

bool DescriptorsRunOut()
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return errno == EMFILE || errno == ENFILE;
    ::close(ends[0]);
    ::close(ends[1]);
    return false;
}

} // namespace

// Qt reports a failed start as text only; the system's reason in it tells a
// shortage of resources from a program that cannot run.
int StartErrorIn(const QString& errorText)
{
    for (const int code : {EMFILE, ENFILE, EAGAIN, ENOMEM, ENOENT, EACCES, ENOEXEC, ENOTDIR, ELOOP, ENAMETOOLONG})
        if (errorText.contains(QString::fromLocal8Bit(std::strerror(code))))
            return code;
    return 0;
}

StartFailure ClassifyStartFailure(int code, const QString& program)
{
    if (IsResourceShortage(code))
        return StartFailure::Shortage;
    // A script whose interpreter is missing fails with ENOENT too, its own file there.
    if (code == ENOENT && !QFileInfo(program).isFile())
        return StartFailure::Missing;
    return StartFailure::NotRunnable;
}

void ApplyLaunchPlan(QProcess& process, const LaunchPlan& plan)
{
    process.setProgram(plan.program);
    process.setArguments(plan.arguments);
    if (!plan.workingFolder.isEmpty())
        process.setWorkingDirectory(plan.workingFolder);
    process.setStandardInputFile(QProcess::nullDevice());
    const bool ownGroup = plan.ownProcessGroup;
    const bool diesWithParent = plan.diesWithParent;
    const std::vector<int> inherited(plan.inheritedDescriptors.cbegin(), plan.inheritedDescriptors.cend());
    const pid_t parent = ::getpid();
    // Runs in the child between fork and exec: system calls only.
    process.setChildProcessModifier([ownGroup, diesWithParent, inherited, parent] {
        if (ownGroup)
            ::setpgid(0, 0);
        for (const int fd : inherited)
            ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) & ~FD_CLOEXEC);
        if (diesWithParent) {
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            // The program may have died before the signal was asked for.
            if (::getppid() != parent)
                ::_exit(127);
        }
    });
}

ChildProcess::ChildProcess(QObject* parent) : QObject(parent)
{ }

ChildProcess::~ChildProcess()
{
    if (m_process) {
        m_process->disconnect(this);
        kill(5000);
    }
}

bool ChildProcess::start(const LaunchPlan& plan)
{
    Q_ASSERT(!m_process);
    m_process = new QProcess(this);
    m_ownGroup = plan.ownProcessGroup;
    ApplyLaunchPlan(*m_process, plan);
    if (plan.readOutput) {
        connect(m_process, &QProcess::readyReadStandardOutput, this,
                [this] { emit output(m_process->readAllStandardOutput()); });
    } else {
        m_process->setStandardOutputFile(QProcess::nullDevice());
    }

    connect(m_process, &QProcess::readyReadStandardError, this,
            [this] { keepError(m_process->readAllStandardError()); });
    connect(m_process, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        keepError(m_process->readAllStandardError());
        if (const QByteArray rest = m_process->readAllStandardOutput(); !rest.isEmpty())
            emit output(rest);
        ChildEnd end;
        end.kind = status == QProcess::NormalExit ? ChildEnd::Kind::Exited : ChildEnd::Kind::Crashed;
        end.exitCode = exitCode;
        // For a crash Qt's exit code is the terminating signal, from the wait status.
        if (status == QProcess::CrashExit && exitCode > 0 && exitCode < NSIG)
            end.signal = exitCode;
        end.errorOutput = keptError();
        end.errorTail = lastLines(end.errorOutput, TailLines);
        report(end);
    });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return; // the end of a started child is reported by finished()
        ChildEnd end;
        end.kind = ChildEnd::Kind::FailedToStart;
        end.errorTail = m_process->errorString();
        end.startError = StartErrorIn(end.errorTail);
        // Qt loses the system's reason when its own pipes cannot be made (the
        // warning it prints first overwrites errno); a pipe that cannot be
        // made now, before Qt has let go of the others, tells the same.
        if (!IsResourceShortage(end.startError) && DescriptorsRunOut())
            end.startError = EMFILE;
        report(end);
    });

    m_process->start();
    return m_process->waitForStarted(-1);
}

bool ChildProcess::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

bool ChildProcess::hasEnded() const
{
    if (!isRunning())
        return true;
    siginfo_t info{};
    // WNOWAIT looks without reaping, so Qt still sees the end; a child no
    // longer ours to wait for was reaped already.
    const int found
        = ::waitid(P_PID, static_cast<id_t>(m_process->processId()), &info, WEXITED | WNOHANG | WNOWAIT | __WALL);
    return found == 0 ? info.si_pid != 0 : errno == ECHILD;
}

qint64 ChildProcess::processId() const
{
    return m_process ? m_process->processId() : 0;
}

void ChildProcess::kill(int waitMs)
{
    if (!isRunning())
        return;
    // The group too: a wrapper's own children would otherwise go on unseen.
    if (m_ownGroup && m_process->processId() > 0)
        ::kill(-static_cast<pid_t>(m_process->processId()), SIGKILL);
    m_process->kill();
    if (waitMs > 0)
        m_process->waitForFinished(waitMs);
}

void ChildProcess::wait()
{
    if (isRunning())
        m_process->waitForFinished(-1);
}

void ChildProcess::keepError(const QByteArray& bytes)
{
    const qsizetype toHead = std::min(KeptErrorBytes - m_errorHead.size(), bytes.size());
    m_errorHead += bytes.left(toHead);
    m_errorTail += bytes.mid(toHead);
    if (m_errorTail.size() > KeptErrorBytes) {
        m_errorTail = m_errorTail.right(KeptErrorBytes);
        m_errorCut = true;
    }
}

QString ChildProcess::keptError() const
{
    QByteArray head = m_errorHead;
    QByteArray tail = m_errorTail;
    // Where the text was cut, the broken line goes.
    const bool headFull = head.size() == KeptErrorBytes && !tail.isEmpty() && !head.endsWith('\n');
    if (headFull)
        head.truncate(std::max<qsizetype>(head.lastIndexOf('\n') + 1, 0));
    if (m_errorCut)
        tail.remove(0, tail.indexOf('\n') + 1);
    if (!m_errorCut && !headFull)
        return QString::fromLocal8Bit(head + tail);
    if (!head.isEmpty() && !head.endsWith('\n'))
        head += '\n';
    return QString::fromLocal8Bit(head) + QStringLiteral("…\n") + QString::fromLocal8Bit(tail);
}

void ChildProcess::report(ChildEnd end)
{
    if (m_reported)
        return;
    m_reported = true;
    emit done(end);
}
