#include "platform/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

// Compiled in from a static library, so registered by hand (outside any
// namespace, as the resource's own function is).
static void LoadTranslationResources()
{
    static const bool loaded = [] {
        Q_INIT_RESOURCE(translations);
        return true;
    }();
    Q_UNUSED(loaded);
}

namespace {

bool Add(QCoreApplication& app, const QString& name, const QString& folder)
{
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(name, folder))
        return false;
    translator->setParent(&app);
    QCoreApplication::installTranslator(translator.release());
    return true;
}

} // namespace

namespace Translations {

QString Install(QCoreApplication& app, const QLocale& locale)
{
    LoadTranslationResources();
    // English's plural forms ("1 file", "2 files") come from a translation of
    // its own; a language's, installed later, is asked first.
    Add(app, QStringLiteral("vantrel_en"), QStringLiteral(":/translations"));
    for (const QString& language : locale.uiLanguages()) {
        const QString code = QLocale(language).name().section(QLatin1Char('_'), 0, 0);
        if (code == QLatin1String("en") || code == QLatin1String("C"))
            break;
        if (Add(app, QStringLiteral("vantrel_") + code, QStringLiteral(":/translations"))) {
            Add(app, QStringLiteral("qtbase_") + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
            return code;
        }
    }
    return QStringLiteral("en");
}

} // namespace Translations
