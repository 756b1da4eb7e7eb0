#pragma once

#include "core/ConsoleOptions.h"
#include "core/Session.h"

#include <QList>
#include <QObject>
#include <QString>

#include <map>
#include <memory>
#include <vector>

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

    // A field of a line on standard output: tab, newline and backslash
    // escaped, and a byte of a name that is not UTF-8 written as "\xE9".
    static QString LineField(const QString& text);
    // The progress line's parts ("name  N% Done") in `width` terminal columns
    // at most: names cut between whole characters with "…", parts that cannot
    // fit left out.
    static QString FitProgress(const QList<QPair<QString, QString>>& parts, int width);

private:
    // One file named on the command line, alone or by its folder.
    struct Source
    {
        QString path;
        quint64 id = 0; // its queue row's; 0 when it could not be queued
        bool reported = false;
    };

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
    // The source's Failed line; standard error gets `told`, the reason and more, when given.
    void Fail(Source& source, const QString& reason, const QString& told = {});
    void BindRun();
    void ReportRow(quint64 id);
    // One line on standard output; one that cannot be written ends the program.
    void Print(const QString& line);
    // The terminal's progress line: each converting file and its percentage.
    void ShowProgress();
    void ClearProgress();
    // Ends the probes and conversions running and removes their files.
    void EndWork();
    // Ends the work and the program by the signal; with SIGPIPE without a word,
    // else with a Failed line for every file that has none.
    [[noreturn]] void Interrupted(int signalNumber);
    [[noreturn]] void CannotWriteOutput(int error);

    ConsoleOptions m_options;
    Session m_session;
    QueueModel& m_queue;
    std::vector<Source> m_sources; // in the order named
    std::map<quint64, size_t> m_sourceOfId;
    QList<quint64> m_converting; // the rows whose ffmpeg runs, by id, in the order they started
    bool m_progressShown = false;
    QString m_progressLine; // what the progress line shows
    bool m_progressWanted = false;
    bool m_allNamed = true; // every path named at least one file
    bool m_finished = false;
    int m_exitCode = AllDone;
};
