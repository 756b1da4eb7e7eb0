#pragma once

#include "model/RowState.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

class ParallelProbe;
class QueueModel;
class TFindFile;
struct ProbeOutcome;
struct Settings;
struct Tools;

// What a click in the queue list does, by the column under the pointer.
enum class QueueClick { Nothing, RemoveRow, OpenOutputFolder, OpenSource };

// What a row's menu may do to the row.
enum class RowAction { Stop, TryAgain, Remove, OpenFolder };

// The conversion queue's actions on the settings and the queue's rows. Every user action but Try again and Open Folder
// does nothing while a conversion runs, so no row moves under a running conversion. Errors that end an action (a time
// mediainfo gave that is not valid, a tool that is missing, a file that cannot be written) leave as exceptions for the
// handler's boundary.
class QueueActions : public QObject
{
    Q_OBJECT

public:
    QueueActions(Settings& settings, const Tools& tools, QueueModel& queue, TFindFile& finder,
                 QObject* parent = nullptr);

    // Whether a conversion runs; never, until set.
    void setBusyCheck(std::function<bool()> busy) { m_busy = std::move(busy); }

    // Probes one file and queues it. Measuring goes on in the background;
    // while another add is measured, this one waits and follows it.
    void AddFlvFile(const QString& path);
    // Probes and queues every FLV file directly inside the folder, in the
    // finder's order, stopping at the first that cannot be measured. Up to the
    // settings' jobs() files are probed side by side, with the same rows and
    // messages as one at a time. Waits behind an add being measured.
    void AddFolder(const QString& folder);
    // Queues files and folders named from outside the window (the command
    // line, a later copy), each as Add FLV File or Add Folder would, in the
    // order given, after any add waiting. Unlike the buttons this works while
    // a conversion runs: the run takes the new rows in turn. Errors are
    // reported per path through RunGuarded, so one failing path never drops the rest.
    void QueueIncoming(const QStringList& paths);
    // Ends the measuring at once (its probes ended, their files removed) and
    // drops the adds waiting; the rows already queued stay.
    void StopMeasuring();

    // Makes the chosen folder the output folder and stores it; a settings file
    // that cannot take it is reported once a session, and the folder is still
    // used until the program ends.
    void SetOutputFolder(const QString& folder);
    // The Delete key in the list; row is the selected row, -1 for none.
    void KeyDown(int key, int row);
    // A click in the list at x (client coordinates) with row selected; widths
    // are the current widths of columns 0 to 3.
    void Click(int row, int x, const std::array<int, 4>& widths);

    // A row's menu: Remove takes a "Pending", "Done" or "Failed" row out of
    // the list, Try again sets a "Failed" row back to "Pending" (a running
    // conversion takes it, else the next press), Open Folder opens the folder
    // of a "Done" row's file. Stop belongs to the conversion.
    void Remove(int row);
    void TryAgain(int row);
    void OpenOutputFolder(int row);
    // Whether the row's menu offers the action: converting says the row's
    // conversion runs (it reads "Pending" until ffmpeg first reports), busy
    // that any does.
    static bool Offers(RowAction action, RowState state, bool converting, bool busy);

    // True from an add's start until its last file is queued or it stops,
    // and while adds wait to follow it.
    bool isAdding() const { return m_probe != nullptr || !m_waiting.isEmpty(); }

    // Queues a file measured: its row's duration is mediainfo's answer in
    // whole seconds, plus one. Throws EConvertError for an answer that is not a time.
    static void AppendMeasured(QueueModel& queue, const QString& path, const QString& answer);

    static QueueClick HitTest(int x, const std::array<int, 4>& widths, RowState state);

    static const QString BadFileText;
    // The message of Add Folder for a file without an answer.
    static QString BadFolderFileText(const QString& path);

signals:
    // The measuring's progress: `measured` files of `total` have their
    // answer; total 0 when nothing is measured any more.
    void measuringChanged(int measured, int total);
    // The single file added last (shown in Edit1).
    void fileChosen(const QString& path);
    // The folder added last (shown in Edit2).
    void folderChosen(const QString& folder);
    // The output folder just chosen (shown in Edit4 and Edit3), stored when
    // the settings file could take it.
    void outputFolderStored(const QString& folder);

private:
    enum class Kind { File, Folder, Given };
    struct Add
    {
        QString path;
        Kind kind = Kind::File;
    };

    void append(const QString& path, const QString& answer);
    void startNext();
    void startFile(const QString& path);
    void startFolder(const QString& folder);
    void measure(const QStringList& files, int jobs);
    void answered(int index, const ProbeOutcome& outcome);
    void endMeasuring();

    bool busy() const { return m_busy && m_busy(); }

    Settings& m_settings;
    const Tools& m_tools;
    std::function<bool()> m_busy;
    QueueModel& m_queue;
    TFindFile& m_finder;
    QList<Add> m_waiting;
    ParallelProbe* m_probe = nullptr; // the add being measured; owned as a child
    QStringList m_measured;           // its files
    bool m_measuringFolder = false;
};
