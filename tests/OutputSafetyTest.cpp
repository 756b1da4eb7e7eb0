// Outputs beside other runs, other users and deaths, on local, FUSE and FAT
// folders: the unfinished file's rules on real files, and real copies of the
// built program converting small real FLV files side by side, killed, short
// of descriptors or processes, or in a folder another user shares.
#include "platform/Error.h"
#include "platform/UnfinishedFile.h"
#include "support/FuseFolder.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <functional>
#include <iostream>
#include <memory>
#include <vector>

namespace {

constexpr int Patience = 180000; // ms; only a hang waits this long

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

bool Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// What ffmpeg would write, through the descriptor as a child gets it.
bool WriteThrough(const UnfinishedFile& file, const QByteArray& bytes)
{
    return ::pwrite(file.descriptor(), bytes.constData(), size_t(bytes.size()), 0) == bytes.size();
}

// An output folder, and a file of the user's own that nothing may write through.
class OutputFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir().mkpath(out));
        ASSERT_TRUE(Write(victim, "the victim's own"));
    }

    FreshHome home;
    const QString out = home.root() + "/out";
    const QString victim = home.root() + "/victim.txt";
};

// Runs body in a folder on each kind of filesystem the machine can mount;
// one it refuses is skipped, saying why.
void OnEveryFilesystem(const QString& scratchRoot, const std::function<void(FuseFolder::Kind, const QString&)>& body)
{
    for (const FuseFolder::Kind kind :
         {FuseFolder::Kind::Local, FuseFolder::Kind::Bindfs, FuseFolder::Kind::NoXattr, FuseFolder::Kind::Fat}) {
        SCOPED_TRACE(FuseFolder::Name(kind));
        QTemporaryDir scratch(scratchRoot + "/fs-XXXXXX");
        const FuseFolder filesystem(kind, scratch.path());
        if (filesystem.path().isEmpty())
            std::cerr << FuseFolder::Name(kind) << " skipped: " << filesystem.refused().toStdString() << "\n";
        else
            body(kind, filesystem.path());
    }
}

TEST_F(OutputFolder, UnfinishedFileTakesOnlyWhatItMay)
{
    // What stands at the wanted name when the row starts, and what comes meanwhile.
    enum class Meanwhile { Nothing, NewFile, Replaced };
    struct Case
    {
        const char* what;
        const char* atStart; // content at "a.avi" when the row starts; nullptr: nothing; "->": a link to the victim;
                             // "/": a folder
        Meanwhile meanwhile;
        const char* takes; // the name the finished file takes
        QStringList after; // every file of the folder afterwards
    };
    const Case cases[] = {
        {"a free name", nullptr, Meanwhile::Nothing, "a.avi", {"a.avi"}},
        {"an older file is replaced", "older", Meanwhile::Nothing, "a.avi", {"a.avi"}},
        {"a link is passed over, never written through", "->", Meanwhile::Nothing, "a (2).avi", {"a (2).avi", "a.avi"}},
        {"a folder is passed over", "/", Meanwhile::Nothing, "a (2).avi", {"a (2).avi"}},
        {"a file that came meanwhile is kept", nullptr, Meanwhile::NewFile, "a (2).avi", {"a (2).avi", "a.avi"}},
        {"a file put over the older one is kept", "older", Meanwhile::Replaced, "a (2).avi", {"a (2).avi", "a.avi"}},
    };
    OnEveryFilesystem(home.root(), [&](FuseFolder::Kind, const QString& folder) {
        const QString out = folder + "/out";
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            QDir(out).removeRecursively();
            QDir().mkpath(out);
            const QString wanted = out + "/a.avi";
            const QByteArray at = c.atStart ? c.atStart : "";
            if (at == "->" && !QFile::link(victim, wanted))
                continue; // no links on this filesystem
            if (at == "/") {
                ASSERT_TRUE(QDir().mkdir(wanted));
            } else if (!at.isEmpty() && at != "->") {
                ASSERT_TRUE(Write(wanted, at));
            }
            const FileIdentity before = FileIdentity::Of(wanted);

            auto file = UnfinishedFile::Create(out);
            ASSERT_TRUE(WriteThrough(*file, "finished"));
            // Nothing of it has a name another user could reach or a sweep could take.
            EXPECT_EQ(UnfinishedFile::RemoveLeftovers(out), 0);
            EXPECT_EQ(ReadAll(file->readablePath()), "finished");

            if (c.meanwhile == Meanwhile::NewFile) {
                ASSERT_TRUE(Write(wanted, "another run's"));
            } else if (c.meanwhile == Meanwhile::Replaced) {
                ASSERT_TRUE(Write(out + "/other", "another run's"));
                ASSERT_EQ(
                    ::rename(QFile::encodeName(out + "/other").constData(), QFile::encodeName(wanted).constData()), 0);
            }
            const QString taken
                = file->Publish([](int n) { return n == 1 ? QString("a.avi") : QString("a (%1).avi").arg(n); }, before);
            file.reset();

            EXPECT_EQ(taken, out + "/" + c.takes);
            EXPECT_EQ(ReadAll(taken), "finished");
            EXPECT_EQ(Entries(out), c.after);
            if (c.meanwhile != Meanwhile::Nothing) {
                EXPECT_EQ(ReadAll(wanted), "another run's");
            }
            EXPECT_EQ(ReadAll(victim), "the victim's own");
        }

        // Given up on, it leaves nothing.
        {
            auto file = UnfinishedFile::Create(out);
            ASSERT_TRUE(WriteThrough(*file, "half"));
        }
        EXPECT_EQ(Entries(out).filter(".part"), QStringList());
    });
    EXPECT_THROW(UnfinishedFile::Create(out + "/gone"), ESystemError);
}

