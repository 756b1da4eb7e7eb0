#include "queue/ParallelProbe.h"

#include "platform/ChildProcess.h"
#include "platform/Error.h"
#include "platform/FileDescriptor.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>

std::optional<QString> ProbeOutcome::get() const
{
    if (error)
        std::rethrow_exception(error);
    return answer;
}

ParallelProbe::ParallelProbe(DurationProbe probe, QStringList sources, int jobs, QObject* parent)
    : QObject(parent), m_probe(std::move(probe)), m_sources(std::move(sources)), m_jobs(std::max(jobs, 1)),
      m_last(static_cast<int>(m_sources.size()) - 1)
{
    m_clock.start();
    // A hung probe is found within a quarter of its limit.
    m_watchdog.setInterval(std::clamp(m_probe.answerLimitMs() / 4, 50, 1000));
    connect(&m_watchdog, &QTimer::timeout, this, &ParallelProbe::EndHung);
}

ParallelProbe::~ParallelProbe()
{
    Stop();
}

void ParallelProbe::Start()
{
    StartMore();
    // A file settled while starting (no answer, an error) is reported from
    // the event loop like every other, after the caller has returned.
    QMetaObject::invokeMethod(this, &ParallelProbe::Report, Qt::QueuedConnection);
}

namespace {

// Whether this process has no descriptor to spare just now.
bool OutOfDescriptors()
{
    const FileDescriptor spare(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    return !spare.isOpen() && IsResourceShortage(errno);
}

// How long files wait for a place while nothing of this probe runs to free one.
constexpr int ShortageGiveUpMs = 60000;
constexpr int ShortageRetryMs = 250;

} // namespace

void ParallelProbe::StartMore()
{
    const int limit = m_short.isValid() ? 1 : m_jobs;
    while (!m_stopped && static_cast<int>(m_running.size()) < limit) {
        int index = m_next;
        if (!m_waiting.empty() && *m_waiting.begin() <= m_last) {
            index = *m_waiting.begin();
            m_waiting.erase(m_waiting.begin());
        } else if (m_next <= m_last) {
            ++m_next;
        } else {
            break;
        }
        const int slot = FreeSlot();
        const DurationProbe::Files files = m_probe.files(slot);
        try {
            if (!m_probe.Prepare(m_sources.at(index), files)) {
                Settle(index, {});
                continue;
            }
        } catch (const EFileError&) {
            DurationProbe::Remove(files);
            // Its files could not be made for want of descriptors: not the file's fault.
            if (OutOfDescriptors() && WaitForPlace(index))
                break;
            Settle(index, {std::nullopt, std::current_exception(), {}});
            continue;
        } catch (...) {
            DurationProbe::Remove(files);
            Settle(index, {std::nullopt, std::current_exception(), {}});
            continue;
        }
        auto* child = new ChildProcess(this);
        m_running.push_back({index, slot, child, m_clock.elapsed()});
        if (!m_watchdog.isActive())
            m_watchdog.start();
        // Queued, so that an end reported while starting comes after the start.
        connect(
            child, &ChildProcess::done, this,
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
    ProbeOutcome outcome;
    QString shortage;
    if (m_probe.Starved(end, &shortage)) {
        QFile::remove(files.batch);
        QFile::remove(files.result);
        if (WaitForPlace(running.index))
            return;
        outcome.error = std::make_exception_ptr(VantrelError(
            QCoreApplication::translate("ParallelProbe", "Cannot measure \"%1\": no program could be started (%2). "
                                                         "Try again when fewer programs run")
                .arg(m_sources.at(running.index), shortage)));
        Settle(running.index, outcome);
        StartMore();
        Report();
        return;
    }
    // A probe that started frees a place when it ends.
    m_short.invalidate();
    try {
        outcome.answer = m_probe.Collect(end, files);
        if (outcome.answer)
            outcome.timeline = FlvTimeline::Read(m_sources.at(running.index));
    } catch (const EFileError&) {
        outcome.error = std::current_exception();
        // The answer could not be opened for want of descriptors: measured again once a place frees.
        if (OutOfDescriptors() && WaitForPlace(running.index)) {
            DurationProbe::Remove(files);
            return;
        }
    } catch (...) {
        outcome.error = std::current_exception();
    }
    // The slot is used again; what an error left must not stay for it.
    DurationProbe::Remove(files);
    Settle(running.index, outcome);
    StartMore();
    Report();
}

void ParallelProbe::EndHung()
{
    if (m_running.empty()) {
        m_watchdog.stop();
        return;
    }
    std::vector<Running> hung;
    std::erase_if(m_running, [&](const Running& probe) {
        if (m_clock.elapsed() - probe.startedMs < m_probe.answerLimitMs())
            return false;
        hung.push_back(probe);
        return true;
    });
    if (hung.empty())
        return;
    End(hung);
    for (const Running& probe : hung)
        Settle(probe.index, {std::nullopt, std::make_exception_ptr(VantrelError(m_probe.HungText())), {}});
    StartMore();
    Report();
}

bool ParallelProbe::WaitForPlace(int index)
{
    if (!m_short.isValid())
        m_short.start();
    if (m_short.elapsed() > ShortageGiveUpMs)
        return false;
    m_waiting.insert(index);
    // A probe still running frees a place when it ends; with none, the system may free one.
    if (m_running.empty())
        QTimer::singleShot(ShortageRetryMs, this, [this] {
            StartMore();
            Report();
        });
    return true;
}

void ParallelProbe::Settle(int index, ProbeOutcome outcome)
{
    m_done[index] = std::move(outcome);
}

void ParallelProbe::Report()
{
    while (!m_stopped && m_nextReport <= m_last) {
        const auto it = m_done.find(m_nextReport);
        if (it == m_done.end())
            return;
        const ProbeOutcome outcome = std::move(it->second);
        m_done.erase(it);
        // Counted first: a handler may stop the list or look at the count.
        const int index = m_nextReport++;
        emit answered(index, outcome);
    }
    if (!m_stopped) {
        m_stopped = true;
        emit finished();
    }
}

int ParallelProbe::FreeSlot() const
{
    // One at a time keeps the probe's own names, open.bat and duration_time.txt.
    if (m_jobs == 1)
        return 0;
    for (int slot = 1;; ++slot) {
        const bool taken = std::any_of(m_running.cbegin(), m_running.cend(),
                                       [slot](const Running& running) { return running.slot == slot; });
        if (!taken)
            return slot;
    }
}

void ParallelProbe::End(const std::vector<Running>& probes)
{
    for (const Running& probe : probes) {
        if (probe.child) {
            probe.child->disconnect(this);
            probe.child->kill();
        }
    }
    for (const Running& probe : probes) {
        if (probe.child) {
            // Waits, so nothing writes the answer after it is removed.
            probe.child->kill(5000);
            probe.child->deleteLater();
        }
        DurationProbe::Remove(m_probe.files(probe.slot));
    }
}

void ParallelProbe::Release(QObject* listener)
{
    disconnect(listener);
    Stop();
    deleteLater();
}

void ParallelProbe::Stop()
{
    m_stopped = true;
    m_watchdog.stop();
    End(std::exchange(m_running, {}));
    m_done.clear();
}
