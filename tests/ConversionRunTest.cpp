#include "core/StartUp.h"
#include "engine/ConversionProfile.h"
#include "engine/ConversionRun.h"
#include "engine/RunSchedule.h"
#include "queue/DurationProbe.h"
#include "queue/FindFile.h"
#include "queue/ParallelProbe.h"
#include "queue/QueueActions.h"
#include "model/Settings.h"
#include "model/Tools.h"
#include "model/QueueModel.h"
#include "platform/Error.h"
#include "platform/Prompt.h"
#include "support/QtPrinters.h"
#include "support/OwnTmpfs.h"
#include "support/StalledSource.h"
#include "support/TestEnv.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <QMap>
#include <QRegularExpression>

#include <csignal>
#include <functional>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

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
    p.start(
        QStringLiteral("mediainfo"),
        {QStringLiteral("--Inform=Video;%Format%|%CodecID%|%FrameRate%|\nAudio;%SamplingRate%|%Channel(s)%"), path});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// What ffprobe says of a file: "format|seconds", the seconds rounded.
QString AviLength(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("ffprobe"),
            {"-v", "error", "-show_entries", "format=format_name,duration", "-of", "default=nw=1:nk=1", path});
    p.waitForFinished(30000);
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    if (lines.size() != 2)
        return QStringLiteral("unreadable");
    return lines.at(0) + QLatin1Char('|') + QString::number(qRound(lines.at(1).toDouble()));
}

// The files in a folder, hidden ones too: name -> what ffprobe says of it, or
// "kept" for a file whose bytes are those given.
QMap<QString, QString> FolderContents(const QString& folder, const QMap<QString, QByteArray>& kept = {})
{
    QMap<QString, QString> contents;
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QString path = folder + QLatin1Char('/') + name;
        contents[name]
            = kept.contains(name) && digest(path) == QCryptographicHash::hash(kept[name], QCryptographicHash::Sha1)
                  ? QStringLiteral("kept")
                  : AviLength(path);
    }
    return contents;
}

class ConversionRunTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(src);
        QDir().mkpath(out);
        // What stops a run between presses ends in the error box, as in the window.
        QObject::connect(&run, &ConversionRun::failed, [](const QString& text) { Prompt::errorBox(text); });
        StartUp::FindTools(tools);
        settings.WorkDir = out;
        ASSERT_FALSE(tools.FfmpegExe.isEmpty()) << "ffmpeg is needed on PATH";
    }

    QueueModel& queue() { return q; }
    // A press on a conversion button: errors end in the error box, as at the window's handler.
    void press(ConversionProfile profile)
    {
        RunGuarded([&] {
            if (!run.Begin(profile))
                Prompt::message(ConversionRun::NoOutputFolderText());
        });
    }

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
        f.write(QStringLiteral("#!/bin/sh\nexec \"%1\" %2\n")
                    .arg(BinPath(QStringLiteral("processtestapp")), mode)
                    .toUtf8());
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        return path;
    }

    bool waitUntilIdle(int ms = 60000)
    {
        return QTest::qWaitFor(
            [&] {
                if (run.busy())
                    return false;
                for (int row = 0; row < queue().count(); ++row)
                    if (queue().progress(row) == QLatin1String("Pending"))
                        return false;
                return true;
            },
            ms);
    }

    // Queued as Add FLV File queues it: measured by the real probe.
    void queueMeasured(const QString& path)
    {
        StartUp::UsePrivateTempFolder(tools);
        TFindFile finder;
        QueueActions actions(settings, tools, q, finder);
        actions.AddFlvFile(path);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !actions.isAdding(); }, 60000));
        ASSERT_GT(q.count(), 0);
        ASSERT_GT(q.milliseconds(q.count() - 1), 0) << path.toStdString();
    }

    // The real ffmpeg, quietly; false when it failed.
    bool ffmpeg(const QStringList& args)
    {
        return QProcess::execute(tools.FfmpegExe, QStringList{"-nostdin", "-loglevel", "error", "-y"} + args) == 0;
    }

    QString tooltip(int row) { return q.data(q.index(row, QueueModel::ColProgress), Qt::ToolTipRole).toString(); }

    // No row, and empty source and output folders, for the next case of a table.
    void startAfresh()
    {
        while (q.count() > 0)
            q.remove(0);
        QDir(src).removeRecursively();
        QDir().mkpath(src);
        QDir().mkpath(out);
    }

    // Every row's Progress text, and the first row's reason matched against a pattern.
    void expectStatesAndReason(const QStringList& states, const QString& pattern)
    {
        QStringList shown;
        for (int row = 0; row < q.count(); ++row)
            shown << q.progress(row);
        EXPECT_EQ(shown, states);
        const QString reason = tooltip(0).section('\n', 0, 0);
        EXPECT_TRUE(QRegularExpression(pattern).match(reason).hasMatch()) << reason.toStdString();
    }

    FreshHome home;
    Prompt::Script prompts;
    QString src = home.root() + QStringLiteral("/src");
    QString out = home.root() + QStringLiteral("/out");
    Settings settings;
    Tools tools;
    QueueModel q;
    ConversionRun run{settings, tools, q};
};

TEST_F(ConversionRunTest, DivxButtonConvertsWithTheDivxProfile)
{
    queue().append(flv(QStringLiteral("clip one.flv")), 2);
    press(ConversionProfile::DivxAvi);

    // What the run start leaves while ffmpeg works.
    EXPECT_TRUE(run.busy());
    EXPECT_EQ(run.runningRows(), QList<int>{0});
    EXPECT_EQ(queue().output(0), out + "/clip one.avi");
    const QList<TAdvancedTimer*> timers = run.findChildren<TAdvancedTimer*>();
    ASSERT_EQ(timers.size(), 1);
    // ffmpeg writes a file of ours that has no name in the folder until it has finished.
    ASSERT_EQ(run.partialFiles().size(), 1);
    EXPECT_EQ(timers[0]->Buddy(), run.partialFiles()[0]);
    EXPECT_TRUE(QFileInfo::exists(run.partialFiles()[0]));
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList());
    EXPECT_EQ(timers[0]->Interval(), 500u);

    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(queue().progress(0), "Done");
    EXPECT_EQ(queue().convertedFile(0), "AVI");
    EXPECT_EQ(Described(out + "/clip one.avi"), "MPEG-4 Visual|DIVX|25.000|44100|2");
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden), QStringList{"clip one.avi"});
    // The finished file's timer is gone, and no message was needed.
    EXPECT_TRUE(QTest::qWaitFor([&] { return run.findChildren<TAdvancedTimer*>().isEmpty(); }, 2000));
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(ConversionRunTest, XvidRunKeepsItsProfileForEveryFile)
{
    const QString clip = flv(QStringLiteral("a.flv"));
    for (const char* name : {"a.flv", "b.flv", "c.flv"}) {
        QFile::copy(clip, src + QLatin1Char('/') + QLatin1String(name));
        queue().append(src + QLatin1Char('/') + QLatin1String(name), 2);
    }
    QSignalSpy finished(&run, &ConversionRun::rowFinished);
    press(ConversionProfile::XvidAvi);
    ASSERT_TRUE(waitUntilIdle());

    ASSERT_EQ(finished.size(), 3);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(finished.at(row).at(0).value<quint64>(), queue().id(row));
        EXPECT_EQ(queue().progress(row), "Done");
        const QString output = out + QLatin1Char('/') + QChar('a' + row) + QStringLiteral(".avi");
        EXPECT_EQ(Described(output), "MPEG-4 Visual|XVID|25.000|44100|2") << output.toStdString();
    }
}

