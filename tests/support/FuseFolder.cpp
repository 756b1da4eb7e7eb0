#include "support/FuseFolder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <sys/vfs.h>

namespace {

constexpr long FuseMagic = 0x65735546;

// Runs a tool to its end; empty when it succeeded, else what went wrong.
QString Run(const QString& program, const QStringList& arguments)
{
    if (QStandardPaths::findExecutable(program).isEmpty())
        return QStringLiteral("%1 is not installed").arg(program);
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(program, arguments);
    if (!tool.waitForFinished(30000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return QStringLiteral("%1 failed: %2").arg(program, QString::fromLocal8Bit(tool.readAll()).trimmed());
    return {};
}

bool OnFuse(const QString& path)
{
    struct statfs fs
    {
    };
    return ::statfs(QFile::encodeName(path).constData(), &fs) == 0 && fs.f_type == FuseMagic;
}

} // namespace

const char* FuseFolder::Name(Kind kind)
{
    switch (kind) {
    case Kind::Local: return "local";
    case Kind::Bindfs: return "FUSE";
    case Kind::NoXattr: return "FUSE without extended attributes";
    case Kind::Fat: return "FAT";
    }
    return "?";
}

FuseFolder::FuseFolder(Kind kind, const QString& scratch)
{
    const QString mount = scratch + QStringLiteral("/mounted");
    m_mountPoint = mount;
    QDir().mkpath(mount);
    if (kind == Kind::Local) {
        m_path = mount;
        return;
    }
    if (!QFile::exists(QStringLiteral("/dev/fuse"))) {
        m_refused = QStringLiteral("this machine has no /dev/fuse");
        return;
    }
    if (kind == Kind::Bindfs || kind == Kind::NoXattr) {
        const QString under = scratch + QStringLiteral("/under");
        QDir().mkpath(under);
        QStringList options{under, mount};
        if (kind == Kind::NoXattr)
            options.prepend(QStringLiteral("--xattr-none"));
        m_refused = Run(QStringLiteral("bindfs"), options);
    } else {
        const QString image = scratch + QStringLiteral("/fat.img");
        m_refused = Run(QStringLiteral("mkfs.vfat"), {QStringLiteral("-C"), image, QStringLiteral("32768")});
        if (m_refused.isEmpty())
            m_refused = Run(QStringLiteral("fusefat"), {QStringLiteral("-o"), QStringLiteral("rw+"), image, mount});
    }
    if (m_refused.isEmpty() && !OnFuse(mount))
        m_refused = QStringLiteral("the mount did not appear at %1").arg(mount);
    m_mounted = OnFuse(mount);
    if (m_refused.isEmpty())
        m_path = mount;
}

FuseFolder::~FuseFolder()
{
    // Lazily, so a file a killed run left open never keeps the mount.
    if (m_mounted
        && !Run(QStringLiteral("fusermount"), {QStringLiteral("-u"), QStringLiteral("-z"), m_mountPoint}).isEmpty())
        Run(QStringLiteral("umount"), {QStringLiteral("-l"), m_mountPoint});
}
