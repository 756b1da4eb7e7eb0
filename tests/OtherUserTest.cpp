#include "support/TestEnv.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <grp.h>
#include <iostream>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int Patience = 60000; // ms; only a hang ever waits this long
// Two users without privileges: one whose copy runs, one who prepared a trap.
constexpr uid_t User = 65533;
constexpr uid_t Other = 65534;

QByteArray Bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void MakeFolder(const QString& path, uid_t owner, mode_t mode)
{
    QDir().mkpath(path);
    const QByteArray native = QFile::encodeName(path);
    ASSERT_EQ(::chown(native.constData(), owner, owner), 0);
    ASSERT_EQ(::chmod(native.constData(), mode), 0);
}

mode_t Mode(const QString& path)
{
    struct stat st
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Starts a process as the user; its standard error goes to errFile. Raw
// system calls after the fork only.
pid_t StartAs(uid_t user, const QStringList& command, const QProcessEnvironment& env, const QString& errFile)
{
    ExecArguments exec(command, env.toStringList());
    const int err = ::open(QFile::encodeName(errFile).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(user) != 0 || ::setuid(user) != 0 || ::dup2(err, 2) < 0)
            ::_exit(120);
        ::execve(exec.argv()[0], exec.argv(), exec.envp());
        ::_exit(121);
    }
    ::close(err);
    return pid;
}

// The exit code, or -1 when it did not end (it is then ended) or ended by a signal.
int WaitFor(pid_t pid, int ms = Patience)
{
    int status = 0;
    if (!QTest::qWaitFor([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, ms)) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs the trap as the other user in a child that stays until killed; it
// writes one byte to `report` when it is ready ('R') and one for each thing
// the user's copy sent it ('C').
pid_t PlantAs(uid_t other, const std::function<void(int report)>& trap, int report)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(other) != 0 || ::setuid(other) != 0)
            ::_exit(120);
        trap(report);
        ::_exit(0);
    }
    return pid;
}

// Ends the process when the test leaves, whichever way.
struct EndedWithTest
{
    ~EndedWithTest()
    {
        if (pid > 0 && ::kill(pid, SIGKILL) == 0)
            ::waitpid(pid, nullptr, 0);
    }
    pid_t pid;
};

// The user's own surroundings, all theirs, inside the test's folder.
struct UserHome
{
    explicit UserHome(const QString& base) : root(base + QStringLiteral("/user"))
    {
        for (const char* sub : {"", "/home", "/home/.config", "/home/.local/share", "/home/.cache", "/tmp", "/out"})
            MakeFolder(root + QLatin1String(sub), User, 0755);
        MakeFolder(runtime, User, 0700);
        QFile file(precious);
        if (file.open(QIODevice::WriteOnly))
            file.write("the user's own words\n");
        file.close();
        ::chown(QFile::encodeName(precious).constData(), User, User);
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env;
        env.insert(QStringLiteral("PATH"), QString::fromLocal8Bit(qgetenv("PATH")));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), root + QStringLiteral("/home"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/home/.config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/home/.local/share"));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), root + QStringLiteral("/home/.cache"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env.insert(QStringLiteral("TMPDIR"), root + QStringLiteral("/tmp"));
        return env;
    }

    const QString root;
    // Deeper than a socket's path may be: the copies meet under /tmp instead.
    const QString runtime = root + QStringLiteral("/a-runtime-folder-deeper-than-any-socket-path-may-be/")
                            + QString(80, QLatin1Char('r'));
    const QString precious = root + QStringLiteral("/home/precious.txt");
};

