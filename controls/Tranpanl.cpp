#include "controls/Tranpanl.h"

#include "controls/PressTracker.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

// What a screen reader sees: a link with the widget's accessible name and
// description, followed by its one action as by a click.
class AccessibleTranPanel : public QAccessibleWidget
{
public:
    explicit AccessibleTranPanel(TTranPanel* panel) : QAccessibleWidget(panel, QAccessible::Link) { }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override
    {
        if (action == pressAction())
            emit static_cast<TTranPanel*>(widget())->OnClick();
    }
};

QAccessibleInterface* AccessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("TTranPanel") && object && object->isWidgetType())
        return new AccessibleTranPanel(static_cast<TTranPanel*>(object));
    return nullptr;
}

} // namespace

TTranPanel::TTranPanel(QWidget* parent) : QWidget(parent), m_press(new PressTracker(this))
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(AccessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    resize(185, 41);
    setMouseTracking(true);
    connect(m_press, &PressTracker::cancelled, this,
            [this] { emit OnMouseUp(Qt::LeftButton, Qt::NoModifier, QPoint(-1, -1)); });
}

void TTranPanel::SetBorder(bool on)
{
    if (on == m_border)
        return;
    m_border = on;
    update();
}

void TTranPanel::SetAlign(TAlign align)
{
    if (align == m_align)
        return;
    m_align = align;
    if (parentWidget()) {
        parentWidget()->removeEventFilter(this);
        if (m_align != alNone && m_align != alCustom)
            parentWidget()->installEventFilter(this);
    }
    ApplyAlign();
}

void TTranPanel::ApplyAlign()
{
    if (!parentWidget())
        return;
    const QRect area = parentWidget()->rect();
    switch (m_align) {
    case alTop: setGeometry(0, 0, area.width(), height()); break;
    case alBottom: setGeometry(0, area.height() - height(), area.width(), height()); break;
    case alLeft: setGeometry(0, 0, width(), area.height()); break;
    case alRight: setGeometry(area.width() - width(), 0, width(), area.height()); break;
    case alClient: setGeometry(area); break;
    case alNone:
    case alCustom: break;
    }
}

bool TTranPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        ApplyAlign();
    return QWidget::eventFilter(watched, event);
}

void TTranPanel::paintEvent(QPaintEvent*)
{
    if (!m_border && !hasFocus())
        return;
    QPainter painter(this);
    painter.setBrush(Qt::NoBrush);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    if (m_border) {
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawRect(frame);
    }
    if (hasFocus()) {
        // Dashes of black on white read on whatever lies beneath.
        painter.setPen(QPen(Qt::white, 1));
        painter.drawRect(frame);
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawRect(frame);
    }
}

void TTranPanel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!event->isAutoRepeat())
            emit OnClick();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TTranPanel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_press->pressed();
    emit OnMouseDown(event->button(), event->modifiers(), event->position().toPoint(), false);
}

void TTranPanel::mouseDoubleClickEvent(QMouseEvent* event)
{
    // Reported, but the second press of a double click never leads to a click.
    emit OnMouseDown(event->button(), event->modifiers(), event->position().toPoint(), true);
}

void TTranPanel::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton && m_press->released(pos))
        emit OnClick();
    emit OnMouseUp(event->button(), event->modifiers(), pos);
}

void TTranPanel::mouseMoveEvent(QMouseEvent* event)
{
    emit OnMouseMove(event->modifiers(), event->position().toPoint());
}
