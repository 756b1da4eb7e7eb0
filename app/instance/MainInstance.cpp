#include "app/instance/MainInstance.h"

#include "platform/Error.h"
#include "platform/Folders.h"
#include "platform/InstanceLock.h"
#include "platform/NativePath.h"

#include <QCoreApplication>
#include <QApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QtEndian>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

bool s_enabled = false;
QStringList s_arguments;

// A message is one kind byte, a 32-bit big-endian length and that many bytes:
// a text, a piece of the paths, or the request to come to the front with the
// time by which the sender must hear.
enum MessageKind : char { ForwardMessage = 'F', PathsMessage = 'P', ActivateMessage = 'A' };
constexpr char Acknowledgement = 'K';
constexpr qint64 HeaderBytes = 5;

QByteArray message(MessageKind kind, const QByteArray& body = {})
{
    QByteArray bytes(HeaderBytes, Qt::Uninitialized);
    bytes[0] = kind;
    qToBigEndian<quint32>(static_cast<quint32>(body.size()), bytes.data() + 1);
    return bytes + body;
}

// Said where the user of a window started from a terminal, or its log, sees it.
QString runsUnguarded(const QString& why)
{
    const QByteArray text
        = QCoreApplication::translate("MainInstance", "vantrel: %1; this copy runs without the single-instance guard\n")
              .arg(why)
              .toLocal8Bit();
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    return {};
}

bool writeAll(QLocalSocket& socket, const QByteArray& bytes, const QDeadlineTimer& deadline)
{
    if (socket.write(bytes) != bytes.size())
        return false;
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
            return false;
    }
    return true;
}

} // namespace

TMainInstance::TMainInstance(QWidget* owner) : QObject(owner), m_window(owner)
{
    setObjectName(QStringLiteral("MainInstance1"));
    if (!s_enabled)
        return;
    const QString name = ServerName();
    if (name.isEmpty())
        return; // no runtime folder: this copy runs unguarded

    m_lock = std::make_unique<InstanceLock>(name + QStringLiteral(".lock"));
    const QDeadlineTimer deadline(HandOverTimeoutMs);
    for (;;) {
        switch (m_lock->tryLock()) {
        case InstanceLock::Outcome::Locked: listen(name); return;
        case InstanceLock::Outcome::Unavailable: return; // no guard can be set up: this copy runs unguarded
        case InstanceLock::Outcome::HeldElsewhere: break;
        }
        // A running copy was found: this one ends, whether it answers or not.
        // Nothing has been written yet, and nothing of the window is to be kept.
        const Contact contact = contactRunningCopy(name, static_cast<int>(deadline.remainingTime()));
        if (contact == Contact::Answered)
            std::_Exit(0);
        // Unreachable: it is about to listen, just ended, or has no place free
        // for now and closed the connection before reading anything.
        if (contact == Contact::NoAnswer || deadline.hasExpired())
            endUnanswered();
        QThread::msleep(20);
    }
}

TMainInstance::~TMainInstance() = default;

void TMainInstance::endUnanswered()
{
    if (GivenPaths(s_arguments).isEmpty())
        std::_Exit(0);
    const QByteArray text = QCoreApplication::translate(
                                "MainInstance", "vantrel: the running Vantrel did not take the files given within %1 "
                                                "seconds; they were not queued\n")
                                .arg(HandOverTimeoutMs / 1000)
                                .toLocal8Bit();
    std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
    std::fflush(stderr);
    std::_Exit(1);
}

void TMainInstance::setEnabled(bool enabled)
{
    s_enabled = enabled;
}

bool TMainInstance::isEnabled()
{
    return s_enabled;
}

void TMainInstance::setArguments(const QStringList& arguments)
{
    s_arguments = arguments;
}

qint64 TMainInstance::MonotonicMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

