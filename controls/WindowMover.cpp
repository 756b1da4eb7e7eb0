#include "controls/WindowMover.h"

#include <QApplication>
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
    // The system's move loop begun on a bare press would hold the window to the
    // pointer after a release it never saw, until the next click.
    m_pressed = true;
    m_pressAt = globalPos;
    m_grabOffset = globalPos - m_window->frameGeometry().topLeft();
}

void WindowMover::begin(const QPoint& globalPos)
{
    m_pressed = false;
    QWindow* handle = m_window->windowHandle();
    if (handle && handle->startSystemMove())
        return;
    m_moving = true;
    m_window->move(globalPos - m_grabOffset);
}

bool WindowMover::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_pressed && !m_moving)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::MouseMove) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->globalPosition().toPoint();
        if (!(mouse->buttons() & Qt::LeftButton)) {
            m_pressed = m_moving = false;
        } else if (m_moving) {
            m_window->move(at - m_grabOffset);
        } else if ((at - m_pressAt).manhattanLength() >= QApplication::startDragDistance()) {
            begin(at);
        }
    } else if (event->type() == QEvent::MouseButtonRelease
               && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        m_pressed = m_moving = false;
    }
    return QObject::eventFilter(watched, event);
}
