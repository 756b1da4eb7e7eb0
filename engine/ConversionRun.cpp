#include "engine/ConversionRun.h"

#include "engine/FfmpegReport.h"
#include "model/QueueModel.h"
#include "model/Settings.h"
#include "model/Tools.h"
#include "platform/ChildProcess.h"
#include "platform/Error.h"
#include "platform/Folders.h"
#include "platform/ProcessLauncher.h"
#include "platform/UnfinishedFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <utility>

namespace {

// How long rows wait for a place while none of them runs to free one.
constexpr int ShortageGiveUpMs = 60000;
constexpr int ShortageRetryMs = 250;

// Why a finished ffmpeg did not give a usable output; empty when it did.
QString FailureReason(const ChildEnd& end, const QString& ffmpeg, const QString& outputFile, const QString& target)
{
    if (QString why = FfmpegReport::Reason(end, ffmpeg); !why.isEmpty())
        return why;
    const QFileInfo output(outputFile);
    const QString folder = Folders::FolderPart(target);
    if (!FileIdentity::Reached(folder).folder)
        return QStringLiteral("The output folder %1 no longer exists").arg(folder);
    if (!output.isFile() || output.size() == 0)
        return QStringLiteral("ffmpeg wrote no output file");
    return {};
}

} // namespace

