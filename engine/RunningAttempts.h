#pragma once

#include <QHash>
#include <QList>
#include <QStringList>

#include <vector>

class ConversionAttempt;
class QObject;

// The attempts of a run that have files not settled yet, in the order they
// were started; the run owns them as their parent.
class RunningAttempts
{
public:
    bool empty() const { return m_attempts.empty(); }
    // How many ffmpeg conversions run: one an attempt.
    int size() const { return static_cast<int>(m_attempts.size()); }
    const std::vector<ConversionAttempt*>& all() const { return m_attempts; }
    void Add(ConversionAttempt* attempt) { m_attempts.push_back(attempt); }
    // An attempt with nothing left to convert goes, deleted later as it may be telling of its end.
    void Forget(ConversionAttempt* attempt);
    // The attempt converting the row with the id; null when none is.
    ConversionAttempt* Holding(quint64 id) const;
    bool HasRow(quint64 id) const { return Holding(id) != nullptr; }

    // The progress tick for the file whose timer ticked.
    void Tick(const QObject* timer) const;
    // Each running ffmpeg's once, in the order they were started.
    QList<qint64> processIds() const;
    // The rows of the files, those still in the queue.
    QList<int> rows() const;
    // Where each file is written until it has finished.
    QStringList partials() const;
    // Microseconds of its source each file's ffmpeg has reported converted, by the row's id.
    QHash<quint64, qint64> processedUs() const;

private:
    std::vector<ConversionAttempt*> m_attempts;
};
