#include "platform/FileDescriptor.h"

#include <unistd.h>

void FileDescriptor::reset(int fd) noexcept
{
    // Closed once even when close() is interrupted: on Linux the number is free either way.
    if (m_fd >= 0 && m_fd != fd)
        ::close(m_fd);
    m_fd = fd;
}
