#include "platform/UnfinishedFile.h"

#include "platform/Error.h"
#include "platform/Folders.h"
#include "platform/NativePath.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString SystemReason(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

QByteArray RandomName()
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray name = NativePath::Encode(UnfinishedFile::NamePrefix);
    for (int i = 0; i < 12; ++i)
        name += letters[QRandomGenerator::system()->bounded(int(sizeof letters - 1))];
    return name + NativePath::Encode(UnfinishedFile::NameSuffix);
}

FileIdentity IdentityOf(const struct stat& st)
{
    return {true, st.st_dev, st.st_ino, qint64(st.st_ctim.tv_sec) * 1000 + st.st_ctim.tv_nsec / 1000000,
            S_ISDIR(st.st_mode)};
}

FileIdentity IdentityAt(int dirFd, const QByteArray& name)
{
    struct stat st
    {
    };
    if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return {};
    return IdentityOf(st);
}

// The filesystem cannot do what was asked this way; another way may work.
bool Unsupported(int code)
{
    return code == EINVAL || code == ENOSYS || code == EOPNOTSUPP || code == EPERM;
}

} // namespace

const QString UnfinishedFile::NamePrefix = QStringLiteral(".vantrel-");
const QString UnfinishedFile::NameSuffix = QStringLiteral(".avi.part");

FileIdentity FileIdentity::Of(const QString& path)
{
    struct stat st
    {
    };
    if (::lstat(NativePath::Encode(path).constData(), &st) != 0)
        return {};
    return IdentityOf(st);
}

FileIdentity FileIdentity::Reached(const QString& path)
{
    struct stat st
    {
    };
    if (::stat(NativePath::Encode(path).constData(), &st) != 0)
        return {};
    return IdentityOf(st);
}

QString FileIdentity::key() const
{
    return QStringLiteral("%1:%2").arg(quint64(device)).arg(quint64(inode));
}

