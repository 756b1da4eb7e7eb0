#include "engine/TimeLeft.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Speed is judged over this much of the recent past: long enough to even out
// a file's hard and easy parts, short enough to follow a change of files.
constexpr qint64 WindowMs = 60000;
// A new judgement is taken in at this pace...
constexpr double SettleMs = 10000.0;
// ...and moves the estimate by at most this share of it per second, and at
// least by a couple of seconds, so a real change still gets through.
constexpr double MostChangePerSecond = 1.0 / 60.0;
constexpr double LeastChangeMs = 2000.0;

} // namespace

void TimeLeft::Observe(qint64 nowMs, qint64 doneMs, qint64 leftMs)
{
    // A clock that went back, or the same moment twice, tells nothing of speed.
    if (!m_samples.empty() && nowMs <= m_samples.back().atMs)
        return;
    // Work counted again (a file started over) is not speed either.
    if (!m_samples.empty() && doneMs < m_samples.back().doneMs)
        m_samples.clear();
    m_samples.push_back({nowMs, doneMs});
    while (m_samples.size() > 2 && nowMs - m_samples[1].atMs >= WindowMs)
        m_samples.pop_front();

    const qint64 elapsedMs = nowMs - std::exchange(m_lastMs, nowMs);
    const Sample& oldest = m_samples.front();
    const qint64 spanMs = nowMs - oldest.atMs;
    const qint64 movedMs = doneMs - oldest.doneMs;
    if (leftMs <= 0) {
        m_estimate = 0;
        return;
    }
    if (spanMs < EnoughMs || movedMs <= 0) {
        // Stalled for the whole window: no honest estimate at all.
        if (movedMs <= 0 && spanMs >= WindowMs)
            m_estimate.reset();
        else if (m_estimate)
            m_estimate = std::max<qint64>(*m_estimate - elapsedMs, 0);
        return;
    }
    const double judged = static_cast<double>(leftMs) * static_cast<double>(spanMs) / static_cast<double>(movedMs);
    if (!m_estimate) {
        m_estimate = std::llround(judged);
        return;
    }
    const double expected = static_cast<double>(std::max<qint64>(*m_estimate - elapsedMs, 0));
    const double seconds = static_cast<double>(elapsedMs) / 1000.0;
    const double pull = std::min(1.0, static_cast<double>(elapsedMs) / SettleMs) * (judged - expected);
    const double most = std::max(LeastChangeMs, expected * MostChangePerSecond) * seconds;
    m_estimate = std::llround(std::max(0.0, expected + std::clamp(pull, -most, most)));
}

QString TimeLeft::Text(qint64 ms)
{
    const qint64 seconds = (std::max<qint64>(ms, 0) + 999) / 1000;
    const qint64 hours = seconds / 3600;
    const QString minutesAndSeconds
        = QStringLiteral("%1:%2")
              .arg(hours > 0 ? QStringLiteral("%1").arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                             : QString::number(seconds / 60))
              .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return hours > 0 ? QStringLiteral("%1:%2").arg(hours).arg(minutesAndSeconds) : minutesAndSeconds;
}
