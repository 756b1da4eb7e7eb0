#include "platform/Folders.h"

#include "platform/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
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
    const QString folder = QDir::tempPath() + QStringLiteral("/vantrel-") + QString::number(::getuid());
    const QByteArray native = QFile::encodeName(folder);

    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        throw VantrelError(QStringLiteral("Cannot create the temporary folder \"%1\": %2")
                               .arg(folder, QString::fromLocal8Bit(std::strerror(errno))));

    struct stat st {};
    if (::lstat(native.constData(), &st) != 0)
        throw VantrelError(QStringLiteral("Cannot use the temporary folder \"%1\": %2")
                               .arg(folder, QString::fromLocal8Bit(std::strerror(errno))));
    if (!S_ISDIR(st.st_mode))
        throw VantrelError(QStringLiteral("The temporary folder \"%1\" is a link or not a folder; "
                                          "remove it and start Vantrel again")
                               .arg(folder));
    if (st.st_uid != ::getuid())
        throw VantrelError(QStringLiteral("The temporary folder \"%1\" belongs to another user; "
                                          "remove it and start Vantrel again")
                               .arg(folder));
    if ((st.st_mode & 077) != 0 && ::chmod(native.constData(), 0700) != 0)
        throw VantrelError(QStringLiteral("Cannot make the temporary folder \"%1\" private: %2")
                               .arg(folder, QString::fromLocal8Bit(std::strerror(errno))));
    return folder + QLatin1Char('/');
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
    return ::mkdir(QFile::encodeName(path).constData(), 0777) == 0;
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

} // namespace Folders