QString TMainInstance::ServerName()
{
    // A runtime folder others may enter is refused, not exchanged for one of
    // Qt's choosing as Qt itself would.
    QString runtime;
    try {
        const QString given = NativePath::Decode(qgetenv("XDG_RUNTIME_DIR"));
        if (!given.isEmpty() && (QFileInfo::exists(given) || QFileInfo(given).isSymLink()))
            Folders::CheckPrivate(given);
        runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (runtime.isEmpty())
            return {};
        Folders::CheckPrivate(runtime);
    } catch (const VantrelError& e) {
        return runsUnguarded(e.text());
    }
    const QString uid = QString::number(::getuid());
    const QString name = runtime + QLatin1Char('/') + QCoreApplication::applicationName() + QLatin1Char('-') + uid;
    if (LocalSocketPath::Fits(name))
        return name;
    // A socket cannot live that deep. The abstract namespace would fit but has
    // no permissions, so a short folder only this user may enter stands in,
    // the socket named after the runtime folder it stands in for.
    const QByteArray runtimeId
        = QCryptographicHash::hash(NativePath::Encode(runtime), QCryptographicHash::Sha1).toHex().left(16);
    try {
        return Folders::PrivateFolder(QStringLiteral("/tmp/vantrel-run-") + uid) + QLatin1Char('/')
               + QCoreApplication::applicationName() + QLatin1Char('-') + QLatin1String(runtimeId);
    } catch (const VantrelError& e) {
        return runsUnguarded(e.text());
    }
}

QString TMainInstance::ForwardedText(const QStringList& arguments)
{
    // ".exe" holds no blank, so it can only appear inside one argument: testing
    // each argument is the same as testing the whole text after each append.
    QString text;
    for (const QString& argument : arguments) {
        if (argument.contains(QLatin1String(".exe"), Qt::CaseInsensitive))
            text.clear();
        else
            text += argument + QLatin1Char(' ');
    }
    return text;
}

bool TMainInstance::isListening() const
{
    return m_server && m_server->isListening();
}

TMainInstance::Contact TMainInstance::contactRunningCopy(const QString& serverName, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    socket.connectToServer(serverName);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime())))
        return Contact::Unreachable;

    const auto failed = [&socket] {
        return socket.state() == QLocalSocket::ConnectedState ? Contact::NoAnswer : Contact::Unreachable;
    };
    ForwardCommandLine(socket);
    if (!ForwardPaths(socket))
        return failed();
    // The running copy queues the paths only while this one still waits.
    QByteArray answerBy(8, Qt::Uninitialized);
    qToBigEndian<qint64>(MonotonicMs() + HandOverTimeoutMs, answerBy.data());
    const QDeadlineTimer waiting(HandOverTimeoutMs);
    if (!writeAll(socket, message(ActivateMessage, answerBy), waiting))
        return failed();
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(static_cast<int>(waiting.remainingTime())))
            return failed();
    }
    char answer = 0;
    socket.getChar(&answer);
    return answer == Acknowledgement ? Contact::Answered : Contact::NoAnswer;
}

bool TMainInstance::ForwardCommandLine(QLocalSocket& socket)
{
    const QString text = ForwardedText(s_arguments);
    if (text.isEmpty())
        return false;
    const QByteArray utf8 = NativePath::Encode(text);
    // Too long to be taken: the activation request still goes.
    if (utf8.size() > MaxForwardedBytes)
        return false;
    return socket.write(message(ForwardMessage, utf8)) == HeaderBytes + utf8.size();
}

QStringList TMainInstance::GivenPaths(const QStringList& arguments)
{
    QStringList paths;
    for (const QString& argument : arguments) {
        if (!argument.isEmpty())
            paths << NativePath::Absolute(argument);
    }
    return paths;
}

// Each path as a 32-bit big-endian length and that many of its bytes: the
// list is about as long as the command line it came from.
QByteArray TMainInstance::EncodePaths(const QStringList& paths)
{
    QByteArray bytes;
    for (const QString& path : paths) {
        const QByteArray native = NativePath::Encode(path);
        char length[4];
        qToBigEndian<quint32>(static_cast<quint32>(native.size()), length);
        bytes.append(length, 4).append(native);
    }
    return bytes;
}

QStringList TMainInstance::DecodePaths(const QByteArray& bytes)
{
    QStringList paths;
    qsizetype at = 0;
    while (at < bytes.size()) {
        if (bytes.size() - at < 4)
            return {};
        const quint32 length = qFromBigEndian<quint32>(bytes.constData() + at);
        at += 4;
        if (length > quint64(bytes.size() - at))
            return {};
        // The rest of the path would be cut off wherever it is used.
        if (std::memchr(bytes.constData() + at, '\0', length))
            return {};
        paths << NativePath::Decode(QByteArray(bytes.constData() + at, qsizetype(length)));
        at += qsizetype(length);
    }
    return paths;
}

