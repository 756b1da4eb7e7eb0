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
    }()).split(QLatin1Char('\n'));
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

TEST_F(Launcher, FindProgramSearchesThePathAndTheCurrentFolder)
{
    const QString bin = QFileInfo(app).absolutePath();
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", "/nonexistent::" + QFile::encodeName(bin));
    EXPECT_EQ(ProcessLauncher::FindProgram(QStringLiteral("processtestapp"), QString()), bin + "/processtestapp");
    EXPECT_EQ(ProcessLauncher::FindProgram(QStringLiteral("no-such-program-vt"), QString()), QString());
    qputenv("PATH", savedPath);

    const QString saved = QDir::currentPath();
    QDir::setCurrent(bin);
    EXPECT_EQ(ProcessLauncher::FindProgram(QStringLiteral("processtestapp"), QString()), bin + "/processtestapp");
    QDir::setCurrent(saved);
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
    EXPECT_EQ(run({app, {"crash"}, {}}).kind, ChildEnd::Kind::Crashed);
    EXPECT_EQ(run({"/no/such/program", {}, {}}).kind, ChildEnd::Kind::FailedToStart);
}

} // namespace
