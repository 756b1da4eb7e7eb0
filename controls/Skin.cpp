#include "controls/Skin.h"

#include <QGuiApplication>
#include <QHash>
#include <QIcon>

// The resources live in a static library; nothing refers to them by symbol, so
// they are registered by hand before the first use.
static void LoadSkinResources()
{
    static const bool loaded = [] {
        Q_INIT_RESOURCE(skin);
        return true;
    }();
    Q_UNUSED(loaded);
}

namespace {

// Decoded ahead by WarmUp(), keyed by name and ratio; each is taken once.
QHash<QString, QImage>& WarmPictures()
{
    static QHash<QString, QImage> pictures;
    return pictures;
}

QString WarmKey(const QString& name, qreal devicePixelRatio)
{
    return name + (devicePixelRatio > 1 ? QStringLiteral("@2x") : QString());
}

} // namespace

namespace Skin {

void WarmUp()
{
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    for (const char* name :
         {"background", "logo", "caption", "close-idle", "minimize-idle", "divx-idle", "xvid-idle"}) {
        const QString key = QLatin1String(name);
        WarmPictures().insert(WarmKey(key, ratio), Picture(key, ratio));
    }
}

QImage Picture(const QString& name, qreal devicePixelRatio)
{
    if (!WarmPictures().isEmpty()) {
        const QImage warm = WarmPictures().take(WarmKey(name, devicePixelRatio));
        if (!warm.isNull())
            return warm;
    }
    LoadSkinResources();
    if (devicePixelRatio > 1) {
        QImage sharp(QStringLiteral(":/skin/%1@2x.png").arg(name));
        if (!sharp.isNull()) {
            sharp.setDevicePixelRatio(2);
            return sharp;
        }
    }
    return QImage(QStringLiteral(":/skin/%1.png").arg(name));
}

QImage Picture(const QString& name)
{
    return Picture(name, qApp ? qApp->devicePixelRatio() : 1.0);
}

QPixmap Pixmap(const QString& name)
{
    return QPixmap::fromImage(Picture(name));
}

QIcon Icon()
{
    LoadSkinResources();
    QIcon icon;
    for (int size : IconSizes)
        icon.addFile(QStringLiteral(":/icons/vantrel-%1.png").arg(size), QSize(size, size));
    return icon;
}

QPalette Palette()
{
    // Qt derives the bevel shades, white fields with black text and a greyed
    // disabled look from the button face and the panel.
    QPalette palette(QColor(240, 240, 240), QColor(PanelGrey));
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Highlight, QColor(0, 90, 180));
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
        palette.setColor(group, QPalette::PlaceholderText, QColor(100, 100, 100));
        palette.setColor(group, QPalette::Link, QColor(0, 0, 255));
    }
    return palette;
}

} // namespace Skin
