#include "core/ConsoleOptions.h"

#include <gtest/gtest.h>

namespace {

using Action = ConsoleOptions::Action;

TEST(ConsoleOptions, CommandLinesParseToTheirAction)
{
    struct Case
    {
        const char* name;
        QStringList arguments;
        Action action;
        ConversionProfile profile;
        QString outDir;
        QStringList paths;
        QString error; // a fragment of the usage error
        int jobs = 0;
    };
    const auto Divx = ConversionProfile::DivxAvi;
    const auto Xvid = ConversionProfile::XvidAvi;
    const std::vector<Case> cases{
        {"separate values",
         {"--convert-to", "xvid", "--outdir", "/o", "--jobs", "1", "a.flv", "d"},
         Action::Convert,
         Xvid,
         "/o",
         {"a.flv", "d"},
         "",
         1},
        {"joined values, options after paths",
         {"a.flv", "--convert-to=DivX", "--outdir=/o"},
         Action::Convert,
         Divx,
         "/o",
         {"a.flv"},
         ""},
        {"the last profile counts",
         {"--convert-to", "divx", "--convert-to", "xvid", "a"},
         Action::Convert,
         Xvid,
         "",
         {"a"},
         ""},
        {"after -- every argument is a path",
         {"--convert-to", "xvid", "--", "--jobs", "-x.flv"},
         Action::Convert,
         Xvid,
         "",
         {"--jobs", "-x.flv"},
         ""},
        {"a lone dash is a path", {"--convert-to", "xvid", "-"}, Action::Convert, Xvid, "", {"-"}, ""},
        {"help needs nothing else", {"--help", "stray"}, Action::Help, Divx, "", {"stray"}, ""},
        {"version needs nothing else", {"--version"}, Action::Version, Divx, "", {}, ""},
        {"an unknown option is an error even with help",
         {"--help", "--fast"},
         Action::UsageError,
         Divx,
         "",
         {},
         "unknown option \"--fast\""},
        {"a single-dash option is unknown too",
         {"--convert-to", "xvid", "-q", "a"},
         Action::UsageError,
         Divx,
         "",
         {},
         "unknown option \"-q\""},
        {"unknown profile", {"--convert-to", "mp4", "a"}, Action::UsageError, Divx, "", {}, "unknown profile \"mp4\""},
        {"profile missing its value", {"a", "--convert-to"}, Action::UsageError, Divx, "", {}, "needs a profile"},
        {"no profile", {"a.flv"}, Action::UsageError, Divx, "", {}, "--convert-to"},
        {"no path", {"--convert-to", "xvid", "--outdir", "/o"}, Action::UsageError, Xvid, "/o", {}, "no FLV file"},
        {"empty output folder",
         {"--convert-to", "xvid", "--outdir=", "a"},
         Action::UsageError,
         Xvid,
         "",
         {},
         "--outdir needs a folder"},
        {"jobs side by side", {"--convert-to", "xvid", "--jobs=3", "a"}, Action::Convert, Xvid, "", {"a"}, "", 3},
        {"jobs past the limit are the limit",
         {"--convert-to", "xvid", "--jobs", "1000", "a"},
         Action::Convert,
         Xvid,
         "",
         {"a"},
         "",
         64},
        {"jobs not a number",
         {"--convert-to", "xvid", "--jobs=many", "a"},
         Action::UsageError,
         Xvid,
         "",
         {},
         "whole number"},
        {"jobs zero", {"--convert-to", "xvid", "--jobs", "0", "a"}, Action::UsageError, Xvid, "", {}, "whole number"},
        {"jobs below zero",
         {"--convert-to", "xvid", "--jobs", "-3", "a"},
         Action::UsageError,
         Xvid,
         "",
         {},
         "whole number"},
    };
    for (const Case& c : cases) {
        const ConsoleOptions o = ConsoleOptions::Parse(c.arguments);
        EXPECT_EQ(o.action, c.action) << c.name;
        if (c.action == Action::UsageError) {
            EXPECT_TRUE(o.error.contains(c.error)) << c.name << ": " << o.error.toStdString();
            continue;
        }
        EXPECT_EQ(o.profile, c.profile) << c.name;
        EXPECT_EQ(o.outDir, c.outDir) << c.name;
        EXPECT_EQ(o.paths, c.paths) << c.name;
        EXPECT_EQ(o.jobs, c.jobs) << c.name << " (0: the stored setting)";
    }
}

TEST(ConsoleOptions, AnyOptionBeforeDoubleDashIsTheFrontEndsNeverTheWindows)
{
    struct Case
    {
        QStringList arguments;
        bool frontEnd;
        QStringList windowPaths; // when the window's
    };
    const Case cases[] = {
        {{"a.flv", "--convert-to", "xvid"}, true, {}},
        {{"--conver-to", "divx", "a.flv"}, true, {}}, // a typo is a usage error, not a window
        {{"-h"}, true, {}},
        {{"-platform", "offscreen"}, true, {}}, // the toolkit's options are not taken either
        {{}, false, {}},
        {{"/home/u/a.flv", "/home/u/clips", "-"}, false, {"/home/u/a.flv", "/home/u/clips", "-"}},
        {{"--", "-x.flv", "--", "b.flv"}, false, {"-x.flv", "--", "b.flv"}},
        {{"a.flv", "--", "--jobs"}, false, {"a.flv", "--jobs"}},
    };
    for (const Case& c : cases) {
        const std::string name = c.arguments.join(' ').toStdString();
        EXPECT_EQ(ConsoleOptions::Wanted(c.arguments), c.frontEnd) << name;
        if (!c.frontEnd) {
            EXPECT_EQ(ConsoleOptions::WindowPaths(c.arguments), c.windowPaths) << name;
        }
    }
}

} // namespace
