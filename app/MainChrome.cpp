#include "app/Main.h"

#include "app/DroppedPaths.h"
#include "app/QueueListRules.h"
#include "app/RoundRegion.h"
#include "app/WebLinks.h"
#include "controls/EzRgnBtn.h"
#include "controls/MouseLabel.h"
#include "controls/Tranpanl.h"
#include "controls/WindowMover.h"
#include "platform/Error.h"
#include "platform/Prompt.h"

#include <QDesktopServices>
#include <QDropEvent>
#include <QShowEvent>

void TfrmMain::BindWindowHandlers()
{
    // What escapes a picture button's action ends in the general error box,
    // never in the event loop.
    auto guarded = [](auto handler) { return [handler] { RunGuarded(handler); }; };

    // One handler for the three pictures, with the press in window coordinates.
    for (MouseLabel* image : {Image1, Image2, Image3})
        connect(image, &MouseLabel::pressed, this,
                [this, image](Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint pos) {
                    const QPoint at = image->mapTo(this, pos);
                    Image1MouseDown(button, shift, at.x(), at.y());
                });

    connect(EzRgnBtn1, &TEzRgnBtn::OnClick, this, guarded([this] { EzRgnBtn1Click(); }));
    connect(EzRgnBtn2, &TEzRgnBtn::OnClick, this, guarded([this] { EzRgnBtn2Click(); }));
    connect(EzRgnBtn3, &TEzRgnBtn::OnClick, this, guarded([this] { EzRgnBtn3Click(); }));
    connect(EzRgnBtn4, &TEzRgnBtn::OnClick, this, guarded([this] { EzRgnBtn4Click(); }));

    connect(TranPanel1, &TTranPanel::OnClick, this, &TfrmMain::TranPanel1Click);
    connect(TranPanel2, &TTranPanel::OnClick, this, &TfrmMain::TranPanel2Click);

    struct LinkHandlers
    {
        MouseLabel* label;
        void (TfrmMain::*click)();
        void (TfrmMain::*enter)();
        void (TfrmMain::*leave)();
    };
    const LinkHandlers links[] = {
        {Label1, &TfrmMain::Label1Click, &TfrmMain::Label1MouseEnter, &TfrmMain::Label1MouseLeave},
        {Label2, &TfrmMain::Label2Click, &TfrmMain::Label2MouseEnter, &TfrmMain::Label2MouseLeave},
        {Label3, &TfrmMain::Label3Click, &TfrmMain::Label3MouseEnter, &TfrmMain::Label3MouseLeave},
        {Label4, &TfrmMain::Label4Click, &TfrmMain::Label4MouseEnter, &TfrmMain::Label4MouseLeave},
        {Label5, &TfrmMain::Label5Click, &TfrmMain::Label5MouseEnter, &TfrmMain::Label5MouseLeave},
        {Label6, &TfrmMain::Label6Click, &TfrmMain::Label6MouseEnter, &TfrmMain::Label6MouseLeave},
        {Label7, &TfrmMain::Label7Click, &TfrmMain::Label7MouseEnter, &TfrmMain::Label7MouseLeave},
    };
    for (const LinkHandlers& l : links) {
        connect(l.label, &MouseLabel::clicked, this, l.click);
        connect(l.label, &MouseLabel::entered, this, l.enter);
        connect(l.label, &MouseLabel::left, this, l.leave);
    }
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Restoring from the task bar shows the window again; the outline is set once.
    if (!m_shownOnce) {
        m_shownOnce = true;
        RunGuarded([this] { FormShow(); });
    }
}

void TfrmMain::FormShow()
{
    // The size is fixed, so the outline is never recomputed.
    setMask(RoundRectRegion(size(), QSize(30, 30)));
    for (QWidget* w : std::initializer_list<QWidget*>{TranPanel1, TranPanel2, EzRgnBtn1, EzRgnBtn2, EzRgnBtn3})
        w->repaint();
}

