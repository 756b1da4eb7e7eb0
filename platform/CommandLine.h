#pragma once

#include <QString>
#include <QStringList>

// Command-line texts are split the way the Windows C runtime splits them for a
// child, so an argument text means the same on every platform and no shell
// ever parses a path.
namespace CommandLine {

// Blanks and tabs separate; double quotes group; 2n backslashes before a quote
// give n backslashes and the quote toggles grouping; 2n+1 give n and a literal
// quote; "" inside a group is a literal quote; other backslashes are literal.
QStringList Split(const QString& text);

} // namespace CommandLine
