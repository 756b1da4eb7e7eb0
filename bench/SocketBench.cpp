// A first copy's memory while many connections hold unfinished messages.
#include "BenchCommands.h"

#include "app/instance/MainInstance.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

bool listening()
{
    QLocalSocket probe;
    probe.connectToServer(TMainInstance::ServerName());
    return probe.waitForConnected(100);
}

// A value of /proc/PID/status in KiB ("VmRSS", "VmHWM").
long statusKiB(qint64 pid, const char* key)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(std::strlen(key)) + 1).trimmed().split(' ').first().toLong();
    return -1;
}

// A full backlog is waited out for up to a second, as a blocking client would.
int connectTo(const QByteArray& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return -1;
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            return fd;
        const bool full = errno == EAGAIN;
        ::close(fd);
        if (!full)
            return -1;
        QThread::msleep(1);
    }
    return -1;
}

bool closedByPeer(int fd)
{
    pollfd p{fd, POLLIN, 0};
    char byte = 0;
    return ::poll(&p, 1, 0) == 1 && ::recv(fd, &byte, 1, MSG_DONTWAIT) <= 0;
}

// vantrel-bench idle-connections [N]: N connections (1000 by default) each
// announce the largest message and send all of it but its last byte, as
// fast as the first copy takes it; then they idle.
int RunIdleConnectionsBench(const QStringList& arguments)
{
    const int count = arguments.isEmpty() ? 1000 : arguments.first().toInt();
    QProcess first;
    first.setStandardErrorFile(QProcess::nullDevice());
    first.start(QCoreApplication::applicationDirPath() + QStringLiteral("/vantrel"));
    QElapsedTimer clock;
    clock.start();
    while (!listening()) {
        if (clock.elapsed() > 30000)
            return 1;
        QThread::msleep(5);
    }
    const qint64 pid = first.processId();
    const long before = statusKiB(pid, "VmRSS:");

    const QByteArray path = QFile::encodeName(TMainInstance::ServerName());
    QByteArray header(5, 'P');
    qToBigEndian<quint32>(quint32(TMainInstance::MaxForwardedBytes), header.data() + 1);
    const QByteArray chunk(64 * 1024, 'x');
    struct Connection
    {
        int fd;
        qint64 sent;
    };
    std::vector<Connection> connections;
    int refused = 0;
    for (int i = 0; i < count; ++i) {
        const int fd = connectTo(path);
        if (fd < 0) {
            ++refused;
            continue;
        }
        [[maybe_unused]] const ssize_t n = ::send(fd, header.constData(), size_t(header.size()), MSG_NOSIGNAL);
        connections.push_back({fd, 0});
    }
    // Feeds every connection for three seconds, as far as each is read.
    const qint64 wanted = TMainInstance::MaxForwardedBytes - 1;
    qint64 total = 0;
    clock.restart();
    while (clock.elapsed() < 3000) {
        for (Connection& c : connections) {
            const qint64 left = std::min<qint64>(wanted - c.sent, chunk.size());
            if (left <= 0)
                continue;
            const ssize_t n = ::send(c.fd, chunk.constData(), size_t(left), MSG_DONTWAIT | MSG_NOSIGNAL);
            if (n > 0) {
                c.sent += n;
                total += n;
            }
        }
        QThread::msleep(1);
    }
    const long loaded = statusKiB(pid, "VmRSS:");
    int closedSoon = 0;
    for (const Connection& c : connections)
        closedSoon += closedByPeer(c.fd) ? 1 : 0;

    clock.restart();
    int closed = closedSoon;
    while (closed < int(connections.size()) && clock.elapsed() < 60000) {
        QThread::msleep(50);
        closed = 0;
        for (const Connection& c : connections)
            closed += closedByPeer(c.fd) ? 1 : 0;
    }
    const double allClosedS = clock.elapsed() / 1000.0;
    for (const Connection& c : connections)
        ::close(c.fd);
    QThread::msleep(500);
    const long after = statusKiB(pid, "VmRSS:");
    const long peak = statusKiB(pid, "VmHWM:");
    first.kill();
    first.waitForFinished();

    std::printf("idle-connections: %d connections (%d refused at connect), %.1f MiB sent; closed within 3 s: %d, "
                "all closed %.1f s later: %s\n",
                count, refused, total / 1048576.0, closedSoon, allClosedS,
                closed == int(connections.size()) ? "yes" : "no");
    std::printf("first copy resident memory: %.1f MiB before, %.1f MiB while held, %.1f MiB after, peak %.1f MiB\n",
                before / 1024.0, loaded / 1024.0, after / 1024.0, peak / 1024.0);
    return closed == int(connections.size()) ? 0 : 1;
}

const BenchRegistration idle("idle-connections", "idle-connections [N]", &RunIdleConnectionsBench);

} // namespace
