#include "controls/EzRgnBtn.h"
#include "support/Beneath.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QRgb Key = qRgb(220, 220, 220);

// A solid picture with the key colour in its top-left pixel and at `holes`.
QImage Solid(QSize size, QColor colour, std::initializer_list<QPoint> holes = {})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    image.setPixel(0, 0, Key);
    for (const QPoint& p : holes)
        image.setPixel(p, Key);
    return image;
}

// A shown window holding one button at (20, 20); mouse input goes through the
// window, so it reaches whatever the window finds under the pointer.
class EzRgnBtnTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(120, 120);
        beneath = new Beneath;
        beneath->setParent(&window);
        beneath->setGeometry(window.rect());
        button = new TEzRgnBtn(&window);
        button->move(20, 20);
        QObject::connect(button, &TEzRgnBtn::OnClick, [this] { ++clicks; });
        QObject::connect(button, &TEzRgnBtn::OnMouseDown, [this](TWMMouse) { ++downs; });
        QObject::connect(button, &TEzRgnBtn::OnMouseUp, [this](TWMMouse m) { ups.push_back(m.Pos); });
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        // Start with the pointer over the window but off the button.
        QTest::mouseMove(win(), QPoint(100, 100));
    }

    QWindow* win() { return window.windowHandle(); }
    QPoint at(int x, int y) const { return QPoint(20 + x, 20 + y); }
    void move(int x, int y) { QTest::mouseMove(win(), at(x, y)); }
    void press(int x, int y) { QTest::mousePress(win(), Qt::LeftButton, {}, at(x, y)); }
    void release(int x, int y) { QTest::mouseRelease(win(), Qt::LeftButton, {}, at(x, y)); }
    QRgb shownAt(int x, int y) { return window.grab().toImage().pixel(at(x, y)); }

    void giveStatePictures()
    {
        button->SetPicIdle(Solid({10, 10}, Qt::red, {{5, 5}}));
        button->SetPicUp(Solid({10, 10}, Qt::yellow));
        button->SetPicDown(Solid({10, 12}, Qt::blue));
        button->SetPaintMode(pmCrop);
    }

    QWidget window;
    Beneath* beneath = nullptr;
    TEzRgnBtn* button = nullptr;
    int clicks = 0;
    int downs = 0;
    std::vector<QPoint> ups;
};

TEST_F(EzRgnBtnTest, NewButtonDrawsNothingAndKeepsItsSize)
{
    EXPECT_EQ(button->size(), QSize(15, 15));
    EXPECT_EQ(shownAt(5, 5), QColor(Qt::green).rgb());
    move(5, 5);
    press(5, 5);
    EXPECT_EQ(button->size(), QSize(15, 15));
    release(5, 5);
    EXPECT_EQ(clicks, 1);
}

TEST_F(EzRgnBtnTest, CropCutsEveryKeyPixelAndTheWindowBeneathTakesThePointerThere)
{
    giveStatePictures();
    EXPECT_TRUE(button->RegionApplied());
    EXPECT_EQ(button->mask(), QRegion(0, 0, 10, 10) - QRegion(0, 0, 1, 1) - QRegion(5, 5, 1, 1));
    EXPECT_EQ(shownAt(5, 5), QColor(Qt::green).rgb());
    EXPECT_EQ(shownAt(3, 3), QColor(Qt::red).rgb());

    press(5, 5);
    release(5, 5);
    EXPECT_EQ(beneath->presses, 1);
    EXPECT_EQ(downs, 0);
    EXPECT_EQ(clicks, 0);

    // Without crop the same pixel is the button's.
    button->SetPaintMode(pmNormal);
    press(5, 5);
    release(5, 5);
    EXPECT_EQ(beneath->presses, 1);
    EXPECT_EQ(clicks, 1);
}

