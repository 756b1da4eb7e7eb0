#include "app/Main.h"
#include "engine/ConversionRun.h"
#include "platform/Prompt.h"
#include "model/QueueModel.h"
#include "support/QtPrinters.h"
#include "support/TestEnv.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <csignal>

namespace {

QByteArray digest(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
}

// What mediainfo says about a converted file: "video format|codec id|frame rate|audio rate|channels".
QString Described(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("mediainfo"),
            {QStringLiteral("--Inform=Video;%Format%|%CodecID%|%FrameRate%|\nAudio;%SamplingRate%|%Channel(s)%"), path});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

class ConversionRunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(src);
        QDir().mkpath(out);
        frm.state().WorkDir = out;
        ASSERT_FALSE(frm.state().FfmpegExe.isEmpty()) << "ffmpeg is needed on PATH";
    }

    QueueModel& queue() { return frm.queue(); }
    MainState& state() { return frm.state(); }

    QString flv(const QString& name, double seconds = 1.0)
    {
        const QString path = src + QLatin1Char('/') + name;
        MakeFlv(path, seconds);
        return path;
    }

    // A stand-in for ffmpeg: a script that ends as processtestapp with the given mode.
    QString standIn(const QString& mode)
    {
        const QString path = home.root() + QStringLiteral("/fake-ffmpeg-") + QString(mode).replace(' ', '-');
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("#!/bin/sh\nexec \"%1\" %2\n").arg(BinPath(QStringLiteral("processtestapp")), mode).toUtf8());
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        return path;
    }

    bool waitUntilIdle(int ms = 60000)
    {
        return QTest::qWaitFor(
            [&] {
                if (state().Busy)
                    return false;
                for (int row = 0; row < queue().count(); ++row)
                    if (queue().progress(row) == QLatin1String("Pending"))
                        return false;
                return true;
            },
            ms);
    }

    QString tooltip(int row)
    {
        return frm.queue().data(frm.queue().index(row, QueueModel::ColProgress), Qt::ToolTipRole).toString();
    }

    FreshHome home;
    Prompt::Script prompts;
    QString src = home.root() + QStringLiteral("/src");
    QString out = home.root() + QStringLiteral("/out");
    TfrmMain frm;
};

TEST_F(ConversionRunTest, DivxButtonConvertsWithTheDivxProfile)
{
    queue().append(flv(QStringLiteral("clip one.flv")), QStringLiteral("2"));
    frm.EzRgnBtn3Click();

    // What the run start leaves while ffmpeg works.
    EXPECT_TRUE(state().Busy);
    EXPECT_EQ(state().CurrentRow, 0);
    EXPECT_EQ(state().SourceFile, src + "/clip one.flv");
    EXPECT_EQ(state().TargetFile, out + "/clip one.avi");
    EXPECT_TRUE(state().FfmpegArgs.contains("-c:v mpeg4 -r 25 -tag:v DIVX"));
    EXPECT_EQ(state().OutputRate, 123.5);
    EXPECT_EQ(state().ExpectedSize, 2 * 126464);
    EXPECT_EQ(state().LastSize, 0);
    ASSERT_NE(frm.conversion().timer(), nullptr);
    EXPECT_EQ(frm.conversion().timer()->Buddy(), state().TargetFile);
    EXPECT_EQ(frm.conversion().timer()->Interval(), 500u);

    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(queue().progress(0), "Done");
    EXPECT_EQ(queue().convertedFile(0), "AVI");
    EXPECT_EQ(Described(out + "/clip one.avi"), "MPEG-4 Visual|DIVX|25.000|44100|2");
    // The finished file's timer is gone, and no message was needed.
    EXPECT_EQ(frm.conversion().timer(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return frm.conversion().findChildren<TAdvancedTimer*>().isEmpty(); }, 2000));
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(ConversionRunTest, XvidRunKeepsItsProfileForEveryFile)
{
    const QString clip = flv(QStringLiteral("a.flv"));
    for (const char* name : {"a.flv", "b.flv", "c.flv"}) {
        QFile::copy(clip, src + QLatin1Char('/') + QLatin1String(name));
        queue().append(src + QLatin1Char('/') + QLatin1String(name), QStringLiteral("2"));
    }
    QSignalSpy finished(&frm.conversion(), &ConversionRun::rowFinished);
    frm.EzRgnBtn4Click();
    ASSERT_TRUE(waitUntilIdle());

    ASSERT_EQ(finished.size(), 3);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(finished.at(row).at(0).toInt(), row);
        EXPECT_EQ(queue().progress(row), "Done");
        const QString output = out + QLatin1Char('/') + QChar('a' + row) + QStringLiteral(".avi");
        EXPECT_EQ(Described(output).toLower(), "xvid|xvid|25.000|44100|2") << output.toStdString();
    }
}

