#pragma once

#include "queue/DurationProbe.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <exception>
#include <map>
#include <optional>
#include <vector>

class ChildProcess;
class QEventLoop;

// Probes a list of files up to `jobs` at once, each probe with a batch and an
// answer file of its own, and hands the answers back strictly in the list's
// order, each as the one-at-a-time probe would have given it: the same answer,
// or the same error. While it waits, the window repaints but user input stays
// queued, as during a single probe.
class ParallelProbe : public QObject
{
    Q_OBJECT

public:
    ParallelProbe(const DurationProbe& probe, QStringList sources, int jobs, QObject* parent = nullptr);
    ~ParallelProbe() override; // as Stop()

    // The answer for sources[index]; indexes are taken in order from 0. Throws
    // what ProbeDuration throws for that file.
    std::optional<QString> Take(int index);
    // Ends the probes still running and removes their files; nothing more starts.
    void Stop();

private:
    struct Outcome
    {
        std::optional<QString> answer;
        std::exception_ptr error;
    };
    struct Running
    {
        int index = 0;
        int slot = 0;
        QPointer<ChildProcess> child; // owned as a child
    };

    void StartMore();
    void Finished(ChildProcess* child, const ChildEnd& end);
    // After a file that ends the list (no answer, an error) nothing later matters.
    void Settle(int index, Outcome outcome);
    int FreeSlot() const;

    const DurationProbe& m_probe;
    const QStringList m_sources;
    const int m_jobs;
    int m_next = 0;                 // the next file to start
    int m_last;                     // no file past this one is started
    std::vector<Running> m_running;
    std::map<int, Outcome> m_done;  // answers not yet taken
    QEventLoop* m_waiting = nullptr; // Take's loop, while it waits
    bool m_stopped = false;
};