TEST_F(ConversionRunTest, RunTakesOnlyPendingRowsTopToBottom)
{
    const QString clip = flv(QStringLiteral("clip.flv"));
    for (const char* name : {"done1", "second", "done3", "fourth"}) {
        const QString path = src + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".flv");
        QFile::copy(clip, path);
        queue().append(path, 2);
    }
    queue().setState(0, RowState::Done);
    queue().setState(2, RowState::Done);
    QSignalSpy finished(&run, &ConversionRun::rowFinished);
    QSignalSpy ended(&run, &ConversionRun::runEnded);

    press(ConversionProfile::DivxAvi);
    ASSERT_TRUE(waitUntilIdle());
    ASSERT_EQ(finished.size(), 2);
    EXPECT_EQ(finished.at(0).at(0).value<quint64>(), queue().id(1));
    EXPECT_EQ(finished.at(1).at(0).value<quint64>(), queue().id(3));
    EXPECT_EQ(ended.size(), 1);
    EXPECT_TRUE(QFile::exists(out + "/second.avi"));
    EXPECT_TRUE(QFile::exists(out + "/fourth.avi"));
    EXPECT_FALSE(QFile::exists(out + "/done1.avi"));
    EXPECT_FALSE(QFile::exists(out + "/done3.avi"));

    // A press with nothing left to do changes nothing and starts nothing.
    press(ConversionProfile::XvidAvi);
    EXPECT_FALSE(run.busy());
    EXPECT_TRUE(run.runningProcessIds().isEmpty());
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
    queue().append(damaged, 2);
    queue().append(src + QStringLiteral("/gone.flv"), 2);
    queue().append(good, 2);

    press(ConversionProfile::DivxAvi);
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(queue().progress(0), "Failed");
    EXPECT_EQ(queue().convertedFile(0), "");
    // What ffmpeg's words on the source mean, not its closing "Conversion failed!"; its words behind.
    EXPECT_TRUE(tooltip(0).startsWith("ffmpeg finds no playable stream in it\nffmpeg said: " + damaged
                                      + ": could not find codec parameters\n"))
        << tooltip(0).toStdString();
    EXPECT_EQ(queue().progress(1), "Failed");
    EXPECT_EQ(tooltip(1).section('\n', 0, 0), "there is no such file or folder");
    EXPECT_EQ(queue().progress(2), "Done");
    EXPECT_TRUE(tooltip(2).isEmpty());
    EXPECT_EQ(digest(damaged), QCryptographicHash::hash(damagedBytes, QCryptographicHash::Sha1));

    for (const QString& workDir : {home.root() + QStringLiteral("/missing"), good}) {
        settings.WorkDir = workDir;
        queue().append(good, 2);
        const int row = queue().count() - 1;
        press(ConversionProfile::DivxAvi);
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
    queue().append(selfTarget, 2);
    queue().append(clip, 2);
    queue().append(otherSource, 2);

    // Two sources of the same name: the later gets a name of its own.
    QDir().mkpath(src + QStringLiteral("/other"));
    const QString twin = src + QStringLiteral("/other/twin.flv");
    MakeFlv(twin, 1.0, {32, 24});
    QFile::copy(clip, src + QStringLiteral("/twin.flv"));
    queue().append(src + QStringLiteral("/twin.flv"), 2);
    queue().append(twin, 2);

    press(ConversionProfile::DivxAvi);
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(queue().progress(0), "Failed");
    EXPECT_TRUE(tooltip(0).contains("would overwrite a source file"));
    EXPECT_EQ(queue().progress(1), "Failed");
    // Its own name was given to the row before it, so it gets a name of its own.
    EXPECT_EQ(queue().progress(2), "Done");
    EXPECT_EQ(queue().output(2), out + "/x (2).avi");
    EXPECT_EQ(digest(selfTarget), before);
    EXPECT_EQ(digest(otherSource), before);
    EXPECT_EQ(digest(clip), before);

    EXPECT_EQ(queue().progress(3), "Done");
    EXPECT_EQ(queue().progress(4), "Done");
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"), {"-v", "error", "-select_streams", "v", "-show_entries", "stream=width",
                                            "-of", "csv=p=0", out + "/twin (2).avi"});
    probe.waitForFinished(30000);
    EXPECT_EQ(probe.readAllStandardOutput().trimmed(), "32");
    EXPECT_EQ(queue().output(4), out + "/twin (2).avi");
}

TEST_F(ConversionRunTest, NoRunWithoutAnOutputFolder)
{
    queue().append(flv(QStringLiteral("a.flv")), 2);
    for (const QString& none : {QString(), QStringLiteral("  ")}) {
        settings.WorkDir = none;
        press(ConversionProfile::DivxAvi);
        EXPECT_FALSE(run.busy());
        EXPECT_EQ(queue().progress(0), "Pending");
    }
    EXPECT_EQ(prompts.texts(Prompt::Kind::Message),
              QStringList(2, QStringLiteral("Choose an output folder with Browse first.")));
    EXPECT_TRUE(QDir(out).isEmpty());
}

TEST_F(ConversionRunTest, MissingFfmpegIsNamedOnceAndNothingIsDone)
{
    // Started with a PATH that has no ffmpeg, as on a system without the package.
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(PathWithout({QStringLiteral("ffmpeg")}, home.root() + QStringLiteral("/bin"))));
    StartUp::FindTools(tools);
    qputenv("PATH", savedPath);
    EXPECT_TRUE(tools.FfmpegExe.isEmpty());
    queue().append(flv(QStringLiteral("a.flv")), 2);
    queue().append(flv(QStringLiteral("b.flv")), 2);

    press(ConversionProfile::XvidAvi);
    const QStringList errors = prompts.texts(Prompt::Kind::Error);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors.first().contains("Cannot find the program \"ffmpeg\""));
    EXPECT_TRUE(errors.first().contains("package \"ffmpeg\""));
    EXPECT_FALSE(run.busy());
    EXPECT_EQ(queue().progress(0), "Pending");
    EXPECT_EQ(queue().progress(1), "Pending");
    EXPECT_TRUE(QDir(out).isEmpty());
}

TEST_F(ConversionRunTest, CrashedKilledOrSilentFfmpegFailsTheRow)
{
    const QString clip = flv(QStringLiteral("a.flv"));
    queue().append(clip, 2);
    tools.FfmpegExe = standIn(QStringLiteral("crash"));
    press(ConversionProfile::DivxAvi);
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(queue().progress(0), "Failed");
    EXPECT_EQ(tooltip(0).section('\n', 0, 0), "ffmpeg was ended by signal 11 (SIGSEGV)");

    // Exit code 0 without an output is no success.
    queue().append(clip, 2);
    tools.FfmpegExe = standIn(QStringLiteral("exit 0"));
    press(ConversionProfile::DivxAvi);
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
    queue().append(clip, 2);
    tools.FfmpegExe = notRunnable;
    press(ConversionProfile::DivxAvi);
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(queue().progress(2), "Failed");
    EXPECT_TRUE(tooltip(2).contains("could not be started")) << tooltip(2).toStdString();

    // The real ffmpeg killed mid-file; the next row still converts.
    tools.FfmpegExe = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    queue().append(flv(QStringLiteral("long.flv"), 4.0), 5);
    queue().append(clip, 2);
    press(ConversionProfile::DivxAvi);
    const qint64 pid = run.runningProcessIds().value(0);
    ASSERT_GT(pid, 0);
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(queue().progress(3), "Failed");
    EXPECT_EQ(tooltip(3).section('\n', 0, 0), "ffmpeg was ended by signal 9 (SIGKILL)");
    EXPECT_EQ(queue().progress(4), "Done");
    EXPECT_TRUE(prompts.shown().empty());
}

