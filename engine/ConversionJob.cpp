#include "engine/ConversionJob.h"

#include "engine/FfmpegReport.h"
#include "model/QueueModel.h"
#include "platform/ChildProcess.h"
#include "platform/FileDescriptor.h"
#include "platform/Folders.h"
#include "platform/ProcessLauncher.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

#include <utility>

namespace {

// Why a finished ffmpeg did not give a usable output; empty when it did.
QString FailureReason(const ChildEnd& end, const QString& ffmpeg, const QString& outputFile, const QString& target)
{
    if (QString why = FfmpegReport::Reason(end, ffmpeg); !why.isEmpty())
        return why;
    const QFileInfo output(outputFile);
    const QString folder = Folders::FolderPart(target);
    if (!FileIdentity::Reached(folder).folder)
        return QStringLiteral("The output folder %1 no longer exists").arg(folder);
    if (!output.isFile() || output.size() == 0)
        return QStringLiteral("ffmpeg wrote no output file");
    return {};
}

// The sound's ffmpeg ended because the file's ffmpeg had gone: that end follows the other's.
bool LostItsReader(const ChildEnd& end)
{
    return (end.kind == ChildEnd::Kind::Crashed && end.signal == SIGPIPE)
           || end.errorOutput.contains(QLatin1String("Broken pipe"));
}

} // namespace

ConversionJob::ConversionJob(QueueModel& queue, int row, const QString& target, const FileIdentity& before,
                             QObject* owner)
    : m_queue(queue), m_owner(owner), m_id(queue.id(row)), m_seconds(queue.seconds(row)), m_target(target),
      m_before(before), m_source(queue.path(row))
{
    // Opened once, here: whatever takes its name later is never read.
    m_input = std::make_unique<SourceFile>(m_source);
    m_output = UnfinishedFile::Create(Folders::FolderPart(target));
    m_output->MarkSource(QFileInfo(m_source).absoluteFilePath());
    m_partial = m_output->readablePath();
}

ConversionJob::~ConversionJob()
{
    // Nothing of the child's or the check's may reach a job that is gone.
    for (ChildProcess* child : {m_child.data(), m_sound.data()}) {
        if (child)
            child->disconnect(m_owner);
    }
    if (m_check)
        m_check->disconnect(m_owner);
    ReleaseTimer();
}

int ConversionJob::row() const
{
    return m_queue.rowOf(m_id);
}

void ConversionJob::Start(const QString& ffmpeg, ConversionProfile profile, const RunSchedule::Plan& plan,
                          const TNotifyEvent& tick, const Handlers& handlers)
{
    m_program = ffmpeg;
    m_profile = profile;
    m_plan = plan;
    m_handlers = handlers;
    auto* timer = new TAdvancedTimer(m_owner);
    m_timer = timer;
    Launch(plan.threadsBeside > 0);
    timer->setBuddy(m_partial);
    timer->setInterval(500);
    timer->setEnabled(true);
    timer->setOnTimer(tick);
}

ChildProcess* ConversionJob::NewChild(bool video)
{
    auto* child = new ChildProcess(m_owner);
    if (video) {
        // Its progress report, as ffmpeg writes it.
        QObject::connect(child, &ChildProcess::output, m_owner, [this](const QByteArray& bytes) {
            const auto before = std::make_pair(m_monitor.processedUs(), m_monitor.totalSize());
            m_monitor.Feed(bytes);
            if (std::make_pair(m_monitor.processedUs(), m_monitor.totalSize()) != before)
                m_sinceProgress.start();
            // The last report comes just before the end, when no tick may be left to show it.
            if (m_monitor.ended())
                ShowProgress();
        });
    }
    // Queued, so that an end reported while starting is handled after the start.
    QObject::connect(
        child, &ChildProcess::done, m_owner,
        [this, video, guard = QPointer<ChildProcess>(child)](const ChildEnd& end) {
            if (!guard)
                return;
            guard->disconnect(m_owner);
            guard->deleteLater();
            (video ? m_child : m_sound) = nullptr;
            (video ? m_end : m_soundEnd) = end;
            // Once the file's ffmpeg has failed, nobody needs the sound.
            if (video && !end.succeeded() && m_sound && !m_sound->hasEnded()) {
                m_soundCut = true;
                m_sound->kill();
            }
            ChildEnded();
        },
        Qt::QueuedConnection);
    return child;
}

