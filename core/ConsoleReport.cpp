#include "core/ConsoleReport.h"

#include "core/ProgressLine.h"
#include "engine/FfmpegReport.h"
#include "model/QueueModel.h"
#include "platform/NativePath.h"

#include <QCoreApplication>
#include <cerrno>

namespace {

// The first line of a row's failure detail: the reason itself; what follows
// is ffmpeg's own output for the window's tooltip.
QString Reason(const QString& detail)
{
    const QStringList lines = detail.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        if (!line.trimmed().isEmpty())
            return line.trimmed();
    }
    return QCoreApplication::translate("ConsoleReport", "The file was not converted");
}

// A failed row's reason, and ffmpeg's own line behind it when the reason puts
// it in plain words; the line's source is named once, before both.
QString ReasonAndSaid(const QString& path, const QString& detail)
{
    QString said = FfmpegReport::SaidIn(detail);
    if (said.isEmpty())
        return Reason(detail);
    if (said.startsWith(path + QStringLiteral(": ")))
        said.remove(0, path.size() + 2);
    return QStringLiteral("%1 (ffmpeg: %2)").arg(Reason(detail), said);
}

QString FailedLine(const QString& path, const QString& reason)
{
    return QStringLiteral("Failed\t%1\t%2\n").arg(ConsoleReport::LineField(path), ConsoleReport::LineField(reason));
}

} // namespace

ConsoleReport::ConsoleReport(const QueueModel& queue, ProgressLine& progress,
                             std::function<void(int error)> cannotWrite)
    : m_queue(queue), m_progress(progress), m_cannotWrite(std::move(cannotWrite))
{ }

QString ConsoleReport::LineField(const QString& text)
{
    return NativePath::Escaped(text);
}

bool ConsoleReport::Write(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    errno = 0;
    const size_t written = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    return std::fflush(stream) == 0 && written == static_cast<size_t>(bytes.size());
}

void ConsoleReport::Say(const QString& text)
{
    m_progress.Clear();
    Write(stderr, QStringLiteral("vantrel: %1\n").arg(text));
}

void ConsoleReport::Complain(const QString& path, const QString& reason)
{
    Say(QStringLiteral("%1: %2").arg(LineField(path), LineField(reason)));
}

void ConsoleReport::Queued(const QString& path, quint64 id)
{
    m_sources.push_back({path, id, false});
    m_sourceOfId[id] = m_sources.size() - 1;
}

void ConsoleReport::NotQueued(const QString& path, const QString& reason)
{
    // Its fate is known now: it gets its line before the files still converting.
    Fail(m_sources.emplace_back(Source{path, 0, false}), reason);
}

void ConsoleReport::RowEnded(quint64 id)
{
    const auto found = m_sourceOfId.find(id);
    const int row = m_queue.rowOf(id);
    if (found == m_sourceOfId.end() || row < 0)
        return;
    Source& source = m_sources[found->second];
    if (source.reported)
        return;
    const QString detail = m_queue.failureDetail(row);
    if (m_queue.state(row) != RowState::Done) {
        Fail(source, Reason(detail), ReasonAndSaid(source.path, detail));
        return;
    }
    source.reported = true;
    // A finished file that plays noticeably shorter than its source says so.
    if (!detail.isEmpty())
        Complain(source.path, Reason(detail));
    // The name the finished file took, which may differ from the one it started with.
    Print(QStringLiteral("Done\t%1\t%2\n").arg(LineField(source.path), LineField(m_queue.output(row))));
}

bool ConsoleReport::Close(const QStringList& unaccounted, const QString& reason)
{
    for (const QString& path : unaccounted)
        m_sources.push_back({path, 0, false});
    bool allDone = true;
    for (Source& source : m_sources) {
        const int row = m_queue.rowOf(source.id);
        allDone = allDone && source.id != 0 && row >= 0 && m_queue.state(row) == RowState::Done;
        if (!source.reported)
            Fail(source, reason);
    }
    return allDone;
}

bool ConsoleReport::Stop(const QStringList& unaccounted, const QString& signalName)
{
    m_progress.Clear();
    bool told = false;
    const auto tell = [&](const QString& path, const QString& reason) {
        Complain(path, reason);
        // A line that cannot be written ends nothing sooner: the signal ends the program.
        Write(stdout, FailedLine(path, reason));
        told = true;
    };
    for (const Source& source : m_sources) {
        if (source.reported)
            continue;
        tell(source.path,
             m_progress.IsConverting(source.id)
                 ? QCoreApplication::translate("ConsoleReport", "Stopped by %1 before its conversion finished")
                       .arg(signalName)
                 : QCoreApplication::translate("ConsoleReport", "Stopped by %1 before it was converted")
                       .arg(signalName));
    }
    for (const QString& path : unaccounted)
        tell(path,
             QCoreApplication::translate("ConsoleReport", "Stopped by %1 before it was converted").arg(signalName));
    return told;
}

void ConsoleReport::Fail(Source& source, const QString& reason, const QString& told)
{
    source.reported = true;
    Complain(source.path, told.isEmpty() ? reason : told);
    Print(FailedLine(source.path, reason));
}

void ConsoleReport::Print(const QString& line)
{
    m_progress.Clear();
    if (!Write(stdout, line))
        m_cannotWrite(errno);
}