// A tool that hangs (a stalled network mount, a broken build) is ended once
// its limit has passed, its file fails saying so, and the files after it go on.
TEST_F(ConversionRunTest, HungToolsAreEndedAndTheRestGoesOn)
{
    tools.FfmpegSilenceMs = 1000;
    tools.MediaInfoSilenceMs = 1000;
    const char* stalled = "^ffmpeg reported no progress for 1 s and was ended$";
    struct Case
    {
        const char* name;
        QString ffmpeg; // empty: the real one
        bool fifoSource;
        const char* reason; // both rows', as a pattern
    };
    const Case cases[] = {
        {"an ffmpeg that never reports", standIn("sleep 600000"), false, stalled},
        {"an ffmpeg that reports once, then hangs", standIn("report 0 1000 600000"), false, stalled},
        {"a source swapped for a FIFO after it was measured", {}, true, "^it is not a file$"},
    };
    const QString real = tools.FfmpegExe;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startAfresh();
        tools.FfmpegExe = c.ffmpeg.isEmpty() ? real : c.ffmpeg;
        for (const char* name : {"a.flv", "b.flv"}) {
            const QString path = flv(name);
            if (c.fifoSource) {
                QFile::remove(path);
                ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
            }
            q.append(path, 2);
        }
        press(ConversionProfile::DivxAvi);
        const QList<qint64> started = run.runningProcessIds();
        ASSERT_TRUE(waitUntilIdle(30000));
        EXPECT_EQ(q.progress(0), "Failed");
        EXPECT_EQ(q.progress(1), "Failed");
        for (int row : {0, 1}) {
            const QString reason = tooltip(row).section('\n', 0, 0);
            EXPECT_TRUE(QRegularExpression(c.reason).match(reason).hasMatch()) << reason.toStdString();
        }
        for (const qint64 pid : started)
            EXPECT_FALSE(QFileInfo::exists("/proc/" + QString::number(pid))) << "a hung ffmpeg was left running";
        EXPECT_TRUE(QDir(out).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }
    tools.FfmpegExe = real;

    // A mediainfo that hangs on one file holds back the one after it only until its limit.
    StartUp::UsePrivateTempFolder(tools);
    const QString stuck = flv("stuck.flv");
    const QString good = flv("good.flv");
    const QString hanging = home.root() + "/hanging-mediainfo";
    QFile script(hanging);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\ncase \"$*\" in *stuck*) exec sleep 600;; esac\nexec '"
                 + QFile::encodeName(tools.MediaInfoExe) + "' \"$@\"\n");
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    tools.MediaInfoExe = hanging;
    ParallelProbe probe(DurationProbe::For(tools), {stuck, good}, 1);
    QStringList answers;
    QObject::connect(&probe, &ParallelProbe::answered, [&](int, const ProbeOutcome& outcome) {
        try {
            answers << outcome.get().value_or("(none)");
        } catch (const VantrelError& e) {
            answers << e.text();
        }
    });
    probe.Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.size() == 2; }, 30000));
    EXPECT_EQ(answers.value(0), "mediainfo gave no answer in 1 s and was ended");
    EXPECT_TRUE(answers.value(1).startsWith("00:00:01")) << answers.value(1).toStdString();
}

TEST_F(ConversionRunTest, WhileBusyPressesAreInertAndTicksShowProgress)
{
    // A stand-in that reports 30 s converted after a while, then closes its
    // report early and converts on silently.
    tools.FfmpegExe = standIn(QStringLiteral("report 1500 30000000 20000"));
    queue().append(flv(QStringLiteral("a.flv")), 61);
    queue().append(flv(QStringLiteral("b.flv")), 2);
    press(ConversionProfile::DivxAvi);
    ASSERT_TRUE(run.busy());
    const qint64 pid = run.runningProcessIds().value(0);
    ASSERT_GT(pid, 0);

    press(ConversionProfile::XvidAvi);
    press(ConversionProfile::DivxAvi);
    EXPECT_EQ(run.profile(), ConversionProfile::DivxAvi);
    EXPECT_EQ(run.runningProcessIds(), QList<qint64>{pid});
    EXPECT_EQ(run.runningRows(), QList<int>{0});
    EXPECT_EQ(queue().progress(1), "Pending");

    EXPECT_TRUE(prompts.shown().empty());

    // No report yet: ticks pass and the row keeps its text.
    ASSERT_EQ(run.findChildren<TAdvancedTimer*>().size(), 1);
    TAdvancedTimer* timer = run.findChildren<TAdvancedTimer*>()[0];
    ASSERT_TRUE(QTest::qWaitFor([&] { return timer->Intervals() >= 1; }, 5000));
    EXPECT_EQ(queue().progress(0), "Pending");
    EXPECT_TRUE(run.busy());

    // A report comes: a tick shows the share of the probed duration, and keeps
    // it after the report has closed.
    ASSERT_TRUE(QTest::qWaitFor([&] { return queue().progress(0) == QLatin1String("49% Done"); }, 5000));
    const int ticks = timer->Intervals();
    ASSERT_TRUE(QTest::qWaitFor([&] { return timer->Intervals() >= ticks + 2; }, 5000));
    EXPECT_EQ(queue().progress(0), "49% Done");

    // The process's end, not the report, finishes the row.
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    ASSERT_TRUE(QTest::qWaitFor([&] { return queue().progress(0) == QLatin1String("Failed"); }, 5000));
    EXPECT_EQ(run.runningRows(), QList<int>{1}); // the next row started at once
    ::kill(static_cast<pid_t>(run.runningProcessIds().value(0)), SIGKILL);
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_FALSE(run.busy());
}

