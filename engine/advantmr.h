#pragma once

#include "platform/NotifyEvent.h"
#include "platform/Error.h"

#include <QObject>
#include <QString>

#include <functional>

// The platform could not give the timer a system timer.
class EOutOfResources : public VantrelError
{
public:
    using VantrelError::VantrelError;
};

using TTimerActivateEvent = std::function<void(quint32 Interval)>;
using TTimerDeactivateEvent = std::function<void(quint32 Intervals)>;
using TTimerMaxIntervals = std::function<void(quint32 Intervals)>;

// A periodic timer that counts its ticks, can stop itself after a number of
// them, reports being switched on and off, and carries free values for its user.
// No system timer runs until the first restart (a changed Interval, Buddy,
// Message or Tajmeri, any setting of OnTimer, or a switch of Enabled).
class TAdvancedTimer : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(quint32 Interval READ Interval WRITE setInterval)
    Q_PROPERTY(int Intervals READ Intervals)
    Q_PROPERTY(QString Buddy READ Buddy WRITE setBuddy)
    Q_PROPERTY(QString Message READ Message WRITE setMessage)
    Q_PROPERTY(int Tajmeri READ Tajmeri WRITE setTajmeri)
    Q_PROPERTY(int MaxIntervals READ MaxIntervals WRITE setMaxIntervals)
    Q_PROPERTY(bool StopAtMax READ StopAtMax WRITE setStopAtMax)

public:
    explicit TAdvancedTimer(QObject* owner = nullptr);
    ~TAdvancedTimer() override;

    bool Enabled() const { return m_enabled; }
    void setEnabled(bool value);
    quint32 Interval() const { return m_interval; }
    void setInterval(quint32 value);
    int Intervals() const { return m_intervals; }
    QString Buddy() const { return m_buddy; }
    void setBuddy(const QString& value);
    QString Message() const { return m_message; }
    void setMessage(const QString& value);
    int Tajmeri() const { return m_tajmeri; }
    void setTajmeri(int value);
    int MaxIntervals() const { return m_maxIntervals; }
    void setMaxIntervals(int value) { m_maxIntervals = value; }
    bool StopAtMax() const { return m_stopAtMax; }
    void setStopAtMax(bool value) { m_stopAtMax = value; }

    void setOnTimer(TNotifyEvent handler);
    void setOnActivate(TTimerActivateEvent handler) { m_onActivate = std::move(handler); }
    void setOnDeactivate(TTimerDeactivateEvent handler) { m_onDeactivate = std::move(handler); }
    void setOnMaxIntervals(TTimerMaxIntervals handler) { m_onMaxIntervals = std::move(handler); }

    // Ends the timer for good. Inside its own tick the object stays alive until
    // the tick is over and is then deleted later; no further event is raised.
    void Release();

protected:
    // One period has passed.
    virtual void Tick();
    void timerEvent(QTimerEvent* event) override;

private:
    void Restart();

    quint32 m_interval = 1000;
    int m_timerId = 0; // the system timer; 0 while none runs
    TNotifyEvent m_onTimer;
    TTimerActivateEvent m_onActivate;
    TTimerDeactivateEvent m_onDeactivate;
    TTimerMaxIntervals m_onMaxIntervals;
    int m_intervals = 0;
    int m_maxIntervals = 0;
    bool m_stopAtMax = true;
    bool m_enabled = true;
    QString m_buddy;
    int m_tajmeri = 0;
    QString m_message;

    bool m_inTick = false;
    bool m_released = false;
};
