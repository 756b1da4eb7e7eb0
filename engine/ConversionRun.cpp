#include "engine/ConversionRun.h"

#include "model/MainState.h"
#include "model/QueueModel.h"
#include "platform/ChildProcess.h"
#include "platform/Error.h"
#include "platform/Folders.h"
#include "platform/ProcessLauncher.h"
#include "platform/Prompt.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
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
QString FailureReason(const ChildEnd& end, const QString& ffmpeg, const QString& outputFile)
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
    // ffmpeg ends with code 0 even when its output could not be written whole
    // (a full disk); only its own report says so.
    for (const char* writeError : {"Error writing trailer", "Error closing file", "av_interleaved_write_frame()"}) {
        if (end.errorTail.contains(QLatin1String(writeError)))
            return QStringLiteral("ffmpeg could not write the whole output file");
    }
    const QFileInfo output(outputFile);
    if (!output.isFile())
        return QStringLiteral("ffmpeg wrote no output file");
    if (output.size() == 0)
        return QStringLiteral("ffmpeg wrote an empty output file");
    return {};
}

// Puts the finished file in the output's place in one step, replacing an older file of that name.
QString MoveIntoPlace(const QString& partial, const QString& target)
{
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(target).constData()) == 0)
        return {};
    return QStringLiteral("Cannot save the output file %1: %2")
        .arg(target, QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

ConversionRun::ConversionRun(MainState& state, QueueModel& queue, QObject* parent)
    : QObject(parent), m_state(state), m_queue(queue), m_monitor(state, queue),
      m_tickHandler([this](QObject* sender) { MonitorTick(sender); })
{
}

ConversionRun::~ConversionRun()
{
    Abort();
}

QString ConversionRun::MissingFfmpegText()
{
    return QStringLiteral("Cannot find the program \"ffmpeg\", which converts the files. "
                          "Please install the package \"ffmpeg\" and start Vantrel again");
}

QString ConversionRun::NoOutputFolderText()
{
    return QStringLiteral("Choose an output folder with Browse first.");
}

QString ConversionRun::DistinctOutput(const QString& target, const QSet<QString>& taken)
{
    if (!taken.contains(target))
        return target;
    const QString stem = target.endsWith(QLatin1String(".avi")) ? target.chopped(4) : target;
    for (int n = 2;; ++n) {
        const QString candidate = stem + QStringLiteral(" (%1).avi").arg(n);
        if (!taken.contains(candidate))
            return candidate;
    }
}

void ConversionRun::Begin(ConversionProfile profile)
{
    if (!m_state.Busy) {
        if (m_state.WorkDir.trimmed().isEmpty()) {
            // Without it every output would land in the filesystem's root.
            for (int row = 0; row < m_queue.count(); ++row) {
                if (m_queue.state(row) == RowState::Pending) {
                    Prompt::message(NoOutputFolderText());
                    break;
                }
            }
            return;
        }
        m_profile = profile;
    }
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

QString ConversionRun::PartialFileFor(const QString& target)
{
    // Hidden, and named by this process, so no user file and no other copy's has it.
    return Folders::FolderPart(target) + QStringLiteral("/.vantrel-%1-%2.avi.part")
                                              .arg(QCoreApplication::applicationPid())
                                              .arg(++m_serial);
}

bool ConversionRun::StartRow(int row)
{
    MainState& s = m_state;
    s.SourceFile = m_queue.path(row);
    QSet<QString> taken = m_outputs;
    for (int other = 0; other < m_queue.count(); ++other)
        taken.insert(m_queue.output(other));
    s.TargetFile = DistinctOutput(ConversionProfiles::TargetFileFor(s.SourceFile, s.WorkDir), taken);
    const QString partial = PartialFileFor(s.TargetFile);
    s.FfmpegArgs = ConversionProfiles::FfmpegArgs(m_profile, s.SourceFile, partial);
    const qint64 seconds = DurationSeconds(m_queue.duration(row));
    s.ExpectedSize = static_cast<qint64>(static_cast<double>(seconds) * s.OutputRate * 1024.0);

    // One that is there but cannot run fails the row, saying so.
    if (!ProcessLauncher::ProgramExists(s.FfmpegExe))
        throw VantrelError(MissingFfmpegText());
    m_outputs.insert(s.TargetFile);
    m_queue.setOutput(row, s.TargetFile);
    // "-y" must never write over a file the user queued as a source.
    if (WouldOverwriteASource(s.TargetFile)) {
        MarkFailed(row, QStringLiteral("The output file %1 would overwrite a source file").arg(s.TargetFile));
        emit rowFinished(row);
        return false;
    }

    auto* child = new ChildProcess(this);
    m_child = child;
    m_partial = partial;
    // Queued, so that an end reported while starting is handled after the start.
    connect(child, &ChildProcess::done, this,
            [this, guard = QPointer<ChildProcess>(child)](const ChildEnd& end) {
                if (guard)
                    RunGuarded([&] { Finished(guard, end); });
            },
            Qt::QueuedConnection);
    LaunchPlan plan = ProcessLauncher::Plan(s.FfmpegExe, s.FfmpegArgs);
    plan.ownProcessGroup = true;
    child->start(plan);

    s.Busy = true;
    s.LastSize = 0;

    auto* timer = new TAdvancedTimer(this);
    m_timer = timer;
    timer->setBuddy(partial);
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
    const QString partial = std::exchange(m_partial, QString());
    QString why = FailureReason(end, m_state.FfmpegExe, partial);
    // ffmpeg's own last lines tell why it failed; they say nothing of a failed
    // start (its reason is in the text already) or of a failed move.
    const bool withTail = !why.isEmpty() && end.kind != ChildEnd::Kind::FailedToStart && !end.errorTail.isEmpty();
    const QString detail = withTail ? QLatin1Char('\n') + end.errorTail : QString();
    if (why.isEmpty())
        why = MoveIntoPlace(partial, m_state.TargetFile);
    if (why.isEmpty()) {
        m_queue.setState(row, RowState::Done);
        m_queue.setConvertedFile(row, QStringLiteral("AVI"));
        m_queue.setFailureDetail(row, QString());
    } else {
        QFile::remove(partial);
        MarkFailed(row, why + detail);
    }
    m_state.Busy = false;
    ReleaseTimer();
    m_child = nullptr;
    child->deleteLater();
    emit rowFinished(row);
    StartNext();
}

void ConversionRun::Abort()
{
    if (!m_child)
        return;
    ChildProcess* child = m_child;
    m_child = nullptr;
    child->disconnect(this);
    // Waits for the end, so that nothing writes the file after it is removed.
    child->kill(5000);
    child->deleteLater();
    QFile::remove(std::exchange(m_partial, QString()));
    ReleaseTimer();
    m_state.Busy = false;
    const int row = m_state.CurrentRow;
    if (row >= 0 && row < m_queue.count()) {
        MarkFailed(row, QStringLiteral("The conversion was stopped"));
        emit rowFinished(row);
    }
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

void ConversionRun::ReleaseTimer()
{
    if (m_timer)
        m_timer->Release();
    m_timer = nullptr;
}
