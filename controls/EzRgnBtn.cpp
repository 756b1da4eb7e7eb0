#include "controls/EzRgnBtn.h"

#include "controls/PressTracker.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QTimer>
#include <QtMath>

#include <vector>

namespace {

// The picture's size in the layout's units, whatever its scale.
QSize LayoutSize(const QImage& picture)
{
    return picture.deviceIndependentSize().toSize();
}

} // namespace

QRegion KeyColourShape(const QImage& picture)
{
    if (picture.isNull())
        return {};
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = image.pixel(0, 0);
    // A picture drawn at a larger scale is read at the centre of each unit of
    // the layout, since the widget's shape is cut in those units.
    const QSize size = LayoutSize(image);
    const qreal scale = image.devicePixelRatio();
    const auto at = [scale](int v) { return qFloor((v + 0.5) * scale); };
    // Runs of key pixels along each row, taken away in one subtraction: the same
    // pixels as cutting them one by one, in a fraction of the region operations.
    std::vector<QRect> cuts;
    for (int y = 0; y < size.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(qMin(at(y), image.height() - 1)));
        const auto isKey = [&](int x) { return line[qMin(at(x), image.width() - 1)] == key; };
        for (int x = 0; x < size.width();) {
            if (!isKey(x)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < size.width() && isKey(x))
                ++x;
            cuts.emplace_back(start, y, x - start, 1);
        }
    }
    QRegion cut;
    cut.setRects(cuts.data(), int(cuts.size()));
    return QRegion(QRect(QPoint(), size)).subtracted(cut);
}

QImage DimmedPicture(const QImage& picture)
{
    if (picture.isNull())
        return {};
    QImage image = picture.convertToFormat(QImage::Format_RGB32);
    image.setDevicePixelRatio(picture.devicePixelRatio());
    const QRgb key = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] == key)
                continue;
            const int grey = qGray(line[x]);
            line[x] = qRgb((grey + qRed(key)) / 2, (grey + qGreen(key)) / 2, (grey + qBlue(key)) / 2);
            // A faded pixel that lands on the key colour would become a hole.
            if (line[x] == key)
                line[x] = qRgb(qRed(key) ^ 1, qGreen(key), qBlue(key));
        }
    }
    return image;
}

namespace {

// What a screen reader sees: a push button with the widget's accessible name
// and description, unavailable while not Enabled, pressed by its one action.
class AccessibleEzRgnBtn : public QAccessibleWidget
{
public:
    explicit AccessibleEzRgnBtn(TEzRgnBtn* button) : QAccessibleWidget(button, QAccessible::Button) { }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.disabled = s.disabled || button()->Disabled();
        return s;
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override
    {
        if (action == pressAction())
            button()->Click();
    }

private:
    TEzRgnBtn* button() const { return static_cast<TEzRgnBtn*>(widget()); }
};

QAccessibleInterface* AccessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("TEzRgnBtn") && object && object->isWidgetType())
        return new AccessibleEzRgnBtn(static_cast<TEzRgnBtn*>(object));
    return nullptr;
}

} // namespace

TEzRgnBtn::TEzRgnBtn(QWidget* parent)
    : QWidget(parent), m_repeatTimer(new QTimer(this)), m_press(new PressTracker(this))
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(AccessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    resize(15, 15);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    m_repeatTimer->setObjectName(QStringLiteral("RepeatTimer"));
    m_repeatTimer->setInterval(300);
    connect(m_repeatTimer, &QTimer::timeout, this, &TEzRgnBtn::RepeatTick);
    connect(m_press, &PressTracker::cancelled, this, [this] { LeftReleased({-1, -1}, {}, {}); });
}

void TEzRgnBtn::SetAutoRepeat(bool on)
{
    m_autoRepeat = on;
    UpdateRepeatTimer();
}

void TEzRgnBtn::SetEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    Paint();
}

void TEzRgnBtn::SetPicIdle(const QImage& picture)
{
    m_picIdle = picture;
    Paint();
    if (m_paintMode == pmCrop) {
        // An idle picture given after crop mode was entered with none cuts too.
        if (m_regionApplied)
            RemoveShape();
        BuildShape();
    }
}

void TEzRgnBtn::SetPicDown(const QImage& picture)
{
    m_picDown = picture;
    Paint();
}

void TEzRgnBtn::SetPicUp(const QImage& picture)
{
    m_picUp = picture;
    Paint();
}

void TEzRgnBtn::SetPicDsbld(const QImage& picture)
{
    m_picDsbld = picture;
    Paint();
}

void TEzRgnBtn::SetPaintMode(TPaintMode mode)
{
    if (mode == m_paintMode)
        return;
    if (m_paintMode == pmCrop)
        RemoveShape();
    m_paintMode = mode;
    if (m_paintMode == pmCrop)
        BuildShape();
    Paint();
}

void TEzRgnBtn::SetImageList(TImageList* list)
{
    if (list == m_imageList)
        return;
    m_imageList = list;
    if (!list)
        return;
    // Written straight into the pictures: each repaints, none rebuilds the shape.
    QImage* targets[] = {&m_picIdle, &m_picUp, &m_picDown, &m_picDsbld};
    for (int i = 0; i < 4 && i < list->Images.size(); ++i) {
        *targets[i] = list->Images.at(i);
        Paint();
    }
}