TEST_F(OutputFolder, LeftoversOfDeadWritersOnlyAreRemoved)
{
    ASSERT_TRUE(Write(out + "/.vantrel-dead.avi.part", "left by a crash"));
    ASSERT_TRUE(Write(out + "/.vantrel-4242-1.avi.part", "left by an older version"));
    ASSERT_TRUE(Write(out + "/.vantrel-living.avi.part", "being written"));
    const int living = ::open(QFile::encodeName(out + "/.vantrel-living.avi.part").constData(), O_RDONLY);
    ASSERT_GE(living, 0);
    ASSERT_EQ(::flock(living, LOCK_EX), 0);
    ASSERT_TRUE(QFile::link(victim, out + "/.vantrel-link.avi.part"));
    ASSERT_TRUE(Write(out + "/film.avi", "a user's file"));
    QStringList kept{".vantrel-link.avi.part", ".vantrel-living.avi.part", "film.avi"};
    if (::geteuid() == 0) {
        ASSERT_TRUE(Write(out + "/.vantrel-theirs.avi.part", "another user's"));
        ASSERT_EQ(::chown(QFile::encodeName(out + "/.vantrel-theirs.avi.part").constData(), 65534, 65534), 0);
        kept << ".vantrel-theirs.avi.part";
        kept.sort();
    }

    EXPECT_EQ(UnfinishedFile::RemoveLeftovers(out), 2);
    EXPECT_EQ(Entries(out), kept);
    EXPECT_EQ(ReadAll(victim), "the victim's own");
    ::close(living);
}

struct Ended
{
    int code = -1;
    bool crashed = false;
    QStringList lines;
    QString err;
};

QProcessEnvironment Headless()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    return env;
}

Ended Finish(QProcess& vantrel)
{
    Ended run;
    if (!vantrel.waitForFinished(Patience)) {
        vantrel.kill();
        vantrel.waitForFinished();
        ADD_FAILURE() << "vantrel did not end";
    }
    run.crashed = vantrel.exitStatus() == QProcess::CrashExit;
    run.code = vantrel.exitCode();
    run.lines = QString::fromLocal8Bit(vantrel.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    run.err = QString::fromLocal8Bit(vantrel.readAllStandardError());
    return run;
}

// A plain user's copy: its home, temp and runtime folders in userHome, started there.
void InUsersHome(QProcess& vantrel, const QString& userHome)
{
    QProcessEnvironment env = Headless();
    env.insert("HOME", userHome);
    env.insert("TMPDIR", userHome);
    env.insert("XDG_RUNTIME_DIR", userHome);
    env.insert("XDG_CONFIG_HOME", userHome + "/.config");
    vantrel.setProcessEnvironment(env);
    vantrel.setWorkingDirectory(userHome);
}

// The outputs its Done lines name, each checked to be there and an AVI.
QStringList DoneOutputs(const Ended& run)
{
    QStringList outputs;
    for (const QString& line : run.lines) {
        const QStringList fields = line.split('\t');
        if (fields.size() == 3 && fields[0] == "Done") {
            outputs << fields[2];
            EXPECT_TRUE(ReadAll(fields[2]).startsWith("RIFF")) << fields[2].toStdString() << " is no AVI";
        }
    }
    return outputs;
}

// The processes whose parent is pid.
QList<qint64> ChildrenOf(qint64 pid)
{
    QList<qint64> children;
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool number = false;
        entry.toLongLong(&number);
        if (!number)
            continue;
        const QByteArray text = ReadAll("/proc/" + entry + "/stat");
        const QList<QByteArray> after = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (after.size() > 1 && after.at(1).toLongLong() == pid)
            children << entry.toLongLong();
    }
    return children;
}

