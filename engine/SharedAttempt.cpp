#include "engine/SharedAttempt.h"

#include "engine/FfmpegProcess.h"
#include "engine/FileConversion.h"
#include "platform/ProcessLauncher.h"

#include <algorithm>

SharedAttempt::SharedAttempt(std::vector<FileConversion*> files, QObject* parent)
    : ConversionAttempt(std::move(files), parent)
{ }

void SharedAttempt::Start(const Setup& setup)
{
    QList<std::pair<QString, QString>> paths;
    QList<int> descriptors;
    for (const FileConversion* file : files()) {
        paths << std::make_pair(file->sourceForChild(), file->outputForChild());
        descriptors << file->descriptors();
    }
    m_ffmpeg = new FfmpegProcess(setup.silenceMs, this);
    connect(m_ffmpeg, &FfmpegProcess::progressed, this, [this] {
        if (m_ffmpeg->progress().ended())
            ShowProgress();
    });
    connect(m_ffmpeg, &FfmpegProcess::ended, this, &SharedAttempt::Ended);
    LaunchPlan plan = ProcessLauncher::Plan(
        setup.ffmpeg, ConversionProfiles::SharedArguments(setup.profile, paths, setup.plan.threads));
    plan.inheritedDescriptors = descriptors;
    m_ffmpeg->start(plan);
    for (FileConversion* file : files())
        file->StartTimer(setup.tick);
}

void SharedAttempt::Ended(const FfmpegEnd& end)
{
    // Settling may take files out: each is handled from a copy.
    const std::vector<FileConversion*> ended = files();
    for (FileConversion* file : ended) {
        if (std::find(files().cbegin(), files().cend(), file) == files().cend())
            continue;
        if (end.succeeded())
            Judge(file, end);
        else if (end.kind == FfmpegEnd::Kind::Short)
            Settle(file, WaitOutcome(*file, end));
        else
            Settle(file, ConversionOutcome::TryAlone());
    }
}

bool SharedAttempt::running() const
{
    return m_ffmpeg && m_ffmpeg->running();
}

QList<qint64> SharedAttempt::processIds() const
{
    const qint64 id = m_ffmpeg ? m_ffmpeg->processId() : 0;
    return id != 0 ? QList<qint64>{id} : QList<qint64>{};
}

void SharedAttempt::Kill()
{
    if (m_ffmpeg)
        m_ffmpeg->stop();
}

void SharedAttempt::EndAndWait()
{
    Kill();
    if (m_ffmpeg)
        m_ffmpeg->waitGone(5000);
}

const ProgressMonitor& SharedAttempt::progress() const
{
    return m_ffmpeg->progress();
}