TEST_F(ConversionRunTest, ProgressIsFfmpegsOwnShareOfTheProbedDuration)
{
    // The real ffmpeg, reading at eight times the source's speed, so that
    // ticks fall while it converts.
    const QString paced = home.root() + QStringLiteral("/paced-ffmpeg");
    QFile script(paced);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("#!/bin/sh\nexec \"%1\" -readrate 8 \"$@\"\n").arg(tools.FfmpegExe).toUtf8());
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    tools.FfmpegExe = paced;

    queue().append(flv(QStringLiteral("twenty.flv"), 20.0), 21); // as Add stores 20 s
    queue().append(flv(QStringLiteral("unknown.flv")), 0);       // nothing to divide by
    QList<QStringList> shown(2);
    QObject::connect(&q, &QueueModel::dataChanged, [&](const QModelIndex& from, const QModelIndex& to) {
        for (int row = from.row(); row <= to.row() && row < 2; ++row)
            if (shown[row].value(shown[row].size() - 1, QStringLiteral("Pending")) != q.progress(row))
                shown[row] << q.progress(row);
    });
    press(ConversionProfile::DivxAvi);
    ASSERT_TRUE(waitUntilIdle());

    const QStringList& texts = shown[0];
    ASSERT_GE(texts.size(), 3) << texts.join(" | ").toStdString();
    EXPECT_EQ(texts.constLast(), "Done");
    int previous = -1;
    for (const QString& text : texts.mid(0, texts.size() - 1)) {
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^(\\d+)% Done$")).match(text);
        ASSERT_TRUE(m.hasMatch()) << text.toStdString();
        const int percent = m.captured(1).toInt();
        EXPECT_GT(percent, previous) << texts.join(" | ").toStdString();
        EXPECT_LE(percent, 99);
        previous = percent;
    }
    EXPECT_GE(previous, 80) << texts.join(" | ").toStdString();
    // Without a duration the row waits as "Pending" and goes straight to its end.
    EXPECT_EQ(shown[1], QStringList{"Done"});
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(ConversionRunTest, SideBySideRowsEndByTheirOwnProcess)
{
    // Rows whose ffmpeg has begun and waits on its source until the test lets it go.
    MakeFlv(home.root() + "/long.flv", 10.0);
    const QByteArray head = StalledSource::HeadOf(home.root() + "/long.flv");
    tools.FfmpegExe = StalledSource::Ffmpeg(home.root());
    std::vector<std::unique_ptr<StalledSource>> stalled;
    auto stall = [&](const QString& path) {
        QDir().mkpath(QFileInfo(path).path());
        stalled.push_back(std::make_unique<StalledSource>(path));
        q.append(path, StalledSource::QueuedSeconds);
    };
    auto begun = [&](int first) {
        for (size_t i = first; i < stalled.size(); ++i)
            if (!stalled[i]->feed(head))
                return false;
        return QTest::qWaitFor(
            [&] {
                const QStringList partials = run.partialFiles();
                return partials.size() == 2 && OpenedForWriting(partials[0]) && OpenedForWriting(partials[1]);
            },
            30000);
    };
    const auto states = [&] {
        QStringList all;
        for (int row = 0; row < q.count(); ++row)
            all << q.progress(row);
        return all;
    };
    settings.Jobs = 2;

    // Two sources of one name start at the same moment, with a third waiting.
    stall(src + "/d1/a.flv");
    stall(src + "/d2/a.flv");
    q.append(flv("c.flv"), 2);
    press(ConversionProfile::DivxAvi);
    EXPECT_EQ(run.runningRows(), (QList<int>{0, 1}));
    EXPECT_EQ(q.output(0), out + "/a.avi");
    EXPECT_EQ(q.output(1), out + "/a (2).avi");
    EXPECT_EQ(q.progress(2), "Pending");
    ASSERT_TRUE(begun(0));

    // One is killed: its row fails alone, and the waiting row takes its place
    // at once and finishes while the other still runs.
    const QList<qint64> pids = run.runningProcessIds();
    ASSERT_EQ(pids.size(), 2);
    ::kill(static_cast<pid_t>(pids[0]), SIGKILL);
    ASSERT_TRUE(QTest::qWaitFor([&] { return q.progress(2) == QLatin1String("Done"); }, 30000))
        << states().join(' ').toStdString();
    EXPECT_EQ(q.progress(0), "Failed");
    EXPECT_EQ(run.runningRows(), QList<int>{1});
    EXPECT_EQ(run.runningProcessIds(), QList<qint64>{pids[1]});
    EXPECT_TRUE(run.busy());
    stalled[1]->close(); // its source ends, and so does its conversion, well
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(states(), (QStringList{"Failed", "Done", "Done"}));
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden), (QStringList{"a (2).avi", "c.avi"}));

    // Stopping ends every running conversion, group and file, and starts nothing.
    stall(src + "/d3/e.flv");
    stall(src + "/d4/f.flv");
    q.append(src + "/c.flv", 2);
    press(ConversionProfile::DivxAvi);
    ASSERT_TRUE(begun(2));
    const QList<qint64> stopped = run.runningProcessIds();
    ASSERT_EQ(stopped.size(), 2);
    run.Abort();
    EXPECT_FALSE(run.busy());
    EXPECT_TRUE(run.runningRows().isEmpty());
    for (const qint64 pid : stopped)
        EXPECT_NE(::kill(static_cast<pid_t>(pid), 0), 0) << "ffmpeg " << pid << " outlived the stop";
    EXPECT_EQ(states().mid(3), (QStringList{"Failed", "Failed", "Pending"}));
    EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden), (QStringList{"a (2).avi", "c.avi"}));
    EXPECT_TRUE(prompts.shown().empty());
}

