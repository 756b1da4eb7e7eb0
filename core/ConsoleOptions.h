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
    int jobs = 0;   // 0: the stored setting
    QStringList paths;
    QString error; // why the command line is a usage error

    // True when the arguments (the program's own name not among them) are for
    // the front end rather than the window: an option comes before any "--".
    // The window takes only paths, so an option unknown to both is the front
    // end's usage error, never a window that opens and writes settings.
    static bool Wanted(const QStringList& arguments);
    static ConsoleOptions Parse(const QStringList& arguments);
    // The window's paths: the arguments without the "--" that ends the options.
    static QStringList WindowPaths(const QStringList& arguments);

    static QString UsageText();
    // The line after a usage error's cause.
    static QString TryHelpText();
    static QString VersionText();
    static QString NoDisplayText();
};
