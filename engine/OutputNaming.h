#pragma once

#include <QHash>
#include <QSet>
#include <QString>

#include "platform/OutputRecords.h"
#include "platform/UnfinishedFile.h"

class QueueModel;

// The names a run's outputs take in the output folder: no two rows of a run
// share one, a finished file replaces only a file that stood at its name
// before the run began and still does, unless it is another source's output
// (one that came since, a folder or a link is kept and the row takes the
// next " (N)" name), and no output is ever written over a queued source.
class OutputNaming
{
public:
    explicit OutputNaming(const QueueModel& queue);

    // The n-th name a target may take: the target itself for 1, else " (n)"
    // before its ".avi"; a file name of more than nameMax bytes is cut short
    // before them, between whole characters as the reader sees them, so it
    // fits the folder before anything is converted for it.
    static QString NumberedOutput(const QString& target, int n, int nameMax);

    // A run begins writing into folder: what stands there now may be replaced,
    // and the queue's outputs are taken.
    void Begin(const QString& folder);
    // The queue's rows or their sources changed.
    void SourcesChanged() { m_sourceIdsStale = true; }

    // The name source's output takes in folder, distinct from every output a row was given.
    QString Distinct(const QString& source, const QString& folder) const;
    // The name is a row's output now; or no longer.
    void Claim(const QString& target) { m_outputs.insert(target); }
    void Release(const QString& target) { m_outputs.remove(target); }

    // What a row's finished file may replace at target: the file there when it stood there as the run began; else none.
    FileIdentity Replaceable(const QString& target, const QString& source) const;
    bool WouldOverwriteASource(const QString& target);
    // Gives a finished file target's name, or the next free " (N)" one, and
    // returns the name it took; throws why it could not.
    // The name taken is recorded as made from source, for a later run to replace.
    QString Publish(UnfinishedFile& output, const QString& target, const FileIdentity& before, const QString& source);

private:
    const QueueModel& m_queue;
    OutputRecords m_records;
    QSet<QString> m_outputs;                     // every output a row was given
    QSet<QString> m_sourceIds;                   // the sources' files, by device and inode
    bool m_sourceIdsStale = true;                // the queue changed since they were read
    QHash<QString, FileIdentity> m_filesAtBegin; // the output folder's files when the run began, by name
    int m_nameMax = 255;                         // the output folder's longest file name, in bytes
};
