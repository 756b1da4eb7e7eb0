#pragma once

// What the program removes from disk when it ends, by any exit.
namespace ExitCleanup {

// Removes this process's own probe folder with the batch and answer files a
// probe left in it. Other copies' folders, the tools (which belong to the
// installation), the folders and the settings stay. Safe on every exit path,
// more than once.
void RemoveProbeFiles();

} // namespace ExitCleanup
