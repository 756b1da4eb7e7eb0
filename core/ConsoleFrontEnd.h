#pragma once

#include "core/ConsoleOptions.h"
#include "core/ConsoleReport.h"
#include "core/ProgressLine.h"
#include "core/Session.h"

#include <QObject>
#include <QString>

// The program without a window: measures every FLV file its paths name,
// through the session's one account of adds, converts each with one profile as
// soon as it is measured and a place is free, and gives each file exactly one
// line on standard output. It never touches a widget or the window system,
// never contacts a running window and writes no setting.
class ConsoleFrontEnd : public QObject
{
    Q_OBJECT

public:
    enum ExitCode { AllDone = 0, SomeFailed = 1, UsageError = 2 };

    explicit ConsoleFrontEnd(ConsoleOptions options, QObject* parent = nullptr);
    ~ConsoleFrontEnd() override;

    // Does what the options ask, running the application's event loop as
    // long as files are measured or converted; returns the program's exit code.
    int exec();

private:
    int Convert();
    // Every file has its line: the event loop ends with the exit code.
    void Finish();
    int Usage(const QString& why);
    // A reason to stop that no other command line would mend; exit 2 all the same.
    int Refuse(const QString& why);
    // False when a usage error was reported.
    bool FindToolsAndOutput();
    // A file of the paths queued or passed over, or a folder that gave none.
    void Accounted(const AddOutcome& outcome);
    void BindRun();
    // Ends the probes and conversions running and removes their files.
    void EndWork();
    // Ends the work and the program by the signal; with SIGPIPE without a word,
    // else with a Failed line for every file that has none.
    [[noreturn]] void Interrupted(int signalNumber);
    [[noreturn]] void CannotWriteOutput(int error);

    ConsoleOptions m_options;
    Session m_session;
    QueueModel& m_queue;
    ProgressLine m_progress;
    ConsoleReport m_report;
    bool m_allNamed = true; // every path named at least one file
    bool m_finished = false;
    int m_exitCode = AllDone;
};
