#include "app/Main.h"
#include "platform/Folders.h"
#include "platform/Prompt.h"
#include "engine/ConversionRun.h"
#include "model/QueueModel.h"
#include "support/StalledSource.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Alive and not merely a zombie waiting to be reaped.
bool isRunning(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (pid <= 0 || !stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    return close >= 0 && text.size() > close + 2 && text.at(close + 2) != 'Z' && text.at(close + 2) != 'X';
}

// A slow real-time encode that runs until it is ended.
const QStringList LongEncode{
    "-nostdin", "-hide_banner", "-loglevel", "error", "-re", "-f", "lavfi", "-i", "testsrc=size=32x24:rate=5",
    "-t",       "600",          "-f",        "null",  "-"};

// An ffmpeg that is not this program's child: startDetached hands it to init.
class UnrelatedFfmpeg
{
public:
    UnrelatedFfmpeg() { QProcess::startDetached(QStringLiteral("ffmpeg"), LongEncode, QString(), &m_pid); }
    ~UnrelatedFfmpeg()
    {
        if (m_pid > 0)
            ::kill(static_cast<pid_t>(m_pid), SIGKILL);
    }
    qint64 pid() const { return m_pid; }

private:
    qint64 m_pid = 0;
};

void writeFile(const QString& path, const QByteArray& bytes = "x")
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

QString readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

class Shutdown : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(home.documents());
        tempDir = Folders::PrivateTempDir();
        openBat = tempDir + QStringLiteral("open.bat");
        durationTxt = tempDir + QStringLiteral("duration_time.txt");
        writeFile(openBat, "@echo off\n");
        writeFile(durationTxt, "00:00:01.000\n");
    }

    // Files of the private folder outside this process's own are another copy's.
    void expectKeptAfterExit() const
    {
        EXPECT_TRUE(QFile::exists(openBat));
        EXPECT_TRUE(QFile::exists(durationTxt));
        EXPECT_TRUE(QDir(tempDir).entryList({QStringLiteral("probe-*")}, QDir::AllEntries | QDir::Hidden).isEmpty())
            << "the process's own folder was left";
        EXPECT_TRUE(QFileInfo(home.documents() + QStringLiteral("/VANTREL")).isDir());
        EXPECT_TRUE(QFileInfo(home.data() + QStringLiteral("/VANTREL")).isDir());
        QSettings settings(home.configFile(), QSettings::IniFormat);
        EXPECT_EQ(settings.value(QStringLiteral("WorkDir")).toString(), home.documents() + QStringLiteral("/VANTREL/"));
        EXPECT_EQ(settings.value(QStringLiteral("AppDir")).toString(), home.data() + QStringLiteral("/VANTREL/"));
    }

    // Queues a ten-second FLV that reaches ffmpeg through a pipe and starts
    // converting it; returns most of the file, for the test to feed.
    QByteArray startStalledConversion(TfrmMain& frm)
    {
        QDir().mkpath(out);
        const QString whole = home.root() + QStringLiteral("/whole.flv");
        MakeFlv(whole, 10.0);
        const QByteArray bytes = [&] {
            QFile f(whole);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        frm.session().settings().WorkDir = out;
        frm.session().tools().FfmpegExe = StalledSource::Ffmpeg(home.root());
        frm.queue().append(source.made() ? sourcePath : QString(), StalledSource::QueuedSeconds);
        frm.EzRgnBtn3Click();
        return bytes.left(bytes.size() * 8 / 10);
    }

    FreshHome home;
    Prompt::Script prompts;
    QString tempDir, openBat, durationTxt, ownFolder;
    QString out = home.root() + QStringLiteral("/out");
    QString sourcePath = home.root() + QStringLiteral("/stalled.flv");
    StalledSource source{sourcePath};
};

