#pragma once

#include "engine/ConversionOutcome.h"
#include "engine/ConversionProfile.h"
#include "engine/RunSchedule.h"
#include "engine/advantmr.h"

#include <QList>
#include <QObject>

#include <memory>
#include <optional>
#include <vector>

class FileConversion;
class ProgressMonitor;
struct FfmpegEnd;

// One way of converting files with ffmpeg: each file alone, alone with its
// sound encoded beside, or several short files in one ffmpeg. An attempt owns
// its ffmpegs and its files, and ends each file once, through settled(), with
// one outcome; a file taken out by Take() is never told of again.
class ConversionAttempt : public QObject
{
    Q_OBJECT

public:
    // How the attempt's ffmpegs run.
    struct Setup
    {
        QString ffmpeg;
        ConversionProfile profile = ConversionProfile::DivxAvi;
        RunSchedule::Plan plan;
        int silenceMs = 60000; // an ffmpeg that reports no progress this long is ended
        TNotifyEvent tick;     // what every file's timer calls
    };

    // Takes the files over, as children.
    ConversionAttempt(std::vector<FileConversion*> files, QObject* parent);

    virtual void Start(const Setup& setup) = 0;

    // Its files not settled nor taken out yet, in the order they were given.
    const std::vector<FileConversion*>& files() const { return m_files; }
    FileConversion* file(quint64 id) const;
    // One of its ffmpegs has not ended, even if that end is not handled yet.
    virtual bool running() const = 0;
    // Its running ffmpegs' process ids.
    virtual QList<qint64> processIds() const = 0;
    // The progress tick of the file whose timer it is.
    void Tick(const QObject* timer);

    // Every ffmpeg's whole process group is sent its end, without waiting.
    virtual void Kill() = 0;
    // A file taken out, its unfinished file removed, a child of the
    // attempt's parent; deleted later, as a tick of its timer may be what took it out.
    struct DeleteLater
    {
        void operator()(QObject* object) const { object->deleteLater(); }
    };
    using Taken = std::unique_ptr<FileConversion, DeleteLater>;
    // Takes the file out while its ffmpeg runs, ending that ffmpeg (and
    // waiting for it) unless other files still need it; null once the file's
    // ffmpeg has ended, as its end decides it.
    Taken Take(quint64 id);
    // Takes every file out, its ffmpegs ended and waited for.
    std::vector<Taken> TakeAll();
    // Microseconds of the sources its ffmpeg has reported converted; nothing before its first report.
    std::optional<qint64> processedUs() const;

signals:
    void settled(FileConversion& file, const ConversionOutcome& outcome);

protected:
    // The one ffmpeg that converts the files, or the picture's.
    virtual const ProgressMonitor& progress() const = 0;
    // Ends the ffmpegs and waits for them, when no file needs them.
    virtual void EndAndWait() = 0;
    // Every file shows the progress as it stands.
    void ShowProgress();
    // The file's ffmpeg ended: a file it wrote is checked, else the file failed.
    void Judge(FileConversion* file, const FfmpegEnd& end);
    void Settle(FileConversion* file, const ConversionOutcome& outcome);
    // The outcome for a file whose ffmpeg could not start for want of resources.
    static ConversionOutcome WaitOutcome(const FileConversion& file, const FfmpegEnd& end);

private:
    Taken Detach(FileConversion* file);

    std::vector<FileConversion*> m_files;
};
