#include "engine/AloneAttempt.h"

#include "engine/FileConversion.h"
#include "platform/FileDescriptor.h"
#include "platform/ProcessLauncher.h"

#include <fcntl.h>
#include <unistd.h>

AloneAttempt::AloneAttempt(FileConversion* file, QObject* parent) : ConversionAttempt({file}, parent)
{ }

void AloneAttempt::Start(const Setup& setup)
{
    FileConversion& file = *files().front();
    // The parent's ends are closed once the children hold theirs, so each
    // ffmpeg sees the other's end: the picture's reads to the sound's last
    // byte, and the sound's stops when nobody reads.
    FileDescriptor readEnd, writeEnd;
    if (int ends[2]; setup.plan.threadsBeside > 0 && ::pipe2(ends, O_CLOEXEC) == 0) {
        readEnd.reset(ends[0]);
        writeEnd.reset(ends[1]);
    }
    const bool beside = readEnd.isOpen();
    if (beside) {
        m_sound = new FfmpegProcess(setup.silenceMs, this);
        connect(m_sound, &FfmpegProcess::ended, this, [this](const FfmpegEnd& end) {
            m_soundEnd = end;
            Ended();
        });
        LaunchPlan plan = ProcessLauncher::Plan(
            setup.ffmpeg, ConversionProfiles::SoundArguments(file.sourceForChild(), writeEnd.get()));
        plan.inheritedDescriptors << file.sourceDescriptor() << writeEnd.get();
        m_sound->start(plan, false);
        writeEnd.reset();
    }
    m_video = new FfmpegProcess(setup.silenceMs, this);
    connect(m_video, &FfmpegProcess::progressed, this, [this] {
        // The last report comes just before the end, when no tick may be left to show it.
        if (m_video->progress().ended())
            ShowProgress();
    });
    connect(m_video, &FfmpegProcess::ended, this, [this](const FfmpegEnd& end) {
        m_videoEnd = end;
        // Once the file's ffmpeg has failed, nobody needs the sound.
        if (!end.succeeded() && m_sound && m_sound->running())
            m_sound->stop();
        Ended();
    });
    LaunchPlan plan = ProcessLauncher::Plan(
        setup.ffmpeg, ConversionProfiles::FfmpegArguments(setup.profile, file.sourceForChild(), file.outputForChild(),
                                                          beside ? setup.plan.threadsBeside : setup.plan.threads,
                                                          beside ? readEnd.get() : -1));
    plan.inheritedDescriptors << file.descriptors();
    if (beside)
        plan.inheritedDescriptors << readEnd.get();
    m_video->start(plan);
    file.StartTimer(setup.tick);
}

void AloneAttempt::Ended()
{
    if (!m_videoEnd || (m_sound && !m_soundEnd) || files().empty())
        return;
    FileConversion* file = files().front();
    const bool soundFailedAlone = m_soundEnd && !m_soundEnd->succeeded() && !m_soundEnd->readerGone
                                  && m_soundEnd->kind != FfmpegEnd::Kind::Stopped;
    if (soundFailedAlone) {
        // No sound to encode, or a fault of its own: one ffmpeg converts the file again.
        Settle(file, ConversionOutcome::TryAlone());
    } else if (m_videoEnd->kind == FfmpegEnd::Kind::Short) {
        Settle(file, WaitOutcome(*file, *m_videoEnd));
    } else {
        Judge(file, *m_videoEnd);
    }
}

bool AloneAttempt::running() const
{
    return (m_video && m_video->running()) || (m_sound && m_sound->running());
}

QList<qint64> AloneAttempt::processIds() const
{
    QList<qint64> ids;
    if (const qint64 id = m_video ? m_video->processId() : 0; id != 0)
        ids << id;
    return ids;
}

void AloneAttempt::Kill()
{
    for (FfmpegProcess* process : {m_video, m_sound}) {
        if (process)
            process->stop();
    }
}

void AloneAttempt::EndAndWait()
{
    Kill();
    for (FfmpegProcess* process : {m_video, m_sound}) {
        if (process)
            process->waitGone(5000);
    }
}