// Side by side the longest file starts first, wherever it stands in the
// queue, and every encoder's threads leave its output the very video a
// single-threaded ffmpeg makes of its source: as many frames of the same size.
TEST_F(ConversionRunTest, OrderAndThreadsLeaveEveryOutputWhole)
{
    const auto video = [](const QString& path) {
        QProcess p;
        p.start(QStringLiteral("mediainfo"), {QStringLiteral("--Inform=Video;%FrameCount%|%Width%x%Height%"), path});
        p.waitForFinished(30000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    };
    settings.Jobs = 2;
    const QString reference = home.root() + QStringLiteral("/reference.avi");
    for (const ConversionProfile profile : {ConversionProfile::DivxAvi, ConversionProfile::XvidAvi}) {
        SCOPED_TRACE(static_cast<int>(profile));
        startAfresh();
        const QStringList sources{src + "/a.flv", src + "/b.flv", src + "/long.flv"};
        for (int i = 0; i < sources.size(); ++i) {
            const double seconds = i == 2 ? 3.0 : 1.0;
            MakeFlv(sources[i], seconds, {320, 240});
            q.append(sources[i], static_cast<qint64>(seconds) + 1, static_cast<qint64>(seconds * 1000));
        }
        press(profile);
        EXPECT_EQ(run.runningRows(), (QList<int>{2, 0})) << "the long file named last starts first";
        ASSERT_TRUE(waitUntilIdle());
        for (int row = 0; row < q.count(); ++row) {
            ASSERT_EQ(q.progress(row), "Done") << q.failureDetail(row).toStdString();
            QProcess ffmpeg;
            ffmpeg.start(tools.FfmpegExe, ConversionProfiles::FfmpegArguments(profile, sources[row], reference, 1));
            ASSERT_TRUE(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0);
            const QString made = video(q.output(row));
            EXPECT_FALSE(made.isEmpty());
            EXPECT_EQ(made, video(reference)) << q.output(row).toStdString();
        }
    }

    // A long file alone has its sound encoded by a second ffmpeg: the same
    // sound to the byte and the same pictures (one ffmpeg alone moves them a
    // frame later for the sound encoder's delay, writing an empty frame
    // first); without sound, one ffmpeg converts it after all.
    const auto run = [&](const QString& program, const QStringList& arguments) {
        QProcess p;
        p.start(program, arguments);
        p.waitForFinished(30000);
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    };
    const auto sound = [&](const QString& path) {
        return run(tools.FfmpegExe, {"-v", "error", "-i", path, "-map", "0:a", "-c", "copy", "-f", "md5", "-"});
    };
    const auto pictures = [&](const QString& path) {
        return run(QStringLiteral("ffprobe"), {"-v", "error", "-count_frames", "-select_streams", "v", "-show_entries",
                                               "stream=nb_read_frames,width,height", "-of", "csv=p=0", path});
    };
    const qint64 longMs = RunSchedule::SoundBesideFromMs + 1000;
    for (const bool withSound : {true, false}) {
        SCOPED_TRACE(withSound ? "with sound" : "without sound");
        startAfresh();
        const QString source = src + QStringLiteral("/alone.flv");
        MakeFlv(source, longMs / 1000.0, {160, 120}, withSound);
        q.append(source, longMs / 1000 + 1, longMs);
        press(ConversionProfile::DivxAvi);
        ASSERT_TRUE(waitUntilIdle());
        ASSERT_EQ(q.progress(0), "Done") << q.failureDetail(0).toStdString();
        QProcess ffmpeg;
        ffmpeg.start(tools.FfmpegExe,
                     ConversionProfiles::FfmpegArguments(ConversionProfile::DivxAvi, source, reference, 1));
        ASSERT_TRUE(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0);
        EXPECT_EQ(pictures(q.output(0)), pictures(reference));
        EXPECT_EQ(sound(q.output(0)), sound(reference));
        EXPECT_EQ(sound(reference).isEmpty(), !withSound);
    }
}

// Short files share one ffmpeg; each output is the file one ffmpeg alone
// writes, and whatever ends a shared ffmpeg early, each of its files is
// converted again alone, so only a file's own fault or stop fails its row.
TEST_F(ConversionRunTest, ShortFilesSharingAnFfmpegEndEachByTheirOwnFile)
{
    settings.Jobs = 2;
    const QString reference = home.root() + QStringLiteral("/reference.avi");
    struct Case
    {
        const char* name;
        ConversionProfile profile;
        int badRow;                   // a source ffmpeg cannot read; -1 none
        std::function<void()> during; // at once after the press
        QStringList states;
    };
    const QStringList done(6, QStringLiteral("Done"));
    const Case cases[] = {
        {"all good, divx", ConversionProfile::DivxAvi, -1, [] {}, done},
        {"all good, xvid", ConversionProfile::XvidAvi, -1, [] {}, done},
        {"one unreadable", ConversionProfile::DivxAvi, 4, [] {}, {"Done", "Done", "Done", "Done", "Failed", "Done"}},
        {"one stopped, its group going on",
         ConversionProfile::DivxAvi,
         -1,
         [&] {
             const QList<qint64> ffmpegs = run.runningProcessIds();
             EXPECT_TRUE(run.Stop(1));
             EXPECT_EQ(q.progress(1), "Failed");
             EXPECT_EQ(run.runningProcessIds(), ffmpegs);
         },
         {"Done", "Failed", "Done", "Done", "Done", "Done"}},
        {"ffmpeg killed from outside", ConversionProfile::DivxAvi, -1,
         [&] { ::kill(static_cast<pid_t>(run.runningProcessIds().value(0)), SIGKILL); }, done},
        {"ffmpeg hung, ended by the watchdog", ConversionProfile::DivxAvi, -1,
         [&] { ::kill(static_cast<pid_t>(run.runningProcessIds().value(0)), SIGSTOP); }, done},
    };
    // Long enough for any start under load, short enough for the hung case.
    tools.FfmpegSilenceMs = 3000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startAfresh();
        QDir(out).removeRecursively();
        QDir().mkpath(out);
        QStringList sources;
        for (int row = 0; row < 6; ++row) {
            sources << src + QStringLiteral("/clip %1.flv").arg(row);
            if (row == c.badRow) {
                QFile f(sources.last());
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
                f.write(QByteArray(4096, 'x'));
            } else {
                // Some without sound, one of another size.
                MakeFlv(sources.last(), 1.0, row == 2 ? QSize(176, 144) : QSize(160, 120), row % 3 != 1);
            }
            q.append(sources.last(), 2, 1000, {}, 160 * 120);
        }
        press(c.profile);
        EXPECT_EQ(run.runningProcessIds().size(), 2);
        EXPECT_GT(run.runningRows().size(), 2) << "files share an ffmpeg";
        c.during();
        ASSERT_TRUE(waitUntilIdle());
        QStringList states;
        for (int row = 0; row < q.count(); ++row)
            states << q.progress(row);
        EXPECT_EQ(states, c.states);
        for (int row = 0; row < q.count(); ++row) {
            const QString why = q.failureDetail(row);
            if (row == c.badRow) {
                EXPECT_TRUE(why.contains(QLatin1String("Invalid data"))) << why.toStdString();
                EXPECT_TRUE(why.contains(sources[row])) << why.toStdString();
            }
            if (c.states[row] != QLatin1String("Done"))
                continue;
            QProcess ffmpeg;
            ffmpeg.start(tools.FfmpegExe, ConversionProfiles::FfmpegArguments(c.profile, sources[row], reference, 1));
            ASSERT_TRUE(ffmpeg.waitForFinished(60000) && ffmpeg.exitCode() == 0);
            EXPECT_EQ(digest(q.output(row)), digest(reference)) << q.output(row).toStdString();
        }
        if (c.states[1] == QLatin1String("Failed")) {
            EXPECT_EQ(q.failureDetail(1), ConversionRun::StoppedText());
        }
        // Nothing unfinished is left behind.
        EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden).size(), c.states.count("Done"));
    }
}

// Sources of odd frame size and of one stream only, a clip too short to
// measure, stream recordings whose timestamps start late and a download cut
// off convert with either profile; each AVI plays what its row measured, and
// only the cut-off source is told.
TEST_F(ConversionRunTest, OddSizesAndSingleStreamsConvertWithBothProfiles)
{
    const struct
    {
        const char* name;
        ConversionProfile profile;
        QSize size;
        bool audio;
        bool video;
        double seconds;
        const char* video4cc; // "FourCC|width x height" of the AVI's video; empty for none
        double offset = 0;    // where the timestamps start
        int keptPercent = 100;
    } cases[] = {
        {"odd Sorenson to Xvid", ConversionProfile::XvidAvi, {639, 359}, true, true, 2.0, "XVID|640x360"},
        {"odd to DivX", ConversionProfile::DivxAvi, {641, 361}, true, true, 2.0, "DIVX|642x362"},
        {"audio only to Xvid", ConversionProfile::XvidAvi, {}, true, false, 3.0, ""},
        {"video only to DivX", ConversionProfile::DivxAvi, {64, 48}, false, true, 3.0, "DIVX|64x48"},
        {"a one-second clip to Xvid", ConversionProfile::XvidAvi, {64, 48}, true, true, 1.0, "XVID|64x48"},
        {"a recording from 9.3 s to DivX", ConversionProfile::DivxAvi, {64, 48}, true, true, 4.0, "DIVX|64x48", 9.3},
        {"a recording from 600 s to Xvid", ConversionProfile::XvidAvi, {64, 48}, true, true, 4.0, "XVID|64x48", 600},
        {"a recording from 3600 s to DivX", ConversionProfile::DivxAvi, {64, 48}, true, true, 4.0, "DIVX|64x48", 3600},
        {"a download cut off, to Xvid", ConversionProfile::XvidAvi, {64, 48}, true, true, 15.3, "XVID|64x48", 0, 30},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString source = src + QStringLiteral("/clip.flv");
        MakeFlv(source, c.seconds, c.size, c.audio, c.video);
        if (c.offset > 0) {
            const QString made = src + QStringLiteral("/made.flv");
            ASSERT_TRUE(QFile::rename(source, made));
            ASSERT_TRUE(ffmpeg(
                {"-i", made, "-c", "copy", "-output_ts_offset", QString::number(c.offset), "-f", "flv", source}));
            QFile::remove(made);
        }
        if (c.keptPercent < 100) {
            ASSERT_TRUE(QFile::resize(source, QFileInfo(source).size() * c.keptPercent / 100));
        }
        queueMeasured(source);
        const int row = q.count() - 1;
        const qint64 measured = q.milliseconds(row);
        if (c.keptPercent == 100) {
            EXPECT_NEAR(measured, c.seconds * 1000, 150);
        }
        press(c.profile);
        ASSERT_TRUE(waitUntilIdle());
        EXPECT_EQ(q.progress(row), "Done") << tooltip(row).toStdString();
        if (c.keptPercent == 100) {
            EXPECT_EQ(tooltip(row), "");
        } else {
            // The header's length is the encoder's, a frame or so past 15.3 s.
            const QString pattern = QStringLiteral("^The source holds %1 s of the 15\\.\\d s its header states: it "
                                                   "may be cut off\\.$")
                                        .arg(QString::number(measured / 1000.0, 'f', 1));
            EXPECT_TRUE(QRegularExpression(pattern).match(tooltip(row)).hasMatch()) << tooltip(row).toStdString();
        }
        const QString output = q.output(row);
        QProcess info;
        info.start("mediainfo", {"--Inform=Video;%CodecID%|%Width%x%Height%", output});
        info.waitForFinished(30000);
        EXPECT_EQ(QString::fromUtf8(info.readAllStandardOutput()).trimmed(), c.video4cc);
        EXPECT_EQ(AviLength(output), QStringLiteral("avi|%1").arg(qRound(measured / 1000.0)));
        startAfresh();
    }
    EXPECT_TRUE(prompts.shown().empty());
}

