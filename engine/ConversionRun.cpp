#include "engine/ConversionRun.h"

#include "engine/AloneAttempt.h"
#include "engine/AttemptFiles.h"
#include "engine/FileConversion.h"
#include "engine/SharedAttempt.h"
#include "model/QueueModel.h"
#include "model/Settings.h"
#include "model/Tools.h"
#include "platform/Error.h"
#include "platform/ProcessLauncher.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <exception>
#include <utility>

ConversionRun::ConversionRun(const Settings& settings, const Tools& tools, QueueModel& queue, QObject* parent)
    : QObject(parent), m_settings(settings), m_tools(tools), m_queue(queue), m_schedule(QThread::idealThreadCount()),
      m_naming(queue), m_files(queue, m_naming, m_schedule),
      m_tickHandler([this](QObject* sender) { MonitorTick(sender); })
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
}

ConversionRun::~ConversionRun()
{
    Abort();
}

QString ConversionRun::MissingFfmpegText()
{
    return QCoreApplication::translate("ConversionRun",
                                       "Cannot find the program \"ffmpeg\", which converts the files. "
                                       "Please install the package \"ffmpeg\" and start Vantrel again");
}

QString ConversionRun::NoOutputFolderText()
{
    return QCoreApplication::translate("ConversionRun", "Choose an output folder with Browse first.");
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
    if (!m_begun || !m_attempts.empty() || ((m_moreRowsComing || m_retryPending) && !m_halted))
        return;
    m_begun = false;
    emit runEnded();
}

