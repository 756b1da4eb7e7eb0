#include "engine/RunSchedule.h"

#include "model/QueueModel.h"
#include "platform/Error.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstring>

RunSchedule::RunSchedule(int cores) : m_cores(std::max(1, cores))
{ }

qint64 RunSchedule::LengthMs(const QueueModel& queue, int row)
{
    const qint64 measured = queue.milliseconds(row);
    return measured >= 0 ? measured : queue.seconds(row) * 1000;
}

int RunSchedule::NextRow(const QueueModel& queue, const std::function<bool(quint64 id)>& isRunning, int jobs) const
{
    int next = -1;
    for (int row = 0; row < queue.count(); ++row) {
        if (queue.state(row) != RowState::Pending || isRunning(queue.id(row)))
            continue;
        if (jobs <= 1)
            return row;
        // The first of equally long rows keeps its place.
        if (next < 0 || LengthMs(queue, row) > LengthMs(queue, next))
            next = row;
    }
    return next;
}

RunSchedule::Plan RunSchedule::PlanFor(int alongside, qint64 lengthMs) const
{
    const int files = std::max(1, alongside);
    Plan plan;
    plan.threads = std::max(1, m_cores / files);
    if (files < m_cores && lengthMs >= SoundBesideFromMs)
        plan.threadsBeside = std::max(1, plan.threads - 1);
    return plan;
}

RunSchedule::Waiting RunSchedule::WaitingFiles(const QueueModel& queue,
                                               const std::function<bool(quint64 id)>& isRunning, int coming)
{
    Waiting waiting;
    for (int row = 0; row < queue.count(); ++row) {
        if (queue.state(row) == RowState::Pending && !isRunning(queue.id(row))) {
            waiting.ms += std::max<qint64>(0, LengthMs(queue, row));
            ++waiting.files;
        }
    }
    if (waiting.files > 0)
        waiting.ms += waiting.ms / waiting.files * coming;
    waiting.files += coming;
    return waiting;
}

int RunSchedule::Alongside(const QueueModel& queue, const std::function<bool(quint64 id)>& isRunning, int running,
                           int jobs, int coming) const
{
    return std::clamp(running + WaitingFiles(queue, isRunning, coming).files, 1, std::max(1, jobs));
}

bool RunSchedule::MayShare(qint64 lengthMs, qint64 framePixels)
{
    return lengthMs > 0 && lengthMs < ShareBelowMs && framePixels >= 0 && framePixels <= ShareUpToPixels
           && framePixels * lengthMs <= SharePixelMsUpTo;
}

bool RunSchedule::Joins(const Group& group, qint64 lengthMs, qint64 framePixels, qint64 budgetMs)
{
    return MayShare(lengthMs, framePixels) && group.files < ShareUpTo && group.ms + lengthMs <= budgetMs
           && group.pixels + framePixels <= ShareUpToPixels;
}

qint64 RunSchedule::ShareBudgetMs(qint64 waitingMs, int jobs)
{
    return jobs < 2 ? 0 : std::min(ShareUpToMs, (waitingMs + jobs - 1) / jobs);
}

bool RunSchedule::StarvedOf(int code, const QString& source)
{
    if (!IsResourceShortage(code))
        return false;
    Starved(ShortageText(source, code));
    return true;
}

void RunSchedule::Starved(const QString& why)
{
    if (!m_short.isValid())
        m_short.start();
    m_starved = why;
}

QString RunSchedule::ShortageText(const QString& source, int code)
{
    return QCoreApplication::translate("RunSchedule",
                                       "ffmpeg could not be started for \"%1\": %2. The files not converted stay "
                                       "\"Pending\"; press the button again when fewer programs run")
        .arg(source, QString::fromLocal8Bit(std::strerror(code)));
}

void RunSchedule::GiveUpWhenLong() const
{
    if (m_short.elapsed() > ShortageGiveUpMs)
        throw VantrelError(m_starved);
}

void RunSchedule::PlaceFreed()
{
    m_starved.clear();
    m_short.invalidate();
}
