#include "engine/FfmpegProcess.h"

#include <QCoreApplication>
#include <csignal>

#include <utility>

FfmpegEnd FfmpegEnd::Of(const ChildEnd& end, const QString& program, bool hung, bool stopped, int silenceMs)
{
    FfmpegEnd told;
    told.errorTail = end.errorTail;
    told.startError = end.startError;
    if (stopped) {
        told.kind = Kind::Stopped;
        told.failure.reason = QCoreApplication::translate("FfmpegProcess", "ffmpeg was stopped");
        return told;
    }
    if (hung) {
        told.kind = Kind::Hung;
        told.failure.reason
            = QCoreApplication::translate("FfmpegProcess", "ffmpeg reported no progress for %1 s and was ended")
                  .arg(QString::number(silenceMs / 1000.0));
        return told;
    }
    told.failure = FfmpegReport::Reason(end, program);
    told.readerGone = (end.kind == ChildEnd::Kind::Crashed && end.signal == SIGPIPE)
                      || end.errorOutput.contains(QLatin1String("Broken pipe"));
    switch (end.kind) {
    case ChildEnd::Kind::FailedToStart:
        switch (ClassifyStartFailure(end.startError, program)) {
        case StartFailure::Shortage: told.kind = Kind::Short; break;
        case StartFailure::Missing: told.kind = Kind::Missing; break;
        case StartFailure::NotRunnable: told.kind = Kind::NotRunnable; break;
        }
        break;
    case ChildEnd::Kind::Crashed: told.kind = Kind::Signalled; break;
    case ChildEnd::Kind::Exited: told.kind = told.failure.reason.isEmpty() ? Kind::Succeeded : Kind::Exited; break;
    }
    return told;
}

FfmpegProcess::FfmpegProcess(int silenceMs, QObject* parent) : QObject(parent), m_silenceMs(silenceMs)
{
    m_silence.setSingleShot(true);
    connect(&m_silence, &QTimer::timeout, this, [this] {
        m_hung = true;
        m_child.kill();
    });
    connect(&m_child, &ChildProcess::output, this, [this](const QByteArray& bytes) {
        const auto before = std::make_pair(m_monitor.processedUs(), m_monitor.totalSize());
        m_monitor.Feed(bytes);
        if (std::make_pair(m_monitor.processedUs(), m_monitor.totalSize()) != before) {
            if (m_silence.isActive())
                m_silence.start();
            emit progressed();
        }
    });
    // Queued, so that an end reported while starting is handled after the start.
    connect(&m_child, &ChildProcess::done, this, &FfmpegProcess::Ended, Qt::QueuedConnection);
}

void FfmpegProcess::start(LaunchPlan plan, bool reportsProgress)
{
    m_program = plan.program;
    m_started = true;
    plan.ownProcessGroup = true;
    plan.readOutput = reportsProgress;
    // One that reports nothing is watched through the one that reads from it.
    if (reportsProgress)
        m_silence.start(m_silenceMs);
    m_child.start(plan);
}

void FfmpegProcess::Ended(const ChildEnd& end)
{
    m_silence.stop();
    emit ended(FfmpegEnd::Of(end, m_program, m_hung, m_stopped, m_silenceMs));
}

bool FfmpegProcess::running() const
{
    return m_started && !m_child.hasEnded();
}

qint64 FfmpegProcess::processId() const
{
    return m_child.isRunning() ? m_child.processId() : 0;
}

void FfmpegProcess::stop()
{
    m_silence.stop();
    if (!m_stopped && !m_hung && running())
        m_stopped = true;
    m_child.kill();
}

void FfmpegProcess::waitGone(int waitMs)
{
    m_child.kill(waitMs);
}
