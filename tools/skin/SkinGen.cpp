// Draws every picture of the window's skin and the program's icon, and writes
// them as PNG files into the folder given on the command line. The output is
// committed; the program compiles it into its resources.
//
// Button pictures are cut to shape by their key colour (the top-left pixel), so
// the shapes are laid out pixel by pixel: the number of key-coloured pixels of
// each idle picture is fixed (100 for the 23 x 23 window buttons, 32 for the
// 41 x 41 conversion buttons) and must not drift with antialiasing.
//
// Every skin picture is drawn twice: at its size, and at twice its size as
// NAME@2x.png for screens scaled 2x. The painter works in the same units at
// both scales; a 2x button keeps the very shape of the 1x one, each of its
// pixels four, so the cut region is the same at either scale.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QSet>
#include <QTextStream>

#include <functional>
#include <vector>

namespace {

const QColor Key(220, 220, 220);
const QColor Panel = Key;
const QColor Blue(24, 76, 168);

QString g_boldFamily;

QFont boldFont(int pixelSize)
{
    QFont font(g_boldFamily);
    font.setPixelSize(pixelSize);
    font.setBold(true);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// A picture of `size` in the painter's units, `scale` pixels to each.
QImage canvas(QSize size, int scale, QImage::Format format)
{
    QImage image(size * scale, format);
    image.setDevicePixelRatio(scale);
    return image;
}

// A rounded square inside a picture: `margin` key-coloured pixels all round it,
// and row i of each corner losing corner[i] more pixels. The corner patterns are
// symmetric about the diagonal, so columns lose the same counts as rows.
struct Shape
{
    QRect box;
    std::vector<int> corner;

    bool contains(int x, int y) const
    {
        if (!box.contains(x, y))
            return false;
        const int row = qMin(y - box.top(), box.bottom() - y);
        const int col = qMin(x - box.left(), box.right() - x);
        return !(row < int(corner.size()) && col < corner[row]);
    }
};

// Paints `art` and then forces the key colour exactly outside the shape and
// nowhere inside it; the shape's edge pixels get `edge`.
QImage cutButton(QSize size, int scale, const Shape& shape, const QColor& edge,
                 const std::function<void(QPainter&)>& art)
{
    QImage image = canvas(size, scale, QImage::Format_RGB32);
    image.fill(Key);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        art(p);
    }
    const QRgb key = Key.rgb();
    // Inside or outside as the 1x pixel it belongs to; the edge is one pixel
    // of this scale, so it stays fine at 2x.
    const auto inside = [&](int x, int y) { return x >= 0 && y >= 0 && shape.contains(x / scale, y / scale); };
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!inside(x, y)) {
                image.setPixel(x, y, key);
                continue;
            }
            const bool onEdge = !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
            if (onEdge)
                image.setPixel(x, y, edge.rgb());
            else if (image.pixel(x, y) == key)
                image.setPixel(x, y, qRgb(221, 220, 220));
        }
    }
    return image;
}

