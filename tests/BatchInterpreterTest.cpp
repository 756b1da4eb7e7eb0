#include "support/QtPrinters.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs vantrel-batch on the lines given (CR LF after each) from a folder of its own.
class BatchRun : public ::testing::Test
{
protected:
    FreshHome home;
    QString dir = home.tmp() + QStringLiteral("/batch dir");
    QString app = BinPath(QStringLiteral("processtestapp"));
    QString errors;

    void SetUp() override { QDir().mkpath(dir); }

    int run(const QStringList& lines)
    {
        QByteArray text;
        for (const QString& line : lines)
            text += line.toUtf8() + "\r\n";
        QFile bat(dir + QStringLiteral("/t.bat"));
        EXPECT_TRUE(bat.open(QIODevice::WriteOnly));
        bat.write(text);
        bat.close();

        QProcess p;
        p.setWorkingDirectory(home.root()); // the batch must run in its own folder instead
        p.start(BinPath(QStringLiteral("vantrel-batch")), {bat.fileName()});
        EXPECT_TRUE(p.waitForFinished(30000));
        errors = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    }

    QStringList recordedArgs(const QString& file) const
    {
        QStringList lines = QString::fromUtf8(readAll(file)).split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }
};

TEST_F(BatchRun, ExpandsVariablesOnceAndPassesQuotedArgumentsLiterally)
{
    const QString out = dir + "/args.txt";
    const int code = run({
        QStringLiteral("set app=\"%1\"").arg(app),
        QStringLiteral("set Out=\"%1\"").arg(out),
        "set v=a b",
        "set w=%%v%%",
        // Names ignore case; %% is a literal %; no shell sees any of this.
        "%APP% args %out% \"%v%\" 100%% \"x;y&z|w>v\" $HOME `id` 'q' -dash %w% \"%%v%%\"",
    });
    EXPECT_EQ(code, 0) << errors.toStdString();
    EXPECT_TRUE(errors.isEmpty()) << errors.toStdString();
    EXPECT_EQ(recordedArgs(out),
              (QStringList{dir, "a b", "100%", "x;y&z|w>v", "$HOME", "`id`", "'q'", "-dash", "%v%", "%v%"}));
}

TEST_F(BatchRun, RedirectsStandardOutputIntoAFreshFile)
{
    QFile old(dir + "/out.txt");
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("older and longer content\n");
    old.close();

    const int code = run({
        "set fileout=\"out.txt\"",
        "\"/bin/echo\" hello \"two  blanks\" > %fileout%",
        "/bin/echo packed >\"packed.txt\"",
    });
    EXPECT_EQ(code, 0) << errors.toStdString();
    EXPECT_EQ(readAll(dir + "/out.txt"), "hello two  blanks\n") << "relative to the batch's folder, truncated";
    EXPECT_EQ(readAll(dir + "/packed.txt"), "packed\n");
}

TEST_F(BatchRun, FailedLinesReportAndLeaveTheRedirectedFileEmpty)
{
    const QString marker = dir + "/ran.txt";
    const int code = run({
        QStringLiteral("\"%1\" args \"%2\" %missing% > unset.txt").arg(app, marker),
        "\"/no/such/program\" --x > notstarted.txt",
        "/bin/echo a | /bin/cat > piped.txt",
        "@echo off",
        "/bin/echo a >> appended.txt",
        "/bin/echo 50% > stray.txt",
        QStringLiteral("\"%1\" args \"%2\" after").arg(app, dir + "/after.txt"),
    });
    EXPECT_EQ(code, 0) << "later lines still run, as in cmd.exe";

    EXPECT_FALSE(QFileInfo::exists(marker)) << "a line with an unset variable must not run";
    for (const char* name : {"unset.txt", "notstarted.txt", "stray.txt"}) {
        EXPECT_TRUE(QFileInfo::exists(dir + "/" + name)) << name;
        EXPECT_EQ(QFileInfo(dir + "/" + name).size(), 0) << name;
    }
    EXPECT_FALSE(QFileInfo::exists(dir + "/piped.txt")) << "refused forms are not run at all";
    EXPECT_FALSE(QFileInfo::exists(dir + "/appended.txt"));
    EXPECT_EQ(recordedArgs(dir + "/after.txt").value(1), "after");

    for (const char* expected :
         {":1: variable \"missing\" is not set", ":2: cannot start \"/no/such/program\"",
          ":3: unsupported character '|'", ":4: cannot start \"@echo\"", ":5: appending", ":6: a single %"})
        EXPECT_TRUE(errors.contains(QLatin1String(expected))) << expected << "\n" << errors.toStdString();
}

} // namespace
