#pragma once

#include "engine/ConversionAttempt.h"

class FfmpegProcess;

// Several short files converted by one ffmpeg, each to its own output, as
// its start costs more than their conversion. Ended well, it has each file
// checked on its own; short of resources, each waits for a place; any other
// end says nothing of which file was at fault, so each converts again alone.
class SharedAttempt : public ConversionAttempt
{
    Q_OBJECT

public:
    SharedAttempt(std::vector<FileConversion*> files, QObject* parent);

    void Start(const Setup& setup) override;
    bool running() const override;
    QList<qint64> processIds() const override;
    void Kill() override;

protected:
    const ProgressMonitor& progress() const override;
    void EndAndWait() override;

private:
    void Ended(const FfmpegEnd& end);

    FfmpegProcess* m_ffmpeg = nullptr;
};