TEST_F(ConversionRunTest, RunTakesOnlyPendingRowsTopToBottom)
{
    const QString clip = flv(QStringLiteral("clip.flv"));
    for (const char* name : {"done1", "second", "done3", "fourth"}) {
        const QString path = src + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".flv");
        QFile::copy(clip, path);
        queue().append(path, QStringLiteral("2"));
    }
    queue().setState(0, RowState::Done);
    queue().setState(2, RowState::Done);
    QSignalSpy finished(&frm.conversion(), &ConversionRun::rowFinished);
    QSignalSpy ended(&frm.conversion(), &ConversionRun::runEnded);

    frm.EzRgnBtn3Click();
    ASSERT_TRUE(waitUntilIdle());
    ASSERT_EQ(finished.size(), 2);
    EXPECT_EQ(finished.at(0).at(0).toInt(), 1);
    EXPECT_EQ(finished.at(1).at(0).toInt(), 3);
    EXPECT_EQ(ended.size(), 1);
    EXPECT_TRUE(QFile::exists(out + "/second.avi"));
    EXPECT_TRUE(QFile::exists(out + "/fourth.avi"));
    EXPECT_FALSE(QFile::exists(out + "/done1.avi"));
    EXPECT_FALSE(QFile::exists(out + "/done3.avi"));

    // A press with nothing left to do changes nothing and starts nothing.
    frm.EzRgnBtn4Click();
    EXPECT_FALSE(state().Busy);
    EXPECT_EQ(state().CurrentRow, -1);
    EXPECT_EQ(frm.conversion().runningProcessId(), 0);
    EXPECT_EQ(ended.size(), 2);
}

TEST_F(ConversionRunTest, BadFilesFailWithTheirReasonWhileTheRunGoesOn)
{
    // Damaged after the header, gone since it was queued, an output folder that
    // does not exist, one that is a file; and a good file last.
    const QString good = flv(QStringLiteral("good.flv"));
    QFile header(good);
    ASSERT_TRUE(header.open(QIODevice::ReadOnly));
    const QByteArray damagedBytes = header.read(13) + QByteArray(5000, '\xAB');
    const QString damaged = src + QStringLiteral("/damaged.flv");
    QFile d(damaged);
    ASSERT_TRUE(d.open(QIODevice::WriteOnly));
    d.write(damagedBytes);
    d.close();
    queue().append(damaged, QStringLiteral("2"));
    queue().append(src + QStringLiteral("/gone.flv"), QStringLiteral("2"));
    queue().append(good, QStringLiteral("2"));

    frm.EzRgnBtn3Click();
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(queue().progress(0), "Failed");
    EXPECT_EQ(queue().convertedFile(0), "");
    EXPECT_TRUE(tooltip(0).contains("exit code")) << tooltip(0).toStdString();
    EXPECT_TRUE(tooltip(0).contains("damaged.flv")) << tooltip(0).toStdString();
    EXPECT_EQ(queue().progress(1), "Failed");
    EXPECT_TRUE(tooltip(1).contains("No such file or directory")) << tooltip(1).toStdString();
    EXPECT_EQ(queue().progress(2), "Done");
    EXPECT_TRUE(tooltip(2).isEmpty());
    EXPECT_EQ(digest(damaged), QCryptographicHash::hash(damagedBytes, QCryptographicHash::Sha1));

    for (const QString& workDir : {home.root() + QStringLiteral("/missing"), good}) {
        state().WorkDir = workDir;
        queue().append(good, QStringLiteral("2"));
        const int row = queue().count() - 1;
        frm.EzRgnBtn3Click();
        ASSERT_TRUE(waitUntilIdle());
        EXPECT_EQ(queue().progress(row), "Failed") << workDir.toStdString();
        EXPECT_FALSE(tooltip(row).isEmpty());
    }
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(ConversionRunTest, NoSourceIsEverWritten)
{
    // A queued .avi whose output would be itself, and a file whose output would
    // land on another queued source; both are refused before ffmpeg runs.
    const QString clip = flv(QStringLiteral("x.flv"));
    const QString selfTarget = out + QStringLiteral("/self.avi");
    const QString otherSource = out + QStringLiteral("/x.avi");
    QFile::copy(clip, selfTarget);
    QFile::copy(clip, otherSource);
    const QByteArray before = digest(clip);
    queue().append(selfTarget, QStringLiteral("2"));
    queue().append(clip, QStringLiteral("2"));
    queue().append(otherSource, QStringLiteral("2"));

    // Two sources of the same name: the later output replaces the earlier.
    QDir().mkpath(src + QStringLiteral("/other"));
    const QString twin = src + QStringLiteral("/other/twin.flv");
    MakeFlv(twin, 1.0, {32, 24});
    QFile::copy(clip, src + QStringLiteral("/twin.flv"));
    queue().append(src + QStringLiteral("/twin.flv"), QStringLiteral("2"));
    queue().append(twin, QStringLiteral("2"));

    frm.EzRgnBtn3Click();
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(queue().progress(0), "Failed");
    EXPECT_TRUE(tooltip(0).contains("would overwrite a source file"));
    EXPECT_EQ(queue().progress(1), "Failed");
    EXPECT_EQ(queue().progress(2), "Failed"); // its own output is itself too
    EXPECT_EQ(digest(selfTarget), before);
    EXPECT_EQ(digest(otherSource), before);
    EXPECT_EQ(digest(clip), before);

    EXPECT_EQ(queue().progress(3), "Done");
    EXPECT_EQ(queue().progress(4), "Done");
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"), {"-v", "error", "-select_streams", "v", "-show_entries", "stream=width",
                                            "-of", "csv=p=0", out + "/twin.avi"});
    probe.waitForFinished(30000);
    EXPECT_EQ(probe.readAllStandardOutput().trimmed(), "32");
}

