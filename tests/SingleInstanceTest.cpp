#include "app/Main.h"
#include "app/instance/MainInstance.h"
#include "model/QueueModel.h"
#include "platform/NativePath.h"
#include "platform/Prompt.h"
#include "support/TestEnv.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QtEndian>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <poll.h>
#include <cstring>
#include <grp.h>
#include <iostream>
#include <memory>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr int Patience = 15000; // ms; only a hang ever waits this long

// A home of its own for a copy, sharing the runtime folder (and so the socket)
// of the test's FreshHome.
class OtherHome
{
public:
    OtherHome()
    {
        for (const char* sub : {"home/.config", "home/.local/share", "home/.cache", "tmp"})
            QDir().mkpath(m_dir.filePath(QLatin1String(sub)));
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), m_dir.filePath(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("home/.config")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("home/.local/share")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), m_dir.filePath(QStringLiteral("home/.cache")));
        env.insert(QStringLiteral("TMPDIR"), m_dir.filePath(QStringLiteral("tmp")));
        return env;
    }

    // Every file and folder the copy made, leaving out the font cache the
    // toolkit may build before the guard runs.
    QStringList made() const
    {
        QStringList found;
        QDirIterator it(m_dir.path(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = QDir(m_dir.path()).relativeFilePath(it.next());
            if (!path.startsWith(QLatin1String("home/.cache")))
                found << path;
        }
        found.sort();
        return found;
    }

    QString configFile() const { return m_dir.filePath(QStringLiteral("home/.config/Vantrel.conf")); }

private:
    QTemporaryDir m_dir;
};

const QStringList EmptyHomeTree{"home", "home/.config", "home/.local", "home/.local/share", "tmp"};

