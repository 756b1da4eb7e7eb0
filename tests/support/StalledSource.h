#pragma once

#include "engine/RunSchedule.h"

#include <QByteArray>
#include <QString>

// An FLV source that ffmpeg reads through a pipe: fed the head of a real file
// and then held open, so a conversion begins its output and waits. The
// program converts only regular files, so the source is one (holding the
// head), and the pipe stands beside it as "NAME.pipe": the ffmpeg of Ffmpeg()
// reads the pipe instead.
class StalledSource
{
public:
    explicit StalledSource(const QString& path);

    // An ffmpeg (the real one, written as a script into folder) that reads a
    // stalled source's pipe where it is given the source's descriptor.
    static QString Ffmpeg(const QString& folder);
    // The seconds a test queues a stalled source as: too short for its sound
    // to be encoded by a second ffmpeg, as the pipe has room for one reader.
    static constexpr int QueuedSeconds = RunSchedule::SoundBesideFromMs / 1000 - 1;
    ~StalledSource(); // a reader still waiting gets its end of file and ends
    StalledSource(const StalledSource&) = delete;
    StalledSource& operator=(const StalledSource&) = delete;

    bool made() const { return m_made; }
    // Writes once a reader has the pipe open (an open for writing fails till then).
    bool feed(const QByteArray& bytes);
    void close();

    // Most of a real file's bytes: enough for ffmpeg to begin, never the end.
    static QByteArray HeadOf(const QString& path);

private:
    QString m_path;
    bool m_made = false;
    int m_fd = -1;
};
