#pragma once

#include "engine/ConversionProfile.h"
#include "engine/ProgressMonitor.h"
#include "engine/advantmr.h"

#include <QObject>
#include <QPointer>

struct ChildEnd;
class ChildProcess;
struct MainState;
class QueueModel;

// A conversion run: hands the queue's "Pending" rows to ffmpeg one at a time,
// top to bottom, all with the profile of the button that began the run, and
// marks each row by how its ffmpeg process ended: "Done" and "AVI", or
// "Failed" with ffmpeg's last error lines as the row's tooltip.
class ConversionRun : public QObject
{
    Q_OBJECT

public:
    ConversionRun(MainState& state, QueueModel& queue, QObject* parent = nullptr);
    ~ConversionRun() override; // a running ffmpeg is stopped unless detached

    // A press on a conversion button; ignored while a file converts. Throws
    // when the first file cannot be started (ffmpeg missing, a duration that
    // is not a number); the row then stays "Pending".
    void Begin(ConversionProfile profile);

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
    // Lets the running ffmpeg outlive this object and the program; this
    // program then no longer follows it.
    void detachRunning();

    // Message shown when there is no ffmpeg to run.
    static QString MissingFfmpegText();

signals:
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
    void ReleaseTimer();

    MainState& m_state;
    QueueModel& m_queue;
    ProgressMonitor m_monitor;
    ConversionProfile m_profile = ConversionProfile::DivxAvi;
    TNotifyEvent m_tickHandler;
    QPointer<ChildProcess> m_child;   // owned as a child
    QPointer<TAdvancedTimer> m_timer; // owned as a child
};
