#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>
#include <sys/types.h>

// What stood at a name at one moment: one file's identity, or nothing.
struct FileIdentity
{
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    qint64 changedMs = 0; // when the entry last changed (made, renamed, linked); not part of the identity
    bool folder = false;  // a folder, which a file never replaces

    // The entry itself, a link not followed.
    static FileIdentity Of(const QString& path);
    // The file the path leads to, links followed.
    static FileIdentity Reached(const QString& path);
    // A text that tells identities apart, for sets.
    QString key() const;
    bool operator==(const FileIdentity& other) const
    {
        return exists == other.exists && device == other.device && inode == other.inode;
    }
    // Now, as the filesystem stamps changes: no entry changed later has an earlier time.
    static qint64 NowMs();
};

// A file the program writes before it may take its name: made by the program
// itself inside the folder, unnamed where the filesystem allows it
// (O_TMPFILE), else at a random hidden name made with O_EXCL | O_NOFOLLOW and
// locked for as long as its writer lives. Nobody can predict, pre-create or
// redirect it, even in a folder others may write; a child writes it through
// the inherited descriptor. Destroying it discards the file.
class UnfinishedFile
{
public:
    ~UnfinishedFile();
    UnfinishedFile(const UnfinishedFile&) = delete;
    UnfinishedFile& operator=(const UnfinishedFile&) = delete;

    // Throws ESystemError naming the folder and the system's reason.
    static std::unique_ptr<UnfinishedFile> Create(const QString& folder);

    // The descriptor a child inherits, and the path it writes through ("/dev/fd/N").
    int descriptor() const { return m_fd; }
    QString childPath() const;
    // The path by which any process of this user reads it while it is open.
    QString readablePath() const;
    // The hidden name in the folder, or empty for an unnamed file.
    QString hiddenName() const { return m_hiddenName; }

    // Gives the file a name of the folder. candidate(1) is the wanted name,
    // candidate(2), candidate(3)... the ones to try after it (an empty
    // candidate is skipped). The wanted name's file is replaced only when it
    // is still the one `before` saw; any other file that stands at a name is
    // kept. Returns the name the file took, as a path in the folder; throws
    // VantrelError when it cannot be named.
    QString Publish(const std::function<QString(int)>& candidate, const FileIdentity& before);

    // Unfinished files of writers that no longer run, in the folder; only this
    // user's own are touched. Returns how many were removed.
    static int RemoveLeftovers(const QString& folder);

    // The hidden names' shape: prefix, six or more random characters, suffix.
    static const QString NamePrefix;
    static const QString NameSuffix;

private:
    UnfinishedFile() = default;
    // Links the unnamed file at a fresh hidden name, so it can be renamed.
    void NameIt();
    // Moves the hidden name to `name` without replacing anything; false when a file stands there.
    bool MoveToFree(const QByteArray& name);
    // Moves the hidden name over `name` only while `before` still stands there.
    bool ReplaceIfStill(const QByteArray& name, const FileIdentity& before);

    QString m_folder;
    int m_dirFd = -1;
    int m_fd = -1;
    QString m_hiddenName; // empty while unnamed
    bool m_published = false;
};
