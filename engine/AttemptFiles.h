#pragma once

#include "engine/ConversionOutcome.h"
#include "engine/RunSchedule.h"

#include <QSet>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class FileConversion;
class OutputNaming;
class QueueModel;

// Gathers the files an attempt is to convert: the row's and, when it may
// share its ffmpeg, those of the rows that come next while they may too. Each
// has its output named and claimed, its source and unfinished file open; a
// row that cannot have them is handed to refused with its outcome.
class AttemptFiles
{
public:
    using Refused = std::function<void(quint64 id, const QString& target, const ConversionOutcome& outcome)>;
    // The next row to start, passing over those of starting; -1 when none.
    using NextRow = std::function<int(const QSet<quint64>& starting)>;

    AttemptFiles(QueueModel& queue, OutputNaming& naming, const RunSchedule& schedule)
        : m_queue(queue), m_naming(naming), m_schedule(schedule)
    { }

    // The files for row, written into folder; rows in alone share no ffmpeg,
    // and a group's files are within budgetMs together. Empty when even the
    // row's own could not be had.
    std::vector<std::unique_ptr<FileConversion>> Gather(int row, const QString& folder, const QSet<quint64>& alone,
                                                        qint64 budgetMs, const NextRow& next,
                                                        const Refused& refused) const;

private:
    std::unique_ptr<FileConversion> Open(int row, const QString& folder, const Refused& refused) const;

    QueueModel& m_queue;
    OutputNaming& m_naming;
    const RunSchedule& m_schedule;
};
