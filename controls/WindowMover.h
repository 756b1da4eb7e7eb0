#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

class QWidget;

// Moves a frameless window by a drag on one of its handles. Nothing moves until
// the pointer has moved the drag distance with the button held, so a press and
// release without motion never starts a move. The platform's own move loop is
// asked for first; where there is none (no window manager, or one that does not
// offer it) the window follows the pointer itself until the button is released.
class WindowMover : public QObject
{
    Q_OBJECT

public:
    explicit WindowMover(QWidget* window);

    // Lets the window follow moves over `handle` while a move is under way.
    void addHandle(QWidget* handle);
    // A press at `globalPos` that begins a move once the pointer drags.
    void start(const QPoint& globalPos);
    bool moving() const { return m_moving; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void begin(const QPoint& globalPos);

    QWidget* m_window;
    bool m_pressed = false; // a press waits to become a drag
    QPoint m_pressAt;
    bool m_moving = false;
    QPoint m_grabOffset; // pointer position relative to the window's top-left
};