TEST_F(ConversionRunTest, ARunStartThatCannotBeginLeavesTheRowPending)
{
    queue().append(flv(QStringLiteral("a.flv")), QStringLiteral("abc"));
    frm.EzRgnBtn3Click();
    EXPECT_EQ(prompts.texts(Prompt::Kind::Error), QStringList{"'abc' is not a valid integer value."});
    EXPECT_EQ(queue().progress(0), "Pending");
    EXPECT_FALSE(state().Busy);
    EXPECT_EQ(frm.conversion().runningProcessId(), 0);
}

TEST_F(ConversionRunTest, MissingFfmpegIsNamedOnceAndNothingIsDone)
{
    // Started with a PATH that has no ffmpeg, as on a system without the package.
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(PathWithout({QStringLiteral("ffmpeg")}, home.root() + QStringLiteral("/bin"))));
    TfrmMain without;
    qputenv("PATH", savedPath);
    EXPECT_TRUE(without.state().FfmpegExe.isEmpty());
    without.state().WorkDir = out;
    without.queue().append(flv(QStringLiteral("a.flv")), QStringLiteral("2"));
    without.queue().append(flv(QStringLiteral("b.flv")), QStringLiteral("2"));

    without.EzRgnBtn4Click();
    const QStringList errors = prompts.texts(Prompt::Kind::Error);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().contains("Cannot find the program \"ffmpeg\""));
    EXPECT_TRUE(errors.first().contains("package \"ffmpeg\""));
    EXPECT_FALSE(without.state().Busy);
    EXPECT_EQ(without.queue().progress(0), "Pending");
    EXPECT_EQ(without.queue().progress(1), "Pending");
    EXPECT_TRUE(QDir(out).isEmpty());
}