TEST_F(EzRgnBtnTest, ShowsThePictureOfEachStateAndFollowsItsSize)
{
    giveStatePictures();
    move(3, 3);
    EXPECT_TRUE(button->Hovered());
    EXPECT_EQ(shownAt(3, 3), QColor(Qt::yellow).rgb());

    press(3, 3);
    EXPECT_EQ(shownAt(3, 3), QColor(Qt::blue).rgb());
    // The taller pressed picture grows the button, but the shape hides the extra rows.
    EXPECT_EQ(button->size(), QSize(10, 12));
    EXPECT_EQ(button->mask().boundingRect(), QRect(0, 0, 10, 10));

    // Dragged off the shape while held: the idle picture; back on: pressed again.
    move(30, 30);
    EXPECT_FALSE(button->Hovered());
    EXPECT_EQ(shownAt(3, 3), QColor(Qt::red).rgb());
    move(3, 3);
    EXPECT_EQ(shownAt(3, 3), QColor(Qt::blue).rgb());

    release(3, 3);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(button->size(), QSize(10, 10));
    EXPECT_EQ(shownAt(3, 3), QColor(Qt::yellow).rgb());

    // Disabled: the disabled picture in every state, and no click.
    button->SetPicDsbld(Solid({10, 10}, Qt::gray));
    button->SetEnabled(false);
    EXPECT_TRUE(button->Disabled());
    EXPECT_EQ(shownAt(3, 3), QColor(Qt::gray).rgb());
    press(3, 3);
    EXPECT_EQ(shownAt(3, 3), QColor(Qt::gray).rgb());
    release(3, 3);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(downs, 2);
    EXPECT_EQ(ups.size(), 2u);

    // Leaving crop keeps a rectangle of the idle picture's size.
    button->SetPaintMode(pmNormal);
    EXPECT_FALSE(button->RegionApplied());
    EXPECT_EQ(button->mask(), QRegion(0, 0, 10, 10));
}

TEST_F(EzRgnBtnTest, OnlyTheIdlePictureShapesTheButton)
{
    giveStatePictures();
    const QRegion shape = button->mask();
    button->SetPicUp(Solid({10, 10}, Qt::cyan, {{1, 1}, {2, 2}}));
    button->SetPicDown(QImage());
    EXPECT_EQ(button->mask(), shape);

    button->SetPicIdle(Solid({8, 8}, Qt::red, {{7, 7}}));
    EXPECT_EQ(button->mask(), QRegion(0, 0, 8, 8) - QRegion(0, 0, 1, 1) - QRegion(7, 7, 1, 1));

    // An image list fills the pictures in its order but cuts no new shape.
    TImageList list({Solid({6, 6}, Qt::magenta), Solid({6, 6}, Qt::darkRed)});
    button->SetImageList(&list);
    EXPECT_EQ(button->PicIdle().pixel(1, 1), QColor(Qt::magenta).rgb());
    EXPECT_EQ(button->PicUp().pixel(1, 1), QColor(Qt::darkRed).rgb());
    EXPECT_TRUE(button->PicDown().isNull());
    EXPECT_EQ(button->mask().boundingRect(), QRect(0, 0, 8, 8));

    // In normal mode a new idle picture builds no shape at all.
    button->SetPaintMode(pmNormal);
    const QRegion rectangle = button->mask();
    button->SetPicIdle(Solid({10, 10}, Qt::red, {{5, 5}}));
    EXPECT_EQ(button->mask(), rectangle);
}

TEST_F(EzRgnBtnTest, RepaintsOnlyOnRealChanges)
{
    giveStatePictures();
    int paints = 0;
    struct Counter : QObject
    {
        int* n;
        explicit Counter(int* count) : n(count) { }
        bool eventFilter(QObject*, QEvent* e) override
        {
            *n += e->type() == QEvent::Paint;
            return false;
        }
    } counter(&paints);
    QCoreApplication::processEvents();
    button->installEventFilter(&counter);
    button->SetEnabled(true);
    button->SetPaintMode(pmCrop);
    EXPECT_EQ(paints, 0);
    move(3, 3);
    const int afterEnter = paints;
    EXPECT_GT(afterEnter, 0);
    QTest::mouseMove(win(), at(4, 4)); // still over the shape: no second enter
    EXPECT_EQ(paints, afterEnter);
    button->removeEventFilter(&counter);
}

TEST_F(EzRgnBtnTest, TransparentModeLeavesTheKeyColourUndrawn)
{
    button->SetPicIdle(Solid({10, 10}, Qt::red, {{4, 4}}));
    button->SetPaintMode(pmTransparent);
    EXPECT_FALSE(button->RegionApplied());
    EXPECT_EQ(shownAt(4, 4), QColor(Qt::green).rgb());
    EXPECT_EQ(shownAt(0, 0), QColor(Qt::green).rgb());
    EXPECT_EQ(shownAt(6, 6), QColor(Qt::red).rgb());
    // Normal mode draws the key colour like any other.
    button->SetPaintMode(pmNormal);
    EXPECT_EQ(shownAt(4, 4), Key);
}

TEST_F(EzRgnBtnTest, DoubleClickGivesOneClick)
{
    giveStatePictures();
    move(3, 3);
    QTest::mouseDClick(win(), Qt::LeftButton, {}, at(3, 3));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(ups.size(), 2u);
    EXPECT_FALSE(button->Pressed());
}

