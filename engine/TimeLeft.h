#pragma once

#include <QString>
#include <QtGlobal>

#include <deque>
#include <optional>

// How long work measured in source time still takes, judged by how fast it has
// gone lately. The estimate counts down between observations and moves towards
// each new judgement only gradually, so a file that converts faster or slower
// for a while, or a file added to the run, never makes it jump; until a few
// seconds of progress have been seen there is none.
class TimeLeft
{
public:
    // At nowMs of wall time (any steady clock), doneMs of source time has been
    // converted in all, and leftMs is still to convert.
    void Observe(qint64 nowMs, qint64 doneMs, qint64 leftMs);

    // Wall milliseconds left; nothing while there is too little to go on, or
    // when nothing has moved for a long while.
    std::optional<qint64> Estimate() const { return m_estimate; }

    // A time as a clock shows it: "0:07", "1:23", "1:02:03"; rounded up to the
    // second, so "0:00" only when nothing is left.
    static QString Text(qint64 ms);

    // Progress to look back on before an estimate is given.
    static constexpr qint64 EnoughMs = 5000;

private:
    struct Sample
    {
        qint64 atMs;
        qint64 doneMs;
    };

    std::deque<Sample> m_samples; // the last minute or so, oldest first
    std::optional<qint64> m_estimate;
    qint64 m_lastMs = 0;
};