TEST_F(ConversionRunTest, CrashedKilledOrSilentFfmpegFailsTheRow)
{
    const QString clip = flv(QStringLiteral("a.flv"));
    queue().append(clip, QStringLiteral("2"));
    state().FfmpegExe = standIn(QStringLiteral("crash"));
    frm.EzRgnBtn3Click();
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(queue().progress(0), "Failed");
    EXPECT_TRUE(tooltip(0).contains("killed or crashed"));

    // Exit code 0 without an output is no success.
    queue().append(clip, QStringLiteral("2"));
    state().FfmpegExe = standIn(QStringLiteral("exit 0"));
    frm.EzRgnBtn3Click();
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(queue().progress(1), "Failed");
    EXPECT_TRUE(tooltip(1).contains("no output file"));

    // A program file the system cannot run.
    const QString notRunnable = home.root() + QStringLiteral("/not-runnable");
    QFile garbage(notRunnable);
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(64, '\xAB'));
    garbage.close();
    garbage.setPermissions(garbage.permissions() | QFileDevice::ExeOwner);
    queue().append(clip, QStringLiteral("2"));
    state().FfmpegExe = notRunnable;
    frm.EzRgnBtn3Click();
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(queue().progress(2), "Failed");
    EXPECT_TRUE(tooltip(2).contains("could not be started")) << tooltip(2).toStdString();

    // The real ffmpeg killed mid-file; the next row still converts.
    state().FfmpegExe = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    queue().append(flv(QStringLiteral("long.flv"), 4.0), QStringLiteral("5"));
    queue().append(clip, QStringLiteral("2"));
    frm.EzRgnBtn3Click();
    const qint64 pid = frm.conversion().runningProcessId();
    ASSERT_GT(pid, 0);
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(queue().progress(3), "Failed");
    EXPECT_EQ(queue().progress(4), "Done");
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(ConversionRunTest, WhileBusyButtonsAreInertAndTicksShowProgress)
{
    state().FfmpegExe = standIn(QStringLiteral("sleep 20000"));
    queue().append(flv(QStringLiteral("a.flv")), QStringLiteral("61"));
    queue().append(flv(QStringLiteral("b.flv")), QStringLiteral("2"));
    frm.EzRgnBtn3Click();
    ASSERT_TRUE(state().Busy);
    const qint64 pid = frm.conversion().runningProcessId();
    ASSERT_GT(pid, 0);
    const QString args = state().FfmpegArgs;

    frm.EzRgnBtn4Click();
    frm.EzRgnBtn3Click();
    EXPECT_EQ(frm.conversion().profile(), ConversionProfile::DivxAvi);
    EXPECT_EQ(frm.conversion().runningProcessId(), pid);
    EXPECT_EQ(state().CurrentRow, 0);
    EXPECT_EQ(state().FfmpegArgs, args);
    EXPECT_EQ(queue().progress(1), "Pending");

    // The queue's own commands are inert too: no dialog, no row, no new folder.
    prompts.answerFile(src + "/a.flv");
    prompts.answerFolder(src);
    frm.Button1Click();
    frm.Button2Click();
    frm.Button3Click();
    frm.AddFolder(src);
    frm.ListView1->setCurrentIndex(queue().index(0, 0));
    frm.ListView1KeyDown(Qt::Key_Delete);
    EXPECT_EQ(queue().count(), 2);
    EXPECT_EQ(state().WorkDir, out);
    EXPECT_TRUE(prompts.shown().empty());

    // No output yet: ticks pass and the row keeps its text.
    TAdvancedTimer* timer = frm.conversion().timer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return timer->Intervals() >= 1; }, 5000));
    EXPECT_EQ(queue().progress(0), "Pending");
    EXPECT_TRUE(state().Busy);

    // An output appears: the next tick shows its share of the expected size.
    QFile output(state().TargetFile);
    ASSERT_TRUE(output.open(QIODevice::WriteOnly));
    ASSERT_TRUE(output.resize(3000000));
    output.close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return queue().progress(0) == QLatin1String("38% Done"); }, 5000));

    // The process's end, not the size, finishes the row.
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    ASSERT_TRUE(QTest::qWaitFor([&] { return queue().progress(0) == QLatin1String("Failed"); }, 5000));
    EXPECT_EQ(state().CurrentRow, 1); // the next row started at once
    ::kill(static_cast<pid_t>(frm.conversion().runningProcessId()), SIGKILL);
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_FALSE(state().Busy);
}

TEST(ConversionRunDetach, DetachedFfmpegOutlivesTheWindow)
{
    FreshHome home;
    Prompt::Script prompts;
    const QString fake = home.root() + QStringLiteral("/fake-ffmpeg");
    QFile script(fake);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\nexec \"%1\" sleep 20000\n").arg(BinPath("processtestapp")).toUtf8());
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);

    qint64 pid = 0;
    {
        TfrmMain frm;
        frm.state().FfmpegExe = fake;
        frm.queue().append(home.root() + QStringLiteral("/a.flv"), QStringLiteral("2"));
        frm.EzRgnBtn3Click();
        pid = frm.conversion().runningProcessId();
        ASSERT_GT(pid, 0);
        frm.conversion().detachRunning();
        EXPECT_EQ(frm.conversion().runningProcessId(), 0);
        EXPECT_EQ(frm.conversion().timer(), nullptr);
    }
    EXPECT_EQ(::kill(static_cast<pid_t>(pid), 0), 0) << "the detached process was ended with the window";
    ::kill(static_cast<pid_t>(pid), SIGKILL);
}

} // namespace
