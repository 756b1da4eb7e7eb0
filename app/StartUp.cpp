#include "app/StartUp.h"

#include "model/MainState.h"
#include "platform/Error.h"
#include "platform/Folders.h"
#include "platform/OwnTempFolder.h"
#include "platform/ProcessLauncher.h"
#include "platform/Prompt.h"
#include "platform/SettingsStore.h"

#include <QThread>

#include <algorithm>

namespace StartUp {

QString Run(MainState& state)
{
    UsePrivateTempFolder(state);
    SetDefaults(state);
    StoreDefaults(state);
    MakeDefaultFolders(state);
    const QString stored = TakeStoredWorkDir();
    state.WorkDir = stored;
    state.Jobs = StoredJobs();
    FindTools(state);
    // Damaged or unreadable, the file gave no output folder: the user is told,
    // not left to wonder where the folder chosen last time went. One that
    // merely cannot be written is told when a folder is chosen.
    const QString trouble = SettingsTrouble();
    if (!trouble.isEmpty() && !state.SettingsTroubleTold) {
        state.SettingsTroubleTold = true;
        Prompt::message(SettingsStore::NotRememberedText(trouble));
    }
    return stored;
}

void UsePrivateTempFolder(MainState& state)
{
    try {
        state.TempDir = OwnTempFolder::Take(Folders::PrivateTempDir());
    } catch (const VantrelError& e) {
        state.TempDir.clear();
        Prompt::errorBox(e.text());
    }
}

void SetDefaults(MainState& state)
{
    state.Busy = false;
    state.LastFolder.clear();
    state.WorkDir = Folders::CollapseDoubleSlash(Folders::DocumentsFolder() + QStringLiteral("/VANTREL/"));
    state.AppDir = Folders::CollapseDoubleSlash(Folders::AppDataFolder() + QStringLiteral("/VANTREL/"));
}

void StoreDefaults(const MainState& state)
{
    // A failing store is skipped silently.
    try {
        SettingsStore store;
        if (!store.contains(SettingsStore::WorkDirKey))
            store.writeString(SettingsStore::WorkDirKey, state.WorkDir);
        store.writeString(SettingsStore::AppDirKey, state.AppDir);
    } catch (const std::exception&) {
    }
}

void MakeDefaultFolders(const MainState& state)
{
    if (!Folders::FolderExists(state.WorkDir))
        Folders::CreateFolderOneLevel(state.WorkDir);
    if (!Folders::FolderExists(state.AppDir))
        Folders::CreateFolderOneLevel(state.AppDir);
}

QString TakeStoredWorkDir()
{
    QString stored;
    try {
        SettingsStore store;
        if (store.contains(SettingsStore::WorkDirKey)) {
            stored = store.readString(SettingsStore::WorkDirKey);
            if (!Folders::FolderExists(stored)) {
                Folders::CreateFolderOneLevel(stored);
                store.writeString(SettingsStore::WorkDirKey, stored);
            }
        }
    } catch (const std::exception&) {
    }
    return stored;
}

QString StoredWorkDir()
{
    try {
        const SettingsStore store;
        if (store.contains(SettingsStore::WorkDirKey))
            return store.readString(SettingsStore::WorkDirKey);
    } catch (const std::exception&) {
    }
    return {};
}

int JobsFromText(const QString& text)
{
    bool ok = false;
    const int jobs = text.trimmed().toInt(&ok, 10);
    return std::clamp(ok ? jobs : QThread::idealThreadCount(), 1, MainState::MaxJobs);
}

int StoredJobs()
{
    QString text;
    try {
        const SettingsStore store;
        if (store.contains(SettingsStore::JobsKey))
            text = store.readString(SettingsStore::JobsKey);
    } catch (const std::exception&) {
        // Unreadable, or not a text: the default.
    }
    return JobsFromText(text);
}

QString SettingsTrouble()
{
    try {
        const SettingsStore store;
    } catch (const VantrelError& e) {
        return e.text().endsWith(QLatin1Char('.')) ? e.text() : e.text() + QLatin1Char('.');
    }
    return {};
}

void FindTools(MainState& state)
{
    state.MediaInfoExe = ProcessLauncher::FindProgram(QStringLiteral("mediainfo"), QString());
    state.FfmpegExe = ProcessLauncher::FindProgram(QStringLiteral("ffmpeg"), QString());
}

} // namespace StartUp
