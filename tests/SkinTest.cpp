#include "controls/EzRgnBtn.h"
#include "controls/Skin.h"

#include <QIcon>

#include <gtest/gtest.h>

namespace {

const QRgb Key = qRgb(220, 220, 220);

int KeyPixels(const QImage& picture)
{
    int n = 0;
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == Key;
    return n;
}

int Area(const QRegion& region)
{
    int n = 0;
    for (const QRect& r : region)
        n += r.width() * r.height();
    return n;
}

TEST(Skin, WindowPicturesHaveTheirSizes)
{
    EXPECT_EQ(Skin::Picture("background").size(), QSize(503, 480));
    EXPECT_EQ(Skin::Picture("logo").size(), QSize(214, 53));
    const QImage caption = Skin::Picture("caption");
    EXPECT_EQ(caption.size(), QSize(151, 33));
    EXPECT_EQ(caption.format(), QImage::Format_Indexed8);
    EXPECT_EQ(caption.colorCount(), 65);
    EXPECT_TRUE(Skin::Picture("no-such-picture").isNull());

    // Drawn at every size a desktop asks for, so none is scaled from another.
    const QIcon icon = Skin::Icon();
    const QList<QSize> drawn = icon.availableSizes();
    EXPECT_EQ(drawn.size(), 7);
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        EXPECT_TRUE(drawn.contains(QSize(size, size))) << size;
        EXPECT_EQ(icon.pixmap(size).size(), QSize(size, size)) << size;
    }
}

// Each button is cut to shape by its idle picture's top-left colour: exactly 100
// pixels of the window buttons, 32 of the conversion buttons, all outside the shape.
TEST(Skin, ButtonPicturesCutToTheirShapes)
{
    struct Button
    {
        const char* name;
        QSize size;
        QSize pressed;
        int cut;
    };
    for (const Button& b : {Button{"minimize", {23, 23}, {23, 23}, 100}, Button{"close", {23, 23}, {23, 23}, 100},
                            Button{"divx", {41, 41}, {41, 43}, 32}, Button{"xvid", {41, 41}, {41, 43}, 32}}) {
        SCOPED_TRACE(b.name);
        const QString base = QLatin1String(b.name);
        const QImage idle = Skin::Picture(base + "-idle");
        const QImage hover = Skin::Picture(base + "-hover");
        const QImage pressed = Skin::Picture(base + "-pressed");
        ASSERT_EQ(idle.size(), b.size);
        EXPECT_EQ(hover.size(), b.size);
        EXPECT_EQ(pressed.size(), b.pressed);
        for (const QImage& picture : {idle, hover, pressed})
            EXPECT_EQ(picture.pixel(0, 0), Key);
        EXPECT_NE(hover, idle);
        EXPECT_NE(pressed, idle);

        EXPECT_EQ(KeyPixels(idle), b.cut);
        const QRegion shape = KeyColourShape(idle);
        EXPECT_EQ(Area(shape), b.size.width() * b.size.height() - b.cut);
        EXPECT_FALSE(shape.contains(QPoint(0, 0)));
        EXPECT_TRUE(shape.contains(QPoint(b.size.width() / 2, b.size.height() / 2)));
    }
}

} // namespace