// A copy of the built program, ended at the latest with the test.
class Copy
{
public:
    // Its error output goes to the test's own unless kept for errorOutput().
    explicit Copy(const QStringList& arguments = {},
                  const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(), bool keepErrors = false)
    {
        m_process.setProcessEnvironment(env);
        // Room for a command line of many megabytes, as a shell with a large stack gives.
        m_process.setChildProcessModifier([] {
            const rlimit stack{256 * 1024 * 1024, 256 * 1024 * 1024};
            ::setrlimit(RLIMIT_STACK, &stack);
        });
        if (!keepErrors)
            m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(BinPath(QStringLiteral("vantrel")), arguments);
        m_process.waitForStarted(Patience);
    }
    ~Copy()
    {
        if (m_process.state() != QProcess::NotRunning) {
            ::kill(static_cast<pid_t>(m_process.processId()), SIGCONT);
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    bool waitForEnd(int ms = Patience)
    {
        return QTest::qWaitFor([this] { return m_process.state() == QProcess::NotRunning; }, ms);
    }
    bool running() const { return m_process.state() == QProcess::Running; }
    // Waits without serving this process's own events, as a window that is stopped would.
    bool waitForEndUnserved(int ms = Patience) { return m_process.waitForFinished(ms); }
    bool endedWithZero() const
    {
        return m_process.state() == QProcess::NotRunning && m_process.exitStatus() == QProcess::NormalExit
               && m_process.exitCode() == 0;
    }
    int exitCode() const { return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1; }
    QString errorOutput() { return QString::fromLocal8Bit(m_process.readAllStandardError()); }
    void signal(int number) { ::kill(static_cast<pid_t>(m_process.processId()), number); }
    void crash()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

private:
    QProcess m_process;
};

bool someoneListens()
{
    QLocalSocket probe;
    probe.connectToServer(TMainInstance::ServerName());
    return probe.waitForConnected(1000);
}

// A later copy ends with code 0 only when a first copy answered it.
bool answeredLaterCopy()
{
    Copy later;
    return later.waitForEnd() && later.endedWithZero();
}

// A socket file nobody listens on, as a crashed copy leaves it.
void leaveStaleSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(path);
    ASSERT_LT(size_t(native.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, native.constData(), native.size());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(QFile::exists(path));
}

TEST(ForwardedText, KeepsTheArgumentsAfterTheLastExeEachWithABlank)
{
    struct Case
    {
        const char* what;
        QStringList arguments;
        QString text;
    };
    const QString longArgument(100000, QLatin1Char('a'));
    const Case cases[] = {
        {"no arguments", {}, ""},
        {"plain", {"a", "b c"}, "a b c "},
        {"after an .exe", {"x", "C:\\Tools\\Setup.EXE", "film.flv"}, "film.flv "},
        {"the last .exe wins", {"a.exe", "b", "c.ExE", "d"}, "d "},
        {".exe inside a name", {"my.exe.flv", "e"}, "e "},
        {".exe last", {"film.flv", "tool.exe"}, ""},
        {"non-ASCII",
         {QStringLiteral("Überspielung.flv"), QStringLiteral("映画")},
         QStringLiteral("Überspielung.flv 映画 ")},
        {"empty argument", {"", "x"}, " x "},
        {"very long", {longArgument}, longArgument + ' '},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TMainInstance::ForwardedText(c.arguments), c.text) << c.what;
}

class SingleInstance : public ::testing::Test
{
protected:
    FreshHome home;
    Prompt::Script prompts;
};

TEST_F(SingleInstance, ALaterCopyForwardsItsTailBringsTheFirstForwardAndWritesNothing)
{
    // The first copy is a real window in this process, so what it is asked is seen.
    TMainInstance::setEnabled(true);
    TfrmMain first;
    TMainInstance::setEnabled(false);
    ASSERT_TRUE(first.MainInstance1->isListening());
    QStringList forwarded;
    int activations = 0;
    QObject::connect(first.MainInstance1, &TMainInstance::commandLineForwarded,
                     [&](const QString& text) { forwarded << text; });
    QObject::connect(first.MainInstance1, &TMainInstance::activationRequested, [&] { ++activations; });

    first.show();
    first.showMinimized();
    ASSERT_TRUE(first.isMinimized());
    // Near the system's limit for one argument, and not ASCII.
    const QString longArgument(60000, QChar(0xE9));
    {
        OtherHome other;
        Copy later({"one", "C:/Tools/Other.EXE", QStringLiteral("film é.flv"), longArgument, "x"}, other.environment());
        ASSERT_TRUE(later.waitForEnd());
        EXPECT_TRUE(later.endedWithZero());
        EXPECT_EQ(other.made(), EmptyHomeTree) << "a later copy must write no file or setting";
    }
    EXPECT_EQ(forwarded, QStringList{QStringLiteral("film é.flv ") + longArgument + QStringLiteral(" x ")});
    EXPECT_EQ(activations, 1);
    EXPECT_FALSE(first.isMinimized());

    // Not minimised: it is activated over another window. Nothing is forwarded
    // when the text is empty, or when the last argument holds ".exe".
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
    for (const QStringList& arguments : {QStringList{}, QStringList{"a", "b.exe"}}) {
        Copy later(arguments);
        ASSERT_TRUE(later.waitForEnd());
        EXPECT_TRUE(later.endedWithZero());
    }
    EXPECT_EQ(forwarded.size(), 1);
    EXPECT_EQ(activations, 3);
    EXPECT_TRUE(QTest::qWaitFor([&] { return first.isActiveWindow(); }, Patience));
    // Every argument also came as a path to queue; none names a file, and each
    // forward tells its paths in one message.
    EXPECT_TRUE(QTest::qWaitFor([&] { return prompts.shown().size() >= 2; }, Patience));
    const QStringList told = prompts.texts(Prompt::Kind::Message);
    ASSERT_EQ(told.size(), 2);
    EXPECT_EQ(told[0].count(QStringLiteral(": there is no such file or folder")), 4) << told[0].toStdString();
    EXPECT_EQ(told[0].count(QStringLiteral(": it cannot be read: File name too long")), 1) << told[0].toStdString();
    EXPECT_EQ(told[1].count(QStringLiteral(": there is no such file or folder")), 2) << told[1].toStdString();
    EXPECT_EQ(first.queue().count(), 0);
}

TEST_F(SingleInstance, TwoCopiesStartedTogetherLeaveOne)
{
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        auto a = std::make_unique<Copy>();
        auto b = std::make_unique<Copy>();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !a->running() || !b->running(); }, Patience));
        std::unique_ptr<Copy>& ended = a->running() ? b : a;
        std::unique_ptr<Copy>& survivor = a->running() ? a : b;
        EXPECT_TRUE(ended->endedWithZero());
        // The survivor is the one that answers the next copy.
        EXPECT_TRUE(answeredLaterCopy());
        EXPECT_TRUE(survivor->running());
        // Ended by a kill, it leaves its socket behind for the next round.
        survivor->crash();
    }
}

