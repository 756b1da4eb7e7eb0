#pragma once

#include <QStringList>

#include <vector>

// One subcommand of vantrel-bench: takes the arguments after its name, gives
// the exit code. Each benchmark file registers its own subcommand, so adding
// one touches no other file:
//     static const BenchRegistration convert("convert", "convert DIR", &RunConvertBench);
using BenchCommand = int (*)(const QStringList& arguments);

struct BenchEntry
{
    const char* name;
    const char* usage;
    BenchCommand command;
};

struct BenchRegistration
{
    BenchRegistration(const char* name, const char* usage, BenchCommand command);
};

// Every registered subcommand, in registration order.
const std::vector<BenchEntry>& BenchCommands();
