#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QProcess;

// How a child process ended; reported exactly once per start.
struct ChildEnd
{
    enum class Kind { Exited, FailedToStart, Crashed };
    Kind kind = Kind::FailedToStart;
    int exitCode = -1;
    int signal = 0;    // the signal that ended a crashed child; 0 when not known
    QString errorTail; // the last lines the child wrote to its error output
    // The child's error output in whole lines: all of it, or when it was long
    // its first and last lines with a line "…" where the middle was dropped.
    QString errorOutput;
    int startError = 0; // the system's errno for a failed start, 0 when unknown

    bool succeeded() const { return kind == Kind::Exited && exitCode == 0; }
};

// What a start that failed asks of whoever wanted the child.
enum class StartFailure {
    Shortage,    // too few descriptors, processes or memory for now: wait for a place, then start again
    Missing,     // the program file is not there: it must be installed again
    NotRunnable, // there, but it cannot run (permissions, format, a missing interpreter)
};
// code is the system's errno for the start; program the file that was started.
StartFailure ClassifyStartFailure(int code, const QString& program);
// The system's errno that a failed start's text names; 0 when it names none known.
int StartErrorIn(const QString& errorText);

// What to start: the program, its argument list and its working folder.
struct LaunchPlan
{
    QString program;
    QStringList arguments;
    QString workingFolder; // empty: the current folder
    // In a process group of its own, so that ending it ends whatever it started too.
    bool ownProcessGroup = false;
    // Standard output is read and handed on by ChildProcess::output(); else discarded.
    bool readOutput = false;
    // Ended by the kernel when the program dies, however it dies.
    bool diesWithParent = true;
    // Descriptors of the program the child keeps open under the same numbers.
    QList<int> inheritedDescriptors = {};
};

// Sets up a process as every child of the program starts: the plan's program,
// arguments and working folder, and empty standard input.
void ApplyLaunchPlan(QProcess& process, const LaunchPlan& plan);

// One child process: empty standard input, standard output discarded or
// handed on as it comes, error output kept, its beginning and its end. Emits done() once,
// after the last output, whether the child ran, failed to start, crashed or
// was killed.
class ChildProcess : public QObject
{
    Q_OBJECT

public:
    explicit ChildProcess(QObject* parent = nullptr);
    ~ChildProcess() override; // a child still running is killed, with its group

    // False when the program could not be started; done() is then still emitted.
    bool start(const LaunchPlan& plan);
    bool isRunning() const;
    // True once the child has ended, also before its end has been seen and
    // reported; the end is still reported as usual.
    bool hasEnded() const;
    qint64 processId() const;
    // Ends the child with SIGKILL (its whole group when it has one of its own)
    // and waits up to waitMs for it to be gone; done() is still emitted later.
    void kill(int waitMs = 0);
    // Blocks until the child has ended and its end is reported.
    void wait();

    // How many trailing lines of the error output make ChildEnd::errorTail.
    static constexpr int TailLines = 8;
    // How much of the error output's beginning and of its end is kept.
    static constexpr qsizetype KeptErrorBytes = 16384;

signals:
    // Bytes the child wrote to its standard output, when the plan asked for them.
    void output(const QByteArray& bytes);
    void done(const ChildEnd& end);

private:
    void report(ChildEnd end);

    QProcess* m_process = nullptr; // owned through QObject parenthood
    void keepError(const QByteArray& bytes);
    QString keptError() const;

    QByteArray m_errorHead;  // the first KeptErrorBytes of the error output
    QByteArray m_errorTail;  // what came after, its last KeptErrorBytes
    bool m_errorCut = false; // bytes between the two were dropped
    bool m_reported = false;
    bool m_ownGroup = false;
};
