#include "engine/RunningAttempts.h"

#include "engine/ConversionAttempt.h"
#include "engine/FileConversion.h"

#include <algorithm>

void RunningAttempts::Forget(ConversionAttempt* attempt)
{
    if (std::erase(m_attempts, attempt) > 0)
        attempt->deleteLater();
}

ConversionAttempt* RunningAttempts::Holding(quint64 id) const
{
    const auto it = std::find_if(m_attempts.cbegin(), m_attempts.cend(),
                                 [id](const ConversionAttempt* attempt) { return attempt->file(id) != nullptr; });
    return it == m_attempts.cend() ? nullptr : *it;
}

void RunningAttempts::Tick(const QObject* timer) const
{
    for (ConversionAttempt* attempt : m_attempts)
        attempt->Tick(timer);
}

QList<qint64> RunningAttempts::processIds() const
{
    QList<qint64> ids;
    for (const ConversionAttempt* attempt : m_attempts)
        ids << attempt->processIds();
    return ids;
}

QList<int> RunningAttempts::rows() const
{
    QList<int> rows;
    for (const ConversionAttempt* attempt : m_attempts) {
        for (const FileConversion* file : attempt->files()) {
            if (const int row = file->row(); row >= 0)
                rows << row;
        }
    }
    return rows;
}

QStringList RunningAttempts::partials() const
{
    QStringList files;
    for (const ConversionAttempt* attempt : m_attempts) {
        for (const FileConversion* file : attempt->files())
            files << file->partial();
    }
    return files;
}

QHash<quint64, qint64> RunningAttempts::processedUs() const
{
    QHash<quint64, qint64> processed;
    for (const ConversionAttempt* attempt : m_attempts) {
        if (const std::optional<qint64> us = attempt->processedUs()) {
            for (const FileConversion* file : attempt->files())
                processed.insert(file->id(), *us);
        }
    }
    return processed;
}
