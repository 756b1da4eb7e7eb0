#include "core/ConsoleFrontEnd.h"

#include "core/ExitCleanup.h"
#include "core/OutputReaderWatch.h"
#include "core/SignalWatcher.h"
#include "core/StartUp.h"
#include "engine/FfmpegReport.h"
#include "platform/Error.h"
#include "platform/Folders.h"
#include "platform/NativePath.h"
#include "platform/Prompt.h"
#include "platform/SourceFile.h"
#include "platform/TerminalText.h"
#include "platform/UnfinishedFile.h"
#include "queue/DurationProbe.h"

#include <QDir>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <sys/ioctl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool Write(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    errno = 0;
    const size_t written = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    return std::fflush(stream) == 0 && written == static_cast<size_t>(bytes.size());
}

// A message about one file: standard error names it first.
void Complain(const QString& path, const QString& reason)
{
    Write(
        stderr,
        QStringLiteral("vantrel: %1: %2\n").arg(ConsoleFrontEnd::LineField(path), ConsoleFrontEnd::LineField(reason)));
}

// The first line of a row's failure detail: the reason itself; what follows
// is ffmpeg's own output for the window's tooltip.
QString Reason(const QString& detail)
{
    const QStringList lines = detail.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        if (!line.trimmed().isEmpty())
            return line.trimmed();
    }
    return QStringLiteral("The file was not converted");
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

int TerminalWidth()
{
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

} // namespace

ConsoleFrontEnd::ConsoleFrontEnd(ConsoleOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_session(this), m_queue(m_session.queue())
{
    m_progressWanted = ::isatty(STDERR_FILENO) == 1;
}

ConsoleFrontEnd::~ConsoleFrontEnd()
{
    EndWork();
}

QString ConsoleFrontEnd::LineField(const QString& text)
{
    QString field;
    field.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\\'))
            field += QLatin1String("\\\\");
        else if (c == QLatin1Char('\t'))
            field += QLatin1String("\\t");
        else if (c == QLatin1Char('\n'))
            field += QLatin1String("\\n");
        else if (const int raw = NativePath::RawByte(c); raw >= 0)
            field += QStringLiteral("\\x") + QString::number(raw, 16).toUpper(); // a byte that is not UTF-8
        else
            field += c;
    }
    return field;
}

