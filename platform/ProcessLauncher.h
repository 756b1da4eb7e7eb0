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
// The same launch from the arguments themselves.
LaunchPlan Plan(const QString& program, const QStringList& arguments);

// Starts the program and returns at once; false when it cannot be started.
// The show state has no meaning here: children never open a window of their own.
bool ShellExec(const QString& program, const QString& arguments, quint16 showCmd);

// Starts the program and returns once it has ended; false at once when it cannot
// be started. Nothing of the program's own runs meanwhile: user input and
// timers wait until the child ends. How the child ended goes to `end` when given.
bool ShellExecWait(const QString& program, const QString& arguments, quint16 showCmd, ChildEnd* end = nullptr);

// Looks a bare Name up on PATH only (ExtraFolder first when it names a
// folder), never in the current folder, so a file there cannot pose as a
// tool. The first executable file wins; failing that, the first file of that
// name, which then fails to start and says why, as a shell would. The result
// is absolute, so a relative PATH entry still works once the child starts in
// another folder. A Name with a "/" is a path, made absolute when it is a file.
// Empty when not found.
QString FindProgram(const QString& name, const QString& extraFolder);

// True for an existing regular file this user may execute.
bool IsProgramFile(const QString& path);
// True for an existing regular file, runnable or not: a missing tool is told
// apart from one that is there but cannot be started.
bool ProgramExists(const QString& path);

// The system's reason in a failed start's error text, without the name of
// the call that failed.
QString StartFailureReason(const QString& errorText);

// The message for a tool that is there but could not be started; purpose
// says what the tool does for Vantrel ("converts the files").
QString CannotStartText(const QString& tool, const QString& path, const QString& reason, const QString& purpose);

// Returns when the child has ended, sleeping meanwhile; no event is handled.
void WaitForProcess(ChildProcess& child);

} // namespace ProcessLauncher
