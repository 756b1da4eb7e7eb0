#include "controls/Tranpanl.h"
#include "support/Beneath.h"

#include <QDialog>
#include <QPainter>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

// A panel at (10, 10), 40 x 20, over a green picture that counts its presses.
class TranPanelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(100, 100);
        beneath = new Beneath;
        beneath->setParent(&window);
        beneath->setGeometry(window.rect());
        panel = new TTranPanel(&window);
        panel->setGeometry(10, 10, 40, 20);
        QObject::connect(panel, &TTranPanel::OnClick, [this] { ++clicks; });
        QObject::connect(panel, &TTranPanel::OnMouseUp,
                         [this](Qt::MouseButton, Qt::KeyboardModifiers, QPoint pos) { ups.push_back(pos); });
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QWindow* win() { return window.windowHandle(); }
    QImage shown() { return window.grab().toImage(); }

    QWidget window;
    Beneath* beneath = nullptr;
    TTranPanel* panel = nullptr;
    int clicks = 0;
    std::vector<QPoint> ups;
};

TEST_F(TranPanelTest, DrawsNothingButItsOptionalFrame)
{
    EXPECT_EQ(panel->size(), QSize(40, 20));
    const QRgb green = QColor(Qt::green).rgb();
    QImage image = shown();
    for (const QPoint p : {QPoint(10, 10), QPoint(30, 20), QPoint(49, 29)})
        EXPECT_EQ(image.pixel(p), green);

    panel->SetBorder(true);
    image = shown();
    const QRgb frame = panel->palette().color(QPalette::Dark).rgb();
    for (const QPoint p : {QPoint(10, 10), QPoint(49, 10), QPoint(10, 29), QPoint(49, 29), QPoint(30, 10)})
        EXPECT_EQ(image.pixel(p), frame);
    EXPECT_EQ(image.pixel(30, 20), green);
    EXPECT_EQ(image.pixel(11, 11), green);
}

TEST_F(TranPanelTest, TakesTheMouseInItsWholeRectangleAndClicksOnce)
{
    // The corners too: nothing of it is see-through for the pointer.
    for (const QPoint p : {QPoint(10, 10), QPoint(49, 29)}) {
        QTest::mouseClick(win(), Qt::LeftButton, {}, p);
    }
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(beneath->presses, 0);

    QTest::mouseDClick(win(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(clicks, 3);

    QTest::mouseClick(win(), Qt::RightButton, {}, QPoint(20, 20));
    EXPECT_EQ(clicks, 3);
}

TEST_F(TranPanelTest, NoClickWhenReleasedOutsideOrWhenADialogOpens)
{
    QTest::mousePress(win(), Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseMove(win(), QPoint(80, 80));
    QTest::mouseRelease(win(), Qt::LeftButton, {}, QPoint(80, 80));
    EXPECT_EQ(clicks, 0);

    QTest::mousePress(win(), Qt::LeftButton, {}, QPoint(20, 20));
    QDialog dialog(&window);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitFor([this] { return ups.size() == 2; }, 5000));
    EXPECT_EQ(ups.back(), QPoint(-1, -1));
    dialog.close();
    QTest::mouseRelease(win(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_EQ(clicks, 0);
}

} // namespace
