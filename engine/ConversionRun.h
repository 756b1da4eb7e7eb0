#pragma once

#include "engine/ConversionJob.h"
#include "engine/ConversionProfile.h"
#include "engine/OutputCheck.h"
#include "engine/OutputNaming.h"
#include "engine/RunSchedule.h"
#include "engine/RunningJobs.h"
#include "engine/advantmr.h"

#include <QObject>
#include <QTimer>
#include <QList>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

struct ChildEnd;
class QueueModel;
struct Settings;
struct Tools;

// A conversion run: hands the queue's "Pending" rows to ffmpeg in RunSchedule's order,
// up to the settings' jobs() ffmpegs side by side (short files several to one
// ffmpeg, each to its own output), all with the profile of the button
// that began the run, and marks each row by how its own ffmpeg process ended
// and what mediainfo finds in the file it wrote (when a shared ffmpeg fails
// or is ended, each of its rows waits to be converted again alone): "Done" and "AVI" (a warning
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
// The run coordinates its parts: RunSchedule picks the next row,
// ConversionJob runs one row's ffmpeg, RunningJobs holds the jobs not settled
// yet, OutputNaming names and publishes outputs.
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
    // once none is coming and none is left. count is how many may still come.
    void setMoreRowsComing(bool coming, int count = 0);

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
    void MonitorTick(QObject* sender) { m_jobs.Tick(sender); }

    ConversionProfile profile() const { return m_profile; }
    // The process id of the ffmpeg started last that still runs; 0 when none runs.
    qint64 runningProcessId() const { return m_jobs.lastProcessId(); }
    // Every running ffmpeg's process id, in the order they were started.
    QList<qint64> runningProcessIds() const { return m_jobs.processIds(); }
    // The rows converting now, in the order they were started.
    QList<int> runningRows() const { return m_jobs.rows(); }
    // Microseconds of its source each converting row's ffmpeg has reported converted, by the row's id.
    QHash<quint64, qint64> processedUs() const { return m_jobs.processedUs(); }
    // The timer of the row started last, while one runs.
    TAdvancedTimer* timer() const { return m_jobs.lastTimer(); }
    // Where the ffmpeg started last writes until it has finished; empty when none runs.
    QString partialFile() const { return m_jobs.lastPartial(); }
    // The same for every running conversion, in the order they were started.
    QStringList partialFiles() const { return m_jobs.partials(); }

    // Message shown when there is no ffmpeg to run.
    static QString MissingFfmpegText();
    // Message shown when a run is asked for without an output folder.
    static QString NoOutputFolderText();

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
    void StartNext();
    // Runs a step the event loop called for: what it throws is told by failed().
    void Telling(const std::function<void()>& step);
    void EndIfDone();
    void FillJobs();
    int NextPendingRow() const;
    // The row's job, with its output named; null when the row was marked
    // "Failed", or waits for want of resources.
    std::unique_ptr<ConversionJob> NewJob(int row);
    // Starts the row, with the short rows that come next when they may share its ffmpeg;
    // false when the row was refused.
    bool StartRow(int row);
    // Adds to together the jobs of the rows that come next while they may
    // share its ffmpeg: short, and lengthMs with them within budgetMs.
    void AddCompanions(std::vector<ConversionJob*>& together, RunSchedule::Group group, qint64 budgetMs);
    void Finished(ConversionJob* job, const ChildEnd& end);
    void Judged(ConversionJob* job, const OutputCheck::Result& result);
    // A file its shared ffmpeg could not convert waits to convert alone.
    void SendBackAlone(std::unique_ptr<ConversionJob> job);
    // Ends a job: its row fails for failure, or its file takes the output's
    // name and the row is "Done", with warning as its tooltip.
    void Settle(ConversionJob* job, const QString& failure, const QString& warning = {});
    void MarkFailed(int row, const QString& why);
    // Kills every job's group before waiting for any, removes their unfinished
    // files and marks their rows "Failed" with why.
    void End(RunningJobs::Jobs jobs, const QString& why);
    // Gives a finished file its name; empty, or why it could not.
    QString PutInPlace(ConversionJob& job);
    // A start that failed for want of resources; false when it failed for another reason.
    bool StarvedOf(int code, int row);
    // Ends the conversions whose ffmpeg has reported no progress for the limit.
    void EndStalled();

    const Settings& m_settings;
    const Tools& m_tools;
    QueueModel& m_queue;
    ConversionProfile m_profile = ConversionProfile::DivxAvi;
    RunSchedule m_schedule;
    OutputNaming m_naming;
    TNotifyEvent m_tickHandler;
    RunningJobs m_jobs;
    bool m_retryPending = false; // a start is tried again shortly, none of ours running
    bool m_halted = false;       // a row could not start: no more start in this run
    bool m_begun = false;        // begun and not ended yet
    bool m_moreRowsComing = false;
    QSet<quint64> m_alone; // rows whose shared ffmpeg failed: each converts alone
    int m_rowsComing = 0;  // at most, while more are coming
    QTimer m_watchdog;     // looks for stalled conversions while any runs
};
