#include "platform/StateFile.h"

#include "platform/Error.h"
#include "platform/FileDescriptor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace StateFile {

namespace {

QString SystemReason(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

QString Path(const QString& name)
{
    return Folder() + QLatin1Char('/') + name;
}

// Where a write in progress stands; the name of none but ours.
QByteArray TemporaryPrefix(const QString& name)
{
    return "." + QFile::encodeName(name) + ".new-";
}

// Makes each missing level of the path with mode 0700, as the XDG rules ask.
void MakeLevels(const QByteArray& folder)
{
    for (qsizetype slash = folder.indexOf('/', 1);; slash = folder.indexOf('/', slash + 1)) {
        const QByteArray level = slash < 0 ? folder : folder.left(slash);
        if (::mkdir(level.constData(), 0700) != 0 && errno != EEXIST)
            throw VantrelError(QCoreApplication::translate("StateFile", "Cannot create the folder \"%1\": %2")
                                   .arg(QFile::decodeName(level), SystemReason(errno)));
        if (slash < 0)
            return;
    }
}

// The state folder, made when missing and checked as the user's own private folder.
FileDescriptor OpenFolder()
{
    const QString folder = Folder();
    const QByteArray native = QFile::encodeName(folder);
    MakeLevels(native);
    FileDescriptor fd(::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st
    {
    };
    if (!fd.isOpen() || ::fstat(fd.get(), &st) != 0) {
        const int code = errno;
        throw VantrelError(QCoreApplication::translate("StateFile", "Cannot use the folder \"%1\": %2")
                               .arg(folder, code == ELOOP || code == ENOTDIR
                                                ? QCoreApplication::translate("StateFile", "it is a link or no folder")
                                                : SystemReason(code)));
    }
    // Whoever else could write or look in it could plant or read the queue.
    QString why;
    if (st.st_uid != ::getuid())
        why = QCoreApplication::translate("StateFile", "belongs to another user");
    else if ((st.st_mode & 077) != 0)
        why = QCoreApplication::translate("StateFile", "is open to other users; set its mode to 0700");
    if (!why.isEmpty())
        throw VantrelError(QCoreApplication::translate("StateFile", "The folder \"%1\" %2").arg(folder, why));
    return fd;
}

void RemoveLeftovers(const FileDescriptor& folder, const QString& name)
{
    FileDescriptor listing(::dup(folder.get()));
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(listing.isOpen() ? ::fdopendir(listing.get()) : nullptr, ::closedir);
    if (!dir)
        return;
    listing.release();
    const QByteArray prefix = TemporaryPrefix(name);
    while (const dirent* entry = ::readdir(dir.get())) {
        if (QByteArray(entry->d_name).startsWith(prefix))
            ::unlinkat(folder.get(), entry->d_name, 0);
    }
}

} // namespace

QString Folder()
{
    QString base = QFile::decodeName(qgetenv("XDG_STATE_HOME"));
    // The rules ignore a relative path.
    if (!QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(base) + QStringLiteral("/vantrel");
}

std::optional<QByteArray> Read(const QString& name, qsizetype most)
{
    const FileDescriptor folder = OpenFolder();
    RemoveLeftovers(folder, name);
    const FileDescriptor file(
        ::openat(folder.get(), QFile::encodeName(name).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!file.isOpen() && errno == ENOENT)
        return std::nullopt;
    struct stat st
    {
    };
    if (!file.isOpen() || ::fstat(file.get(), &st) != 0)
        throw VantrelError(
            QCoreApplication::translate("StateFile", "Cannot read \"%1\": %2").arg(Path(name), SystemReason(errno)));
    if (!S_ISREG(st.st_mode) || st.st_uid != ::getuid())
        throw VantrelError(
            QCoreApplication::translate("StateFile", "Cannot read \"%1\": it is not a file of yours").arg(Path(name)));
    QByteArray bytes;
    char buffer[65536];
    while (bytes.size() <= most) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            throw VantrelError(QCoreApplication::translate("StateFile", "Cannot read \"%1\": %2")
                                   .arg(Path(name), SystemReason(errno)));
        if (got == 0)
            break;
        bytes.append(buffer, got);
    }
    return bytes.left(most + 1);
}

void Write(const QString& name, const QByteArray& bytes)
{
    const FileDescriptor folder = OpenFolder();
    QByteArray temporary;
    FileDescriptor file;
    for (int attempt = 0; attempt < 10 && !file.isOpen(); ++attempt) {
        temporary = TemporaryPrefix(name) + QByteArray::number(QRandomGenerator::system()->generate64(), 36);
        file.reset(
            ::openat(folder.get(), temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!file.isOpen() && errno != EEXIST)
            break;
    }
    if (!file.isOpen())
        throw VantrelError(
            QCoreApplication::translate("StateFile", "Cannot write \"%1\": %2").arg(Path(name), SystemReason(errno)));

    qsizetype written = 0;
    int failure = 0;
    while (written < bytes.size() && failure == 0) {
        const ssize_t put
            = ::write(file.get(), bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (put > 0)
            written += put;
        else if (put < 0 && errno != EINTR)
            failure = errno;
    }
    // Synced before the rename, so a power cut leaves the old file or the new one, never an empty one.
    if (failure == 0 && ::fsync(file.get()) != 0)
        failure = errno;
    file.reset();
    if (failure == 0
        && ::renameat(folder.get(), temporary.constData(), folder.get(), QFile::encodeName(name).constData()) != 0)
        failure = errno;
    if (failure != 0) {
        ::unlinkat(folder.get(), temporary.constData(), 0);
        throw VantrelError(
            QCoreApplication::translate("StateFile", "Cannot write \"%1\": %2").arg(Path(name), SystemReason(failure)));
    }
    ::fsync(folder.get());
}

void Remove(const QString& name)
{
    const FileDescriptor folder = OpenFolder();
    if (::unlinkat(folder.get(), QFile::encodeName(name).constData(), 0) != 0 && errno != ENOENT)
        throw VantrelError(
            QCoreApplication::translate("StateFile", "Cannot remove \"%1\": %2").arg(Path(name), SystemReason(errno)));
}

QString SetAside(const QString& name)
{
    const FileDescriptor folder = OpenFolder();
    const QByteArray from = QFile::encodeName(name);
    for (int n = 1; n < 1000; ++n) {
        const QString aside = name + QStringLiteral(".aside-%1").arg(n);
        const QByteArray to = QFile::encodeName(aside);
        // Never over an earlier one: each damaged file is kept for whoever wants to look.
        if (::renameat2(folder.get(), from.constData(), folder.get(), to.constData(), RENAME_NOREPLACE) == 0)
            return Path(aside);
        if (errno == EINVAL || errno == ENOSYS) {
            if (::linkat(folder.get(), from.constData(), folder.get(), to.constData(), 0) == 0) {
                ::unlinkat(folder.get(), from.constData(), 0);
                return Path(aside);
            }
        }
        if (errno != EEXIST)
            break;
    }
    throw VantrelError(
        QCoreApplication::translate("StateFile", "Cannot rename \"%1\": %2").arg(Path(name), SystemReason(errno)));
}

} // namespace StateFile