bool TMainInstance::ForwardPaths(QLocalSocket& socket)
{
    // Piece by piece, so neither side ever holds more than a piece in flight;
    // a running copy that takes none for a while is given up.
    const auto send = [&socket](const QStringList& piece) {
        return piece.isEmpty()
               || writeAll(socket, message(PathsMessage, EncodePaths(piece)), QDeadlineTimer(HandOverTimeoutMs));
    };
    QStringList piece;
    qint64 bytes = 0;
    for (const QString& path : GivenPaths(s_arguments)) {
        piece << path;
        bytes += 4 + NativePath::Encode(path).size();
        if (bytes >= PieceBytes) {
            if (!send(piece))
                return false;
            piece.clear();
            bytes = 0;
        }
    }
    return send(piece);
}

void TMainInstance::listen(const QString& serverName)
{
    m_server = new QLocalServer(this);
    // Holding the lock, no live copy can own a socket of this name: whatever is
    // there was left behind by a copy that crashed.
    QLocalServer::removeServer(serverName);
    if (!m_server->listen(serverName)) {
        delete m_server;
        m_server = nullptr;
        return; // runs on, unguarded; later copies find the lock and end
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection())
            serve(socket);
    });
}

void TMainInstance::serve(QLocalSocket* socket)
{
    // Forwarded paths are queued: no other user may reach this copy, wherever
    // its socket lives.
    if (LocalSocketPath::PeerUserId(socket->socketDescriptor()) != static_cast<long long>(::getuid())
        || m_connections >= MaxConnections) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    ++m_connections;
    connect(socket, &QObject::destroyed, this, [this] {
        if (--m_connections == 0)
            giveMemoryBack();
    });
    // At most one message waits in memory; the sender waits for the rest.
    socket->setReadBufferSize(HeaderBytes + MaxForwardedBytes);
    auto* silence = new QTimer(socket);
    silence->setSingleShot(true);
    connect(silence, &QTimer::timeout, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    silence->start(ConnectionTimeoutMs);
    // The paths are held aside until the sender asks in time: a sender that
    // gave up has none of them queued.
    struct HandOver
    {
        QStringList paths;
        qint64 bytes = 0;
    };
    const auto handOver = std::make_shared<HandOver>();
    const auto refuse = [socket] {
        socket->abort();
        socket->deleteLater();
    };
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, silence, handOver, refuse] {
        silence->start(ConnectionTimeoutMs);
        while (socket->bytesAvailable() >= HeaderBytes) {
            const QByteArray header = socket->peek(HeaderBytes);
            const char kind = header.at(0);
            const quint32 length = qFromBigEndian<quint32>(header.constData() + 1);
            if ((kind != ForwardMessage && kind != PathsMessage && kind != ActivateMessage)
                || length > quint32(MaxForwardedBytes)) {
                socket->abort(); // not one of ours
                socket->deleteLater();
                return;
            }
            if (socket->bytesAvailable() < HeaderBytes + qint64(length))
                return;
            socket->skip(HeaderBytes);
            const QByteArray body = socket->read(length);
            if (kind == ForwardMessage) {
                emit commandLineForwarded(NativePath::Decode(body));
            } else if (kind == PathsMessage) {
                const QStringList paths = DecodePaths(body);
                handOver->bytes += body.size();
                if ((paths.isEmpty() && !body.isEmpty()) || handOver->bytes > MaxHandOverBytes)
                    return refuse(); // damaged, or more than any command line holds
                handOver->paths += paths;
            } else {
                if (body.size() == 8 && MonotonicMs() > qFromBigEndian<qint64>(body.constData()) - AnswerMarginMs)
                    return refuse(); // the sender has given up, or is about to
                socket->putChar(Acknowledgement);
                socket->flush();
                bringOwnerToFront();
                if (!handOver->paths.isEmpty())
                    emit pathsForwarded(std::exchange(handOver->paths, {}));
                emit activationRequested();
            }
        }
    });
}

void TMainInstance::bringOwnerToFront()
{
    if (!m_window)
        return;
    QWidget* window = m_window->window();
    window->raise();
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    // An open dialog of this copy is the one the user must see.
    QWidget* target = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : window;
    target->raise();
    target->activateWindow();
}

void TMainInstance::giveMemoryBack()
{
#if defined(__GLIBC__)
    // Large unfinished messages leave freed pages the allocator would keep.
    ::malloc_trim(0);
#endif
}
