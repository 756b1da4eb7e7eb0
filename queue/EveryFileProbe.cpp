#include "queue/EveryFileProbe.h"

#include "queue/ParallelProbe.h"

EveryFileProbe::EveryFileProbe(const DurationProbe& probe, QStringList sources, int jobs, QObject* parent)
    : QObject(parent), m_probe(probe), m_sources(std::move(sources)), m_jobs(jobs)
{
    StartFrom(0);
}

EveryFileProbe::~EveryFileProbe() = default;

void EveryFileProbe::StartFrom(int first)
{
    m_running.reset();
    m_first = first;
    if (first < m_sources.size())
        m_running = std::make_unique<ParallelProbe>(m_probe, m_sources.mid(first), m_jobs);
}

std::optional<QString> EveryFileProbe::Take(int index)
{
    if (!m_running || index < m_first)
        return std::nullopt;
    // A side-by-side probe ends its list at a file without an answer; the
    // files after it start again in a probe of their own.
    try {
        auto answer = m_running->Take(index - m_first);
        if (!answer)
            StartFrom(index + 1);
        return answer;
    } catch (...) {
        StartFrom(index + 1);
        throw;
    }
}

void EveryFileProbe::Stop()
{
    if (m_running)
        m_running->Stop();
    m_running.reset();
    m_first = static_cast<int>(m_sources.size());
}
