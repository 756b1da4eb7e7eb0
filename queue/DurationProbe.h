#pragma once

#include <QByteArray>
#include <QString>

#include "platform/ChildProcess.h"

#include <optional>

class QLocale;
struct Tools;

// Measures a file's playing time with mediainfo, through the four-line batch
// file "open.bat" that the batch interpreter runs, as the program always has.
class DurationProbe
{
public:
    // tempDir ends in "/"; mediaInfoExe is empty when mediainfo was not found.
    DurationProbe(QString tempDir, QString mediaInfoExe, QString interpreter = DefaultInterpreter());
    // The session's probe: its own temp folder, its mediainfo and how long that may take.
    static DurationProbe For(const Tools& tools);

    // How long mediainfo may take to answer before it is ended as hung.
    int answerLimitMs() const { return m_answerLimitMs; }
    void setAnswerLimitMs(int ms) { m_answerLimitMs = ms; }
    // Why a probe ended as hung failed.
    QString HungText() const;

    // A probe's own files in the temp folder: the batch, its answer, and the
    // link by which the batch names a source whose own path it cannot hold.
    struct Files
    {
        QString batch;
        QString result;
        QString link;
    };
    // Slot 0 is the one-at-a-time probe's "open.bat" and "duration_time.txt";
    // probes side by side take slots 1, 2... with names of their own.
    Files files(int slot = 0) const;
    QString batchPath() const { return files().batch; }
    QString resultPath() const { return files().result; }

    // A probe in its steps, the batch run in between as a child process.
    // Prepare checks the tools and writes the slot's batch; false means the
    // file has no answer and nothing is to run. Collect gives the
    // first line mediainfo wrote for the file, or none when it wrote no line
    // at all or the batch wrote no answer file, once the batch has ended as
    // `end` says, and removes the slot's files. Each throws EFileError when
    // the batch cannot be written or the answer cannot be read, and
    // VantrelError when a tool is missing or cannot be started.
    bool Prepare(const QString& source, const Files& files) const;
    LaunchPlan BatchPlan(const Files& files) const;
    std::optional<QString> Collect(const ChildEnd& end, const Files& files) const;
    // Removes what a probe left of the slot's files.
    static void Remove(const Files& files);
    // The batch, or the mediainfo it runs, could not start for want of
    // descriptors, processes or memory: the file is to be measured again once
    // a place frees, not counted as without an answer. The system's reason
    // goes to `reason` when given.
    bool Starved(const ChildEnd& end, QString* reason = nullptr) const;

    // The batch text: four lines, CR LF after each, every "%" of a path doubled
    // so the path reaches mediainfo literally. The answer goes to resultName in tempDir.
    static QByteArray BatchText(const QString& source, const QString& tempDir, const QString& mediaInfoExe,
                                const QString& resultName = QStringLiteral("duration_time.txt"));
    // False for a path that cannot stand inside the batch's double quotes.
    static bool CanQuote(const QString& path);
    // vantrel-batch where the installed layout puts it relative to the running
    // program (libexec/vantrel/ beside bin/), else beside the program as in
    // the build tree; the installed path when neither exists.
    static QString DefaultInterpreter();
    // Message shown when there is no mediainfo to run.
    static QString MissingMediaInfoText();

private:
    QString m_tempDir;
    QString m_mediaInfoExe;
    QString m_interpreter;
    int m_answerLimitMs = 30000;
};

// Whole seconds of a time text such as "00:03:25.123" (the fraction dropped).
// MediaInfo's colon and full stop are always accepted, and so are the time and
// decimal separators of the locale; hours may pass 23. Throws EConvertError
// "'text' is not a valid time".
qint64 TimeTextToSeconds(const QString& text);
qint64 TimeTextToSeconds(const QString& text, const QLocale& locale);
// The same time in milliseconds, the fraction's first three digits kept.
qint64 TimeTextToMilliseconds(const QString& text);
qint64 TimeTextToMilliseconds(const QString& text, const QLocale& locale);
