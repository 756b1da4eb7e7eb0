#pragma once

#include <QLocale>
#include <QString>

class QCoreApplication;

// The program's texts in its user's language: Vantrel's own translation and
// Qt's (the buttons of its dialogs) for the first of the desktop's languages
// that Vantrel speaks; English, the texts as written, for any other.
namespace Translations {

// Installs the translators, owned by app. Returns the language chosen ("de",
// "fr"), or "en" when none of the locale's languages has a translation.
QString Install(QCoreApplication& app, const QLocale& locale = QLocale());

} // namespace Translations
