// The program without a window, run as a user runs it: the built vantrel with
// no display and no QT_QPA_PLATFORM, on small real FLV files.
#include "core/ConsoleFrontEnd.h"
#include "core/ProgressLine.h"
#include "core/SignalWatcher.h"
#include "app/instance/MainInstance.h"
#include "platform/NativePath.h"
#include "platform/TerminalText.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

Outcome RunFrontEnd(const QStringList& arguments, const QProcessEnvironment& env, const QString& output = {})
{
    QProcess vantrel;
    vantrel.setProcessEnvironment(env);
    if (!output.isEmpty())
        vantrel.setStandardOutputFile(output);
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
    const QString mixed = sources.filePath("mixed");
    QDir().mkpath(in);
    QDir().mkpath(empty);
    QDir().mkpath(mixed);
    const QString a = in + "/a.flv";
    const QString b = in + "/b.flv";
    MakeFlv(a);
    MakeFlv(b, 1.0, {64, 48}, false);
    // Good files with an empty one and one whose name the probe cannot quote among them.
    const QString tab = sources.filePath("t\tab.flv");
    for (const QString& copy : {mixed + "/a.flv", mixed + "/b\"q.flv", mixed + "/d.flv", tab})
        ASSERT_TRUE(QFile::copy(a, copy));
    ASSERT_TRUE(QFile(mixed + "/c.flv").open(QIODevice::WriteOnly));
    QFile notes(plain);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("not a video\n");
    notes.close();
    const QString noFfmpeg = PathWithout({"ffmpeg"}, sources.filePath("bin"));
    // An ffmpeg that fails as a real one does on a file it cannot read, naming the file it was given.
    const QString failingFfmpeg = PathWithout({"ffmpeg"}, sources.filePath("failing"));
    QFile failing(failingFfmpeg + "/ffmpeg");
    ASSERT_TRUE(failing.open(QIODevice::WriteOnly));
    failing.write("#!/bin/sh\nwhile [ \"$1\" != -i ]; do shift; done\necho 'Input #0, flv' >&2\n"
                  "echo \"$2: Invalid data found when processing input\" >&2\nexit 1\n");
    failing.close();
    failing.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    enum Setup {
        Plain,
        NoFfmpeg,
        FailingFfmpeg,
        StoredOutput,
        StoredLatin1,
        OutputTaken,
        WindowRunning,
        Offscreen,
        Full,
        DefaultTaken, // a file where the default output folder would be made
        NoDocuments   // a file where the Documents folder would be
    };
    struct Case
    {
        const char* name;
        QStringList arguments; // %OUT% is the row's own output folder, %DOCS% its Documents folder
        int code;
        QStringList lines; // the whole standard output
        QString err;       // a fragment of standard error; "" for none at all
        Setup setup = Plain;
        bool anyOrder = false; // side by side, files finish in no fixed order
    };
    const QString usage = QStringLiteral("Usage: vantrel [PATH...]");
    const QString tryHelp = ConsoleOptions::TryHelpText();
    const QString noTime = "mediainfo finds no playing time in it: it is empty, damaged or not a video";
    const QString noDisplay = "vantrel: cannot open a window: no display. To convert without one: "
                              "vantrel --convert-to divx|xvid PATH...\n";
    const std::vector<Case> cases{
        {"files in the order given",
         {"--convert-to", "xvid", "--jobs", "1", "--outdir", "%OUT%", b, a},
         0,
         {"Done\t" + b + "\t%OUT%/b.avi", "Done\t" + a + "\t%OUT%/a.avi"},
         ""},
        {"a folder's files in name order",
         {"--convert-to", "divx", "--jobs=1", in, "--outdir", "%OUT%"},
         0,
         {"Done\t" + a + "\t%OUT%/a.avi", "Done\t" + b + "\t%OUT%/b.avi"},
         ""},
        {"a folder's files side by side",
         {"--convert-to", "divx", "--jobs", "2", in, "--outdir", "%OUT%"},
         0,
         {"Done\t" + a + "\t%OUT%/a.avi", "Done\t" + b + "\t%OUT%/b.avi"},
         "",
         Plain,
         true},
        {"the stored output folder without --outdir",
         {"--convert-to", "xvid", a},
         0,
         {"Done\t" + a + "\t%OUT%/a.avi"},
         "",
         StoredOutput},
        {"a running window is left alone",
         {"--convert-to", "xvid", "--outdir", "%OUT%", a},
         0,
         {"Done\t" + a + "\t%OUT%/a.avi"},
         "",
         WindowRunning},
        {"a missing path has its line, the others are converted",
         {"--convert-to", "xvid", "--outdir", "%OUT%", in + "/gone.flv", a},
         1,
         {"Failed\t" + in + "/gone.flv\tthere is no such file or folder", "Done\t" + a + "\t%OUT%/a.avi"},
         "vantrel: " + in + "/gone.flv: there is no such file or folder"},
        {"a folder without FLV files",
         {"--convert-to", "xvid", "--outdir", "%OUT%", empty, b},
         1,
         {"Done\t" + b + "\t%OUT%/b.avi"},
         "vantrel: " + empty + ": there is no FLV file in this folder"},
        {"a file that is no video, named",
         {"--convert-to", "xvid", "--outdir", "%OUT%", plain},
         1,
         {"Failed\t" + plain + "\t" + noTime},
         "vantrel: " + plain + ": " + noTime},
        // A file that cannot be measured has its line at once, not after the files before it.
        {"a folder's bad files do not stop it: every file one line",
         {"--convert-to", "divx", "--jobs", "1", "--outdir", "%OUT%", mixed},
         1,
         {"Done\t" + mixed + "/a.flv\t%OUT%/a.avi", "Done\t" + mixed + "/b\"q.flv\t%OUT%/b\"q.avi",
          "Failed\t" + mixed + "/c.flv\t" + noTime, "Done\t" + mixed + "/d.flv\t%OUT%/d.avi"},
         "vantrel: " + mixed + "/c.flv: " + noTime,
         Plain,
         true},
        {"a file named twice, alone and by its folder, is converted once",
         {"--convert-to", "divx", "--jobs", "1", "--outdir", "%OUT%", a, in, in + "/../in/a.flv"},
         0,
         {"Done\t" + a + "\t%OUT%/a.avi", "Done\t" + b + "\t%OUT%/b.avi"},
         ""},
        {"a tab in a name is escaped; the output's name has none",
         {"--convert-to", "divx", "--outdir", "%OUT%", tab},
         0,
         {"Done\t" + sources.filePath("t\\tab.flv") + "\t%OUT%/t_ab.avi"},
         ""},
        {"a Latin-1 byte in a comment leaves the stored folder in use",
         {"--convert-to", "xvid", a},
         0,
         {"Done\t" + a + "\t%OUT%/a.avi"},
         "",
         StoredLatin1},
        {"standard output that cannot be written",
         {"--convert-to", "xvid", "--outdir", "%OUT%", a},
         1,
         {},
         "vantrel: cannot write to standard output: No space left on device",
         Full},
        {"a folder and a link at the output's names are passed over",
         {"--convert-to", "divx", "--outdir", "%OUT%", a},
         0,
         {"Done\t" + a + "\t%OUT%/a (3).avi"},
         "",
         OutputTaken},
        {"ffmpeg's jargon in plain words, its own line behind, the file named once",
         {"--convert-to", "divx", "--outdir", "%OUT%", a},
         1,
         {"Failed\t" + a + "\tffmpeg cannot read it: it is damaged or not a video"},
         "vantrel: " + a
             + ": ffmpeg cannot read it: it is damaged or not a video (ffmpeg: Invalid data found when processing "
               "input)\n",
         FailingFfmpeg},
        {"unknown option", {"--convert-to", "xvid", "--fast", a}, 2, {}, "vantrel: unknown option \"--fast\""},
        {"a name taken for an option does not drive the terminal",
         {"--convert-to", "xvid", "-\x1B]0;X\a\r.flv", a},
         2,
         {},
         "vantrel: unknown option \"-\\x1B]0;X\\x07\\r.flv\""},
        // With a platform the window could open on: an unknown option must not open it.
        {"a mistyped option is no window",
         {"--conver-to", "divx", a},
         2,
         {},
         "unknown option \"--conver-to\"",
         Offscreen},
        {"-h is no window", {"-h"}, 2, {}, "unknown option \"-h\"", Offscreen},
        {"the window without a display", {a}, 2, {}, noDisplay},
        {"the window after -- without a display", {"--", "-x.flv"}, 2, {}, noDisplay},
        {"unknown profile", {"--convert-to", "h264", "--outdir", "%OUT%", a}, 2, {}, "unknown profile \"h264\""},
        {"no path", {"--convert-to", "xvid", "--outdir", "%OUT%"}, 2, {}, "no FLV file or folder"},
        {"an output folder that does not exist",
         {"--convert-to", "xvid", "--outdir", "%OUT%/gone", a},
         2,
         {},
         "\"%OUT%/gone\" does not exist"},
        {"no output folder given or stored: the window's default, made",
         {"--convert-to", "xvid", a},
         0,
         {"Done\t" + a + "\t%DOCS%/VANTREL/a.avi"},
         "vantrel: no --outdir and no stored output folder: converting into \"%DOCS%/VANTREL\"\n"},
        {"the window's default output folder taken by a file",
         {"--convert-to", "xvid", a},
         2,
         {},
         "the output folder \"%DOCS%/VANTREL\" is not a folder",
         DefaultTaken},
        {"the window's default output folder that cannot be made",
         {"--convert-to", "xvid", a},
         2,
         {},
         "cannot make the output folder \"%DOCS%/VANTREL\": Not a directory",
         NoDocuments},
        {"an output folder that is a file", {"--convert-to", "xvid", "--outdir", plain, a}, 2, {}, "is not a folder"},
        {"no ffmpeg on PATH",
         {"--convert-to", "xvid", "--outdir", "%OUT%", a},
         2,
         {},
         "vantrel: Cannot find the program \"ffmpeg\"",
         NoFfmpeg},
        {"help", {"--help"}, 0, {}, ""},
        {"version", {"--version"}, 0, {"vantrel 0.2.0"}, ""},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FreshHome home; // a settings store of the row's own
        const QString out = home.root() + "/out";
        QDir().mkpath(out);
        const auto expand = [&](QString text) {
            return text.replace(QLatin1String("%OUT%"), out).replace(QLatin1String("%DOCS%"), home.documents());
        };
        QStringList arguments;
        for (const QString& argument : c.arguments)
            arguments << expand(argument);

        std::unique_ptr<QProcess> window;
        if (c.setup == StoredOutput)
            QSettings(home.configFile(), QSettings::IniFormat).setValue("WorkDir", out);
        if (c.setup == StoredLatin1) {
            QDir().mkpath(QFileInfo(home.configFile()).path());
            QFile settings(home.configFile());
            ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
            settings.write("; written by caf\xe9\n[General]\nWorkDir=" + QFile::encodeName(out) + "\n");
        }
        const QString linkTarget = home.root() + "/linked.txt";
        if (c.setup == OutputTaken) {
            QDir().mkpath(out + "/a.avi");
            QFile target(linkTarget);
            ASSERT_TRUE(target.open(QIODevice::WriteOnly) && target.write("the link's own") == 14);
            target.close();
            ASSERT_TRUE(QFile::link(linkTarget, out + "/a (2).avi"));
        }
        if (c.setup == DefaultTaken || c.setup == NoDocuments) {
            const QString file = c.setup == DefaultTaken ? home.documents() + "/VANTREL" : home.documents();
            QDir().mkpath(QFileInfo(file).path());
            ASSERT_TRUE(QFile(file).open(QIODevice::WriteOnly));
        }
        if (c.setup == WindowRunning) {
            window = std::make_unique<QProcess>();
            window->start(BinPath("vantrel"), QStringList{});
            // Listening, and done with its own start-up's settings.
            ASSERT_TRUE(QTest::qWaitFor(
                [&] {
                    return QFileInfo::exists(TMainInstance::ServerName())
                           && ReadAll(home.configFile()).contains("AppDir");
                },
                Patience));
        }
        const QByteArray settingsBefore = ReadAll(home.configFile());

        const QString path = c.setup == NoFfmpeg ? noFfmpeg : c.setup == FailingFfmpeg ? failingFfmpeg : QString();
        QProcessEnvironment env = Headless(path);
        if (c.setup == Offscreen)
            env.insert("QT_QPA_PLATFORM", "offscreen");
        const Outcome o = RunFrontEnd(arguments, env, c.setup == Full ? "/dev/full" : QString());

        EXPECT_EQ(o.status, QProcess::NormalExit) << o.err.toStdString();
        EXPECT_EQ(o.code, c.code) << o.err.toStdString();
        if (c.setup == OutputTaken) {
            EXPECT_EQ(ReadAll(linkTarget), "the link's own") << "written through the link";
        }
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
        if (c.err.isEmpty() || c.err == noDisplay || c.err.endsWith('\n'))
            EXPECT_EQ(o.err.toStdString(), expand(c.err).toStdString());
        else
            EXPECT_TRUE(o.err.contains(expand(c.err))) << o.err.toStdString();
        if (c.code == 2 && c.err != noDisplay && c.setup != NoFfmpeg)
            EXPECT_TRUE(o.err.count('\n') == 2 && o.err.endsWith(tryHelp))
                << "a usage error is its cause and a pointer to --help: " << o.err.toStdString();
        else
            EXPECT_FALSE(o.err.contains(tryHelp));
        for (const QString& line : o.lines) {
            if (line.startsWith("Done\t")) {
                const QString output = line.section('\t', 2).replace("\\t", "\t");
                EXPECT_GT(QFileInfo(output).size(), 0) << line.toStdString();
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

// Names wider than the terminal made the progress line wrap and scroll.
TEST(ConsoleFrontEnd, TheProgressLineFitsTheTerminal)
{
    const QString longName(100, QLatin1Char('n'));
    const QString eAcute = QStringLiteral("e\u0301");
    struct Case
    {
        const char* name;
        QList<QPair<QString, QString>> parts;
        int width;
        QString line;
        QString tail = {};
    };
    const Case cases[] = {
        {"the run's time left at the end",
         {{"a.flv", "5% Done"}, {"b.flv", "Pending"}},
         79,
         "a.flv  5% Done   b.flv  Pending   1:23 left",
         "1:23 left"},
        {"names give way to the time left",
         {{longName, "50% Done"}},
         32,
         "nnnnnnnnn\u2026  50% Done   1:23 left",
         "1:23 left"},
        {"no room for a name beside it: the names alone",
         {{longName, "50% Done"}},
         24,
         "nnnnnnnnnnnnn\u2026  50% Done",
         "1:23 left"},
        {"short names as they are",
         {{"a.flv", "5% Done"}, {"b.flv", "Pending"}},
         79,
         "a.flv  5% Done   b.flv  Pending"},
        {"a long name cut", {{longName, "50% Done"}}, 20, "nnnnnnnnn\u2026  50% Done"},
        {"a short name lends its room",
         {{"a.flv", "1% Done"}, {longName, "2% Done"}},
         40,
         "a.flv  1% Done   nnnnnnnnnnnnn\u2026  2% Done"},
        {"too narrow for all: those that fit, and how many more",
         {{longName, "1% Done"}, {longName, "2% Done"}},
         24,
         "nnnnnnnnn\u2026  1% Done   +1"},
        // A terminal gives these two columns each, and a combining mark none.
        {"wide characters cut by the columns they take",
         {{"\u65e5\u672c\u8a9e\u306e\u52d5\u753b\u30d5\u30a1\u30a4\u30eb.flv", "5% Done"}},
         20,
         "\u65e5\u672c\u8a9e\u306e\u52d5\u2026  5% Done"},
        {"an emoji is never cut in half",
         {{"\U0001F3AC\U0001F3AC\U0001F3AC\U0001F3AC\U0001F3AC.flv", "5% Done"}},
         15,
         "\U0001F3AC\U0001F3AC\u2026  5% Done"},
        {"combining marks take no room",
         {{eAcute.repeated(10) + ".flv", "5% Done"}},
         23,
         eAcute.repeated(10) + ".flv  5% Done"},
        {"a letter keeps its marks",
         {{eAcute.repeated(10) + ".flv", "5% Done"}},
         15,
         eAcute.repeated(5) + "\u2026  5% Done"},
    };
    for (const Case& c : cases) {
        const QString line = ProgressLine::Fit(c.parts, c.width, c.tail);
        EXPECT_EQ(line.toStdString(), c.line.toStdString()) << c.name;
        EXPECT_LE(TerminalText::Columns(line), c.width) << c.name;
    }
}

bool IsFfmpeg(qint64 pid)
{
    return QFile::symLinkTarget("/proc/" + QString::number(pid) + "/exe").endsWith("/ffmpeg");
}

// The program started as a shell starts it in a pipeline: its standard output
// is the write end of a pipe whose read end the test holds.
struct Piped
{
    pid_t pid = -1;
    int out = -1; // the read end, non-blocking
};

Piped StartPiped(const QStringList& arguments, const QProcessEnvironment& env, const QString& errorFile = {})
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return {};
    ExecArguments exec(QStringList{BinPath("vantrel")} + arguments, env.toStringList());
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    const QByteArray error = QFile::encodeName(errorFile);
    if (!errorFile.isEmpty())
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, error.constData(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
    Piped piped;
    if (::posix_spawn(&piped.pid, exec.argv()[0], &actions, nullptr, exec.argv(), exec.envp()) != 0)
        piped.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    ::fcntl(fds[0], F_SETFL, O_NONBLOCK);
    piped.out = fds[0];
    return piped;
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
}

// SIGTERM, SIGHUP (a closed terminal) and SIGPIPE (a reader gone, as after
// `| head -n 2`) mid-file: the conversions end with the program, which ends
// by that signal and leaves no unfinished file. Every file has one line, a
// file that cannot be measured as soon as that is known; with the reader
// gone, nothing more is said and no file more written.
TEST(ConsoleFrontEnd, EndingSignalsMidConversionEndOurFfmpegAndTheProgram)
{
    FreshHome home;
    // Two short files, an empty one and three long ones, two at a time: two
    // long ones still convert and one waits when the signal comes.
    const QString first = home.root() + "/1.flv";
    const QString second = home.root() + "/2.flv";
    const QString empty = home.root() + "/empty.flv";
    const QStringList longs{home.root() + "/3.flv", home.root() + "/4.flv", home.root() + "/5.flv"};
    MakeFlv(first, 1.0);
    MakeFlv(second, 3.0);
    for (const QString& long_ : longs)
        MakeFlv(long_, 30.0);
    WriteFile(empty, "");
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
    const QString noTime
        = "Failed\t" + empty + "\tmediainfo finds no playing time in it: it is empty, damaged or not a video";

    struct Case
    {
        int signalNumber;
        bool closeReader; // after two lines; else the signal is sent after three
        QStringList outputs;
    };
    for (const Case& c : {Case{SIGTERM, false, {"1.avi", "2.avi"}}, Case{SIGHUP, false, {"1.avi", "2.avi"}},
                          Case{SIGPIPE, true, {"1.avi"}}}) {
        const QString name = SignalWatcher::Name(c.signalNumber);
        SCOPED_TRACE(name.toStdString());
        const QString out = home.root() + "/out-" + name;
        const QString err = home.root() + "/err-" + name;
        QDir().mkpath(out);
        const Piped vantrel
            = StartPiped(QStringList{"--convert-to", "xvid", "--jobs", "2", "--outdir", out, first, second} + longs
                             + QStringList{empty},
                         Headless(bin), err);
        ASSERT_GT(vantrel.pid, 0);

        QSet<qint64> ffmpeg; // every ffmpeg of ours seen
        QByteArray lines;
        bool readerOpen = true;
        bool signalled = false;
        int status = 0;
        const auto read = [&] {
            char buffer[4096];
            ssize_t got = 0;
            while (readerOpen && (got = ::read(vantrel.out, buffer, sizeof buffer)) > 0)
                lines.append(buffer, got);
        };
        QDeadlineTimer deadline(Patience);
        while (::waitpid(vantrel.pid, &status, WNOHANG) == 0 && !deadline.hasExpired()) {
            for (const qint64 child : ChildrenOf(vantrel.pid)) {
                if (IsFfmpeg(child))
                    ffmpeg.insert(child);
            }
            read();
            if (c.closeReader && readerOpen && lines.count('\n') >= 2) {
                ::close(vantrel.out);
                readerOpen = false;
            }
            // ffmpeg reads its source through a descriptor it inherited.
            const bool longConverting = std::any_of(ffmpeg.cbegin(), ffmpeg.cend(), [&](qint64 pid) {
                const QDir fds("/proc/" + QString::number(pid) + "/fd");
                const QStringList entries = fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
                return std::any_of(entries.cbegin(), entries.cend(), [&](const QString& fd) {
                    return longs.contains(QFile::symLinkTarget(fds.filePath(fd)));
                });
            });
            if (!c.closeReader && !signalled && longConverting && lines.count('\n') == 3) {
                ::kill(vantrel.pid, c.signalNumber);
                signalled = true;
            }
            QTest::qWait(20);
        }
        read();
        if (readerOpen)
            ::close(vantrel.out);
        ASSERT_FALSE(deadline.hasExpired()) << "vantrel did not end";
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signalNumber) << "ended with status " << status;
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return std::none_of(ffmpeg.cbegin(), ffmpeg.cend(),
                                    [](qint64 pid) { return QFileInfo::exists("/proc/" + QString::number(pid)); });
            },
            1000))
            << "our ffmpeg outlived the program";
        EXPECT_EQ(QDir(out).entryList(QDir::Files | QDir::Hidden, QDir::Name), c.outputs)
            << "the finished files are kept, the others left nothing";

        QStringList told = QString::fromLocal8Bit(lines).split('\n', Qt::SkipEmptyParts);
        const QString said = QString::fromLocal8Bit(ReadAll(err));
        // The empty file's line came while the long ones converted, before the signal.
        EXPECT_EQ(told.value(0), noTime);
        if (c.closeReader) {
            EXPECT_EQ(told.value(1), "Done\t" + first + "\t" + out + "/1.avi");
            EXPECT_EQ(said.toStdString(),
                      ("vantrel: " + noTime.section('\t', 1).replace('\t', ": ") + "\n").toStdString())
                << "nothing more said once the reader has gone";
            continue;
        }
        told.sort();
        const QString stopped = "Failed\t%1\tStopped by " + name + " before ";
        ASSERT_EQ(told.size(), 6) << told.join('\n').toStdString();
        EXPECT_EQ(told.mid(0, 2),
                  (QStringList{"Done\t" + first + "\t" + out + "/1.avi", "Done\t" + second + "\t" + out + "/2.avi"}));
        for (qsizetype i = 0; i < longs.size(); ++i)
            EXPECT_TRUE(told.at(2 + i).startsWith(stopped.arg(longs.at(i)))) << told.at(2 + i).toStdString();
        EXPECT_EQ(told.filter(QRegularExpression(" before its conversion finished$")).size(), 2);
        EXPECT_EQ(told.filter(QRegularExpression(" before it was converted$")).size(), 1);
        EXPECT_EQ(told.at(5), noTime);
        for (const QString& long_ : longs)
            EXPECT_TRUE(said.contains("vantrel: " + long_ + ": Stopped by " + name)) << said.toStdString();
    }
}

