#include "platform/OwnTempFolder.h"

#include "platform/NativePath.h"
#include "platform/Error.h"
#include "platform/FileDescriptor.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

namespace OwnTempFolder {

namespace {

constexpr char Prefix[] = "probe-";
constexpr int Attempts = 10;

struct Own
{
    QString privateFolder;
    QString path;          // ends in "/"
    FileDescriptor folder; // the folder itself, locked while this process runs
    pid_t owner = 0;
};

Own s_own;

FileDescriptor openFolderAt(int at, const char* name)
{
    return FileDescriptor(::openat(at, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
}

// The names directly in the folder, "." and ".." left out.
std::vector<std::string> namesIn(const FileDescriptor& folder)
{
    std::vector<std::string> names;
    // The listing takes a descriptor of its own and closes it.
    FileDescriptor listing(::dup(folder.get()));
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(listing.isOpen() ? ::fdopendir(listing.get()) : nullptr, ::closedir);
    if (!dir)
        return names;
    listing.release();
    while (const dirent* entry = ::readdir(dir.get())) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    }
    return names;
}

// Deletes the files directly in the folder; the folder is ours, so nothing in
// it is followed, only unlinked.
void removeContents(const FileDescriptor& folder)
{
    for (const std::string& name : namesIn(folder))
        ::unlinkat(folder.get(), name.c_str(), 0);
}

bool sameFile(const FileDescriptor& file, const QByteArray& path)
{
    struct stat opened
    {
    };
    struct stat named
    {
    };
    return ::fstat(file.get(), &opened) == 0 && ::lstat(path.constData(), &named) == 0 && opened.st_dev == named.st_dev
           && opened.st_ino == named.st_ino;
}

QString withSlash(const QString& folder)
{
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

} // namespace

void RemoveStale(const QString& privateFolder)
{
    const FileDescriptor parent = openFolderAt(AT_FDCWD, NativePath::Encode(privateFolder).constData());
    if (!parent.isOpen())
        return;
    for (const std::string& name : namesIn(parent)) {
        if (name.rfind(Prefix, 0) != 0)
            continue;
        const FileDescriptor folder = openFolderAt(parent.get(), name.c_str());
        // Held by a live process (this one included, through its own open),
        // or not lockable here at all: it stays.
        if (folder.isOpen() && ::flock(folder.get(), LOCK_EX | LOCK_NB) == 0) {
            removeContents(folder);
            ::unlinkat(parent.get(), name.c_str(), AT_REMOVEDIR);
        }
    }
}

QString Take(const QString& privateFolder)
{
    const QString folder = withSlash(privateFolder);
    if (s_own.owner != ::getpid())
        s_own = {}; // a forked child: the folder is its parent's
    if (s_own.folder.isOpen() && s_own.privateFolder == folder)
        return s_own.path;
    Remove();
    RemoveStale(folder);

    for (int attempt = 0; attempt < Attempts; ++attempt) {
        QByteArray name = NativePath::Encode(folder) + Prefix + "XXXXXX";
        if (!::mkdtemp(name.data()))
            throw VantrelError(
                QCoreApplication::translate("OwnTempFolder", "Cannot create a folder in the private folder \"%1\": %2")
                    .arg(folder, QString::fromLocal8Bit(std::strerror(errno))));
        FileDescriptor made = openFolderAt(AT_FDCWD, name.constData());
        if (!made.isOpen())
            continue;
        // A copy starting at this moment may have taken the new folder for a
        // dead one; then it holds the lock or has removed the folder already.
        if (::flock(made.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
            continue;
        if (!sameFile(made, name))
            continue;
        static const bool registered = std::atexit([] { Remove(); }) == 0;
        Q_UNUSED(registered);
        s_own = {folder, NativePath::Decode(name) + QLatin1Char('/'), std::move(made), ::getpid()};
        return s_own.path;
    }
    throw VantrelError(
        QCoreApplication::translate("OwnTempFolder", "Cannot create a folder of its own in the private folder \"%1\"")
            .arg(folder));
}

void Remove()
{
    if (!s_own.folder.isOpen() || s_own.owner != ::getpid())
        return;
    removeContents(s_own.folder);
    ::rmdir(NativePath::Encode(s_own.path).constData());
    s_own = {};
}

} // namespace OwnTempFolder