ConversionRun::ConversionRun(const Settings& settings, const Tools& tools, QueueModel& queue, QObject* parent)
    : QObject(parent), m_settings(settings), m_tools(tools), m_queue(queue), m_schedule(QThread::idealThreadCount()),
      m_tickHandler([this](QObject* sender) { MonitorTick(sender); })
{
    for (const auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(&m_queue, signal, this, [this] { m_sourceIdsStale = true; });
    connect(&m_queue, &QAbstractItemModel::modelReset, this, [this] { m_sourceIdsStale = true; });
    // Rows queued while the run goes on (Open With), and failed rows tried
    // again, take a free place at once.
    const auto takeNewRows = [this] {
        if (m_begun && !m_halted)
            Telling([this] { StartNext(); });
    };
    connect(&m_queue, &QAbstractItemModel::rowsInserted, this, takeNewRows, Qt::QueuedConnection);
    connect(&m_queue, &QueueModel::rowRequeued, this, takeNewRows, Qt::QueuedConnection);
    m_clock.start();
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

QString ConversionRun::DistinctOutput(const QString& target, const QSet<QString>& taken)
{
    for (int n = 1;; ++n) {
        const QString candidate = NumberedOutput(target, n);
        if (!taken.contains(candidate))
            return candidate;
    }
}

QString ConversionRun::NumberedOutput(const QString& target, int n)
{
    if (n == 1)
        return target;
    const QString stem = target.endsWith(QLatin1String(".avi")) ? target.chopped(4) : target;
    return stem + QStringLiteral(" (%1).avi").arg(n);
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
        m_starved.clear();
        // What may be replaced: the files that stood in the folder before any output of this run.
        m_filesAtBegin = FileIdentity::FilesIn(m_settings.WorkDir);
        // What a run of ours that died left; a living writer's file is kept.
        UnfinishedFile::RemoveLeftovers(m_settings.WorkDir);
        for (int row = 0; row < m_queue.count(); ++row)
            m_outputs.insert(m_queue.output(row));
        StartNext();
    }
    return true;
}

void ConversionRun::setMoreRowsComing(bool coming)
{
    m_moreRowsComing = coming;
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

int ConversionRun::RowOf(const Job& job) const
{
    return m_queue.rowOf(job.id);
}

void ConversionRun::FillJobs()
{
    while (!m_halted && static_cast<int>(m_jobs.size()) < m_settings.jobs()) {
        if (!m_starved.isEmpty()) {
            // A running row frees what the last start lacked; with none, the
            // files being measured or the system may, for a while.
            if (!m_jobs.empty() || m_retryPending)
                return;
            if (m_short.elapsed() > ShortageGiveUpMs)
                throw VantrelError(m_starved);
            m_retryPending = true;
            QTimer::singleShot(ShortageRetryMs, this, [this] {
                m_retryPending = false;
                m_starved.clear();
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
    const auto running = [this](quint64 id) {
        return std::any_of(m_jobs.cbegin(), m_jobs.cend(),
                           [id](const std::unique_ptr<Job>& job) { return job->id == id; });
    };
    return m_schedule.NextRow(m_queue, running, m_settings.jobs());
}

bool ConversionRun::StarvedOf(int code, int row)
{
    if (!IsResourceShortage(code))
        return false;
    if (!m_short.isValid())
        m_short.start();
    m_starved = QStringLiteral("ffmpeg could not be started for \"%1\": %2. The files not converted stay "
                               "\"Pending\"; press the button again when fewer programs run")
                    .arg(row >= 0 ? m_queue.path(row) : QString(), QString::fromLocal8Bit(std::strerror(code)));
    return true;
}

bool ConversionRun::StartRow(int row)
{
    const QString source = m_queue.path(row);
    const QString target = DistinctOutput(ConversionProfiles::TargetFileFor(source, m_settings.WorkDir), m_outputs);

    // One that is there but cannot run fails the row, saying so.
    if (!ProcessLauncher::ProgramExists(m_tools.FfmpegExe))
        throw VantrelError(MissingFfmpegText());

    auto job = std::make_unique<Job>();
    job->before = Replaceable(target, source);
    try {
        // Opened once, here: whatever takes its name later is never read.
        job->input = std::make_unique<SourceFile>(source);
        job->output = UnfinishedFile::Create(Folders::FolderPart(target));
        job->output->MarkSource(QFileInfo(source).absoluteFilePath());
    } catch (const ESystemError& e) {
        if (StarvedOf(e.code(), row))
            return false;
        MarkFailed(row, e.text());
        emit rowFinished(m_queue.id(row));
        return false;
    }
    m_outputs.insert(target);
    m_queue.setOutput(row, target);
    // "-y" must never write over a file the user queued as a source.
    if (WouldOverwriteASource(target)) {
        MarkFailed(row, QStringLiteral("The output file %1 would overwrite a source file").arg(target));
        emit rowFinished(m_queue.id(row));
        return false;
    }
    const QString partial = job->output->readablePath();

    job->id = m_queue.id(row);
    job->seconds = m_queue.seconds(row);
    job->program = m_tools.FfmpegExe;
    job->target = target;
    job->partial = partial;
    job->source = source;
    auto* child = new ChildProcess(this);
    job->child = child;
    // Its progress report, as ffmpeg writes it.
    connect(child, &ChildProcess::output, this, [this, child](const QByteArray& bytes) {
        for (const auto& running : m_jobs) {
            if (running->child != child)
                continue;
            const auto before = std::make_pair(running->monitor.processedUs(), running->monitor.totalSize());
            running->monitor.Feed(bytes);
            if (std::make_pair(running->monitor.processedUs(), running->monitor.totalSize()) != before)
                running->progressMs = m_clock.elapsed();
            // The last report comes just before the end, when no tick may be left to show it.
            if (running->monitor.ended())
                ShowProgress(*running);
        }
    });
    // Queued, so that an end reported while starting is handled after the start.
    connect(
        child, &ChildProcess::done, this,
        [this, guard = QPointer<ChildProcess>(child)](const ChildEnd& end) {
            if (guard)
                Telling([&] { Finished(guard, end); });
        },
        Qt::QueuedConnection);

    auto* timer = new TAdvancedTimer(this);
    job->timer = timer;
    job->progressMs = m_clock.elapsed();
    m_jobs.push_back(std::move(job));
    if (!m_watchdog.isActive()) {
        // A stall is found within a quarter of the limit.
        m_watchdog.start(std::clamp(m_tools.FfmpegSilenceMs / 4, 50, 1000));
    }

    const Job& started = *m_jobs.back();
    LaunchPlan plan = ProcessLauncher::Plan(
        m_tools.FfmpegExe,
        ConversionProfiles::FfmpegArguments(m_profile, started.input->childPath(), started.output->childPath(),
                                            m_schedule.EncoderThreads(static_cast<int>(m_jobs.size()))));
    plan.ownProcessGroup = true;
    plan.readOutput = true;
    plan.inheritedDescriptors << started.output->descriptor() << started.input->descriptor();
    child->start(plan);

    timer->setBuddy(partial);
    timer->setInterval(500);
    timer->setEnabled(true);
    timer->setOnTimer(m_tickHandler);
    emit rowStarted(m_queue.id(row));
    return true;
}

void ConversionRun::ShowProgress(Job& job)
{
    const std::optional<int> percent = job.monitor.Percent(job.seconds);
    const int row = RowOf(job);
    if (!percent || *percent == job.shown || row < 0)
        return;
    job.shown = *percent;
    m_queue.setState(row, RowState::Converting, *percent);
}

void ConversionRun::Finished(ChildProcess* child, const ChildEnd& end)
{
    const auto it = std::find_if(m_jobs.begin(), m_jobs.end(),
                                 [child](const std::unique_ptr<Job>& job) { return job->child == child; });
    if (it == m_jobs.end())
        return;
    Job* job = it->get();
    child->disconnect(this);
    child->deleteLater();
    job->child = nullptr;
    ReleaseTimer(*job);
    if (end.kind == ChildEnd::Kind::FailedToStart && StarvedOf(end.startError, RowOf(*job))) {
        // Not the file's fault: the row waits for a place as if never started.
        const std::unique_ptr<Job> waiting = std::move(*it);
        m_jobs.erase(it);
        m_outputs.remove(waiting->target);
        m_queue.setOutput(RowOf(*waiting), QString());
        StartNext();
        return;
    }
    const QString why = FailureReason(end, job->program, job->partial, job->target);
    if (why.isEmpty()) {
        CheckOutput(*job);
        return;
    }
    // ffmpeg's own last lines beneath the reason; a failed start has its reason in the text already.
    const bool withTail = end.kind != ChildEnd::Kind::FailedToStart && !end.errorTail.isEmpty();
    // ffmpeg knows the source only by the descriptor it read.
    const QRegularExpression input(QRegularExpression::escape(job->input->childPath()) + QStringLiteral("(?!\\d)"));
    Settle(job, QString(withTail ? why + QLatin1Char('\n') + end.errorTail : why).replace(input, job->source));
}

void ConversionRun::CheckOutput(Job& job)
{
    auto* check = new OutputCheck(this);
    job.check = check;
    connect(check, &OutputCheck::judged, this,
            [this, check](const OutputCheck::Result& result) { Telling([&] { Judged(check, result); }); });
    const int row = RowOf(job);
    check->start(job.partial, row >= 0 ? m_queue.milliseconds(row) : -1);
}

void ConversionRun::Judged(OutputCheck* check, const OutputCheck::Result& result)
{
    const auto it = std::find_if(m_jobs.begin(), m_jobs.end(),
                                 [check](const std::unique_ptr<Job>& job) { return job->check == check; });
    check->disconnect(this);
    check->deleteLater();
    if (it == m_jobs.end())
        return;
    Job* job = it->get();
    if (result.verdict == OutputCheck::Verdict::Refused)
        Settle(job, result.text);
    else
        Settle(job, {}, result.text);
}

void ConversionRun::Settle(Job* settled, const QString& failure, const QString& warning)
{
    const auto it = std::find_if(m_jobs.begin(), m_jobs.end(),
                                 [settled](const std::unique_ptr<Job>& job) { return job.get() == settled; });
    if (it == m_jobs.end())
        return;
    const std::unique_ptr<Job> job = std::move(*it);
    m_jobs.erase(it);
    // A place is free again for a row that lacked one.
    m_starved.clear();
    m_short.invalidate();
    const QString why = failure.isEmpty() ? PutInPlace(*job) : failure;
    job->output.reset();
    ReleaseTimer(*job);
    const int row = RowOf(*job);
    if (row < 0) {
        StartNext();
        return;
    }
    if (why.isEmpty()) {
        m_queue.setState(row, RowState::Done);
        m_queue.setConvertedFile(row, QStringLiteral("AVI"));
        m_queue.setFailureDetail(row, warning);
    } else {
        m_outputs.remove(job->target);
        MarkFailed(row, why);
    }
    emit rowFinished(job->id);
    StartNext();
}

QString ConversionRun::PutInPlace(Job& job)
{
    const auto candidate = [this, &job](int n) {
        const QString name = NumberedOutput(job.target, n);
        // Other rows' names stay theirs.
        return n > 1 && m_outputs.contains(name) ? QString() : Folders::FileNamePart(name);
    };
    try {
        const QString taken = job.output->Publish(candidate, job.before);
        if (taken != job.target) {
            m_outputs.insert(taken);
            m_queue.setOutput(RowOf(job), taken);
            job.target = taken;
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
    End(std::exchange(m_jobs, {}), QStringLiteral("The conversion was stopped"));
}

QString ConversionRun::StoppedText()
{
    return QStringLiteral("Stopped");
}

bool ConversionRun::Stop(int row)
{
    if (row < 0 || row >= m_queue.count())
        return false;
    const auto it = std::find_if(m_jobs.begin(), m_jobs.end(),
                                 [id = m_queue.id(row)](const std::unique_ptr<Job>& job) { return job->id == id; });
    // Once ffmpeg has ended, its file may be whole: the end, not the stop, says.
    if (it == m_jobs.end() || !(*it)->child || (*it)->child->hasEnded())
        return false;
    std::vector<std::unique_ptr<Job>> stopped;
    stopped.push_back(std::move(*it));
    m_jobs.erase(it);
    m_starved.clear();
    End(std::move(stopped), StoppedText());
    StartNext();
    return true;
}

void ConversionRun::StopAll()
{
    m_halted = true;
    std::vector<std::unique_ptr<Job>> stopped = TakeRunning([](const Job&) { return true; });
    if (stopped.empty())
        return;
    End(std::move(stopped), StoppedText());
    // Rows whose output is being read end the run when they are judged.
    EndIfDone();
}

std::vector<std::unique_ptr<ConversionRun::Job>> ConversionRun::TakeRunning(
    const std::function<bool(const Job&)>& which)
{
    std::vector<std::unique_ptr<Job>> taken;
    for (auto it = m_jobs.begin(); it != m_jobs.end();) {
        // Once ffmpeg has ended, its end decides the row.
        if ((*it)->child && !(*it)->child->hasEnded() && which(**it)) {
            taken.push_back(std::move(*it));
            it = m_jobs.erase(it);
        } else {
            ++it;
        }
    }
    return taken;
}

void ConversionRun::End(std::vector<std::unique_ptr<Job>> jobs, const QString& why)
{
    // Every group is sent its end before any is waited for.
    for (const auto& job : jobs) {
        if (job->child) {
            job->child->disconnect(this);
            job->child->kill();
        }
    }
    for (const auto& job : jobs) {
        if (job->child) {
            // Waits for the end, so that nothing writes the file after it is removed.
            job->child->kill(5000);
            job->child->deleteLater();
        }
        if (job->check) {
            job->check->disconnect(this);
            job->check->stop();
            job->check->deleteLater();
        }
        job->output.reset();
        // Nothing was written under its name: the row may have it again when tried again.
        m_outputs.remove(job->target);
        ReleaseTimer(*job);
    }
    for (const auto& job : jobs) {
        if (const int row = RowOf(*job); row >= 0) {
            MarkFailed(row, why);
            emit rowFinished(job->id);
        }
    }
}

void ConversionRun::EndStalled()
{
    if (m_jobs.empty()) {
        m_watchdog.stop();
        return;
    }
    std::vector<std::unique_ptr<Job>> stalled
        = TakeRunning([this](const Job& job) { return m_clock.elapsed() - job.progressMs >= m_tools.FfmpegSilenceMs; });
    if (stalled.empty())
        return;
    m_starved.clear();
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

FileIdentity ConversionRun::Replaceable(const QString& target, const QString& source) const
{
    // Anything else at the name (a folder, a link, a file that came since) is passed over for the next name.
    const FileIdentity there = FileIdentity::Of(target);
    const auto atBegin = m_filesAtBegin.constFind(Folders::FileNamePart(target));
    if (!there.regular || atBegin == m_filesAtBegin.cend() || !atBegin->sameFile(there))
        return {};
    // Another source's conversion, finished by a run before this one, is not
    // this row's to replace; where files carry no mark of their source (FAT,
    // most network mounts) none can be told from it, and none is replaced.
    const std::optional<QString> madeFrom = UnfinishedFile::SourceOf(target);
    if (!madeFrom || (!madeFrom->isEmpty() && *madeFrom != QFileInfo(source).absoluteFilePath()))
        return {};
    return there;
}

bool ConversionRun::WouldOverwriteASource(const QString& target)
{
    // Only a regular file at the name is ever replaced; a link there is passed over.
    const FileIdentity id = FileIdentity::Of(target);
    if (!id.regular)
        return false;
    // Read once per change of the queue, not once per row.
    if (m_sourceIdsStale) {
        m_sourceIds.clear();
        for (const QString& source : m_queue.PathList()) {
            if (const FileIdentity reached = FileIdentity::Reached(source); reached.exists)
                m_sourceIds.insert(reached.key());
        }
        m_sourceIdsStale = false;
    }
    return m_sourceIds.contains(id.key());
}

void ConversionRun::MonitorTick(QObject* sender)
{
    for (const auto& job : m_jobs) {
        if (job->timer && job->timer == sender) {
            ShowProgress(*job);
            return;
        }
    }
}

qint64 ConversionRun::runningProcessId() const
{
    for (auto it = m_jobs.crbegin(); it != m_jobs.crend(); ++it) {
        if ((*it)->child && (*it)->child->isRunning())
            return (*it)->child->processId();
    }
    return 0;
}

QList<qint64> ConversionRun::runningProcessIds() const
{
    QList<qint64> ids;
    for (const auto& job : m_jobs)
        if (job->child && job->child->isRunning())
            ids << job->child->processId();
    return ids;
}

QList<int> ConversionRun::runningRows() const
{
    QList<int> rows;
    for (const auto& job : m_jobs) {
        if (const int row = RowOf(*job); row >= 0)
            rows << row;
    }
    return rows;
}

TAdvancedTimer* ConversionRun::timer() const
{
    return m_jobs.empty() ? nullptr : m_jobs.back()->timer.data();
}

QString ConversionRun::partialFile() const
{
    return m_jobs.empty() ? QString() : m_jobs.back()->partial;
}

QStringList ConversionRun::partialFiles() const
{
    QStringList files;
    for (const auto& job : m_jobs)
        files << job->partial;
    return files;
}

void ConversionRun::ReleaseTimer(Job& job)
{
    if (job.timer)
        job.timer->Release();
    job.timer = nullptr;
}
