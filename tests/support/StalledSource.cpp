#include "support/StalledSource.h"

#include "platform/ProcessLauncher.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

StalledSource::StalledSource(const QString& path) : m_path(path + QStringLiteral(".pipe"))
{
    QFile regular(path);
    m_made = regular.open(QIODevice::WriteOnly) && regular.write("FLV") == 3
             && ::mkfifo(QFile::encodeName(m_path).constData(), 0600) == 0;
}

QString StalledSource::Ffmpeg(const QString& folder)
{
    const QString script = folder + QStringLiteral("/pipe-reading-ffmpeg");
    QFile file(script);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("#!/bin/sh\nexec '" + QFile::encodeName(BinPath(QStringLiteral("processtestapp"))) + "' pipes '"
               + QFile::encodeName(ProcessLauncher::FindProgram(QStringLiteral("ffmpeg"), {})) + "' \"$@\"\n");
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    return script;
}

StalledSource::~StalledSource()
{
    if (m_fd < 0)
        m_fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    close();
    // An ffmpeg that comes to it only now must not wait on it for good.
    ::unlink(QFile::encodeName(m_path).constData());
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
