#include "support/StalledSource.h"

#include <QFile>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

StalledSource::StalledSource(const QString& path) : m_path(path)
{
    m_made = ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

StalledSource::~StalledSource()
{
    if (m_fd < 0)
        m_fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    close();
}

bool StalledSource::feed(const QByteArray& bytes)
{
    const QByteArray native = QFile::encodeName(m_path);
    if (m_fd < 0
        && !QTest::qWaitFor([&] { return (m_fd = ::open(native.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) >= 0; },
                            20000))
        return false;
    ::fcntl(m_fd, F_SETFL, 0);
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(m_fd, bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

void StalledSource::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

QByteArray StalledSource::HeadOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return bytes.left(bytes.size() * 8 / 10);
}