// Copies of the program on a local, a FUSE and a FAT folder: side by side
// with same-named sources, and killed mid-file, then a new run.
TEST(OutputSafety, CopiesSideBySideOrKilledOnEveryFilesystem)
{
    FreshHome home;
    const QString clip = home.root() + "/clip.flv";
    MakeFlv(clip, 1.0);
    // Long enough that every copy has begun before the first file is finished.
    const QString slow = home.root() + "/slow.flv";
    MakeFlv(slow, 3.0);
    MakeFlv(home.root() + "/long.flv", 20.0);
    const QString bin = home.root() + "/bin";
    PathWithout({"ffmpeg"}, bin);
    // The real ffmpeg paced to the source's speed, so it surely still runs when looked at.
    ASSERT_TRUE(Write(bin + "/ffmpeg", "#!/bin/sh\nexec "
                                           + QFile::encodeName(QFileInfo("/usr/bin/ffmpeg").canonicalFilePath())
                                           + " -re \"$@\"\n"));
    QFile(bin + "/ffmpeg").setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QProcessEnvironment paced = Headless();
    paced.insert("PATH", bin);

    OnEveryFilesystem(home.root(), [&](FuseFolder::Kind kind, const QString& folder) {
        // The same source converted three times into one folder leaves one
        // file; another source of the same name never replaces it.
        const QString rerun = folder + "/rerun";
        QDir().mkpath(rerun);
        const QString sameName = home.root() + "/elsewhere/clip.flv";
        QDir().mkpath(home.root() + "/elsewhere");
        QFile::copy(clip, sameName);
        for (const QString& source : {clip, clip, clip, sameName}) {
            QProcess again;
            again.setProcessEnvironment(Headless());
            again.start(BinPath("vantrel"), {"--convert-to", "divx", "--outdir", rerun, source});
            EXPECT_EQ(Finish(again).code, 0);
        }
        EXPECT_EQ(Entries(rerun), (QStringList{"clip (2).avi", "clip.avi"}));
        // Nothing stored with an output tells its source's path.
        for (const QString& name : Entries(rerun)) {
            const QByteArray path = QFile::encodeName(rerun + "/" + name);
            QByteArray names(4096, '\0');
            const ssize_t listed = ::llistxattr(path.constData(), names.data(), size_t(names.size()));
            for (const QByteArray& attribute : names.left(std::max<ssize_t>(listed, 0)).split('\0')) {
                QByteArray value(4096, '\0');
                const ssize_t size = ::lgetxattr(path.constData(), attribute.constData(), value.data(), 4096);
                EXPECT_FALSE(value.left(std::max<ssize_t>(size, 0)).contains("clip")) << attribute.constData();
            }
        }
        if (kind == FuseFolder::Kind::NoXattr)
            return; // the rest is as on the other FUSE folder
        // Two runs at once, and eight, into one folder, each with same-named sources.
        for (const int copies : {2, 8}) {
            SCOPED_TRACE(copies);
            const QString out = QStringLiteral("%1/side-by-side-%2").arg(folder).arg(copies);
            QDir().mkpath(out);
            const QStringList names = copies == 2 ? QStringList{"a", "b", "c", "d"} : QStringList{"a", "b"};
            std::vector<std::unique_ptr<QProcess>> runs;
            for (int copy = 0; copy < copies; ++copy) {
                const QString folder = QStringLiteral("%1/copy%2").arg(home.root()).arg(copy);
                QDir().mkpath(folder);
                QStringList sources;
                for (const QString& name : names) {
                    sources << folder + "/" + name + ".flv";
                    QFile::copy(slow, sources.constLast());
                }
                runs.push_back(std::make_unique<QProcess>());
                runs.back()->setProcessEnvironment(paced);
                runs.back()->start(BinPath("vantrel"),
                                   QStringList{"--convert-to", "divx", "--jobs", "2", "--outdir", out} + sources);
            }
            QStringList all;
            for (const auto& copy : runs) {
                const Ended run = Finish(*copy);
                EXPECT_EQ(run.code, 0) << run.err.toStdString();
                const QStringList outputs = DoneOutputs(run);
                EXPECT_EQ(outputs.size(), names.size()) << run.lines.join(" | ").toStdString();
                all += outputs;
            }
            all.removeDuplicates();
            EXPECT_EQ(all.size(), copies * names.size()) << "a file reported Done was replaced by another run";
            QStringList entries = Entries(out);
            // fusefat itself at times leaves a stray entry, a hidden name cut
            // short, when renames of long names come together (plain renames
            // from a script side by side leave them too).
            if (kind == FuseFolder::Kind::Fat)
                entries.removeIf([](const QString& name) { return name.size() == 13 && name.startsWith(".vantrel-"); });
            EXPECT_EQ(entries.size(), copies * names.size()) << entries.join(" | ").toStdString();
        }

        // Killed mid-file: the kernel ends its ffmpeg; what it left on a
        // filesystem without unnamed files is gone after the next run.
        const QString out = folder + "/killed";
        QDir().mkpath(out);
        for (const int signalNumber : {SIGKILL, SIGHUP}) {
            SCOPED_TRACE(signalNumber);
            QProcess vantrel;
            vantrel.setProcessEnvironment(paced);
            vantrel.start(BinPath("vantrel"), {"--convert-to", "divx", "--outdir", out, home.root() + "/long.flv"});
            QList<qint64> ffmpeg;
            ASSERT_TRUE(QTest::qWaitFor(
                [&] {
                    ffmpeg = ChildrenOf(vantrel.processId());
                    return !ffmpeg.isEmpty()
                           && QFile::symLinkTarget("/proc/" + QString::number(ffmpeg.first()) + "/exe")
                                  .endsWith("/ffmpeg");
                },
                Patience))
                << "ffmpeg never started";
            ::kill(pid_t(vantrel.processId()), signalNumber);
            const Ended run = Finish(vantrel);
            EXPECT_TRUE(run.crashed);
            // Nothing reported as finished; a signal it can catch fails the file in its line.
            const QStringList told{"Failed\t" + home.root()
                                   + "/long.flv\tStopped by SIGHUP before its conversion finished"};
            EXPECT_EQ(run.lines, signalNumber == SIGHUP ? told : QStringList());
            EXPECT_TRUE(
                QTest::qWaitFor([&] { return !QFileInfo::exists("/proc/" + QString::number(ffmpeg.first())); }, 5000))
                << "our ffmpeg outlived the program";
            if (kind == FuseFolder::Kind::Local || signalNumber != SIGKILL) {
                EXPECT_EQ(Entries(out), QStringList()) << "an unfinished file was left";
            }
        }
        QProcess next;
        next.setProcessEnvironment(Headless());
        next.start(BinPath("vantrel"), {"--convert-to", "divx", "--outdir", out, clip});
        const Ended run = Finish(next);
        EXPECT_EQ(DoneOutputs(run), QStringList{out + "/clip.avi"}) << run.lines.join(" | ").toStdString();
        EXPECT_EQ(Entries(out), QStringList{"clip.avi"});
    });
}

