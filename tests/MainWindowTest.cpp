#include "app/Main.h"
#include "controls/WindowMover.h"
#include "app/RoundRegion.h"
#include "controls/EzRgnBtn.h"
#include "controls/Skin.h"
#include "platform/Prompt.h"
#include "controls/Tranpanl.h"
#include "support/QtPrinters.h"

#include <QDesktopServices>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QToolTip>
#include <QTreeView>
#include <QUrl>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

// Takes the links the window opens, instead of the desktop's browser.
class UrlRecorder : public QObject
{
    Q_OBJECT

public:
    UrlRecorder() { QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open"); }
    ~UrlRecorder() override { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }
    QStringList opened;

public slots:
    void open(const QUrl& url) { opened << url.toString(); }
};

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    template <typename T = QWidget> T* child(const char* name)
    {
        T* w = window.findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QWindow* win() { return window.windowHandle(); }
    QPoint centreOf(const char* name) { return child(name)->geometry().center(); }

    TfrmMain window;
};

TEST_F(MainWindowTest, IsAFramelessCentredWindowWithRoundedCorners)
{
    EXPECT_EQ(window.windowTitle(), "Vantrel");
    EXPECT_EQ(window.size(), QSize(503, 479));
    EXPECT_TRUE(window.windowFlags() & Qt::FramelessWindowHint);
    const QPoint offCentre = window.geometry().center() - window.screen()->availableGeometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 2);
    EXPECT_EQ(window.font().pixelSize(), 11);
    if (QFile::exists("/usr/share/wine/fonts/tahoma.ttf")) {
        EXPECT_EQ(window.font().family(), "Tahoma");
    }

    const QRegion outline = window.mask();
    EXPECT_EQ(outline, RoundRectRegion(QSize(503, 479), QSize(30, 30)));
    for (const QPoint corner : {QPoint(0, 0), QPoint(502, 0), QPoint(0, 478), QPoint(502, 478), QPoint(3, 3)})
        EXPECT_FALSE(outline.contains(corner)) << corner.x() << "," << corner.y();
    for (const QPoint inside : {QPoint(15, 15), QPoint(251, 0), QPoint(0, 239), QPoint(502, 239), QPoint(251, 478)})
        EXPECT_TRUE(outline.contains(inside)) << inside.x() << "," << inside.y();
}

TEST_F(MainWindowTest, ControlsSitWhereTheLayoutPutsThem)
{
    struct Place
    {
        const char* name;
        QRect rect;
    };
    const Place places[] = {
        {"Image1", {0, 0, 503, 480}},      {"Image2", {16, 12, 214, 53}},      {"Image3", {203, 392, 151, 33}},
        {"Edit1", {16, 79, 360, 21}},      {"Edit2", {16, 117, 360, 21}},      {"Edit3", {16, 155, 360, 21}},
        {"Button1", {384, 77, 103, 25}},   {"Button2", {384, 115, 103, 25}},   {"Button3", {384, 153, 103, 25}},
        {"EzRgnBtn1", {437, 13, 23, 23}},  {"EzRgnBtn2", {464, 13, 23, 23}},   {"EzRgnBtn3", {375, 384, 41, 41}},
        {"EzRgnBtn4", {437, 384, 41, 41}}, {"ListView1", {15, 196, 473, 173}}, {"TranPanel1", {16, 12, 137, 30}},
        {"TranPanel2", {16, 40, 216, 23}},
    };
    for (const Place& p : places) {
        if (QWidget* w = child(p.name)) {
            EXPECT_EQ(w->geometry(), p.rect) << p.name;
        }
    }

    // Labels sized to their text keep their place and height; captions keep at least their width.
    const std::pair<const char*, QPoint> links[]
        = {{"Label1", {158, 16}},  {"Label2", {281, 16}},  {"Label4", {19, 450}},
           {"Label5", {138, 450}}, {"Label6", {240, 450}}, {"Label7", {366, 450}}};
    for (const auto& [name, pos] : links) {
        auto* label = child<QLabel>(name);
        EXPECT_EQ(label->pos(), pos) << name;
        EXPECT_EQ(label->height(), 13) << name;
        EXPECT_FALSE(label->text().isEmpty()) << name;
        EXPECT_TRUE(label->font().bold()) << name;
        EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor) << name;
    }
    const std::tuple<const char*, QRect, const char*> captions[]
        = {{"Label3", {382, 16, 45, 13}, "Support"},
           {"Label8", {374, 428, 48, 13}, "DivX AVI"},
           {"Label9", {436, 428, 47, 13}, "Xvid AVI"},
           {"Label10", {16, 64, 96, 13}, "Select single FLV file"},
           {"Label11", {16, 102, 154, 13}, "Select folder containing FLV files"},
           {"Label12", {16, 139, 95, 13}, "Select output folder"},
           {"Label13", {16, 179, 275, 13}, "Files to convert (DEL to remove selected file from the list)"}};
    for (const auto& [name, rect, text] : captions) {
        auto* label = child<QLabel>(name);
        EXPECT_EQ(label->pos(), rect.topLeft()) << name;
        EXPECT_GE(label->width(), rect.width()) << name;
        EXPECT_LE(label->sizeHint().width(), label->width()) << name << " is cut off";
        EXPECT_EQ(label->text(), text);
        EXPECT_EQ(label->font().bold(), QString(name).mid(5).toInt() < 10) << name;
    }

    // The list's columns; every visible control lies inside the window.
    auto* list = child<QTreeView>("ListView1");
    const int widths[] = {40, 154, 65, 156, 34};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(list->header()->sectionSize(c), widths[c]);
    for (QWidget* w : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->isVisible()) {
            EXPECT_TRUE(window.rect().contains(w->geometry().topLeft())) << w->objectName().toStdString();
        }
    }
}