// Where a cue (a white frame and a beep at the same moment of the source)
// plays in an AVI, and how long each of its streams plays, as ffmpeg reads it.
struct Played
{
    double soundAt = -1;   // the first sound; -1 for none
    double pictureAt = -1; // the first frame that is not black; -1 for none
    double video = 0;
    double audio = 0;
};

Played PlayedIn(const QString& avi)
{
    const auto run = [](const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
        process.waitForFinished(60000);
        return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    };
    const auto first = [](const QString& text, const char* pattern) {
        const QRegularExpressionMatch match = QRegularExpression(pattern).match(text);
        return match.hasMatch() ? match.captured(1).toDouble() : -1.0;
    };
    Played played;
    const QStringList read{"-hide_banner", "-nostats", "-i", avi};
    played.soundAt = first(
        run("ffmpeg", read + QStringList{"-map", "0:a", "-af", "silencedetect=n=-30dB:d=0.05", "-f", "null", "-"}),
        "silence_end: ([0-9.]+)");
    played.pictureAt = first(
        run("ffmpeg", read + QStringList{"-map", "0:v", "-vf", "blackdetect=d=0.04:pix_th=0.1", "-f", "null", "-"}),
        "black_end:([0-9.]+)");
    const QString streams
        = run("ffprobe", {"-v", "error", "-show_entries", "stream=codec_type,duration", "-of", "csv=p=0", avi});
    played.video = first(streams, "video,([0-9.]+)");
    played.audio = first(streams, "audio,([0-9.]+)");
    return played;
}

