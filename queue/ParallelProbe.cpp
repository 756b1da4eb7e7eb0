#include "queue/ParallelProbe.h"

#include "platform/ChildProcess.h"

#include <QEventLoop>
#include <QFile>
#include <QScopedValueRollback>

#include <algorithm>

ParallelProbe::ParallelProbe(const DurationProbe& probe, QStringList sources, int jobs, QObject* parent)
    : QObject(parent), m_probe(probe), m_sources(std::move(sources)), m_jobs(std::max(jobs, 1)),
      m_last(static_cast<int>(m_sources.size()) - 1)
{
}

ParallelProbe::~ParallelProbe()
{
    Stop();
}

std::optional<QString> ParallelProbe::Take(int index)
{
    StartMore();
    while (m_done.find(index) == m_done.end()) {
        if (m_running.empty()) {
            // Nothing runs that could give it: the list was stopped before this file.
            return std::nullopt;
        }
        QEventLoop loop;
        const QScopedValueRollback<QEventLoop*> waiting(m_waiting, &loop);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    const Outcome outcome = m_done.at(index);
    m_done.erase(index);
    if (outcome.error)
        std::rethrow_exception(outcome.error);
    return outcome.answer;
}

void ParallelProbe::StartMore()
{
    while (!m_stopped && m_next <= m_last && static_cast<int>(m_running.size()) < m_jobs) {
        const int index = m_next++;
        const int slot = FreeSlot();
        const DurationProbe::Files files = m_probe.files(slot);
        try {
            if (!m_probe.Prepare(m_sources.at(index), files)) {
                Settle(index, {});
                continue;
            }
        } catch (...) {
            QFile::remove(files.batch);
            Settle(index, {std::nullopt, std::current_exception()});
            continue;
        }
        auto* child = new ChildProcess(this);
        m_running.push_back({index, slot, child});
        // Queued, so that an end reported while starting comes after the start.
        connect(child, &ChildProcess::done, this,
                [this, guard = QPointer<ChildProcess>(child)](const ChildEnd& end) {
                    if (guard)
                        Finished(guard, end);
                },
                Qt::QueuedConnection);
        LaunchPlan plan = m_probe.BatchPlan(files);
        // So that stopping it ends its mediainfo too, before the answer is removed.
        plan.ownProcessGroup = true;
        child->start(plan);
    }
}

void ParallelProbe::Finished(ChildProcess* child, const ChildEnd& end)
{
    const auto it = std::find_if(m_running.begin(), m_running.end(),
                                 [child](const Running& running) { return running.child == child; });
    if (it == m_running.end())
        return;
    const Running running = *it;
    m_running.erase(it);
    child->deleteLater();

    const DurationProbe::Files files = m_probe.files(running.slot);
    Outcome outcome;
    try {
        outcome.answer = m_probe.Collect(end, files);
    } catch (...) {
        outcome.error = std::current_exception();
    }
    // The slot is used again; what an error left must not stay for it.
    QFile::remove(files.batch);
    QFile::remove(files.result);
    Settle(running.index, outcome);
    StartMore();
    if (m_waiting)
        m_waiting->quit();
}

void ParallelProbe::Settle(int index, Outcome outcome)
{
    if (!outcome.answer || outcome.error)
        m_last = std::min(m_last, index);
    m_done[index] = std::move(outcome);
}

int ParallelProbe::FreeSlot() const
{
    for (int slot = 1;; ++slot) {
        const bool taken = std::any_of(m_running.cbegin(), m_running.cend(),
                                       [slot](const Running& running) { return running.slot == slot; });
        if (!taken)
            return slot;
    }
}

void ParallelProbe::Stop()
{
    m_stopped = true;
    const std::vector<Running> running = std::exchange(m_running, {});
    for (const Running& probe : running) {
        if (probe.child) {
            probe.child->disconnect(this);
            probe.child->kill();
        }
    }
    for (const Running& probe : running) {
        if (probe.child) {
            // Waits, so nothing writes the answer after it is removed.
            probe.child->kill(5000);
            probe.child->deleteLater();
        }
        const DurationProbe::Files files = m_probe.files(probe.slot);
        QFile::remove(files.batch);
        QFile::remove(files.result);
    }
    m_done.clear();
}
