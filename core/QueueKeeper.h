#pragma once

#include "model/KeptQueue.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <vector>

class QueueActions;
class QueueModel;

// Keeps the window's unfinished queue (its rows not "Done", and the files
// still being measured) in the user's state folder, so that a start after a
// close, a crash or a power cut can offer it back. Nothing is written until
// Take() has read what an earlier start left and Keep() is called, once the
// user has decided about it. From then on the file follows
// the queue shortly after each change that it shows (never a progress tick),
// replaced whole; with nothing left to keep there is no file.
class QueueKeeper : public QObject
{
    Q_OBJECT

public:
    QueueKeeper(const QueueModel& queue, const QueueActions& actions, QObject* parent = nullptr);
    ~QueueKeeper() override;

    struct Taken
    {
        std::vector<KeptRow> rows;
        QString trouble; // what to tell: a file that could not be used and was set aside, a folder refused
    };
    // The rows an earlier start left. A file that cannot be used is renamed
    // aside, never read again nor removed; one that cannot be renamed either
    // is left alone, and nothing is kept in its place.
    Taken Take();
    // Begins the keeping: the file holds the queue as it is now, and follows it.
    void Keep();

    // Writes now what waits to be written: before the program ends.
    void Flush();

    // The file's name in the state folder.
    static QString FileName();

signals:
    // Why the queue could not be kept; told once, and again only after a
    // write has worked since. The rows in the window are not touched.
    void trouble(const QString& text);

private:
    void Save();

    const QueueModel& m_queue;
    const QueueActions& m_actions;
    QTimer m_soon;          // gathers the changes of a moment into one write
    bool m_mayKeep = false; // Take() found the place free to write
    bool m_keeping = false;
    bool m_told = false;
    QByteArray m_written; // what the file holds, as far as known
};
