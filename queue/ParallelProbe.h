#pragma once

#include "queue/DurationProbe.h"
#include "queue/FlvTimeline.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <exception>
#include <map>
#include <optional>
#include <set>
#include <vector>

class ChildProcess;

// What the probe of one file gave: mediainfo's line, no answer, or an error;
// with an answer, what the file's own timestamps say.
struct ProbeOutcome
{
    std::optional<QString> answer;
    std::exception_ptr error;
    FlvTimeline timeline;

    // The answer; throws the error the probe met for this file.
    std::optional<QString> get() const;
};

// Probes a list of files up to `jobs` at once, each probe with a batch and an
// answer file of its own, and reports the answers strictly in the list's
// order, each as the one-at-a-time probe would have given it. Nothing waits:
// the probes are child processes and every answer comes from the event loop,
// never from inside Start(). A probe whose mediainfo has not answered within
// the probe's limit is ended, and its file has that as its error. A probe
// that cannot start for want of descriptors, processes or memory is started
// again once a place frees: while short, one probe runs at a time.
class ParallelProbe : public QObject
{
    Q_OBJECT

public:
    ParallelProbe(DurationProbe probe, QStringList sources, int jobs, QObject* parent = nullptr);
    ~ParallelProbe() override; // as Stop()

    void Start();
    // Ends the probes still running and removes their files; nothing more
    // starts and nothing more is reported. Safe inside answered().
    void Stop();
    // Stop(), no more signals to listener, and gone once control returns to
    // the event loop: safe inside its own signals.
    void Release(QObject* listener);

    int count() const { return static_cast<int>(m_sources.size()); }
    QString source(int index) const { return m_sources.at(index); }
    // Answers reported so far.
    int reported() const { return m_nextReport; }

signals:
    // sources[index]'s outcome; indexes come in order from 0.
    void answered(int index, const ProbeOutcome& outcome);
    // After the last answer; never after Stop().
    void finished();

private:
    struct Running
    {
        int index = 0;
        int slot = 0;
        QPointer<ChildProcess> child; // owned as a child
        qint64 startedMs = 0;         // by m_clock
    };

    void StartMore();
    // Takes the file again once a place frees; false when the shortage has lasted too long.
    bool WaitForPlace(int index);
    void Finished(ChildProcess* child, const ChildEnd& end);
    void Settle(int index, ProbeOutcome outcome);
    void Report();
    int FreeSlot() const;
    void End(const std::vector<Running>& probes);
    // Ends the probes that have run past the limit; each file has HungText() as its error.
    void EndHung();

    const DurationProbe m_probe;
    const QStringList m_sources;
    const int m_jobs;
    int m_next = 0;       // the next file to start
    int m_last;           // no file past this one is started or reported
    int m_nextReport = 0; // the next file to report
    std::vector<Running> m_running;
    std::map<int, ProbeOutcome> m_done; // outcomes not yet reported
    std::set<int> m_waiting;            // files whose probe could not start, to start again first
    QElapsedTimer m_short;              // running while probes cannot start for want of resources
    bool m_stopped = false;
    QElapsedTimer m_clock;
    QTimer m_watchdog; // looks for hung probes while any runs
};
