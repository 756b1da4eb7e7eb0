#include "core/RunTimeLeft.h"

#include "engine/ConversionRun.h"
#include "model/QueueModel.h"

#include <QCoreApplication>
#include <algorithm>

namespace {

constexpr int TickMs = 1000;

qint64 LengthMs(const QueueModel& queue, int row)
{
    const qint64 ms = queue.milliseconds(row);
    return ms >= 0 ? ms : queue.seconds(row) * 1000;
}

} // namespace

RunTimeLeft::RunTimeLeft(QueueModel& queue, const ConversionRun& run, QObject* parent)
    : QObject(parent), m_queue(queue), m_conversion(run)
{
    m_tick.setInterval(TickMs);
    connect(&m_tick, &QTimer::timeout, this, &RunTimeLeft::Update);
    connect(&run, &ConversionRun::rowStarted, this, [this] {
        if (m_tick.isActive())
            return;
        m_clock.start();
        m_tick.start();
        Update();
    });
    connect(&run, &ConversionRun::runEnded, this, [this] {
        m_tick.stop();
        m_run = {};
        m_rows.clear();
        m_seen.clear();
        m_doneMs = 0;
        emit updated();
    });
}

QString RunTimeLeft::text() const
{
    const std::optional<qint64> left = run();
    return left ? QCoreApplication::translate("RunTimeLeft", "%1 left").arg(TimeLeft::Text(*left)) : QString();
}

void RunTimeLeft::Update()
{
    const qint64 now = m_clock.elapsed();
    const QHash<quint64, qint64> processed = m_conversion.processedUs();
    qint64 leftMs = 0;
    for (int row = 0; row < m_queue.count(); ++row) {
        const quint64 id = m_queue.id(row);
        const RowState state = m_queue.state(row);
        const qint64 length = LengthMs(m_queue, row);
        if (!processed.contains(id)) {
            // Waiting, or started with no report yet: all of it is still to convert.
            if (state == RowState::Pending || state == RowState::Converting)
                leftMs += length;
            continue;
        }
        const qint64 doneMs = std::min(processed.value(id) / 1000, length);
        // A file started over converts its start again: no progress to count twice.
        m_doneMs += std::max<qint64>(doneMs - m_seen.value(id, 0), 0);
        m_seen.insert(id, doneMs);
        leftMs += length - doneMs;
        TimeLeft& own = m_rows[id];
        own.Observe(now, doneMs, length - doneMs);
        const std::optional<qint64> ownLeft = own.Estimate();
        m_queue.setTimeLeft(
            row,
            ownLeft ? QCoreApplication::translate("RunTimeLeft", "%1 left").arg(TimeLeft::Text(*ownLeft)) : QString());
    }
    for (auto it = m_rows.begin(); it != m_rows.end();) {
        if (processed.contains(it.key()))
            ++it;
        else
            it = m_rows.erase(it);
    }
    m_run.Observe(now, m_doneMs, leftMs);
    emit updated();
}
