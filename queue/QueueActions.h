#pragma once

#include "queue/FlvTimeline.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

class ParallelProbe;
class QueueModel;
class TFindFile;
struct ProbeOutcome;
struct Settings;
struct Tools;

// What became of one path an add named: a file queued as the row with `id`, a
// file not queued for `reason`, or a folder that gave no file, for `reason`.
struct AddOutcome
{
    QString path;
    quint64 id = 0; // the row's; 0 when not queued
    QString reason;
    bool folder = false;

    bool queued() const { return id != 0; }
};

// The one account of every add, for the window and the front end alike, and the output folder setting. Add FLV
// File, Add Folder and the output folder do nothing while a conversion runs.
//
// Each file an add names is measured, up to the settings' jobs() side by side, and queued when it has a playing time;
// one that has none, or cannot be measured at all, is passed over with the reason and the add goes on. Every file and
// every folder that gave none is accounted for, in the order named. Nothing here shows a message: outcomes and errors
// are signalled or returned, and the face presents them.
class QueueActions : public QObject
{
    Q_OBJECT

public:
    QueueActions(Settings& settings, const Tools& tools, QueueModel& queue, TFindFile& finder,
                 QObject* parent = nullptr);

    // Whether a conversion runs; never, until set.
    void setBusyCheck(std::function<bool()> busy) { m_busy = std::move(busy); }
    // A file named again, alone or by its folder, is passed over without an
    // outcome: the front end converts a source named twice once. Off for the window.
    void setEachFileOnce(bool once) { m_eachFileOnce = once; }

    // Measures one file and queues it. Measuring goes on in the background;
    // while another add is measured, this one waits and follows it.
    void AddFlvFile(const QString& path);
    // Measures and queues every FLV file directly inside the folder, in the
    // finder's order. Waits behind an add being measured.
    void AddFolder(const QString& folder);
    // Queues files and folders named from outside the window (the command
    // line, a later copy, the front end) as one add, each as Add FLV File or
    // Add Folder would, in the order given, after any add waiting. Unlike the
    // buttons this works while a conversion runs: the run takes the new rows in turn.
    void QueueIncoming(const QStringList& paths);
    // Ends the measuring at once (its probes ended, their files removed) and
    // drops the adds waiting; the rows already queued stay.
    void StopMeasuring();
    // The files of the add being measured that have no outcome yet, then
    // those of the adds waiting, in order; a path not expanded yet stands for
    // its files.
    QStringList unaccounted() const;

    // Makes the chosen folder the output folder and stores it; a settings file
    // that cannot take it is told once a session (the text returned, else
    // empty), and the folder is still used until the program ends.
    QString SetOutputFolder(const QString& folder);

    // True from an add's start until its last file is accounted for or it
    // stops, and while adds wait to follow it.
    bool isAdding() const { return m_probe != nullptr || !m_waiting.isEmpty() || !m_expanding.isEmpty(); }

    // Queues a file measured: its row's duration is what it plays, by
    // mediainfo's answer and the file's own timestamps, in whole seconds, plus
    // one. Throws EConvertError for an answer that is not a time. Returns the row's id.
    static quint64 AppendMeasured(QueueModel& queue, const QString& path, const QString& answer,
                                  const FlvTimeline& timeline = {});
    // Why the file cannot be measured, as the front end words it; empty when it can be.
    static QString WhyNotMeasurable(const QString& path);
    // The reason of a file mediainfo finds no playing time in.
    static QString NoPlayingTimeText();
    // The reason of a folder without FLV files.
    static QString NoFlvFileText();

signals:
    // Files or folders from outside wait behind the add being measured.
    void waitingAdded();
    // The measuring's progress: `measured` files of `total` have their
    // answer; total 0 when nothing is measured any more.
    void measuringChanged(int measured, int total);
    // Each file and each folder without files, in the order named, once it is
    // queued or passed over.
    void accounted(const AddOutcome& outcome);
    // The adds have ended and nothing waits: these files, and folders that
    // cannot be read, were not queued since the last time this was said.
    // Folders that merely hold no FLV file are not among them.
    void addsEnded(const QList<AddOutcome>& notQueued);
    // The single file added last (shown in Edit1).
    void fileChosen(const QString& path);
    // The folder added last (shown in Edit2).
    void folderChosen(const QString& folder);
    // The output folder just chosen (shown in Edit4 and Edit3), stored when
    // the settings file could take it.
    void outputFolderStored(const QString& folder);

private:
    enum class Kind { File, Folder, Given };
    struct Named
    {
        QString path;
        Kind kind = Kind::File;
    };
    // One file or folder of the add being measured, until it is accounted for.
    struct Entry
    {
        AddOutcome outcome;
        bool measured = false; // waits for the probe's answer
        bool answered = false;
        bool chosen = false; // a single file added: shown in Edit1 once queued
    };

    void startNext();
    // Expands a slice of the add's paths into entries; false while paths are
    // left, which a later turn of the event loop takes, so a list of any
    // length never holds the window.
    bool expandSome();
    // Measures the add's entries, or tells them all when none is to be measured.
    void measureEntries();
    void expand(const Named& named);
    void expandFolder(const QString& folder);
    void enter(const QString& path, bool chosen);
    void answered(int index, const ProbeOutcome& outcome);
    // Tells every entry whose turn has come, in order.
    void account();
    void endMeasuring();

    bool busy() const { return m_busy && m_busy(); }

    Settings& m_settings;
    const Tools& m_tools;
    std::function<bool()> m_busy;
    QueueModel& m_queue;
    TFindFile& m_finder;
    QList<QList<Named>> m_waiting;
    QList<Named> m_expanding; // the add's paths while they are being expanded
    qsizetype m_expandAt = 0;
    quint64 m_generation = 0;         // a new add or a stop makes a pending slice stale
    ParallelProbe* m_probe = nullptr; // the add being measured; owned as a child
    std::vector<Entry> m_entries;     // the add's files and folders, in order
    std::vector<size_t> m_entryOfProbe;
    size_t m_nextToAccount = 0;
    QList<AddOutcome> m_notQueued; // since the adds last ended
    QSet<QString> m_named;         // every file named, with setEachFileOnce()
    bool m_eachFileOnce = false;
};
