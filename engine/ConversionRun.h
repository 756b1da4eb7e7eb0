#pragma once

#include "engine/ConversionProfile.h"
#include "engine/OutputCheck.h"
#include "engine/ProgressMonitor.h"
#include "engine/RunSchedule.h"
#include "engine/advantmr.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QList>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

#include "platform/SourceFile.h"
#include "platform/UnfinishedFile.h"

struct ChildEnd;
class ChildProcess;
class QueueModel;
struct Settings;
struct Tools;

// A conversion run: hands the queue's "Pending" rows to ffmpeg in RunSchedule's order,
// up to the settings' jobs() side by side, all with the profile of the button
// that began the run, and marks each row by how its own ffmpeg process ended
// and what mediainfo finds in the file it wrote: "Done" and "AVI" (a warning
// as the row's tooltip when the file plays short), or "Failed" with the reason
// and ffmpeg's last error lines as the row's tooltip. The next row starts the
// moment one ends. Meanwhile each row shows the share of its source that
// ffmpeg reports as converted.
//
// ffmpeg writes an unfinished file that the run made itself in the output
// folder (unnamed, or at a random hidden name), which takes the output's name
// only when the conversion succeeded: no half-written file ever stands under
// an output's name, nobody else can put a file or a link in its way, and a
// finished file replaces only a file that stood at its name before the run
// began and still does, unless it is another source's output; one that came
// since (another run's), a folder or a link is kept and the row takes the
// next " (N)" name. No two rows of a run share an output. A row whose ffmpeg cannot
// start for want of descriptors, processes or memory stays "Pending" until a
// running row ends. Each job knows its row by the row's id, so rows removed
// or added around it never make it mark another. An ffmpeg that reports no
// progress for the tools' limit is taken for hung: ended, and its row "Failed".
class ConversionRun : public QObject
{
    Q_OBJECT

public:
    ConversionRun(const Settings& settings, const Tools& tools, QueueModel& queue, QObject* parent = nullptr);
    ~ConversionRun() override; // running conversions are ended, as by Abort()

    // A press on a conversion button; ignored while the run goes on. Without
    // an output folder it starts nothing and returns false when rows wait,
    // for the caller to ask for one. Throws when a file cannot be started
    // (ffmpeg missing, a duration that is not a number); that row then stays
    // "Pending" and no further row starts in this run.
    bool Begin(ConversionProfile profile);

    // While more rows are coming (files still being measured), a run that has
    // begun waits for them instead of ending when it runs out of rows; it ends
    // once none is coming and none is left.
    void setMoreRowsComing(bool coming);

    // A conversion runs, any of them.
    bool busy() const { return !m_jobs.empty(); }

    // Ends every running conversion and its whole process group, removes their
    // unfinished files and marks their rows "Failed"; starts nothing more.
    void Abort();

    // The user's stop of one row: ends its ffmpeg and whole process group,
    // removes its unfinished file, marks the row "Failed" with StoppedText()
    // and starts the next "Pending" row. False, changing nothing, when the
    // row's ffmpeg has already ended, even if that end is not handled yet: the
    // end decides the row. Throws as Begin() when the next row cannot start.
    bool Stop(int row);
    // The user's stop of the whole run: every row whose ffmpeg runs is stopped
    // as by Stop(), and no further row starts in this run.
    void StopAll();
    // The reason a row stopped by the user shows.
    static QString StoppedText();

    // What every file's timer calls at each tick; the progress monitor unless
    // the window routes it through its own handler.
    void setTickHandler(TNotifyEvent handler) { m_tickHandler = std::move(handler); }
    // The progress tick for the row whose timer ticked.
    void MonitorTick(QObject* sender);

    ConversionProfile profile() const { return m_profile; }
    // The process id of the ffmpeg started last that still runs; 0 when none runs.
    qint64 runningProcessId() const;
    // Every running ffmpeg's process id, in the order they were started.
    QList<qint64> runningProcessIds() const;
    // The rows converting now, in the order they were started.
    QList<int> runningRows() const;
    // The timer of the row started last, while one runs.
    TAdvancedTimer* timer() const;
    // Where the ffmpeg started last writes until it has finished; empty when none runs.
    QString partialFile() const;
    // The same for every running conversion, in the order they were started.
    QStringList partialFiles() const;

