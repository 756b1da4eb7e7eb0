#pragma once

#include "engine/FfmpegReport.h"
#include "engine/ProgressMonitor.h"
#include "platform/ChildProcess.h"

#include <QObject>
#include <QTimer>

// How an ffmpeg ended, told once and whole: nobody above works out again
// whether it hung or lacked resources.
struct FfmpegEnd
{
    enum class Kind {
        Succeeded,   // exit code 0 and its output written whole
        Exited,      // an exit code, a signal it caught and ended on, or a write it said had failed
        Signalled,   // ended by a signal
        Missing,     // could not start: the program file is not there
        Short,       // could not start: too few descriptors, processes or memory for now
        NotRunnable, // could not start: there, but it cannot run
        Hung,        // reported no progress for the limit and was ended
        Stopped,     // ended by the program
    };
    Kind kind = Kind::Exited;
    FfmpegReport::Failure failure; // its reason in words; empty for Succeeded
    QString errorTail;             // ffmpeg's last error lines
    int startError = 0;            // the system's errno for a start that failed
    bool readerGone = false;       // it ended as what it wrote had nobody left to read it

    bool succeeded() const { return kind == Kind::Succeeded; }
    bool couldNotStart() const { return kind == Kind::Missing || kind == Kind::Short || kind == Kind::NotRunnable; }

    // The end of program as the child reported it; hung or stopped when the
    // program ended it for that, silenceMs being the limit it kept.
    static FfmpegEnd Of(const ChildEnd& end, const QString& program, bool hung, bool stopped, int silenceMs);
};

// One ffmpeg started by a conversion: its process group, its progress report,
// and a watchdog that ends it when it reports no progress for silenceMs.
// ended() comes once, after its start whatever happened, through the event loop.
class FfmpegProcess : public QObject
{
    Q_OBJECT

public:
    FfmpegProcess(int silenceMs, QObject* parent);

    void start(LaunchPlan plan, bool reportsProgress = true);
    const ProgressMonitor& progress() const { return m_monitor; }
    // Started, and not ended yet, even if its end is not handled yet.
    bool running() const;
    // Its process id while it runs; 0 otherwise.
    qint64 processId() const;
    // Ends its whole group, without waiting; its end is told as Stopped.
    void stop();
    // Waits up to waitMs for the end of a process stopped, so nothing it wrote comes after.
    void waitGone(int waitMs);

signals:
    // Its progress report moved on.
    void progressed();
    void ended(const FfmpegEnd& end);

private:
    void Ended(const ChildEnd& end);

    ChildProcess m_child;
    QString m_program;
    int m_silenceMs;
    QTimer m_silence; // runs out when no progress came for the limit
    ProgressMonitor m_monitor;
    bool m_started = false;
    bool m_hung = false;
    bool m_stopped = false;
};
