#pragma once

#include <QFont>
#include <QString>

#include <thread>

// Where the window's Tahoma faces are looked for: Wine's fonts folder unless
// set otherwise (before the first window is built).
QString WindowFontFolder();
void SetWindowFontFolder(const QString& folder);

// The window's font: Tahoma with an 11-pixel character height (8 points at 96
// dots per inch), loaded from WindowFontFolder() when there, else the
// system's sans font at the same height. The layout's
// pixel sizes assume Tahoma; labels are fitted to whatever font this gives.
QFont WindowFont();

// Reads the system's font configuration on a thread of its own while the
// toolkit starts, instead of when the window's first text needs it; a no-op
// where the build has no fontconfig. Joined by wait() or when destroyed.
class FontConfigurationWarmUp
{
public:
    FontConfigurationWarmUp();
    ~FontConfigurationWarmUp();
    FontConfigurationWarmUp(const FontConfigurationWarmUp&) = delete;
    FontConfigurationWarmUp& operator=(const FontConfigurationWarmUp&) = delete;

    void wait();

private:
    std::thread m_thread;
};
