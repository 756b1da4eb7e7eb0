#include "engine/RunSchedule.h"

#include "model/QueueModel.h"

#include <algorithm>

namespace {

// The row's length as measured, or as the progress counts it when that is all there is.
qint64 LengthMs(const QueueModel& queue, int row)
{
    const qint64 measured = queue.milliseconds(row);
    return measured >= 0 ? measured : queue.seconds(row) * 1000;
}

} // namespace

RunSchedule::RunSchedule(int cores) : m_cores(std::max(1, cores))
{ }

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

int RunSchedule::EncoderThreads(int running) const
{
    const int share = (m_cores + std::max(1, running) - 1) / std::max(1, running);
    return std::clamp(share, std::min(2, m_cores), m_cores);
}