TEST_F(MainWindowTest, DataHoldersNeverShow)
{
    auto* edit4 = child<QLineEdit>("Edit4");
    edit4->setText("/some/folder");
    window.hide();
    window.show();
    EXPECT_FALSE(edit4->isVisible());
    EXPECT_GE(edit4->x(), 503);
    // The probe's lines and the queue's paths and durations are plain data, not
    // controls that could ever be shown.
    for (const char* name : {"Memo3", "ListBox1", "ListBox2", "RadioButton1", "RadioButton2"})
        EXPECT_EQ(window.findChild<QWidget*>(QLatin1String(name)), nullptr) << name;
}

TEST_F(MainWindowTest, WindowButtonsShowTheirTooltips)
{
    const std::pair<const char*, QString> tips[]
        = {{"EzRgnBtn1", "Minimize"}, {"EzRgnBtn2", "Close"}, {"EzRgnBtn3", ""}, {"EzRgnBtn4", ""}};
    for (const auto& [name, tip] : tips) {
        QWidget* button = child(name);
        QHelpEvent help(QEvent::ToolTip, QPoint(10, 10), button->mapToGlobal(QPoint(10, 10)));
        QCoreApplication::sendEvent(button, &help);
        // A button without a tooltip leaves the event to the window beneath.
        EXPECT_EQ(help.isAccepted(), !tip.isEmpty()) << name;
        if (!tip.isEmpty()) {
            EXPECT_TRUE(QToolTip::isVisible());
            EXPECT_EQ(QToolTip::text(), tip);
        }
        EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);
    }
    QToolTip::hideText();
}

// The looks under the mouse are decoded after the first paint, and then every
// picture button has them; the window icon comes with them.
TEST_F(MainWindowTest, PictureButtonsTakeTheirMouseLooksOnceShown)
{
    const std::pair<const char*, const char*> buttons[]
        = {{"EzRgnBtn1", "minimize"}, {"EzRgnBtn2", "close"}, {"EzRgnBtn3", "divx"}, {"EzRgnBtn4", "xvid"}};
    auto* last = child<TEzRgnBtn>("EzRgnBtn4");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !last->PicDown().isNull(); }, 2000));
    for (const auto& [name, skin] : buttons) {
        auto* button = child<TEzRgnBtn>(name);
        EXPECT_EQ(button->PicIdle(), Skin::Picture(QString("%1-idle").arg(skin))) << name;
        EXPECT_EQ(button->PicUp(), Skin::Picture(QString("%1-hover").arg(skin))) << name;
        EXPECT_EQ(button->PicDown(), Skin::Picture(QString("%1-pressed").arg(skin))) << name;
    }
    EXPECT_EQ(window.windowIcon().availableSizes().size(), qsizetype(Skin::IconSizes.size()));
}

