#pragma once

#include <QString>

// Text measured as a terminal lays it out: in columns, where an East Asian
// wide character or an emoji takes two and a combining mark none, and cut
// only between whole characters as the reader sees them (a letter with its
// marks, an emoji with its joiners and modifiers, a surrogate pair).
namespace TerminalText {

int Columns(const QString& text);

// The longest start of text that fits in columns.
QString Cut(const QString& text, int columns);

} // namespace TerminalText
