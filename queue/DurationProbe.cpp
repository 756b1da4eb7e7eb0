#include "queue/DurationProbe.h"

#include "model/Tools.h"
#include "platform/ChildProcess.h"
#include "platform/ProcessLauncher.h"
#include "platform/Error.h"
#include "platform/NativePath.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

QByteArray batchPathText(const QString& path)
{
    return NativePath::Encode(path).replace("%", "%%");
}

QString missingInterpreterText(const QString& interpreter)
{
    return QCoreApplication::translate("DurationProbe", "Cannot find \"%1\", which Vantrel needs to measure files. "
                                                        "Please install Vantrel again")
        .arg(interpreter);
}

QString unstartableInterpreterText(const QString& interpreter, const QString& reason, bool missing)
{
    const QString text
        = QCoreApplication::translate("DurationProbe", "The program \"%1\", which Vantrel needs to measure files, "
                                                       "could not be started: %2")
              .arg(interpreter, reason);
    // Installing again mends only a helper that is not there.
    return missing ? text + QCoreApplication::translate("DurationProbe", ". Please install Vantrel again") : text;
}

// vantrel-batch's exit code for a command it found but could not start.
constexpr int CommandNotStarted = 126;

// The system's reason from the interpreter's report
// ...: cannot start "PROGRAM": REASON
QString notStartedReason(const QString& errorTail)
{
    const QString marker = QStringLiteral("cannot start \"");
    const qsizetype at = errorTail.lastIndexOf(marker);
    if (at < 0)
        return {};
    const QString rest = errorTail.mid(at + marker.size()).section(QLatin1Char('\n'), 0, 0);
    const qsizetype close = rest.lastIndexOf(QStringLiteral("\": "));
    return close < 0 ? QString() : rest.mid(close + 3).trimmed();
}

} // namespace

QString DurationProbe::MissingMediaInfoText()
{
    return QCoreApplication::translate(
        "DurationProbe", "Cannot find the program \"mediainfo\", which measures the playing time of each file. "
                         "Please install the package \"mediainfo\" and start Vantrel again");
}

DurationProbe::DurationProbe(QString tempDir, QString mediaInfoExe, QString interpreter)
    : m_tempDir(std::move(tempDir)), m_mediaInfoExe(std::move(mediaInfoExe)), m_interpreter(std::move(interpreter))
{ }

DurationProbe DurationProbe::For(const Tools& tools)
{
    DurationProbe probe(tools.TempDir, tools.MediaInfoExe);
    probe.setAnswerLimitMs(tools.MediaInfoSilenceMs);
    return probe;
}

QString DurationProbe::HungText() const
{
    return QCoreApplication::translate("DurationProbe", "mediainfo gave no answer in %1 s and was ended")
        .arg(QString::number(m_answerLimitMs / 1000.0));
}

QString DurationProbe::DefaultInterpreter()
{
    // Relative to the program's own folder, so a relocated copy (DESTDIR, a
    // prefix chosen at install time) finds its own helper and never another.
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString installed
        = QDir::cleanPath(programDir + QStringLiteral("/" VANTREL_LIBEXEC_FROM_BIN "/vantrel-batch"));
    const QString built = programDir + QStringLiteral("/vantrel-batch");
    return QFileInfo(installed).isFile() || !QFileInfo(built).isFile() ? installed : built;
}

bool DurationProbe::CanQuote(const QString& path)
{
    return !path.contains(QLatin1Char('"')) && !path.contains(QLatin1Char('\r')) && !path.contains(QLatin1Char('\n'));
}

QByteArray DurationProbe::BatchText(const QString& source, const QString& tempDir, const QString& mediaInfoExe,
                                    const QString& resultName)
{
    QByteArray text;
    text += "set filein=\"" + batchPathText(source) + "\"\r\n";
    text += "set fileout=\"" + batchPathText(tempDir + resultName) + "\"\r\n";
    text += "set mediainfo=\"" + batchPathText(mediaInfoExe) + "\"\r\n";
    text += "%mediainfo% --Inform=General;%%Duration/String3%% %filein% > %fileout%\r\n";
    return text;
}

DurationProbe::Files DurationProbe::files(int slot) const
{
    if (slot == 0)
        return {m_tempDir + QStringLiteral("open.bat"), m_tempDir + QStringLiteral("duration_time.txt"),
                m_tempDir + QStringLiteral("source.flv")};
    return {m_tempDir + QStringLiteral("open-%1.bat").arg(slot),
            m_tempDir + QStringLiteral("duration_time-%1.txt").arg(slot),
            m_tempDir + QStringLiteral("source-%1.flv").arg(slot)};
}

