#pragma once

#include "engine/ConversionProfile.h"

#include <QString>
#include <QStringList>

// What the command line asks of the program without a window:
// vantrel --convert-to divx|xvid [--outdir DIR] [--jobs N] PATH..., --help, --version.
struct ConsoleOptions
{
    enum class Action { Convert, Help, Version, UsageError };

    Action action = Action::UsageError;
    ConversionProfile profile = ConversionProfile::DivxAvi;
    QString outDir; // empty: the stored output folder
    int jobs = 0; // 0: the stored setting
    QStringList paths;
    QString error; // why the command line is a usage error

    // True when the arguments (the program's own name not among them) are for
    // the front end rather than the window: one of them is one of its options.
    // Any other command line stays the window's, which a later copy forwards
    // to the running one as it always has.
    static bool Wanted(const QStringList& arguments);
    static ConsoleOptions Parse(const QStringList& arguments);

    static QString UsageText();
    static QString VersionText();
};
