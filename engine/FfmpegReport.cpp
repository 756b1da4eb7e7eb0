#include "engine/FfmpegReport.h"

#include "platform/ChildProcess.h"
#include "platform/ProcessLauncher.h"

#include <QRegularExpression>
#include <QStringList>

#include <cstring>

namespace FfmpegReport {

namespace {

QStringList Lines(const QString& errorOutput)
{
    QString text = errorOutput;
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Stream listings are indented under "Input #0" and "Output #0"; statistics
// and the closing words say nothing of a cause.
bool IsNoise(const QString& line)
{
    static const QRegularExpression noise(
        QStringLiteral("^(\\s|Input #|Output #|Stream mapping:|Press \\[q\\]|frame=|size=|video:\\S+ audio:|\\[out#|"
                       "Conversion failed!|Exiting normally|…$)"));
    return line.trimmed().isEmpty() || noise.match(line).hasMatch();
}

bool ReportsAnError(const QString& line)
{
    static const QRegularExpression error(
        QStringLiteral("\\b(error|failed|could not|cannot|can't|unable|invalid|no such|denied|not found|no space|"
                       "unknown|unsupported|not supported|incorrect|too many|out of memory|read-only)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    return error.match(line).hasMatch();
}

QString WithoutAddress(const QString& line)
{
    static const QRegularExpression address(QStringLiteral("^\\[([^\\]@]*?) @ 0x[0-9a-fA-F]+\\]"));
    QString cleaned = line;
    cleaned.replace(address, QStringLiteral("[\\1]"));
    return cleaned.trimmed();
}

} // namespace

QString CauseLine(const QString& errorOutput)
{
    QString lastTold;
    for (const QString& line : Lines(errorOutput)) {
        if (IsNoise(line))
            continue;
        if (ReportsAnError(line))
            return WithoutAddress(line);
        lastTold = line;
    }
    return WithoutAddress(lastTold);
}

QString WriteFailureLine(const QString& errorOutput)
{
    for (const QString& line : Lines(errorOutput)) {
        for (const char* writeError : {"Error writing trailer", "Error closing file", "av_interleaved_write_frame()"}) {
            if (line.contains(QLatin1String(writeError)))
                return WithoutAddress(line);
        }
    }
    return {};
}

QString SignalText(int signal)
{
    const char* name = signal > 0 ? sigabbrev_np(signal) : nullptr;
    if (!name)
        return QStringLiteral("ffmpeg was killed or crashed");
    return QStringLiteral("ffmpeg was ended by signal %1 (SIG%2)").arg(signal).arg(QLatin1String(name));
}

QString Reason(const ChildEnd& end, const QString& program)
{
    switch (end.kind) {
    case ChildEnd::Kind::FailedToStart:
        return ProcessLauncher::CannotStartText(QStringLiteral("ffmpeg"), program, end.errorTail,
                                                QStringLiteral("converts the files"));
    case ChildEnd::Kind::Crashed: return SignalText(end.signal);
    case ChildEnd::Kind::Exited: break;
    }
    if (end.exitCode != 0) {
        const QString cause = CauseLine(end.errorOutput);
        return cause.isEmpty() ? QStringLiteral("ffmpeg ended with exit code %1").arg(end.exitCode) : cause;
    }
    return WriteFailureLine(end.errorOutput);
}

} // namespace FfmpegReport
