#include "controls/WindowMover.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

WindowMover::WindowMover(QWidget* window) : QObject(window), m_window(window)
{ }

void WindowMover::addHandle(QWidget* handle)
{
    handle->installEventFilter(this);
}

void WindowMover::start(const QPoint& globalPos)
{
    QWindow* handle = m_window->windowHandle();
    if (handle && handle->startSystemMove())
        return;
    m_moving = true;
    m_grabOffset = globalPos - m_window->frameGeometry().topLeft();
}

bool WindowMover::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_moving)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::MouseMove) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->buttons() & Qt::LeftButton)
            m_window->move(mouse->globalPosition().toPoint() - m_grabOffset);
        else
            m_moving = false;
    } else if (event->type() == QEvent::MouseButtonRelease
               && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        m_moving = false;
    }
    return QObject::eventFilter(watched, event);
}
