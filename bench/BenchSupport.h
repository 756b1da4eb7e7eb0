#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

class TfrmMain;

// Points HOME, the XDG folders and TMPDIR into a temporary folder for the
// benchmark's lifetime, so it never reads or writes the user's settings, and
// its window never meets a running Vantrel. PATH is kept: the real tools run.
class BenchHome
{
public:
    BenchHome();
    QString root() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// The real main window, built offscreen. Prompts are answered by whatever
// Prompt::Script the caller holds.
std::unique_ptr<TfrmMain> MakeBenchWindow();

// Seconds as text with three decimals.
QString SecondsText(qint64 nanoseconds);

// Prints one line of the benchmark's report.
void printLine(const QString& line);

// A file name or message on one line of a tab-separated report.
QString oneLine(QString text);
