#include "engine/ProgressMonitor.h"

#include "model/MainState.h"
#include "model/QueueModel.h"

#include <QFileInfo>

#include <algorithm>

void ProgressMonitor::Tick(const QString& outputPath)
{
    const std::optional<qint64> size = MeasuredSize(outputPath);
    if (!size)
        return;
    const std::optional<int> percent = Percent(*size, m_state.ExpectedSize);
    if (!percent || m_state.CurrentRow < 0 || m_state.CurrentRow >= m_queue.count())
        return;
    m_queue.setState(m_state.CurrentRow, RowState::Converting, *percent);
    m_state.LastSize = *size;
}

std::optional<int> ProgressMonitor::Percent(qint64 size, qint64 expectedSize)
{
    if (expectedSize <= 0)
        return std::nullopt;
    const double percent = static_cast<double>(size) * 100.0 / static_cast<double>(expectedSize);
    return static_cast<int>(std::min(percent, 1e9));
}

std::optional<qint64> ProgressMonitor::MeasuredSize(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        return std::nullopt;
    return info.size();
}
