#include "platform/ChildProcess.h"

#include <QProcess>

namespace {

constexpr qsizetype MaxTailBytes = 8192;

QString lastLines(const QByteArray& bytes, int count)
{
    // Progress lines end in a carriage return; count them as lines too.
    QString text = QString::fromLocal8Bit(bytes);
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString& line : lines)
        line = line.trimmed();
    lines.removeAll(QString());
    if (lines.size() > count)
        lines = lines.mid(lines.size() - count);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

void ApplyLaunchPlan(QProcess& process, const LaunchPlan& plan)
{
    process.setProgram(plan.program);
    process.setArguments(plan.arguments);
    if (!plan.workingFolder.isEmpty())
        process.setWorkingDirectory(plan.workingFolder);
    process.setStandardInputFile(QProcess::nullDevice());
}

ChildProcess::ChildProcess(QObject* parent) : QObject(parent) {}

ChildProcess::~ChildProcess()
{
    if (m_process) {
        m_process->disconnect(this);
        if (m_process->state() != QProcess::NotRunning) {
            m_process->kill();
            m_process->waitForFinished(5000);
        }
    }
}

bool ChildProcess::start(const LaunchPlan& plan)
{
    Q_ASSERT(!m_process);
    m_process = new QProcess(this);
    ApplyLaunchPlan(*m_process, plan);
    m_process->setStandardOutputFile(QProcess::nullDevice());

    connect(m_process, &QProcess::readyReadStandardError, this, [this] {
        m_errorTail += m_process->readAllStandardError();
        if (m_errorTail.size() > MaxTailBytes)
            m_errorTail = m_errorTail.right(MaxTailBytes);
    });
    connect(m_process, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        m_errorTail += m_process->readAllStandardError();
        ChildEnd end;
        end.kind = status == QProcess::NormalExit ? ChildEnd::Kind::Exited : ChildEnd::Kind::Crashed;
        end.exitCode = exitCode;
        end.errorTail = lastLines(m_errorTail, TailLines);
        report(end);
    });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return; // the end of a started child is reported by finished()
        ChildEnd end;
        end.kind = ChildEnd::Kind::FailedToStart;
        end.errorTail = m_process->errorString();
        report(end);
    });

    m_process->start();
    return m_process->waitForStarted(-1);
}

bool ChildProcess::isRunning() const
{
    return m_process && m_process->state() != QProcess::NotRunning;
}

qint64 ChildProcess::processId() const
{
    return m_process ? m_process->processId() : 0;
}

void ChildProcess::kill()
{
    if (isRunning())
        m_process->kill();
}

void ChildProcess::detach()
{
    if (!m_process)
        return;
    m_process->disconnect(this);
    m_process->setParent(nullptr);
    // Deliberately never freed: destroying a QProcess kills its child.
    m_process = nullptr;
}

void ChildProcess::report(ChildEnd end)
{
    if (m_reported)
        return;
    m_reported = true;
    emit done(end);
}