void DurationProbe::Remove(const Files& slot)
{
    QFile::remove(slot.batch);
    QFile::remove(slot.result);
    QFile::remove(slot.link);
}

bool DurationProbe::Prepare(const QString& source, const Files& slot) const
{
    // A tool that is there but cannot run is reported once the batch tried it.
    if (!ProcessLauncher::ProgramExists(m_mediaInfoExe))
        throw VantrelError(MissingMediaInfoText());
    if (!ProcessLauncher::ProgramExists(m_interpreter))
        throw VantrelError(missingInterpreterText(m_interpreter));
    if (m_tempDir.isEmpty())
        throw VantrelError(QCoreApplication::translate(
            "DurationProbe", "Cannot measure files: Vantrel has no private temporary folder"));
    // A path that would break out of its quotes, or whose bytes are not
    // UTF-8, reaches mediainfo through a link of the probe's own.
    QString named = source;
    if (!CanQuote(source) || NativePath::HasRawBytes(source)) {
        QFile::remove(slot.link);
        if (::symlink(NativePath::Encode(source).constData(), NativePath::Encode(slot.link).constData()) != 0)
            throw EFileError(QCoreApplication::translate("DurationProbe", "Cannot create file \"%1\". %2")
                                 .arg(slot.link, QString::fromLocal8Bit(std::strerror(errno))));
        named = slot.link;
    }

    {
        QFile file(slot.batch);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw EFileError(QCoreApplication::translate("DurationProbe", "Cannot create file \"%1\". %2")
                                 .arg(slot.batch, file.errorString()));
        const QByteArray text = BatchText(named, m_tempDir, m_mediaInfoExe, slot.result.mid(m_tempDir.size()));
        if (file.write(text) != text.size() || !file.flush())
            throw EFileError(QCoreApplication::translate("DurationProbe", "Cannot create file \"%1\". %2")
                                 .arg(slot.batch, file.errorString()));
    }
    // An answer left by an earlier probe must never pass for this one's.
    if (QFileInfo::exists(slot.result) && !QFile::remove(slot.result))
        throw EFileError(QCoreApplication::translate("DurationProbe", "Cannot delete file \"%1\"").arg(slot.result));
    return true;
}

LaunchPlan DurationProbe::BatchPlan(const Files& slot) const
{
    return ProcessLauncher::Plan(m_interpreter, QStringList{slot.batch});
}

bool DurationProbe::Starved(const ChildEnd& batchEnd, QString* reason) const
{
    QString why;
    if (batchEnd.kind == ChildEnd::Kind::FailedToStart)
        why = ProcessLauncher::StartFailureReason(batchEnd.errorTail);
    else if (batchEnd.kind == ChildEnd::Kind::Exited && batchEnd.exitCode == CommandNotStarted)
        why = notStartedReason(batchEnd.errorTail);
    const int code = batchEnd.kind == ChildEnd::Kind::FailedToStart && batchEnd.startError != 0 ? batchEnd.startError
                                                                                                : StartErrorIn(why);
    if (why.isEmpty() || ClassifyStartFailure(code, m_interpreter) != StartFailure::Shortage)
        return false;
    if (reason)
        *reason = why;
    return true;
}

std::optional<QString> DurationProbe::Collect(const ChildEnd& batchEnd, const Files& slot) const
{
    if (batchEnd.kind == ChildEnd::Kind::FailedToStart) {
        const bool missing = ClassifyStartFailure(batchEnd.startError, m_interpreter) == StartFailure::Missing;
        throw VantrelError(unstartableInterpreterText(
            m_interpreter, ProcessLauncher::StartFailureReason(batchEnd.errorTail), missing));
    }
    if (batchEnd.kind == ChildEnd::Kind::Exited && batchEnd.exitCode == CommandNotStarted) {
        Remove(slot);
        throw VantrelError(ProcessLauncher::CannotStartText(
            QStringLiteral("mediainfo"), m_mediaInfoExe, notStartedReason(batchEnd.errorTail),
            QCoreApplication::translate("DurationProbe", "measures the playing time of each file")));
    }

    // A batch that died before its redirection wrote nothing: no answer.
    QByteArray content;
    if (QFileInfo::exists(slot.result)) {
        QFile file(slot.result);
        if (!file.open(QIODevice::ReadOnly))
            throw EFileError(QCoreApplication::translate("DurationProbe", "Cannot open file \"%1\". %2")
                                 .arg(slot.result, file.errorString()));
        content = file.readAll();
    }
    Remove(slot);

    if (content.isEmpty())
        return std::nullopt;
    // Any line-break convention; a trailing break makes no further line.
    qsizetype end = content.indexOf('\n');
    const qsizetype cr = content.indexOf('\r');
    if (cr >= 0 && (end < 0 || cr < end))
        end = cr;
    return QString::fromLocal8Bit(end < 0 ? content : content.left(end));
}