const QImage& TEzRgnBtn::CurrentPicture() const
{
    const QImage& normal = (!m_enabled && !m_picDsbld.isNull()) ? m_picDsbld : m_picIdle;
    if (m_pressed && m_hovered && m_enabled)
        return m_picDown.isNull() ? normal : m_picDown;
    if (m_hovered && !m_pressed && m_enabled)
        return m_picUp.isNull() ? normal : m_picUp;
    return normal;
}

void TEzRgnBtn::Click()
{
    if (m_enabled)
        emit OnClick();
}

void TEzRgnBtn::RepeatTick()
{
    Click();
}

void TEzRgnBtn::Paint()
{
    const QImage& picture = CurrentPicture();
    if (picture.isNull())
        return;
    // The button always has the size of the picture it shows; with a shape in
    // force, the part of a taller picture beyond it stays hidden.
    if (size() != LayoutSize(picture))
        resize(LayoutSize(picture));
    repaint();
}

void TEzRgnBtn::paintEvent(QPaintEvent*)
{
    const QImage& picture = CurrentPicture();
    if (picture.isNull())
        return;
    QPainter painter(this);
    if (m_paintMode == pmTransparent) {
        // The picture's own top-left colour is left undrawn, so what lies
        // beneath the button shows there.
        painter.setClipRegion(KeyColourShape(picture));
    }
    painter.drawImage(0, 0, picture);
    if (hasFocus()) {
        // Dashes of black on white read on any picture; inset so that the
        // rounded corners of the shape do not cut them.
        const QRectF mark = QRectF(rect()).adjusted(4.5, 4.5, -4.5, -4.5);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(Qt::white, 1));
        painter.drawRoundedRect(mark, 3, 3);
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawRoundedRect(mark, 3, 3);
    }
}

void TEzRgnBtn::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A held key is one press, as a held mouse button is without AutoRepeat.
        if (!event->isAutoRepeat())
            Click();
        event->accept();
        return;
    default: QWidget::keyPressEvent(event);
    }
}

void TEzRgnBtn::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    repaint();
}

void TEzRgnBtn::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    repaint();
}

void TEzRgnBtn::BuildShape()
{
    if (m_paintMode != pmCrop || m_regionApplied || m_picIdle.isNull())
        return;
    QRegion shape = KeyColourShape(m_picIdle);
    // An empty mask would mean no mask at all; a picture cut away entirely
    // keeps a region outside the widget instead, so nothing of it takes input.
    if (shape.isEmpty())
        shape = QRegion(-1, -1, 1, 1);
    setMask(shape);
    m_regionApplied = true;
}

void TEzRgnBtn::RemoveShape()
{
    // The widget keeps a rectangle of the idle picture's size, not "no mask".
    if (!m_picIdle.isNull())
        setMask(QRegion(QRect(QPoint(), LayoutSize(m_picIdle))));
    m_regionApplied = false;
}

void TEzRgnBtn::UpdateRepeatTimer()
{
    if (m_autoRepeat && m_hovered && m_pressed) {
        if (!m_repeatTimer->isActive())
            m_repeatTimer->start();
    } else {
        m_repeatTimer->stop();
    }
}

bool TEzRgnBtn::OverShape(const QPoint& pos) const
{
    if (!rect().contains(pos))
        return false;
    return mask().isEmpty() || mask().contains(pos);
}

void TEzRgnBtn::PointerEntered()
{
    if (m_hovered)
        return;
    m_hovered = true;
    Paint();
    emit OnMouseEnter(TWMMouse{TWMMouse::Enter, {}, {}, {}});
    UpdateRepeatTimer();
}

void TEzRgnBtn::PointerLeft()
{
    // The platform may report a leave the button has already seen while it
    // followed a held press itself.
    if (!m_hovered)
        return;
    m_hovered = false;
    Paint();
    emit OnMouseLeave(TWMMouse{TWMMouse::Leave, {}, {}, {}});
    UpdateRepeatTimer();
}

void TEzRgnBtn::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    PointerEntered();
}

void TEzRgnBtn::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    PointerLeft();
}

void TEzRgnBtn::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_press->pressed();
    m_pressed = true;
    Paint();
    emit OnMouseDown(TWMMouse{TWMMouse::LeftDown, event->buttons(), event->modifiers(), event->position().toPoint()});
    UpdateRepeatTimer();
}

void TEzRgnBtn::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    LeftReleased(event->position().toPoint(), event->buttons(), event->modifiers());
}

void TEzRgnBtn::LeftReleased(const QPoint& pos, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    // The click comes first, while the button still shows itself pressed.
    if (m_press->released(pos))
        Click();
    m_pressed = false;
    Paint();
    emit OnMouseUp(TWMMouse{TWMMouse::LeftUp, buttons, modifiers, pos});
    UpdateRepeatTimer();
}

void TEzRgnBtn::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is swallowed: the first already clicked.
    if (event->button() == Qt::LeftButton)
        event->accept();
    else
        QWidget::mouseDoubleClickEvent(event);
}

void TEzRgnBtn::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    // A held press keeps every move to itself, so the button follows the
    // pointer leaving and re-entering its shape on its own.
    if (m_pressed) {
        if (OverShape(pos))
            PointerEntered();
        else
            PointerLeft();
    }
    emit OnMouseMove(event->modifiers(), pos.x(), pos.y());
}
