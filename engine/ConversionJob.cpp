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

// Why a finished ffmpeg did not give a usable output; an empty reason when it did.
FfmpegReport::Failure FailureReason(const ChildEnd& end, const QString& ffmpeg, const QString& outputFile,
                                    const QString& target)
{
    if (FfmpegReport::Failure failure = FfmpegReport::Reason(end, ffmpeg); !failure.reason.isEmpty())
        return failure;
    const QFileInfo output(outputFile);
    const QString folder = Folders::FolderPart(target);
    if (!FileIdentity::Reached(folder).folder)
        return {QStringLiteral("The output folder %1 no longer exists").arg(folder), {}};
    if (!output.isFile() || output.size() == 0)
        return {QStringLiteral("ffmpeg wrote no output file"), {}};
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
    : m_queue(queue), m_owner(owner), m_hearer(std::make_unique<QObject>()), m_id(queue.id(row)), m_batch(m_id),
      m_seconds(queue.seconds(row)), m_target(target), m_before(before), m_source(queue.path(row))
{
    // Opened once, here: whatever takes its name later is never read.
    m_input = std::make_unique<SourceFile>(m_source);
    m_output = UnfinishedFile::Create(Folders::FolderPart(target));
    m_partial = m_output->readablePath();
}

ConversionJob::~ConversionJob()
{
    // Nothing of the children's or the check's reaches a job that is gone.
    m_hearer.reset();
    ReleaseTimer();
}

int ConversionJob::row() const
{
    return m_queue.rowOf(m_id);
}

void ConversionJob::Prepare(const QString& ffmpeg, ConversionProfile profile, const RunSchedule::Plan& plan,
                            const Handlers& handlers)
{
    m_program = ffmpeg;
    m_profile = profile;
    m_plan = plan;
    m_handlers = handlers;
    m_timer = new TAdvancedTimer(m_owner);
}

void ConversionJob::StartTimer(const TNotifyEvent& tick)
{
    m_timer->setBuddy(m_partial);
    m_timer->setInterval(500);
    m_timer->setEnabled(true);
    m_timer->setOnTimer(tick);
}

void ConversionJob::Start(const QString& ffmpeg, ConversionProfile profile, const RunSchedule::Plan& plan,
                          const TNotifyEvent& tick, const Handlers& handlers)
{
    Prepare(ffmpeg, profile, plan, handlers);
    Launch(plan.threadsBeside > 0);
    StartTimer(tick);
}

void ConversionJob::StartTogether(const std::vector<ConversionJob*>& jobs, const QString& ffmpeg,
                                  ConversionProfile profile, const RunSchedule::Plan& plan, const TNotifyEvent& tick,
                                  const Handlers& handlers)
{
    if (jobs.size() == 1) {
        jobs.front()->Start(ffmpeg, profile, plan, tick, handlers);
        return;
    }
    QList<std::pair<QString, QString>> files;
    QList<int> descriptors;
    for (ConversionJob* job : jobs) {
        job->Prepare(ffmpeg, profile, RunSchedule::Plan{plan.threads, 0}, handlers);
        job->m_batch = jobs.front()->m_id;
        job->m_shared = true;
        job->m_sinceProgress.start();
        files << std::make_pair(job->m_input->childPath(), job->m_output->childPath());
        descriptors << job->m_output->descriptor() << job->m_input->descriptor();
    }
    const std::shared_ptr<ChildProcess> child = jobs.front()->NewFfmpeg();
    for (ConversionJob* job : jobs)
        job->Follow(child);
    LaunchPlan launch
        = ProcessLauncher::Plan(ffmpeg, ConversionProfiles::SharedArguments(profile, files, plan.threads));
    launch.ownProcessGroup = true;
    launch.readOutput = true;
    launch.inheritedDescriptors = descriptors;
    child->start(launch);
    for (ConversionJob* job : jobs)
        job->StartTimer(tick);
}

std::shared_ptr<ChildProcess> ConversionJob::NewFfmpeg() const
{
    // Gone once the last job that shares it lets it go.
    return std::shared_ptr<ChildProcess>(new ChildProcess(m_owner), [](ChildProcess* child) { child->deleteLater(); });
}

void ConversionJob::Follow(const std::shared_ptr<ChildProcess>& child)
{
    m_child = child;
    // Its progress report, as ffmpeg writes it.
    QObject::connect(child.get(), &ChildProcess::output, m_hearer.get(), [this](const QByteArray& bytes) {
        const auto before = std::make_pair(m_monitor.processedUs(), m_monitor.totalSize());
        m_monitor.Feed(bytes);
        if (std::make_pair(m_monitor.processedUs(), m_monitor.totalSize()) != before)
            m_sinceProgress.start();
        // The last report comes just before the end, when no tick may be left to show it.
        if (m_monitor.ended())
            ShowProgress();
    });
    // Queued, so that an end reported while starting is handled after the start.
    QObject::connect(
        child.get(), &ChildProcess::done, m_hearer.get(),
        [this, from = child.get()](const ChildEnd& end) {
            // An ffmpeg the job let go of (killed and waited for) no longer speaks for it.
            if (m_child.get() != from)
                return;
            from->disconnect(m_hearer.get());
            m_child.reset();
            m_end = end;
            // Once the file's ffmpeg has failed, nobody needs the sound.
            if (!end.succeeded() && m_sound && !m_sound->hasEnded()) {
                m_soundCut = true;
                m_sound->kill();
            }
            ChildEnded();
        },
        Qt::QueuedConnection);
}

void ConversionJob::FollowSound(ChildProcess* child)
{
    m_sound = child;
    QObject::connect(
        child, &ChildProcess::done, m_hearer.get(),
        [this, guard = QPointer<ChildProcess>(child)](const ChildEnd& end) {
            if (!guard || guard != m_sound)
                return;
            guard->disconnect(m_hearer.get());
            guard->deleteLater();
            m_sound = nullptr;
            m_soundEnd = end;
            ChildEnded();
        },
        Qt::QueuedConnection);
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
        auto* sound = new ChildProcess(m_owner);
        FollowSound(sound);
        LaunchPlan plan = ProcessLauncher::Plan(
            m_program, ConversionProfiles::SoundArguments(m_input->childPath(), writeEnd.get()));
        plan.ownProcessGroup = true;
        plan.inheritedDescriptors << m_input->descriptor() << writeEnd.get();
        sound->start(plan);
        writeEnd.reset();
    }
    const std::shared_ptr<ChildProcess> child = NewFfmpeg();
    Follow(child);
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
    const FfmpegReport::Failure why = FailureReason(end, m_program, m_partial, m_target);
    if (why.reason.isEmpty()) {
        auto* check = new OutputCheck(m_owner);
        m_check = check;
        QObject::connect(check, &OutputCheck::judged, m_hearer.get(), [this, check](const OutputCheck::Result& result) {
            check->disconnect(m_hearer.get());
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
    // ffmpeg knows the source and the output only by the descriptors it was given.
    const auto named = [](const QString& descriptor) {
        return QRegularExpression(QRegularExpression::escape(descriptor) + QStringLiteral("(?!\\d)"));
    };
    return FfmpegReport::Detail(why, withTail ? end.errorTail : QString())
        .replace(named(m_input->childPath()), m_source)
        .replace(named(m_output->childPath()), m_target);
}

void ConversionJob::Kill()
{
    // A shared ffmpeg ends for every job it converts: their rows are taken
    // back, as nothing says their files were at fault.
    for (ChildProcess* child : {m_child.get(), m_sound.data()}) {
        if (child) {
            child->disconnect(m_hearer.get());
            child->kill();
        }
    }
}

void ConversionJob::Discard()
{
    // Waits for the end, so that nothing writes the file after it is removed.
    if (m_child)
        m_child->kill(5000);
    m_child.reset();
    if (m_sound) {
        m_sound->kill(5000);
        m_sound->deleteLater();
    }
    if (m_check) {
        m_check->disconnect(m_hearer.get());
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
