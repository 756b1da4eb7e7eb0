#include "platform/SourceFile.h"

#include "platform/Error.h"
#include "platform/NativePath.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

SourceFile::SourceFile(const QString& path)
{
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    m_fd = ::open(NativePath::Encode(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (m_fd < 0) {
        const int error = errno;
        throw ESystemError(Reason(error), error);
    }
    struct stat st
    {
    };
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(m_fd);
        m_fd = -1;
        throw ESystemError(Reason(0), 0);
    }
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
}

SourceFile::~SourceFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

QString SourceFile::childPath() const
{
    return QStringLiteral("/dev/fd/%1").arg(m_fd);
}

QString SourceFile::Reason(int error)
{
    switch (error) {
    case 0: return QCoreApplication::translate("SourceFile", "it is not a file");
    case ENOENT:
    case ENOTDIR: return QCoreApplication::translate("SourceFile", "there is no such file or folder");
    case ELOOP: return QCoreApplication::translate("SourceFile", "too many levels of links");
    case EACCES: return QCoreApplication::translate("SourceFile", "permission denied");
    default:
        return QCoreApplication::translate("SourceFile", "it cannot be read: %1")
            .arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}
