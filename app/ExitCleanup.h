#pragma once

#include <QStringList>

struct MainState;

// What the program removes from disk when it ends, by either exit.
namespace ExitCleanup {

// The files deleted at exit, in order. No tool payloads are written here, so of
// the old list only the probe's batch file is left, with the batch and answer
// files that probes side by side may have left; the tools themselves
// (FfmpegExe, MediaInfoExe) belong to the installation and are never deleted.
// The one-at-a-time probe's result file, the folders and the settings stay. Nothing is listed
// when there is no temp folder, so a relative "open.bat" is never touched.
QStringList FilesAtClose(const MainState& state);
QStringList FilesAtDestroy(const MainState& state);

// Deletes each file in turn; one that is missing or cannot be deleted is
// skipped silently and the next is still tried.
void DeleteFiles(const QStringList& paths);

} // namespace ExitCleanup