TEST_F(MainWindowTest, LinkLabelsUnderlineOnlyWhileHovered)
{
    auto* label = child<QLabel>("Label3");
    QTest::mouseMove(win(), QPoint(300, 300));
    QTest::mouseMove(win(), centreOf("Label3"));
    EXPECT_TRUE(label->font().underline());
    EXPECT_TRUE(label->font().bold());
    QTest::mouseMove(win(), QPoint(300, 80));
    EXPECT_FALSE(label->font().underline());
    EXPECT_TRUE(label->font().bold());
}

TEST_F(MainWindowTest, LinksOpenTheMakersPages)
{
    UrlRecorder recorder;
    for (const char* name :
         {"TranPanel1", "TranPanel2", "Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label7"})
        QTest::mouseClick(win(), Qt::LeftButton, {}, centreOf(name));
    ASSERT_EQ(recorder.opened.size(), 9);
    EXPECT_EQ(recorder.opened[0], "https://www.example.com/");
    EXPECT_EQ(recorder.opened[1], "https://www.example.com/");
    EXPECT_EQ(recorder.opened[4], "https://www.example.com/support/");
    for (const QString& url : recorder.opened)
        EXPECT_TRUE(url.startsWith("https://www.example.com/")) << url.toStdString();
    EXPECT_EQ(QSet<QString>(recorder.opened.begin() + 1, recorder.opened.end()).size(), 8);
    // A label that is no link opens nothing.
    QTest::mouseClick(win(), Qt::LeftButton, {}, centreOf("Label10"));
    EXPECT_EQ(recorder.opened.size(), 9);

    // With nothing on the desktop that opens web pages, the link says so.
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    Prompt::Script prompts;
    QTest::mouseClick(win(), Qt::LeftButton, {}, centreOf("Label3"));
    EXPECT_EQ(prompts.texts(Prompt::Kind::Message),
              QStringList{"Nothing on this desktop opens https://www.example.com/support/."});
}

TEST_F(MainWindowTest, LeftDragOnThePicturesMovesTheWindow)
{
    // Background, caption picture, and the logo where no click area covers it.
    for (const QPoint handle : {QPoint(495, 240), QPoint(210, 400), QPoint(155, 20)}) {
        const QPoint before = window.pos();
        QTest::mousePress(win(), Qt::LeftButton, {}, handle);
        QTest::mouseMove(win(), handle + QPoint(30, 20));
        // The window went with the pointer, so the pointer is over `handle` again.
        QTest::mouseRelease(win(), Qt::LeftButton, {}, handle);
        EXPECT_EQ(window.pos(), before + QPoint(30, 20)) << handle.x() << "," << handle.y();
    }
    // A press and release without motion starts no move, neither the system's nor its own.
    const WindowMover* mover = window.findChild<WindowMover*>();
    ASSERT_TRUE(mover);
    const QPoint still = window.pos();
    QTest::mousePress(win(), Qt::LeftButton, {}, QPoint(495, 240));
    EXPECT_FALSE(mover->moving());
    QTest::mouseRelease(win(), Qt::LeftButton, {}, QPoint(495, 240));
    QTest::mouseMove(win(), QPoint(470, 230));
    EXPECT_EQ(window.pos(), still);
    // Other buttons, a click area over the logo, and a plain label move nothing.
    struct Press
    {
        Qt::MouseButton button;
        QPoint at;
    };
    for (const Press& p : {Press{Qt::RightButton, {495, 240}}, Press{Qt::MiddleButton, {495, 240}},
                           Press{Qt::LeftButton, centreOf("TranPanel1")}, Press{Qt::LeftButton, centreOf("Label10")}}) {
        const QPoint before = window.pos();
        QTest::mousePress(win(), p.button, {}, p.at);
        QTest::mouseMove(win(), p.at + QPoint(30, 20));
        QTest::mouseRelease(win(), p.button, {}, p.at + QPoint(30, 20));
        EXPECT_EQ(window.pos(), before) << p.at.x() << "," << p.at.y();
    }
}

TEST_F(MainWindowTest, MinimiseButtonMinimisesTheWindow)
{
    QTest::mouseMove(win(), centreOf("EzRgnBtn1"));
    QTest::mouseClick(win(), Qt::LeftButton, {}, centreOf("EzRgnBtn1"));
    EXPECT_TRUE(window.isMinimized());
}

} // namespace

#include "MainWindowTest.moc"
