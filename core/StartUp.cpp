#include "core/StartUp.h"

#include "model/Settings.h"
#include "model/Tools.h"
#include "platform/Error.h"
#include "platform/Folders.h"
#include "platform/OwnTempFolder.h"
#include "platform/ProcessLauncher.h"
#include "platform/Prompt.h"
#include "platform/SettingsStore.h"

#include <QThread>

#include <algorithm>

namespace StartUp {

QString Run(Settings& settings, Tools& tools)
{
    UsePrivateTempFolder(tools);
    SetDefaults(settings);
    StoreDefaults(settings);
    MakeDefaultFolders(settings);
    const QString stored = TakeStoredWorkDir();
    settings.WorkDir = stored;
    settings.Jobs = StoredJobs();
    FindTools(tools);
    // Damaged or unreadable, the file gave no output folder: the user is told,
    // not left to wonder where the folder chosen last time went. One that
    // merely cannot be written is told when a folder is chosen.
    const QString trouble = SettingsTrouble();
    if (!trouble.isEmpty() && !settings.TroubleTold) {
        settings.TroubleTold = true;
        Prompt::message(SettingsStore::NotRememberedText(trouble));
    }
    return stored;
}

void UsePrivateTempFolder(Tools& tools)
{
    try {
        tools.TempDir = OwnTempFolder::Take(Folders::PrivateTempDir());
    } catch (const VantrelError& e) {
        tools.TempDir.clear();
        Prompt::errorBox(e.text());
    }
}

void SetDefaults(Settings& settings)
{
    settings.LastFolder.clear();
    settings.WorkDir = DefaultWorkDir();
    settings.AppDir = Folders::CollapseDoubleSlash(Folders::AppDataFolder() + QStringLiteral("/VANTREL/"));
}

QString DefaultWorkDir()
{
    return Folders::CollapseDoubleSlash(Folders::DocumentsFolder() + QStringLiteral("/VANTREL/"));
}

void StoreDefaults(const Settings& settings)
{
    // A failing store is skipped silently.
    try {
        SettingsStore store;
        if (!store.contains(SettingsStore::WorkDirKey))
            store.writeString(SettingsStore::WorkDirKey, settings.WorkDir);
        store.writeString(SettingsStore::AppDirKey, settings.AppDir);
    } catch (const std::exception&) { }
}

void MakeDefaultFolders(const Settings& settings)
{
    if (!Folders::FolderExists(settings.WorkDir))
        Folders::CreateFolderOneLevel(settings.WorkDir);
    if (!Folders::FolderExists(settings.AppDir))
        Folders::CreateFolderOneLevel(settings.AppDir);
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
    } catch (const std::exception&) { }
    return stored;
}

QString StoredWorkDir()
{
    try {
        const SettingsStore store;
        if (store.contains(SettingsStore::WorkDirKey))
            return store.readString(SettingsStore::WorkDirKey);
    } catch (const std::exception&) { }
    return {};
}

int JobsFromText(const QString& text)
{
    bool ok = false;
    const int jobs = text.trimmed().toInt(&ok, 10);
    return std::clamp(ok ? jobs : QThread::idealThreadCount(), 1, Settings::MaxJobs);
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

void FindTools(Tools& tools)
{
    tools.MediaInfoExe = ProcessLauncher::FindProgram(QStringLiteral("mediainfo"), QString());
    tools.FfmpegExe = ProcessLauncher::FindProgram(QStringLiteral("ffmpeg"), QString());
}

} // namespace StartUp
