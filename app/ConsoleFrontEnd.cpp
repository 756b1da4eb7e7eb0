#include "app/ConsoleFrontEnd.h"

#include "app/ExitCleanup.h"
#include "app/StartUp.h"
#include "engine/ConversionRun.h"
#include "model/QueueModel.h"
#include "platform/Error.h"
#include "platform/Prompt.h"
#include "queue/DurationProbe.h"
#include "queue/FindFile.h"
#include "queue/QueueActions.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

void Write(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

// A message the window would show in a dialog, or one of the front end's own.
void Complain(const QString& text)
{
    Prompt::message(text);
}

// The last line of a row's failure detail: ffmpeg's last error line, or the
// program's own reason when ffmpeg said nothing.
QString Reason(const QString& detail)
{
    const QStringList lines = detail.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QString reason = lines.isEmpty() ? QStringLiteral("The file was not converted") : lines.constLast().trimmed();
    reason.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return reason;
}

QString SignalName(int signalNumber)
{
    return signalNumber == SIGINT ? QStringLiteral("SIGINT") : QStringLiteral("SIGTERM");
}

// Self-pipe: the handler only writes the signal's number; the event loop reads it.
int s_signalPipe[2] = {-1, -1};

void OnSignal(int signalNumber)
{
    const int saved = errno;
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(s_signalPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

ConsoleFrontEnd::ConsoleFrontEnd(ConsoleOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_queue(new QueueModel(this)), m_finder(new TFindFile(this))
{
    m_finder->Filter = QStringLiteral("*.flv");
    m_finder->Recurse = false;
    m_actions = new QueueActions(m_state, *m_queue, *m_finder, this);
    m_progressWanted = ::isatty(STDERR_FILENO) == 1;
}

ConsoleFrontEnd::~ConsoleFrontEnd() = default;

int ConsoleFrontEnd::exec()
{
    switch (m_options.action) {
    case ConsoleOptions::Action::Help:
        Write(stdout, ConsoleOptions::UsageText());
        return AllDone;
    case ConsoleOptions::Action::Version:
        Write(stdout, ConsoleOptions::VersionText());
        return AllDone;
    case ConsoleOptions::Action::UsageError:
        return Usage(m_options.error);
    case ConsoleOptions::Action::Convert:
        break;
    }
    // Every message goes to standard error from here on; no dialog can open.
    Prompt::setConsole(true);
    return Convert();
}

int ConsoleFrontEnd::Usage(const QString& why)
{
    Write(stderr, QStringLiteral("vantrel: %1\n").arg(why));
    Write(stderr, ConsoleOptions::UsageText());
    return UsageError;
}

bool ConsoleFrontEnd::FindToolsAndOutput()
{
    StartUp::FindTools(m_state);
    if (m_state.FfmpegExe.isEmpty()) {
        Usage(WithFullStop(ConversionRun::MissingFfmpegText()));
        return false;
    }
    if (m_state.MediaInfoExe.isEmpty()) {
        Usage(WithFullStop(DurationProbe::MissingMediaInfoText()));
        return false;
    }

    const QString outDir = m_options.outDir.isEmpty() ? StartUp::StoredWorkDir() : m_options.outDir;
    if (outDir.isEmpty()) {
        Usage(QStringLiteral("no output folder is stored; name one with --outdir DIR"));
        return false;
    }
    const QFileInfo out(outDir);
    if (!out.exists()) {
        Usage(QStringLiteral("the output folder \"%1\" does not exist").arg(outDir));
        return false;
    }
    if (!out.isDir()) {
        Usage(QStringLiteral("the output folder \"%1\" is not a folder").arg(outDir));
        return false;
    }
    m_state.WorkDir = QDir::cleanPath(out.absoluteFilePath());
    return true;
}

int ConsoleFrontEnd::Convert()
{
    if (!FindToolsAndOutput())
        return UsageError;
    WatchSignals();
    // The private temp folder only: the window's start-up would make folders
    // and write settings, which the front end never does.
    StartUp::UsePrivateTempFolder(m_state);
    m_state.Jobs = m_options.jobs > 0 ? m_options.jobs : StartUp::StoredJobs();

    bool allQueued = true;
    for (const QString& path : std::as_const(m_options.paths))
        allQueued = Queue(path) && allQueued;

    if (m_queue->count() > 0)
        RunQueue();

    bool allDone = allQueued;
    for (int row = 0; row < m_queue->count(); ++row) {
        if (!m_reported.count(row)) {
            Write(stdout, QStringLiteral("Failed\t%1\t%2\n")
                              .arg(m_queue->path(row), QStringLiteral("The run stopped before this file")));
        }
        allDone = allDone && m_queue->state(row) == RowState::Done;
    }
    return allDone ? AllDone : SomeFailed;
}

bool ConsoleFrontEnd::Queue(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        Complain(QStringLiteral("Cannot find \"%1\": there is no such file or folder.").arg(path));
        return false;
    }
    const QString absolute = QDir::cleanPath(info.absoluteFilePath());
    if (info.isDir())
        return QueueFolder(absolute);

    const int before = m_queue->count();
    RunGuarded([&] { m_actions->AddFlvFile(absolute); });
    return m_queue->count() > before;
}

bool ConsoleFrontEnd::QueueFolder(const QString& folder)
{
    // Add Folder stops at the first file it cannot measure; the files it
    // would have queued tell whether it got through.
    m_finder->Files.clear();
    m_finder->Directory = folder;
    m_finder->Execute();
    const qsizetype found = m_finder->Files.size();
    if (found == 0) {
        Complain(QStringLiteral("There is no FLV file in the folder \"%1\".").arg(folder));
        return false;
    }
    const int before = m_queue->count();
    RunGuarded([&] { m_actions->AddFolder(folder); });
    return m_queue->count() - before == found;
}

void ConsoleFrontEnd::RunQueue()
{
    m_run = std::make_unique<ConversionRun>(m_state, *m_queue);
    QEventLoop loop;
    bool ended = false;
    connect(m_run.get(), &ConversionRun::rowStarted, this, [this](int row) {
        // Each row keeps the name its finished file takes.
        m_outputs[row] = m_queue->output(row);
        m_converting.append(row);
        ShowProgress();
    });
    connect(m_run.get(), &ConversionRun::rowFinished, this, [this](int row) {
        m_converting.removeAll(row);
        ReportRow(row);
        ShowProgress();
    });
    connect(m_run.get(), &ConversionRun::runEnded, &loop, [&] {
        ended = true;
        loop.quit();
    });
    connect(m_queue, &QueueModel::dataChanged, this, [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
        for (const int row : std::as_const(m_converting)) {
            if (row >= topLeft.row() && row <= bottomRight.row()) {
                ShowProgress();
                return;
            }
        }
    });

    RunGuarded([&] { m_run->Begin(m_options.profile); });
    if (!ended)
        loop.exec();
    ClearProgress();
}

void ConsoleFrontEnd::ReportRow(int row)
{
    ClearProgress();
    m_reported.insert(row);
    const QString source = m_queue->path(row);
    if (m_queue->state(row) == RowState::Done) {
        const auto output = m_outputs.find(row);
        Write(stdout, QStringLiteral("Done\t%1\t%2\n").arg(source, output != m_outputs.end() ? output->second : QString()));
    } else {
        Write(stdout, QStringLiteral("Failed\t%1\t%2\n").arg(source, Reason(m_queue->failureDetail(row))));
    }
}

void ConsoleFrontEnd::ShowProgress()
{
    if (!m_progressWanted)
        return;
    // Every file converting now, in the order they started. A row just started
    // still says "Pending"; a finished one is reported by its own line.
    QStringList parts;
    for (const int row : std::as_const(m_converting)) {
        const RowState state = m_queue->state(row);
        if (state != RowState::Pending && state != RowState::Converting)
            continue;
        const QString progress = state == RowState::Pending ? RowStateText(RowState::Converting, 0) : m_queue->progress(row);
        parts << QStringLiteral("%1  %2").arg(QFileInfo(m_queue->path(row)).fileName(), progress);
    }
    if (parts.isEmpty()) {
        ClearProgress();
        return;
    }
    const QString line = parts.join(QStringLiteral("   "));
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

void ConsoleFrontEnd::WatchSignals()
{
    if (::pipe2(s_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_signals = new QSocketNotifier(s_signalPipe[0], QSocketNotifier::Read, this);
    connect(m_signals, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        if (::read(s_signalPipe[0], &byte, 1) == 1)
            Interrupted(byte);
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

void ConsoleFrontEnd::Interrupted(int signalNumber)
{
    ClearProgress();
    for (const int row : std::as_const(m_converting))
        Complain(QStringLiteral("Stopped by %1; the conversion of \"%2\" did not finish.")
                     .arg(SignalName(signalNumber), m_queue->path(row)));
    if (m_converting.isEmpty())
        Complain(QStringLiteral("Stopped by %1.").arg(SignalName(signalNumber)));
    // Ending the run ends its ffmpeg, waits for it and removes its unfinished
    // file; the stopped file was never finished, so it gets no line of its own.
    if (m_run)
        m_run->disconnect(this);
    m_run.reset();
    ExitCleanup::RemoveProbeFiles();
    std::fflush(stdout);
    // Ended by the signal itself, so a calling shell or xargs sees why.
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
    std::_Exit(128 + signalNumber);
}
