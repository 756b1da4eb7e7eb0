// The manual page against the program's own --help: every option the built
// program lists has an item of its own in the page, so neither can drift.
#include "support/TestEnv.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

// The options as --help lists them: the first word of each indented line
// that starts with a dash.
QStringList HelpOptions()
{
    QProcess vantrel;
    vantrel.start(BinPath(QStringLiteral("vantrel")), {QStringLiteral("--help")});
    EXPECT_TRUE(vantrel.waitForFinished(60000));
    EXPECT_EQ(vantrel.exitCode(), 0);
    QStringList options;
    const QRegularExpression item(QStringLiteral("^\\s+(--?[a-z-]*)(\\s|$)"));
    for (const QString& line : QString::fromUtf8(vantrel.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (const auto match = item.match(line); match.hasMatch())
            options << match.captured(1);
    }
    return options;
}

// The tags of the page's .TP items, roff's escaped dashes read as dashes and
// font changes dropped: "--jobs N" from ".BI \-\-jobs " N"".
QSet<QString> PageItems(const QString& page)
{
    QSet<QString> tags;
    const QStringList lines = page.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (lines.at(i).trimmed() != QLatin1String(".TP"))
            continue;
        QString tag = lines.at(i + 1);
        tag.replace(QStringLiteral("\\-"), QStringLiteral("-"));
        tag.remove(QRegularExpression(QStringLiteral("^\\.[A-Z]+\\s+|\\\\f[BIRP]|\"")));
        tags << tag.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
    }
    return tags;
}

} // namespace

TEST(ManualPage, HasAnItemForEveryOptionOfHelp)
{
    const QStringList options = HelpOptions();
    // The parse itself must see the options, or the test would pass on nothing.
    for (const char* known : {"--convert-to", "--outdir", "--jobs", "--help", "--version", "--"})
        EXPECT_TRUE(options.contains(QLatin1String(known))) << known << " not read from --help";

    QFile file(QStringLiteral(VANTREL_SOURCE_DIR "/app/vantrel.1"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QSet<QString> items = PageItems(QString::fromUtf8(file.readAll()));
    for (const QString& option : options)
        EXPECT_TRUE(items.contains(option)) << option.toStdString() << " has no item in app/vantrel.1";
}

// Both faces in --help's usage and the page's synopsis: the window with its
// paths and the conversion without a window.
TEST(ManualPage, ShowsBothFormsInHelpAndSynopsis)
{
    QProcess vantrel;
    vantrel.start(BinPath(QStringLiteral("vantrel")), {QStringLiteral("--help")});
    ASSERT_TRUE(vantrel.waitForFinished(60000));
    const QString help = QString::fromUtf8(vantrel.readAllStandardOutput());
    EXPECT_TRUE(help.startsWith(QLatin1String("Usage: vantrel [PATH...]\n       vantrel --convert-to divx|xvid ")))
        << help.toStdString();

    QFile file(QStringLiteral(VANTREL_SOURCE_DIR "/app/vantrel.1"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(file.readAll());
    const QString synopsis = page.section(QStringLiteral(".SH SYNOPSIS\n"), 1).section(QStringLiteral(".SH "), 0, 0);
    EXPECT_TRUE(synopsis.startsWith(QLatin1String(".B vantrel\n.RI [ PATH ...]\n.br\n.B vantrel \\-\\-convert\\-to\n")))
        << synopsis.toStdString();
}
