#pragma once

#include <QObject>
#include <QStringList>

#include <memory>
#include <optional>

class DurationProbe;
class ParallelProbe;

// Measures every file of a list, up to `jobs` side by side, and hands the
// answers back in the list's order. Unlike a folder added in the window, a
// file without an answer does not end the list: the files after it are still
// measured.
class EveryFileProbe : public QObject
{
    Q_OBJECT

public:
    EveryFileProbe(const DurationProbe& probe, QStringList sources, int jobs, QObject* parent = nullptr);
    ~EveryFileProbe() override;

    // The answer for sources[index]; indexes are taken in order from 0. Throws
    // what DurationProbe::ProbeDuration throws for that file.
    std::optional<QString> Take(int index);
    // Ends the probes still running and removes their files; nothing more starts.
    void Stop();

private:
    // Probes from sources[first] on.
    void StartFrom(int first);

    const DurationProbe& m_probe;
    const QStringList m_sources;
    const int m_jobs;
    int m_first = 0; // the list's index of the running probes' first file
    std::unique_ptr<ParallelProbe> m_running;
};
