#include "engine/FfmpegReport.h"

#include "platform/ChildProcess.h"
#include "platform/ProcessLauncher.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QStringList>

#include <cstring>
#include <vector>

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

// ffmpeg's jargon and what it means for the user who converts the file.
struct Jargon
{
    const char* pattern; // on one line, address dropped
    const char* words;   // "%1" is ffmpeg's exit code
    bool fatal;          // ffmpeg ends on it; else it is a warning that was merely said last
};

const Jargon JargonTable[] = {
    // The warning for a single stream starts "Could not"; this is the end.
    {"could not find codec parameters", QT_TRANSLATE_NOOP("FfmpegReport", "ffmpeg finds no playable stream in it"),
     true},
    {"does not contain any stream", QT_TRANSLATE_NOOP("FfmpegReport", "ffmpeg finds no playable stream in it"), true},
    {"Decoder \\(codec [^)]*\\) not found",
     QT_TRANSLATE_NOOP("FfmpegReport", "ffmpeg cannot decode its picture or sound"), true},
    // A frame that cannot be decoded is said the same way, and skipped.
    {"^(?!.*while decoding).*Invalid data found when processing input",
     QT_TRANSLATE_NOOP("FfmpegReport", "ffmpeg cannot read it: it is damaged or not a video"), true},
    // Said when ffmpeg reads faster than it converts: never a cause.
    {"Thread message queue blocking",
     QT_TRANSLATE_NOOP("FfmpegReport", "ffmpeg ended with exit code %1 without naming a cause"), false},
};

const QRegularExpression& PatternOf(const Jargon& jargon)
{
    static const auto compiled = [] {
        std::vector<QRegularExpression> all;
        for (const Jargon& each : JargonTable)
            all.emplace_back(QString::fromUtf8(each.pattern));
        return all;
    }();
    return compiled[static_cast<size_t>(&jargon - JargonTable)];
}

const Jargon* JargonOf(const QString& line)
{
    for (const Jargon& jargon : JargonTable) {
        if (PatternOf(jargon).match(line).hasMatch())
            return &jargon;
    }
    return nullptr;
}

// ffmpeg caught the signal and ended on it ("Exiting normally, received signal 15.").
int CaughtSignal(const QString& errorOutput)
{
    static const QRegularExpression caught(QStringLiteral("^Exiting normally, received signal (\\d+)"),
                                           QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = caught.match(errorOutput);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

} // namespace

QString PlainWords(const QString& line, int exitCode)
{
    const Jargon* jargon = JargonOf(line);
    return jargon ? QCoreApplication::translate("FfmpegReport", jargon->words)
                        .replace(QLatin1String("%1"), QString::number(exitCode))
                  : QString();
}

QString CauseLine(const QString& errorOutput)
{
    QString lastTold;
    for (const QString& line : Lines(errorOutput)) {
        if (IsNoise(line))
            continue;
        // A frame that cannot be decoded is skipped: a later error is the cause.
        if (ReportsAnError(line) && !line.contains(QLatin1String("while decoding")))
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
        return QCoreApplication::translate("FfmpegReport", "ffmpeg was killed or crashed");
    return QCoreApplication::translate("FfmpegReport", "ffmpeg was ended by signal %1 (SIG%2)")
        .arg(signal)
        .arg(QLatin1String(name));
}

Failure Reason(const ChildEnd& end, const QString& program)
{
    switch (end.kind) {
    case ChildEnd::Kind::FailedToStart:
        return {ProcessLauncher::CannotStartText(QStringLiteral("ffmpeg"), program, end.errorTail,
                                                 QCoreApplication::translate("FfmpegReport", "converts the files")),
                {}};
    case ChildEnd::Kind::Crashed: return {SignalText(end.signal), {}};
    case ChildEnd::Kind::Exited: break;
    }
    if (end.exitCode == 0)
        return {WriteFailureLine(end.errorOutput), {}};
    if (const int signal = CaughtSignal(end.errorOutput); signal > 0)
        return {SignalText(signal), {}};
    // A line ffmpeg ends on outranks the first that merely mentions an error.
    QString cause;
    for (const QString& line : Lines(end.errorOutput)) {
        const QString cleaned = WithoutAddress(line);
        if (const Jargon* jargon = JargonOf(cleaned); jargon && jargon->fatal) {
            cause = cleaned;
            break;
        }
    }
    if (cause.isEmpty())
        cause = CauseLine(end.errorOutput);
    if (cause.isEmpty())
        return {QCoreApplication::translate("FfmpegReport", "ffmpeg ended with exit code %1").arg(end.exitCode), {}};
    const QString words = PlainWords(cause, end.exitCode);
    return words.isEmpty() ? Failure{cause, {}} : Failure{words, cause};
}

namespace {

const QLatin1String SaidPrefix("ffmpeg said: ");

} // namespace

QString Detail(const Failure& failure, const QString& tail)
{
    QStringList lines{failure.reason};
    if (!failure.said.isEmpty())
        lines << SaidPrefix + failure.said;
    if (!tail.isEmpty())
        lines << tail;
    return lines.join(QLatin1Char('\n'));
}

QString SaidIn(const QString& detail)
{
    const QString second = detail.section(QLatin1Char('\n'), 1, 1);
    return second.startsWith(SaidPrefix) ? second.mid(SaidPrefix.size()) : QString();
}

} // namespace FfmpegReport
