#include "platform/OwnTempFolder.h"

#include "platform/Error.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace OwnTempFolder {

namespace {

constexpr char Prefix[] = "probe-";
constexpr int Attempts = 10;

struct Own
{
    QString privateFolder;
    QString path; // ends in "/"
    int fd = -1;  // the folder itself, locked while this process runs
    pid_t owner = 0;
};

Own s_own;

int openFolderAt(int at, const char* name)
{
    return ::openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Deletes the files directly in the folder; the folder is ours, so nothing in
// it is followed, only unlinked.
void removeContents(int folderFd)
{
    const int listFd = ::dup(folderFd);
    if (listFd < 0)
        return;
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            ::unlinkat(folderFd, entry->d_name, 0);
    }
    ::closedir(dir);
}

bool sameFile(int fd, const QByteArray& path)
{
    struct stat opened
    {
    };
    struct stat named
    {
    };
    return ::fstat(fd, &opened) == 0 && ::lstat(path.constData(), &named) == 0 && opened.st_dev == named.st_dev
           && opened.st_ino == named.st_ino;
}

QString withSlash(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

} // namespace

void RemoveStale(const QString& privateFolder)
{
    const int parent = openFolderAt(AT_FDCWD, QFile::encodeName(privateFolder).constData());
    if (parent < 0)
        return;
    const int listFd = ::dup(parent);
    DIR* dir = listFd < 0 ? nullptr : ::fdopendir(listFd);
    if (!dir) {
        if (listFd >= 0)
            ::close(listFd);
        ::close(parent);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strncmp(entry->d_name, Prefix, sizeof Prefix - 1) != 0)
            continue;
        const int fd = openFolderAt(parent, entry->d_name);
        if (fd < 0)
            continue;
        // Held by a live process (this one included, through its own open),
        // or not lockable here at all: it stays.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            removeContents(fd);
            ::unlinkat(parent, entry->d_name, AT_REMOVEDIR);
        }
        ::close(fd);
    }
    ::closedir(dir);
    ::close(parent);
}

QString Take(const QString& privateFolder)
{
    const QString folder = withSlash(privateFolder);
    if (s_own.owner != ::getpid())
        s_own = {}; // a forked child: the folder is its parent's
    if (s_own.fd >= 0 && s_own.privateFolder == folder)
        return s_own.path;
    Remove();
    RemoveStale(folder);

    for (int attempt = 0; attempt < Attempts; ++attempt) {
        QByteArray name = QFile::encodeName(folder) + Prefix + "XXXXXX";
        if (!::mkdtemp(name.data()))
            throw VantrelError(QStringLiteral("Cannot create a folder in the private folder \"%1\": %2")
                                   .arg(folder, QString::fromLocal8Bit(std::strerror(errno))));
        const int fd = openFolderAt(AT_FDCWD, name.constData());
        if (fd < 0)
            continue;
        // A copy starting at this moment may have taken the new folder for a
        // dead one; then it holds the lock or has removed the folder already.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
            ::close(fd);
            continue;
        }
        if (!sameFile(fd, name)) {
            ::close(fd);
            continue;
        }
        static const bool registered = std::atexit([] { Remove(); }) == 0;
        Q_UNUSED(registered);
        s_own = {folder, QFile::decodeName(name) + QLatin1Char('/'), fd, ::getpid()};
        return s_own.path;
    }
    throw VantrelError(QStringLiteral("Cannot create a folder of its own in the private folder \"%1\"").arg(folder));
}

void Remove()
{
    if (s_own.fd < 0 || s_own.owner != ::getpid())
        return;
    removeContents(s_own.fd);
    ::rmdir(QFile::encodeName(s_own.path).constData());
    ::close(s_own.fd);
    s_own = {};
}

} // namespace OwnTempFolder
