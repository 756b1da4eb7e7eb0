#pragma once

#include <QString>
#include <QtGlobal>

// The main window's own state, in the order the program has always kept it.
// Everything is zero, empty or false until start-up fills it.
struct MainState
{
    quintptr PayloadStream = 0;   // unused: no tool payloads are carried; kept in its place
    double OutputRate = 0.0;      // KiB of output per second of source
    qint64 ExpectedSize = 0;      // bytes; 64-bit so long sources do not wrap
    int CurrentRow = 0;           // queue row being converted, -1 when none
    qint64 LastSize = 0;          // unused: written at each tick, read by nothing; kept in its place
    bool Busy = false;            // a conversion is running
    QString TempDir;              // private temp folder, ends in "/"
    QString WorkDir;              // output folder
    QString AppDir;               // tool folder, ends in "/"
    QString FfmpegExe;            // ffmpeg as found on PATH, empty when missing
    QString MediaInfoExe;         // mediainfo as found on PATH, empty when missing
    QString TargetFile;           // output of the row being converted
    QString SourceFile;           // source of the row being converted
    QString FfmpegArgs;           // ffmpeg's argument text for that row
    QString LastFolder;           // folder last added; the next picker starts there
};
