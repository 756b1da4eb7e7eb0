#include "core/ConsoleOptions.h"

#include "model/Settings.h"
#include "platform/NativePath.h"

#include <QCoreApplication>
#include <algorithm>
#include <optional>

namespace {

// "--name=value" or "--name value"; nothing when the value is missing.
std::optional<QString> TakeValue(const QString& name, const QString& argument, const QStringList& arguments,
                                 qsizetype& index)
{
    if (argument.size() > name.size())
        return argument.mid(name.size() + 1);
    if (index + 1 >= arguments.size())
        return std::nullopt;
    return arguments.at(++index);
}

bool IsOption(const QString& argument, const QString& name)
{
    return argument == name || argument.startsWith(name + QLatin1Char('='));
}

bool IsPath(const QString& argument)
{
    return argument == QLatin1String("-") || !argument.startsWith(QLatin1Char('-'));
}

} // namespace

bool ConsoleOptions::Wanted(const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--"))
            return false;
        if (!IsPath(argument))
            return true;
    }
    return false;
}

QStringList ConsoleOptions::WindowPaths(const QStringList& arguments)
{
    QStringList paths = arguments;
    paths.removeOne(QStringLiteral("--"));
    return paths;
}

ConsoleOptions ConsoleOptions::Parse(const QStringList& arguments)
{
    ConsoleOptions options;
    bool help = false;
    bool version = false;
    bool profileGiven = false;
    bool optionsEnded = false;
    const auto fail = [&options](const QString& why) {
        options.action = Action::UsageError;
        options.error = why;
        return options;
    };

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (optionsEnded || IsPath(argument)) {
            options.paths << argument;
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("--help")) {
            help = true;
        } else if (argument == QLatin1String("--version")) {
            version = true;
        } else if (IsOption(argument, QStringLiteral("--convert-to"))) {
            const auto value = TakeValue(QStringLiteral("--convert-to"), argument, arguments, i);
            if (!value)
                return fail(
                    QCoreApplication::translate("ConsoleOptions", "--convert-to needs a profile: divx or xvid"));
            if (value->compare(QLatin1String("divx"), Qt::CaseInsensitive) == 0)
                options.profile = ConversionProfile::DivxAvi;
            else if (value->compare(QLatin1String("xvid"), Qt::CaseInsensitive) == 0)
                options.profile = ConversionProfile::XvidAvi;
            else
                return fail(QCoreApplication::translate("ConsoleOptions", "unknown profile \"%1\": use divx or xvid")
                                .arg(NativePath::Escaped(*value)));
            profileGiven = true;
        } else if (IsOption(argument, QStringLiteral("--outdir"))) {
            const auto value = TakeValue(QStringLiteral("--outdir"), argument, arguments, i);
            if (!value || value->isEmpty())
                return fail(QCoreApplication::translate("ConsoleOptions", "--outdir needs a folder"));
            options.outDir = *value;
        } else if (IsOption(argument, QStringLiteral("--jobs"))) {
            const auto value = TakeValue(QStringLiteral("--jobs"), argument, arguments, i);
            bool ok = false;
            const int jobs = value ? value->toInt(&ok) : 0;
            if (!ok || jobs < 1)
                return fail(QCoreApplication::translate("ConsoleOptions", "--jobs needs a whole number of 1 or more"));
            options.jobs = std::min(jobs, Settings::MaxJobs);
        } else {
            // A name that starts with "-" ends up here too: it must not drive the terminal.
            return fail(QCoreApplication::translate("ConsoleOptions", "unknown option \"%1\"")
                            .arg(NativePath::Escaped(argument)));
        }
    }

    if (help) {
        options.action = Action::Help;
        return options;
    }
    if (version) {
        options.action = Action::Version;
        return options;
    }
    if (!profileGiven)
        return fail(QCoreApplication::translate("ConsoleOptions", "--convert-to divx or --convert-to xvid is needed"));
    if (options.paths.isEmpty())
        return fail(QCoreApplication::translate("ConsoleOptions", "no FLV file or folder to convert"));
    options.action = Action::Convert;
    return options;
}

QString ConsoleOptions::UsageText()
{
    return QCoreApplication::translate(
        "ConsoleOptions", "Usage: vantrel [PATH...]\n"
                          "       vantrel --convert-to divx|xvid [--outdir DIR] [--jobs N] PATH...\n"
                          "       vantrel --help | --version\n"
                          "\n"
                          "Without options, opens the window and queues each FLV file and folder given.\n"
                          "\n"
                          "With --convert-to, converts FLV files to AVI without a window. Each PATH is an\n"
                          "FLV file, or a folder whose FLV files (not those of its subfolders) are all\n"
                          "converted.\n"
                          "\n"
                          "  --convert-to divx|xvid  convert as the DivX AVI or the Xvid AVI button does\n"
                          "  --outdir DIR            put the AVI files in DIR; without it, in the output\n"
                          "                          folder the window has stored, else in the window's\n"
                          "                          default, VANTREL in the Documents folder (made)\n"
                          "  --jobs N                run at most N ffmpeg conversions (and N measurements)\n"
                          "                          at once; tiny files may share one ffmpeg. Without\n"
                          "                          it, the settings file's Jobs=, else one per core\n"
                          "  --help                  show this text\n"
                          "  --version               show the version\n"
                          "  --                      what follows is a PATH even if it starts with -\n"
                          "\n"
                          "Every FLV file named, alone or by its folder, gives exactly one line on\n"
                          "standard output as soon as its fate is known: converted files in the order\n"
                          "they finish (with --jobs 1, in the order given), a file that cannot be\n"
                          "queued at once:  Done<TAB>source<TAB>output  or  Failed<TAB>source<TAB>reason\n"
                          "A tab, newline, carriage return or backslash in these fields is written\n"
                          "\\t, \\n, \\r or \\\\, any other control character and any byte of a name\n"
                          "that is not UTF-8 as \\xHH, one for each of its bytes (\\x1B, \\xE9).\n"
                          "A file named twice is converted once.\n"
                          "\n"
                          "Exit code: 0 every file converted; 1 a file failed or could not be queued,\n"
                          "or standard output could not be written; 2 a usage error (unknown option or\n"
                          "profile, no PATH, an output folder that is missing or cannot be made, a\n"
                          "missing tool). Ended by SIGINT, SIGTERM or SIGHUP, it stops its ffmpeg,\n"
                          "removes the unfinished files, gives each file without a line a Failed\n"
                          "line and ends by that signal; when standard output's reader has gone\n"
                          "(SIGPIPE), it stops the same way without writing anything more.\n");
}

QString ConsoleOptions::TryHelpText()
{
    return QCoreApplication::translate("ConsoleOptions", "Try 'vantrel --help' for more information.\n");
}

QString ConsoleOptions::NoDisplayText()
{
    return QCoreApplication::translate("ConsoleOptions",
                                       "vantrel: cannot open a window: no display. To convert without one: "
                                       "vantrel --convert-to divx|xvid PATH...\n");
}

QString ConsoleOptions::VersionText()
{
    return QStringLiteral("vantrel %1\n").arg(QStringLiteral(VANTREL_VERSION));
}
