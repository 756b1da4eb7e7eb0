#pragma once

#include "platform/ProcessLimits.h"

#include <QString>
#include <QtGlobal>

#include <algorithm>

// The main window's own state, in the order the program has always kept it.
// Everything is zero, empty or false until start-up fills it.
struct MainState
{
    quintptr PayloadStream = 0;   // unused: no tool payloads are carried; kept in its place
    double OutputRate = 0.0;      // KiB of output per second of source
    qint64 ExpectedSize = 0;      // bytes, the old size estimate; 64-bit, read by nothing now
    int CurrentRow = 0;           // queue row started last, -1 when none runs
    qint64 LastSize = 0;          // bytes ffmpeg reported at the last tick; read by nothing, kept in its place
    bool Busy = false;            // a conversion is running, any of them
    QString TempDir;              // this process's own folder in the private temp folder, ends in "/"
    QString WorkDir;              // output folder
    QString AppDir;               // tool folder, ends in "/"
    QString FfmpegExe;            // ffmpeg as found on PATH, empty when missing
    QString MediaInfoExe;         // mediainfo as found on PATH, empty when missing
    QString TargetFile;           // output of the row started last
    QString SourceFile;           // source of the row started last
    QString FfmpegArgs;           // ffmpeg's argument text for that row
    QString LastFolder;           // folder last added; the next picker starts there
    int Jobs = 0;                 // files converted or probed side by side; see jobs()
    bool SettingsTroubleTold = false; // the settings file's trouble was reported, once a session is enough

    // The largest number of files handled side by side.
    static constexpr int MaxJobs = 64;
    // Jobs within 1..MaxJobs, and no more than the descriptor limit allows:
    // one at a time until start-up sets it.
    int jobs() const
    {
        static const int withinDescriptors = ProcessLimits::SideBySideWithinDescriptors();
        return std::clamp(Jobs, 1, std::min(MaxJobs, withinDescriptors));
    }
};
