#pragma once

#include <QPoint>
#include <QWidget>

class PressTracker;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };

// An invisible click area: it draws nothing but an optional one-pixel frame, so
// the window's drawing beneath stays visible, yet it takes the mouse anywhere in
// its rectangle. Given a focus policy, it draws a dotted frame while focused,
// and Return or keypad Enter clicks it.
class TTranPanel : public QWidget
{
    Q_OBJECT

public:
    explicit TTranPanel(QWidget* parent = nullptr);

    bool Border() const { return m_border; }
    void SetBorder(bool on);

    TAlign Align() const { return m_align; }
    // Keeps the panel along an edge of its parent (or filling it) as the parent resizes.
    void SetAlign(TAlign align);

signals:
    void OnClick();
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos, bool doubleClick);
    void OnMouseMove(Qt::KeyboardModifiers modifiers, QPoint pos);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, QPoint pos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ApplyAlign();

    bool m_border = false;
    TAlign m_align = alNone;
    PressTracker* m_press;
};
