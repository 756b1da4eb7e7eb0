#pragma once

#include "engine/AttemptFiles.h"
#include "engine/ConversionOutcome.h"
#include "engine/ConversionProfile.h"
#include "engine/OutputNaming.h"
#include "engine/RunSchedule.h"
#include "engine/RunningAttempts.h"
#include "engine/advantmr.h"

#include <QObject>
#include <QList>
#include <QSet>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

// How the engine reports trouble: a file's trouble is a value that ends in
// its row (FfmpegEnd, OutputCheck::Result, ConversionOutcome, applied by
// ConversionRun::Apply); trouble that stops the whole run is a VantrelError
// thrown by the call that met it, and told by failed() when no call did.

class ConversionAttempt;
class FileConversion;
class QueueModel;
struct Settings;
struct Tools;

// A conversion run: hands the queue's "Pending" rows to ffmpeg in RunSchedule's
// order, up to the settings' jobs() ffmpegs side by side (short files several
// to one ffmpeg, each to its own output), all with the profile of the button
// that began the run. Each row ends by what its own file's attempt tells of
// it: "Done" and "AVI" once mediainfo has read the file it wrote (a warning as
// the row's tooltip when it plays short), or "Failed" with the reason and
// ffmpeg's last error lines as the tooltip; an attempt that says nothing of
// the file (a shared ffmpeg that failed, hung or was killed) has it converted
// again alone. The next row starts the moment one ends. Meanwhile each row
// shows the share of its source that ffmpeg reports as converted.
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
// running row ends. An ffmpeg that reports no progress for the tools' limit
// is taken for hung and ended.
// The run coordinates its parts: RunSchedule plans, the attempts
// (AloneAttempt, SharedAttempt) convert, OutputNaming names and publishes.
class ConversionRun : public QObject
{
    Q_OBJECT

public:
    ConversionRun(const Settings& settings, const Tools& tools, QueueModel& queue, QObject* parent = nullptr);
    ~ConversionRun() override; // running conversions are ended, as by Abort()

    // A press on a conversion button; ignored while the run goes on. Without
    // an output folder it starts nothing and returns false when rows wait,
    // for the caller to ask for one. Throws when no file can be started
    // (ffmpeg missing, no place for a long while); the rows then stay
    // "Pending" and no further row starts in this run.
    bool Begin(ConversionProfile profile);

    // While more rows are coming (files still being measured), a run that has
    // begun waits for them instead of ending when it runs out of rows; it ends
    // once none is coming and none is left. count is how many may still come.
    void setMoreRowsComing(bool coming, int count = 0);

    // A conversion runs, any of them.
    bool busy() const { return !m_attempts.empty(); }

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
    static QString StoppedText() { return ::StoppedText(); }

    // What every file's timer calls at each tick; the progress monitor unless
    // the window routes it through its own handler.
    void setTickHandler(TNotifyEvent handler) { m_tickHandler = std::move(handler); }
    // The progress tick for the row whose timer ticked.
    void MonitorTick(QObject* sender) { m_attempts.Tick(sender); }

    ConversionProfile profile() const { return m_profile; }
    // Every running ffmpeg's process id, in the order they were started.
    QList<qint64> runningProcessIds() const { return m_attempts.processIds(); }
    // The rows converting now, in the order they were started.
    QList<int> runningRows() const { return m_attempts.rows(); }
    // Where each running conversion writes until it has finished, in the order they were started.
    QStringList partialFiles() const { return m_attempts.partials(); }
    // Microseconds of its source each converting row's ffmpeg has reported converted, by the row's id.
    QHash<quint64, qint64> processedUs() const { return m_attempts.processedUs(); }

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
    // The next row to start, passing over those of starting.
    int NextPendingRow(const QSet<quint64>& starting = {}) const;
    // Starts the row's attempt, with the short rows that come next when they may share its ffmpeg.
    void StartRow(int row);
    // An attempt told how one of its files ended.
    void Settled(ConversionAttempt* attempt, FileConversion& file, const ConversionOutcome& outcome);
    // Gives a finished file its name; empty, or why it could not.
    QString PutInPlace(FileConversion& file);
    // The only place a row's end is written: the outcome of the file with
    // the id, whose output was to be target, made the row's state and told.
    void Apply(quint64 id, const QString& target, const ConversionOutcome& outcome);
    // Kills every attempt's ffmpegs before waiting for any, removes their
    // unfinished files and applies outcome to each of their files.
    void End(const std::vector<ConversionAttempt*>& attempts, const ConversionOutcome& outcome);

    const Settings& m_settings;
    const Tools& m_tools;
    QueueModel& m_queue;
    ConversionProfile m_profile = ConversionProfile::DivxAvi;
    RunSchedule m_schedule;
    OutputNaming m_naming;
    AttemptFiles m_files;
    TNotifyEvent m_tickHandler;
    RunningAttempts m_attempts;
    bool m_retryPending = false; // a start is tried again shortly, none of ours running
    bool m_halted = false;       // a row could not start: no more start in this run
    bool m_begun = false;        // begun and not ended yet
    bool m_moreRowsComing = false;
    QSet<quint64> m_alone; // rows an attempt could not judge: each converts with one plain ffmpeg
    int m_rowsComing = 0;  // at most, while more are coming
};
