#include "engine/ConversionRun.h"

#include "engine/FfmpegReport.h"
#include "model/MainState.h"
#include "model/QueueModel.h"
#include "platform/ChildProcess.h"
#include "platform/Error.h"
#include "platform/Folders.h"
#include "platform/ProcessLauncher.h"
#include "platform/Prompt.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <filesystem>

namespace {

qint64 DurationSeconds(const QString& text)
{
    bool ok = false;
    const qint64 seconds = text.toLongLong(&ok, 10);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return seconds;
}

// Why a finished ffmpeg did not give a usable output; empty when it did.
QString FailureReason(const ChildEnd& end, const QString& ffmpeg, const QString& outputFile, const QString& target)
{
    if (QString why = FfmpegReport::Reason(end, ffmpeg); !why.isEmpty())
        return why;
    const QFileInfo output(outputFile);
    const QString folder = Folders::FolderPart(target);
    if (!output.isFile() && !QFileInfo(folder).isDir())
        return QStringLiteral("The output folder %1 no longer exists").arg(folder);
    if (!output.isFile())
        return QStringLiteral("ffmpeg wrote no output file");
    if (output.size() == 0)
        return QStringLiteral("ffmpeg wrote an empty output file");
    return {};
}

// Puts the finished file in the output's place in one step, replacing an older file of that name.
QString MoveIntoPlace(const QString& partial, const QString& target)
{
    if (std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(target).constData()) == 0)
        return {};
    return QStringLiteral("Cannot save the output file %1: %2")
        .arg(target, QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

ConversionRun::ConversionRun(MainState& state, QueueModel& queue, QObject* parent)
    : QObject(parent), m_state(state), m_queue(queue),
      m_tickHandler([this](QObject* sender) { MonitorTick(sender); })
{
    // Rows queued while the run goes on (Open With) take a free place at once.
    connect(&m_queue, &QAbstractItemModel::rowsInserted, this,
            [this] {
                if (m_state.Busy && !m_halted)
                    RunGuarded([this] { StartNext(); });
            },
            Qt::QueuedConnection);
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
    if (!taken.contains(target))
        return target;
    const QString stem = target.endsWith(QLatin1String(".avi")) ? target.chopped(4) : target;
    for (int n = 2;; ++n) {
        const QString candidate = stem + QStringLiteral(" (%1).avi").arg(n);
        if (!taken.contains(candidate))
            return candidate;
    }
}

void ConversionRun::Begin(ConversionProfile profile)
{
    m_state.OutputRate = 123.5;
    if (!m_state.Busy) {
        if (m_state.WorkDir.trimmed().isEmpty()) {
            // Without it every output would land in the filesystem's root.
            for (int row = 0; row < m_queue.count(); ++row) {
                if (m_queue.state(row) == RowState::Pending) {
                    Prompt::message(NoOutputFolderText());
                    break;
                }
            }
            return;
        }
        m_profile = profile;
        m_halted = false;
        StartNext();
    }
}

void ConversionRun::StartNext()
{
    m_state.OutputRate = 123.5;
    try {
        FillJobs();
    } catch (...) {
        m_halted = true;
        if (m_jobs.empty())
            emit runEnded();
        throw;
    }
    if (m_jobs.empty())
        emit runEnded();
}

void ConversionRun::FillJobs()
{
    if (m_jobs.empty() && m_queue.count() > 0)
        m_state.CurrentRow = -1;
    while (!m_halted && static_cast<int>(m_jobs.size()) < m_state.jobs()) {
        const int row = NextPendingRow();
        if (row < 0)
            return;
        StartRow(row);
    }
}

int ConversionRun::NextPendingRow() const
{
    for (int row = 0; row < m_queue.count(); ++row) {
        if (m_queue.state(row) != RowState::Pending)
            continue;
        // A row keeps "Pending" until its ffmpeg first reports.
        const bool running = std::any_of(m_jobs.cbegin(), m_jobs.cend(),
                                         [row](const std::unique_ptr<Job>& job) { return job->row == row; });
        if (!running)
            return row;
    }
    return -1;
}

QString ConversionRun::PartialFileFor(const QString& target)
{
    // Hidden, and named by this process, so no user file and no other copy's has it.
    return Folders::FolderPart(target) + QStringLiteral("/.vantrel-%1-%2.avi.part")
                                              .arg(QCoreApplication::applicationPid())
                                              .arg(++m_serial);
}

bool ConversionRun::StartRow(int row)
{
    MainState& s = m_state;
    s.CurrentRow = row;
    s.SourceFile = m_queue.path(row);
    QSet<QString> taken = m_outputs;
    for (int other = 0; other < m_queue.count(); ++other)
        taken.insert(m_queue.output(other));
    s.TargetFile = DistinctOutput(ConversionProfiles::TargetFileFor(s.SourceFile, s.WorkDir), taken);
    const QString partial = PartialFileFor(s.TargetFile);
    s.FfmpegArgs = ConversionProfiles::FfmpegArgs(m_profile, s.SourceFile, partial);
    const qint64 seconds = DurationSeconds(m_queue.duration(row));
    s.ExpectedSize = static_cast<qint64>(static_cast<double>(seconds) * s.OutputRate * 1024.0);

    // One that is there but cannot run fails the row, saying so.
    if (!ProcessLauncher::ProgramExists(s.FfmpegExe))
        throw VantrelError(MissingFfmpegText());
    m_outputs.insert(s.TargetFile);
    m_queue.setOutput(row, s.TargetFile);
    // "-y" must never write over a file the user queued as a source.
    if (WouldOverwriteASource(s.TargetFile)) {
        MarkFailed(row, QStringLiteral("The output file %1 would overwrite a source file").arg(s.TargetFile));
        emit rowFinished(row);
        return false;
    }

    auto job = std::make_unique<Job>();
    job->row = row;
    job->seconds = seconds;
    job->program = s.FfmpegExe;
    job->target = s.TargetFile;
    job->partial = partial;
    auto* child = new ChildProcess(this);
    job->child = child;
    // Its progress report, as ffmpeg writes it.
    connect(child, &ChildProcess::output, this, [this, child](const QByteArray& bytes) {
        for (const auto& running : m_jobs) {
            if (running->child != child)
                continue;
            running->monitor.Feed(bytes);
            // The last report comes just before the end, when no tick may be left to show it.
            if (running->monitor.ended())
                ShowProgress(*running);
        }
    });
    // Queued, so that an end reported while starting is handled after the start.
    connect(child, &ChildProcess::done, this,
            [this, guard = QPointer<ChildProcess>(child)](const ChildEnd& end) {
                if (guard)
                    RunGuarded([&] { Finished(guard, end); });
            },
            Qt::QueuedConnection);

    auto* timer = new TAdvancedTimer(this);
    job->timer = timer;
    m_jobs.push_back(std::move(job));

    LaunchPlan plan = ProcessLauncher::Plan(s.FfmpegExe, s.FfmpegArgs);
    plan.ownProcessGroup = true;
    plan.readOutput = true;
    child->start(plan);

    UpdateBusy();
    s.LastSize = 0;

    timer->setBuddy(partial);
    timer->setInterval(500);
    timer->setEnabled(true);
    timer->setOnTimer(m_tickHandler);
    emit rowStarted(row);
    return true;
}

void ConversionRun::ShowProgress(Job& job)
{
    const std::optional<int> percent = job.monitor.Percent(job.seconds);
    if (!percent || *percent == job.shown || job.row < 0 || job.row >= m_queue.count())
        return;
    job.shown = *percent;
    m_queue.setState(job.row, RowState::Converting, *percent);
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
    const QString why = FailureReason(end, job->program, job->partial, job->target);
    if (why.isEmpty()) {
        CheckOutput(*job);
        return;
    }
    // ffmpeg's own last lines beneath the reason; a failed start has its reason in the text already.
    const bool withTail = end.kind != ChildEnd::Kind::FailedToStart && !end.errorTail.isEmpty();
    Settle(job, withTail ? why + QLatin1Char('\n') + end.errorTail : why);
}

void ConversionRun::CheckOutput(Job& job)
{
    auto* check = new OutputCheck(m_state.MediaInfoExe, this);
    job.check = check;
    connect(check, &OutputCheck::judged, this, [this, check](const OutputCheck::Result& result) {
        RunGuarded([&] { Judged(check, result); });
    });
    check->start(job.partial, m_queue.milliseconds(job.row));
}

void ConversionRun::Judged(OutputCheck* check, const OutputCheck::Result& result)
{
    const auto it = std::find_if(m_jobs.begin(), m_jobs.end(),
                                 [check](const std::unique_ptr<Job>& job) { return job->check == check; });
    check->disconnect(this);
    check->deleteLater();
    if (it == m_jobs.end())
        return;
    if (result.verdict == OutputCheck::Verdict::Refused)
        Settle(it->get(), result.text);
    else
        Settle(it->get(), {}, result.text);
}

void ConversionRun::Settle(Job* settled, const QString& failure, const QString& warning)
{
    const auto it = std::find_if(m_jobs.begin(), m_jobs.end(),
                                 [settled](const std::unique_ptr<Job>& job) { return job.get() == settled; });
    if (it == m_jobs.end())
        return;
    const std::unique_ptr<Job> job = std::move(*it);
    m_jobs.erase(it);
    const int row = job->row;
    const QString why = failure.isEmpty() ? MoveIntoPlace(job->partial, job->target) : failure;
    if (why.isEmpty()) {
        m_queue.setState(row, RowState::Done);
        m_queue.setConvertedFile(row, QStringLiteral("AVI"));
        m_queue.setFailureDetail(row, warning);
    } else {
        QFile::remove(job->partial);
        MarkFailed(row, why);
    }
    UpdateBusy();
    ReleaseTimer(*job);
    emit rowFinished(row);
    StartNext();
}

void ConversionRun::Abort()
{
    if (m_jobs.empty())
        return;
    std::vector<std::unique_ptr<Job>> jobs = std::move(m_jobs);
    m_jobs.clear();
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
        QFile::remove(job->partial);
        ReleaseTimer(*job);
    }
    UpdateBusy();
    for (const auto& job : jobs) {
        if (job->row >= 0 && job->row < m_queue.count()) {
            MarkFailed(job->row, QStringLiteral("The conversion was stopped"));
            emit rowFinished(job->row);
        }
    }
}

void ConversionRun::MarkFailed(int row, const QString& why)
{
    m_queue.setState(row, RowState::Failed);
    m_queue.setConvertedFile(row, QString());
    m_queue.setFailureDetail(row, why);
}

bool ConversionRun::WouldOverwriteASource(const QString& target) const
{
    if (!QFileInfo::exists(target))
        return false;
    const std::filesystem::path targetPath(QFile::encodeName(target).toStdString());
    for (const QString& source : m_queue.PathList()) {
        std::error_code error;
        if (std::filesystem::equivalent(QFile::encodeName(source).toStdString(), targetPath, error))
            return true;
    }
    return false;
}

void ConversionRun::MonitorTick(QObject* sender)
{
    for (const auto& job : m_jobs) {
        if (job->timer && job->timer == sender) {
            ShowProgress(*job);
            m_state.LastSize = job->monitor.totalSize();
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
    for (const auto& job : m_jobs)
        rows << job->row;
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

void ConversionRun::UpdateBusy()
{
    m_state.Busy = !m_jobs.empty();
}