// A plain user's run short of descriptors (a low limit, many of them
// inherited) or of processes, with many jobs asked for: every file still
// converted, none said to need installing again.
TEST(OutputSafety, ShortOfDescriptorsOrProcessesEveryFileWaitsForAPlace)
{
    if (::geteuid() != 0) {
        std::cerr << "skipped: needs root to run as a plain user\n";
        return;
    }
    // A user of its own: the process limit counts every process of the user.
    constexpr uid_t User = 65530;
    FreshHome home;
    QTemporaryDir machine(QStringLiteral("/tmp/vantrel-limits-XXXXXX"));
    ASSERT_TRUE(machine.isValid());
    ::chmod(QFile::encodeName(machine.path()).constData(), 0755);
    const QString userHome = machine.path() + "/user";
    const QString sources = userHome + "/many";
    const QString out = userHome + "/out";
    for (const QString& folder : {userHome, sources, out})
        ASSERT_TRUE(QDir().mkpath(folder));
    MakeFlv(sources + "/clip0.flv", 1.0);
    // As many as a folder of clips: more than a few waits' worth, so the shortage lasts.
    constexpr int Files = 48;
    for (int i = 1; i < Files; ++i)
        ASSERT_TRUE(QFile::copy(sources + "/clip0.flv", QStringLiteral("%1/clip%2.flv").arg(sources).arg(i)));
    QDirIterator all(userHome, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    ASSERT_EQ(::chown(QFile::encodeName(userHome).constData(), User, User), 0);
    while (all.hasNext())
        ASSERT_EQ(::chown(QFile::encodeName(all.next()).constData(), User, User), 0);

    struct Limit
    {
        const char* what;
        int resource;
        rlim_t value;
        int inherited; // descriptors the program is started with
    };
    for (const Limit& limit : {Limit{"descriptors", RLIMIT_NOFILE, 64, 30}, Limit{"processes", RLIMIT_NPROC, 32, 0}}) {
        SCOPED_TRACE(limit.what);
#if defined(__SANITIZE_ADDRESS__)
        // The sanitizers' own checks need descriptors (a pipe to probe memory)
        // and a thread of their own at exit (LeakSanitizer's): out of them,
        // they report faults that are not there. The plain build runs this case.
        continue;
#endif
        for (const QString& name : QDir(out).entryList(QDir::Files | QDir::Hidden))
            QFile::remove(out + "/" + name);
        QProcess vantrel;
        InUsersHome(vantrel, userHome);
        vantrel.setChildProcessModifier([limit] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(User) != 0 || ::setuid(User) != 0)
                ::_exit(99);
            for (int i = 0; i < limit.inherited; ++i)
                ::open("/dev/null", O_RDONLY);
            const rlimit few{limit.value, limit.value};
            if (::setrlimit(limit.resource, &few) != 0)
                ::_exit(98);
        });
        vantrel.start(BinPath("vantrel"), {"--convert-to", "xvid", "--jobs", "24", "--outdir", out, sources});
        const Ended run = Finish(vantrel);
        EXPECT_EQ(run.code, 0) << run.err.toStdString();
        EXPECT_EQ(DoneOutputs(run).size(), Files) << run.lines.join(" | ").toStdString();
        EXPECT_FALSE((run.err + run.lines.join('\n')).contains("install")) << run.err.toStdString();
    }
}

