#pragma once

#include <QByteArray>
#include <QString>

// What this user's runs made: for each output a run published, the source it
// was made from, so that a later run replaces exactly its own earlier output
// of the same source, on every filesystem, with or without extended
// attributes. The records live in a private folder of the user's, one small
// file an output, and both their names and their contents are keyed digests
// under a secret of the user's: nothing in them, nor anything stored with
// the outputs, tells another user a source's path, and no record can be
// forged. A file changed since it was recorded, another user's, or one no
// record names is never taken for one's own.
class OutputRecords
{
public:
    // The records in folder, made private when missing; by default "outputs"
    // in the program's state folder. When it cannot be had privately,
    // nothing is recorded and nothing found. Nothing is touched until the
    // records are first used.
    explicit OutputRecords(QString folder = {}) : m_folder(std::move(folder)) { }

    // The file at output is the one a run of this user published there from
    // source, unchanged since.
    bool MadeFrom(const QString& output, const QString& source) const;
    // Remembers that the file now at output was made from source; nothing when it cannot.
    void Remember(const QString& output, const QString& source) const;

private:
    // Opens the folder and its key the first time; false when there are none to trust.
    bool Open() const;
    QByteArray Digest(const char* kind, const QString& path) const;
    QString RecordPath(const QString& output) const;
    // This user's own regular file at path, as a record states it: "size mtime".
    static QByteArray Identity(const QString& path);

    mutable QString m_folder;
    mutable QByteArray m_key; // empty when nothing is recorded
    mutable bool m_opened = false;
};
