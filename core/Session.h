#pragma once

#include "core/RunTimeLeft.h"
#include "engine/ConversionRun.h"
#include "model/QueueModel.h"
#include "model/Settings.h"
#include "model/Tools.h"
#include "queue/FindFile.h"
#include "queue/QueueActions.h"

#include <QObject>

// One use of the program: its settings, the tools it found, the queue, the
// measuring of files and the conversion run, wired together the same way for
// the window and for the front end, which only present it. Both add files
// through actions(), the one account of what each add queued and why a file
// was not. A run that has begun takes the rows measured after it began, and
// ends only when no file is being measured any more.
class Session : public QObject
{
    Q_OBJECT

public:
    explicit Session(QObject* parent = nullptr);
    ~Session() override; // as End()

    // The window's start-up: defaults stored, folders made, the stored output
    // folder taken (and returned, empty when none), tools found.
    QString StartWithSettings();
    // The front end's: the private temp folder and the tools only; nothing is
    // written. jobs 0 takes the stored number.
    void StartWithoutStoring(int jobs);

    Settings& settings() { return m_settings; }
    Tools& tools() { return m_tools; }
    QueueModel& queue() { return m_queue; }
    TFindFile& finder() { return m_finder; }
    QueueActions& actions() { return m_actions; }
    ConversionRun& run() { return m_run; }
    // The run's time left and each converting file's.
    RunTimeLeft& timeLeft() { return m_timeLeft; }
    // A conversion runs.
    bool busy() const { return m_run.busy(); }
    // Files are being measured, or adds wait to be.
    bool measuring() const { return m_actions.isAdding(); }

    // Ends the measuring (its probes ended, their files removed) and every
    // conversion (its ffmpeg ended, its unfinished file removed).
    void End();

private:
    void TellRunOfMeasuring(int measured, int total);

    Settings m_settings;
    Tools m_tools;
    QueueModel m_queue;
    TFindFile m_finder;
    QueueActions m_actions;
    ConversionRun m_run; // it goes before what it works on
    RunTimeLeft m_timeLeft;
};