// A user converting into a folder everyone may write (mode 1777), and another
// user who plants links and files there first. Both are unprivileged users.
TEST(OutputSafety, SecondUserInASharedFolderGetsNothing)
{
    if (::geteuid() != 0) {
        std::cerr << "skipped: needs root to act as two users\n";
        return;
    }
    constexpr uid_t User = 65534;
    constexpr uid_t Attacker = 65533;
    FreshHome home;
    // Where both users can reach, as under /tmp.
    QTemporaryDir machine(QStringLiteral("/tmp/vantrel-users-XXXXXX"));
    ASSERT_TRUE(machine.isValid());
    ::chmod(QFile::encodeName(machine.path()).constData(), 0755);
    const QString userHome = machine.path() + "/user";
    const QString shared = machine.path() + "/shared";
    for (const QString& folder : {userHome, shared})
        ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_EQ(::chown(QFile::encodeName(userHome).constData(), User, User), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
    const QString source = userHome + "/clip.flv";
    MakeFlv(source, 1.0);
    const QString precious = userHome + "/precious.txt";
    ASSERT_TRUE(Write(precious, "the user's own"));
    for (const QString& path : {source, precious})
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), User, User), 0);

    // Planted by the attacker: a link at the output's name, a file of his own at
    // the second name, and links at every name the unfinished file once took.
    const auto asAttacker = [](const QString& link, const QString& target) {
        QFile::link(target, link);
        ::lchown(QFile::encodeName(link).constData(), Attacker, Attacker);
    };
    asAttacker(shared + "/clip.avi", precious);
    ASSERT_TRUE(Write(shared + "/clip (2).avi", "the attacker's"));
    ::chown(QFile::encodeName(shared + "/clip (2).avi").constData(), Attacker, Attacker);
    ::chmod(QFile::encodeName(shared + "/clip (2).avi").constData(), 0666);
    for (int pid = 300; pid < 4000; ++pid)
        asAttacker(QStringLiteral("%1/.vantrel-%2-1.avi.part").arg(shared).arg(pid), precious);

    QProcess vantrel;
    InUsersHome(vantrel, userHome);
    vantrel.setChildProcessModifier([] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(User) != 0 || ::setuid(User) != 0)
            ::_exit(99);
    });
    vantrel.start(BinPath("vantrel"), {"--convert-to", "divx", "--outdir", shared, source});
    const Ended run = Finish(vantrel);

    EXPECT_EQ(run.code, 0) << run.err.toStdString();
    const QStringList outputs = DoneOutputs(run);
    ASSERT_EQ(outputs.size(), 1) << run.lines.join(" | ").toStdString();
    EXPECT_EQ(ReadAll(precious), "the user's own") << "written through the attacker's link";
    EXPECT_EQ(ReadAll(shared + "/clip (2).avi"), "the attacker's");
    struct stat st
    {
    };
    ASSERT_EQ(::stat(QFile::encodeName(outputs.first()).constData(), &st), 0);
    EXPECT_EQ(st.st_uid, User) << "the output is not a file the attacker made";
}

} // namespace
