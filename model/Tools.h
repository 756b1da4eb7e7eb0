#pragma once

#include <QString>

// The programs the session runs and its own private folder, found at start-up.
struct Tools
{
    QString FfmpegExe;    // ffmpeg as found on PATH, empty when missing
    QString MediaInfoExe; // mediainfo as found on PATH, empty when missing
    QString TempDir;      // this process's own folder in the private temp folder, ends in "/"
    // How long a tool may give no sign of life before it is taken for hung
    // (a stalled network mount, a broken build) and ended.
    int FfmpegSilenceMs = 60000;    // no progress reported
    int MediaInfoSilenceMs = 30000; // no answer
};
