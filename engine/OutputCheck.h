#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class ChildProcess;
struct ChildEnd;

// Reads a finished conversion with mediainfo before it may count as done:
// a file that is not AVI, holds no stream, is cut off before the end its
// header claims, or plays less than half of a source of two seconds or more is
// refused; less than nine tenths is kept with a warning. mediainfo runs as a
// child process; judged() reports the verdict once, unless stop() came first.
class OutputCheck : public QObject
{
    Q_OBJECT

public:
    enum class Verdict { Good, Short, Refused };
    struct Result
    {
        Verdict verdict = Verdict::Refused;
        QString text; // why it was refused, or the warning for a short one; empty when good
        // Not read: mediainfo could not start for want of descriptors, processes
        // or memory. The file is to be checked again once a place frees.
        bool unread = false;
    };

    // mediaInfo is the mediainfo found on PATH, empty when missing.
    explicit OutputCheck(QString mediaInfo, QObject* parent = nullptr);
    ~OutputCheck() override; // a running mediainfo is ended

    // Reads file; sourceMs is the source's measured duration, -1 when not known.
    void start(const QString& file, qint64 sourceMs);
    // Ends a running mediainfo; no verdict follows.
    void stop();

    // mediainfo's arguments: one line "format|duration ms|videos|audios|truncated".
    static QStringList Arguments(const QString& file);
    // The verdict on that line for a source of sourceMs.
    static Result Judge(const QString& answer, qint64 sourceMs);

signals:
    void judged(const OutputCheck::Result& result);

private:
    void ended(const ChildEnd& end);

    QString m_mediaInfo;
    qint64 m_sourceMs = -1;
    QByteArray m_answer;
    QPointer<ChildProcess> m_child; // owned as a child of the check
};
