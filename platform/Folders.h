#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// Folder services the start-up sequence and the actions rely on.
namespace Folders {

// The private per-user temp folder, with a trailing "/": "vantrel-<uid>" under
// $TMPDIR when that names an existing folder, else under /tmp. Made as
// PrivateFolder makes it.
QString PrivateTempDir();

// Makes the folder with mode 0700 when missing and returns it, checked as
// CheckPrivate checks it.
QString PrivateFolder(const QString& folder);

// The program's private folder among the user's state ("vantrel" in
// $XDG_STATE_HOME, else in ~/.local/state), made as PrivateFolder makes it,
// with no trailing "/"; the folder above is made when missing. Throws
// VantrelError as PrivateFolder does, or when there is no home to hold it.
QString StateFolder();

// Fixed file names must not live where other users can write or look, so a
// link, a non-folder, a folder owned by someone else or one with any
// permission for group or others is refused with a VantrelError that names
// it and says why; nothing in it is used, and it is never repaired.
void CheckPrivate(const QString& folder);

// One entry of a folder, whatever bytes its name holds.
struct FolderEntry
{
    QByteArray nativeName; // the name's bytes on disk
    QString name;          // for display: bytes the system's encoding cannot represent become U+FFFD
    bool decodable = true; // false when name does not give nativeName back
    bool isDir = false;    // links followed
    bool isSymLink = false;
    bool isWritable = false;
};

// Every entry of the folder but "." and "..", in name order, letter case
// ignored. Unlike QDir, which leaves out names it cannot decode, nothing is
// skipped. A missing or unreadable folder has no entries.
std::vector<FolderEntry> ListEntries(const QByteArray& nativeFolder);

// The user's Documents and data folders, without a trailing "/" unless root;
// made when missing inside the home folder.
QString DocumentsFolder();
QString AppDataFolder();

// Replaces every "//" by "/", once, left to right, without rescanning.
QString CollapseDoubleSlash(const QString& path);

bool FolderExists(const QString& path);
// Makes one folder level when its parent exists; the result is the caller's to ignore.
bool CreateFolderOneLevel(const QString& path);

// The text up to the last "/" (the root keeps its "/"), or empty when there is none.
QString FolderPart(const QString& path);

// Blanks and control characters (codes up to 32) off both ends.
QString TrimControls(const QString& text);

// The last component of a path (after the last "/").
QString FileNamePart(const QString& path);

// The most bytes a file name may have in the folder; 255 (ext4's) where the
// folder does not say.
int NameMax(const QString& folder);

} // namespace Folders
