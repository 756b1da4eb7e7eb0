#include "platform/Folders.h"

#include "platform/Error.h"
#include "platform/NativePath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Folders {

namespace {

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

QString PrivateTempDir()
{
    // QDir::tempPath() turns a TMPDIR that names no folder into "", which put
    // the folder at the filesystem root.
    const QByteArray tmpdir = qgetenv("TMPDIR");
    QString base = QStringLiteral("/tmp");
    if (!tmpdir.isEmpty() && QFileInfo(NativePath::Decode(tmpdir)).isDir())
        base = QDir::cleanPath(QDir(NativePath::Decode(tmpdir)).absolutePath());
    if (base == QLatin1String("/"))
        base.clear();
    return PrivateFolder(base + QStringLiteral("/vantrel-") + QString::number(::getuid())) + QLatin1Char('/');
}

QString StateFolder()
{
    QString state = NativePath::Decode(qgetenv("XDG_STATE_HOME"));
    if (!state.startsWith(QLatin1Char('/'))) {
        const QString home = NativePath::Decode(qgetenv("HOME"));
        if (!home.startsWith(QLatin1Char('/')))
            throw VantrelError(
                QCoreApplication::translate("Folders", "There is no home folder to keep Vantrel's state in"));
        state = home + QStringLiteral("/.local/state");
    }
    QDir().mkpath(state);
    return PrivateFolder(state + QStringLiteral("/vantrel"));
}

QString PrivateFolder(const QString& folder)
{
    const QByteArray native = NativePath::Encode(folder);

    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        throw VantrelError(QCoreApplication::translate("Folders", "Cannot create the private folder \"%1\": %2")
                               .arg(folder, QString::fromLocal8Bit(std::strerror(errno))));
    CheckPrivate(folder);
    return folder;
}

void CheckPrivate(const QString& folder)
{
    struct stat st
    {
    };
    if (::lstat(NativePath::Encode(folder).constData(), &st) != 0)
        throw VantrelError(QCoreApplication::translate("Folders", "Cannot use the private folder \"%1\": %2")
                               .arg(folder, QString::fromLocal8Bit(std::strerror(errno))));
    // Never repaired with chmod: whatever another user could place in it
    // while it was open would stay, and be trusted.
    QString why;
    if (S_ISLNK(st.st_mode))
        why = QCoreApplication::translate("Folders", "is a link; remove it");
    else if (!S_ISDIR(st.st_mode))
        why = QCoreApplication::translate("Folders", "is not a folder; remove it");
    else if (st.st_uid != ::getuid())
        why = QCoreApplication::translate("Folders", "belongs to another user; have it removed");
    else if ((st.st_mode & 022) != 0)
        why = QCoreApplication::translate("Folders", "is writable by others; remove it or set its mode to 0700");
    else if ((st.st_mode & 055) != 0)
        why = QCoreApplication::translate("Folders", "is open to other users; remove it or set its mode to 0700");
    if (!why.isEmpty())
        throw VantrelError(
            QCoreApplication::translate("Folders", "The private folder \"%1\" %2 and start Vantrel again")
                .arg(folder, why));
}

std::vector<FolderEntry> ListEntries(const QByteArray& nativeFolder)
{
    std::vector<FolderEntry> entries;
    DIR* dir = ::opendir(nativeFolder.constData());
    if (!dir)
        return entries;
    const int fd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray raw(entry->d_name);
        if (raw == "." || raw == "..")
            continue;
        FolderEntry e;
        e.nativeName = raw;
        e.name = QFile::decodeName(raw);
        e.decodable = QFile::encodeName(e.name) == raw;
        struct stat st
        {
        };
        if (::fstatat(fd, raw.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode)) {
            e.isSymLink = true;
            if (::fstatat(fd, raw.constData(), &st, 0) != 0)
                st = {};
        }
        e.isDir = S_ISDIR(st.st_mode);
        e.isWritable = ::faccessat(fd, raw.constData(), W_OK, 0) == 0;
        entries.push_back(std::move(e));
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        if (const int r = a.name.compare(b.name, Qt::CaseInsensitive))
            return r < 0;
        if (const int r = a.name.compare(b.name))
            return r < 0;
        return a.nativeName < b.nativeName;
    });
    return entries;
}

namespace {

// The desktop's special folders always exist where the program was first
// built; a fresh Linux home may lack them, so they are made as the XDG rules
// ask, but only inside an existing home.
QString specialFolder(QStandardPaths::StandardLocation location)
{
    const QString folder = withoutTrailingSlash(QStandardPaths::writableLocation(location));
    const QString home = QDir::homePath();
    if (!folder.isEmpty() && QFileInfo(home).isDir() && folder.startsWith(home + QLatin1Char('/')))
        QDir().mkpath(folder);
    return folder;
}

} // namespace

QString DocumentsFolder()
{
    return specialFolder(QStandardPaths::DocumentsLocation);
}

QString AppDataFolder()
{
    return specialFolder(QStandardPaths::GenericDataLocation);
}

QString CollapseDoubleSlash(const QString& path)
{
    QString result = path;
    return result.replace(QStringLiteral("//"), QStringLiteral("/"));
}

bool FolderExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool CreateFolderOneLevel(const QString& path)
{
    if (path.isEmpty())
        return false;
    return ::mkdir(NativePath::Encode(path).constData(), 0777) == 0;
}

QString FolderPart(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return {};
    if (slash == 0)
        return QStringLiteral("/");
    return path.left(slash);
}

QString TrimControls(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first).unicode() <= ' ')
        ++first;
    while (last > first && text.at(last - 1).unicode() <= ' ')
        --last;
    return text.mid(first, last - first);
}

QString FileNamePart(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

int NameMax(const QString& folder)
{
    const long max = ::pathconf(NativePath::Encode(folder).constData(), _PC_NAME_MAX);
    return max > 0 ? static_cast<int>(std::min<long>(max, 65535)) : 255;
}

} // namespace Folders