    // Message shown when there is no ffmpeg to run.
    static QString MissingFfmpegText();
    // Message shown when a run is asked for without an output folder.
    static QString NoOutputFolderText();
    // Target with " (2)", " (3)"... before its ".avi" until it is none of taken.
    static QString DistinctOutput(const QString& target, const QSet<QString>& taken);
    // The n-th name a target may take: the target itself for 1, else " (n)" before its ".avi".
    static QString NumberedOutput(const QString& target, int n);

signals:
    // ffmpeg was started for the row with the id; the row's output is its target.
    void rowStarted(quint64 id);
    // The row with the id reached "Done" or "Failed".
    void rowFinished(quint64 id);
    // What stopped the run between the user's actions (ffmpeg missing, a row
    // that could not start), as the general error box words it.
    void failed(const QString& text);
    // The run stopped: no row runs, and none is left to start or the next could not start.
    void runEnded();

private:
    // One row being converted.
    struct Job
    {
        quint64 id = 0;                         // the row's
        qint64 seconds = 0;                     // the probed duration
        QString program;                        // the ffmpeg started
        QString target;                         // the output's name once finished
        FileIdentity before;                    // what stood at that name when the row started
        std::unique_ptr<UnfinishedFile> output; // what ffmpeg writes until then
        std::unique_ptr<SourceFile> input;      // what ffmpeg reads, opened when the row started
        QString source;                         // the source's path, as reasons name it
        QString partial;                        // where the unfinished file can be read
        QPointer<ChildProcess> child;           // owned as a child of the run
        QPointer<TAdvancedTimer> timer;         // owned as a child of the run
        QPointer<OutputCheck> check;            // reads the finished file; owned as a child of the run
        ProgressMonitor monitor;
        int shown = -1;        // the percentage the row shows; -1 none yet
        qint64 progressMs = 0; // by m_clock: when ffmpeg started or last reported progress
    };

    void StartNext();
    // Runs a step the event loop called for: what it throws is told by failed().
    void Telling(const std::function<void()>& step);
    void EndIfDone();
    // The job's row now; -1 when the row was removed.
    int RowOf(const Job& job) const;
    void FillJobs();
    int NextPendingRow() const;
    bool StartRow(int row); // false when the row was refused and marked "Failed"
    void ShowProgress(Job& job);
    void Finished(ChildProcess* child, const ChildEnd& end);
    void CheckOutput(Job& job);
    void Judged(OutputCheck* check, const OutputCheck::Result& result);
    // Ends a job: its row fails for failure, or its file takes the output's
    // name and the row is "Done", with warning as its tooltip.
    void Settle(Job* job, const QString& failure, const QString& warning = {});
    void MarkFailed(int row, const QString& why);
    // Kills every job's group before waiting for any, removes their unfinished
    // files and marks their rows "Failed" with why.
    void End(std::vector<std::unique_ptr<Job>> jobs, const QString& why);
    // Takes out of the run the jobs whose ffmpeg still runs and that `which` picks.
    std::vector<std::unique_ptr<Job>> TakeRunning(const std::function<bool(const Job&)>& which);
    bool WouldOverwriteASource(const QString& target);
    // What a row's finished file may replace at target: the file there when it stood there as the run began; else none.
    FileIdentity Replaceable(const QString& target, const QString& source) const;
    // Gives a finished file its name; empty, or why it could not.
    QString PutInPlace(Job& job);
    // A start that failed for want of resources; false when it failed for another reason.
    bool StarvedOf(int code, int row);
    static void ReleaseTimer(Job& job);
    // Ends the conversions whose ffmpeg has reported no progress for the limit.
    void EndStalled();

    const Settings& m_settings;
    const Tools& m_tools;
    QueueModel& m_queue;
    ConversionProfile m_profile = ConversionProfile::DivxAvi;
    RunSchedule m_schedule;
    TNotifyEvent m_tickHandler;
    std::vector<std::unique_ptr<Job>> m_jobs;    // in the order they were started
    QSet<QString> m_outputs;                     // every output a row was given
    QSet<QString> m_sourceIds;                   // the sources' files, by device and inode
    bool m_sourceIdsStale = true;                // the queue changed since they were read
    QString m_starved;                           // why the last start failed for want of resources
    QElapsedTimer m_short;                       // running while starts fail for want of resources
    bool m_retryPending = false;                 // a start is tried again shortly, none of ours running
    QHash<QString, FileIdentity> m_filesAtBegin; // the output folder's files when the run began, by name
    bool m_halted = false;                       // a row could not start: no more start in this run
    bool m_begun = false;                        // begun and not ended yet
    bool m_moreRowsComing = false;
    QElapsedTimer m_clock;
    QTimer m_watchdog; // looks for stalled conversions while any runs
};
