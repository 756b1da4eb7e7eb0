#include "app/WindowFont.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QHash>

#ifdef VANTREL_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace {

QString& Folder()
{
    static QString folder = QStringLiteral("/usr/share/wine/fonts");
    return folder;
}

// The family the faces in `folder` give; loaded once per folder.
QString LoadedFamily(const QString& folder)
{
    static QHash<QString, QString> loaded;
    if (const auto it = loaded.constFind(folder); it != loaded.constEnd())
        return *it;
    QString family;
    const QDir dir(folder);
    if (QFile::exists(dir.filePath(QStringLiteral("tahoma.ttf")))) {
        const int id = QFontDatabase::addApplicationFont(dir.filePath(QStringLiteral("tahoma.ttf")));
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        // Only the regular face: Wine's bold face (tahomabd.ttf) has outlines
        // as thin as the regular one's and reads as regular at every scale,
        // while bold made from the regular face reads as bold.
        if (!families.isEmpty())
            family = families.constFirst();
    }
    if (family.isEmpty())
        family = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    loaded.insert(folder, family);
    return family;
}

} // namespace

QString WindowFontFolder()
{
    return Folder();
}

void SetWindowFontFolder(const QString& folder)
{
    Folder() = folder;
}

QFont WindowFont()
{
    QFont font(LoadedFamily(Folder()));
    font.setPixelSize(11);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

FontConfigurationWarmUp::FontConfigurationWarmUp()
{
#ifdef VANTREL_HAVE_FONTCONFIG
    // fontconfig sets its configuration up once, safely from any thread; the
    // toolkit's later call finds it done.
    m_thread = std::thread([] { FcInit(); });
#endif
}

FontConfigurationWarmUp::~FontConfigurationWarmUp()
{
    wait();
}

void FontConfigurationWarmUp::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}
