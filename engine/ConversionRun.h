#pragma once

#include "engine/ConversionProfile.h"
#include "engine/ProgressMonitor.h"
#include "engine/advantmr.h"

#include <QObject>
#include <QPointer>
#include <QSet>

struct ChildEnd;
class ChildProcess;
struct MainState;
class QueueModel;

// A conversion run: hands the queue's "Pending" rows to ffmpeg one at a time,
// top to bottom, all with the profile of the button that began the run, and
// marks each row by how its ffmpeg process ended: "Done" and "AVI", or
// "Failed" with ffmpeg's last error lines as the row's tooltip.
//
// ffmpeg writes under a hidden temporary name beside the output, which takes
// the output's name only when the conversion succeeded, so no half-written
// file ever stands under an output's name and an older file of that name is
// replaced only by a finished one. No two rows of a run share an output.
class ConversionRun : public QObject
{
    Q_OBJECT

public:
    ConversionRun(MainState& state, QueueModel& queue, QObject* parent = nullptr);
    ~ConversionRun() override; // a running conversion is ended, as by Abort()

    // A press on a conversion button; ignored while a file converts. Without
    // an output folder it asks for one and starts nothing. Throws when the
    // first file cannot be started (ffmpeg missing, a duration that is not a
    // number); the row then stays "Pending".
    void Begin(ConversionProfile profile);

    // Ends the running conversion and its whole process group, removes its
    // unfinished file and marks its row "Failed"; starts nothing more.
    void Abort();

    // What every file's timer calls at each tick; the progress monitor unless
    // the window routes it through its own handler.
    void setTickHandler(TNotifyEvent handler) { m_tickHandler = std::move(handler); }
    // The progress monitor's tick for the timer that ticked.
    void MonitorTick(QObject* sender);

    ConversionProfile profile() const { return m_profile; }
    // The process id of the running ffmpeg; 0 when none runs.
    qint64 runningProcessId() const;
    // The running file's timer, while one runs.
    TAdvancedTimer* timer() const { return m_timer; }
    // Where the running ffmpeg writes until it has finished; empty when none runs.
    QString partialFile() const { return m_partial; }

    // Message shown when there is no ffmpeg to run.
    static QString MissingFfmpegText();
    // Message shown when a run is asked for without an output folder.
    static QString NoOutputFolderText();
    // Target with " (2)", " (3)"... before its ".avi" until it is none of taken.
    static QString DistinctOutput(const QString& target, const QSet<QString>& taken);

signals:
    // ffmpeg was started for a row; FfmpegArgs and TargetFile are the row's.
    void rowStarted(int row);
    // A row reached "Done" or "Failed".
    void rowFinished(int row);
    // The run stopped: no "Pending" row was left, or the next could not start.
    void runEnded();

private:
    void StartNext();
    void FindAndStartRow();
    bool StartRow(int row); // false when the row was refused and marked "Failed"
    void Finished(ChildProcess* child, const ChildEnd& end);
    void MarkFailed(int row, const QString& why);
    bool WouldOverwriteASource(const QString& target) const;
    QString PartialFileFor(const QString& target);
    void ReleaseTimer();

    MainState& m_state;
    QueueModel& m_queue;
    ProgressMonitor m_monitor;
    ConversionProfile m_profile = ConversionProfile::DivxAvi;
    TNotifyEvent m_tickHandler;
    QPointer<ChildProcess> m_child;   // owned as a child
    QPointer<TAdvancedTimer> m_timer; // owned as a child
    QString m_partial;                // the running conversion's temporary file
    QSet<QString> m_outputs;          // every output a row of this run was given
    int m_serial = 0;                 // makes each temporary name unique
};
