#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>

class PressTracker;
class QTimer;

// A list of pictures a button can take its four pictures from (idle, hover,
// pressed, disabled, in that order).
class TImageList : public QObject
{
    Q_OBJECT

public:
    explicit TImageList(QObject* parent = nullptr) : QObject(parent) { }
    explicit TImageList(const QList<QImage>& images, QObject* parent = nullptr) : QObject(parent), Images(images) { }

    QList<QImage> Images;
};

enum TPaintMode { pmNormal = 0, pmCrop = 1, pmTransparent = 2 };

// The input a button's own mouse event carries; there is no sender.
struct TWMMouse
{
    enum Message { Enter, Leave, LeftDown, LeftUp };

    Message Msg = Enter;
    Qt::MouseButtons Buttons;        // buttons held, zero for enter and leave
    Qt::KeyboardModifiers Modifiers; // zero for enter and leave
    QPoint Pos;                      // button coordinates, zero for enter and leave
};

// A picture button cut to the shape of its idle picture. In pmCrop every pixel
// of the idle picture's top-left colour (the key colour) is removed from the
// widget, so the button is seen, hovered and pressed only on its shape, and the
// pointer over a cut pixel reaches whatever lies beneath.
//
// It takes no keyboard focus unless its owner gives it a focus policy; then it
// draws a focus mark inside its shape while focused and Space or Enter clicks
// it. Screen readers see it as a push button that can be pressed.
class TEzRgnBtn : public QWidget
{
    Q_OBJECT

public:
    explicit TEzRgnBtn(QWidget* parent = nullptr);

    bool AutoRepeat() const { return m_autoRepeat; }
    void SetAutoRepeat(bool on);
    // The button's own enabled flag; the widget itself stays enabled, so a
    // disabled button still tracks the pointer and raises its mouse events.
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool on);
    bool Disabled() const { return !m_enabled; }

    const QImage& PicIdle() const { return m_picIdle; }
    const QImage& PicDown() const { return m_picDown; }
    const QImage& PicUp() const { return m_picUp; }
    const QImage& PicDsbld() const { return m_picDsbld; }
    // A null image empties the picture.
    void SetPicIdle(const QImage& picture);
    void SetPicDown(const QImage& picture);
    void SetPicUp(const QImage& picture);
    void SetPicDsbld(const QImage& picture);

    TPaintMode PaintMode() const { return m_paintMode; }
    void SetPaintMode(TPaintMode mode);

    TImageList* ImageList() const { return m_imageList; }
    // Copies the list's first four pictures once; the list is not consulted later.
    void SetImageList(TImageList* list);

    bool Hovered() const { return m_hovered; }
    bool Pressed() const { return m_pressed; }
    bool RegionApplied() const { return m_regionApplied; }

    // The picture for the current state, or a null image when there is none.
    const QImage& CurrentPicture() const;

    // Raises OnClick while Enabled.
    void Click();

signals:
    void OnClick();
    void OnMouseDown(TWMMouse msg);
    void OnMouseUp(TWMMouse msg);
    void OnMouseEnter(TWMMouse msg);
    void OnMouseLeave(TWMMouse msg);
    void OnMouseMove(Qt::KeyboardModifiers modifiers, int x, int y);

protected:
    // Each tick of the auto-repeat timer.
    virtual void RepeatTick();

    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Resizes to the picture of the current state and draws it at once.
    void Paint();
    void BuildShape();
    void RemoveShape();
    void UpdateRepeatTimer();
    void PointerEntered();
    void PointerLeft();
    void LeftReleased(const QPoint& pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
    bool OverShape(const QPoint& pos) const;

    bool m_regionApplied = false;
    QTimer* m_repeatTimer;
    PressTracker* m_press;
    bool m_autoRepeat = false;
    TPaintMode m_paintMode = pmNormal;
    bool m_pressed = false;
    bool m_hovered = false;
    bool m_enabled = true;
    QImage m_picIdle;
    QImage m_picDown;
    QImage m_picDsbld;
    QImage m_picUp;
    QPointer<TImageList> m_imageList;
};

// The region a picture leaves once every pixel of its top-left colour is cut,
// in the layout's units (a 2x picture gives the region of its 1x form);
// empty for an empty picture.
QRegion KeyColourShape(const QImage& picture);

// The picture greyed and faded toward its key colour, the key colour itself
// untouched: the look of a button that does nothing now.
QImage DimmedPicture(const QImage& picture);