QString ConsoleFrontEnd::FitProgress(const QList<QPair<QString, QString>>& parts, int width)
{
    const QString gap = QStringLiteral("   ");
    constexpr int ShortestName = 4; // fewer files shown rather than names no one can read
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

int ConsoleFrontEnd::exec()
{
    switch (m_options.action) {
    case ConsoleOptions::Action::Help: return Write(stdout, ConsoleOptions::UsageText()) ? AllDone : SomeFailed;
    case ConsoleOptions::Action::Version: return Write(stdout, ConsoleOptions::VersionText()) ? AllDone : SomeFailed;
    case ConsoleOptions::Action::UsageError: return Usage(m_options.error);
    case ConsoleOptions::Action::Convert: break;
    }
    // Every message goes to standard error from here on; no dialog can open.
    Prompt::setConsole(true);
    return Convert();
}

int ConsoleFrontEnd::Usage(const QString& why)
{
    Write(stderr, QStringLiteral("vantrel: %1\n").arg(why));
    Write(stderr, ConsoleOptions::TryHelpText());
    return UsageError;
}

int ConsoleFrontEnd::Refuse(const QString& why)
{
    // Not the command line's fault: the help would not mend it.
    Write(stderr, QStringLiteral("vantrel: %1\n").arg(why));
    return UsageError;
}

bool ConsoleFrontEnd::FindToolsAndOutput()
{
    const Tools& tools = m_session.tools();
    if (tools.FfmpegExe.isEmpty()) {
        Refuse(WithFullStop(ConversionRun::MissingFfmpegText()));
        return false;
    }
    if (tools.MediaInfoExe.isEmpty()) {
        Refuse(WithFullStop(DurationProbe::MissingMediaInfoText()));
        return false;
    }

    // The front end never writes settings, so only a file it cannot read matters.
    if (m_options.outDir.isEmpty() || m_options.jobs == 0) {
        const QString trouble = StartUp::SettingsTrouble();
        if (!trouble.isEmpty())
            Write(stderr, QStringLiteral("vantrel: %1 Its settings are not used.\n").arg(trouble));
    }
    QString outDir = m_options.outDir.isEmpty() ? StartUp::StoredWorkDir() : m_options.outDir;
    const bool windowsDefault = outDir.isEmpty();
    if (windowsDefault) {
        // The window's default, made as the window makes it; settings stay untouched.
        outDir = QDir::cleanPath(StartUp::DefaultWorkDir());
        if (!Folders::CreateFolderOneLevel(outDir) && errno != EEXIST) {
            const int error = errno;
            Usage(QStringLiteral("cannot make the output folder \"%1\": %2")
                      .arg(outDir, QString::fromLocal8Bit(std::strerror(error))));
            return false;
        }
    }
    const QString absolute = NativePath::Absolute(outDir);
    if (!FileIdentity::Reached(absolute).exists) {
        Usage(QStringLiteral("the output folder \"%1\" does not exist").arg(LineField(outDir)));
        return false;
    }
    if (!NativePath::IsFolder(absolute)) {
        Usage(QStringLiteral("the output folder \"%1\" is not a folder").arg(LineField(outDir)));
        return false;
    }
    m_session.settings().WorkDir = absolute;
    if (windowsDefault)
        Write(stderr, QStringLiteral("vantrel: no --outdir and no stored output folder: converting into \"%1\"\n")
                          .arg(LineField(absolute)));
    return true;
}

int ConsoleFrontEnd::Convert()
{
    // The private temp folder, the tools and the number of jobs only: the
    // window's start-up would make folders and write settings, which the
    // front end never does.
    m_session.StartWithoutStoring(m_options.jobs);
    if (!FindToolsAndOutput())
        return UsageError;
    auto* watcher = new SignalWatcher({SIGINT, SIGTERM, SIGHUP, SIGPIPE}, this);
    connect(watcher, &SignalWatcher::received, this, &ConsoleFrontEnd::Interrupted);
    // Files converted after the reader has gone would have no line to tell of them.
    connect(new OutputReaderWatch(this), &OutputReaderWatch::readerGone, this, [this] {
        if (!m_finished)
            Interrupted(SIGPIPE);
    });

    BindRun();
    QueueActions& actions = m_session.actions();
    actions.setEachFileOnce(true);
    connect(&actions, &QueueActions::accounted, this, &ConsoleFrontEnd::Accounted);
    QStringList paths;
    for (const QString& path : std::as_const(m_options.paths))
        paths << NativePath::Absolute(path);
    actions.QueueIncoming(paths);
    // Begun at once: each file converts as soon as it is measured.
    RunGuarded([this] { m_session.run().Begin(m_options.profile); });
    if (m_finished)
        return m_exitCode;
    return QCoreApplication::exec();
}

void ConsoleFrontEnd::Finish()
{
    if (m_finished)
        return;
    ClearProgress();
    // A run that stopped early leaves files unmeasured or unconverted.
    for (const QString& path : m_session.actions().unaccounted())
        m_sources.emplace_back().path = path;
    m_session.End();
    bool allDone = m_allNamed;
    for (Source& source : m_sources) {
        const int row = m_queue.rowOf(source.id);
        const bool done = source.id != 0 && row >= 0 && m_queue.state(row) == RowState::Done;
        allDone = allDone && done;
        if (!source.reported)
            Fail(source, QStringLiteral("The run stopped before this file"));
    }
    m_finished = true;
    m_exitCode = allDone ? AllDone : SomeFailed;
    QCoreApplication::exit(m_exitCode);
}

void ConsoleFrontEnd::Accounted(const AddOutcome& outcome)
{
    if (outcome.folder) {
        // A folder gives its files their lines; one that gave none is no file of its own.
        Complain(outcome.path, outcome.reason);
        m_allNamed = false;
        return;
    }
    Source& source = m_sources.emplace_back();
    source.path = outcome.path;
    // Its fate is known now: it gets its line before the files still converting.
    if (!outcome.queued()) {
        Fail(source, outcome.reason);
        return;
    }
    source.id = outcome.id;
    m_sourceOfId[outcome.id] = m_sources.size() - 1;
}

void ConsoleFrontEnd::Fail(Source& source, const QString& reason, const QString& told)
{
    source.reported = true;
    ClearProgress();
    Complain(source.path, told.isEmpty() ? reason : told);
    Print(QStringLiteral("Failed\t%1\t%2\n").arg(LineField(source.path), LineField(reason)));
}

void ConsoleFrontEnd::BindRun()
{
    ConversionRun& run = m_session.run();
    connect(&run, &ConversionRun::rowStarted, this, [this](quint64 id) {
        m_converting.append(id);
        ShowProgress();
    });
    connect(&run, &ConversionRun::rowFinished, this, [this](quint64 id) {
        m_converting.removeAll(id);
        ReportRow(id);
        ShowProgress();
    });
    connect(&run, &ConversionRun::runEnded, this, &ConsoleFrontEnd::Finish);
    connect(&run, &ConversionRun::failed, this,
            [](const QString& text) { Write(stderr, QStringLiteral("vantrel: %1\n").arg(WithFullStop(text))); });
    connect(&m_queue, &QueueModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                for (const quint64 id : std::as_const(m_converting)) {
                    const int row = m_queue.rowOf(id);
                    if (row >= topLeft.row() && row <= bottomRight.row()) {
                        ShowProgress();
                        return;
                    }
                }
            });
}

