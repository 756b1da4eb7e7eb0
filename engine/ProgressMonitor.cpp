#include "engine/ProgressMonitor.h"

#include <algorithm>

namespace {

constexpr qint64 MicrosecondsPerSecond = 1000000;

std::optional<qint64> Number(const QByteArray& text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

} // namespace

void ProgressMonitor::Feed(const QByteArray& bytes)
{
    m_partialLine += bytes;
    qsizetype start = 0;
    for (qsizetype end = m_partialLine.indexOf('\n'); end >= 0; end = m_partialLine.indexOf('\n', start)) {
        TakeLine(m_partialLine.mid(start, end - start));
        start = end + 1;
    }
    m_partialLine.remove(0, start);
    // A report line is short; anything else is not one.
    if (m_partialLine.size() > 4096)
        m_partialLine.clear();
}

void ProgressMonitor::TakeLine(const QByteArray& line)
{
    const qsizetype equals = line.indexOf('=');
    if (equals <= 0)
        return;
    const QByteArray key = line.left(equals).trimmed();
    const QByteArray value = line.mid(equals + 1).trimmed();
    if (key == "out_time_us") {
        // "N/A" until ffmpeg knows; a start before zero counts as zero.
        if (const auto us = Number(value))
            m_reportTime = std::max<qint64>(*us, 0);
    } else if (key == "total_size") {
        m_reportSize = Number(value);
    } else if (key == "progress") {
        if (m_reportTime)
            m_processedUs = std::max(m_processedUs.value_or(0), *m_reportTime);
        if (m_reportSize)
            m_totalSize = *m_reportSize;
        m_reportTime.reset();
        m_reportSize.reset();
        m_ended = m_ended || value == "end";
    }
}

std::optional<int> ProgressMonitor::Percent(qint64 durationSeconds) const
{
    if (!m_processedUs)
        return std::nullopt;
    return Percent(*m_processedUs, durationSeconds);
}

std::optional<int> ProgressMonitor::Percent(qint64 processedUs, qint64 durationSeconds)
{
    if (durationSeconds <= 0)
        return std::nullopt;
    // In whole microseconds, so no source is long enough to overflow.
    const qint64 durationUs
        = std::min<qint64>(durationSeconds, INT64_MAX / 100 / MicrosecondsPerSecond) * MicrosecondsPerSecond;
    const qint64 percent = std::max<qint64>(processedUs, 0) / durationUs * 100
                           + std::max<qint64>(processedUs, 0) % durationUs * 100 / durationUs;
    return static_cast<int>(std::min<qint64>(percent, 99));
}
