#pragma once

#include "engine/ConversionProfile.h"
#include "engine/OutputCheck.h"
#include "engine/ProgressMonitor.h"
#include "engine/RunSchedule.h"
#include "engine/advantmr.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ChildProcess.h"
#include "platform/SourceFile.h"
#include "platform/UnfinishedFile.h"

class QueueModel;

// One row being converted: its ffmpeg, started with the source opened when the
// row started and the unfinished file it writes, and, when the plan says so,
// a second ffmpeg that encodes the sound beside it (should that one fail on
// its own, one ffmpeg converts the file again, and its end is the job's end),
// or one ffmpeg shared with other short files' jobs, whose end is each one's;
// the share converted that the row shows, how long ffmpeg has been silent,
// and, once ffmpeg has ended, the reason it gave no usable output or the
// check of the file it wrote. The job
// knows its row by the row's id, so rows removed or added around it never
// make it mark another. Its child process, timer and check are owned by the
// run that started it.
class ConversionJob
{
public:
    // What the run hears of the job, each through the run's event loop.
    struct Handlers
    {
        std::function<void(ConversionJob& job, const ChildEnd& end)> ended;                // ffmpeg ended
        std::function<void(ConversionJob& job, const OutputCheck::Result& result)> judged; // the output was read
    };

    // Opens the row's source and an unfinished file beside target; throws
    // ESystemError when either cannot be had.
    ConversionJob(QueueModel& queue, int row, const QString& target, const FileIdentity& before, QObject* owner);
    ~ConversionJob();
    ConversionJob(const ConversionJob&) = delete;
    ConversionJob& operator=(const ConversionJob&) = delete;

    // Starts ffmpeg with the profile as planned; tick is what the row's timer calls.
    void Start(const QString& ffmpeg, ConversionProfile profile, const RunSchedule::Plan& plan,
               const TNotifyEvent& tick, const Handlers& handlers);
    // Starts one ffmpeg that converts every job's file, each to its own
    // output, as Start() would one by one; each job hears the same end.
    static void StartTogether(const std::vector<ConversionJob*>& jobs, const QString& ffmpeg, ConversionProfile profile,
                              const RunSchedule::Plan& plan, const TNotifyEvent& tick, const Handlers& handlers);

    quint64 id() const { return m_id; }
    // Microseconds of its source ffmpeg has reported converted; nothing before its first report.
    std::optional<qint64> processedUs() const { return m_monitor.processedUs(); }
    // The same for every job whose file the same ffmpeg converts.
    quint64 batch() const { return m_batch; }
    // Its ffmpeg converts other files too: a failure of that ffmpeg says nothing of this one.
    bool shared() const { return m_shared; }
    // The job's row now; -1 when the row was removed.
    int row() const;
    QString target() const { return m_target; }
    void setTarget(const QString& target) { m_target = target; }
    const FileIdentity& before() const { return m_before; }
    UnfinishedFile& output() { return *m_output; }
    // Where the unfinished file can be read.
    QString partial() const { return m_partial; }
    TAdvancedTimer* timer() const { return m_timer.data(); }
    bool ticksWith(const QObject* timer) const { return m_timer && m_timer == timer; }

    // Its ffmpeg (or the one beside it) was started and has not ended, even if that end is not handled yet.
    bool running() const;
    // Its ffmpeg's process id while it runs; 0 otherwise.
    qint64 processId() const;
    // ffmpeg has reported no progress for limitMs since it started or last reported.
    bool silentFor(int limitMs) const { return m_sinceProgress.elapsed() >= limitMs; }

    void ShowProgress();
    // Why the ended ffmpeg gave no usable output, with its last error lines;
    // empty when it gave one, and the check of its file has begun.
    QString Judge(const ChildEnd& end);

    // Sends each ffmpeg's whole process group its end, without waiting.
    void Kill();
    // Waits for ffmpeg's end, so that nothing writes the file after it is
    // removed, stops the check, and releases the job's files and timer.
    void Discard();
    // Removes the unfinished file unless it was published, and ends the row's timer.
    void Release();

private:
    // Takes what Start() is given, and makes the row's timer.
    void Prepare(const QString& ffmpeg, ConversionProfile profile, const RunSchedule::Plan& plan,
                 const Handlers& handlers);
    void StartTimer(const TNotifyEvent& tick);
    // Starts the conversion, its sound encoded by a second ffmpeg when soundBeside.
    void Launch(bool soundBeside);
    // An ffmpeg that jobs may share; gone once none holds it.
    std::shared_ptr<ChildProcess> NewFfmpeg() const;
    // The job hears the file's ffmpeg: its progress and its end.
    void Follow(const std::shared_ptr<ChildProcess>& child);
    // The job hears the end of the ffmpeg that encodes its sound.
    void FollowSound(ChildProcess* child);
    void ChildEnded();
    void ReleaseTimer();

    QueueModel& m_queue;
    QObject* m_owner;                  // owns the child processes, timer and check
    std::unique_ptr<QObject> m_hearer; // receives what they report, and with the job, stops
    quint64 m_id = 0;                  // the row's
    quint64 m_batch = 0;
    bool m_shared = false;
    qint64 m_seconds = 0; // the probed duration
    QString m_program;    // the ffmpeg started
    ConversionProfile m_profile = ConversionProfile::DivxAvi;
    RunSchedule::Plan m_plan;
    QString m_target;                          // the output's name once finished
    FileIdentity m_before;                     // what stood at that name when the row started
    std::unique_ptr<SourceFile> m_input;       // what ffmpeg reads, opened when the row started
    std::unique_ptr<UnfinishedFile> m_output;  // what ffmpeg writes until then
    QString m_source;                          // the source's path, as reasons name it
    QString m_partial;                         // where the unfinished file can be read
    std::shared_ptr<ChildProcess> m_child;     // the ffmpeg that writes the file
    QPointer<ChildProcess> m_sound;            // the one encoding its sound beside it, if any
    bool m_beside = false;                     // this attempt's sound is encoded beside
    bool m_soundCut = false;                   // ended by the job, once the file's ffmpeg had failed
    std::optional<ChildEnd> m_end, m_soundEnd; // of this attempt's two
    QPointer<TAdvancedTimer> m_timer;
    QPointer<OutputCheck> m_check; // reads the finished file
    Handlers m_handlers;
    ProgressMonitor m_monitor;
    int m_shown = -1;              // the percentage the row shows; -1 none yet
    QElapsedTimer m_sinceProgress; // since ffmpeg started or last reported progress
};