qint64 FileIdentity::NowMs()
{
    // The coarse clock is the one the kernel stamps files with.
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

std::unique_ptr<UnfinishedFile> UnfinishedFile::Create(const QString& folder)
{
    std::unique_ptr<UnfinishedFile> file(new UnfinishedFile);
    file->m_folder = folder;
    const auto fail = [&folder](int code) {
        throw ESystemError(
            QStringLiteral("Cannot create the output file in \"%1\": %2").arg(folder, SystemReason(code)), code);
    };
    file->m_dirFd = ::open(NativePath::Encode(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (file->m_dirFd < 0)
        fail(errno);

    file->m_fd = ::openat(file->m_dirFd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    if (file->m_fd < 0) {
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            fail(errno);
        // No unnamed files here: a name nobody can guess or create first.
        for (int attempt = 0; file->m_fd < 0; ++attempt) {
            const QByteArray name = RandomName();
            file->m_fd
                = ::openat(file->m_dirFd, name.constData(), O_CREAT | O_EXCL | O_NOFOLLOW | O_RDWR | O_CLOEXEC, 0666);
            if (file->m_fd >= 0)
                file->m_hiddenName = NativePath::Decode(name);
            else if (errno != EEXIST || attempt > 100)
                fail(errno);
        }
    }
    // Held while the writer lives: a later run removes only unlocked leftovers.
    ::flock(file->m_fd, LOCK_EX | LOCK_NB);
    return file;
}

UnfinishedFile::~UnfinishedFile()
{
    if (!m_published && !m_hiddenName.isEmpty()) {
        // Only our own file: a name another run put there meanwhile stays.
        struct stat own
        {
        };
        const QByteArray name = NativePath::Encode(m_hiddenName);
        if (::fstat(m_fd, &own) == 0 && IdentityAt(m_dirFd, name) == IdentityOf(own))
            ::unlinkat(m_dirFd, name.constData(), 0);
    }
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_dirFd >= 0)
        ::close(m_dirFd);
}

QString UnfinishedFile::childPath() const
{
    return QStringLiteral("/dev/fd/%1").arg(m_fd);
}

QString UnfinishedFile::readablePath() const
{
    return QStringLiteral("/proc/%1/fd/%2").arg(::getpid()).arg(m_fd);
}

void UnfinishedFile::NameIt()
{
    if (!m_hiddenName.isEmpty())
        return;
    const QByteArray self = QStringLiteral("/proc/self/fd/%1").arg(m_fd).toLatin1();
    for (int attempt = 0;; ++attempt) {
        const QByteArray name = RandomName();
        if (::linkat(AT_FDCWD, self.constData(), m_dirFd, name.constData(), AT_SYMLINK_FOLLOW) == 0) {
            m_hiddenName = NativePath::Decode(name);
            return;
        }
        if (errno != EEXIST || attempt > 100)
            throw ESystemError(
                QStringLiteral("Cannot save the output file in \"%1\": %2").arg(m_folder, SystemReason(errno)), errno);
    }
}

bool UnfinishedFile::MoveToFree(const QByteArray& name)
{
    const QByteArray hidden = NativePath::Encode(m_hiddenName);
    if (::renameat2(m_dirFd, hidden.constData(), m_dirFd, name.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    if (!Unsupported(errno))
        return false;
    // A link fails on an existing name too.
    if (::linkat(m_dirFd, hidden.constData(), m_dirFd, name.constData(), 0) == 0) {
        ::unlinkat(m_dirFd, hidden.constData(), 0);
        return true;
    }
    if (errno == EEXIST || !Unsupported(errno))
        return false;
    // Neither: a filesystem without links, where only a check before the move is left.
    if (IdentityAt(m_dirFd, name).exists)
        return false;
    return ::renameat(m_dirFd, hidden.constData(), m_dirFd, name.constData()) == 0;
}

bool UnfinishedFile::ReplaceIfStill(const QByteArray& name, const FileIdentity& before)
{
    const QByteArray hidden = NativePath::Encode(m_hiddenName);
    if (before.folder || IdentityAt(m_dirFd, name).folder)
        return false;
    if (::renameat2(m_dirFd, hidden.constData(), m_dirFd, name.constData(), RENAME_EXCHANGE) == 0) {
        // The old file now stands at the hidden name.
        const FileIdentity old = IdentityAt(m_dirFd, hidden);
        if (old == before && !old.folder) {
            ::unlinkat(m_dirFd, hidden.constData(), 0);
            return true;
        }
        // Another run's file came meanwhile: it gets its name back.
        if (::renameat2(m_dirFd, hidden.constData(), m_dirFd, name.constData(), RENAME_EXCHANGE) == 0)
            return false;
        throw ESystemError(QStringLiteral("Cannot give the file \"%1\" its name back: %2")
                               .arg(NativePath::Decode(name), SystemReason(errno)),
                           errno);
    }
    if (errno == ENOENT)
        return MoveToFree(name);
    if (!Unsupported(errno))
        return false;
    // No exchange on this filesystem: checked, then replaced.
    const FileIdentity now = IdentityAt(m_dirFd, name);
    if (!now.exists)
        return MoveToFree(name);
    return now == before && ::renameat(m_dirFd, hidden.constData(), m_dirFd, name.constData()) == 0;
}

QString UnfinishedFile::Publish(const std::function<QString(int)>& candidate, const FileIdentity& before)
{
    const QString folder = m_folder.endsWith(QLatin1Char('/')) ? m_folder : m_folder + QLatin1Char('/');
    const auto taken = [&](const QString& name) {
        m_published = true;
        m_hiddenName.clear();
        return folder + name;
    };
    const QByteArray self = QStringLiteral("/proc/self/fd/%1").arg(m_fd).toLatin1();
    for (int n = 1; n < 100000; ++n) {
        const QString name = candidate(n);
        if (name.isEmpty())
            continue;
        const QByteArray native = NativePath::Encode(name);
        if (n == 1 && before.exists) {
            NameIt();
            if (ReplaceIfStill(native, before))
                return taken(name);
            continue;
        }
        if (m_hiddenName.isEmpty()) {
            // Unnamed: a link never replaces what stands at its name.
            if (::linkat(AT_FDCWD, self.constData(), m_dirFd, native.constData(), AT_SYMLINK_FOLLOW) == 0)
                return taken(name);
            if (errno == EEXIST)
                continue;
            NameIt();
        }
        if (MoveToFree(native))
            return taken(name);
        if (!IdentityAt(m_dirFd, native).exists)
            throw ESystemError(
                QStringLiteral("Cannot save the output file %1: %2").arg(folder + name, SystemReason(errno)), errno);
    }
    throw VantrelError(QStringLiteral("Cannot save the output file in \"%1\": every name is taken").arg(m_folder));
}

int UnfinishedFile::RemoveLeftovers(const QString& folder)
{
    const int dirFd = ::open(NativePath::Encode(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return 0;
    const QByteArray prefix = NativePath::Encode(NamePrefix);
    const QByteArray suffix = NativePath::Encode(NameSuffix);
    int removed = 0;
    for (const Folders::FolderEntry& entry : Folders::ListEntries(NativePath::Encode(folder))) {
        const QByteArray& name = entry.nativeName;
        if (!name.startsWith(prefix) || !name.endsWith(suffix) || entry.isSymLink || entry.isDir)
            continue;
        const int fd = ::openat(dirFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st
        {
        };
        // Another user's file is never ours to remove; a locked one has a living writer.
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::getuid()
            && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && IdentityAt(dirFd, name) == IdentityOf(st)
            && ::unlinkat(dirFd, name.constData(), 0) == 0)
            ++removed;
        ::close(fd);
    }
    ::close(dirFd);
    return removed;
}
