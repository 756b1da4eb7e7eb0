#pragma once

#include <QLabel>
#include <QPoint>

class PressTracker;

// A label or picture drawn on the window that reports the pointer: presses
// (any button), clicks (a left press released over it) and the pointer
// entering and leaving it. Given a focus policy, it draws a dotted frame while
// focused, and Return or keypad Enter clicks it. Bold text stays as bold on a
// scaled screen as at 1x.
class MouseLabel : public QLabel
{
    Q_OBJECT

public:
    explicit MouseLabel(QWidget* parent = nullptr);

signals:
    void pressed(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);
    void clicked();
    void entered();
    void left();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    PressTracker* m_press;
};
