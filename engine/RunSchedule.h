#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QtGlobal>

#include <functional>

class QueueModel;

// Which "Pending" row a run starts next, and how many threads its encoder
// gets, so that no core idles while files are left: one file at a time goes
// top to bottom; side by side the longest goes first, so that a long file
// queued last does not run alone at the end. The rows' order in the queue
// never changes. A start that fails for want of descriptors, processes or
// memory leaves its row "Pending" until a place is freed, or for a while.
class RunSchedule
{
public:
    explicit RunSchedule(int cores);

    // The row to start next among the queue's "Pending" rows that isRunning()
    // does not claim (by row id); -1 when there is none.
    int NextRow(const QueueModel& queue, const std::function<bool(quint64 id)>& isRunning, int jobs) const;

    // Encoder threads for a file started while running files (itself
    // included) convert. A thread count holds for the encoder's whole life,
    // and the files started beside it end first, so it never falls below two
    // while there are two cores: the last file of a run then has a second
    // core to itself.
    int EncoderThreads(int running) const;

    // How long rows wait for a place while none of them runs to free one.
    static constexpr int ShortageGiveUpMs = 60000;
    static constexpr int ShortageRetryMs = 250;

    // A start of source that failed with code for want of resources; false when it failed for another reason.
    bool StarvedOf(int code, const QString& source);
    // The last start failed for want of resources, and no place was freed since.
    bool starved() const { return !m_starved.isEmpty(); }
    // Throws why the last start failed once rows have waited too long for a place.
    void GiveUpWhenLong() const;
    // The next start is tried as if none had failed; the wait goes on.
    void TryAgain() { m_starved.clear(); }
    // A running row ended: a place is free again for a row that lacked one.
    void PlaceFreed();

private:
    int m_cores;
    QString m_starved;     // why the last start failed for want of resources
    QElapsedTimer m_short; // running while starts fail for want of resources
};
