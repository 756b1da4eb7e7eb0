#include "app/Main.h"
#include "app/instance/MainInstance.h"
#include "model/QueueModel.h"
#include "platform/Prompt.h"
#include "support/TestEnv.h"

#include <QDirIterator>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

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
    explicit Copy(const QStringList& arguments = {},
                  const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
    {
        m_process.setProcessEnvironment(env);
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
    bool endedWithZero() const
    {
        return m_process.state() == QProcess::NotRunning && m_process.exitStatus() == QProcess::NormalExit
            && m_process.exitCode() == 0;
    }
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
    sockaddr_un address {};
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
    struct Case { const char* what; QStringList arguments; QString text; };
    const QString longArgument(100000, QLatin1Char('a'));
    const Case cases[] = {
        {"no arguments", {}, ""},
        {"plain", {"a", "b c"}, "a b c "},
        {"after an .exe", {"x", "C:\\Tools\\Setup.EXE", "film.flv"}, "film.flv "},
        {"the last .exe wins", {"a.exe", "b", "c.ExE", "d"}, "d "},
        {".exe inside a name", {"my.exe.flv", "e"}, "e "},
        {".exe last", {"film.flv", "tool.exe"}, ""},
        {"non-ASCII", {QStringLiteral("Überspielung.flv"), QStringLiteral("映画")}, QStringLiteral("Überspielung.flv 映画 ")},
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
        Copy later({"one", "C:/Tools/Other.EXE", QStringLiteral("film é.flv"), longArgument, "--x"},
                   other.environment());
        ASSERT_TRUE(later.waitForEnd());
        EXPECT_TRUE(later.endedWithZero());
        EXPECT_EQ(other.made(), EmptyHomeTree) << "a later copy must write no file or setting";
    }
    EXPECT_EQ(forwarded, QStringList{QStringLiteral("film é.flv ") + longArgument + QStringLiteral(" --x ")});
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
    // Every argument also came as a path to queue; none names a file, and each is told.
    EXPECT_TRUE(QTest::qWaitFor([&] { return prompts.shown().size() >= 7; }, Patience));
    EXPECT_EQ(prompts.shown().size(), 7u);
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

TEST_F(SingleInstance, AFirstCopyThatDoesNotAnswerLetsTheNextStartOnItsOwn)
{
    Copy first;
    ASSERT_TRUE(QTest::qWaitFor(someoneListens, Patience));
    first.signal(SIGSTOP);

    OtherHome other;
    Copy later({}, other.environment());
    // It gives up waiting and goes through start-up like any copy.
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(other.configFile()); }, Patience));
    EXPECT_TRUE(later.running());
    first.signal(SIGCONT);
    EXPECT_TRUE(first.running());
}

} // namespace
