#pragma once

#include <QString>

#include <optional>

struct MainState;
class QueueModel;

// Shows how far the running conversion has come: the output's size as a
// percentage of the expected size, in the row being converted. Completion is
// the conversion process's end, not the monitor's business.
class ProgressMonitor
{
public:
    ProgressMonitor(MainState& state, QueueModel& queue) : m_state(state), m_queue(queue) {}

    // One tick for the output at outputPath. A tick that cannot measure (no
    // output yet, unreadable, nothing expected) changes nothing.
    void Tick(const QString& outputPath);

    // The size as a percentage of the expected size, truncated and not capped;
    // nothing when there is no expected size to divide by.
    static std::optional<int> Percent(qint64 size, qint64 expectedSize);

    // The size of the file at path, without opening it, so the writer is
    // never disturbed; nothing when there is no readable regular file.
    static std::optional<qint64> MeasuredSize(const QString& path);

private:
    MainState& m_state;
    QueueModel& m_queue;
};
