#pragma once

#include "engine/ConversionAttempt.h"
#include "engine/FfmpegProcess.h"

#include <optional>

// One file converted by an ffmpeg of its own, its sound encoded beside by a
// second ffmpeg when the plan gives it threads for that. Should the sound's
// ffmpeg fail on its own, the file converts again alone, as nothing says
// it was at fault; otherwise the picture's ffmpeg decides.
class AloneAttempt : public ConversionAttempt
{
    Q_OBJECT

public:
    AloneAttempt(FileConversion* file, QObject* parent);

    void Start(const Setup& setup) override;
    bool running() const override;
    QList<qint64> processIds() const override;
    void Kill() override;

protected:
    const ProgressMonitor& progress() const override { return m_video->progress(); }
    void EndAndWait() override;

private:
    void Ended();

    FfmpegProcess* m_video = nullptr; // writes the file
    FfmpegProcess* m_sound = nullptr; // encodes its sound beside, if any
    std::optional<FfmpegEnd> m_videoEnd, m_soundEnd;
};