TEST_F(SingleInstance, ASocketLeftBehindDoesNotStopTheNextStart)
{
    const QString socket = TMainInstance::ServerName();
    leaveStaleSocket(socket);
    {
        Copy first;
        ASSERT_TRUE(QTest::qWaitFor(someoneListens, Patience));
        EXPECT_TRUE(answeredLaterCopy());
        EXPECT_TRUE(first.running());
        first.crash();
    }
    ASSERT_TRUE(QFile::exists(socket)) << "a killed copy leaves its socket";
    EXPECT_FALSE(someoneListens());

    Copy next;
    ASSERT_TRUE(QTest::qWaitFor(someoneListens, Patience));
    EXPECT_TRUE(answeredLaterCopy());
    EXPECT_TRUE(next.running());
}

TEST_F(SingleInstance, AFirstCopyThatDoesNotTakeThePathsMakesTheNextSaySoAndEndWithOne)
{
    Copy first;
    ASSERT_TRUE(QTest::qWaitFor(someoneListens, Patience));
    first.signal(SIGSTOP);

    OtherHome other;
    QElapsedTimer clock;
    clock.start();
    Copy later({QStringLiteral("film.flv")}, other.environment(), true);
    // It gives up after its seconds of trying, and the user learns the file was not queued.
    ASSERT_TRUE(later.waitForEnd());
    EXPECT_EQ(later.exitCode(), 1);
    EXPECT_TRUE(later.errorOutput().contains("not queued")) << later.errorOutput().toStdString();
    EXPECT_GE(clock.elapsed(), TMainInstance::HandOverTimeoutMs - 100);
    EXPECT_EQ(other.made(), EmptyHomeTree) << "a later copy must write no file or setting";
    first.signal(SIGCONT);
    EXPECT_TRUE(first.running());
}

// A runtime folder of 200 characters: deeper than a socket's path may be.
QString LongRuntimeFolder(const QString& base)
{
    QString path = base + QStringLiteral("/deep");
    while (path.size() < 200)
        path += QStringLiteral("/runtime-folder");
    path.truncate(200);
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

TEST_F(SingleInstance, TwoCopiesMeetUnderALongRuntimeFolder)
{
    const QString runtime = LongRuntimeFolder(home.root());
    ASSERT_EQ(runtime.size(), 200);
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime));

    const QString name = TMainInstance::ServerName();
    EXPECT_TRUE(name.startsWith("/tmp/vantrel-run-" + QString::number(::getuid()) + "/")) << name.toStdString();
    struct stat st
    {
    };
    ASSERT_EQ(::lstat(QFile::encodeName(QFileInfo(name).path()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, ::getuid());

    {
        TMainInstance::setEnabled(true);
        TfrmMain first;
        TMainInstance::setEnabled(false);
        ASSERT_TRUE(first.MainInstance1->isListening());
        QStringList forwarded;
        QObject::connect(first.MainInstance1, &TMainInstance::commandLineForwarded,
                         [&](const QString& text) { forwarded << text; });

        OtherHome other;
        Copy later({QStringLiteral("film.flv")}, other.environment());
        ASSERT_TRUE(later.waitForEnd());
        EXPECT_TRUE(later.endedWithZero());
        EXPECT_EQ(forwarded, QStringList{QStringLiteral("film.flv ")});
        EXPECT_EQ(other.made(), EmptyHomeTree);
    }
    // This runtime folder is the test's alone: its lock goes with it.
    QFile::remove(name + QStringLiteral(".lock"));
}

TEST_F(SingleInstance, ACopyWithoutAnyRuntimeFolderStillStarts)
{
    // A runtime folder that cannot exist, and no temp folder to fall back on.
    QFile file(home.root() + QStringLiteral("/a-file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    OtherHome other;
    QProcessEnvironment env = other.environment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), file.fileName() + QStringLiteral("/runtime"));
    env.insert(QStringLiteral("TMPDIR"), file.fileName());
    Copy copy({}, env);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(other.configFile()); }, Patience));
    EXPECT_TRUE(copy.running());
}

