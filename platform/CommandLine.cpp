#include "platform/CommandLine.h"

namespace CommandLine {

QStringList Split(const QString& text)
{
    QStringList args;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    const qsizetype n = text.size();

    for (qsizetype i = 0; i < n;) {
        const QChar c = text.at(i);
        if (!quoted && (c == QLatin1Char(' ') || c == QLatin1Char('\t'))) {
            if (inArgument) {
                args << current;
                current.clear();
                inArgument = false;
            }
            ++i;
            continue;
        }
        inArgument = true;
        if (c == QLatin1Char('\\')) {
            qsizetype slashes = 0;
            while (i < n && text.at(i) == QLatin1Char('\\')) {
                ++slashes;
                ++i;
            }
            if (i < n && text.at(i) == QLatin1Char('"')) {
                current += QString(slashes / 2, QLatin1Char('\\'));
                if (slashes % 2 == 1) {
                    current += QLatin1Char('"');
                    ++i;
                }
                // with an even count the quote is handled as a quote below
            } else {
                current += QString(slashes, QLatin1Char('\\'));
            }
            continue;
        }
        if (c == QLatin1Char('"')) {
            if (quoted && i + 1 < n && text.at(i + 1) == QLatin1Char('"')) {
                current += QLatin1Char('"');
                i += 2;
                continue;
            }
            quoted = !quoted;
            ++i;
            continue;
        }
        current += c;
        ++i;
    }
    if (inArgument)
        args << current;
    return args;
}

} // namespace CommandLine
