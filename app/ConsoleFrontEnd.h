#pragma once

#include "app/ConsoleOptions.h"
#include "model/MainState.h"

#include <QList>
#include <QObject>
#include <QString>

#include <map>
#include <set>
#include <memory>

class ConversionRun;
class QueueActions;
class QueueModel;
class QSocketNotifier;
class TFindFile;

// The program without a window: queues each path as Add FLV File or Add Folder
// would, converts every row with one profile and reports each finished file on
// standard output. It never touches a widget or the window system, never
// contacts a running window and writes no setting.
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

private:
    int Convert();
    int Usage(const QString& why);
    // False when a usage error was reported.
    bool FindToolsAndOutput();
    // False when the path, or a file of the folder, could not be queued.
    bool Queue(const QString& path);
    bool QueueFolder(const QString& folder);
    // Converts every row; returns when the run has ended.
    void RunQueue();
    void ReportRow(int row);
    // The terminal's progress line: each converting file and its percentage.
    void ShowProgress();
    void ClearProgress();
    void WatchSignals();
    [[noreturn]] void Interrupted(int signalNumber);

    ConsoleOptions m_options;
    MainState m_state;
    QueueModel* m_queue = nullptr;     // owned as a child
    TFindFile* m_finder = nullptr;     // owned as a child
    QueueActions* m_actions = nullptr; // owned as a child
    std::unique_ptr<ConversionRun> m_run;
    std::set<int> m_reported;          // rows whose line is printed
    QList<int> m_converting;           // the rows whose ffmpeg runs, in the order they started
    bool m_progressShown = false;
    QString m_progressLine; // what the progress line shows
    bool m_progressWanted = false;
    QSocketNotifier* m_signals = nullptr; // owned as a child
};
