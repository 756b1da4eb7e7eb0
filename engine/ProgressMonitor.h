#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>

// Reads what ffmpeg reports of its own progress ("-progress" key=value lines,
// each report closed by a "progress=" line) and turns it into the share of the
// source converted. Completion is the conversion process's end, not the
// monitor's business.
class ProgressMonitor
{
public:
    // Takes the next bytes of the report; a line may be split across calls,
    // and a report cut short (the pipe closed early) counts for nothing.
    void Feed(const QByteArray& bytes);

    // Microseconds of the source ffmpeg has converted, by its last whole
    // report; nothing before the first.
    std::optional<qint64> processedUs() const { return m_processedUs; }
    // ffmpeg said its report is the last ("progress=end").
    bool ended() const { return m_ended; }
    // Bytes written, by the last whole report that said so.
    qint64 totalSize() const { return m_totalSize; }

    // The percentage for a source of durationSeconds: nothing until ffmpeg has
    // reported, or when there is no duration to divide by.
    std::optional<int> Percent(qint64 durationSeconds) const;

    // processedUs x 100 / the duration, truncated, and never past 99: only the
    // conversion's end says a file is done.
    static std::optional<int> Percent(qint64 processedUs, qint64 durationSeconds);

private:
    void TakeLine(const QByteArray& line);

    QByteArray m_partialLine;
    std::optional<qint64> m_reportTime; // of the report still being read
    std::optional<qint64> m_reportSize;
    std::optional<qint64> m_processedUs;
    qint64 m_totalSize = 0;
    bool m_ended = false;
};