// Connects to the socket as the given user, asks for activation and tells
// what came back: 0 the answer, 1 the connection closed unanswered, 2 no
// connection at all. Raw system calls only, as the child of a fork must.
int ConnectAs(uid_t user, gid_t group, const QByteArray& socketPath)
{
    const QByteArray request("A\0\0\0\0", 5);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (user != ::getuid() && (::setgroups(0, nullptr) != 0 || ::setgid(group) != 0 || ::setuid(user) != 0))
            ::_exit(3);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, socketPath.constData(), socketPath.size());
        if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            ::_exit(2);
        if (::write(fd, request.constData(), request.size()) != request.size())
            ::_exit(1);
        char answer = 0;
        ::_exit(::read(fd, &answer, 1) == 1 && answer == 'K' ? 0 : 1);
    }
    int status = -1;
    // The first copy answers from this process's event loop.
    if (!QTest::qWaitFor([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, Patience)) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(SingleInstance, OnlyTheFirstCopysOwnUserIsAnswered)
{
    TMainInstance::setEnabled(true);
    TfrmMain first;
    TMainInstance::setEnabled(false);
    ASSERT_TRUE(first.MainInstance1->isListening());
    int activations = 0;
    QObject::connect(first.MainInstance1, &TMainInstance::activationRequested, [&] { ++activations; });

    // Open the way to the socket for everyone, as a careless runtime folder
    // would: only the peer's credentials then stand between. Only root can
    // be another user, and every mode changed is put back, as the folder may
    // be the shared fallback that later copies refuse when it is open.
    const QString socket = TMainInstance::ServerName();
    struct OpenedFolders
    {
        std::vector<std::pair<QByteArray, mode_t>> modes;
        ~OpenedFolders()
        {
            for (const auto& [folder, mode] : modes)
                ::chmod(folder.constData(), mode);
        }
    } opened;
    bool reachable = ::geteuid() == 0 && socket.startsWith(QLatin1String("/tmp/"));
    for (QString folder = QFileInfo(socket).path(); reachable && folder != QLatin1String("/tmp");
         folder = QFileInfo(folder).path()) {
        struct stat st
        {
        };
        const QByteArray native = QFile::encodeName(folder);
        reachable = ::stat(native.constData(), &st) == 0;
        if (reachable && !(st.st_mode & S_IXOTH)) {
            reachable = ::chmod(native.constData(), (st.st_mode & 07777) | 0011) == 0;
            opened.modes.emplace_back(native, st.st_mode & 07777);
        }
    }
    ::chmod(QFile::encodeName(socket).constData(), 0777);

    struct Case
    {
        const char* what;
        uid_t user;
        int answer;
        int activations;
    };
    const Case cases[] = {
        {"the same user", ::getuid(), 0, 1},
        {"another user", ::getuid() == 65534 ? uid_t(65533) : uid_t(65534), 1, 1}, // never the test's own
    };
    for (const Case& c : cases) {
        if (c.user != ::getuid() && (::geteuid() != 0 || !reachable)) {
            std::cerr << "skipped, needs root and a socket under /tmp: " << c.what << '\n';
            continue;
        }
        EXPECT_EQ(ConnectAs(c.user, 65534, QFile::encodeName(socket)), c.answer) << c.what;
        EXPECT_EQ(activations, c.activations) << c.what;
    }
}

// A raw connection to the socket that sends the bytes without waiting; -1 when none.
int ConnectAndSend(const QByteArray& socketPath, const QByteArray& bytes)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    [[maybe_unused]] const ssize_t sent
        = ::send(fd, bytes.constData(), size_t(bytes.size()), MSG_DONTWAIT | MSG_NOSIGNAL);
    return fd;
}

bool ClosedByPeer(int fd)
{
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 0) != 1)
        return false;
    char byte = 0;
    return ::recv(fd, &byte, 1, MSG_DONTWAIT) <= 0;
}

QByteArray Message(char kind, const QByteArray& body)
{
    char length[4];
    qToBigEndian<quint32>(quint32(body.size()), length);
    return QByteArray(1, kind) + QByteArray(length, 4) + body;
}

