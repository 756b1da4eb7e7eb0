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

// The name with each byte that is not UTF-8 read as Latin-1, as old archives
// named their files ("caf\xE9" is "café"); its UTF-8 characters stay.
QString AsLatin1(const QString& name);

// A control character (C0, DEL, C1) acts on a terminal or a line instead of showing.
bool IsControl(QChar c);
// The text as a line carries it, with nothing in it that could drive a
// terminal: a backslash, tab, line feed and carriage return written \\, \t,
// \n and \r, any other control character and any byte that is not UTF-8 as
// \xHH, one for each of its bytes (\x1B, \xC2\x9B, \xE9), so the line gives
// the name's bytes back.
QString Escaped(const QString& text);
// The name as a window shows it: as Escaped, but a backslash is itself and a
// byte that is not UTF-8 reads as Latin-1 where that is a letter (as AsLatin1).
QString Readable(const QString& name);
// A message as Escaped or Readable has it, line by line: its own line breaks stay.
QString EscapedLines(const QString& text);
QString ReadableLines(const QString& text);

// The raw byte a character of a decoded path stands for; -1 for a character of its own.
int RawByte(QChar c);

// The path made absolute and clean by its text alone, against the current folder.
QString Absolute(const QString& path);
// The file the path leads to, links followed; empty when it leads nowhere.
QString Canonical(const QString& path);
// The path leads to a folder, links followed.
bool IsFolder(const QString& path);

} // namespace NativePath