void ConversionRun::FillJobs()
{
    while (!m_halted && m_attempts.size() < m_settings.jobs()) {
        if (m_schedule.starved()) {
            // A running row frees what the last start lacked; with none, the
            // files being measured or the system may, for a while.
            if (!m_attempts.empty() || m_retryPending)
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

int ConversionRun::NextPendingRow(const QSet<quint64>& starting) const
{
    // A row keeps "Pending" until its ffmpeg first reports.
    return m_schedule.NextRow(
        m_queue, [&](quint64 id) { return starting.contains(id) || m_attempts.HasRow(id); }, m_settings.jobs());
}

void ConversionRun::StartRow(int row)
{
    // One that is there but cannot run fails the row, saying so.
    if (!ProcessLauncher::ProgramExists(m_tools.FfmpegExe))
        throw VantrelError(MissingFfmpegText());

    const auto isRunning = [this](quint64 id) { return m_attempts.HasRow(id); };
    const qint64 budgetMs
        = RunSchedule::ShareBudgetMs(RunSchedule::WaitingFiles(m_queue, isRunning, m_rowsComing).ms, m_settings.jobs());
    ConversionAttempt::Setup setup{
        m_tools.FfmpegExe, m_profile,
        m_schedule.PlanFor(m_schedule.Alongside(m_queue, isRunning, m_attempts.size(), m_settings.jobs(), m_rowsComing),
                           RunSchedule::LengthMs(m_queue, row)),
        m_tools.FfmpegSilenceMs, m_tickHandler};
    std::vector<std::unique_ptr<FileConversion>> files = m_files.Gather(
        row, m_settings.WorkDir, m_alone, budgetMs,
        [this](const QSet<quint64>& starting) { return NextPendingRow(starting); },
        [this](quint64 id, const QString& target, const ConversionOutcome& outcome) { Apply(id, target, outcome); });
    if (files.empty())
        return;
    ConversionAttempt* attempt = nullptr;
    if (files.size() == 1) {
        if (m_alone.contains(files.front()->id()))
            setup.plan.threadsBeside = 0;
        attempt = new AloneAttempt(files.front().release(), this);
    } else {
        std::vector<FileConversion*> together;
        for (auto& file : files)
            together.push_back(file.release());
        attempt = new SharedAttempt(std::move(together), this);
    }
    connect(attempt, &ConversionAttempt::settled, this,
            [this, attempt](FileConversion& file, const ConversionOutcome& outcome) {
                Telling([&] { Settled(attempt, file, outcome); });
            });
    m_attempts.Add(attempt);
    attempt->Start(setup);
    for (const FileConversion* file : attempt->files())
        emit rowStarted(file->id());
}

void ConversionRun::Settled(ConversionAttempt* attempt, FileConversion& file, const ConversionOutcome& outcome)
{
    // A place is free again for a row that lacked one.
    if (outcome.kind != ConversionOutcome::Kind::WaitForPlace)
        m_schedule.PlaceFreed();
    QString unpublished;
    if (outcome.kind == ConversionOutcome::Kind::Done)
        unpublished = PutInPlace(file);
    if (attempt->files().empty())
        m_attempts.Forget(attempt);
    Apply(file.id(), file.target(), unpublished.isEmpty() ? outcome : ConversionOutcome::Failed(unpublished));
    StartNext();
}

QString ConversionRun::PutInPlace(FileConversion& file)
{
    try {
        const QString taken = m_naming.Publish(file.output(), file.target(), file.before(), file.source());
        if (taken != file.target()) {
            if (const int row = file.row(); row >= 0)
                m_queue.setOutput(row, taken);
            file.setTarget(taken);
        }
    } catch (const VantrelError& e) {
        return e.text();
    }
    return {};
}

void ConversionRun::Apply(quint64 id, const QString& target, const ConversionOutcome& outcome)
{
    // Nothing was written under the name: the row may have it again when tried again.
    if (outcome.kind != ConversionOutcome::Kind::Done)
        m_naming.Release(target);
    if (outcome.kind == ConversionOutcome::Kind::WaitForPlace)
        m_schedule.Starved(outcome.text);
    const int row = m_queue.rowOf(id);
    if (row < 0)
        return;
    const RowEnd end = RowEndFor(outcome, m_queue.sourceWarning(row));
    if (end.waitsAlone)
        m_alone.insert(id);
    if (!end.finished) {
        m_queue.setOutput(row, QString());
        m_queue.setState(row, end.state);
        return;
    }
    m_queue.setState(row, end.state);
    m_queue.setConvertedFile(row, end.convertedFile);
    m_queue.setFailureDetail(row, end.detail);
    emit rowFinished(id);
}

void ConversionRun::Abort()
{
    m_begun = false;
    End(m_attempts.all(),
        ConversionOutcome::Failed(QCoreApplication::translate("ConversionRun", "The conversion was stopped")));
}

bool ConversionRun::Stop(int row)
{
    if (row < 0 || row >= m_queue.count())
        return false;
    const quint64 id = m_queue.id(row);
    ConversionAttempt* attempt = m_attempts.Holding(id);
    // Once ffmpeg has ended, its file may be whole: the end, not the stop, says.
    const ConversionAttempt::Taken stopped = attempt ? attempt->Take(id) : nullptr;
    if (!stopped)
        return false;
    m_schedule.TryAgain();
    if (attempt->files().empty())
        m_attempts.Forget(attempt);
    Apply(id, stopped->target(), ConversionOutcome::Stopped());
    StartNext();
    return true;
}

void ConversionRun::StopAll()
{
    m_halted = true;
    std::vector<ConversionAttempt*> running;
    std::ranges::copy_if(m_attempts.all(), std::back_inserter(running),
                         [](const ConversionAttempt* attempt) { return attempt->running(); });
    if (running.empty())
        return;
    End(running, ConversionOutcome::Stopped());
    // Rows whose output is being read end the run when they are judged.
    EndIfDone();
}

void ConversionRun::End(const std::vector<ConversionAttempt*>& attempts, const ConversionOutcome& outcome)
{
    const std::vector<ConversionAttempt*> ending = attempts; // Forget() changes the run's own list
    // Every group is sent its end before any is waited for.
    for (ConversionAttempt* attempt : ending)
        attempt->Kill();
    std::vector<ConversionAttempt::Taken> ended;
    for (ConversionAttempt* attempt : ending) {
        for (auto& file : attempt->TakeAll())
            ended.push_back(std::move(file));
        m_attempts.Forget(attempt);
    }
    for (const auto& file : ended)
        Apply(file->id(), file->target(), outcome);
}
