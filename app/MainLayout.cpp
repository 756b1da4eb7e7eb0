#include "app/Main.h"

#include "app/TextFit.h"
#include "app/WebLinks.h"
#include "app/WindowFont.h"
#include "controls/EzRgnBtn.h"
#include "controls/MouseLabel.h"
#include "controls/Skin.h"
#include "controls/Tranpanl.h"
#include "controls/WindowMover.h"
#include "model/QueueModel.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QTreeView>

#include <functional>

namespace {

QFont BoldFont(const QFont& base)
{
    QFont font = base;
    font.setBold(true);
    return font;
}

// Texts end this far before the next control, and never past the skin's right margin.
constexpr int TextGap = 4;
constexpr int RightMargin = 487;

// Runs a step once, after the window's first paint: for what that paint does not need.
class AfterFirstPaint : public QObject
{
public:
    AfterFirstPaint(QWidget* window, std::function<void()> step) : QObject(window), m_step(std::move(step))
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == parent() && event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Queued, so the painted picture reaches the screen first.
            QTimer::singleShot(0, parent(), std::move(m_step));
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> m_step;
};

} // namespace

// Controls are created bottom to top: a later one lies above an earlier one.
// The data holders of the queue (its paths and durations) are views of the
// queue model, not controls; Edit4 is kept as a hidden field because start-up
// and the queue read and write it as one. The two radio buttons of the old
// profile choice are left out: nothing reads them, each conversion button
// carries its own profile.
void TfrmMain::CreateControls()
{
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
    setFixedSize(503, 479);
    // The skin's pictures and places are drawn left to right; a right-to-left
    // language would mirror the places but not the pictures.
    setLayoutDirection(Qt::LeftToRight);
    setFont(WindowFont());
    // Pictures the first paint does not show: the icon's seven, and the
    // buttons' looks under the mouse, which no one can point at before then.
    new AfterFirstPaint(this, [this] {
        setWindowIcon(Skin::Icon());
        const std::pair<TEzRgnBtn*, const char*> buttons[]
            = {{EzRgnBtn1, "minimize"}, {EzRgnBtn2, "close"}, {EzRgnBtn3, "divx"}, {EzRgnBtn4, "xvid"}};
        for (const auto& [button, skin] : buttons) {
            button->SetPicUp(Skin::Picture(QLatin1String(skin) + QStringLiteral("-hover")));
            button->SetPicDown(Skin::Picture(QLatin1String(skin) + QStringLiteral("-pressed")));
        }
    });
    setAcceptDrops(true);
    setPalette(Skin::Palette());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()));

    const QFont bold = BoldFont(font());

    auto picture = [this](const char* name, const char* skin, int x, int y) {
        auto* image = new MouseLabel(this);
        image->setObjectName(QLatin1String(name));
        const QPixmap pixmap = Skin::Pixmap(QLatin1String(skin));
        image->setPixmap(pixmap);
        image->setGeometry(QRect(QPoint(x, y), pixmap.deviceIndependentSize().toSize()));
        return image;
    };
    // Labels are 13 high and as wide as the layout says (0: as their text),
    // widened or set smaller for a font that runs wider, up to `next`, where the
    // next control begins.
    auto link = [this, &bold](const char* name, WebLinks::Link target, int x, int y, int next, int width = 0) {
        auto* label = new MouseLabel(this);
        label->setObjectName(QLatin1String(name));
        label->setText(WebLinks::Caption(target));
        label->setFont(bold);
        label->setCursor(Qt::PointingHandCursor);
        label->setGeometry(x, y, width, 13);
        TextFit::Label(label, width, next - TextGap);
        return label;
    };
    auto caption = [this](const char* name, const char* text, int x, int y, int width, int next, const QFont& font) {
        // A mouse label for the way it draws bold at 2x; it takes no clicks here.
        auto* label = new MouseLabel(this);
        label->setText(QCoreApplication::translate("MainLayout", text));
        label->setObjectName(QLatin1String(name));
        label->setFont(font);
        label->setGeometry(x, y, width, 13);
        TextFit::Label(label, width, next - TextGap);
        return label;
    };

    Image1 = picture("Image1", "background", 0, 0);
    Label2 = link("Label2", WebLinks::Link::Label2, 281, 16, 382);
    Label3 = link("Label3", WebLinks::Link::Label3, 382, 16, 437, 45);
    Label4 = link("Label4", WebLinks::Link::Label4, 19, 450, 138);
    Label5 = link("Label5", WebLinks::Link::Label5, 138, 450, 240);
    Label6 = link("Label6", WebLinks::Link::Label6, 240, 450, 366);
    Label7 = link("Label7", WebLinks::Link::Label7, 366, 450, RightMargin);
    Label8 = caption("Label8", "DivX AVI", 374, 428, 48, 436, bold);
    Image2 = picture("Image2", "logo", 16, 12);
    Label1 = link("Label1", WebLinks::Link::Label1, 158, 16, 281);
    Image3 = picture("Image3", "caption", 203, 392);
    Label10 = caption("Label10", QT_TRANSLATE_NOOP("MainLayout", "Select single FLV file"), 16, 64, 96, RightMargin,
                      font());
    Label11 = caption("Label11", QT_TRANSLATE_NOOP("MainLayout", "Select folder containing FLV files"), 16, 102, 154,
                      RightMargin, font());
    Label12
        = caption("Label12", QT_TRANSLATE_NOOP("MainLayout", "Select output folder"), 16, 139, 95, RightMargin, font());
    Label13 = caption("Label13",
                      QT_TRANSLATE_NOOP("MainLayout", "Files to convert (DEL to remove selected file from the list)"),
                      16, 179, 275, RightMargin, font());
    Label9 = caption("Label9", "Xvid AVI", 436, 428, 47, RightMargin, bold);

    auto lineEdit = [this](const char* name, int x, int y, int w) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setGeometry(x, y, w, 21);
        edit->setFocusPolicy(Qt::ClickFocus);
        return edit;
    };
    Edit1 = lineEdit("Edit1", 16, 79, 360);
    Edit2 = lineEdit("Edit2", 16, 117, 360);
    Edit3 = lineEdit("Edit3", 16, 155, 360);
    // Holds data only; it never shows.
    Edit4 = lineEdit("Edit4", 544, 72, 201);
    Edit4->hide();

    auto button = [this](const char* name, const char* text, int y) {
        auto* b = new QPushButton(QCoreApplication::translate("MainLayout", text), this);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(384, y, 103, 25);
        b->setFocusPolicy(Qt::NoFocus);
        TextFit::Button(b);
        return b;
    };
    Button1 = button("Button1", QT_TRANSLATE_NOOP("MainLayout", "Add FLV File"), 77);
    Button2 = button("Button2", QT_TRANSLATE_NOOP("MainLayout", "Add Folder"), 115);
    Button3 = button("Button3", QT_TRANSLATE_NOOP("MainLayout", "Browse"), 153);

    // The idle picture first, crop mode last, so each shape is cut once from it.
    auto skinButton = [this](const char* name, const char* skin, int x, int y, const char* tip) {
        auto* b = new TEzRgnBtn(this);
        b->setObjectName(QLatin1String(name));
        b->SetPicIdle(Skin::Picture(QLatin1String(skin) + QStringLiteral("-idle")));
        b->SetPaintMode(pmCrop);
        b->move(x, y);
        b->setCursor(Qt::PointingHandCursor);
        if (tip)
            b->setToolTip(QCoreApplication::translate("MainLayout", tip));
        return b;
    };
    EzRgnBtn2 = skinButton("EzRgnBtn2", "close", 464, 13, QT_TRANSLATE_NOOP("MainLayout", "Close"));
    EzRgnBtn1 = skinButton("EzRgnBtn1", "minimize", 437, 13, QT_TRANSLATE_NOOP("MainLayout", "Minimize"));
    EzRgnBtn3 = skinButton("EzRgnBtn3", "divx", 375, 384, nullptr);

    ListView1 = new QTreeView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setGeometry(15, 196, 473, 173);
    ListView1->setModel(m_queue);
    ListView1->setRootIsDecorated(false);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setFocusPolicy(Qt::ClickFocus);
    ListView1->setCursor(Qt::PointingHandCursor);
    // A failed row's reason shows in its tooltip also while another window is
    // active: the run may have ended while the user worked elsewhere.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    ListView1->header()->setStretchLastSection(false);
    ListView1->header()->setSectionsMovable(false);
    int widths[QueueModel::ColumnCount];
    for (int c = 0; c < QueueModel::ColumnCount; ++c)
        widths[c] = QueueModel::columnWidth(c);
    TextFit::Header(ListView1->header(), widths, QueueModel::ColumnCount,
                    ListView1->width() - 2 * ListView1->frameWidth());

    MeasuringLine = new QLabel(this);
    MeasuringLine->setObjectName(QStringLiteral("MeasuringLine"));
    MeasuringLine->setFont(font());
    // Between the list and the conversion buttons.
    MeasuringLine->setGeometry(16, 371, 200, 13);
    MeasuringLine->hide();

    auto panel = [this](const char* name, int x, int y, int w, int h) {
        auto* p = new TTranPanel(this);
        p->setObjectName(QLatin1String(name));
        p->setGeometry(x, y, w, h);
        p->setCursor(Qt::PointingHandCursor);
        return p;
    };
    TranPanel1 = panel("TranPanel1", 16, 12, 137, 30);
    TranPanel2 = panel("TranPanel2", 16, 40, 216, 23);

    EzRgnBtn4 = skinButton("EzRgnBtn4", "xvid", 437, 384, nullptr);

    m_mover = new WindowMover(this);
    for (QWidget* handle :
         {static_cast<QWidget*>(Image1), static_cast<QWidget*>(Image2), static_cast<QWidget*>(Image3)})
        m_mover->addHandle(handle);
}
