#pragma once

#include "engine/ConversionJob.h"

#include <QHash>
#include <QList>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QObject;
class TAdvancedTimer;

// The jobs of a run that have not settled yet, in the order they were started.
class RunningJobs
{
public:
    using Jobs = std::vector<std::unique_ptr<ConversionJob>>;

    bool empty() const { return m_jobs.empty(); }
    int size() const { return static_cast<int>(m_jobs.size()); }
    // How many ffmpegs the jobs have, those that share one counted once.
    int batches() const;
    void Add(std::unique_ptr<ConversionJob> job) { m_jobs.push_back(std::move(job)); }
    ConversionJob& last() const { return *m_jobs.back(); }
    bool contains(const ConversionJob* job) const;
    // A job converts the row with the id.
    bool HasRow(quint64 id) const;
    // A job's file is converted by the ffmpeg of that batch.
    bool HasBatch(quint64 batch) const;

    // Takes the job out; null when it is not one of these.
    std::unique_ptr<ConversionJob> Take(const ConversionJob* job);
    // Takes out the jobs whose ffmpeg still runs and that `which` picks.
    Jobs TakeRunning(const std::function<bool(const ConversionJob&)>& which);
    Jobs TakeAll() { return std::exchange(m_jobs, {}); }
    // Kills every job's group before waiting for any, and discards them.
    static void EndAll(const Jobs& jobs);

    // The progress tick for the job whose timer ticked.
    void Tick(const QObject* timer) const;
    // The process id of the ffmpeg started last that still runs; 0 when none runs.
    qint64 lastProcessId() const;
    // Each once, in the order they were started.
    QList<qint64> processIds() const;
    // The rows of the jobs, those still in the queue.
    QList<int> rows() const;
    // The timer of the job started last, while one runs.
    TAdvancedTimer* lastTimer() const { return m_jobs.empty() ? nullptr : m_jobs.back()->timer(); }
    QString lastPartial() const { return m_jobs.empty() ? QString() : m_jobs.back()->partial(); }
    QStringList partials() const;
    // What each job's ffmpeg has reported converted, by the job's row id; jobs without a report left out.
    QHash<quint64, qint64> processedUs() const;

private:
    Jobs m_jobs;
};