// The deinterlacer works only on frames marked interlaced: an interlaced
// source comes out as with the deinterlacer on every frame, a progressive one
// as with no deinterlacer at all. Each reference is the profile's own ffmpeg
// line with only the filter chain's deinterlacer changed.
TEST_F(ConversionRunTest, OnlyFramesMarkedInterlacedAreDeinterlaced)
{
    const struct
    {
        const char* name;
        ConversionProfile profile;
        const char* codec;       // the source's video codec
        bool interlaced;         // fields of different instants, marked top field first
        const char* deinterlace; // the reference's deinterlacer, "" for none
    } cases[] = {
        {"interlaced H.264 to DivX", ConversionProfile::DivxAvi, "libx264", true, "yadif"},
        {"interlaced H.264 to Xvid", ConversionProfile::XvidAvi, "libx264", true, "yadif"},
        {"progressive Sorenson to Xvid", ConversionProfile::XvidAvi, "flv1", false, ""},
        {"progressive H.264 to DivX", ConversionProfile::DivxAvi, "libx264", false, ""},
    };
    // The decoded pictures of a file's video, one hash a frame.
    auto pictures = [&](const QString& path) {
        QProcess p;
        p.start(tools.FfmpegExe, {"-nostdin", "-v", "error", "-i", path, "-map", "0:v", "-f", "framemd5", "-"});
        p.waitForFinished(60000);
        QStringList hashes;
        for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts))
            if (!line.startsWith('#'))
                hashes << line.section(',', -1).trimmed();
        return hashes;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startAfresh();
        const QString source = src + QStringLiteral("/clip.flv");
        const QString frames = c.interlaced ? "testsrc=size=176x144:rate=50,tinterlace=mode=interleave_top,setfield=tff"
                                            : "testsrc=size=176x144:rate=25";
        QStringList make{"-f", "lavfi", "-i", frames, "-t", "1", "-c:v", c.codec};
        if (c.interlaced)
            make << "-flags"
                 << "+ilme+ildct";
        ASSERT_TRUE(ffmpeg(make + QStringList{"-f", "flv", source}));
        queueMeasured(source);
        press(c.profile);
        ASSERT_TRUE(waitUntilIdle());
        ASSERT_EQ(q.progress(0), "Done") << tooltip(0).toStdString();

        const QString reference = home.root() + QStringLiteral("/reference.avi");
        // With the run's own encoder threads: mpeg4's slices change the pictures.
        const int threads = RunSchedule(QThread::idealThreadCount()).PlanFor(1, 1000).threads;
        QStringList args = ConversionProfiles::FfmpegArguments(c.profile, source, reference, threads);
        const qsizetype vf = args.indexOf("-vf") + 1;
        ASSERT_GT(vf, 0);
        // The chain after its first filter, the deinterlacer.
        const QString rest = args.at(vf).section(',', 1);
        args[vf] = *c.deinterlace ? QLatin1String(c.deinterlace) + QLatin1Char(',') + rest : rest;
        args.remove(args.indexOf("-progress"), 2); // quiet
        ASSERT_TRUE(ffmpeg(args));
        const QStringList converted = pictures(q.output(0));
        EXPECT_GE(converted.size(), 20);
        EXPECT_EQ(converted, pictures(reference));
    }
    EXPECT_TRUE(prompts.shown().empty());
}

