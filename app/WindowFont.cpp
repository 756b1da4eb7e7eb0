#include "app/WindowFont.h"

#include <QFile>
#include <QFontDatabase>

namespace {

const char TahomaFile[] = "/usr/share/wine/fonts/tahoma.ttf";

QString LoadedFamily()
{
    // Only the regular face: Wine's bold face is drawn nearly as thin as the
    // regular one, while bold made from the regular face reads as bold.
    static const QString family = [] {
        if (QFile::exists(QLatin1String(TahomaFile))) {
            const int id = QFontDatabase::addApplicationFont(QLatin1String(TahomaFile));
            const QStringList families = QFontDatabase::applicationFontFamilies(id);
            if (!families.isEmpty())
                return families.constFirst();
        }
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }();
    return family;
}

} // namespace

QFont WindowFont()
{
    QFont font(LoadedFamily());
    font.setPixelSize(11);
    font.setStyleHint(QFont::SansSerif);
    return font;
}
