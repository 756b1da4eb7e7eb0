#include "platform/ChildProcess.h"
#include "platform/ProcessLauncher.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QWidget>
#include <QTest>
#include <QtGui/qpa/qwindowsysteminterface.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

QStringList readLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

class Launcher : public ::testing::Test
{
protected:
    FreshHome home;
    QString app = BinPath(QStringLiteral("processtestapp"));
    QString out = home.tmp() + QStringLiteral("/out.txt");
};

TEST_F(Launcher, PassesTheSplitArgumentsWithoutAShell)
{
    const QString args = QStringLiteral(" args \"%1\" \"a b\" $HOME `id` \"x;y\" \"\" \"q\\\"q\"").arg(out);
    ASSERT_TRUE(ProcessLauncher::ShellExecWait(app, args, 0));
    const QStringList lines = QString::fromUtf8([&] {
                                  QFile f(out);
                                  f.open(QIODevice::ReadOnly);
                                  return f.readAll();
                              }())
                                  .split(QLatin1Char('\n'));
    ASSERT_GE(lines.size(), 7);
    EXPECT_EQ(lines.mid(1, 6), (QStringList{"a b", "$HOME", "`id`", "x;y", "", "q\"q"}));
}

TEST_F(Launcher, WorkingFolderIsTheProgramsFolder)
{
    ASSERT_TRUE(ProcessLauncher::ShellExecWait(app, QStringLiteral("args \"%1\"").arg(out), 0));
    EXPECT_EQ(readLines(out).value(0), QFileInfo(app).absolutePath());
}

TEST_F(Launcher, BareNameRunsInTheFolderFoundOnPath)
{
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(QFileInfo(app).absolutePath()) + ":" + savedPath);
    const LaunchPlan plan = ProcessLauncher::Plan(QStringLiteral("processtestapp"), QStringLiteral("exit 0"));
    EXPECT_EQ(plan.workingFolder, QFileInfo(app).absolutePath());
    EXPECT_EQ(plan.arguments, (QStringList{"exit", "0"}));
    // Not found anywhere: no working folder, and the start fails at once.
    EXPECT_EQ(ProcessLauncher::Plan(QStringLiteral("no-such-program-vt"), QString()).workingFolder, QString());
    EXPECT_FALSE(ProcessLauncher::ShellExec(QStringLiteral("no-such-program-vt"), QString(), 0));
    EXPECT_FALSE(ProcessLauncher::ShellExecWait(QStringLiteral("no-such-program-vt"), QString(), 0));
    qputenv("PATH", savedPath);
}

TEST_F(Launcher, FindProgramSearchesOnlyThePathAndGivesAbsolutePaths)
{
    const QString bin = QFileInfo(app).absolutePath();
    // The current folder holds a "processtestapp" of its own, a plain file
    // on PATH shadows nothing, and "lazy" is there but may not be run.
    const QString cwd = home.root() + "/cwd";
    QDir().mkpath(cwd + "/rel");
    QFile::link(app, cwd + "/processtestapp");
    QFile::link(app, cwd + "/rel/only-here");
    QFile plain(home.root() + "/plain");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    QDir().mkpath(home.root() + "/noexec");
    QFile lazy(home.root() + "/noexec/lazy");
    ASSERT_TRUE(lazy.open(QIODevice::WriteOnly));
    lazy.close();
    QDir().mkpath(home.root() + "/exec");
    QFile::link(app, home.root() + "/exec/lazy");

    struct Case
    {
        const char* what;
        QByteArray path;
        QString name;
        QString found;
    };
    const QByteArray b = QFile::encodeName(bin);
    const QByteArray h = QFile::encodeName(home.root());
    const Case cases[] = {
        {"on PATH, not in the current folder", "/nonexistent::" + b, "processtestapp", bin + "/processtestapp"},
        {"only in the current folder", "/nonexistent", "processtestapp", ""},
        {"empty entries are not the current folder", "::", "processtestapp", ""},
        {"empty PATH", "", "processtestapp", ""},
        {"a relative entry, made absolute", "rel", "only-here", cwd + "/rel/only-here"},
        {"a dotted entry, made clean", "./rel/../rel", "only-here", cwd + "/rel/only-here"},
        {"an entry that is a file", h + "/plain:" + b, "processtestapp", bin + "/processtestapp"},
        {"not runnable, and nothing better", h + "/noexec", "lazy", home.root() + "/noexec/lazy"},
        {"a runnable one later wins", h + "/noexec:" + h + "/exec", "lazy", home.root() + "/exec/lazy"},
        {"not found", b, "no-such-program-vt", ""},
        {"a path is a path", "", "rel/only-here", cwd + "/rel/only-here"},
    };
    const QByteArray savedPath = qgetenv("PATH");
    const QString savedCwd = QDir::currentPath();
    QDir::setCurrent(cwd);
    for (const Case& c : cases) {
        qputenv("PATH", c.path);
        EXPECT_EQ(ProcessLauncher::FindProgram(c.name, QString()), c.found) << c.what;
    }
    QDir::setCurrent(savedCwd);
    qputenv("PATH", savedPath);
}

