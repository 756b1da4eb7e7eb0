#pragma once

#include <QByteArray>
#include <QString>

// What an FLV file's own bytes say of its time: the timestamps of its first
// and last sound or picture, and the length and frame size its header
// (onMetaData) states.
// A stream recording carries its timestamps on from the stream (600 s into
// it, say), and mediainfo measures it to its last one; what it plays is the
// last less the first.
struct FlvTimeline
{
    qint64 startMs = 0;      // 0 for a file that is no FLV or holds no tag
    qint64 endMs = -1;       // -1 when no whole tag ends the bytes read
    qint64 statedMs = -1;    // -1 when the header states none
    qint64 framePixels = -1; // width times height: 0 without pictures, -1 when not known

    // Reads an FLV's first bytes and its last; anything else, or bytes cut
    // short, gives what was found.
    static FlvTimeline Parse(const QByteArray& head, const QByteArray& tail);
    // Parse() over the start and the end of the file at path (NativePath
    // form); nothing when it cannot be read.
    static FlvTimeline Read(const QString& path);
    // The latest timestamp among the last whole tags of an FLV's end; -1 when none.
    static qint64 LastStamp(const QByteArray& tail);

    // The playing length of a file mediainfo measures as measuredMs: from the
    // first timestamp to the last when it starts late, unless the timestamps
    // jumped back or wrapped; else mediainfo's.
    qint64 playingMs(qint64 measuredMs) const;
    // The warning for a file that holds less than its header states, by more
    // than a second: a download cut off. Empty when it holds all it states.
    QString cutOffWarning(qint64 playingMs) const;
};
