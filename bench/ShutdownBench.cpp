// Start and end of copies of the program.
#include "BenchCommands.h"

#include "app/instance/MainInstance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString program()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/vantrel");
}

// The copies share the benchmark's private home and runtime folder.
void startCopy(QProcess& copy, const QStringList& arguments = {})
{
    copy.setStandardErrorFile(QProcess::nullDevice());
    copy.start(program(), arguments);
}

bool listening()
{
    QLocalSocket probe;
    probe.connectToServer(TMainInstance::ServerName());
    return probe.waitForConnected(100);
}

void reportSeries(const char* name, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::printf("%s: min %.1f ms, median %.1f ms, max %.1f ms (%zu runs)\n", name, ms.front(), ms[ms.size() / 2],
                ms.back(), ms.size());
}

// Start to listening for a first copy, each time taking over the socket the
// killed one before it left behind.
int firstCopy()
{
    std::vector<double> times;
    for (int i = 0; i < 10; ++i) {
        QProcess copy;
        QElapsedTimer clock;
        clock.start();
        startCopy(copy);
        while (!listening()) {
            if (clock.elapsed() > 30000 || copy.state() == QProcess::NotRunning)
                return 1;
            QThread::msleep(1);
        }
        times.push_back(clock.nsecsElapsed() / 1e6);
        copy.kill();
        copy.waitForFinished();
    }
    reportSeries("first copy, start to listening", times);
    return 0;
}

// Start to exit of a later copy forwarding a file name, while a first copy runs.
int laterCopy()
{
    QProcess first;
    startCopy(first);
    QElapsedTimer wait;
    wait.start();
    while (!listening()) {
        if (wait.elapsed() > 30000)
            return 1;
        QThread::msleep(5);
    }

    // Spawned and reaped here rather than through QProcess, to read each
    // copy's own peak memory from wait4().
    QByteArray path = QFile::encodeName(program());
    QByteArray argument("/tmp/film.flv");
    char* argv[] = {path.data(), argument.data(), nullptr};

    std::vector<double> times;
    long peakKiB = 0;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer clock;
        clock.start();
        pid_t pid = 0;
        if (::posix_spawn(&pid, path.constData(), nullptr, nullptr, argv, environ) != 0)
            return 1;
        int status = 0;
        rusage usage{};
        if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return 1;
        times.push_back(clock.nsecsElapsed() / 1e6);
        peakKiB = std::max(peakKiB, usage.ru_maxrss);
    }
    first.kill();
    first.waitForFinished();
    reportSeries("later copy, start to exit 0", times);
    std::printf("later copy, peak resident memory: %.1f MiB\n", peakKiB / 1024.0);
    return 0;
}

// Later copies first, while nothing else has run.
int RunCopiesBench(const QStringList&)
{
    if (laterCopy() != 0 || firstCopy() != 0) {
        std::fputs("copies: a copy did not start, answer or end as expected\n", stderr);
        return 1;
    }
    return 0;
}

const BenchRegistration copies("copies", "copies", &RunCopiesBench);

} // namespace
