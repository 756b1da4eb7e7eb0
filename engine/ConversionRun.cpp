#include "engine/ConversionRun.h"

#include "model/QueueModel.h"
#include "model/Settings.h"
#include "model/Tools.h"
#include "platform/ChildProcess.h"
#include "platform/Error.h"
#include "platform/ProcessLauncher.h"

#include <QThread>
#include <QTimer>

#include <algorithm>
#include <exception>
#include <utility>

ConversionRun::ConversionRun(const Settings& settings, const Tools& tools, QueueModel& queue, QObject* parent)
    : QObject(parent), m_settings(settings), m_tools(tools), m_queue(queue), m_schedule(QThread::idealThreadCount()),
      m_naming(queue), m_tickHandler([this](QObject* sender) { MonitorTick(sender); })
{
    for (const auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(&m_queue, signal, this, [this] { m_naming.SourcesChanged(); });
    connect(&m_queue, &QAbstractItemModel::modelReset, this, [this] { m_naming.SourcesChanged(); });
    // Rows queued while the run goes on (Open With), and failed rows tried
    // again, take a free place at once.
    const auto takeNewRows = [this] {
        if (m_begun && !m_halted)
            Telling([this] { StartNext(); });
    };
    connect(&m_queue, &QAbstractItemModel::rowsInserted, this, takeNewRows, Qt::QueuedConnection);
    connect(&m_queue, &QueueModel::rowRequeued, this, takeNewRows, Qt::QueuedConnection);
    connect(&m_watchdog, &QTimer::timeout, this, [this] { Telling([this] { EndStalled(); }); });
}

ConversionRun::~ConversionRun()
{
    Abort();
}

QString ConversionRun::MissingFfmpegText()
{
    return QStringLiteral("Cannot find the program \"ffmpeg\", which converts the files. "
                          "Please install the package \"ffmpeg\" and start Vantrel again");
}

QString ConversionRun::NoOutputFolderText()
{
    return QStringLiteral("Choose an output folder with Browse first.");
}

bool ConversionRun::Begin(ConversionProfile profile)
{
    if (!m_begun) {
        if (m_settings.WorkDir.trimmed().isEmpty()) {
            // Without it every output would land in the filesystem's root.
            for (int row = 0; row < m_queue.count(); ++row) {
                if (m_queue.state(row) == RowState::Pending)
                    return false;
            }
            return true;
        }
        m_profile = profile;
        m_begun = true;
        m_halted = false;
        m_alone.clear();
        m_schedule.TryAgain();
        m_naming.Begin(m_settings.WorkDir);
        StartNext();
    }
    return true;
}

void ConversionRun::setMoreRowsComing(bool coming, int count)
{
    m_moreRowsComing = coming;
    m_rowsComing = coming ? std::max(0, count) : 0;
    // The last rows may have come just now, before the run was told of them.
    if (m_begun && !m_halted)
        Telling([this] { StartNext(); });
    else
        EndIfDone();
}

void ConversionRun::Telling(const std::function<void()>& step)
{
    try {
        step();
    } catch (const VantrelError& e) {
        emit failed(e.text());
    } catch (const std::exception& e) {
        emit failed(QString::fromLocal8Bit(e.what()));
    }
}

void ConversionRun::StartNext()
{
    try {
        FillJobs();
    } catch (...) {
        m_halted = true;
        EndIfDone();
        throw;
    }
    EndIfDone();
}

void ConversionRun::EndIfDone()
{
    if (!m_begun || !m_jobs.empty() || ((m_moreRowsComing || m_retryPending) && !m_halted))
        return;
    m_begun = false;
    emit runEnded();
}

void ConversionRun::FillJobs()
{
    while (!m_halted && m_jobs.batches() < m_settings.jobs()) {
        if (m_schedule.starved()) {
            // A running row frees what the last start lacked; with none, the
            // files being measured or the system may, for a while.
            if (!m_jobs.empty() || m_retryPending)
                return;
            m_schedule.GiveUpWhenLong();
            m_retryPending = true;
            QTimer::singleShot(RunSchedule::ShortageRetryMs, this, [this] {
                m_retryPending = false;
                m_schedule.TryAgain();
                if (m_begun && !m_halted)
                    Telling([this] { StartNext(); });
            });
            return;
        }
        const int row = NextPendingRow();
        if (row < 0)
            return;
        StartRow(row);
    }
}

int ConversionRun::NextPendingRow() const
{
    // A row keeps "Pending" until its ffmpeg first reports.
    return m_schedule.NextRow(
        m_queue, [this](quint64 id) { return m_jobs.HasRow(id); }, m_settings.jobs());
}

bool ConversionRun::StarvedOf(int code, int row)
{
    return m_schedule.StarvedOf(code, row >= 0 ? m_queue.path(row) : QString());
}

std::unique_ptr<ConversionJob> ConversionRun::NewJob(int row)
{
    const QString source = m_queue.path(row);
    const QString target = m_naming.Distinct(source, m_settings.WorkDir);
    const FileIdentity before = m_naming.Replaceable(target, source);
    std::unique_ptr<ConversionJob> job;
    try {
        job = std::make_unique<ConversionJob>(m_queue, row, target, before, this);
    } catch (const ESystemError& e) {
        if (StarvedOf(e.code(), row))
            return nullptr;
        MarkFailed(row, e.text());
        emit rowFinished(m_queue.id(row));
        return nullptr;
    }
    m_naming.Claim(target);
    m_queue.setOutput(row, target);
    // "-y" must never write over a file the user queued as a source.
    if (m_naming.WouldOverwriteASource(target)) {
        MarkFailed(row, QStringLiteral("The output file %1 would overwrite a source file").arg(target));
        emit rowFinished(m_queue.id(row));
        return nullptr;
    }
    return job;
}

bool ConversionRun::StartRow(int row)
{
    // One that is there but cannot run fails the row, saying so.
    if (!ProcessLauncher::ProgramExists(m_tools.FfmpegExe))
        throw VantrelError(MissingFfmpegText());

    const auto isRunning = [this](quint64 id) { return m_jobs.HasRow(id); };
    const qint64 budgetMs
        = RunSchedule::ShareBudgetMs(RunSchedule::WaitingFiles(m_queue, isRunning, m_rowsComing).ms, m_settings.jobs());
    RunSchedule::Plan plan = m_schedule.PlanFor(
        m_schedule.Alongside(m_queue, isRunning, m_jobs.batches(), m_settings.jobs(), m_rowsComing),
        RunSchedule::LengthMs(m_queue, row));
    if (!m_tools.SoundBeside)
        plan.threadsBeside = 0;
    std::unique_ptr<ConversionJob> job = NewJob(row);
    if (!job)
        return false;
    std::vector<ConversionJob*> together{job.get()};
    m_jobs.Add(std::move(job));
    const RunSchedule::Group group{1, RunSchedule::LengthMs(m_queue, row), m_queue.framePixels(row)};
    std::exception_ptr refused; // by a row that would share: it halts the run once the others run
    if (RunSchedule::MayShare(group.ms, group.pixels) && !m_alone.contains(m_queue.id(row))) {
        try {
            AddCompanions(together, group, budgetMs);
        } catch (...) {
            refused = std::current_exception();
        }
    }
    if (!m_watchdog.isActive()) {
        // A stall is found within a quarter of the limit.
        m_watchdog.start(std::clamp(m_tools.FfmpegSilenceMs / 4, 50, 1000));
    }
    ConversionJob::Handlers handlers;
    handlers.ended = [this](ConversionJob& ended, const ChildEnd& end) { Telling([&] { Finished(&ended, end); }); };
    handlers.judged = [this](ConversionJob& judged, const OutputCheck::Result& result) {
        Telling([&] { Judged(&judged, result); });
    };
    ConversionJob::StartTogether(together, m_tools.FfmpegExe, m_profile, plan, m_tickHandler, handlers);
    for (const ConversionJob* started : together)
        emit rowStarted(started->id());
    if (refused)
        std::rethrow_exception(refused);
    return true;
}

void ConversionRun::AddCompanions(std::vector<ConversionJob*>& together, RunSchedule::Group group, qint64 budgetMs)
{
    for (;;) {
        const int next = NextPendingRow();
        if (next < 0 || m_alone.contains(m_queue.id(next)))
            return;
        const qint64 nextMs = RunSchedule::LengthMs(m_queue, next);
        const qint64 nextPixels = m_queue.framePixels(next);
        if (!RunSchedule::Joins(group, nextMs, nextPixels, budgetMs))
            return;
        std::unique_ptr<ConversionJob> companion = NewJob(next);
        if (!companion) {
            if (m_schedule.starved())
                return;
            continue;
        }
        ++group.files;
        group.ms += nextMs;
        group.pixels += nextPixels;
        together.push_back(companion.get());
        m_jobs.Add(std::move(companion));
    }
}

void ConversionRun::Finished(ConversionJob* job, const ChildEnd& end)
{
    if (!m_jobs.contains(job))
        return;
    if (end.kind == ChildEnd::Kind::FailedToStart && StarvedOf(end.startError, job->row())) {
        // Not the file's fault: the row waits for a place as if never started.
        const std::unique_ptr<ConversionJob> waiting = m_jobs.Take(job);
        m_naming.Release(waiting->target());
        m_queue.setOutput(waiting->row(), QString());
        StartNext();
        return;
    }
    if (job->shared() && !end.succeeded()) {
        // Which of the files, if any, the shared ffmpeg failed on is not
        // known: each converts again alone, and its own end decides.
        SendBackAlone(m_jobs.Take(job));
        StartNext();
        return;
    }
    if (const QString why = job->Judge(end); !why.isEmpty())
        Settle(job, why);
}

void ConversionRun::SendBackAlone(std::unique_ptr<ConversionJob> job)
{
    m_alone.insert(job->id());
    m_naming.Release(job->target());
    if (const int row = job->row(); row >= 0) {
        m_queue.setOutput(row, QString());
        m_queue.setState(row, RowState::Pending);
    }
}

void ConversionRun::Judged(ConversionJob* job, const OutputCheck::Result& result)
{
    if (!m_jobs.contains(job))
        return;
    if (result.verdict == OutputCheck::Verdict::Refused)
        Settle(job, result.text);
    else
        Settle(job, {}, result.text);
}

void ConversionRun::Settle(ConversionJob* settled, const QString& failure, const QString& warning)
{
    const std::unique_ptr<ConversionJob> job = m_jobs.Take(settled);
    if (!job)
        return;
    // A place is free again for a row that lacked one.
    m_schedule.PlaceFreed();
    const QString why = failure.isEmpty() ? PutInPlace(*job) : failure;
    job->Release();
    const int row = job->row();
    if (row < 0) {
        StartNext();
        return;
    }
    if (why.isEmpty()) {
        m_queue.setState(row, RowState::Done);
        m_queue.setConvertedFile(row, QStringLiteral("AVI"));
        // A source cut off converts whole as far as it goes; the user is told it ends early.
        const QString source = m_queue.sourceWarning(row);
        m_queue.setFailureDetail(row, warning.isEmpty() || source.isEmpty() ? warning + source
                                                                            : warning + QLatin1Char('\n') + source);
    } else {
        m_naming.Release(job->target());
        MarkFailed(row, why);
    }
    emit rowFinished(job->id());
    StartNext();
}

QString ConversionRun::PutInPlace(ConversionJob& job)
{
    try {
        const QString taken = m_naming.Publish(job.output(), job.target(), job.before(), job.source());
        if (taken != job.target()) {
            m_queue.setOutput(job.row(), taken);
            job.setTarget(taken);
        }
    } catch (const VantrelError& e) {
        return e.text();
    }
    return {};
}

void ConversionRun::Abort()
{
    m_begun = false;
    if (m_jobs.empty())
        return;
    End(m_jobs.TakeAll(), QStringLiteral("The conversion was stopped"));
}

QString ConversionRun::StoppedText()
{
    return QStringLiteral("Stopped");
}

bool ConversionRun::Stop(int row)
{
    if (row < 0 || row >= m_queue.count())
        return false;
    // Once ffmpeg has ended, its file may be whole: the end, not the stop, says.
    RunningJobs::Jobs stopped
        = m_jobs.TakeRunning([id = m_queue.id(row)](const ConversionJob& job) { return job.id() == id; });
    if (stopped.empty())
        return false;
    m_schedule.TryAgain();
    const quint64 batch = stopped.front()->batch();
    if (m_jobs.HasBatch(batch)) {
        // The others' ffmpeg goes on: the stopped file's unfinished output loses
        // its name at once, and what ffmpeg still writes into it is freed when
        // that ffmpeg ends, a group being short files only.
        for (const auto& job : stopped) {
            job->Release();
            m_naming.Release(job->target());
            if (const int at = job->row(); at >= 0) {
                MarkFailed(at, StoppedText());
                emit rowFinished(job->id());
            }
        }
    } else {
        End(std::move(stopped), StoppedText());
    }
    StartNext();
    return true;
}

void ConversionRun::StopAll()
{
    m_halted = true;
    RunningJobs::Jobs stopped = m_jobs.TakeRunning([](const ConversionJob&) { return true; });
    if (stopped.empty())
        return;
    End(std::move(stopped), StoppedText());
    // Rows whose output is being read end the run when they are judged.
    EndIfDone();
}

void ConversionRun::End(RunningJobs::Jobs jobs, const QString& why)
{
    RunningJobs::EndAll(jobs);
    // Nothing was written under their names: the rows may have them again when tried again.
    for (const auto& job : jobs)
        m_naming.Release(job->target());
    for (const auto& job : jobs) {
        if (const int row = job->row(); row >= 0) {
            MarkFailed(row, why);
            emit rowFinished(job->id());
        }
    }
}

void ConversionRun::EndStalled()
{
    if (m_jobs.empty()) {
        m_watchdog.stop();
        return;
    }
    RunningJobs::Jobs stalled
        = m_jobs.TakeRunning([this](const ConversionJob& job) { return job.silentFor(m_tools.FfmpegSilenceMs); });
    if (stalled.empty())
        return;
    m_schedule.TryAgain();
    // A shared ffmpeg that hangs says nothing of which file it hangs on: each converts again alone.
    RunningJobs::Jobs shared;
    for (auto& job : stalled) {
        if (job->shared())
            shared.push_back(std::move(job));
    }
    std::erase(stalled, nullptr);
    RunningJobs::EndAll(shared);
    for (auto& job : shared)
        SendBackAlone(std::move(job));
    End(std::move(stalled), QStringLiteral("ffmpeg reported no progress for %1 s and was ended")
                                .arg(QString::number(m_tools.FfmpegSilenceMs / 1000.0)));
    StartNext();
}

void ConversionRun::MarkFailed(int row, const QString& why)
{
    m_queue.setState(row, RowState::Failed);
    m_queue.setConvertedFile(row, QString());
    m_queue.setFailureDetail(row, why);
}
