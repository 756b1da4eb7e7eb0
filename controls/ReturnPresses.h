#pragma once

#include <QObject>

class QAbstractButton;

// Makes Return and keypad Enter press a focused push button, as Space does:
// outside a dialog Qt's buttons take Space alone. Owned by the button.
class ReturnPresses : public QObject
{
    Q_OBJECT

public:
    explicit ReturnPresses(QAbstractButton* button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QAbstractButton* m_button;
};
