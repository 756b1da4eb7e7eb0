#include "core/ProgressLine.h"

#include "core/ConsoleReport.h"
#include "model/QueueModel.h"
#include "platform/Folders.h"
#include "platform/TerminalText.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <vector>

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

int TerminalWidth()
{
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

} // namespace

ProgressLine::ProgressLine(const QueueModel& queue) : m_queue(queue), m_wanted(::isatty(STDERR_FILENO) == 1)
{ }

void ProgressLine::Started(quint64 id)
{
    m_converting.append(id);
}

void ProgressLine::Finished(quint64 id)
{
    m_converting.removeAll(id);
}

bool ProgressLine::ConvertsIn(int first, int last) const
{
    return std::any_of(m_converting.cbegin(), m_converting.cend(), [&](quint64 id) {
        const int row = m_queue.rowOf(id);
        return row >= first && row <= last;
    });
}

QString ProgressLine::Fit(const QList<QPair<QString, QString>>& parts, int width, const QString& tail)
{
    const QString gap = QStringLiteral("   ");
    constexpr int ShortestName = 4; // fewer files shown rather than names no one can read
    if (!tail.isEmpty() && !parts.isEmpty()) {
        const int room = width - static_cast<int>(gap.size()) - TerminalText::Columns(tail);
        if (room >= ShortestName + 2 + TerminalText::Columns(parts.constFirst().second) + 1)
            return Fit(parts, room) + gap + tail;
    }
    for (qsizetype shown = parts.size(); shown > 0; --shown) {
        const QString more = shown < parts.size() ? QStringLiteral("   +%1").arg(parts.size() - shown) : QString();
        qsizetype room = width - more.size() - gap.size() * (shown - 1);
        for (qsizetype i = 0; i < shown; ++i)
            room -= TerminalText::Columns(parts.at(i).second) + 2;
        if (room < ShortestName * shown && shown > 1)
            continue;
        // Short names give what they leave over to the long ones.
        std::vector<qsizetype> order(static_cast<size_t>(shown));
        std::iota(order.begin(), order.end(), 0);
        std::vector<qsizetype> columns;
        for (qsizetype i = 0; i < shown; ++i)
            columns.push_back(TerminalText::Columns(parts.at(i).first));
        std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
            return columns[static_cast<size_t>(a)] < columns[static_cast<size_t>(b)];
        });
        std::vector<qsizetype> keep(static_cast<size_t>(shown));
        qsizetype left = std::max<qsizetype>(room, 0);
        qsizetype count = shown;
        for (const qsizetype i : order) {
            keep[static_cast<size_t>(i)] = std::min(columns[static_cast<size_t>(i)], left / count);
            left -= keep[static_cast<size_t>(i)];
            --count;
        }
        QStringList texts;
        for (qsizetype i = 0; i < shown; ++i) {
            const QString& name = parts.at(i).first;
            const qsizetype kept = keep[static_cast<size_t>(i)];
            const QString fitted
                = kept >= columns[static_cast<size_t>(i)]
                      ? name
                      : (kept > 0 ? TerminalText::Cut(name, static_cast<int>(kept) - 1) + QChar(0x2026) : QString());
            texts << QStringLiteral("%1  %2").arg(fitted, parts.at(i).second);
        }
        QString line = texts.join(gap) + more;
        if (TerminalText::Columns(line) > width)
            line = TerminalText::Cut(line, std::max(width - 1, 0)) + QChar(0x2026);
        return line;
    }
    return {};
}

void ProgressLine::Show()
{
    if (!m_wanted)
        return;
    // A row just started still says "Pending"; a finished one is reported by its own line.
    QList<QPair<QString, QString>> parts;
    for (const quint64 id : std::as_const(m_converting)) {
        const int row = m_queue.rowOf(id);
        if (row < 0)
            continue;
        const RowState state = m_queue.state(row);
        if (state != RowState::Pending && state != RowState::Converting)
            continue;
        const QString progress
            = state == RowState::Pending ? RowStateText(RowState::Converting, 0) : m_queue.progress(row);
        parts.append({ConsoleReport::LineField(Folders::FileNamePart(m_queue.path(row))), progress});
    }
    if (parts.isEmpty()) {
        Clear();
        return;
    }
    // The last column stays free: a line that fills it wraps on some terminals.
    const QString line = Fit(parts, TerminalWidth() - 1, m_tail);
    if (m_shown && line == m_line)
        return;
    ConsoleReport::Write(stderr, QStringLiteral("\r%1\033[K").arg(line));
    m_line = line;
    m_shown = true;
}

void ProgressLine::Clear()
{
    if (!m_shown)
        return;
    ConsoleReport::Write(stderr, QStringLiteral("\r\033[K"));
    m_shown = false;
}
