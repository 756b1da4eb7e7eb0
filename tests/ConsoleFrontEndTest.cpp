// The program without a window, run as a user runs it: the built vantrel with
// no display and no QT_QPA_PLATFORM, on small real FLV files.
#include "app/instance/MainInstance.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>

namespace {

constexpr int Patience = 120000; // ms; only a hang waits this long

struct Outcome
{
    QProcess::ExitStatus status = QProcess::CrashExit;
    int code = -1;
    QStringList lines; // standard output
    QString err;
};

QProcessEnvironment Headless(const QString& path = {})
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    if (!path.isEmpty())
        env.insert(QStringLiteral("PATH"), path);
    return env;
}

Outcome RunFrontEnd(const QStringList& arguments, const QProcessEnvironment& env)
{
    QProcess vantrel;
    vantrel.setProcessEnvironment(env);
    vantrel.start(BinPath(QStringLiteral("vantrel")), arguments);
    Outcome outcome;
    if (!vantrel.waitForFinished(Patience)) {
        vantrel.kill();
        vantrel.waitForFinished();
        ADD_FAILURE() << "vantrel did not end";
    }
    outcome.status = vantrel.exitStatus();
    outcome.code = vantrel.exitCode();
    outcome.lines = QString::fromLocal8Bit(vantrel.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    outcome.err = QString::fromLocal8Bit(vantrel.readAllStandardError());
    return outcome;
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

TEST(ConsoleFrontEnd, ExitCodesMessagesAndLinesWithoutADisplay)
{
    QTemporaryDir sources;
    const QString in = sources.filePath("in");
    const QString empty = sources.filePath("empty");
    const QString plain = sources.filePath("notes.txt");
    QDir().mkpath(in);
    QDir().mkpath(empty);
    const QString a = in + "/a.flv";
    const QString b = in + "/b.flv";
    MakeFlv(a);
    MakeFlv(b, 1.0, {64, 48}, false);
    QFile notes(plain);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("not a video\n");
    notes.close();
    const QString noFfmpeg = PathWithout({"ffmpeg"}, sources.filePath("bin"));
    // An ffmpeg that fails as a real one does on a file it cannot read: its last error line says why.
    const QString failingFfmpeg = PathWithout({"ffmpeg"}, sources.filePath("failing"));
    QFile failing(failingFfmpeg + "/ffmpeg");
    ASSERT_TRUE(failing.open(QIODevice::WriteOnly));
    failing.write("#!/bin/sh\necho 'Input #0, flv' >&2\necho 'a.flv: Invalid data found when processing input' >&2\nexit 1\n");
    failing.close();
    failing.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    enum Setup { Plain, NoFfmpeg, FailingFfmpeg, StoredOutput, OutputTaken, WindowRunning };
    struct Case
    {
        const char* name;
        QStringList arguments; // %OUT% is the row's own output folder
        int code;
        QStringList lines; // the whole standard output
        QString err;       // a fragment of standard error; "" for none at all
        Setup setup = Plain;
        bool anyOrder = false; // side by side, files finish in no fixed order
    };
    const QString usage = QStringLiteral("Usage: vantrel --convert-to");
    const std::vector<Case> cases{
        {"files in the order given", {"--convert-to", "xvid", "--jobs", "1", "--outdir", "%OUT%", b, a}, 0,
         {"Done\t" + b + "\t%OUT%/b.avi", "Done\t" + a + "\t%OUT%/a.avi"}, ""},
        {"a folder's files in name order", {"--convert-to", "divx", "--jobs=1", in, "--outdir", "%OUT%"}, 0,
         {"Done\t" + a + "\t%OUT%/a.avi", "Done\t" + b + "\t%OUT%/b.avi"}, ""},
        {"a folder's files side by side", {"--convert-to", "divx", "--jobs", "2", in, "--outdir", "%OUT%"}, 0,
         {"Done\t" + a + "\t%OUT%/a.avi", "Done\t" + b + "\t%OUT%/b.avi"}, "", Plain, true},
        {"the stored output folder without --outdir", {"--convert-to", "xvid", a}, 0,
         {"Done\t" + a + "\t%OUT%/a.avi"}, "", StoredOutput},
        {"a running window is left alone", {"--convert-to", "xvid", "--outdir", "%OUT%", a}, 0,
         {"Done\t" + a + "\t%OUT%/a.avi"}, "", WindowRunning},
        {"a missing path is reported, the others converted",
         {"--convert-to", "xvid", "--outdir", "%OUT%", in + "/gone.flv", a}, 1, {"Done\t" + a + "\t%OUT%/a.avi"},
         "vantrel: Cannot find \"" + in + "/gone.flv\""},
        {"a folder without FLV files", {"--convert-to", "xvid", "--outdir", "%OUT%", empty, b}, 1,
         {"Done\t" + b + "\t%OUT%/b.avi"}, "vantrel: There is no FLV file in the folder \"" + empty + "\""},
        {"a file that is no video, with the window's message", {"--convert-to", "xvid", "--outdir", "%OUT%", plain},
         1, {}, "vantrel: '' is not a valid time."},
        {"the program's own reason for a file it could not save", {"--convert-to", "divx", "--outdir", "%OUT%", a}, 1,
         {"Failed\t" + a + "\tCannot save the output file %OUT%/a.avi: Is a directory"}, "", OutputTaken},
        {"ffmpeg's last error line for a file it failed", {"--convert-to", "divx", "--outdir", "%OUT%", a}, 1,
         {"Failed\t" + a + "\ta.flv: Invalid data found when processing input"}, "", FailingFfmpeg},
        {"unknown option", {"--convert-to", "xvid", "--fast", a}, 2, {}, "vantrel: unknown option \"--fast\""},
        {"unknown profile", {"--convert-to", "h264", "--outdir", "%OUT%", a}, 2, {}, "unknown profile \"h264\""},
        {"no path", {"--convert-to", "xvid", "--outdir", "%OUT%"}, 2, {}, "no FLV file or folder"},
        {"an output folder that does not exist", {"--convert-to", "xvid", "--outdir", "%OUT%/gone", a}, 2, {},
         "\"%OUT%/gone\" does not exist"},
        {"no output folder given or stored", {"--convert-to", "xvid", a}, 2, {}, "no output folder is stored"},
        {"an output folder that is a file", {"--convert-to", "xvid", "--outdir", plain, a}, 2, {},
         "is not a folder"},
        {"no ffmpeg on PATH", {"--convert-to", "xvid", "--outdir", "%OUT%", a}, 2, {},
         "vantrel: Cannot find the program \"ffmpeg\"", NoFfmpeg},
        {"help", {"--help"}, 0, {}, ""},
        {"version", {"--version"}, 0, {"vantrel 0.1.0"}, ""},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FreshHome home; // a settings store of the row's own
        const QString out = home.root() + "/out";
        QDir().mkpath(out);
        const auto expand = [&](QString text) { return text.replace(QLatin1String("%OUT%"), out); };
        QStringList arguments;
        for (const QString& argument : c.arguments)
            arguments << expand(argument);

        std::unique_ptr<QProcess> window;
        if (c.setup == StoredOutput)
            QSettings(home.configFile(), QSettings::IniFormat).setValue("WorkDir", out);
        if (c.setup == OutputTaken)
            QDir().mkpath(out + "/a.avi");
        if (c.setup == WindowRunning) {
            window = std::make_unique<QProcess>();
            window->start(BinPath("vantrel"), QStringList{});
            // Listening, and done with its own start-up's settings.
            ASSERT_TRUE(QTest::qWaitFor([&] {
                return QFileInfo::exists(TMainInstance::ServerName()) && ReadAll(home.configFile()).contains("AppDir");
            }, Patience));
        }
        const QByteArray settingsBefore = ReadAll(home.configFile());

        const QString path = c.setup == NoFfmpeg ? noFfmpeg : c.setup == FailingFfmpeg ? failingFfmpeg : QString();
        const Outcome o = RunFrontEnd(arguments, Headless(path));

        EXPECT_EQ(o.status, QProcess::NormalExit) << o.err.toStdString();
        EXPECT_EQ(o.code, c.code) << o.err.toStdString();
        if (QString(c.name) == "help") {
            EXPECT_TRUE(o.lines.value(0).startsWith(usage));
            EXPECT_TRUE(o.lines.join('\n').contains("--jobs N")) << "--jobs is documented";
        } else {
            QStringList expected;
            for (const QString& line : c.lines)
                expected << expand(line);
            QStringList lines = o.lines;
            if (c.anyOrder) {
                lines.sort();
                expected.sort();
            }
            EXPECT_EQ(lines.join('\n').toStdString(), expected.join('\n').toStdString());
        }
        if (c.err.isEmpty())
            EXPECT_EQ(o.err.toStdString(), "");
        else
            EXPECT_TRUE(o.err.contains(expand(c.err))) << o.err.toStdString();
        EXPECT_EQ(o.err.contains(usage), c.code == 2) << "a usage error, and only that, shows the usage";
        for (const QString& line : o.lines) {
            if (line.startsWith("Done\t")) {
                EXPECT_GT(QFileInfo(line.section('\t', 2)).size(), 0) << line.toStdString();
            }
        }
        EXPECT_EQ(ReadAll(home.configFile()), settingsBefore) << "the front end writes no setting";
        EXPECT_EQ(QDir(out).entryList({".vantrel-*"}, QDir::Files | QDir::Hidden), QStringList())
            << "an unfinished file was left";
        if (window) {
            EXPECT_EQ(window->state(), QProcess::Running) << "the window was not touched";
            window->kill();
            window->waitForFinished();
        }
    }
}

// The processes whose parent is pid.
QList<qint64> ChildrenOf(qint64 pid)
{
    QList<qint64> children;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 id = entry.toLongLong(&number);
        if (!number)
            continue;
        QFile stat("/proc/" + entry + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // pid (comm) state ppid ...: the name may hold blanks, so read after the last ')'.
        const QByteArray text = stat.readAll();
        const QList<QByteArray> after = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (after.size() > 1 && after.at(1).toLongLong() == pid)
            children << id;
    }
    return children;
}

TEST(ConsoleFrontEnd, SigtermMidConversionEndsOurFfmpegAndTheProgram)
{
    FreshHome home;
    const QString source = home.root() + "/clip.flv";
    MakeFlv(source, 20.0);
    // The real ffmpeg, paced to the source's own speed, so the conversion is
    // surely still running when the signal comes.
    const QString bin = home.root() + "/bin";
    PathWithout({"ffmpeg"}, bin);
    QFile wrapper(bin + "/ffmpeg");
    ASSERT_TRUE(wrapper.open(QIODevice::WriteOnly));
    wrapper.write("#!/bin/sh\nexec " + QFile::encodeName(QFileInfo("/usr/bin/ffmpeg").canonicalFilePath())
                  + " -re \"$@\"\n");
    wrapper.close();
    wrapper.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QDir().mkpath(home.root() + "/out");

    QProcess vantrel;
    vantrel.setProcessEnvironment(Headless(bin));
    vantrel.start(BinPath("vantrel"), {"--convert-to", "xvid", "--outdir", home.root() + "/out", source});
    ASSERT_TRUE(vantrel.waitForStarted(Patience));
    QList<qint64> ffmpeg;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        ffmpeg = ChildrenOf(vantrel.processId());
        return !ffmpeg.isEmpty() && QFile::symLinkTarget("/proc/" + QString::number(ffmpeg.first()) + "/exe")
                                        .endsWith("/ffmpeg");
    }, Patience)) << "ffmpeg never started";

    ::kill(static_cast<pid_t>(vantrel.processId()), SIGTERM);
    ASSERT_TRUE(vantrel.waitForFinished(Patience)) << "vantrel hangs after SIGTERM";
    EXPECT_EQ(vantrel.exitStatus(), QProcess::CrashExit) << "it ends by the signal";
    EXPECT_EQ(vantrel.readAllStandardOutput(), "") << "the file is not reported as finished";
    EXPECT_TRUE(QString::fromLocal8Bit(vantrel.readAllStandardError())
                    .contains("vantrel: Stopped by SIGTERM; the conversion of \"" + source + "\" did not finish."));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !QFileInfo::exists("/proc/" + QString::number(ffmpeg.first())); },
                                5000))
        << "our ffmpeg outlived the program";
    EXPECT_EQ(QDir(home.root() + "/out").entryList(QDir::Files | QDir::Hidden), QStringList())
        << "an unfinished file was left";
}

} // namespace
