#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The running processes as the platform lists them (a /proc walk here).
namespace ProcessList {

struct Entry
{
    qint64 pid = 0;
    qint64 parentPid = 0;
    // The names the process goes by: its executable's file path and the first
    // word of its command line (they differ when it was started through a link).
    QStringList names;
};

// Every process visible at this moment; empty when the list is unavailable.
std::vector<Entry> Snapshot();

// True when the last component of Name (after the last "/" or ":"), or else
// the whole of it, equals Wanted ignoring letter case.
bool NameMatches(const QString& name, const QString& wanted);

// Ends, with SIGKILL, every child of ParentPid whose name matches ExeName.
// Another program's process of the same name is never touched. The result is
// the outcome of the last kill attempted, false when nothing matched.
bool KillProcessesByName(const QString& exeName, qint64 parentPid);

// The same for the children of this program.
bool KillProcessesByName(const QString& exeName);

} // namespace ProcessList
