#pragma once

#include <QString>

// The programs the session runs and its own private folder, found at start-up.
struct Tools
{
    QString FfmpegExe;    // ffmpeg as found on PATH, empty when missing
    QString MediaInfoExe; // mediainfo as found on PATH, empty when missing
    QString TempDir;      // this process's own folder in the private temp folder, ends in "/"
};
