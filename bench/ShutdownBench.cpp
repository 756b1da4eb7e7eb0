// Start and end of copies of the program, and the process-list walk of the Close button.
#include "BenchCommands.h"

#include "app/instance/MainInstance.h"
#include "platform/ProcessList.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Prints one measured figure as "name: value unit".
void Report(const QString& name, double value, const QString& unit)
{
    std::printf("%s: %.3f %s\n", qPrintable(name), value, qPrintable(unit));
    std::fflush(stdout);
}

// A home and runtime folder of their own, so the copies never meet the user's.
class CopyHome
{
public:
    CopyHome()
    {
        for (const char* sub : {"home/.config", "home/.local/share", "home/.cache", "home/Documents", "tmp", "runtime"})
            QDir().mkpath(m_dir.filePath(QLatin1String(sub)));
        QFile::setPermissions(m_dir.filePath(QStringLiteral("runtime")),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("HOME"), m_dir.filePath(QStringLiteral("home")));
        m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("home/.config")));
        m_env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("home/.local/share")));
        m_env.insert(QStringLiteral("XDG_CACHE_HOME"), m_dir.filePath(QStringLiteral("home/.cache")));
        m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.filePath(QStringLiteral("runtime")));
        m_env.insert(QStringLiteral("TMPDIR"), m_dir.filePath(QStringLiteral("tmp")));
        m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }

    const QProcessEnvironment& env() const { return m_env; }
    QString serverName() const
    {
        return m_dir.filePath(QStringLiteral("runtime/Vantrel-")) + QString::number(::getuid());
    }

private:
    QTemporaryDir m_dir;
    QProcessEnvironment m_env;
};

QString program()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/vantrel");
}

void startCopy(QProcess& copy, const CopyHome& home, const QStringList& arguments = {})
{
    copy.setProcessEnvironment(home.env());
    copy.setStandardErrorFile(QProcess::nullDevice());
    copy.start(program(), arguments);
}

bool listening(const CopyHome& home)
{
    QLocalSocket probe;
    probe.connectToServer(home.serverName());
    return probe.waitForConnected(100);
}

void reportSeries(const QString& name, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    Report(name + QStringLiteral(" min"), ms.front(), QStringLiteral("ms"));
    Report(name + QStringLiteral(" median"), ms[ms.size() / 2], QStringLiteral("ms"));
    Report(name + QStringLiteral(" max"), ms.back(), QStringLiteral("ms"));
}

// Start to listening for a first copy, each time taking over the socket the
// killed one before it left behind.
int firstCopy()
{
    CopyHome home;
    std::vector<double> times;
    for (int i = 0; i < 10; ++i) {
        QProcess copy;
        QElapsedTimer clock;
        clock.start();
        startCopy(copy, home);
        while (!listening(home)) {
            if (clock.elapsed() > 30000 || copy.state() == QProcess::NotRunning)
                return 1;
            QThread::msleep(1);
        }
        times.push_back(clock.nsecsElapsed() / 1e6);
        copy.kill();
        copy.waitForFinished();
    }
    reportSeries(QStringLiteral("first copy, start to listening"), times);
    return 0;
}

// Start to exit of a later copy forwarding a file name, while a first copy runs.
int laterCopy()
{
    CopyHome home;
    QProcess first;
    startCopy(first, home);
    QElapsedTimer wait;
    wait.start();
    while (!listening(home)) {
        if (wait.elapsed() > 30000)
            return 1;
        QThread::msleep(5);
    }

    // Spawned and reaped here rather than through QProcess, to read each
    // copy's own peak memory from wait4().
    std::vector<QByteArray> envText;
    for (const QString& entry : home.env().toStringList())
        envText.push_back(entry.toLocal8Bit());
    std::vector<char*> envp;
    for (QByteArray& entry : envText)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    QByteArray path = QFile::encodeName(program());
    QByteArray argument("/tmp/film.flv");
    char* argv[] = {path.data(), argument.data(), nullptr};

    std::vector<double> times;
    long peakKiB = 0;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer clock;
        clock.start();
        pid_t pid = 0;
        if (::posix_spawn(&pid, path.constData(), nullptr, nullptr, argv, envp.data()) != 0)
            return 1;
        int status = 0;
        rusage usage {};
        if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return 1;
        times.push_back(clock.nsecsElapsed() / 1e6);
        peakKiB = std::max(peakKiB, usage.ru_maxrss);
    }
    first.kill();
    first.waitForFinished();
    reportSeries(QStringLiteral("later copy, start to exit 0"), times);
    Report(QStringLiteral("later copy, peak resident memory"), peakKiB / 1024.0, QStringLiteral("MiB"));
    return 0;
}

// The /proc walk the Close button makes, over whatever runs on this machine.
int processWalk()
{
    constexpr int Rounds = 200;
    std::size_t count = 0;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < Rounds; ++i)
        count = ProcessList::Snapshot().size();
    const double snapshotMs = clock.nsecsElapsed() / 1e6 / Rounds;
    clock.restart();
    for (int i = 0; i < Rounds; ++i)
        ProcessList::KillProcessesByName(QStringLiteral("ffmpeg")); // this program has no children
    const double killMs = clock.nsecsElapsed() / 1e6 / Rounds;
    Report(QStringLiteral("processes listed"), double(count), QString());
    Report(QStringLiteral("process list walk, mean"), snapshotMs, QStringLiteral("ms"));
    Report(QStringLiteral("KillProcessesByName with nothing to end, mean"), killMs, QStringLiteral("ms"));
    return 0;
}

// Start of a first copy until it listens (10 runs); a later copy's start to
// exit while a first copy runs (20 runs); the Close button's /proc walk (200 rounds).
int RunCopiesBench(const QStringList&)
{
    return firstCopy() | laterCopy() | processWalk();
}

const BenchRegistration registration("copies", "copies", &RunCopiesBench);

} // namespace
