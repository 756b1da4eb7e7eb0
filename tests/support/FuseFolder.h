#pragma once

#include <QString>

// A folder on a filesystem of another kind, mounted through FUSE for as long
// as the object lives: bindfs over a local folder (no unnamed files, no atomic
// exchange, like most network mounts), the same keeping no extended
// attributes (as sshfs and many network mounts), or a FAT image read by fusefat (no
// links either, times in 2-second steps). A machine that refuses the mount
// leaves the path empty and says why.
class FuseFolder
{
public:
    enum class Kind { Local, Bindfs, NoXattr, Fat };

    // Mounts in scratch, a folder of the test's own; Local mounts nothing.
    FuseFolder(Kind kind, const QString& scratch);
    ~FuseFolder();
    FuseFolder(const FuseFolder&) = delete;
    FuseFolder& operator=(const FuseFolder&) = delete;

    QString path() const { return m_path; }
    QString refused() const { return m_refused; }
    static const char* Name(Kind kind);

private:
    QString m_mountPoint;
    QString m_path; // empty when refused
    QString m_refused;
    bool m_mounted = false;
};