// An FLV of `seconds` whose picture turns white and whose sound beeps at
// cueAt of its own time. Its video stream starts videoFrom seconds in, its
// audio audioFrom; with a gap, the audio skips `gap` seconds after its second second.
void MakeCued(const QString& path, double seconds, double cueAt, double videoFrom, double audioFrom, double gap = 0)
{
    const QString cue = QStringLiteral("between(t+%1,%2,%3)");
    const double audioSeconds = seconds - audioFrom - gap;
    const QString audioCue
        = gap > 0 ? cue.arg(0).arg(cueAt - gap).arg(cueAt - gap + 0.4) : cue.arg(audioFrom).arg(cueAt).arg(cueAt + 0.4);
    QStringList args{
        "-nostdin",
        "-loglevel",
        "error",
        "-y",
        "-itsoffset",
        QString::number(videoFrom),
        "-f",
        "lavfi",
        "-i",
        QStringLiteral("color=c=black:s=64x48:r=25:d=%1,drawbox=w=iw:h=ih:color=white:t=fill:enable='%2'")
            .arg(seconds - videoFrom)
            .arg(cue.arg(videoFrom).arg(cueAt).arg(cueAt + 0.4)),
        "-itsoffset",
        QString::number(audioFrom),
        "-f",
        "lavfi",
        "-i",
        QStringLiteral("aevalsrc='if(%1,sin(2*PI*440*t),0)':s=44100:d=%2").arg(audioCue).arg(audioSeconds)};
    if (gap > 0)
        args << "-af" << QStringLiteral("asetpts='if(gte(T,2),PTS+%1/TB,PTS)'").arg(gap);
    args << "-c:v"
         << "flv1"
         << "-c:a"
         << "libmp3lame" << path;
    ASSERT_EQ(QProcess::execute("ffmpeg", args), 0) << path.toStdString();
}

