#include "controls/FocusFrame.h"

#include <QEvent>
#include <QPainter>

FocusFrame::FocusFrame(QWidget* target) : QWidget(target), m_target(target)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    Fit();
    setVisible(target->hasFocus());
    target->installEventFilter(this);
}

bool FocusFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_target) {
        switch (event->type()) {
        case QEvent::Resize: Fit(); break;
        case QEvent::FocusIn:
            // Above the view's own children (viewport, header, scroll bars).
            raise();
            show();
            break;
        case QEvent::FocusOut: hide(); break;
        default: break;
        }
    }
    return false;
}

void FocusFrame::Fit()
{
    const QRect r = m_target->rect();
    setGeometry(r);
    // Only the ring is the frame's: the target's drawing inside is never covered.
    setMask(QRegion(r).subtracted(QRegion(r.adjusted(Width, Width, -Width, -Width))));
}

void FocusFrame::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor colour(Colour);
    const QRect r = rect();
    painter.fillRect(QRect(r.left(), r.top(), r.width(), Width), colour);
    painter.fillRect(QRect(r.left(), r.bottom() - Width + 1, r.width(), Width), colour);
    painter.fillRect(QRect(r.left(), r.top(), Width, r.height()), colour);
    painter.fillRect(QRect(r.right() - Width + 1, r.top(), Width, r.height()), colour);
}
