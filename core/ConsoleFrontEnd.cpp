#include "core/ConsoleFrontEnd.h"

#include "core/ExitCleanup.h"
#include "core/OutputReaderWatch.h"
#include "core/SignalWatcher.h"
#include "core/StartUp.h"
#include "platform/Error.h"
#include "platform/Folders.h"
#include "platform/NativePath.h"
#include "platform/Prompt.h"
#include "platform/SourceFile.h"
#include "platform/UnfinishedFile.h"
#include "queue/DurationProbe.h"

#include <QDir>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

ConsoleFrontEnd::ConsoleFrontEnd(ConsoleOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options)), m_session(this), m_queue(m_session.queue()), m_progress(m_queue),
      m_report(m_queue, m_progress, [this](int error) {
          // A reader that went away (`| head`) ends the program as its signal does.
          if (error == EPIPE)
              Interrupted(SIGPIPE);
          CannotWriteOutput(error);
      })
{ }

ConsoleFrontEnd::~ConsoleFrontEnd()
{
    EndWork();
}

int ConsoleFrontEnd::exec()
{
    switch (m_options.action) {
    case ConsoleOptions::Action::Help:
        return ConsoleReport::Write(stdout, ConsoleOptions::UsageText()) ? AllDone : SomeFailed;
    case ConsoleOptions::Action::Version:
        return ConsoleReport::Write(stdout, ConsoleOptions::VersionText()) ? AllDone : SomeFailed;
    case ConsoleOptions::Action::UsageError: return Usage(m_options.error);
    case ConsoleOptions::Action::Convert: break;
    }
    // Every message goes to standard error from here on; no dialog can open.
    Prompt::setConsole(true);
    return Convert();
}

int ConsoleFrontEnd::Usage(const QString& why)
{
    ConsoleReport::Write(stderr, QStringLiteral("vantrel: %1\n").arg(why));
    ConsoleReport::Write(stderr, ConsoleOptions::TryHelpText());
    return UsageError;
}

int ConsoleFrontEnd::Refuse(const QString& why)
{
    // Not the command line's fault: the help would not mend it.
    ConsoleReport::Write(stderr, QStringLiteral("vantrel: %1\n").arg(why));
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
            ConsoleReport::Write(
                stderr, QCoreApplication::translate("ConsoleFrontEnd", "vantrel: %1 Its settings are not used.\n")
                            .arg(trouble));
    }
    QString outDir = m_options.outDir.isEmpty() ? StartUp::StoredWorkDir() : m_options.outDir;
    const bool windowsDefault = outDir.isEmpty();
    if (windowsDefault) {
        // The window's default, made as the window makes it; settings stay untouched.
        outDir = QDir::cleanPath(StartUp::DefaultWorkDir());
        if (!Folders::CreateFolderOneLevel(outDir) && errno != EEXIST) {
            const int error = errno;
            Usage(QCoreApplication::translate("ConsoleFrontEnd", "cannot make the output folder \"%1\": %2")
                      .arg(outDir, QString::fromLocal8Bit(std::strerror(error))));
            return false;
        }
    }
    const QString absolute = NativePath::Absolute(outDir);
    if (!FileIdentity::Reached(absolute).exists) {
        Usage(QCoreApplication::translate("ConsoleFrontEnd", "the output folder \"%1\" does not exist")
                  .arg(ConsoleReport::LineField(outDir)));
        return false;
    }
    if (!NativePath::IsFolder(absolute)) {
        Usage(QCoreApplication::translate("ConsoleFrontEnd", "the output folder \"%1\" is not a folder")
                  .arg(ConsoleReport::LineField(outDir)));
        return false;
    }
    m_session.settings().WorkDir = absolute;
    if (windowsDefault)
        ConsoleReport::Write(
            stderr, QCoreApplication::translate(
                        "ConsoleFrontEnd", "vantrel: no --outdir and no stored output folder: converting into \"%1\"\n")
                        .arg(ConsoleReport::LineField(absolute)));
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
    m_progress.Clear();
    // A run that stopped early leaves files unmeasured or unconverted.
    const QStringList unaccounted = m_session.actions().unaccounted();
    m_session.End();
    const bool allDone = m_report.Close(unaccounted, QCoreApplication::translate("ConsoleFrontEnd",
                                                                                 "The run stopped before this file"))
                         && m_allNamed;
    m_finished = true;
    m_exitCode = allDone ? AllDone : SomeFailed;
    QCoreApplication::exit(m_exitCode);
}

void ConsoleFrontEnd::Accounted(const AddOutcome& outcome)
{
    if (outcome.folder) {
        // A folder gives its files their lines; one that gave none is no file of its own.
        m_report.Complain(outcome.path, outcome.reason);
        m_allNamed = false;
    } else if (outcome.queued()) {
        m_report.Queued(outcome.path, outcome.id);
    } else {
        m_report.NotQueued(outcome.path, outcome.reason);
    }
}

void ConsoleFrontEnd::BindRun()
{
    ConversionRun& run = m_session.run();
    connect(&run, &ConversionRun::rowStarted, this, [this](quint64 id) {
        m_progress.Started(id);
        m_progress.Show();
    });
    connect(&run, &ConversionRun::rowFinished, this, [this](quint64 id) {
        m_progress.Finished(id);
        m_report.RowEnded(id);
        m_progress.Show();
    });
    connect(&run, &ConversionRun::runEnded, this, &ConsoleFrontEnd::Finish);
    connect(&m_session.timeLeft(), &RunTimeLeft::updated, this, [this] {
        m_progress.setTail(m_session.timeLeft().text());
        m_progress.Show();
    });
    connect(&run, &ConversionRun::failed, this, [this](const QString& text) { m_report.Say(WithFullStop(text)); });
    connect(&m_queue, &QueueModel::dataChanged, this,
            [this](const QModelIndex& topLeft, const QModelIndex& bottomRight) {
                if (m_progress.ConvertsIn(topLeft.row(), bottomRight.row()))
                    m_progress.Show();
            });
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
    m_progress.Clear();
    if (signalNumber == SIGPIPE) {
        // No one reads the lines any more: nothing more is said, and nothing more written.
        EndWork();
        SignalWatcher::EndBy(signalNumber);
    }
    // The files not measured yet are known only to the measuring, which ends with the work.
    const QStringList unaccounted = m_session.actions().unaccounted();
    EndWork();
    const QString name = SignalWatcher::Name(signalNumber);
    if (!m_report.Stop(unaccounted, name))
        ConsoleReport::Write(stderr,
                             QCoreApplication::translate("ConsoleFrontEnd", "vantrel: Stopped by %1.\n").arg(name));
    SignalWatcher::EndBy(signalNumber);
}

void ConsoleFrontEnd::CannotWriteOutput(int error)
{
    m_progress.Clear();
    ConsoleReport::Write(
        stderr, QCoreApplication::translate("ConsoleFrontEnd", "vantrel: cannot write to standard output: %1\n")
                    .arg(QString::fromLocal8Bit(std::strerror(error))));
    EndWork();
    std::_Exit(SomeFailed);
}