// Another user of the machine sets traps in the user's private folders that
// were left open to everyone; the user's copy refuses the folder, says so,
// and writes nothing through the trap.
TEST(OtherUser, PrivateFoldersLeftOpenAreRefusedAndNothingIsWrittenThroughThem)
{
    if (::geteuid() != 0) {
        std::cerr << "skipped: needs root to act as two other users\n";
        return;
    }
    struct Row
    {
        const char* what;
        std::function<QString(const UserHome&)> folder; // the private folder left open
        // Plants the trap in that folder as the other user.
        std::function<void(const UserHome&, const QString& folder, int report)> trap;
        bool window; // the user starts the window, else the front end
    };
    const Row rows[] = {
        {"the temp folder with open.bat a link to the user's file",
         [](const UserHome& h) { return h.root + QStringLiteral("/tmp/vantrel-") + QString::number(User); },
         [](const UserHome& h, const QString& folder, int report) {
             const bool planted = ::symlink(QFile::encodeName(h.precious).constData(),
                                            QFile::encodeName(folder + QStringLiteral("/open.bat")).constData())
                                  == 0;
             const char said = planted ? 'R' : char(errno);
             [[maybe_unused]] const ssize_t n = ::write(report, &said, 1);
             ::pause();
         },
         false},
        {"the socket folder with a lock held and a socket listening",
         [](const UserHome&) { return QStringLiteral("/tmp/vantrel-run-") + QString::number(User); },
         [](const UserHome& h, const QString& folder, int report) {
             const QByteArray name = QFile::encodeName(
                 folder + QStringLiteral("/Vantrel-")
                 + QString::fromLatin1(QCryptographicHash::hash(QFile::encodeName(h.runtime), QCryptographicHash::Sha1)
                                           .toHex()
                                           .left(16)));
             const int lock = ::open((name + ".lock").constData(), O_RDWR | O_CREAT, 0666);
             const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
             const bool planted = lock >= 0 && ::fchmod(lock, 0666) == 0 && ::flock(lock, LOCK_EX) == 0 && listener >= 0
                                  && ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
                                  && ::chmod(name.constData(), 0777) == 0 && ::listen(listener, 8) == 0;
             [[maybe_unused]] ssize_t n = ::write(report, planted ? "R" : "F", 1);
             for (;;) {
                 if (::accept(listener, nullptr, nullptr) >= 0)
                     n = ::write(report, "C", 1);
             }
         },
         true},
    };

    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        FreshHome home;
        // Both users must pass through the test's own folders above theirs.
        for (QString up = home.root(); up.size() > 1; up = QFileInfo(up).path()) {
            struct stat st
            {
            };
            if (::stat(QFile::encodeName(up).constData(), &st) == 0 && st.st_uid == ::geteuid())
                ::chmod(QFile::encodeName(up).constData(), (st.st_mode & 07777) | S_IXOTH);
        }
        const UserHome user(home.root());
        const QString clip = user.root + QStringLiteral("/clip.flv");
        MakeFlv(clip);
        const QString folder = row.folder(user);
        std::filesystem::remove_all(QFile::encodeName(folder).toStdString());
        MakeFolder(folder, User, 0777);

        int report[2];
        ASSERT_EQ(::pipe2(report, O_CLOEXEC), 0);
        const EndedWithTest trap{PlantAs(
            Other, [&](int fd) { row.trap(user, folder, fd); }, report[1])};
        ::close(report[1]);
        char ready = 0;
        ASSERT_EQ(::read(report[0], &ready, 1), 1);
        ASSERT_EQ(ready, 'R') << "the trap was not set: " << std::strerror(ready);
        ::fcntl(report[0], F_SETFL, O_NONBLOCK);

        const QString errFile = home.root() + QStringLiteral("/stderr.txt");
        QStringList command{BinPath(QStringLiteral("vantrel"))};
        if (!row.window)
            command << QStringLiteral("--convert-to") << QStringLiteral("divx") << QStringLiteral("--outdir")
                    << user.root + QStringLiteral("/out");
        command << clip;
        const pid_t copy = StartAs(User, command, user.environment(), errFile);
        const EndedWithTest ended{copy};
        if (row.window) {
            // It got past the guard into its start-up, which writes the settings.
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return QFile::exists(user.root + QStringLiteral("/home/.config/Vantrel.conf")); }, Patience));
            EXPECT_TRUE(QTest::qWaitFor([&] { return Bytes(errFile).contains("writable by others"); }, Patience));
        } else {
            EXPECT_EQ(WaitFor(copy), 1);
        }
        const QString said = QString::fromLocal8Bit(Bytes(errFile));
        EXPECT_TRUE(said.contains(
            QStringLiteral("\"%1\" is writable by others; remove it or set its mode to 0700").arg(folder)))
            << said.toStdString();
        EXPECT_EQ(Bytes(user.precious), QByteArray("the user's own words\n"));
        EXPECT_EQ(Mode(folder), mode_t(0777)) << "the folder was changed";
        EXPECT_TRUE(QDir(user.root + QStringLiteral("/out")).isEmpty());
        char sent = 0;
        EXPECT_NE(::read(report[0], &sent, 1), 1) << "the user's copy reached the other user's socket";

        ::close(report[0]);
        std::filesystem::remove_all(QFile::encodeName(folder).toStdString());
    }
}

} // namespace
