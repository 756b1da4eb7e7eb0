#pragma once

#include <QString>

struct Settings;
struct Tools;

// The program's start-up on its settings, its tools and the settings store alone, so the
// window and the command-line front end share it and tests need no window.
namespace StartUp {

// The window's whole start-up, step by step; returns the stored output
// folder, which the window shows (empty when none could be read). A settings
// file that cannot be read as settings is reported.
QString Run(Settings& settings, Tools& tools);

// This process's own folder inside the private temp folder, where its probe
// files live; a refused one is reported and left empty, so the probe later
// says it has none.
void UsePrivateTempFolder(Tools& tools);
// No folder added yet, the default output and tool folders.
void SetDefaults(Settings& settings);
// The default output folder, "VANTREL/" in the Documents folder (which is made
// when missing); the folder itself is not made.
QString DefaultWorkDir();
// Writes the defaults: the output folder only when none is stored yet.
void StoreDefaults(const Settings& settings);
// One level each; a missing parent is left to the action that needs the folder.
void MakeDefaultFolders(const Settings& settings);
// The stored output folder, made (one level) and stored again when missing.
QString TakeStoredWorkDir();
// The stored output folder as it stands, nothing made or written; empty when
// none can be read.
QString StoredWorkDir();
// How many files are converted and probed side by side: the settings file's
// "Jobs" when it holds a whole number, else the number of processor cores;
// within 1..Settings::MaxJobs either way. Nothing is written.
int StoredJobs();
// The same rule on the setting's text; a null text is a setting not there.
int JobsFromText(const QString& text);
// Why the settings file cannot be used, as a sentence naming it; empty when it can.
QString SettingsTrouble();
// ffmpeg and mediainfo from PATH; empty when missing, which the action that
// needs the tool reports.
void FindTools(Tools& tools);

} // namespace StartUp
