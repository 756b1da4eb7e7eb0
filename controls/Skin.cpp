#include "controls/Skin.h"

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

namespace Skin {

QImage Picture(const QString& name)
{
    LoadSkinResources();
    return QImage(QStringLiteral(":/skin/%1.png").arg(name));
}

QPixmap Pixmap(const QString& name)
{
    return QPixmap::fromImage(Picture(name));
}

QIcon Icon()
{
    LoadSkinResources();
    QIcon icon;
    for (int size : {16, 24, 32})
        icon.addFile(QStringLiteral(":/icons/vantrel-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace Skin