TEST_F(SingleInstance, FewConnectionsAtOnceNoneStaysAndAPathWithANulIsRefused)
{
    TMainInstance::setEnabled(true);
    TfrmMain first;
    TMainInstance::setEnabled(false);
    ASSERT_TRUE(first.MainInstance1->isListening());
    const QByteArray socket = QFile::encodeName(TMainInstance::ServerName());

    // Each announces the largest message and sends a part of it, then idles.
    QByteArray partial = Message('P', QByteArray(TMainInstance::MaxForwardedBytes, 'x'));
    partial.truncate(64 * 1024);
    const int total = 3 * TMainInstance::MaxConnections;
    QElapsedTimer clock;
    clock.start();
    std::vector<int> fds;
    for (int i = 0; i < total; ++i) {
        fds.push_back(ConnectAndSend(socket, partial));
        ASSERT_GE(fds.back(), 0);
    }
    const auto closed = [&] { return int(std::count_if(fds.begin(), fds.end(), ClosedByPeer)); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return closed() >= total - TMainInstance::MaxConnections; }, Patience));
    if (clock.elapsed() < TMainInstance::ConnectionTimeoutMs - 1000) {
        for (int i = 0; i < total; ++i)
            EXPECT_EQ(ClosedByPeer(fds[i]), i >= TMainInstance::MaxConnections) << i;
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return closed() == total; }, Patience)) << "idle connections stay";
    for (const int fd : fds)
        ::close(fd);
    // Their places are free again.
    EXPECT_TRUE(answeredLaterCopy());

    // A NUL would cut the path short, to a file that exists: the whole hand-over is refused.
    const QString clip = home.root() + QStringLiteral("/clip.flv");
    const QString other = home.root() + QStringLiteral("/other.flv");
    MakeFlv(clip);
    MakeFlv(other);
    const int bad
        = ConnectAndSend(socket, Message('P', TMainInstance::EncodePaths({clip + QChar(0) + QStringLiteral("x")}))
                                     + Message('P', TMainInstance::EncodePaths({other})) + Message('A', {}));
    ASSERT_GE(bad, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ClosedByPeer(bad); }, Patience));
    const int good = ConnectAndSend(socket, Message('P', TMainInstance::EncodePaths({other})) + Message('A', {}));
    ASSERT_GE(good, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return first.queue().count() > 0 && !first.AddingFiles(); }, Patience));
    ASSERT_EQ(first.queue().count(), 1);
    EXPECT_EQ(first.queue().path(0), other);
    ::close(bad);
    ::close(good);
}

// A hand-over of any size arrives whole, and one that the later copy gave up
// on is never queued, even when the first copy reads it afterwards.
TEST_F(SingleInstance, AHandOverArrivesWholeOrTheLaterCopysNotQueuedIsTrue)
{
    TMainInstance::setEnabled(true);
    TfrmMain first;
    TMainInstance::setEnabled(false);
    ASSERT_TRUE(first.MainInstance1->isListening());
    QObject::disconnect(first.MainInstance1, &TMainInstance::pathsForwarded, &first, nullptr);
    QStringList handed;
    QObject::connect(first.MainInstance1, &TMainInstance::pathsForwarded,
                     [&](const QStringList& paths) { handed += paths; });

    // Past what one message could hold (the system takes 6 MiB of arguments at most), with a
    // name that is not UTF-8 and one with a line feed.
    QStringList many;
    for (int i = 0; i < 60000; ++i)
        many << QStringLiteral("/nowhere/a folder of recordings/clip %1 from the stream, kept.flv").arg(i);
    ASSERT_GT(TMainInstance::EncodePaths(many).size(), TMainInstance::MaxForwardedBytes);
    many << QStringLiteral("/nowhere/two\nlines.flv");
    {
        Copy later(many);
        ASSERT_TRUE(later.waitForEnd(60000));
        EXPECT_TRUE(later.endedWithZero());
    }
    EXPECT_EQ(handed.size(), many.size());
    EXPECT_TRUE(handed == many);
    // A name's bytes, as a shell passes them: QProcess could only pass UTF-8.
    handed.clear();
    QProcess shell;
    shell.start("/bin/sh", {"-c", "exec \"$0\" \"$(printf '/nowhere/caf\\351.flv')\"", BinPath("vantrel")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return shell.state() == QProcess::NotRunning; }, Patience));
    EXPECT_EQ(shell.exitCode(), 0);
    EXPECT_EQ(handed, QStringList{NativePath::Decode("/nowhere/caf\xE9.flv")});

    // The window does not serve the later copy until it has given up.
    handed.clear();
    Copy later({QStringLiteral("/nowhere/film.flv")}, QProcessEnvironment::systemEnvironment(), true);
    ASSERT_TRUE(later.waitForEndUnserved());
    EXPECT_EQ(later.exitCode(), 1);
    EXPECT_TRUE(later.errorOutput().contains("not queued"));
    QTest::qWait(2 * TMainInstance::AnswerMarginMs);
    EXPECT_TRUE(handed.isEmpty()) << "queued after the later copy said it was not";
}

} // namespace