TEST_F(Launcher, WaitReturnsOnlyAfterTheChildEndedWhateverItsExitCode)
{
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(ProcessLauncher::ShellExecWait(app, QStringLiteral("sleep 400"), 0));
    EXPECT_GE(clock.elapsed(), 390);
    EXPECT_TRUE(ProcessLauncher::ShellExecWait(app, QStringLiteral("exit 7"), 0));
    EXPECT_TRUE(ProcessLauncher::ShellExecWait(app, QStringLiteral("crash"), 0));
}

TEST_F(Launcher, ChildrenGetEmptyStandardInput)
{
    ASSERT_TRUE(ProcessLauncher::ShellExecWait(app, QStringLiteral("stdin \"%1\"").arg(out), 0));
    EXPECT_TRUE(QFile::exists(out));
    EXPECT_EQ(QFileInfo(out).size(), 0);
}

// A key press arriving while the child runs is handled only after the wait.
class KeyRecorder : public QWidget
{
public:
    QList<qint64> pressedAt;
    QElapsedTimer* clock = nullptr;

protected:
    void keyPressEvent(QKeyEvent*) override { pressedAt << clock->elapsed(); }
};

TEST_F(Launcher, UserInputQueuedDuringTheWaitIsHandledAfterwards)
{
    KeyRecorder window;
    QElapsedTimer clock;
    window.clock = &clock;
    window.show();
    window.activateWindow();
    window.setFocus();
    QApplication::processEvents();

    clock.start();
    qint64 waitEnded = -1;
    QTimer::singleShot(100, [&] {
        QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::AsynchronousDelivery>(
            window.windowHandle(), QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    });
    ProcessLauncher::ShellExecWait(app, QStringLiteral("sleep 500"), 0);
    waitEnded = clock.elapsed();
    EXPECT_TRUE(window.pressedAt.isEmpty()) << "input was handled during the wait";
    (void)QTest::qWaitFor([&] { return !window.pressedAt.isEmpty(); }, 2000);
    ASSERT_EQ(window.pressedAt.size(), 1);
    EXPECT_GE(window.pressedAt.first(), waitEnded);
}

TEST(ChildProcessEnd, ReportsEachKindOfEndOnceWithTheErrorTail)
{
    const QString app = BinPath(QStringLiteral("processtestapp"));
    auto run = [](const LaunchPlan& plan) {
        ChildProcess child;
        QList<ChildEnd> ends;
        QObject::connect(&child, &ChildProcess::done, [&](const ChildEnd& e) { ends << e; });
        child.start(plan);
        (void)QTest::qWaitFor([&] { return !ends.isEmpty(); }, 10000);
        QTest::qWait(50);
        EXPECT_EQ(ends.size(), 1);
        return ends.value(0);
    };
    ChildEnd ok = run({app, {"exit", "0"}, {}});
    EXPECT_TRUE(ok.succeeded());
    ChildEnd failed = run({app, {"stderr", "line one\nframe= 1\rreason: broken input\n", "3"}, {}});
    EXPECT_EQ(failed.kind, ChildEnd::Kind::Exited);
    EXPECT_EQ(failed.exitCode, 3);
    EXPECT_TRUE(failed.errorTail.endsWith("reason: broken input")) << failed.errorTail.toStdString();
    const ChildEnd crashed = run({app, {"crash"}, {}});
    EXPECT_EQ(crashed.kind, ChildEnd::Kind::Crashed);
    EXPECT_EQ(crashed.signal, SIGSEGV);
    // A long error output keeps its first lines, where a cause is told, and its last.
    QString noise;
    for (int i = 0; i < 4000; ++i)
        noise += QStringLiteral("noise %1\n").arg(i);
    const ChildEnd chatty = run({app, {"stderr", "the first error\n" + noise + "the last line\n", "1"}, {}});
    EXPECT_TRUE(chatty.errorOutput.startsWith("the first error\nnoise 0\n"));
    EXPECT_TRUE(chatty.errorOutput.endsWith("noise 3999\nthe last line\n"));
    EXPECT_TRUE(chatty.errorOutput.contains("\n…\n"));
    EXPECT_LE(chatty.errorOutput.size(), 2 * ChildProcess::KeptErrorBytes + 2);
    EXPECT_TRUE(chatty.errorTail.endsWith("noise 3999\nthe last line"));
    EXPECT_EQ(run({"/no/such/program", {}, {}}).kind, ChildEnd::Kind::FailedToStart);
}

// What a failed start asks for: a shortage waits for a place; only a program
// file that is not there is to be installed again. And a start that really
// runs out of descriptors says so.
TEST(ChildProcessEnd, AStartShortOfResourcesWaitsOnlyAMissingProgramIsInstalledAgain)
{
    FreshHome home;
    const QString app = BinPath(QStringLiteral("processtestapp"));
    const QString script = home.root() + QStringLiteral("/script");
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/no/such/interpreter\n");
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    struct Case
    {
        int code;
        QString program;
        StartFailure expected;
    };
    const Case cases[] = {
        {EMFILE, app, StartFailure::Shortage},
        {ENFILE, app, StartFailure::Shortage},
        {EAGAIN, app, StartFailure::Shortage},
        {ENOMEM, app, StartFailure::Shortage},
        {ENOENT, home.root() + "/gone", StartFailure::Missing},
        {ENOENT, script, StartFailure::NotRunnable},
        {EACCES, app, StartFailure::NotRunnable},
        {0, app, StartFailure::NotRunnable},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClassifyStartFailure(c.code, c.program), c.expected) << c.code << " " << c.program.toStdString();

    // The undefined-behaviour checker needs descriptors of its own to look at
    // an object of a type it has not met yet: it meets them in one whole start
    // while there are some.
    {
        bool ended = false;
        ChildProcess warm;
        QObject::connect(&warm, &ChildProcess::done, [&] { ended = true; });
        warm.start({app, {"exit", "0"}, {}});
        ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 10000));
    }

    // Every descriptor but one in use: not even the pipes of a child can be made.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    std::vector<int> held;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0 && held.size() < 4096;)
        held.push_back(fd);
    ASSERT_FALSE(held.empty());
    ::close(held.back());
    held.pop_back();
    const rlimit few{rlim_t(held.back() + 2), saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &few), 0);
    ChildEnd end;
    {
        ChildProcess child;
        QObject::connect(&child, &ChildProcess::done, [&](const ChildEnd& e) { end = e; });
        child.start({app, {"exit", "0"}, {}});
    }
    for (const int fd : held)
        ::close(fd);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(end.kind, ChildEnd::Kind::FailedToStart);
    EXPECT_EQ(ClassifyStartFailure(end.startError, app), StartFailure::Shortage) << end.errorTail.toStdString();
}

} // namespace
