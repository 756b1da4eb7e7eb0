#pragma once

#include "platform/ProcessLimits.h"

#include <QString>

#include <algorithm>

// What the user chose and the settings file keeps, for the session's life.
// Empty until start-up fills it.
struct Settings
{
    QString WorkDir;          // output folder
    QString AppDir;           // tool folder, ends in "/"
    QString LastFolder;       // folder last added; the next picker starts there
    int Jobs = 0;             // files converted or probed side by side; see jobs()
    bool TroubleTold = false; // the settings file's trouble was reported; once a session is enough

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