TEST_F(Shutdown, DestroyEndsItsConversionDeletesItsProbeFolderAndKeepsTheRest)
{
    // The tools belong to the installation, whatever folder they are in.
    const QString tools = home.root() + QStringLiteral("/bin/");
    QDir().mkpath(tools);
    writeFile(tools + QStringLiteral("ffmpeg"));
    writeFile(tools + QStringLiteral("mediainfo"));
    qint64 ffmpeg = 0;
    QByteArray head;
    {
        TfrmMain frm;
        head = startStalledConversion(frm);
        ffmpeg = frm.conversion().runningProcessIds().value(0);
        ASSERT_GT(ffmpeg, 0);
        EXPECT_TRUE(source.feed(head));
        EXPECT_TRUE(QTest::qWaitFor([&] { return OpenedForWriting(frm.conversion().partialFiles().value(0)); }, 60000));
        frm.session().tools().FfmpegExe = tools + QStringLiteral("ffmpeg");
        frm.session().tools().MediaInfoExe = tools + QStringLiteral("mediainfo");
        frm.session().settings().AppDir = tools;
        ownFolder = frm.session().tools().TempDir;
        EXPECT_EQ(QFileInfo(ownFolder.chopped(1)).path() + QLatin1Char('/'), tempDir);
        // What probes left, as a failed read leaves open.bat.
        for (const char* name : {"open.bat", "open-2.bat", "duration_time-2.txt"})
            writeFile(ownFolder + QLatin1String(name));
    }
    EXPECT_FALSE(QFileInfo::exists(ownFolder));
    expectKeptAfterExit();

    // The conversion ends with the window, and leaves no unfinished file.
    EXPECT_FALSE(isRunning(ffmpeg));
    EXPECT_TRUE(QDir(out).entryList(QDir::Files | QDir::Hidden).isEmpty());

    EXPECT_TRUE(QFile::exists(tools + QStringLiteral("ffmpeg")));
    EXPECT_TRUE(QFile::exists(tools + QStringLiteral("mediainfo")));
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(Shutdown, DestroyWithoutATempFolderTouchesNothingElse)
{
    // The temp folder vanished while the window was open.
    {
        TfrmMain frm;
        QDir(tempDir).removeRecursively();
    }
    EXPECT_FALSE(QFileInfo(tempDir).exists());

    // No usable temp folder at all: "open.bat" in the current folder is not ours.
    const QString saved = QDir::currentPath();
    QDir::setCurrent(home.root());
    writeFile(home.root() + QStringLiteral("/open.bat"));
    {
        TfrmMain frm;
        frm.session().tools().TempDir.clear();
    }
    QDir::setCurrent(saved);
    EXPECT_TRUE(QFile::exists(home.root() + QStringLiteral("/open.bat")));
    EXPECT_TRUE(prompts.shown().empty());
}

// Presses the window's Close button with the mouse.
void clickClose(TfrmMain& frm)
{
    frm.show();
    if (!QTest::qWaitForWindowExposed(&frm))
        std::_Exit(6);
    QWidget* close = frm.findChild<QWidget*>(QStringLiteral("EzRgnBtn2"));
    if (!close)
        std::_Exit(7);
    const QPoint centre = close->geometry().center();
    QTest::mouseMove(frm.windowHandle(), centre);
    QTest::mouseClick(frm.windowHandle(), Qt::LeftButton, {}, centre);
}

// The Close button ends the process, so it runs in a forked child; the parent
// then looks at what is left. Exit codes other than 0 tell where the child stopped.
void closeDuringConversion(TfrmMain& frm, const QByteArray& head, StalledSource& source, const QString& pidFile)
{
    const qint64 ffmpeg = frm.conversion().runningProcessIds().value(0);
    if (ffmpeg <= 0)
        std::_Exit(3);
    if (!source.feed(head)
        || !QTest::qWaitFor([&] { return OpenedForWriting(frm.conversion().partialFiles().value(0)); }, 60000))
        std::_Exit(4);
    QFile out(pidFile);
    if (!out.open(QIODevice::WriteOnly) || out.write(QByteArray::number(ffmpeg)) <= 0)
        std::_Exit(5);
    out.close();
    clickClose(frm);
}

TEST_F(Shutdown, CloseDuringAConversionEndsItsFfmpegAndTheProcessWithCodeZero)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    UnrelatedFfmpeg unrelated;
    ASSERT_TRUE(QTest::qWaitFor([&] { return isRunning(unrelated.pid()); }, 10000));
    const QString pidFile = home.root() + QStringLiteral("/own.pid");

    EXPECT_EXIT(
        {
            TfrmMain frm;
            const QByteArray head = startStalledConversion(frm);
            closeDuringConversion(frm, head, source, pidFile);
        },
        ::testing::ExitedWithCode(0), "");

    const qint64 own = readFile(pidFile).toLongLong();
    ASSERT_GT(own, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !isRunning(own); }, 10000)) << "the program's own ffmpeg was left running";
    EXPECT_TRUE(isRunning(unrelated.pid())) << "another program's ffmpeg was ended";
    EXPECT_TRUE(QDir(out).entryList(QDir::Files | QDir::Hidden).isEmpty()) << "an unfinished output was left";
    expectKeptAfterExit();
}

TEST_F(Shutdown, CloseWithNothingToEndOrDeleteStillEndsWithCodeZero)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_EXIT(
        {
            TfrmMain frm;
            QDir(frm.session().tools().TempDir).removeRecursively();
            clickClose(frm);
        },
        ::testing::ExitedWithCode(0), "");
    QSettings settings(home.configFile(), QSettings::IniFormat);
    EXPECT_EQ(settings.value(QStringLiteral("AppDir")).toString(), home.data() + QStringLiteral("/VANTREL/"));
}

