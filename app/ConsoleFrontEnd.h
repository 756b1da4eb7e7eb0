#pragma once

#include "app/ConsoleOptions.h"
#include "model/MainState.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <map>
#include <memory>
#include <vector>

class ConversionRun;
class ParallelProbe;
class QueueModel;
class TFindFile;

// The program without a window: measures every FLV file its paths name,
// converts those it could queue with one profile and gives each file exactly
// one line on standard output. Unlike Add Folder in the window, a file that
// cannot be queued does not stop its folder. It never touches a widget or the
// window system, never contacts a running window and writes no setting.
class ConsoleFrontEnd : public QObject
{
    Q_OBJECT

public:
    enum ExitCode { AllDone = 0, SomeFailed = 1, UsageError = 2 };

    explicit ConsoleFrontEnd(ConsoleOptions options, QObject* parent = nullptr);
    ~ConsoleFrontEnd() override;

    // Does what the options ask, with a running application object; returns
    // the program's exit code.
    int exec();

    // A field of a line on standard output: tab, newline and backslash escaped.
    static QString LineField(const QString& text);
    // The progress line's parts ("name  N% Done") in `width` columns at most:
    // names cut with "…", parts that cannot fit left out.
    static QString FitProgress(const QList<QPair<QString, QString>>& parts, int width);

private:
    // One file named on the command line, alone or by its folder.
    struct Source
    {
        QString path;
        int row = -1;     // its queue row; -1 when it could not be queued
        QString reason;   // why it could not be queued
        bool reported = false;
    };

    int Convert();
    int Usage(const QString& why);
    // False when a usage error was reported.
    bool FindToolsAndOutput();
    // Adds the files a path names; false when it names none.
    bool Collect(const QString& path);
    void AddSource(const QString& path);
    void NotQueued(Source& source, const QString& reason);
    // Measures every file not refused yet and queues those with a playing time.
    void QueueSources();
    // Converts every row; returns when the run has ended.
    void RunQueue();
    void ReportRow(int row);
    // The lines of files that could not be queued, once the files before them have theirs.
    void ReportInOrder();
    // One line on standard output; one that cannot be written ends the program.
    void Print(const QString& line);
    // The terminal's progress line: each converting file and its percentage.
    void ShowProgress();
    void ClearProgress();
    // Ends the probes and conversions running and removes their files.
    void EndWork();
    [[noreturn]] void Interrupted(int signalNumber);
    [[noreturn]] void CannotWriteOutput(int error);

    ConsoleOptions m_options;
    MainState m_state;
    QueueModel* m_queue = nullptr;     // owned as a child
    TFindFile* m_finder = nullptr;     // owned as a child
    std::unique_ptr<ConversionRun> m_run;
    ParallelProbe* m_probe = nullptr; // while files are measured; owned by QueueSources
    std::vector<Source> m_sources;     // in the order named
    QSet<QString> m_named;             // each source's file, to take it once
    std::map<int, size_t> m_sourceOfRow;
    size_t m_nextInOrder = 0;          // the first source that may still wait for its line
    QList<int> m_converting;           // the rows whose ffmpeg runs, in the order they started
    bool m_progressShown = false;
    QString m_progressLine; // what the progress line shows
    bool m_progressWanted = false;
};
