#pragma once

#include <QString>

#include <ostream>

// Readable QString values in GoogleTest's failure messages (lists too).
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