// Real ffmpeg failing to open its encoder, and an "ffmpeg" first on PATH that
// ends with code 0 after writing what is no good output: each row fails with
// a reason that says why, and nothing of it is kept. A conversion that plays
// somewhat short is kept with a warning.
TEST_F(ConversionRunTest, OutputsThatAreNoGoodConversionFailTheRow)
{
    const QString source = src + QStringLiteral("/three.flv");
    MakeFlv(source, 3.0);
    const QString made = home.root() + QStringLiteral("/made");
    QDir().mkpath(made);
    const QStringList divx{"-c:v", "mpeg4", "-tag:v", "DIVX", "-f", "avi"};
    ASSERT_TRUE(ffmpeg(QStringList{"-i", source} + divx + QStringList{made + "/whole.avi"}));
    ASSERT_TRUE(ffmpeg(QStringList{"-i", source, "-t", "1"} + divx + QStringList{made + "/third.avi"}));
    ASSERT_TRUE(ffmpeg(QStringList{"-i", source, "-t", "2.6"} + divx + QStringList{made + "/most.avi"}));
    ASSERT_TRUE(ffmpeg({"-i", source, "-t", "1", made + "/clip.mp4"}));
    const QString shortSource = src + QStringLiteral("/short.flv");
    MakeFlv(shortSource, 1.9);
    ASSERT_TRUE(ffmpeg(QStringList{"-i", shortSource, "-t", "0.28"} + divx + QStringList{made + "/blip.avi"}));
    auto put = [&](const QString& name, const QByteArray& bytes) {
        QFile f(made + QLatin1Char('/') + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    QByteArray random(100 * 1024, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(random.data()), random.size() / 4);
    put("random", random);
    put("empty", {});
    QFile whole(made + "/whole.avi");
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    put("cut.avi", whole.read(whole.size() * 4 / 10));

    // Writes the named file to its last argument, the output, and says all is well.
    auto writing = [&](const QString& name) {
        return QStringLiteral("#!/bin/sh\nfor last; do :; done\ncat '%1/%2' > \"$last\"\n").arg(made, name);
    };
    // The real ffmpeg, told to scale to an odd size after the profile's own filters.
    const QString oddScaling
        = QStringLiteral("#!/bin/sh\nn=$#; i=0\nfor a; do\n  i=$((i+1))\n  [ $i -eq 1 ] && set --\n"
                         "  [ $i -eq $n ] && set -- \"$@\" -s 63x47\n  set -- \"$@\" \"$a\"\ndone\n"
                         "exec '%1' \"$@\"\n")
              .arg(tools.FfmpegExe);
    // The real ffmpeg as a user who may not read the source; the folders on its way are open to all.
    const QString unprivileged
        = QStringLiteral("#!/bin/sh\nexec setpriv --reuid=65534 --regid=65534 --clear-groups '%1' \"$@\"\n")
              .arg(tools.FfmpegExe);
    const QString bin = home.root() + QStringLiteral("/bin");
    QDir().mkpath(bin);
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ':' + savedPath);
    auto installed = [&](const QString& script) {
        QFile f(bin + "/ffmpeg");
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(script.toUtf8());
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
        StartUp::FindTools(tools);
        return tools.FfmpegExe == bin + "/ffmpeg";
    };

    const struct
    {
        const char* name;
        QString script;
        const char* state;
        const char* reason;  // the row's first line, as a pattern
        QString source = {}; // the three-second source when empty
    } cases[] = {
        {"an encoder that cannot open", oddScaling, "Failed",
         "^\\[libxvid\\] Xvid: Could not create encoder reference$"},
        {"random bytes", writing("random"), "Failed", "^The output is not an AVI file: "},
        {"an empty file", writing("empty"), "Failed", "^ffmpeg wrote no output file$"},
        {"a cut AVI", writing("cut.avi"), "Failed", "^The AVI is cut off before the end its header gives$"},
        {"another format", writing("clip.mp4"), "Failed", "^The output is not an AVI file but MPEG-4$"},
        {"a third of the source", writing("third.avi"), "Failed",
         "^The AVI plays 1\\.\\d s of the source's 3\\.\\d s$"},
        {"most of the source", writing("most.avi"), "Done", "^The AVI plays 2\\.\\d s of the source's 3\\.\\d s$"},
        {"a fraction of a short source", writing("blip.avi"), "Failed",
         "^The AVI plays 0\\.\\d s of the source's [12]\\.\\d s$", shortSource},
        {"a source it may not read", unprivileged, "Failed", "/src/three\\.flv: Permission denied$"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.script == unprivileged && ::geteuid() != 0) {
            std::cerr << "skipped, needs root to run ffmpeg as another user: " << c.name << '\n';
            continue;
        }
        ASSERT_TRUE(installed(c.script));
        queueMeasured(c.source.isEmpty() ? source : c.source);
        if (c.script == unprivileged) {
            for (const QString& folder : {home.root(), src})
                QFile::setPermissions(folder,
                                      QFile::permissions(folder) | QFileDevice::ExeOther | QFileDevice::ReadOther);
            QFile::setPermissions(source, QFileDevice::WriteOwner);
        }
        const int row = q.count() - 1;
        press(ConversionProfile::XvidAvi);
        ASSERT_TRUE(waitUntilIdle());
        EXPECT_EQ(q.progress(row), c.state);
        const QString reason = tooltip(row).section('\n', 0, 0);
        EXPECT_TRUE(QRegularExpression(c.reason).match(reason).hasMatch()) << reason.toStdString();
        const QStringList kept = QDir(out).entryList(QDir::Files | QDir::Hidden);
        EXPECT_EQ(kept, q.progress(row) == "Done" ? QStringList{QFileInfo(q.output(row)).fileName()} : QStringList{});
        QDir(out).removeRecursively();
        QDir().mkpath(out);
    }
    qputenv("PATH", savedPath);
    EXPECT_TRUE(prompts.shown().empty());
}

// Faults around the output: each case ends with the right row states, nothing
// but finished outputs in the output folder, an older file of an output's name
// untouched unless a finished conversion replaced it, and no source changed.
TEST_F(ConversionRunTest, FaultsNeverLeaveAPartialFileOrLoseAFinishedOne)
{
    const QString clips = home.root() + QStringLiteral("/clips");
    QDir().mkpath(clips);
    MakeFlv(clips + "/one.flv", 1.0);
    MakeFlv(clips + "/two.flv", 2.0);
    MakeFlv(clips + "/long.flv", 10.0); // past what ffmpeg reads before it begins
    const QByteArray older = "an older file of this name";
    auto put = [](const QString& path, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    };
    auto copyAs = [&](const QString& clip, const QString& to) {
        QDir().mkpath(QFileInfo(to).path());
        QFile::copy(clips + QLatin1Char('/') + clip, to);
        return to;
    };
    // A wrapper that keeps ffmpeg as its own child, as a distribution's script might.
    tools.FfmpegExe = StalledSource::Ffmpeg(home.root());
    const QString ffmpeg = tools.FfmpegExe;
    const QString wrapper = home.root() + QStringLiteral("/wrapped-ffmpeg");
    put(wrapper, QStringLiteral("#!/bin/sh\n\"%1\" \"$@\"\n").arg(ffmpeg).toUtf8());
    QFile::setPermissions(wrapper, QFile::permissions(wrapper) | QFileDevice::ExeOwner);

    // The first row of the stalling cases reads a pipe: ffmpeg has begun its
    // output and waits, until the case has done its part.
    std::unique_ptr<StalledSource> stalled;
    const QByteArray head = StalledSource::HeadOf(clips + "/long.flv");
    auto stall = [&] {
        stalled = std::make_unique<StalledSource>(src + "/long.flv");
        q.append(src + "/long.flv", StalledSource::QueuedSeconds);
    };
    auto begun = [&] {
        return stalled->feed(head)
               && QTest::qWaitFor([&] { return OpenedForWriting(run.partialFiles().value(0)); }, 30000);
    };

    struct Case
    {
        const char* name;
        std::function<void()> arrange;
        std::function<void()> during; // while the first row converts
        QStringList states;
        QMap<QString, QString> outputs; // the output folder afterwards
        const char* reason;             // the first row's reason, as a pattern
    };
    const Case cases[] = {
        {"two sources of one name in different folders",
         [&] {
             q.append(copyAs("one.flv", src + "/d1/a.flv"), 2);
             q.append(copyAs("two.flv", src + "/d2/a.flv"), 3);
         },
         {},
         {"Done", "Done"},
         {{"a.avi", "avi|1"}, {"a (2).avi", "avi|2"}},
         "^$"},
        {"a failing source over an older file of its output's name",
         [&] {
             put(out + "/bad.avi", older);
             put(src + "/bad.flv", "FLV but nothing after");
             q.append(src + "/bad.flv", 2);
         },
         {},
         {"Failed"},
         {{"bad.avi", "kept"}},
         "^ffmpeg cannot read it: it is damaged or not a video$"},
        {"ffmpeg killed mid-file over an older file",
         [&] {
             put(out + "/long.avi", older);
             stall();
             q.append(copyAs("one.flv", src + "/one.flv"), 2);
         },
         [&] {
             ASSERT_TRUE(begun());
             ::kill(static_cast<pid_t>(run.runningProcessIds().value(0)), SIGKILL);
         },
         {"Failed", "Done"},
         {{"long.avi", "kept"}, {"one.avi", "avi|1"}},
         "^ffmpeg was ended by signal 9 \\(SIGKILL\\)$"},
        {"the output folder deleted mid-run",
         [&] {
             stall();
             q.append(copyAs("one.flv", src + "/one.flv"), 2);
         },
         [&] {
             ASSERT_TRUE(begun());
             QDir(out).removeRecursively();
             stalled.reset(); // ffmpeg ends well, but its file has nowhere to go
         },
         {"Failed", "Failed"},
         {},
         "^(The output folder .*/out no longer exists|Cannot save the output file .*)$"},
        {"the run stopped mid-file, ffmpeg behind a wrapper",
         [&] {
             tools.FfmpegExe = wrapper;
             put(out + "/long.avi", older);
             stall();
             q.append(copyAs("one.flv", src + "/one.flv"), 2);
         },
         [&] {
             ASSERT_TRUE(begun());
             const qint64 shell = run.runningProcessIds().value(0);
             run.Abort();
             // A killed process may linger unreaped for a moment; it no longer runs.
             auto groupRuns = [&] {
                 QProcess group;
                 group.start("ps", {"-o", "stat=", "-g", QString::number(shell)});
                 group.waitForFinished(5000);
                 return QString::fromUtf8(group.readAllStandardOutput())
                            .split('\n', Qt::SkipEmptyParts)
                            .filter(QRegularExpression("^[^Z]"))
                            .size()
                        > 0;
             };
             EXPECT_TRUE(QTest::qWaitFor([&] { return !groupRuns(); }, 5000))
                 << "a process of the stopped group runs on";
         },
         {"Failed", "Pending"},
         {{"long.avi", "kept"}},
         "^The conversion was stopped$"},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startAfresh();
        tools.FfmpegExe = ffmpeg;
        c.arrange();
        QMap<QString, QByteArray> sources;
        for (const QString& path : q.PathList())
            if (!stalled || path != src + "/long.flv")
                sources[path] = digest(path);

        press(ConversionProfile::DivxAvi);
        if (c.during)
            c.during();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !run.busy(); }, 60000));
        stalled.reset();

        expectStatesAndReason(c.states, c.reason);
        EXPECT_EQ(FolderContents(out, {{"bad.avi", older}, {"long.avi", older}}), c.outputs);
        for (auto it = sources.cbegin(); it != sources.cend(); ++it)
            EXPECT_EQ(digest(it.key()), it.value()) << it.key().toStdString();
        QDir(out).removeRecursively();
    }
    EXPECT_TRUE(prompts.shown().empty());
}

