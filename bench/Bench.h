#pragma once

#include <QString>

#include <functional>
#include <vector>

// Benchmarks register themselves by name; vantrel-bench runs those named on
// its command line, or all of them.
struct Benchmark
{
    using Body = std::function<int()>; // exit status: 0 when it could measure

    Benchmark(const char* name, const char* summary, Body body);

    static const std::vector<Benchmark*>& all();

    QString name;
    QString summary;
    Body body;
};

// Prints one measured figure as "name: value unit".
void Report(const QString& name, double value, const QString& unit);
