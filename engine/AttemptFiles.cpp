#include "engine/AttemptFiles.h"

#include "engine/FileConversion.h"
#include "engine/OutputNaming.h"
#include "model/QueueModel.h"
#include "platform/Error.h"

#include <QCoreApplication>

std::vector<std::unique_ptr<FileConversion>> AttemptFiles::Gather(int row, const QString& folder,
                                                                  const QSet<quint64>& alone, qint64 budgetMs,
                                                                  const NextRow& next, const Refused& refused) const
{
    std::vector<std::unique_ptr<FileConversion>> files;
    std::unique_ptr<FileConversion> first = Open(row, folder, refused);
    if (!first)
        return files;
    QSet<quint64> starting{first->id()};
    files.push_back(std::move(first));
    RunSchedule::Group group{1, RunSchedule::LengthMs(m_queue, row), m_queue.framePixels(row)};
    if (alone.contains(m_queue.id(row)) || !RunSchedule::MayShare(group.ms, group.pixels))
        return files;
    for (;;) {
        const int companion = next(starting);
        if (companion < 0 || alone.contains(m_queue.id(companion)))
            return files;
        const qint64 ms = RunSchedule::LengthMs(m_queue, companion);
        const qint64 pixels = m_queue.framePixels(companion);
        if (!RunSchedule::Joins(group, ms, pixels, budgetMs))
            return files;
        std::unique_ptr<FileConversion> file = Open(companion, folder, refused);
        if (!file) {
            if (m_schedule.starved())
                return files;
            continue;
        }
        ++group.files;
        group.ms += ms;
        group.pixels += pixels;
        starting.insert(file->id());
        files.push_back(std::move(file));
    }
}

std::unique_ptr<FileConversion> AttemptFiles::Open(int row, const QString& folder, const Refused& refused) const
{
    const quint64 id = m_queue.id(row);
    const QString source = m_queue.path(row);
    const QString target = m_naming.Distinct(source, folder);
    std::unique_ptr<FileConversion> file;
    try {
        file = std::make_unique<FileConversion>(m_queue, row, target, m_naming.Replaceable(target, source), nullptr);
    } catch (const ESystemError& e) {
        refused(id, target,
                IsResourceShortage(e.code())
                    ? ConversionOutcome::WaitForPlace(RunSchedule::ShortageText(source, e.code()))
                    : ConversionOutcome::Failed(e.text()));
        return nullptr;
    } catch (const VantrelError& e) {
        refused(id, target, ConversionOutcome::Failed(e.text()));
        return nullptr;
    }
    m_naming.Claim(target);
    m_queue.setOutput(row, target);
    // "-y" must never write over a file the user queued as a source.
    if (m_naming.WouldOverwriteASource(target)) {
        // Its name stays taken, so that no later row writes over that source either.
        refused(id, QString(),
                ConversionOutcome::Failed(
                    QCoreApplication::translate("AttemptFiles", "The output file %1 would overwrite a source file")
                        .arg(target)));
        return nullptr;
    }
    return file;
}
