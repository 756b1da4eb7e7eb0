#include "engine/RunningJobs.h"

#include <QSet>

#include <algorithm>

bool RunningJobs::contains(const ConversionJob* job) const
{
    return std::any_of(m_jobs.cbegin(), m_jobs.cend(),
                       [job](const std::unique_ptr<ConversionJob>& held) { return held.get() == job; });
}

bool RunningJobs::HasRow(quint64 id) const
{
    return std::any_of(m_jobs.cbegin(), m_jobs.cend(),
                       [id](const std::unique_ptr<ConversionJob>& job) { return job->id() == id; });
}

bool RunningJobs::HasBatch(quint64 batch) const
{
    return std::any_of(m_jobs.cbegin(), m_jobs.cend(),
                       [batch](const std::unique_ptr<ConversionJob>& job) { return job->batch() == batch; });
}

std::unique_ptr<ConversionJob> RunningJobs::Take(const ConversionJob* job)
{
    const auto it = std::find_if(m_jobs.begin(), m_jobs.end(),
                                 [job](const std::unique_ptr<ConversionJob>& held) { return held.get() == job; });
    if (it == m_jobs.end())
        return nullptr;
    std::unique_ptr<ConversionJob> taken = std::move(*it);
    m_jobs.erase(it);
    return taken;
}

RunningJobs::Jobs RunningJobs::TakeRunning(const std::function<bool(const ConversionJob&)>& which)
{
    Jobs taken;
    for (auto it = m_jobs.begin(); it != m_jobs.end();) {
        // Once ffmpeg has ended, its end decides the row.
        if ((*it)->running() && which(**it)) {
            taken.push_back(std::move(*it));
            it = m_jobs.erase(it);
        } else {
            ++it;
        }
    }
    return taken;
}

void RunningJobs::EndAll(const Jobs& jobs)
{
    // Every group is sent its end before any is waited for.
    for (const auto& job : jobs)
        job->Kill();
    for (const auto& job : jobs)
        job->Discard();
}

void RunningJobs::Tick(const QObject* timer) const
{
    for (const auto& job : m_jobs) {
        if (job->ticksWith(timer)) {
            job->ShowProgress();
            return;
        }
    }
}

qint64 RunningJobs::lastProcessId() const
{
    for (auto it = m_jobs.crbegin(); it != m_jobs.crend(); ++it) {
        if (const qint64 id = (*it)->processId(); id != 0)
            return id;
    }
    return 0;
}

int RunningJobs::batches() const
{
    QSet<quint64> batches;
    for (const auto& job : m_jobs)
        batches.insert(job->batch());
    return static_cast<int>(batches.size());
}

QList<qint64> RunningJobs::processIds() const
{
    QList<qint64> ids;
    for (const auto& job : m_jobs)
        if (const qint64 id = job->processId(); id != 0 && !ids.contains(id))
            ids << id;
    return ids;
}

QList<int> RunningJobs::rows() const
{
    QList<int> rows;
    for (const auto& job : m_jobs) {
        if (const int row = job->row(); row >= 0)
            rows << row;
    }
    return rows;
}

QHash<quint64, qint64> RunningJobs::processedUs() const
{
    QHash<quint64, qint64> processed;
    for (const auto& job : m_jobs) {
        if (const std::optional<qint64> us = job->processedUs())
            processed.insert(job->id(), *us);
    }
    return processed;
}

QStringList RunningJobs::partials() const
{
    QStringList files;
    for (const auto& job : m_jobs)
        files << job->partial();
    return files;
}
