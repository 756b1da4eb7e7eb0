#pragma once

#include <QtGlobal>

#include <functional>

class QueueModel;

// Which "Pending" row a run starts next, and how many threads its encoder
// gets, so that no core idles while files are left: one file at a time goes
// top to bottom; side by side the longest goes first, so that a long file
// queued last does not run alone at the end. The rows' order in the queue
// never changes.
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

private:
    int m_cores;
};