QLinearGradient vertical(const QRect& box, const QColor& top, const QColor& bottom)
{
    QLinearGradient g(box.topLeft(), box.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return g;
}

// ---- the 23 x 23 window buttons ----

enum class State { Idle, Hover, Pressed };

QImage windowButton(State state, int scale, const std::function<void(QPainter&, const QRect&)>& symbol)
{
    const int shift = state == State::Pressed ? 1 : 0;
    // 1 pixel of margin (88 pixels) plus 3 per corner: 100 key pixels when idle.
    const Shape shape{QRect(1, 1 + shift, 21, 21), {2, 1}};
    const QColor edge = state == State::Hover ? QColor(255, 226, 40) : QColor(178, 74, 8);
    const QColor top = state == State::Pressed ? QColor(236, 128, 34) : QColor(255, 178, 74);
    const QColor bottom = state == State::Pressed ? QColor(214, 96, 12) : QColor(232, 108, 18);
    return cutButton({23, 23}, scale, shape, edge, [&](QPainter& p) {
        p.fillRect(shape.box, vertical(shape.box, top, bottom));
        if (state == State::Hover) {
            // A second, inner ring makes the yellow outline read at this size.
            p.setPen(QPen(QColor(255, 214, 64), 1));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(QRectF(shape.box).adjusted(1.5, 1.5, -1.5, -1.5), 2.5, 2.5);
        }
        symbol(p, shape.box);
    });
}

void minimiseBar(QPainter& p, const QRect& box)
{
    p.fillRect(QRect(box.left() + 5, box.top() + 13, 11, 3), Qt::white);
}

void closeCross(QPainter& p, const QRect& box)
{
    QPen pen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    const QPointF c = QRectF(box).center();
    const qreal r = 4.6;
    p.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
    p.drawLine(c + QPointF(r, -r), c + QPointF(-r, r));
}

// ---- the 41 x 41 conversion buttons ----

QImage conversionButton(State state, int scale, const std::function<void(QPainter&, const QRect&)>& symbol)
{
    const bool pressed = state == State::Pressed;
    // The pressed picture is two rows taller and shows the square two pixels lower.
    const QSize size(41, pressed ? 43 : 41);
    // 8 key pixels per corner: 32 when idle.
    const Shape shape{QRect(0, pressed ? 2 : 0, 41, 41), {4, 2, 1, 1}};
    const QColor light(104, 164, 240);
    const QColor dark(22, 72, 170);
    const bool reversed = state == State::Hover;
    return cutButton(size, scale, shape, QColor(14, 44, 118), [&](QPainter& p) {
        p.fillRect(shape.box, vertical(shape.box, reversed ? dark : light, reversed ? light : dark));
        // A soft sheen across the upper half.
        QLinearGradient sheen(shape.box.topLeft(), QPoint(shape.box.left(), shape.box.center().y()));
        sheen.setColorAt(0, QColor(255, 255, 255, reversed ? 20 : 70));
        sheen.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillRect(QRect(shape.box.topLeft(), QSize(41, 20)), sheen);
        symbol(p, shape.box);
    });
}

// The DivX mark: an X whose strokes lean forward like italic lettering.
void slantedCross(QPainter& p, const QRect& box)
{
    const QPointF o = box.topLeft();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    QPainterPath a;
    a.moveTo(o + QPointF(13, 9));
    a.lineTo(o + QPointF(19.5, 9));
    a.lineTo(o + QPointF(28, 32));
    a.lineTo(o + QPointF(21.5, 32));
    a.closeSubpath();
    QPainterPath b;
    b.moveTo(o + QPointF(26, 9));
    b.lineTo(o + QPointF(31.5, 9));
    b.lineTo(o + QPointF(15, 32));
    b.lineTo(o + QPointF(9.5, 32));
    b.closeSubpath();
    p.drawPath(a.united(b));
}

// The Xvid mark: four petals around the centre, set diagonally.
void fourPetals(QPainter& p, const QRect& box)
{
    const QPointF c = QRectF(box).center();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    QPainterPath petals;
    for (int i = 0; i < 4; ++i) {
        QPainterPath petal;
        petal.addEllipse(QRectF(-4.2, -13.5, 8.4, 12.5));
        QTransform t;
        t.translate(c.x(), c.y());
        t.rotate(45 + 90 * i);
        petals = petals.united(t.map(petal));
    }
    p.drawPath(petals);
    p.setBrush(QColor(22, 72, 170));
    p.drawEllipse(c, 1.6, 1.6);
}

// ---- the window's pictures ----

// The panel: curved corners with white outside, a grey bevel along the edge, and a
// groove above the bottom row of links. Only 479 rows show; the last is spare.
QImage background(int scale)
{
    QImage image = canvas({503, 480}, scale, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF outline(0.5, 0.5, 502, 478);
    p.setPen(QPen(QColor(128, 128, 128), 1));
    p.setBrush(Panel);
    p.drawRoundedRect(outline, 15, 15);
    QLinearGradient bevel(0, 0, 503, 479);
    bevel.setColorAt(0, QColor(252, 252, 252));
    bevel.setColorAt(1, QColor(168, 168, 168));
    p.setPen(QPen(QBrush(bevel), 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(outline.adjusted(1.5, 1.5, -1.5, -1.5), 13.5, 13.5);
    p.setRenderHint(QPainter::Antialiasing, false);
    // Groove lines between the sections.
    for (int y : {444}) {
        p.setPen(QColor(176, 176, 176));
        p.drawLine(16, y, 486, y);
        p.setPen(QColor(246, 246, 246));
        p.drawLine(16, y + 1, 486, y + 1);
    }
    return image;
}

// The mark: a small film frame with a play triangle, used by the logo and the
// icon. Measures are in units of a 32-unit square, for the painter and the SVG alike.
namespace Mark {
const QColor Top(70, 136, 230);
const QColor Bottom(20, 66, 160);
const QColor Hole(255, 255, 255, 170);
const QColor Play(255, 160, 40);
constexpr qreal Radius = 6;
constexpr int Holes = 5;
constexpr qreal HoleLeft = 5, HoleStep = 5.5, HoleSize = 2.6, HoleTop = 2.5, HoleBottom = 5.1;
const QPointF PlayCorners[] = {{11, 9}, {24, 16}, {11, 23}};
// Below this size the sprocket holes blur into the frame.
constexpr qreal HolesFrom = 24;
} // namespace Mark

void markGlyph(QPainter& p, const QRectF& r)
{
    const qreal u = r.width() / 32.0;
    QPainterPath body;
    body.addRoundedRect(r, Mark::Radius * u, Mark::Radius * u);
    p.setPen(Qt::NoPen);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, Mark::Top);
    g.setColorAt(1, Mark::Bottom);
    p.fillPath(body, g);
    if (r.width() >= Mark::HolesFrom) {
        p.setBrush(Mark::Hole);
        for (int i = 0; i < Mark::Holes; ++i) {
            const qreal x = r.left() + (Mark::HoleLeft + i * Mark::HoleStep) * u;
            const qreal size = Mark::HoleSize * u;
            p.drawRect(QRectF(x, r.top() + Mark::HoleTop * u, size, size));
            p.drawRect(QRectF(x, r.bottom() - Mark::HoleBottom * u, size, size));
        }
    }
    QPainterPath play;
    play.moveTo(r.topLeft() + Mark::PlayCorners[0] * u);
    play.lineTo(r.topLeft() + Mark::PlayCorners[1] * u);
    play.lineTo(r.topLeft() + Mark::PlayCorners[2] * u);
    play.closeSubpath();
    p.fillPath(play, Mark::Play);
}

// The icon's scalable form: the same mark, written as SVG on a 32-unit square.
QByteArray markSvg()
{
    const auto rgb = [](const QColor& c) { return c.name(QColor::HexRgb).toLatin1(); };
    const auto num = [](qreal v) { return QByteArray::number(v, 'g', 4); };
    QByteArray svg;
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 32 32\">\n"
           "  <defs>\n"
           "    <linearGradient id=\"frame\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">\n"
           "      <stop offset=\"0\" stop-color=\""
           + rgb(Mark::Top)
           + "\"/>\n"
             "      <stop offset=\"1\" stop-color=\""
           + rgb(Mark::Bottom)
           + "\"/>\n"
             "    </linearGradient>\n"
             "  </defs>\n";
    svg += "  <rect width=\"32\" height=\"32\" rx=\"" + num(Mark::Radius) + "\" fill=\"url(#frame)\"/>\n";
    svg += "  <g fill=\"" + rgb(Mark::Hole) + "\" fill-opacity=\"" + num(Mark::Hole.alphaF()) + "\">\n";
    for (int i = 0; i < Mark::Holes; ++i) {
        const QByteArray x = num(Mark::HoleLeft + i * Mark::HoleStep);
        const QByteArray size = num(Mark::HoleSize);
        for (const qreal y : {Mark::HoleTop, 32 - Mark::HoleBottom})
            svg += "    <rect x=\"" + x + "\" y=\"" + num(y) + "\" width=\"" + size + "\" height=\"" + size + "\"/>\n";
    }
    svg += "  </g>\n  <polygon fill=\"" + rgb(Mark::Play) + "\" points=\"";
    for (const QPointF& corner : Mark::PlayCorners)
        svg += num(corner.x()) + ',' + num(corner.y()) + ' ';
    svg.chop(1);
    svg += "\"/>\n</svg>\n";
    return svg;
}

// The maker's mark in the upper part (under one click area), the product name in
// the lower part (under the other). The upper right stays plain: a link label sits there.
QImage logo(int scale)
{
    QImage image = canvas({214, 53}, scale, QImage::Format_RGB32);
    image.fill(Panel);
    QPainter p(&image);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    markGlyph(p, QRectF(1, 1, 26, 26));
    p.setFont(boldFont(20));
    p.setPen(QColor(52, 60, 74));
    p.drawText(QRectF(32, 0, 108, 28), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Vantrel"));
    p.setFont(boldFont(15));
    p.setPen(Blue);
    p.drawText(QRectF(1, 29, 212, 22), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("FLV to AVI Converter"));
    return image;
}

// "Convert to:" in blue bold lettering, as an 8-bit picture whose palette holds
// the panel grey and 64 steps towards the lettering's blue: 65 colours.
QImage caption(int scale)
{
    QImage coverage = canvas({151, 33}, scale, QImage::Format_ARGB32_Premultiplied);
    coverage.fill(Qt::transparent);
    {
        QPainter p(&coverage);
        p.setRenderHint(QPainter::TextAntialiasing);
        p.setFont(boldFont(22));
        p.setPen(Qt::black);
        p.drawText(QRect(0, 0, 151, 33).adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Convert to:"));
    }
    const int steps = 64;
    QList<QRgb> palette;
    for (int i = 0; i <= steps; ++i) {
        const auto mix = [&](int a, int b) { return (a * (steps - i) + b * i + steps / 2) / steps; };
        palette << qRgb(mix(Panel.red(), Blue.red()), mix(Panel.green(), Blue.green()), mix(Panel.blue(), Blue.blue()));
    }
    QImage image(coverage.size(), QImage::Format_Indexed8);
    image.setColorTable(palette);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, (qAlpha(coverage.pixel(x, y)) * steps + 127) / 255);
    return image;
}

QImage icon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    markGlyph(p, QRectF(0, 0, size, size).adjusted(0.5, 0.5, -0.5, -0.5));
    return image;
}

// An opaque picture of at most 256 colours is written with a palette: the
// very same pixels, in a third of the bytes the window decodes as it starts.
QImage Packed(const QImage& image)
{
    if (image.hasAlphaChannel() || image.format() == QImage::Format_Indexed8)
        return image;
    QList<QRgb> colours;
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb colour = image.pixel(x, y);
            if (seen.contains(colour))
                continue;
            if (colours.size() == 256)
                return image;
            seen.insert(colour);
            colours << colour;
        }
    }
    return image.convertToFormat(QImage::Format_Indexed8, colours, Qt::ThresholdDither | Qt::AvoidDither);
}

bool save(const QImage& image, const QString& path, QTextStream& err)
{
    if (Packed(image).save(path, "PNG"))
        return true;
    err << "cannot write " << path << '\n';
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: vantrel-skingen RESOURCE-FOLDER\n";
        return 2;
    }
    // Wine's own bold face is drawn almost as thin as the regular one; bold
    // synthesised from the regular face reads as bold.
    const int id = QFontDatabase::addApplicationFont(QStringLiteral("/usr/share/wine/fonts/tahoma.ttf"));
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    g_boldFamily
        = families.isEmpty() ? QFontDatabase::systemFont(QFontDatabase::GeneralFont).family() : families.first();

    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("skin")) || !out.mkpath(QStringLiteral("icons"))) {
        err << "cannot create the folders in " << out.path() << '\n';
        return 1;
    }
    const auto at = [&](const QString& name) { return out.filePath(name); };

    struct Button
    {
        const char* name;
        bool large;
        void (*symbol)(QPainter&, const QRect&);
    };
    const Button buttons[] = {
        {"minimize", false, minimiseBar},
        {"close", false, closeCross},
        {"divx", true, slantedCross},
        {"xvid", true, fourPetals},
    };
    const std::pair<State, const char*> states[]
        = {{State::Idle, "idle"}, {State::Hover, "hover"}, {State::Pressed, "pressed"}};

    bool ok = true;
    for (const int scale : {1, 2}) {
        const QString suffix = scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale);
        const auto skin = [&](const QString& name) { return at(QStringLiteral("skin/%1%2.png").arg(name, suffix)); };
        ok = save(background(scale), skin(QStringLiteral("background")), err) && ok;
        ok = save(logo(scale), skin(QStringLiteral("logo")), err) && ok;
        ok = save(caption(scale), skin(QStringLiteral("caption")), err) && ok;
        for (const Button& b : buttons) {
            for (const auto& [state, name] : states) {
                const QImage image
                    = b.large ? conversionButton(state, scale, b.symbol) : windowButton(state, scale, b.symbol);
                ok = save(image, skin(QStringLiteral("%1-%2").arg(QLatin1String(b.name), QLatin1String(name))), err)
                     && ok;
            }
        }
    }
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        ok = save(icon(size), at(QStringLiteral("icons/vantrel-%1.png").arg(size)), err) && ok;
    QFile svg(at(QStringLiteral("icons/vantrel.svg")));
    if (!svg.open(QIODevice::WriteOnly | QIODevice::Truncate) || svg.write(markSvg()) < 0) {
        err << "cannot write " << svg.fileName() << '\n';
        ok = false;
    }
    return ok ? 0 : 1;
}
