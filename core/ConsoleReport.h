#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <map>
#include <vector>

class ProgressLine;
class QueueModel;

// What the front end tells of the files it was given: exactly one line on
// standard output for each, "Done" or "Failed" with tab-separated fields,
// written as soon as its fate is known; and on standard error a message for
// each failure and warning, naming the file first. Names are escaped so that
// a line stays one line.
class ConsoleReport
{
public:
    // cannotWrite gets the errno of a line that could not be written, and ends the program.
    ConsoleReport(const QueueModel& queue, ProgressLine& progress, std::function<void(int error)> cannotWrite);

    // A field of a line on standard output: tab, newline and backslash
    // escaped, and a byte of a name that is not UTF-8 written as "\xE9".
    static QString LineField(const QString& text);
    // The text on the stream, flushed; false, with errno set, when not all of it was written.
    static bool Write(std::FILE* stream, const QString& text);

    // "vantrel: TEXT" on standard error.
    void Say(const QString& text);
    // A message about one file: standard error names it first.
    void Complain(const QString& path, const QString& reason);

    // A file named was queued as the row with the id: its line comes when the row ends.
    void Queued(const QString& path, quint64 id);
    // A file named could not be queued: its Failed line, now.
    void NotQueued(const QString& path, const QString& reason);
    // The row with the id is "Done" or "Failed": its file's line.
    void RowEnded(quint64 id);
    // The run is over: every file without a line yet, the unaccounted ones
    // too, fails for the reason. True when every file named is done.
    bool Close(const QStringList& unaccounted, const QString& reason);
    // The program ends by the signal: every file without a line yet gets one,
    // as far as standard output takes it. False when none was left.
    bool Stop(const QStringList& unaccounted, const QString& signalName);

private:
    // One file named on the command line, alone or by its folder.
    struct Source
    {
        QString path;
        quint64 id = 0; // its queue row's; 0 when it could not be queued
        bool reported = false;
    };

    // Its Failed line; standard error gets `told`, the reason and more, when given.
    void Fail(Source& source, const QString& reason, const QString& told = {});
    // One line on standard output; one that cannot be written ends the program.
    void Print(const QString& line);

    const QueueModel& m_queue;
    ProgressLine& m_progress;
    std::function<void(int error)> m_cannotWrite;
    std::vector<Source> m_sources; // in the order named
    std::map<quint64, size_t> m_sourceOfId;
};
