#pragma once

#include <QString>

// This process's own folder inside the private temp folder, where its probe
// files live, so copies side by side never read or remove each other's.
//
// The folder is locked (flock on the folder itself) for the process's life;
// the system drops the lock however the process ends, so a folder whose lock
// can be taken belongs to no running process, whatever became of its pid.
namespace OwnTempFolder {

// The folder, with a trailing "/", made fresh with mode 0700 inside
// privateFolder on the first call (after removing the folders of processes
// that no longer run); later calls give the same folder. A call for another
// private folder (TMPDIR changed) removes the first and makes a new one.
// Throws VantrelError when it cannot be made.
QString Take(const QString& privateFolder);

// Removes this process's folder and what it holds; nothing when there is none,
// or when called in a forked child, whose parent still uses it. Safe to call
// more than once, and on every exit path.
void Remove();

// Removes the folders in privateFolder whose process no longer runs; a
// running process's folder and anything not made by Take stay.
void RemoveStale(const QString& privateFolder);

} // namespace OwnTempFolder