// A row stopped by the user, a stop that comes when ffmpeg has just ended, and
// a failed row tried again: in the running run, and with its source deleted.
TEST_F(ConversionRunTest, StopAndTryAgainLeaveEachRowInItsTrueState)
{
    MakeFlv(home.root() + "/long.flv", 10.0);
    MakeFlv(home.root() + "/one.flv", 1.0);
    const QByteArray head = StalledSource::HeadOf(home.root() + "/long.flv");
    tools.FfmpegExe = StalledSource::Ffmpeg(home.root());
    std::unique_ptr<StalledSource> stalled;
    // One name a case: the run keeps the names its rows were given.
    auto stall = [&](const QString& name) {
        stalled = std::make_unique<StalledSource>(src + QLatin1Char('/') + name);
        q.append(src + QLatin1Char('/') + name, StalledSource::QueuedSeconds);
    };
    auto begun = [&] {
        return stalled->feed(head)
               && QTest::qWaitFor([&] { return OpenedForWriting(run.partialFiles().value(0)); }, 30000);
    };
    const QString bad = src + "/bad.flv";
    auto queueBad = [&] {
        QFile f(bad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("FLV but nothing after");
        f.close();
        q.append(bad, 2);
    };
    // Ended: gone, or a zombie whose end the program has not yet seen.
    auto ended = [](qint64 pid) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return true;
        const QByteArray text = stat.readAll();
        return text.mid(text.lastIndexOf(')') + 2, 1) == "Z";
    };

    struct Case
    {
        const char* name;
        std::function<void()> arrange;
        std::function<void()> during; // after the press
        std::function<void()> again;  // after the run, for a second one
        QStringList states;
        QStringList outputs; // the output folder's files, hidden ones too
        const char* reason;  // the first row's tooltip, as a pattern
    };
    const Case cases[] = {
        {"a converting row stopped",
         [&] {
             stall("long.flv");
             q.append(src + "/one.flv", 2);
         },
         [&] {
             ASSERT_TRUE(begun());
             const qint64 pid = run.runningProcessIds().value(0);
             ASSERT_TRUE(run.Stop(0));
             EXPECT_NE(::kill(static_cast<pid_t>(pid), 0), 0) << "ffmpeg outlived its stop";
             EXPECT_EQ(run.runningRows(), QList<int>{1}) << "the next row waits";
             EXPECT_FALSE(run.Stop(0));
         },
         {},
         {"Failed", "Done"},
         {"one.avi"},
         "^Stopped$"},
        {"a stop when ffmpeg has just ended",
         [&] { stall("ended.flv"); },
         [&] {
             ASSERT_TRUE(begun());
             const qint64 pid = run.runningProcessIds().value(0);
             stalled->close();
             // Not a single event handled meanwhile, so the end is not yet seen.
             const QDeadlineTimer deadline(30000);
             while (!ended(pid) && !deadline.hasExpired())
                 QThread::msleep(5);
             ASSERT_TRUE(ended(pid));
             EXPECT_FALSE(run.Stop(0));
         },
         {},
         {"Done"},
         {"ended.avi"},
         ""},
        {"a failed row tried again while the run goes on",
         [&] {
             queueBad();
             stall("waits.flv");
         },
         [&] {
             ASSERT_TRUE(QTest::qWaitFor([&] { return q.progress(0) == QLatin1String("Failed"); }, 30000));
             ASSERT_TRUE(begun());
             QFile::remove(bad);
             QFile::copy(src + "/one.flv", bad);
             ASSERT_TRUE(q.requeue(0));
             EXPECT_EQ(q.progress(0), "Pending");
             EXPECT_EQ(tooltip(0), "");
             stalled->close();
         },
         {},
         {"Done", "Done"},
         {"bad.avi", "waits.avi"},
         "^$"},
        {"a failed row tried again with its source deleted",
         [&] { queueBad(); },
         {},
         [&] {
             ASSERT_EQ(q.progress(0), "Failed");
             QFile::remove(bad);
             ASSERT_TRUE(q.requeue(0));
             press(ConversionProfile::DivxAvi);
         },
         {"Failed"},
         {},
         "^there is no such file or folder$"},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        startAfresh();
        QFile::copy(home.root() + "/one.flv", src + "/one.flv");
        c.arrange();
        press(ConversionProfile::DivxAvi);
        if (c.during)
            c.during();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !run.busy(); }, 60000));
        if (c.again) {
            c.again();
            EXPECT_TRUE(QTest::qWaitFor([&] { return !run.busy(); }, 60000));
        }
        stalled.reset();

        expectStatesAndReason(c.states, c.reason);
        EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden), c.outputs);
        QDir(out).removeRecursively();
    }
    EXPECT_TRUE(prompts.shown().empty());
}

// The output folder full, on a small filesystem that only this case and its
// ffmpeg can see: the row fails with the cause and leaves no partial file.
TEST_F(ConversionRunTest, AFullOutputFolderFailsTheRowAndLeavesNothing)
{
    const QString source = flv(QStringLiteral("two.flv"), 2.0);
    const QByteArray before = digest(source);
    const OwnTmpfsRun ran = RunOnOwnTmpfs(out, 12 * 1024, [&] {
        q.append(source, 3);
        press(ConversionProfile::DivxAvi);
        EXPECT_TRUE(waitUntilIdle());
        expectStatesAndReason({"Failed"}, "No space left on device$");
        EXPECT_FALSE(tooltip(0).contains(QLatin1String("/dev/fd/"))) << "the output is named, not its descriptor";
        EXPECT_EQ(FolderContents(out), (QMap<QString, QString>{}));
        EXPECT_EQ(digest(source), before);
        EXPECT_TRUE(prompts.shown().empty());
    });
    if (!ran.refused.isEmpty())
        GTEST_SKIP() << "no filesystem of its own can be mounted here: " << ran.refused.toStdString();
    EXPECT_EQ(ran.failure.toStdString(), "");
}

} // namespace
