#include "controls/EzRgnBtn.h"
#include "controls/Skin.h"

#include "support/TestEnv.h"

#include <QIcon>
#include <QProcess>
#include <QTemporaryDir>

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

// Every skin picture is also drawn at twice the size: the same size in the
// layout, twice the pixels, the same cut shape; a window on a 2x screen shows
// those pixels, not the 1x picture enlarged.
TEST(Skin, PicturesAreDrawnAtTwiceTheSizeAndUsedAt2x)
{
    const QStringList names{"background", "logo", "caption"};
    QStringList all = names;
    for (const char* button : {"minimize", "close", "divx", "xvid"})
        for (const char* state : {"idle", "hover", "pressed"})
            all << QString("%1-%2").arg(button, state);
    // Pictures decoded ahead for the first paint are given only at their own ratio.
    Skin::WarmUp();
    for (const QString& name : all) {
        SCOPED_TRACE(name.toStdString());
        const QImage sharpFirst = Skin::Picture(name, 2);
        EXPECT_EQ(sharpFirst.devicePixelRatio(), 2);
        const QImage normal = Skin::Picture(name, 1);
        const QImage sharp = Skin::Picture(name, 2);
        ASSERT_FALSE(normal.isNull());
        EXPECT_EQ(normal.devicePixelRatio(), 1);
        EXPECT_EQ(sharp.devicePixelRatio(), 2);
        EXPECT_EQ(sharp.size(), normal.size() * 2);
        EXPECT_EQ(sharp.deviceIndependentSize(), normal.deviceIndependentSize());
        if (name.endsWith("-idle")) {
            EXPECT_EQ(KeyColourShape(sharp), KeyColourShape(normal));
        }
        EXPECT_NE(sharp, normal.scaled(normal.size() * 2)) << "the 1x picture enlarged";
    }

    // The real window at a scale factor of 2, as the screenshot tool takes it:
    // the logo's left part (a link lies over its right) is the 2x picture, pixel for pixel.
    const QTemporaryDir dir;
    const QString shot = dir.filePath("window.png");
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_SCALE_FACTOR", "2");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    tool.setProcessEnvironment(env);
    tool.start(BinPath("vantrel-screenshot"), {shot});
    ASSERT_TRUE(tool.waitForFinished(60000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    const QImage window(shot);
    ASSERT_EQ(window.size(), QSize(1006, 958));
    const QImage logo = Skin::Picture("logo", 2).convertToFormat(QImage::Format_RGB32);
    int differ = 0;
    for (int y = 0; y < logo.height(); ++y)
        for (int x = 0; x < 250; ++x)
            differ += (window.pixel(32 + x, 24 + y) & 0xffffff) != (logo.pixel(x, y) & 0xffffff);
    EXPECT_EQ(differ, 0);
}

} // namespace
