#include "controls/PressTracker.h"

#include <QEvent>
#include <QPoint>
#include <QWidget>
#include <QWindow>

PressTracker::PressTracker(QWidget* control) : QObject(control), m_control(control)
{ }

void PressTracker::pressed()
{
    m_candidate = true;
    stopWatching();
    // A modal dialog blocks the top-level window, never the control itself.
    QWidget* top = m_control->window();
    m_watched = top->windowHandle() ? static_cast<QObject*>(top->windowHandle()) : top;
    m_watched->installEventFilter(this);
}

bool PressTracker::released(const QPoint& pos)
{
    const bool clicks = m_candidate && m_control->rect().contains(pos);
    m_candidate = false;
    stopWatching();
    return clicks;
}

bool PressTracker::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_watched && m_candidate && event->type() == QEvent::WindowBlocked) {
        m_candidate = false;
        stopWatching();
        emit cancelled();
    }
    return false;
}

void PressTracker::stopWatching()
{
    if (m_watched)
        m_watched->removeEventFilter(this);
    m_watched = nullptr;
}
