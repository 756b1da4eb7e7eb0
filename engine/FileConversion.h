#pragma once

#include "engine/ConversionOutcome.h"
#include "engine/advantmr.h"
#include "platform/SourceFile.h"
#include "platform/UnfinishedFile.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>
#include <utility>

class OutputCheck;
class ProgressMonitor;
class QueueModel;
struct FfmpegEnd;

// One file of an attempt: the source opened when its row started, the
// unfinished file ffmpeg writes beside its output, the row's timer and the
// share converted it shows, and, once ffmpeg has ended well, the check of the
// file it wrote. It knows its row by the row's id, so rows removed or added
// around it never make it mark another.
class FileConversion : public QObject
{
    Q_OBJECT

public:
    // Opens the row's source and an unfinished file beside target; throws
    // ESystemError when either cannot be had.
    FileConversion(QueueModel& queue, int row, const QString& target, const FileIdentity& before, QObject* parent);
    ~FileConversion() override;

    quint64 id() const { return m_id; }
    // The file's row now; -1 when the row was removed.
    int row() const;
    QString source() const { return m_source; }
    QString target() const { return m_target; }
    void setTarget(const QString& target) { m_target = target; }
    const FileIdentity& before() const { return m_before; }
    UnfinishedFile& output() { return *m_output; }
    // Where the unfinished file can be read.
    QString partial() const { return m_partial; }
    // What its ffmpeg reads and writes: paths by which a child reaches the
    // source and the unfinished file, and the descriptors it must keep for them.
    QString sourceForChild() const { return m_sourceForChild; }
    QString outputForChild() const { return m_outputForChild; }
    QList<int> descriptors() const { return {m_output->descriptor(), m_input->descriptor()}; }
    int sourceDescriptor() const { return m_input->descriptor(); }

    // The row's timer begins to tick, calling tick.
    void StartTimer(const TNotifyEvent& tick);
    bool ticksWith(const QObject* timer) const { return m_timer && m_timer == timer; }
    void ShowProgress(const ProgressMonitor& progress);

    // Why its ended ffmpeg gave no usable file, with ffmpeg's last lines and
    // the file's names where ffmpeg knew only descriptors; empty when it gave
    // one, and the check of the file has begun: judged() tells its verdict.
    QString Check(const FfmpegEnd& end);

    // Ends its check and its timer, and removes the unfinished file unless it was published.
    void Release();

signals:
    // What the check found in the file ffmpeg wrote: Done or Failed.
    void judged(const ConversionOutcome& outcome);

private:
    QString Named(QString text) const;

    QueueModel& m_queue;
    quint64 m_id = 0;
    qint64 m_seconds = 0; // the probed duration
    QString m_source;     // the source's path, as reasons name it
    QString m_target;     // the output's name once finished
    FileIdentity m_before;
    std::unique_ptr<SourceFile> m_input;      // what ffmpeg reads, opened when the row started
    std::unique_ptr<UnfinishedFile> m_output; // what ffmpeg writes until then
    QString m_partial;
    QString m_sourceForChild, m_outputForChild; // "/dev/fd/N", as ffmpeg names them
    QPointer<TAdvancedTimer> m_timer;
    QPointer<OutputCheck> m_check;
    int m_shown = -1; // the percentage the row shows; -1 none yet
};