// Recordings start a stream late or drop packets, and old archives have names
// no batch line can hold: each converts with its sound on its picture, both
// streams playing the source's length, in both profiles; what is no file
// fails at once, saying why.
TEST(ConsoleFrontEnd, EverySourceConvertsInSyncWhateverItsName)
{
    FreshHome home;
    const QString in = home.root() + "/in";
    QDir().mkpath(in);
    MakeCued(in + "/late audio.flv", 8, 4, 0, 1.975);
    MakeCued(in + "/late video.flv", 8, 4, 2, 0);
    MakeCued(in + "/gap.flv", 9, 7, 0, 0, 4);
    MakeCued(in + "/say \"hi\".flv", 8, 4, 0, 0);
    MakeFlv(in + "/short.flv", 1.9);
    for (const QByteArray& name : {QByteArray("two\nlines.flv"), QByteArray("caf\xE9.flv"),
                                   QByteArray("esc\x1B[31m\x1B]0;X\x07"
                                              "cr\r\x7F\xC2\x9B.flv"),
                                   QByteArray("\xE8\xA7\x86\xE9\xA2\x91\xE9mix.flv")})
        ASSERT_EQ(::link(QFile::encodeName(in + "/say \"hi\".flv").constData(),
                         QFile::encodeName(in).append('/').append(name).constData()),
                  0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(in + "/fifo.flv").constData(), 0600), 0);
    ASSERT_EQ(::symlink("loop.flv", QFile::encodeName(in + "/loop.flv").constData()), 0);

    struct Case
    {
        QString source;  // as the line names it
        QString outcome; // the rest of the line; %OUT% the output folder
        double cueAt;    // -1 for none
        double plays;
    };
    const Case cases[] = {
        {"late audio.flv", "Done\t%OUT%/late audio.avi", 4, 8},
        {"late video.flv", "Done\t%OUT%/late video.avi", 4, 8},
        {"gap.flv", "Done\t%OUT%/gap.avi", 7, 9},
        {"say \"hi\".flv", "Done\t%OUT%/say \"hi\".avi", 4, 8},
        {"two\\nlines.flv", "Done\t%OUT%/two_lines.avi", 4, 8},
        {"caf\\xE9.flv", "Done\t%OUT%/caf\u00e9.avi", 4, 8},
        {"esc\\x1B[31m\\x1B]0;X\\x07cr\\r\\x7F\\xC2\\x9B.flv", "Done\t%OUT%/esc_[31m_]0;X_cr___.avi", 4, 8},
        {"\u89c6\u9891\\xE9mix.flv", "Done\t%OUT%/\u89c6\u9891\u00e9mix.avi", 4, 8},
        {"short.flv", "Done\t%OUT%/short.avi", -1, 1.9},
        {"fifo.flv", "Failed\tit is not a file", -1, 0},
        {"loop.flv", "Failed\ttoo many levels of links", -1, 0},
    };
    for (const char* profile : {"divx", "xvid"}) {
        SCOPED_TRACE(profile);
        const QString out = home.root() + "/out-" + profile;
        QDir().mkpath(out);
        const Outcome o = RunFrontEnd({"--convert-to", profile, "--jobs", "2", "--outdir", out, in}, Headless());
        EXPECT_EQ(o.code, 1);
        // Nothing a name holds reaches the terminal as a control; tabs part the fields.
        const QString written = o.lines.join('\n') + o.err;
        EXPECT_FALSE(std::any_of(written.cbegin(), written.cend(), [](QChar c) {
            return c != '\n' && c != '\t' && NativePath::IsControl(c);
        })) << written.toStdString();
        QMap<QString, QString> lines; // by source
        for (const QString& line : o.lines)
            lines[line.section('\t', 1, 1)] = line.section('\t', 0, 0) + '\t' + line.section('\t', 2);
        for (const Case& c : cases) {
            SCOPED_TRACE(c.source.toStdString());
            EXPECT_EQ(lines.value(in + '/' + c.source), QString(c.outcome).replace("%OUT%", out));
            if (c.outcome.startsWith("Failed")) {
                EXPECT_TRUE(o.err.contains("vantrel: " + in + '/' + c.source + ": " + c.outcome.section('\t', 1)))
                    << o.err.toStdString();
                continue;
            }
            const Played played = PlayedIn(c.outcome.section('\t', 1).replace("%OUT%", out));
            EXPECT_GE(played.video, c.plays - 0.05);
            EXPECT_GE(played.audio, c.plays - 0.05);
            if (c.cueAt < 0)
                continue;
            EXPECT_NEAR(played.soundAt, c.cueAt, 0.15);
            EXPECT_NEAR(played.pictureAt, c.cueAt, 0.15);
        }
    }
}

