#pragma once

#include <QString>

// Folder services the start-up sequence and the actions rely on.
namespace Folders {

// The private per-user temp folder, with a trailing "/": QDir::tempPath() +
// "/vantrel-<uid>/", made with mode 0700. The probe's fixed file names must not
// live in a folder other users can write to, so a link, a non-folder or a
// folder owned by someone else is refused with a VantrelError, never used.
QString PrivateTempDir();

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

} // namespace Folders
