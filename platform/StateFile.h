#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Files the program keeps between its starts, in a state folder of the
// user's own: "vantrel" under $XDG_STATE_HOME (by default ~/.local/state),
// made with mode 0700. A folder that is a link, not a folder, another user's
// or open to others is refused, never repaired, and nothing is read from or
// written into it. Every failure throws a VantrelError naming the file or
// folder and the system's reason.
namespace StateFile {

// The state folder, without a trailing "/".
QString Folder();

// The file's bytes, at most `most` + 1 of them, so a caller can tell a file
// that is too large; nothing when there is no such file. A file that is not
// a regular file of the user's is refused. Leftovers of a write that was cut
// short (the program killed) are removed.
std::optional<QByteArray> Read(const QString& name, qsizetype most);

// Replaces the file by the bytes, whole or not at all: they are written to a
// new file of the folder (O_EXCL, O_NOFOLLOW, mode 0600), synced and renamed
// over the old one. When anything fails, the old file stays as it was.
void Write(const QString& name, const QByteArray& bytes);

// Removes the file; nothing when there is none.
void Remove(const QString& name);

// Renames the file aside, to a name that was free ("queue.aside-1", ...),
// and returns that name's path.
QString SetAside(const QString& name);

} // namespace StateFile
