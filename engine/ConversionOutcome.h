#pragma once

#include "model/RowState.h"

#include <QString>

// How one file's attempt at a conversion ended. Every attempt ends each of
// its files with exactly one of these, and the run applies it to the row.
struct ConversionOutcome
{
    enum class Kind {
        Done,         // converted and checked; text is the check's warning, empty when none
        Failed,       // text is the reason, ffmpeg's own lines beneath it
        TryAlone,     // nothing says the file was at fault: it converts again with an ffmpeg to itself
        WaitForPlace, // too few descriptors, processes or memory: text says which; the row waits
        Stopped,      // the user stopped it
    };
    Kind kind = Kind::Failed;
    QString text;

    static ConversionOutcome Done(const QString& warning = {}) { return {Kind::Done, warning}; }
    static ConversionOutcome Failed(const QString& why) { return {Kind::Failed, why}; }
    static ConversionOutcome TryAlone() { return {Kind::TryAlone, {}}; }
    static ConversionOutcome WaitForPlace(const QString& why) { return {Kind::WaitForPlace, why}; }
    static ConversionOutcome Stopped() { return {Kind::Stopped, {}}; }
};

// What an outcome makes of the file's row.
struct RowEnd
{
    RowState state = RowState::Pending;
    QString convertedFile; // the "Converted File" column
    QString detail;        // the tooltip: a failure's reason, a warning of a file done
    bool finished = false; // the row's fate is known: it keeps its output, and is told of
    bool waitsAlone = false;
};

// The row an outcome leaves; sourceWarning is what measuring found amiss in
// the source, told beside a file that is done.
RowEnd RowEndFor(const ConversionOutcome& outcome, const QString& sourceWarning);

// The reason a row stopped by the user shows.
QString StoppedText();