void TfrmMain::Image1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y)
{
    if (button != Qt::LeftButton)
        return;
    // A failed move leaves the window where it is, silently.
    try {
        m_mover->start(mapToGlobal(QPoint(x, y)));
    } catch (...) { }
}

void TfrmMain::EzRgnBtn1Click()
{
    showMinimized();
}

void TfrmMain::OpenLink(WebLinks::Link link)
{
    const QUrl address = WebLinks::Address(link);
    if (!QDesktopServices::openUrl(address))
        Prompt::message(QueueListRules::NotOpenedText(address.toString()));
}

void TfrmMain::SetLinkHover(MouseLabel* label, bool hovered)
{
    QFont font = label->font();
    font.setUnderline(hovered);
    label->setFont(font);
}

void TfrmMain::TranPanel1Click()
{
    OpenLink(WebLinks::Link::TranPanel1);
}
void TfrmMain::TranPanel2Click()
{
    OpenLink(WebLinks::Link::TranPanel2);
}
void TfrmMain::Label1Click()
{
    OpenLink(WebLinks::Link::Label1);
}
void TfrmMain::Label2Click()
{
    OpenLink(WebLinks::Link::Label2);
}
void TfrmMain::Label3Click()
{
    OpenLink(WebLinks::Link::Label3);
}
void TfrmMain::Label4Click()
{
    OpenLink(WebLinks::Link::Label4);
}
void TfrmMain::Label5Click()
{
    OpenLink(WebLinks::Link::Label5);
}
void TfrmMain::Label6Click()
{
    OpenLink(WebLinks::Link::Label6);
}
void TfrmMain::Label7Click()
{
    OpenLink(WebLinks::Link::Label7);
}

void TfrmMain::Label1MouseEnter()
{
    SetLinkHover(Label1, true);
}
void TfrmMain::Label2MouseEnter()
{
    SetLinkHover(Label2, true);
}
void TfrmMain::Label3MouseEnter()
{
    SetLinkHover(Label3, true);
}
void TfrmMain::Label4MouseEnter()
{
    SetLinkHover(Label4, true);
}
void TfrmMain::Label5MouseEnter()
{
    SetLinkHover(Label5, true);
}
void TfrmMain::Label6MouseEnter()
{
    SetLinkHover(Label6, true);
}
void TfrmMain::Label7MouseEnter()
{
    SetLinkHover(Label7, true);
}

void TfrmMain::Label1MouseLeave()
{
    SetLinkHover(Label1, false);
}
void TfrmMain::Label2MouseLeave()
{
    SetLinkHover(Label2, false);
}
void TfrmMain::Label3MouseLeave()
{
    SetLinkHover(Label3, false);
}
void TfrmMain::Label4MouseLeave()
{
    SetLinkHover(Label4, false);
}
void TfrmMain::Label5MouseLeave()
{
    SetLinkHover(Label5, false);
}
void TfrmMain::Label6MouseLeave()
{
    SetLinkHover(Label6, false);
}
void TfrmMain::Label7MouseLeave()
{
    SetLinkHover(Label7, false);
}

void TfrmMain::dragEnterEvent(QDragEnterEvent* event)
{
    // Refused while a conversion runs, so the pointer shows the drop would do
    // nothing; while files are measured a drop waits its turn, as the buttons do.
    if (!m_session->busy() && !DroppedPaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent* event)
{
    const QList<DroppedPath> paths = DroppedPaths(event->mimeData());
    if (m_session->busy() || paths.isEmpty())
        return;
    event->acceptProposedAction();
    // Probed after the drop has returned, so the file manager's drag is not
    // held until the last file is measured. Each one exactly as Add Folder and
    // Add FLV File would take it.
    QMetaObject::invokeMethod(
        this,
        [this, paths] {
            for (const DroppedPath& dropped : paths) {
                if (dropped.folder)
                    AddFolder(dropped.path);
                else
                    AddFlvFile(dropped.path);
            }
        },
        Qt::QueuedConnection);
}
