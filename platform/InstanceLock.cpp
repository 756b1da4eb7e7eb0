#include "platform/InstanceLock.h"

#include <QFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

InstanceLock::InstanceLock(QString path) : m_path(std::move(path)) {}

InstanceLock::~InstanceLock()
{
    unlock();
}

bool InstanceLock::tryLock()
{
    if (m_fd >= 0)
        return true;
    // Close-on-exec, so that a child (a detached ffmpeg) never keeps the lock alive.
    const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void InstanceLock::unlock()
{
    if (m_fd < 0)
        return;
    // The file stays: removing it could let two processes lock two different files.
    ::close(m_fd);
    m_fd = -1;
}
