#include "controls/MouseLabel.h"

#include "controls/PressTracker.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

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

void MouseLabel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!event->isAutoRepeat())
            emit clicked();
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

void MouseLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    // In the text's own colour, so it reads wherever the text reads.
    QPainter painter(this);
    painter.setPen(QPen(palette().color(foregroundRole()), 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
