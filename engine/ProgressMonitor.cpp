#include "engine/ProgressMonitor.h"

#include "app/MainState.h"
#include "queue/QueueModel.h"

#include <QFileInfo>

void ProgressMonitor::Tick(const QString& outputPath)
{
    const std::optional<qint64> size = MeasuredSize(outputPath);
    if (!size)
        return;
    const std::optional<QString> text = ProgressText(*size, m_state.ExpectedSize);
    if (!text || m_state.CurrentRow < 0 || m_state.CurrentRow >= m_queue.count())
        return;
    m_queue.setProgress(m_state.CurrentRow, *text);
    m_state.LastSize = *size;
}

std::optional<QString> ProgressMonitor::ProgressText(qint64 size, qint64 expectedSize)
{
    if (expectedSize <= 0)
        return std::nullopt;
    const double percent = static_cast<double>(size * 100) / static_cast<double>(expectedSize);
    return QString::number(static_cast<qint64>(percent)) + QStringLiteral("% Done");
}

std::optional<qint64> ProgressMonitor::MeasuredSize(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        return std::nullopt;
    return info.size();
}
