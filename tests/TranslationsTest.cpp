// The translations: complete, true to their source texts' placeholders, in
// step with the code's texts, and chosen by the user's language.
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

const QString Folder = QStringLiteral(VANTREL_SOURCE_DIR "/translations/");

struct Message
{
    QString source;
    bool numerus = false;
    QString type; // "unfinished", "vanished", ...: anything but a finished text
    QStringList forms;
};

// Each message of a .ts file, by context and source text.
std::map<std::pair<QString, QString>, Message> Messages(const QString& path)
{
    std::map<std::pair<QString, QString>, Message> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return messages;
    QXmlStreamReader xml(&file);
    QString context;
    Message message;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto name = xml.name();
        if (name == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (name == QLatin1String("message")) {
            message = Message{{}, xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes"), {}, {}};
        } else if (name == QLatin1String("source")) {
            message.source = xml.readElementText();
        } else if (name == QLatin1String("translation")) {
            message.type = xml.attributes().value(QLatin1String("type")).toString();
            if (message.numerus) {
                while (xml.readNextStartElement())
                    message.forms << xml.readElementText();
            } else {
                message.forms << xml.readElementText();
            }
            messages[{context, message.source}] = message;
        }
    }
    EXPECT_FALSE(xml.hasError()) << path.toStdString() << ": " << xml.errorString().toStdString();
    return messages;
}

std::set<QString> Placeholders(const QString& text)
{
    static const QRegularExpression placeholder(QStringLiteral("%(\\d|n)"));
    std::set<QString> found;
    for (const auto& match : placeholder.globalMatch(text))
        found.insert(match.captured());
    return found;
}

} // namespace

TEST(Translations, EveryTextIsTranslatedWithItsPlaceholdersAndLineEnds)
{
    const auto english = Messages(Folder + QStringLiteral("vantrel_en.ts"));
    ASSERT_FALSE(english.empty());
    for (const char* language : {"de", "fr"}) {
        SCOPED_TRACE(language);
        const auto messages = Messages(Folder + QStringLiteral("vantrel_%1.ts").arg(QLatin1String(language)));
        ASSERT_GT(messages.size(), 100u);
        for (const auto& [key, m] : messages) {
            const std::string what = (key.first + QStringLiteral(": ") + m.source).toStdString();
            EXPECT_TRUE(m.type.isEmpty()) << what << " is " << m.type.toStdString();
            // German and French have two plural forms, as English.
            ASSERT_EQ(m.forms.size(), m.numerus ? 2 : 1) << what;
            if (m.numerus) {
                EXPECT_TRUE(english.count(key)) << what << " has no English plural forms";
            }
            for (const QString& form : m.forms) {
                EXPECT_FALSE(form.trimmed().isEmpty()) << what;
                std::set<QString> wanted = Placeholders(m.source);
                // A singular may say "one" in words rather than the number.
                if (m.numerus && form == m.forms.first() && !form.contains(QLatin1String("%n")))
                    wanted.erase(QStringLiteral("%n"));
                EXPECT_EQ(Placeholders(form), wanted) << what << " -> " << form.toStdString();
                EXPECT_EQ(form.endsWith(QLatin1Char('\n')), m.source.endsWith(QLatin1Char('\n'))) << what;
                EXPECT_EQ(form.startsWith(QLatin1String("vantrel")), m.source.startsWith(QLatin1String("vantrel")))
                    << what;
            }
        }
    }
}

// lupdate run over the sources now finds exactly the texts the files hold: a
// text added to the code without a translation, or one left over, fails.
TEST(Translations, TheFilesHoldEveryTextOfTheCode)
{
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    for (const char* language : {"de", "en"}) {
        SCOPED_TRACE(language);
        const QString committed = Folder + QStringLiteral("vantrel_%1.ts").arg(QLatin1String(language));
        const QString fresh = scratch.filePath(QFileInfo(committed).fileName());
        ASSERT_TRUE(QFile::copy(committed, fresh));
        QStringList arguments{QStringLiteral("-silent"), QStringLiteral("-no-obsolete"), QStringLiteral("-locations"),
                              QStringLiteral("none")};
        if (QLatin1String(language) == QLatin1String("en"))
            arguments << QStringLiteral("-pluralonly");
        for (const char* layer : {"platform", "model", "queue", "engine", "core", "controls", "app"})
            arguments << QStringLiteral(VANTREL_SOURCE_DIR "/") + QLatin1String(layer);
        arguments << QStringLiteral("-ts") << fresh;
        QProcess lupdate;
        lupdate.start(QStringLiteral(VANTREL_LUPDATE), arguments);
        ASSERT_TRUE(lupdate.waitForFinished(120000));
        ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();
        const auto before = Messages(committed);
        const auto after = Messages(fresh);
        for (const auto& [key, m] : after)
            EXPECT_TRUE(before.count(key) && m.type.isEmpty())
                << "not in " << language << ".ts: " << key.first.toStdString() << ": " << key.second.toStdString();
        for (const auto& [key, m] : before)
            EXPECT_TRUE(after.count(key)) << "no longer in the code: " << key.second.toStdString();
    }
}

TEST(Translations, TheProgramSpeaksTheFirstOfTheUsersLanguagesItKnows)
{
    // The suite's own process has English, with its plural forms.
    EXPECT_EQ(QCoreApplication::translate("MainEngine", "%n files converted, %1 failed.", nullptr, 1).arg(0),
              QStringLiteral("1 file converted, 0 failed."));

    struct Case
    {
        const char* lcAll;
        const char* language; // LANGUAGE, the desktop's list of languages
        const char* firstLine;
    };
    const Case cases[] = {
        {"de_DE.UTF-8", "", "Aufruf: vantrel [PFAD...]"},
        {"fr_CA.UTF-8", "", "Usage : vantrel [CHEMIN...]"},
        {"C.UTF-8", "", "Usage: vantrel [PATH...]"},
        {"ar_EG.UTF-8", "", "Usage: vantrel [PATH...]"},
        {"it_IT.UTF-8", "it:fr:de", "Usage : vantrel [CHEMIN...]"},
        {"de_DE.UTF-8", "en:de", "Usage: vantrel [PATH...]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.lcAll) + " " + c.language);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QLatin1String(c.lcAll));
        env.insert(QStringLiteral("LANGUAGE"), QLatin1String(c.language));
        QProcess vantrel;
        vantrel.setProcessEnvironment(env);
        vantrel.start(QStringLiteral(VANTREL_BIN_DIR "/vantrel"), {QStringLiteral("--help")});
        ASSERT_TRUE(vantrel.waitForFinished(30000));
        EXPECT_EQ(vantrel.exitCode(), 0);
        EXPECT_EQ(QString::fromUtf8(vantrel.readAllStandardOutput()).section(QLatin1Char('\n'), 0, 0),
                  QLatin1String(c.firstLine));
    }
}
