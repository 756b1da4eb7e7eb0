#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QtGlobal>

#include <functional>

class QueueModel;

// Which "Pending" row a run starts next, and how many threads its encoder
// gets, so that no core idles while files are left: one file at a time goes
// top to bottom; side by side the longest goes first, so that a long file
// queued last does not run alone at the end, and short files share an
// ffmpeg, as much of their cost is its start. The rows' order in the queue
// never changes. A start that fails for want of descriptors, processes or
// memory leaves its row "Pending" until a place is freed, or for a while.
class RunSchedule
{
public:
    explicit RunSchedule(int cores);

    // The row to start next among the queue's "Pending" rows that isRunning()
    // does not claim (by row id); -1 when there is none.
    int NextRow(const QueueModel& queue, const std::function<bool(quint64 id)>& isRunning, int jobs) const;

    // How a file is started.
    struct Plan
    {
        int threads = 1;       // the encoder's, when one ffmpeg does it all
        int threadsBeside = 0; // the video encoder's, when the sound is encoded beside it; 0: it is not
    };
    // The plan for a file lengthMs long that converts while alongside files
    // (itself included) do. Cores are shared out among them: one encoder
    // thread each once there are as many files as cores, as their threads
    // would only wait on each other. A file long enough with a core to
    // spare has its sound encoded beside its picture, as ffmpeg's pipeline
    // runs on one thread and the encoder's threads alone leave that core idle.
    Plan PlanFor(int alongside, qint64 lengthMs) const;
    // How many files convert at once when the next starts: running ones,
    // the next, those waiting and those coming, up to jobs.
    int Alongside(const QueueModel& queue, const std::function<bool(quint64 id)>& isRunning, int running, int jobs,
                  int coming) const;

    // The row's length as measured, or as the progress counts it when that is all there is.
    static qint64 LengthMs(const QueueModel& queue, int row);

    // Below this a second ffmpeg costs more than it saves.
    static constexpr qint64 SoundBesideFromMs = 10000;

    // Files share one ffmpeg only when converting one costs about what
    // starting an ffmpeg does (about 80 ms of a core here, the work of 0.9
    // million pixels a second: 1.6 s of 320x240 shares, 2 s of 1080p does
    // not), shorter than ShareBelowMs, up to ShareUpTo files, ShareUpToMs
    // and one 1080p frame's pixels in all, so that a group holds no more
    // frames in memory than one ffmpeg of a large file. A file of no known
    // frame size or length converts alone.
    static constexpr qint64 SharePixelMsUpTo = 900'000'000;
    static constexpr qint64 ShareBelowMs = 30000;
    static constexpr qint64 ShareUpToMs = 60000;
    static constexpr qint64 ShareUpToPixels = 1920 * 1080;
    static constexpr int ShareUpTo = 8;
    static bool MayShare(qint64 lengthMs, qint64 framePixels);
    // The files one ffmpeg is to convert so far.
    struct Group
    {
        int files = 0;
        qint64 ms = 0;
        qint64 pixels = 0;
    };
    // Whether a file that may share joins group, the files together within budgetMs.
    static bool Joins(const Group& group, qint64 lengthMs, qint64 framePixels, qint64 budgetMs);
    // How long the files one ffmpeg converts may be in all when waitingMs of
    // files are left for jobs side by side: a share of them that keeps every
    // place busy to the end. One file at a time keeps one file to an ffmpeg.
    static qint64 ShareBudgetMs(qint64 waitingMs, int jobs);
    // The files "Pending" that isRunning() does not claim, and those coming:
    // how many, and how long in all, those coming counted as long as the
    // others are on average.
    struct Waiting
    {
        int files = 0;
        qint64 ms = 0;
    };
    static Waiting WaitingFiles(const QueueModel& queue, const std::function<bool(quint64 id)>& isRunning, int coming);

    // How long rows wait for a place while none of them runs to free one.
    static constexpr int ShortageGiveUpMs = 60000;
    static constexpr int ShortageRetryMs = 250;

    // A start of source that failed with code for want of resources; false when it failed for another reason.
    bool StarvedOf(int code, const QString& source);
    // A start failed for want of resources, as why says.
    void Starved(const QString& why);
    // Why a start of source failed for want of resources, code being the system's error.
    static QString ShortageText(const QString& source, int code);
    // The last start failed for want of resources, and no place was freed since.
    bool starved() const { return !m_starved.isEmpty(); }
    // Throws why the last start failed once rows have waited too long for a place.
    void GiveUpWhenLong() const;
    // The next start is tried as if none had failed; the wait goes on.
    void TryAgain() { m_starved.clear(); }
    // A running row ended: a place is free again for a row that lacked one.
    void PlaceFreed();

private:
    int m_cores;
    QString m_starved;     // why the last start failed for want of resources
    QElapsedTimer m_short; // running while starts fail for want of resources
};