TEST_F(EzRgnBtnTest, AutoRepeatClicksWhileHeldOverTheShape)
{
    giveStatePictures();
    button->SetAutoRepeat(true);
    auto* timer = button->findChild<QTimer*>(QStringLiteral("RepeatTimer"));
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 300);

    move(3, 3);
    press(3, 3);
    EXPECT_TRUE(timer->isActive());
    ASSERT_TRUE(QTest::qWaitFor([this] { return clicks >= 3; }, 5000));

    // Off the shape the repeats stop; back on they start again.
    move(30, 30);
    EXPECT_FALSE(timer->isActive());
    move(3, 3);
    EXPECT_TRUE(timer->isActive());

    const int held = clicks;
    release(3, 3);
    EXPECT_EQ(clicks, held + 1);
    EXPECT_FALSE(timer->isActive());

    // Disabled, the timer still runs but no tick clicks.
    button->SetEnabled(false);
    int ticks = 0;
    QObject::connect(timer, &QTimer::timeout, [&ticks] { ++ticks; });
    press(3, 3);
    ASSERT_TRUE(QTest::qWaitFor([&ticks] { return ticks >= 2; }, 5000));
    release(3, 3);
    EXPECT_EQ(clicks, held + 1);
}

TEST_F(EzRgnBtnTest, DialogOpeningWhileHeldReleasesWithoutClick)
{
    giveStatePictures();
    move(3, 3);
    press(3, 3);
    ASSERT_TRUE(button->Pressed());

    QDialog dialog(&window);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitFor([this] { return !button->Pressed(); }, 5000));
    EXPECT_EQ(clicks, 0);
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_EQ(ups.back(), QPoint(-1, -1));
    dialog.close();
    release(3, 3); // lets the test driver forget the held button
    EXPECT_EQ(clicks, 0);
}

TEST_F(EzRgnBtnTest, GivenAFocusPolicyItShowsFocusTakesKeysAndAScreenReaderPressesIt)
{
    button->SetPicIdle(Solid({41, 41}, Qt::blue, {{20, 20}}));
    button->SetPaintMode(pmCrop);
    EXPECT_EQ(button->focusPolicy(), Qt::NoFocus) << "no focus unless its owner asks";
    const QImage unfocused = button->grab().toImage();

    button->setFocusPolicy(Qt::TabFocus);
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    button->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(button->hasFocus());
    EXPECT_NE(button->grab().toImage(), unfocused) << "no focus mark";
    EXPECT_EQ(button->mask(), KeyColourShape(button->PicIdle())) << "the mark must not change the shape";

    struct Case
    {
        const char* what;
        int key;
        bool autoRepeat;
        bool enabled;
        int clicks;
    };
    const Case cases[] = {
        {"Space", Qt::Key_Space, false, true, 1},   {"Return", Qt::Key_Return, false, true, 1},
        {"Enter", Qt::Key_Enter, false, true, 1},   {"a held key presses once", Qt::Key_Space, true, true, 0},
        {"another key", Qt::Key_A, false, true, 0}, {"not Enabled", Qt::Key_Space, false, false, 0},
    };
    for (const Case& c : cases) {
        clicks = 0;
        button->SetEnabled(c.enabled);
        QKeyEvent key(QEvent::KeyPress, c.key, Qt::NoModifier, QString(), c.autoRepeat);
        QApplication::sendEvent(button, &key);
        EXPECT_EQ(clicks, c.clicks) << c.what;
    }

    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(button);
    ASSERT_TRUE(reader && reader->actionInterface());
    EXPECT_EQ(reader->role(), QAccessible::Button);
    for (const bool enabled : {true, false}) {
        clicks = 0;
        button->SetEnabled(enabled);
        EXPECT_EQ(reader->state().disabled, !enabled);
        reader->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        EXPECT_EQ(clicks, enabled ? 1 : 0) << "enabled " << enabled;
    }

    // The dimmed look keeps every key pixel, and only those.
    const QImage idle = button->PicIdle();
    const QImage dimmed = DimmedPicture(idle);
    EXPECT_EQ(KeyColourShape(dimmed), KeyColourShape(idle));
    EXPECT_NE(dimmed.pixel(10, 10), idle.pixel(10, 10));
    EXPECT_EQ(qRed(dimmed.pixel(10, 10)), qBlue(dimmed.pixel(10, 10))) << "dimmed pictures are grey";
}

} // namespace