void ConversionJob::Launch(bool soundBeside)
{
    m_sinceProgress.start();
    m_monitor = ProgressMonitor();
    m_end.reset();
    m_soundEnd.reset();
    m_soundCut = false;
    // The parent's ends are closed once the children hold theirs, so each
    // ffmpeg sees the other's end: the video's reads to the sound's last
    // byte, and the sound's stops when nobody reads.
    FileDescriptor readEnd, writeEnd;
    if (int ends[2]; soundBeside && ::pipe2(ends, O_CLOEXEC) == 0) {
        readEnd.reset(ends[0]);
        writeEnd.reset(ends[1]);
    }
    m_beside = readEnd.isOpen();
    if (m_beside) {
        auto* sound = NewChild(false);
        m_sound = sound;
        LaunchPlan plan = ProcessLauncher::Plan(
            m_program, ConversionProfiles::SoundArguments(m_input->childPath(), writeEnd.get()));
        plan.ownProcessGroup = true;
        plan.inheritedDescriptors << m_input->descriptor() << writeEnd.get();
        sound->start(plan);
        writeEnd.reset();
    }
    auto* child = NewChild(true);
    m_child = child;
    LaunchPlan plan = ProcessLauncher::Plan(
        m_program, ConversionProfiles::FfmpegArguments(m_profile, m_input->childPath(), m_output->childPath(),
                                                       m_beside ? m_plan.threadsBeside : m_plan.threads,
                                                       m_beside ? readEnd.get() : -1));
    plan.ownProcessGroup = true;
    plan.readOutput = true;
    plan.inheritedDescriptors << m_output->descriptor() << m_input->descriptor();
    if (m_beside)
        plan.inheritedDescriptors << readEnd.get();
    child->start(plan);
}

void ConversionJob::ChildEnded()
{
    if (m_child || m_sound)
        return;
    if (m_beside && !m_soundCut && !m_soundEnd->succeeded() && !LostItsReader(*m_soundEnd)) {
        // No sound to encode, or a fault of its own: one ffmpeg converts the
        // file again, and its end says what the file is, as if it had been alone.
        Launch(false);
        return;
    }
    ReleaseTimer();
    // Kept here: the handler may end the job.
    const auto ended = m_handlers.ended;
    ended(*this, *m_end);
}

bool ConversionJob::running() const
{
    return (m_child && !m_child->hasEnded()) || (m_sound && !m_sound->hasEnded());
}

qint64 ConversionJob::processId() const
{
    return m_child && m_child->isRunning() ? m_child->processId() : 0;
}

void ConversionJob::ShowProgress()
{
    const std::optional<int> percent = m_monitor.Percent(m_seconds);
    const int at = row();
    if (!percent || *percent == m_shown || at < 0)
        return;
    m_shown = *percent;
    m_queue.setState(at, RowState::Converting, *percent);
}

QString ConversionJob::Judge(const ChildEnd& end)
{
    const QString why = FailureReason(end, m_program, m_partial, m_target);
    if (why.isEmpty()) {
        auto* check = new OutputCheck(m_owner);
        m_check = check;
        QObject::connect(check, &OutputCheck::judged, m_owner, [this, check](const OutputCheck::Result& result) {
            check->disconnect(m_owner);
            check->deleteLater();
            // Kept here: the handler may end the job.
            const auto judged = m_handlers.judged;
            judged(*this, result);
        });
        const int at = row();
        check->start(m_partial, at >= 0 ? m_queue.milliseconds(at) : -1);
        return {};
    }
    // ffmpeg's own last lines beneath the reason; a failed start has its reason in the text already.
    const bool withTail = end.kind != ChildEnd::Kind::FailedToStart && !end.errorTail.isEmpty();
    // ffmpeg knows the source only by the descriptor it read.
    const QRegularExpression input(QRegularExpression::escape(m_input->childPath()) + QStringLiteral("(?!\\d)"));
    return QString(withTail ? why + QLatin1Char('\n') + end.errorTail : why).replace(input, m_source);
}

void ConversionJob::Kill()
{
    for (ChildProcess* child : {m_child.data(), m_sound.data()}) {
        if (child) {
            child->disconnect(m_owner);
            child->kill();
        }
    }
}

void ConversionJob::Discard()
{
    for (ChildProcess* child : {m_child.data(), m_sound.data()}) {
        if (child) {
            // Waits for the end, so that nothing writes the file after it is removed.
            child->kill(5000);
            child->deleteLater();
        }
    }
    if (m_check) {
        m_check->disconnect(m_owner);
        m_check->stop();
        m_check->deleteLater();
    }
    Release();
}

void ConversionJob::Release()
{
    m_output.reset();
    ReleaseTimer();
}

void ConversionJob::ReleaseTimer()
{
    if (m_timer)
        m_timer->Release();
    m_timer = nullptr;
}
