#include "engine/advantmr.h"

#include <QCoreApplication>
#include <QTimerEvent>

#include <limits>

TAdvancedTimer::TAdvancedTimer(QObject* owner) : QObject(owner)
{ }

TAdvancedTimer::~TAdvancedTimer()
{
    m_enabled = false;
    Restart();
}

void TAdvancedTimer::setEnabled(bool value)
{
    if (value == m_enabled)
        return;
    m_enabled = value;
    Restart();
    if (value) {
        if (m_onActivate)
            m_onActivate(m_interval);
    } else if (m_onDeactivate) {
        // Reported before it is cleared.
        m_onDeactivate(static_cast<quint32>(m_intervals));
    }
    m_intervals = 0;
}

void TAdvancedTimer::setInterval(quint32 value)
{
    if (value == m_interval)
        return;
    m_interval = value;
    Restart();
}

void TAdvancedTimer::setBuddy(const QString& value)
{
    if (value == m_buddy)
        return;
    m_buddy = value;
    Restart();
}

void TAdvancedTimer::setMessage(const QString& value)
{
    if (value == m_message)
        return;
    m_message = value;
    Restart();
}

void TAdvancedTimer::setTajmeri(int value)
{
    if (value == m_tajmeri)
        return;
    m_tajmeri = value;
    Restart();
}

void TAdvancedTimer::setOnTimer(TNotifyEvent handler)
{
    m_onTimer = std::move(handler);
    Restart();
}

void TAdvancedTimer::Release()
{
    if (m_released)
        return;
    m_released = true;
    m_enabled = false;
    Restart();
    if (!m_inTick)
        deleteLater();
}

void TAdvancedTimer::Restart()
{
    if (m_timerId != 0) {
        killTimer(m_timerId);
        m_timerId = 0;
    }
    if (m_interval == 0 || !m_enabled || m_released)
        return;
    // Qt holds the period as an int; a longer one is clamped, as the system
    // clamps an over-long window timer.
    constexpr quint32 longest = std::numeric_limits<int>::max();
    m_timerId = startTimer(static_cast<int>(std::min(m_interval, longest)));
    if (m_timerId == 0)
        throw EOutOfResources(QCoreApplication::translate("advantmr", "Not enough timers available"));
}

void TAdvancedTimer::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timerId) {
        QObject::timerEvent(event);
        return;
    }
    m_inTick = true;
    RunGuarded([this] { Tick(); });
    m_inTick = false;
    if (m_released)
        deleteLater();
}

void TAdvancedTimer::Tick()
{
    if (m_onTimer) {
        try {
            m_onTimer(this);
        } catch (...) {
            // A failing handler only stops its timer; the error is not shown.
            if (!m_released)
                setEnabled(false);
        }
    }
    if (m_released)
        return;
    ++m_intervals;
    if (m_intervals == m_maxIntervals) {
        if (m_onMaxIntervals)
            m_onMaxIntervals(static_cast<quint32>(m_intervals));
        if (m_stopAtMax && !m_released)
            setEnabled(false);
    }
}
