#include "platform/InstanceLock.h"

#include "platform/NativePath.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

InstanceLock::InstanceLock(QString path) : m_path(std::move(path))
{ }

InstanceLock::~InstanceLock()
{
    unlock();
}

InstanceLock::Outcome InstanceLock::tryLock()
{
    if (m_file.isOpen())
        return Outcome::Locked;
    // Close-on-exec, so that a child (a detached ffmpeg) never keeps the lock alive.
    FileDescriptor file(
        ::open(NativePath::Encode(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!file.isOpen())
        return Outcome::Unavailable;
    if (::flock(file.get(), LOCK_EX | LOCK_NB) != 0)
        return errno == EWOULDBLOCK ? Outcome::HeldElsewhere : Outcome::Unavailable;
    m_file = std::move(file);
    return Outcome::Locked;
}

void InstanceLock::unlock()
{
    // The file stays: removing it could let two processes lock two different files.
    m_file.reset();
}

namespace LocalSocketPath {

bool Fits(const QString& path)
{
    // The address holds the path and its terminating NUL.
    return NativePath::Encode(path).size() < qsizetype(sizeof(sockaddr_un::sun_path));
}

long long PeerUserId(qintptr socketDescriptor)
{
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(static_cast<int>(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0
        || size != sizeof credentials)
        return -1;
    return credentials.uid;
}

} // namespace LocalSocketPath
