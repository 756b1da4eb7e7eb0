#include "controls/MouseLabel.h"

#include "controls/PressTracker.h"

#include <QMouseEvent>

MouseLabel::MouseLabel(QWidget* parent) : QLabel(parent), m_press(new PressTracker(this)) {}

void MouseLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_press->pressed();
    emit pressed(event->button(), event->modifiers(), event->position().toPoint());
}

void MouseLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The first press of the pair already clicked; this one only reports the press.
    emit pressed(event->button(), event->modifiers(), event->position().toPoint());
}

void MouseLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_press->released(event->position().toPoint()))
        emit clicked();
}

void MouseLabel::enterEvent(QEnterEvent* event)
{
    QLabel::enterEvent(event);
    emit entered();
}

void MouseLabel::leaveEvent(QEvent* event)
{
    QLabel::leaveEvent(event);
    emit left();
}
