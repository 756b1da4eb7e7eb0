#include "engine/ConversionRun.h"

#include "model/MainState.h"
#include "platform/ChildProcess.h"
#include "platform/ProcessLauncher.h"
#include "platform/Error.h"
#include "model/QueueModel.h"

#include <QFile>
#include <QFileInfo>

#include <filesystem>

namespace {

qint64 DurationSeconds(const QString& text)
{
    bool ok = false;
    const qint64 seconds = text.toLongLong(&ok, 10);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return seconds;
}

// Why a finished ffmpeg did not give a usable output; empty when it did.
QString FailureReason(const ChildEnd& end, const QString& ffmpeg, const QString& targetFile)
{
    switch (end.kind) {
    case ChildEnd::Kind::FailedToStart:
        return ProcessLauncher::CannotStartText(QStringLiteral("ffmpeg"), ffmpeg, end.errorTail,
                                                QStringLiteral("converts the files"));
    case ChildEnd::Kind::Crashed:
        return QStringLiteral("ffmpeg was killed or crashed");
    case ChildEnd::Kind::Exited:
        break;
    }
    if (end.exitCode != 0)
        return QStringLiteral("ffmpeg ended with exit code %1").arg(end.exitCode);
    const QFileInfo output(targetFile);
    if (!output.isFile())
        return QStringLiteral("ffmpeg wrote no output file");
    if (output.size() == 0)
        return QStringLiteral("ffmpeg wrote an empty output file");
    return {};
}

} // namespace

ConversionRun::ConversionRun(MainState& state, QueueModel& queue, QObject* parent)
    : QObject(parent), m_state(state), m_queue(queue), m_monitor(state, queue),
      m_tickHandler([this](QObject* sender) { MonitorTick(sender); })
{
}

ConversionRun::~ConversionRun() = default;

QString ConversionRun::MissingFfmpegText()
{
    return QStringLiteral("Cannot find the program \"ffmpeg\", which converts the files. "
                          "Please install the package \"ffmpeg\" and start Vantrel again");
}

void ConversionRun::Begin(ConversionProfile profile)
{
    if (!m_state.Busy)
        m_profile = profile;
    StartNext();
}

void ConversionRun::StartNext()
{
    m_state.OutputRate = 123.5;
    if (m_state.Busy)
        return;
    try {
        FindAndStartRow();
    } catch (...) {
        emit runEnded();
        throw;
    }
    if (!m_state.Busy)
        emit runEnded();
}

void ConversionRun::FindAndStartRow()
{
    MainState& s = m_state;
    for (;;) {
        if (m_queue.count() == 0)
            return;
        s.CurrentRow = -1;
        for (int row = 0; row < m_queue.count(); ++row) {
            if (m_queue.state(row) == RowState::Pending) {
                s.CurrentRow = row;
                break;
            }
        }
        if (s.CurrentRow < 0)
            return;
        if (StartRow(s.CurrentRow))
            return;
    }
}

bool ConversionRun::StartRow(int row)
{
    MainState& s = m_state;
    s.SourceFile = m_queue.path(row);
    s.TargetFile = ConversionProfiles::TargetFileFor(s.SourceFile, s.WorkDir);
    s.FfmpegArgs = ConversionProfiles::FfmpegArgs(m_profile, s.SourceFile, s.TargetFile);
    const qint64 seconds = DurationSeconds(m_queue.duration(row));
    s.ExpectedSize = static_cast<qint64>(static_cast<double>(seconds) * s.OutputRate * 1024.0);

    // One that is there but cannot run fails the row, saying so.
    if (!ProcessLauncher::ProgramExists(s.FfmpegExe))
        throw VantrelError(MissingFfmpegText());
    // "-y" must never write over a file the user queued as a source.
    if (WouldOverwriteASource(s.TargetFile)) {
        MarkFailed(row, QStringLiteral("The output file %1 would overwrite a source file").arg(s.TargetFile));
        emit rowFinished(row);
        return false;
    }

    auto* child = new ChildProcess(this);
    m_child = child;
    // Queued, so that an end reported while starting is handled after the start.
    connect(child, &ChildProcess::done, this,
            [this, guard = QPointer<ChildProcess>(child)](const ChildEnd& end) {
                if (guard)
                    RunGuarded([&] { Finished(guard, end); });
            },
            Qt::QueuedConnection);
    child->start(ProcessLauncher::Plan(s.FfmpegExe, s.FfmpegArgs));

    s.Busy = true;
    s.LastSize = 0;

    auto* timer = new TAdvancedTimer(this);
    m_timer = timer;
    timer->setBuddy(s.TargetFile);
    timer->setInterval(500);
    timer->setEnabled(true);
    timer->setOnTimer(m_tickHandler);
    emit rowStarted(row);
    return true;
}

void ConversionRun::Finished(ChildProcess* child, const ChildEnd& end)
{
    if (child != m_child)
        return;
    const int row = m_state.CurrentRow;
    const QString why = FailureReason(end, m_state.FfmpegExe, m_state.TargetFile);
    if (why.isEmpty()) {
        m_queue.setState(row, RowState::Done);
        m_queue.setConvertedFile(row, QStringLiteral("AVI"));
        m_queue.setFailureDetail(row, QString());
    } else if (end.kind == ChildEnd::Kind::FailedToStart || end.errorTail.isEmpty()) {
        MarkFailed(row, why);
    } else {
        MarkFailed(row, why + QLatin1Char('\n') + end.errorTail);
    }
    m_state.Busy = false;
    ReleaseTimer();
    m_child = nullptr;
    child->deleteLater();
    emit rowFinished(row);
    StartNext();
}

void ConversionRun::MarkFailed(int row, const QString& why)
{
    m_queue.setState(row, RowState::Failed);
    m_queue.setConvertedFile(row, QString());
    m_queue.setFailureDetail(row, why);
}

bool ConversionRun::WouldOverwriteASource(const QString& target) const
{
    if (!QFileInfo::exists(target))
        return false;
    const std::filesystem::path targetPath(QFile::encodeName(target).toStdString());
    for (const QString& source : m_queue.PathList()) {
        std::error_code error;
        if (std::filesystem::equivalent(QFile::encodeName(source).toStdString(), targetPath, error))
            return true;
    }
    return false;
}

void ConversionRun::MonitorTick(QObject* sender)
{
    if (auto* timer = qobject_cast<TAdvancedTimer*>(sender))
        m_monitor.Tick(timer->Buddy());
}

qint64 ConversionRun::runningProcessId() const
{
    return m_child && m_child->isRunning() ? m_child->processId() : 0;
}

void ConversionRun::detachRunning()
{
    if (m_child) {
        m_child->detach();
        m_child->deleteLater();
        m_child = nullptr;
    }
    ReleaseTimer();
}

void ConversionRun::ReleaseTimer()
{
    if (m_timer)
        m_timer->Release();
    m_timer = nullptr;
}