// A file converts as soon as it is measured: a later file whose measuring
// is held does not keep the first from its line, and its own end, measured
// or not, comes after it.
TEST(ConsoleFrontEnd, FilesConvertWhileLaterOnesAreStillMeasured)
{
    FreshHome home;
    const QString ready = home.root() + "/ready.flv";
    MakeFlv(ready, 1.0);
    // mediainfo, held for files named "held…" until the test lets it go on.
    const QString bin = home.root() + "/bin";
    const QString letGo = home.root() + "/let-go";
    PathWithout({"mediainfo"}, bin);
    QFile wrapper(bin + "/mediainfo");
    ASSERT_TRUE(wrapper.open(QIODevice::WriteOnly));
    wrapper.write("#!/bin/sh\nfor a; do last=$a; done\ncase \"$last\" in */held*) while [ ! -e '"
                  + QFile::encodeName(letGo) + "' ]; do sleep 0.05; done;; esac\nexec "
                  + QFile::encodeName(QFileInfo("/usr/bin/mediainfo").canonicalFilePath()) + " \"$@\"\n");
    wrapper.close();
    wrapper.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    struct Case
    {
        const char* name;
        bool heldIsVideo;
        QStringList lastLine; // its fields
        int code;
    };
    const QString held = home.root() + "/held.flv";
    for (const Case& c : {Case{"a video", true, {"Done", held, home.root() + "/out-a video/held.avi"}, 0},
                          Case{"not a video",
                               false,
                               {"Failed", held,
                                "mediainfo finds no playing time in it: it is "
                                "empty, damaged or not a video"},
                               1}}) {
        SCOPED_TRACE(c.name);
        QFile::remove(letGo);
        QFile::remove(held);
        if (c.heldIsVideo)
            ASSERT_TRUE(QFile::copy(ready, held));
        else
            WriteFile(held, "not a video");
        const QString out = home.root() + "/out-" + c.name;
        QDir().mkpath(out);
        const Piped vantrel
            = StartPiped({"--convert-to", "divx", "--jobs", "2", "--outdir", out, ready, held}, Headless(bin));
        ASSERT_GT(vantrel.pid, 0);
        QByteArray lines;
        const auto read = [&] {
            char buffer[4096];
            ssize_t got = 0;
            while ((got = ::read(vantrel.out, buffer, sizeof buffer)) > 0)
                lines.append(buffer, got);
            return lines.count('\n');
        };
        EXPECT_TRUE(QTest::qWaitFor([&] { return read() >= 1; }, Patience)) << "no line while a file was measured";
        EXPECT_EQ(QString::fromLocal8Bit(lines).split('\n').first(), "Done\t" + ready + "\t" + out + "/ready.avi");
        WriteFile(letGo, "");
        int status = 0;
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return read() >= 2 && ::waitpid(vantrel.pid, &status, WNOHANG) > 0; }, Patience));
        ::close(vantrel.out);
        EXPECT_EQ(QString::fromLocal8Bit(lines).split('\n', Qt::SkipEmptyParts).value(1), c.lastLine.join('\t'));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == c.code) << status;
    }
}

} // namespace