void ConsoleFrontEnd::ReportRow(quint64 id)
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

void ConsoleFrontEnd::Print(const QString& line)
{
    ClearProgress();
    if (Write(stdout, line))
        return;
    const int error = errno;
    // A reader that went away (`| head`) ends the program as its signal does.
    if (error == EPIPE)
        Interrupted(SIGPIPE);
    CannotWriteOutput(error);
}

void ConsoleFrontEnd::ShowProgress()
{
    if (!m_progressWanted)
        return;
    // Every file converting now, in the order they started. A row just started
    // still says "Pending"; a finished one is reported by its own line.
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
        parts.append({LineField(Folders::FileNamePart(m_queue.path(row))), progress});
    }
    if (parts.isEmpty()) {
        ClearProgress();
        return;
    }
    // The last column stays free: a line that fills it wraps on some terminals.
    const QString line = FitProgress(parts, TerminalWidth() - 1);
    if (m_progressShown && line == m_progressLine)
        return;
    Write(stderr, QStringLiteral("\r%1\033[K").arg(line));
    m_progressLine = line;
    m_progressShown = true;
}

void ConsoleFrontEnd::ClearProgress()
{
    if (!m_progressShown)
        return;
    Write(stderr, QStringLiteral("\r\033[K"));
    m_progressShown = false;
}

void ConsoleFrontEnd::EndWork()
{
    // Ending the run ends its ffmpeg, waits for it and removes its unfinished file.
    m_session.disconnect(this);
    m_session.run().disconnect(this);
    m_session.End();
    ExitCleanup::RemoveProbeFiles();
}

void ConsoleFrontEnd::Interrupted(int signalNumber)
{
    ClearProgress();
    if (signalNumber == SIGPIPE) {
        // No one reads the lines any more: nothing more is said, and nothing more written.
        EndWork();
        SignalWatcher::EndBy(signalNumber);
    }
    // The files not measured yet are known only to the measuring, which ends with the work.
    const QStringList unaccounted = m_session.actions().unaccounted();
    EndWork();
    const QString name = SignalWatcher::Name(signalNumber);
    bool told = false;
    const auto tell = [&](const QString& path, const QString& reason) {
        Complain(path, reason);
        // A line that cannot be written ends nothing sooner: the signal ends the program.
        Write(stdout, QStringLiteral("Failed\t%1\t%2\n").arg(LineField(path), LineField(reason)));
        told = true;
    };
    for (const Source& source : m_sources) {
        if (source.reported)
            continue;
        const bool converting = m_converting.contains(source.id);
        tell(source.path, converting ? QStringLiteral("Stopped by %1 before its conversion finished").arg(name)
                                     : QStringLiteral("Stopped by %1 before it was converted").arg(name));
    }
    for (const QString& path : unaccounted)
        tell(path, QStringLiteral("Stopped by %1 before it was converted").arg(name));
    if (!told)
        Write(stderr, QStringLiteral("vantrel: Stopped by %1.\n").arg(name));
    SignalWatcher::EndBy(signalNumber);
}

void ConsoleFrontEnd::CannotWriteOutput(int error)
{
    ClearProgress();
    Write(stderr, QStringLiteral("vantrel: cannot write to standard output: %1\n")
                      .arg(QString::fromLocal8Bit(std::strerror(error))));
    EndWork();
    std::_Exit(SomeFailed);
}
