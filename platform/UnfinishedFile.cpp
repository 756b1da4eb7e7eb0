#include "platform/UnfinishedFile.h"

#include "platform/Error.h"
#include "platform/Folders.h"
#include "platform/NativePath.h"

#include <QCoreApplication>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
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
    return {true,
            st.st_dev,
            st.st_ino,
            S_ISDIR(st.st_mode),
            S_ISREG(st.st_mode),
            qint64(st.st_size),
            qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

FileIdentity IdentityOf(const FileDescriptor& file)
{
    struct stat st
    {
    };
    if (::fstat(file.get(), &st) != 0)
        return {};
    return IdentityOf(st);
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

// The output folder's lock, which this user's runs hold while one replaces a
// file there or sweeps it: a file in the program's private state named by the
// folder's identity. A lock on the folder itself anyone who can read it could
// hold, stalling every run. Only the user's own runs take this one, each for
// a rename, so waiting for it is waiting a moment. Closed when dropped;
// not open when there is no private folder to hold it.
FileDescriptor LockFolder(int dir)
{
    struct stat st
    {
    };
    if (::fstat(dir, &st) != 0)
        return {};
    QString path;
    try {
        path = Folders::PrivateFolder(Folders::StateFolder() + QStringLiteral("/locks"))
               + QStringLiteral("/folder-%1-%2").arg(quint64(st.st_dev)).arg(quint64(st.st_ino));
    } catch (const VantrelError&) {
        return {};
    }
    FileDescriptor lock(
        ::open(NativePath::Encode(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600));
    while (lock.isOpen() && ::flock(lock.get(), LOCK_EX) != 0) {
        if (errno != EINTR)
            return {};
    }
    return lock;
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

QHash<QString, FileIdentity> FileIdentity::FilesIn(const QString& folder)
{
    QHash<QString, FileIdentity> files;
    const FileDescriptor dir(::open(NativePath::Encode(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.isOpen())
        return files;
    for (const Folders::FolderEntry& entry : Folders::ListEntries(NativePath::Encode(folder))) {
        if (const FileIdentity id = IdentityAt(dir.get(), entry.nativeName); id.regular)
            files.insert(NativePath::Decode(entry.nativeName), id);
    }
    return files;
}

std::unique_ptr<UnfinishedFile> UnfinishedFile::Create(const QString& folder)
{
    std::unique_ptr<UnfinishedFile> file(new UnfinishedFile);
    file->m_folder = folder;
    const auto fail = [&folder](int code) {
        throw ESystemError(QCoreApplication::translate("UnfinishedFile", "Cannot create the output file in \"%1\": %2")
                               .arg(folder, SystemReason(code)),
                           code);
    };
    file->m_dir.reset(::open(NativePath::Encode(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!file->m_dir.isOpen())
        fail(errno);

    file->m_file.reset(::openat(file->m_dir.get(), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666));
    if (file->m_file.isOpen()) {
        // Locked before it ever has a name: a later run removes only unlocked leftovers.
        ::flock(file->m_file.get(), LOCK_EX | LOCK_NB);
        return file;
    }
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        fail(errno);
    // No unnamed files here: a name nobody can guess or create first.
    for (int attempt = 0;; ++attempt) {
        if (attempt > 100)
            fail(EEXIST);
        const QByteArray name = RandomName();
        FileDescriptor made(
            ::openat(file->m_dir.get(), name.constData(), O_CREAT | O_EXCL | O_NOFOLLOW | O_RDWR | O_CLOEXEC, 0666));
        if (!made.isOpen()) {
            if (errno != EEXIST)
                fail(errno);
            continue;
        }
        // Between its making and its lock a starting run may take it for a dead
        // writer's: that run then holds the lock, or has removed the name, and
        // this file is given up for another.
        if (::flock(made.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
            continue;
        if (!(IdentityAt(file->m_dir.get(), name) == IdentityOf(made)))
            continue;
        file->m_file = std::move(made);
        file->m_hiddenName = NativePath::Decode(name);
        return file;
    }
}

UnfinishedFile::~UnfinishedFile()
{
    if (!m_published && !m_hiddenName.isEmpty()) {
        // Only our own file: a name another run put there meanwhile stays.
        const QByteArray name = NativePath::Encode(m_hiddenName);
        if (IdentityAt(m_dir.get(), name) == IdentityOf(m_file))
            ::unlinkat(m_dir.get(), name.constData(), 0);
    }
}

QString UnfinishedFile::childPath() const
{
    return QStringLiteral("/dev/fd/%1").arg(m_file.get());
}

QString UnfinishedFile::readablePath() const
{
    return QStringLiteral("/proc/%1/fd/%2").arg(::getpid()).arg(m_file.get());
}

void UnfinishedFile::NameIt()
{
    if (!m_hiddenName.isEmpty())
        return;
    const QByteArray self = QStringLiteral("/proc/self/fd/%1").arg(m_file.get()).toLatin1();
    for (int attempt = 0;; ++attempt) {
        const QByteArray name = RandomName();
        if (::linkat(AT_FDCWD, self.constData(), m_dir.get(), name.constData(), AT_SYMLINK_FOLLOW) == 0) {
            m_hiddenName = NativePath::Decode(name);
            return;
        }
        if (errno != EEXIST || attempt > 100)
            throw ESystemError(
                QCoreApplication::translate("UnfinishedFile", "Cannot save the output file in \"%1\": %2")
                    .arg(m_folder, SystemReason(errno)),
                errno);
    }
}

bool UnfinishedFile::TakeFree(const QByteArray& name)
{
    const int dir = m_dir.get();
    if (m_hiddenName.isEmpty()) {
        // Unnamed: a link never replaces what stands at its name.
        const QByteArray self = QStringLiteral("/proc/self/fd/%1").arg(m_file.get()).toLatin1();
        if (::linkat(AT_FDCWD, self.constData(), dir, name.constData(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno == EEXIST)
            return false;
        NameIt();
    }
    const QByteArray hidden = NativePath::Encode(m_hiddenName);
    if (::renameat2(dir, hidden.constData(), dir, name.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EEXIST || !Unsupported(errno))
        return false;
    // A link fails on an existing name too.
    if (::linkat(dir, hidden.constData(), dir, name.constData(), 0) == 0) {
        ::unlinkat(dir, hidden.constData(), 0);
        return true;
    }
    if (errno == EEXIST || !Unsupported(errno))
        return false;
    return ClaimThenMove(name);
}

bool UnfinishedFile::ClaimThenMove(const QByteArray& name)
{
    // Only one run can make the claim; the others find the name taken.
    FileDescriptor claim(
        ::openat(m_dir.get(), name.constData(), O_CREAT | O_EXCL | O_NOFOLLOW | O_WRONLY | O_CLOEXEC, 0600));
    if (!claim.isOpen())
        return false;
    // Closed before it is replaced: FUSE keeps a replaced file that is still open under a name of its own.
    const FileIdentity claimed = IdentityOf(claim);
    claim.reset();
    const QByteArray hidden = NativePath::Encode(m_hiddenName);
    if (::renameat(m_dir.get(), hidden.constData(), m_dir.get(), name.constData()) == 0)
        return true;
    const int code = errno;
    if (IdentityAt(m_dir.get(), name) == claimed)
        ::unlinkat(m_dir.get(), name.constData(), 0);
    errno = code;
    return false;
}

bool UnfinishedFile::ReplaceIfStill(const QByteArray& name, const FileIdentity& before)
{
    const int dir = m_dir.get();
    const FileIdentity there = IdentityAt(dir, name);
    if (!there.exists)
        return TakeFree(name);
    // Every run that replaces a file in this folder, and every sweep, holds
    // the folder's lock meanwhile: one run replaces the file, the others then
    // find another file at the name and keep it, and no sweep takes the old
    // file while it stands at a hidden name.
    if (!before.regular || !there.sameFile(before))
        return false;
    const FileDescriptor lock = LockFolder(dir);
    if (!lock.isOpen() || !IdentityAt(dir, name).sameFile(before))
        return false;
    NameIt();
    const QByteArray hidden = NativePath::Encode(m_hiddenName);
    if (::renameat2(dir, hidden.constData(), dir, name.constData(), RENAME_EXCHANGE) == 0) {
        // The old file now stands at the hidden name.
        if (IdentityAt(dir, hidden) == before) {
            ::unlinkat(dir, hidden.constData(), 0);
            return true;
        }
        // Something that is no run of ours put a file there in this instant: it gets its name back.
        if (::renameat2(dir, hidden.constData(), dir, name.constData(), RENAME_EXCHANGE) == 0)
            return false;
        throw ESystemError(
            QCoreApplication::translate("UnfinishedFile", "Cannot give the file \"%1\" its name back: %2")
                .arg(NativePath::Decode(name), SystemReason(errno)),
            errno);
    }
    if (!Unsupported(errno))
        return false;
    // No exchange on this filesystem: the lock keeps every other run off the name.
    return ::renameat(dir, hidden.constData(), dir, name.constData()) == 0;
}

QString UnfinishedFile::Publish(const std::function<QString(int)>& candidate, const FileIdentity& before)
{
    const QString folder = m_folder.endsWith(QLatin1Char('/')) ? m_folder : m_folder + QLatin1Char('/');
    const auto taken = [&](const QString& name) {
        m_published = true;
        m_hiddenName.clear();
        return folder + name;
    };
    for (int n = 1; n < 100000; ++n) {
        const QString name = candidate(n);
        if (name.isEmpty())
            continue;
        const QByteArray native = NativePath::Encode(name);
        if (n == 1 && before.exists) {
            if (ReplaceIfStill(native, before))
                return taken(name);
            continue;
        }
        if (TakeFree(native))
            return taken(name);
        if (!IdentityAt(m_dir.get(), native).exists)
            throw ESystemError(QCoreApplication::translate("UnfinishedFile", "Cannot save the output file %1: %2")
                                   .arg(folder + name, SystemReason(errno)),
                               errno);
    }
    throw VantrelError(
        QCoreApplication::translate("UnfinishedFile", "Cannot save the output file in \"%1\": every name is taken")
            .arg(m_folder));
}

int UnfinishedFile::RemoveLeftovers(const QString& folder)
{
    const FileDescriptor dir(::open(NativePath::Encode(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.isOpen())
        return 0;
    // Not while a run replaces a file here: the old one stands at a hidden name for a moment.
    const FileDescriptor lock = LockFolder(dir.get());
    if (!lock.isOpen())
        return 0;
    const QByteArray prefix = NativePath::Encode(NamePrefix);
    const QByteArray suffix = NativePath::Encode(NameSuffix);
    int removed = 0;
    for (const Folders::FolderEntry& entry : Folders::ListEntries(NativePath::Encode(folder))) {
        const QByteArray& name = entry.nativeName;
        if (!name.startsWith(prefix) || !name.endsWith(suffix) || entry.isSymLink || entry.isDir)
            continue;
        const FileDescriptor file(
            ::openat(dir.get(), name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (!file.isOpen())
            continue;
        struct stat st
        {
        };
        // Another user's file is never ours to remove; a locked one has a living writer.
        if (::fstat(file.get(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::getuid()
            && ::flock(file.get(), LOCK_EX | LOCK_NB) == 0 && IdentityAt(dir.get(), name) == IdentityOf(st)
            && ::unlinkat(dir.get(), name.constData(), 0) == 0)
            ++removed;
    }
    return removed;
}
