#pragma once

#include <QByteArray>
#include <QString>

// Paths as the system holds them: bytes, in no fixed encoding. Qt reads a
// name's bytes as UTF-8 and puts U+FFFD for a byte that is not, after which no
// file can be opened by that name again. Here such a byte b stands as the lone
// surrogate U+DC00 + b instead (which valid UTF-8 never gives), so every name
// comes back to its own bytes. Qt's own file classes cannot open such a path:
// open it by Encode(path).
namespace NativePath {

QString Decode(const QByteArray& bytes);
QByteArray Encode(const QString& path);

// True when the path holds a byte that is not UTF-8.
bool HasRawBytes(const QString& path);

// A name whose bytes are not UTF-8 read as Latin-1, as old archives named
// their files ("caf\xE9" is "café"); any other name as it is.
QString AsLatin1(const QString& name);

// The raw byte a character of a decoded path stands for; -1 for a character of its own.
int RawByte(QChar c);

// The path made absolute and clean by its text alone, against the current folder.
QString Absolute(const QString& path);
// The file the path leads to, links followed; empty when it leads nowhere.
QString Canonical(const QString& path);
// The path leads to a folder, links followed.
bool IsFolder(const QString& path);

} // namespace NativePath