namespace {

// A locale's time separator: the first character after the hours in its
// short time format ("HH:mm", "H.mm"...).
QChar localeTimeSeparator(const QLocale& locale)
{
    const QString format = locale.timeFormat(QLocale::ShortFormat);
    const qsizetype hours = format.indexOf(QLatin1Char('h'), 0, Qt::CaseInsensitive);
    if (hours < 0)
        return QLatin1Char(':');
    for (qsizetype i = hours; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c != QLatin1Char('h') && c != QLatin1Char('H'))
            return c.isLetter() || c == QLatin1Char('\'') ? QLatin1Char(':') : c;
    }
    return QLatin1Char(':');
}

class TimeParser
{
public:
    TimeParser(const QString& text, QString timeSeparators, QString decimalSeparators)
        : m_text(text), m_time(std::move(timeSeparators)), m_decimal(std::move(decimalSeparators))
    { }

    // Milliseconds; the fraction's first three digits count.
    std::optional<qint64> parse()
    {
        const auto hours = number();
        if (!hours)
            return std::nullopt;
        int minutes = 0;
        int seconds = 0;
        int milliseconds = 0;
        if (separator(m_time)) {
            const auto m = number();
            if (!m)
                return std::nullopt;
            minutes = *m;
            if (separator(m_time)) {
                const auto s = number();
                if (!s)
                    return std::nullopt;
                seconds = *s;
                if (separator(m_decimal)) {
                    const qsizetype start = m_pos;
                    const auto fraction = number();
                    if (!fraction || *fraction > 999)
                        return std::nullopt;
                    milliseconds = Milliseconds(m_text.mid(start, m_pos - start).trimmed());
                }
            }
        }
        skipSpaces();
        // Recordings of a day and more run past hour 23; only a saturated count is refused.
        if (m_pos != m_text.size() || *hours >= Saturated || minutes > 59 || seconds > 59)
            return std::nullopt;
        return (qint64(*hours) * 3600 + minutes * 60 + seconds) * 1000 + milliseconds;
    }

private:
    void skipSpaces()
    {
        while (m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char(' '))
            ++m_pos;
    }

    bool separator(const QString& accepted)
    {
        const qsizetype saved = m_pos;
        skipSpaces();
        if (m_pos < m_text.size() && accepted.contains(m_text.at(m_pos))) {
            ++m_pos;
            return true;
        }
        m_pos = saved;
        return false;
    }

    static constexpr int Saturated = 1000000;

    // A fraction's digits as milliseconds: "4" is 400, "0001" is 0.
    static int Milliseconds(const QString& digits)
    {
        const QString three = (digits + QStringLiteral("00")).left(3);
        return three.toInt();
    }

    // A run of decimal digits; large values saturate, which the range checks refuse.
    std::optional<int> number()
    {
        skipSpaces();
        const qsizetype start = m_pos;
        int value = 0;
        while (m_pos < m_text.size() && m_text.at(m_pos) >= QLatin1Char('0') && m_text.at(m_pos) <= QLatin1Char('9')) {
            value = std::min(value * 10 + (m_text.at(m_pos).unicode() - '0'), Saturated);
            ++m_pos;
        }
        if (m_pos == start)
            return std::nullopt;
        return value;
    }

    const QString& m_text;
    const QString m_time;
    const QString m_decimal;
    qsizetype m_pos = 0;
};

} // namespace

qint64 TimeTextToMilliseconds(const QString& text, const QLocale& locale)
{
    // After the hours and the minutes only a time separator can follow, after
    // the seconds only a decimal one, so the two sets may share a character.
    const QString timeSeparators = QStringLiteral(":") + localeTimeSeparator(locale);
    const QString decimalSeparators = QStringLiteral(".") + locale.decimalPoint();
    const auto milliseconds = TimeParser(text, timeSeparators, decimalSeparators).parse();
    if (!milliseconds)
        throw EConvertError(QCoreApplication::translate("DurationProbe", "'%1' is not a valid time").arg(text));
    return *milliseconds;
}

qint64 TimeTextToMilliseconds(const QString& text)
{
    return TimeTextToMilliseconds(text, QLocale());
}

qint64 TimeTextToSeconds(const QString& text, const QLocale& locale)
{
    return TimeTextToMilliseconds(text, locale) / 1000;
}

qint64 TimeTextToSeconds(const QString& text)
{
    return TimeTextToSeconds(text, QLocale());
}
