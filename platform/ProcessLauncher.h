#pragma once

#include "platform/ChildProcess.h"

#include <QString>

class ChildProcess;

// Starts external programs from a program path and a command-line text.
namespace ProcessLauncher {

// The launch of Program with Arguments: the text split as the Windows C runtime
// splits it, the working folder the folder part of Program, or, for a bare name,
// the folder it is found in on the search path (empty when not found).
LaunchPlan Plan(const QString& program, const QString& arguments);

// Starts the program and returns at once; false when it cannot be started.
// The show state has no meaning here: children never open a window of their own.
bool ShellExec(const QString& program, const QString& arguments, quint16 showCmd);

// Starts the program and returns once it has ended; false at once when it cannot
// be started. Meanwhile the windows repaint but user input stays queued until the
// child ends. The exit code is not read.
bool ShellExecWait(const QString& program, const QString& arguments, quint16 showCmd);

// Looks Name up: the name itself when it is an executable file, else each
// PATH entry (ExtraFolder first when it names a folder). A name found as itself
// is made absolute against the current folder. Empty when not found.
QString FindProgram(const QString& name, const QString& extraFolder);

// True for an existing regular file this user may execute.
bool IsProgramFile(const QString& path);

// Returns when the child has ended, sleeping meanwhile; repaints are served,
// user input stays queued.
void WaitForProcess(ChildProcess& child);

} // namespace ProcessLauncher
