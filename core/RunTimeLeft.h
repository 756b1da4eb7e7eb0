#pragma once

#include "engine/TimeLeft.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <optional>

class ConversionRun;
class QueueModel;

// The time left of a run and of each file it converts, judged once a second
// while the run goes from what ffmpeg reports converted and the lengths still
// to convert: the rows waiting and the rest of those converting. Each
// converting row's tooltip says its own; the faces show the run's.
class RunTimeLeft : public QObject
{
    Q_OBJECT

public:
    RunTimeLeft(QueueModel& queue, const ConversionRun& run, QObject* parent = nullptr);

    // Milliseconds; nothing until there is enough to judge from.
    std::optional<qint64> run() const { return m_run.Estimate(); }
    // What the faces show: "1:23 left"; empty while there is no estimate.
    QString text() const;

signals:
    // The estimates were judged again.
    void updated();

private:
    void Update();

    QueueModel& m_queue;
    const ConversionRun& m_conversion;
    QTimer m_tick;
    QElapsedTimer m_clock;
    TimeLeft m_run;
    QHash<quint64, TimeLeft> m_rows; // by row id, while converting
    QHash<quint64, qint64> m_seen;   // source ms each row had reported at the last look
    qint64 m_doneMs = 0;             // source converted in this run, as reported
};
