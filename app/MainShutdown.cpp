#include "app/Main.h"

#include "app/ExitCleanup.h"
#include "app/instance/MainInstance.h"
#include "platform/ProcessList.h"

#include <cstdlib>
#include <exception>

void TfrmMain::CreateInstanceGuard()
{
    // Ends this process here when another copy is running.
    MainInstance1 = new TMainInstance(this);
}

void TfrmMain::EzRgnBtn2Click()
{
    // Each step swallows its own failure so that the next one still runs.
    try {
        ProcessList::KillProcessesByName(ExitCleanup::FfmpegName(m_state));
    } catch (const std::exception&) {
    }
    // Deletion starts without waiting for the killed processes to end.
    try {
        ExitCleanup::DeleteFiles(ExitCleanup::FilesAtClose(m_state));
    } catch (const std::exception&) {
    }
    // Every settings write is synced as it is made, so nothing is pending here.
    std::_Exit(0);
}

void TfrmMain::FormDestroy()
{
    try {
        ExitCleanup::DeleteFiles(ExitCleanup::FilesAtDestroy(m_state));
    } catch (const std::exception&) {
    }
}
