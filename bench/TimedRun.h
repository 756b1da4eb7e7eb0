#pragma once

#include <QStringList>

#include <vector>

// Wall and CPU time of one process and everything it waited for.
struct TimedRun
{
    double wallSeconds = 0;
    double cpuSeconds = 0; // user + system of the whole tree
    int exitCode = -1;     // -1: ended by a signal or never started
};

// Runs `command` (program first) with standard input and output on /dev/null
// and standard error to `errorFile` (/dev/null when empty), and waits for it.
// The CPU time is the kernel's count for the child and the descendants it
// reaped, so a tool's children are in it when the tool waits for them, as
// xargs, ffmpeg's parent and Vantrel all do.
TimedRun RunTimed(const QStringList& command, const QString& errorFile = {});

// "median (min..max)" of a series, with the given decimals.
QString MedianAndRange(std::vector<double> values, int decimals = 3);
double Median(std::vector<double> values);
