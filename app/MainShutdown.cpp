#include "app/Main.h"

#include "core/ExitCleanup.h"
#include "core/SignalWatcher.h"
#include "app/instance/MainInstance.h"
#include "core/QueueKeeper.h"
#include "engine/ConversionRun.h"
#include "queue/QueueActions.h"

#include <csignal>
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
        EndConversions();
    } catch (const std::exception&) { }
    try {
        ExitCleanup::RemoveProbeFiles();
    } catch (const std::exception&) { }
    // Every settings write is synced as it is made, so nothing is pending here.
    std::_Exit(0);
}

void TfrmMain::EndConversions()
{
    // Kept as it stands, before ending the conversions marks their rows failed.
    if (m_keeper)
        m_keeper->Flush();
    // By the ids this program holds: another program's ffmpeg is never touched,
    // and no unfinished output is left behind.
    // Files being measured are left unqueued, their probes ended.
    m_session->End();
}

void TfrmMain::FormDestroy()
{
    try {
        EndConversions();
    } catch (const std::exception&) { }
    try {
        ExitCleanup::RemoveProbeFiles();
    } catch (const std::exception&) { }
}

void TfrmMain::EndOnSignals()
{
    auto* watcher = new SignalWatcher({SIGTERM, SIGINT, SIGHUP}, this);
    connect(watcher, &SignalWatcher::received, this, [this](int signalNumber) {
        FormDestroy();
        SignalWatcher::EndBy(signalNumber);
    });
}
