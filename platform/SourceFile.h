#pragma once

#include <QString>

// A source opened once for a child to read: the program opens it itself,
// checks that it is a regular file and hands the open descriptor on, so a name
// swapped meanwhile (a FIFO that would block the reader for good, another
// file) is never read. Closed when destroyed.
class SourceFile
{
public:
    // Opens path (NativePath form) for reading without following it into a
    // FIFO's wait; throws ESystemError with Reason() when it cannot be read
    // or is not a regular file.
    explicit SourceFile(const QString& path);
    ~SourceFile();
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    int descriptor() const { return m_fd; }
    // The path a child that inherits the descriptor reads it by ("/dev/fd/N").
    QString childPath() const;

    // What keeps a file from being read, in the words the front end uses:
    // "there is no such file or folder", "too many levels of links",
    // "permission denied", "it is not a file"; errno 0 is "it is not a file".
    static QString Reason(int error);

private:
    int m_fd = -1;
};
