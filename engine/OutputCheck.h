#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

// Reads a finished conversion with libmediainfo before it may count as done:
// a file that is not AVI, holds no stream, is cut off before the end its
// header claims, or plays less than half of its source is refused; less than
// nine tenths is kept with a warning (one frame and one audio packet allowed).
// The file is read on a thread of its own, so the caller's event loop never
// waits for it; judged() reports the verdict once, unless stop() came first. A
// read that cannot open the file for want of descriptors or memory is tried
// again until it can: the file waits for its check and is never refused for
// it. A read that gives no answer in time is refused, and its late answer ignored.
class OutputCheck : public QObject
{
    Q_OBJECT

public:
    enum class Verdict { Good, Short, Refused };
    struct Result
    {
        Verdict verdict = Verdict::Refused;
        QString text; // why it was refused, or the warning for a short one; empty when good
    };

    // answerMs is how long a read may take before the file is refused.
    explicit OutputCheck(QObject* parent = nullptr, int answerMs = 30000);
    ~OutputCheck() override; // a read still going on is abandoned

    // Reads file; sourceMs is the source's measured duration, -1 when not known.
    void start(const QString& file, qint64 sourceMs);
    // Abandons the read; no verdict follows.
    void stop();

    // What libmediainfo finds in file, as one line
    // "format|duration ms|videos|audios|truncated". Blocks while it reads;
    // throws ESystemError when the file cannot be opened or read.
    static QString Read(const QString& file);
    // The verdict on that line for a source of sourceMs.
    static Result Judge(const QString& answer, qint64 sourceMs);

signals:
    void judged(const OutputCheck::Result& result);

private:
    struct Reading;
    struct Channel;

    void Launch();
    void Answered(const Reading& reading);

    QString m_file;
    qint64 m_sourceMs = -1;
    int m_answerMs;
    std::shared_ptr<Channel> m_channel; // to the read going on; null when none
    QTimer m_deadline;                  // the read's time is up
    QTimer m_retry;                     // a read that lacked descriptors or memory tries again
};