// Close pressed while a big folder is measured: the window answers it at
// once, ends the probes and leaves nothing queued half.
TEST_F(Shutdown, CloseWhileAFolderIsMeasuredEndsItsProbes)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    constexpr int Files = 2000;
    constexpr int Measured = 100; // the files after these hang in mediainfo
    const QString folder = home.root() + QStringLiteral("/many");
    QDir().mkpath(folder);
    for (int i = 0; i < Files; ++i)
        writeFile(folder
                  + QStringLiteral("/%1%2.flv").arg(i < Measured ? "f" : "slow").arg(i, 4, 10, QLatin1Char('0')));
    const QString pids = home.root() + QStringLiteral("/probes.pid");
    const QString fake = home.root() + QStringLiteral("/mediainfo");
    writeFile(fake, QStringLiteral("#!/bin/sh\ncase \"$2\" in *slow*) echo $$ >> '%1'; exec sleep 300;; esac\n"
                                   "echo 00:00:01.000\n")
                        .arg(pids)
                        .toUtf8());
    QFile::setPermissions(fake, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QString seen = home.root() + QStringLiteral("/seen.txt");

    EXPECT_EXIT(
        {
            TfrmMain frm;
            frm.session().tools().MediaInfoExe = fake;
            frm.session().settings().Jobs = 4;
            frm.AddFolder(folder);
            // Every slot hangs in a probe of its own before Close is pressed.
            if (!QTest::qWaitFor([&] { return readFile(pids).count(QLatin1Char('\n')) == 4; }, 60000))
                std::_Exit(3);
            QStringList rows = frm.queue().PathList();
            for (const QString& duration : frm.queue().DurationList())
                rows << duration;
            QFile out(seen);
            if (!out.open(QIODevice::WriteOnly))
                std::_Exit(4);
            out.write(QStringLiteral("%1\n%2\n%3\n")
                          .arg(frm.AddingFiles())
                          .arg(frm.MeasuringLine->text(), rows.join(QLatin1Char('|')))
                          .toUtf8());
            out.close();
            clickClose(frm);
        },
        ::testing::ExitedWithCode(0), "");

    const QStringList told = readFile(seen).split(QLatin1Char('\n'));
    ASSERT_EQ(told.size(), 4);
    EXPECT_EQ(told.at(0), QStringLiteral("1")) << "the measuring had ended before Close was handled";
    EXPECT_EQ(told.at(1), QStringLiteral("Measuring %1 of %2\u2026").arg(Measured + 1).arg(Files));
    QStringList queued;
    for (int i = 0; i < Measured; ++i)
        queued << folder + QStringLiteral("/f%1.flv").arg(i, 4, 10, QLatin1Char('0'));
    EXPECT_EQ(told.at(2), (queued + QStringList(Measured, QStringLiteral("2"))).join(QLatin1Char('|')));
    for (const QString& pid : readFile(pids).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        EXPECT_TRUE(QTest::qWaitFor([&] { return !isRunning(pid.toLongLong()); }, 5000))
            << "probe " << pid.toStdString();
    expectKeptAfterExit();
}

TEST_F(Shutdown, SigtermToTheWindowEndsItAsAWindowManagersCloseThenByTheSignal)
{
    GTEST_FLAG_SET(death_test_style, "fast");
    const QString pidFile = home.root() + QStringLiteral("/own.pid");
    EXPECT_EXIT(
        {
            TfrmMain frm;
            frm.EndOnSignals();
            const QByteArray head = startStalledConversion(frm);
            const qint64 ffmpeg = frm.conversion().runningProcessIds().value(0);
            if (ffmpeg <= 0 || !source.feed(head)
                || !QTest::qWaitFor([&] { return OpenedForWriting(frm.conversion().partialFiles().value(0)); }, 60000))
                std::_Exit(3);
            QFile own(pidFile);
            if (!own.open(QIODevice::WriteOnly) || own.write(QByteArray::number(ffmpeg)) <= 0)
                std::_Exit(4);
            own.close();
            ::kill(::getpid(), SIGTERM);
            QTest::qWait(60000);
            std::_Exit(5);
        },
        ::testing::KilledBySignal(SIGTERM), "");

    const qint64 own = readFile(pidFile).toLongLong();
    ASSERT_GT(own, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !isRunning(own); }, 1000)) << "the window's ffmpeg was left running";
    EXPECT_TRUE(QFile::exists(openBat)) << "another copy's probe file was removed";
    EXPECT_TRUE(QDir(tempDir).entryList({QStringLiteral("probe-*")}, QDir::AllEntries | QDir::Hidden).isEmpty())
        << "the process's own folder was left";
    EXPECT_TRUE(QDir(out).entryList(QDir::Files | QDir::Hidden).isEmpty()) << "an unfinished output was left";
}

} // namespace
