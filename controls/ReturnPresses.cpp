#include "controls/ReturnPresses.h"

#include <QAbstractButton>
#include <QKeyEvent>

ReturnPresses::ReturnPresses(QAbstractButton* button) : QObject(button), m_button(button)
{
    button->installEventFilter(this);
}

bool ReturnPresses::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_button || event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    // A held key is one press, as a held Space is.
    if (!key->isAutoRepeat() && m_button->isEnabled())
        m_button->click();
    return true;
}
